#include "tests/fakes/fake_shell.h"

namespace talvern {

bool FakeShell::SendToFolder(std::wstring* folder, std::wstring* error) {
  if (send_to.empty()) {
    *error = L"SHGetKnownFolderPath(FOLDERID_SendTo): The system cannot find the path specified.";
    return false;
  }
  *folder = send_to;
  return true;
}

bool FakeShell::DocumentsFolder(std::wstring* folder, std::wstring* error) {
  if (documents.empty()) {
    *error =
        L"SHGetKnownFolderPath(FOLDERID_Documents): The system cannot find the path specified.";
    return false;
  }
  *folder = documents;
  return true;
}

bool FakeShell::WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                              std::wstring* error) {
  if (!write_error.empty()) {
    *error = write_error;
    return false;
  }
  links[link_file] = target;
  return true;
}

bool FakeShell::ReadShortcut(const std::wstring& link_file, std::wstring* target,
                             std::wstring* error) {
  auto found = links.find(link_file);
  error->clear();  // a missing link is no failure
  if (found != links.end()) *target = found->second;
  return found != links.end();
}

bool FakeShell::DeleteShortcut(const std::wstring& link_file, std::wstring* /*error*/) {
  links.erase(link_file);
  return true;
}

bool FakeShell::OpenUri(const std::wstring& uri, std::wstring* error) {
  *error = open_error;
  if (open_error.empty()) opened.push_back(uri);
  return open_error.empty();
}

}  // namespace talvern
