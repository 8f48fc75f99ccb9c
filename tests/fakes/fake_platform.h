// Every fake of the operating system, wired into one Platform for the unit tests.
#ifndef TALVERN_TESTS_FAKES_FAKE_PLATFORM_H_
#define TALVERN_TESTS_FAKES_FAKE_PLATFORM_H_

#include <string>

#include "platform/platform.h"
#include "tests/fakes/fake_associations.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_environment.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_messages.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_profile.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_window.h"
#include "tests/fakes/fake_word.h"

namespace talvern {

/// Every fake wired into one Platform.
struct FakePlatform {
  FakePlatform();
  explicit FakePlatform(const std::wstring& exe_file);
  FakeMessages messages;
  FakeFileSystem files;
  FakeProfile profile;
  FakeProcesses processes;
  FakeEnvironment environment;
  FakeWord word;
  FakeDialog dialog;
  FakeRegistry registry;
  FakeShell shell;
  FakeWindow window;
  FakeAssociations associations;
  Platform platform;

  /// Writes the settings file beside the executable with the two paths.
  void WriteSettings(const std::wstring& word, const std::wstring& text);
};

}  // namespace talvern

#endif  // TALVERN_TESTS_FAKES_FAKE_PLATFORM_H_
