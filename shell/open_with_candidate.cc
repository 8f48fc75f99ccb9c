#include "shell/open_with_candidate.h"

namespace talvern {

// The one name Talvern registers goes into the page's URI as it is: letters need no escaping.
#define TALVERN_REGISTERED_NAME L"Talvern"
const wchar_t kRegisteredAppName[] = TALVERN_REGISTERED_NAME;
const wchar_t kDefaultAppsUri[] =
    L"ms-settings:defaultapps?registeredAppUser=" TALVERN_REGISTERED_NAME;
#undef TALVERN_REGISTERED_NAME

namespace {

using reg::Data;
using reg::Owner;
constexpr KeyRoot kRoot = KeyRoot::kUserSoftware;
const wchar_t kProgId[] = L"Talvern.Document";
const wchar_t kCapabilities[] = L"Talvern\\Capabilities";

// Each key of Talvern's after its parent; the value in the shared keys last, once all it
// points at exists.
constexpr reg::Row kCandidateRows[] = {
    {L"Talvern", nullptr, nullptr, Data::kText, Owner::kTalvern, kRoot},
    {reg::kRecordKey, nullptr, nullptr, Data::kText, Owner::kTalvern, kRoot},
    {kCapabilities, L"ApplicationName", kRegisteredAppName, Data::kText, Owner::kTalvern, kRoot},
    {kCapabilities, L"ApplicationDescription",
     L"Word 文書とテキストの .doc ファイルを見分けて、それぞれのプログラムで開きます。",
     Data::kText, Owner::kTalvern, kRoot},
    {L"Talvern\\Capabilities\\FileAssociations", L".doc", kProgId, Data::kText, Owner::kTalvern,
     kRoot},
    {L"Classes\\Talvern.Document", L"", L"Talvern 文書", Data::kText, Owner::kTalvern, kRoot},
    {L"Classes\\Talvern.Document\\shell", nullptr, nullptr, Data::kText, Owner::kTalvern, kRoot},
    {L"Classes\\Talvern.Document\\shell\\open", reg::kSelectionModel, reg::kPlayer, Data::kText,
     Owner::kTalvern, kRoot},
    {L"Classes\\Talvern.Document\\shell\\open\\command", L"", nullptr, Data::kCommand,
     Owner::kTalvern, kRoot},
    {L"Classes\\Talvern.Document\\DefaultIcon", L"", nullptr, Data::kIcon, Owner::kTalvern, kRoot},
    // Only the name matters under OpenWithProgids.
    {L"Classes\\.doc\\OpenWithProgids", kProgId, L"", Data::kText, Owner::kValue, kRoot},
    {L"Classes\\.doc", nullptr, nullptr, Data::kText, Owner::kShared, kRoot},
};
constexpr reg::Row kRegisteredAppRows[] = {
    {L"RegisteredApplications", kRegisteredAppName, L"Software\\Talvern\\Capabilities", Data::kText,
     Owner::kValue, kRoot},
};

}  // namespace

const reg::Table kCandidate(kCandidateRows);
const reg::Table kRegisteredApp(kRegisteredAppRows);

}  // namespace talvern
