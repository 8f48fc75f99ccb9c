// The lower bound for the benchmark: a launcher that does nothing but start the text
// editor beside it on each document named on its command line, the way Talvern does
// (executable as the application, ""<editor>" "<document>"", a normal window), and exit.
// The documents are each in quotes, or one without quotes (spaces and all). kernel32 only.
#include <windows.h>

#include <string>
#include <vector>

namespace {

// The command line without the program's own name and the blanks after it.
const wchar_t* ArgumentText(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

std::wstring EditorBesideMe() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"notepad.exe";
}

// The documents named by the command line's argument text, as said at the top.
std::vector<std::wstring> Documents(const wchar_t* text) {
  if (*text != L'"') return {text};
  std::vector<std::wstring> documents;
  while (*text == L'"') {
    const wchar_t* end = ++text;
    while (*end && *end != L'"') ++end;
    documents.emplace_back(text, end);
    text = *end ? end + 1 : end;
    while (*text == L' ') ++text;
  }
  return documents;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring editor = EditorBesideMe();
  for (const std::wstring& document : Documents(ArgumentText(GetCommandLineW()))) {
    std::wstring line = L"\"" + editor + L"\" \"" + document + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(editor.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return 0;
}
