#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>

#include "tests/harness/harness.h"

namespace talvern {
namespace e2e {

std::wstring ErrorText(const wchar_t* function, DWORD code) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length ? std::wstring(text, length) : L"error " + std::to_wstring(code);
  if (text) LocalFree(text);
  while (!message.empty() && iswspace(message.back())) message.pop_back();
  return std::wstring(function) + L": " + message;
}

std::wstring FromUnixPath(const std::string& unix_path) {
  std::wstring path = L"Z:" + FromUtf8(unix_path);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

std::wstring TalvernExe() { return FromUnixPath(TALVERN_E2E_TALVERN_EXE); }
std::wstring StandInExe() { return FromUnixPath(TALVERN_E2E_STANDIN_EXE); }

namespace {

std::string Narrow(UINT code_page, const std::wstring& text) {
  if (text.empty()) return std::string();
  int size = WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace

std::string Cp932(const std::wstring& text) { return Narrow(932, text); }
std::string Utf8(const std::wstring& text) { return Narrow(CP_UTF8, text); }

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int size =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
  return text;
}

namespace {

const wchar_t kTalvernOverrides[] = L"Software\\Wine\\AppDefaults\\talvern.exe\\DllOverrides";

}  // namespace

PlantedDlls::PlantedDlls(const std::wstring& folder, const std::vector<std::wstring>& names)
    : folder_(folder), names_(names) {
  const std::wstring planted = FromUnixPath(TALVERN_E2E_PLANTED_DLL);
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kTalvernOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t kNativeFirst[] = L"native,builtin";
  ok_ = true;
  for (const std::wstring& name : names) {
    ok_ = ok_ && CopyFileW(planted.c_str(), (folder + name + L".dll").c_str(), FALSE) &&
          RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst),
                         sizeof(kNativeFirst)) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
}

PlantedDlls::~PlantedDlls() { RegDeleteKeyW(HKEY_CURRENT_USER, kTalvernOverrides); }

std::vector<std::wstring> PlantedDlls::Loaded() const {
  std::vector<std::wstring> loaded;
  for (const std::wstring& name : names_) {
    if (Exists(folder_ + name + L".dll.loaded")) loaded.push_back(name);
  }
  return loaded;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::wstring& folder) {
  std::wstring path = folder;
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  if (path.empty() || Exists(path)) return !path.empty();
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) MakeFolders(path.substr(0, slash));
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::wstring& path) {
  std::wstring target = path;
  while (target.size() > 3 && target.back() == L'\\') target.pop_back();
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(target.c_str()) != 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((target + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") RemoveTree(target + L"\\" + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return RemoveDirectoryW(target.c_str()) != 0;
}

std::wstring TestFolder(const std::wstring& sub) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring name = test ? FromUtf8(std::string(test->test_suite_name()) + "\\" + test->name())
                           : std::wstring(L"no test");
  // Parameterised tests carry "/" in their names.
  std::replace(name.begin(), name.end(), L'/', L'_');
  std::wstring folder = L"C:\\talvern テスト 表\\" + name + L"\\";
  if (!sub.empty()) folder += sub + (sub.back() == L'\\' ? L"" : L"\\");
  if (!RemoveTree(folder) || !MakeFolders(folder)) return std::wstring();
  return folder;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash != std::wstring::npos) MakeFolders(path.substr(0, slash + 1));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = bytes.empty() ||
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
  // Logs of stand-ins at the longest paths reach MAX_PATH and need the "\\?\" form.
  const std::wstring name =
      path.size() < MAX_PATH || path.compare(0, 2, L"\\\\") == 0 ? path : L"\\\\?\\" + path;
  HANDLE file = CreateFileW(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buffer[4096];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(file, buffer, sizeof(buffer), &got, nullptr)) && got) {
    bytes->append(buffer, got);
  }
  CloseHandle(file);
  return ok != 0;
}

std::wstring CopyTalvern(const std::wstring& folder, const std::wstring& name) {
  if (!MakeFolders(folder)) return std::wstring();
  std::wstring target = folder + (folder.back() == L'\\' ? L"" : L"\\") + name;
  if (!CopyFileW(TalvernExe().c_str(), target.c_str(), FALSE)) return std::wstring();
  return target;
}

bool InstallStandIn(const std::wstring& exe_path) {
  const std::size_t slash = exe_path.find_last_of(L'\\');
  if (slash == std::wstring::npos || !MakeFolders(exe_path.substr(0, slash + 1))) return false;
  DeleteFileW(RecordLog(exe_path).c_str());
  return CopyFileW(StandInExe().c_str(), exe_path.c_str(), FALSE) != 0;
}

