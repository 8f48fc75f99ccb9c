#include "shell/registrations.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_platform.h"
#include "shell/reg.h"
#include "shell/verb.h"

namespace talvern {
namespace {

const wchar_t kHere[] = L"C:\\New\\Talvern.EXE";
const wchar_t kLink[] = L"C:\\SendTo\\TVern.lnk";
const std::pair<KeyRoot, std::wstring> kUserVerb = {KeyRoot::kUserClasses,
                                                    L"word.document.8\\shell\\tvern\\command"};
const std::pair<KeyRoot, std::wstring> kIcon = {KeyRoot::kUserSoftware,
                                                L"classes\\talvern.document\\defaulticon"};
const std::pair<KeyRoot, std::wstring> kMachineVerb = {KeyRoot::kMachineClasses, kUserVerb.second};

TEST(FollowMovedExecutableTest, AsksOnlyForOurMissingExecutableAndMovesAllOrNothing) {
  struct Row {
    const wchar_t* exe;   // named by the verb command and the icon
    const wchar_t* link;  // the link's target; null: no link
    bool exists;
    bool yes;
    const wchar_t* write_error;  // of the link
    bool asked;
    bool moved;
    bool machine_wide;  // an earlier version's verb for the whole machine names the old exe
  } rows[] = {
      {L"C:\\Old\\talvern.exe", L"C:\\Old\\talvern.exe", false, true, L"", true, true, true},
      {L"C:\\Old\\talvern.exe", L"C:\\Old\\TALVERN.EXE", false, false, L"", true, false, false},
      {L"C:\\Other\\talvern.exe", nullptr, true, true, L"", false, false, false},  // another copy
      {kHere, kHere, false, true, L"", false, false,
       true},  // this copy; the machine's is named only
      {L"C:\\Old\\talvern.exe", L"C:\\Old\\talvern.exe", false, true,
       L"IPersistFile::Save: Access is denied.", true, false, false},
  };
  // What "関連付けを設定" writes from here, to compare the move with.
  FakePlatform set(kHere);
  SetAssociation(set.platform);
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << &row - rows);
    FakePlatform fake(kHere);
    fake.shell.send_to = L"C:\\SendTo";
    if (row.exists) fake.files.files[row.exe] = "MZ";
    const std::wstring command = L"\"" + std::wstring(row.exe) + L"\" %1";
    const std::wstring icon = L"\"" + std::wstring(row.exe) + L"\",0";
    fake.registry.keys[kUserVerb] = command;
    fake.registry.keys[kIcon] = icon;
    const std::wstring machine = L"\"C:\\Old\\talvern.exe\" %1";
    if (row.machine_wide) fake.registry.keys[kMachineVerb] = machine;
    if (row.link) fake.shell.links[kLink] = row.link;
    fake.shell.write_error = row.write_error;
    fake.messages.answers = {row.yes};
    FollowMovedExecutable(fake.platform);

    EXPECT_EQ(fake.registry.keys[kUserVerb], row.moved ? set.registry.keys[kUserVerb] : command);
    EXPECT_EQ(fake.registry.keys[kIcon], row.moved ? set.registry.keys[kIcon] : icon);
    if (row.link) {
      EXPECT_EQ(fake.shell.links[kLink], row.moved ? kHere : row.link);
    }
    if (row.machine_wide) {
      EXPECT_EQ(fake.registry.keys[kMachineVerb], machine);
    }
    const auto model = std::make_tuple(KeyRoot::kUserClasses, kUserVerb.second.substr(0, 27),
                                       std::wstring(L"multiselectmodel"));
    EXPECT_EQ(fake.registry.values[model], row.moved ? set.registry.values[model] : L"");
    ASSERT_EQ(fake.messages.shown.size(), row.asked ? (row.yes ? 2u : 1u) : 0u);
    if (!row.asked) continue;
    EXPECT_NE(fake.messages.shown[0].prompt.find(L"古い場所: " + std::wstring(row.exe)),
              std::wstring::npos);
    EXPECT_EQ(fake.messages.shown[0].prompt.find(kMachineWideAdvice) != std::wstring::npos,
              row.machine_wide);
    if (row.yes) {
      EXPECT_EQ(fake.messages.shown[1].icon,
                row.moved ? MsgIcon::kInformation : MsgIcon::kCritical);
    }
  }
}

TEST(NamedExecutableTest, OnlyTheShapesTalvernWrites) {
  EXPECT_EQ(reg::NamedExecutable(L"\"D:\\a b\\x.EXE\" %1"), L"D:\\a b\\x.EXE");
  EXPECT_EQ(reg::NamedExecutable(L"\"\\\\srv\\s\\talvern.exe\",0"), L"\\\\srv\\s\\talvern.exe");
  for (const wchar_t* text : {L"C:\\talvern.exe %1", L"\"C:\\talvern.exe\" \"%1\"",
                              L"\"talvern.exe\" %1", L"\"C:\\talvern.cmd\" %1", L"\""}) {
    EXPECT_EQ(reg::NamedExecutable(text), L"") << text;
  }
}

}  // namespace
}  // namespace talvern
