// Special folders, shortcut files and opened URIs in memory.
#ifndef TALVERN_TESTS_FAKES_FAKE_SHELL_H_
#define TALVERN_TESTS_FAKES_FAKE_SHELL_H_

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace talvern {

class FakeShell : public Shell {
 public:
  bool SendToFolder(std::wstring* folder, std::wstring* error) override;
  bool DocumentsFolder(std::wstring* folder, std::wstring* error) override;
  bool WriteShortcut(const std::wstring& link_file, const std::wstring& target,
                     std::wstring* error) override;
  bool ReadShortcut(const std::wstring& link_file, std::wstring* target,
                    std::wstring* error) override;
  bool DeleteShortcut(const std::wstring& link_file, std::wstring* error) override;
  std::wstring send_to;                        ///< empty: the folder cannot be found.
  std::wstring documents;                      ///< empty: the folder cannot be found.
  std::wstring write_error;                    ///< when set, writing fails with it.
  std::map<std::wstring, std::wstring> links;  ///< link file -> target.
  bool OpenUri(const std::wstring& uri, std::wstring* error) override;
  std::vector<std::wstring> opened;  ///< every URI opened, in order.
  std::wstring open_error;           ///< when set, opening fails with it.
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_SHELL_H_
