#include "window/word_location.h"

#include <vector>

#include "launcher/dispatch.h"
#include "platform/paths.h"
#include "shell/reg.h"

namespace talvern {

namespace {

// `text` with each %NAME% of a set variable replaced by its value; other percent signs
// stay, as ExpandEnvironmentStrings leaves them.
std::wstring Expand(const std::wstring& text, Environment& env) {
  std::wstring out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t open = text.find(L'%', at);
    const std::size_t close = open == std::wstring::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring::npos) return out + text.substr(at);
    const std::wstring value =
        close > open + 1 ? env.Get(text.substr(open + 1, close - open - 1)) : std::wstring();
    if (value.empty()) {  // not a variable: the second sign may open one
      out += text.substr(at, close - at);
      at = close;
    } else {
      out += text.substr(at, open - at) + value;
      at = close + 1;
    }
  }
}

// Only a full path says where the file is; a bare name would be looked for elsewhere.
bool IsProgram(const std::wstring& path, FileSystem& files) {
  return IsFullPath(path) && files.FileExists(path);
}

// The local server commands registered for the class of `prog_id`, in the 64-bit view of
// the classes and then the 32-bit one (Word may be of either kind): one per view that has
// the key.
std::vector<RawValue> LocalServers(Registry& registry, const std::wstring& prog_id) {
  std::vector<RawValue> servers;
  std::wstring clsid;
  if (!reg::DefaultText(registry, KeyRoot::kClasses, prog_id + L"\\CLSID", &clsid)) return servers;
  const std::wstring key = L"CLSID\\" + clsid + L"\\LocalServer32";
  for (KeyRoot view : {KeyRoot::kClasses64, KeyRoot::kClasses32}) {
    if (!registry.KeyExists(view, key)) continue;
    RawValue value;  // REG_NONE, no text, when the key holds no default value
    registry.Get(view, key, L"", &value);
    servers.push_back(value);
  }
  return servers;
}

// True, with `folder` set to `found`, when `found` holds a Word that may be started: an
// automation object may give no Path at all, and a registration may name Talvern (or a
// folder that holds a copy of it named like Word).
bool TakeWordFolder(Platform& p, const std::wstring& found, std::wstring* folder) {
  if (CheckProgram(p, AddPathSeparator(found) + kWordProgramName) != ProgramFault::kNone) {
    return false;
  }
  *folder = found;
  return true;
}

}  // namespace

std::wstring ServerProgram(const RawValue& command, FileSystem& files, Environment& env) {
  std::wstring text;
  if (!command.GetText(&text)) return std::wstring();
  if (command.type == RawValue::kExpandableText) text = Expand(text, env);
  const std::size_t start = text.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return std::wstring();
  text.erase(0, start);
  if (text[0] == L'"') {
    const std::wstring path = text.substr(1, text.find(L'"', 1) - 1);
    return IsProgram(path, files) ? path : std::wstring();
  }
  for (std::size_t end = 0; end <= text.size(); ++end) {
    if (end < text.size() && !IsBlank(text[end])) continue;
    if (end > 0 && !IsBlank(text[end - 1]) && IsProgram(text.substr(0, end), files)) {
      return text.substr(0, end);
    }
  }
  return std::wstring();
}

bool FindWordFolder(Platform& p, const std::wstring& prog_id, std::wstring* folder) {
  const std::vector<RawValue> servers = LocalServers(*p.registry, prog_id);
  // A local server is a whole program that may take long to start or never finish
  // starting, so a class that has one is never created.
  std::wstring found;
  if (servers.empty()) {
    return p.word->QueryPath(prog_id, &found) && TakeWordFolder(p, found, folder);
  }
  for (const RawValue& server : servers) {
    const std::wstring program = ServerProgram(server, *p.files, *p.environment);
    if (!program.empty() && TakeWordFolder(p, FolderOf(program), folder)) return true;
  }
  return false;
}

}  // namespace talvern