std::string DataIniBytes(const std::wstring& word, const std::wstring& text) {
  return "[EXE]\r\nWORD=" + Cp932(word) + "\r\nTEXT=" + Cp932(text) + "\r\n";
}

bool WriteDataIni(const std::wstring& folder, const std::string& bytes) {
  return WriteBytes(folder + (folder.back() == L'\\' ? L"" : L"\\") + L"Data.ini", bytes);
}

std::wstring RecordLog(const std::wstring& exe_path) { return exe_path + L".log"; }

namespace {

// One record: "<show>\t<created>\t<pid>\t<n>\t" and n arguments each followed by a tab,
// then the command line. False when the line is not complete.
bool ParseRecord(const std::string& line, StandInRecord* record) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  int wanted = 4;
  while (static_cast<int>(fields.size()) < wanted) {
    const std::size_t tab = line.find('\t', from);
    if (tab == std::string::npos) return false;
    fields.push_back(line.substr(from, tab - from));
    from = tab + 1;
    if (fields.size() == 4) wanted += std::max(0, std::atoi(fields[3].c_str()));
  }
  record->show = std::atoi(fields[0].c_str());
  record->created = std::strtoull(fields[1].c_str(), nullptr, 10);
  record->pid = std::strtoul(fields[2].c_str(), nullptr, 10);
  for (std::size_t i = 4; i < fields.size(); ++i) record->arguments.push_back(FromUtf8(fields[i]));
  record->command_line = FromUtf8(line.substr(from));
  return true;
}

void ParseRecords(const std::wstring& exe, const std::string& log,
                  std::vector<StandInRecord>* records) {
  std::size_t start = 0;
  while (start < log.size()) {
    std::size_t end = log.find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    StandInRecord record;
    record.exe = exe;
    if (ParseRecord(log.substr(start, end - start), &record)) records->push_back(record);
    start = end + 1;
  }
}

}  // namespace

std::vector<StandInRecord> ReadRecords(const std::vector<std::wstring>& exe_paths) {
  std::vector<StandInRecord> records;
  for (const std::wstring& exe : exe_paths) {
    std::string log;
    if (ReadBytes(RecordLog(exe), &log)) ParseRecords(exe, log, &records);
  }
  std::stable_sort(
      records.begin(), records.end(),
      [](const StandInRecord& a, const StandInRecord& b) { return a.created < b.created; });
  return records;
}

std::vector<StandInRecord> WaitForRecords(const std::vector<std::wstring>& exe_paths,
                                          std::size_t count, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  for (;;) {
    std::vector<StandInRecord> records = ReadRecords(exe_paths);
    if (records.size() >= count || GetTickCount64() >= deadline) return records;
    Sleep(20);
  }
}

std::vector<std::wstring> CommandLines(const std::vector<StandInRecord>& records) {
  std::vector<std::wstring> lines;
  for (const StandInRecord& record : records) lines.push_back(record.command_line);
  return lines;
}

bool ShellOpen(const std::wstring& file, HANDLE* process, std::wstring* error) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = nullptr;  // the class's default verb, as a double-click uses
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&info)) {
    *error = ErrorText(L"ShellExecuteExW", GetLastError());
    return false;
  }
  if (process) {
    *process = info.hProcess;
  } else if (info.hProcess) {
    CloseHandle(info.hProcess);
  }
  return true;
}

bool RegistryDefault(HKEY root, const std::wstring& key, std::wstring* value) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExW(opened, nullptr, nullptr, &type, nullptr, &size);
  bool ok = status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    ok = RegQueryValueExW(opened, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                          &size) == ERROR_SUCCESS;
    if (ok) *value = data.c_str();
  }
  RegCloseKey(opened);
  return ok;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) {
  HKEY opened;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

bool SetRegistryDefault(HKEY root, const std::wstring& key, const std::wstring& value) {
  HKEY opened;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

DocTypeGuard::DocTypeGuard() {
  had_class_ = RegistryDefault(HKEY_CLASSES_ROOT, L".doc", &class_);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".doc");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestDocClass);
}

DocTypeGuard::~DocTypeGuard() {
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".doc");
  RegDeleteTreeW(HKEY_CLASSES_ROOT, kTestDocClass);
  if (had_class_) SetRegistryDefault(HKEY_CLASSES_ROOT, L".doc", class_);
}

bool DocTypeGuard::Map(const std::wstring& command) {
  return SetRegistryDefault(HKEY_CLASSES_ROOT,
                            std::wstring(kTestDocClass) + L"\\shell\\open\\command", command) &&
         SetRegistryDefault(HKEY_CLASSES_ROOT, L".doc", kTestDocClass);
}

}  // namespace e2e
}  // namespace talvern
