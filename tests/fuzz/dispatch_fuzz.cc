// A whole run over the fake platform, from the full command line, checked against a small
// model of the routing rules: a document goes to Word exactly when its first eight bytes
// are the signature, else to the text editor; an empty document is skipped quietly; an
// unreadable document or a failed start costs one message and is skipped; a missing
// program shows the settings window once and ends the run. With [OPTION] WORDFORMATS=1 a
// document that is no compound file has its head read in one more read, and goes to Word
// when FormatOf says so; whatever went to Word without the option still does, no document
// has more than its head and eight bytes read, and a compound file never has its head read.
#include <cstdint>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "launcher/arguments.h"
#include "launcher/formats.h"
#include "launcher/module1.h"
#include "tests/fakes/fake_platform.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzz_support.h"

namespace talvern {
namespace {

const std::string kSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// Word and the text editor are drawn from here, so they are sometimes the same program.
const wchar_t* const kPrograms[] = {
    L"C:\\Program Files\\Office\\WINWORD.EXE",
    L"C:\\WINDOWS\\notepad.exe",
    L"D:\\エディタ\\表.exe",
};

// Documents as the shell names them; one may come more than once.
const wchar_t* const kDocuments[] = {
    L"C:\\a.doc",           L"C:\\My Documents\\memo 2.doc",
    L"D:\\表 ソ\\報告.doc", L"\\\\server\\share\\x y.doc",
    L"E:\\a  b.doc",
};

// Starts of other formats Word opens, so that the option has something to find.
const char* const kOtherStarts[] = {"{\\rtf1", "PK\x03\x04", "<html>",
                                    "MIME-Version: 1.0\nContent-Type: multipart/related\n\n"};

// [OPTION] WORDFORMATS as a settings file may hold it; null: no such key. Only "1" is on.
const wchar_t* const kOptionValues[] = {nullptr, L"1", L"0", L"on"};

enum class DocState { kReadable, kMissing, kFolder, kLocked, kTorn };

struct Program {
  bool exists = true;
  bool fails = false;
};

/// What the model says a run must do.
struct Expected {
  std::vector<StartedProcess> started;
  std::vector<std::wstring> messages;       ///< a text each message must hold.
  std::vector<std::size_t> started_before;  ///< processes started before each message.
  std::map<std::wstring, int> bytes_read;
  int window = 0;
  bool word_invalid = false;
  bool text_invalid = false;
};

/// Reads as the signature test must: in order, stopping after the first differing byte,
/// at the end, or at the failing position. True when readable; `*compound` is the route.
bool ModelRead(const std::string& bytes, std::uint64_t fail_at, int* read, bool* compound) {
  for (std::size_t j = 0; j != 8; ++j) {
    if (j >= fail_at) return false;
    if (j >= bytes.size()) {
      *compound = false;
      return true;
    }
    ++*read;
    if (bytes[j] != kSignature[j]) {
      *compound = false;
      return true;
    }
  }
  *compound = true;
  return true;
}

/// Where a readable document goes; with the option on, one that is no compound file has its
/// head read too, which fails (false) when the document is torn.
bool ModelRoute(const std::string& bytes, bool compound, bool word_formats, bool torn, int* read,
                bool* to_word) {
  *to_word = compound;
  if (!word_formats) return true;
  const std::string head = bytes.substr(0, kFormatHeadBytes);
  const bool other_format = FormatOf(head) != DocumentFormat::kText;
  // The option only adds formats: a compound file is Word's by the rules too.
  FUZZ_CHECK(!compound || other_format, std::wstring(L"compound file taken for text"));
  if (compound) return true;
  if (torn) return false;
  *read += static_cast<int>(head.size());
  *to_word = other_format;
  return true;
}

Expected Model(const FakePlatform& fake, const std::vector<std::wstring>& documents,
               const std::wstring& word, const std::wstring& text, bool settings, bool word_formats,
               std::map<std::wstring, Program>& programs) {
  Expected e;
  if (!settings) {
    e.window = 1;
    return e;
  }
  for (const std::wstring& path : documents) {
    if (path.empty()) continue;
    auto file = fake.files.files.find(path);
    int read = 0;
    bool compound = false;
    auto read_error = fake.files.read_errors.find(path);
    const std::uint64_t fail_at =
        read_error == fake.files.read_errors.end() ? 8 : read_error->second;
    const bool torn = read_error != fake.files.read_errors.end();
    bool to_word = false;
    if (file == fake.files.files.end() || fake.files.open_errors.count(path) ||
        !ModelRead(file->second, fail_at, &read, &compound) ||
        !ModelRoute(file->second, compound, word_formats, torn, &read, &to_word)) {
      if (file != fake.files.files.end()) e.bytes_read[path] += read;
      e.started_before.push_back(e.started.size());
      e.messages.push_back(path);
      continue;
    }
    e.bytes_read[path] += read;
    const std::wstring& program = to_word ? word : text;
    if (!programs[program].exists) {
      (to_word ? e.word_invalid : e.text_invalid) = true;
      e.window = 1;
      return e;
    }
    const std::wstring command_line = L"\"" + program + L"\" \"" + path + L"\"";
    if (programs[program].fails) {
      e.started_before.push_back(e.started.size());
      e.messages.push_back(command_line);
      continue;
    }
    e.started.push_back({program, command_line});
  }
  return e;
}

std::wstring SetUpDocument(FuzzedDataProvider& in, FakePlatform& fake) {
  const std::wstring path = fuzz::Pick(in, kDocuments);
  // A repeated document is the same file: its latest set-up holds for every mention.
  fake.files.files.erase(path);
  fake.files.folders.erase(path);
  fake.files.open_errors.erase(path);
  fake.files.read_errors.erase(path);
  switch (static_cast<DocState>(in.ConsumeIntegralInRange<int>(0, 4))) {
    case DocState::kMissing:
      return path;
    case DocState::kFolder:
      fake.files.folders.insert(path);
      return path;
    case DocState::kLocked:
      fake.files.open_errors[path] = L"CreateFileW: The process cannot access the file.";
      return path;
    case DocState::kTorn:
      fake.files.read_errors[path] = in.ConsumeIntegralInRange<std::uint64_t>(0, 8);
      break;
    case DocState::kReadable:
      break;
  }
  // Mostly a run of signature bytes, so that every length of match is reached; sometimes the
  // start of another format, and sometimes about as long as the head the option reads.
  std::string bytes = in.ConsumeIntegralInRange<int>(0, 3) == 0
                          ? std::string(fuzz::Pick(in, kOtherStarts))
                          : kSignature.substr(0, in.ConsumeIntegralInRange<std::size_t>(0, 8));
  bytes += in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 3));
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
    bytes.resize(kFormatHeadBytes + in.ConsumeIntegralInRange<std::size_t>(0, 16) - 8, ' ');
  }
  fake.files.files[path] = bytes;
  return path;
}

void CheckRun(const FakePlatform& fake, const Expected& e,
              const std::vector<std::size_t>& started_before, const std::wstring& why) {
  FUZZ_CHECK(fake.processes.started.size() == e.started.size(), why);
  for (std::size_t k = 0; k != e.started.size(); ++k) {
    FUZZ_CHECK(fake.processes.started[k].application == e.started[k].application, why);
    FUZZ_CHECK(fake.processes.started[k].command_line == e.started[k].command_line, why);
  }
  FUZZ_CHECK(fake.messages.shown.size() == e.messages.size(), why);
  FUZZ_CHECK(started_before == e.started_before, why);
  for (std::size_t k = 0; k != e.messages.size(); ++k) {
    const ShownMessage& shown = fake.messages.shown[k];
    FUZZ_CHECK(shown.icon == MsgIcon::kCritical, shown.prompt);
    FUZZ_CHECK(shown.title == L"Talvern", shown.prompt);
    FUZZ_CHECK(shown.prompt.find(e.messages[k]) != std::wstring::npos, shown.prompt);
  }
  FUZZ_CHECK(fake.window.shown == e.window, why);
  for (const auto& entry : fake.files.bytes_read) {
    auto expected = e.bytes_read.find(entry.first);
    const int want = expected == e.bytes_read.end() ? 0 : expected->second;
    FUZZ_CHECK(entry.second == want, entry.first);
  }
}

// What no run may do, whatever the model says: read more than the head and the signature
// per mention of a document, read the head without the option or of a compound file.
void CheckReads(const FakePlatform& fake, const std::vector<std::wstring>& documents,
                bool word_formats) {
  for (const auto& entry : fake.files.bytes_read) {
    int mentions = 0;
    for (const std::wstring& document : documents) mentions += document == entry.first;
    FUZZ_CHECK(entry.second <= mentions * static_cast<int>(kFormatHeadBytes + 8), entry.first);
  }
  for (const auto& entry : fake.files.start_reads) {
    FUZZ_CHECK(word_formats, entry.first);
    const auto file = fake.files.files.find(entry.first);
    FUZZ_CHECK(file->second.compare(0, 8, kSignature) != 0, entry.first);
  }
}

// Where Talvern itself lies; the settings file is beside it.
const wchar_t* const kExecutables[] = {
    L"C:\\Tools\\talvern.exe",
    L"C:\\Program Files\\Talvern\\talvern.exe",
};

/// The program's name as a command line may start with it: quoted, or unquoted in any
/// letter case (the older verb form, spaces and all).
std::wstring ProgramName(FuzzedDataProvider& in, const std::wstring& exe) {
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      return L"\"" + exe + L"\"";
    case 1:
      return exe;
    default: {
      std::wstring shouted = exe;
      for (wchar_t& c : shouted) c = static_cast<wchar_t>(std::towupper(c));
      return shouted;
    }
  }
}

void Run(FuzzedDataProvider& in) {
  const std::wstring exe = fuzz::Pick(in, kExecutables);
  FakePlatform fake(exe);
  const std::wstring word = fuzz::Pick(in, kPrograms);
  const std::wstring text = fuzz::Pick(in, kPrograms);
  std::map<std::wstring, Program> programs;
  for (const wchar_t* program : kPrograms) {
    Program& state = programs[program];
    state.exists = in.ConsumeIntegralInRange<int>(0, 7) != 0;
    state.fails = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    if (state.exists) fake.files.files[program] = "MZ";
    if (state.fails) fake.processes.failures[program] = L"CreateProcessW: Bad EXE format.";
  }
  const bool settings = in.ConsumeIntegralInRange<int>(0, 15) != 0;
  if (settings) fake.WriteSettings(word, text);

  // Documents, empty ones among them, with the separators a careless caller leaves: runs
  // of spaces between documents and at the end of the line.
  std::vector<std::wstring> documents(in.ConsumeIntegralInRange<std::size_t>(1, 5));
  std::wstring command_line = ProgramName(in, exe);
  for (std::wstring& document : documents) {
    command_line += std::wstring(in.ConsumeIntegralInRange<std::size_t>(1, 3), L' ');
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
      command_line += in.ConsumeBool() ? L"\"\"" : L"\"";
      continue;  // names no file: no model step either
    }
    document = SetUpDocument(in, fake);
    command_line += in.ConsumeBool() ? L"\"" + document + L"\"" : document;
  }
  command_line += std::wstring(in.ConsumeIntegralInRange<std::size_t>(0, 2), L' ');
  const wchar_t* const option = fuzz::Pick(in, kOptionValues);
  if (settings && option) {
    fake.profile.values[FakeProfile::MakeKey(AddPathSeparator(fake.platform.App.Path) + L"Data.ini",
                                             L"OPTION", L"WORDFORMATS")] = option;
  }
  const bool word_formats = settings && option && std::wstring(option) == L"1";

  std::vector<std::size_t> started_before;
  bool word_invalid_when_shown = false, text_invalid_when_shown = false;
  Module1 m;
  fake.messages.on_show = [&] { started_before.push_back(fake.processes.started.size()); };
  fake.window.on_show = [&] {
    word_invalid_when_shown = m.WordPathInvalid;
    text_invalid_when_shown = m.TextPathInvalid;
  };
  const Expected expected = Model(fake, documents, word, text, settings, word_formats, programs);
  Main(m, fake.platform,
       ArgumentText(command_line, exe, [&] { return std::vector<std::wstring>{exe}; }));
  CheckRun(fake, expected, started_before, command_line);
  CheckReads(fake, documents, word_formats);
  if (expected.window) {
    FUZZ_CHECK(word_invalid_when_shown == expected.word_invalid, command_line);
    FUZZ_CHECK(text_invalid_when_shown == expected.text_invalid, command_line);
  }
}

}  // namespace
}  // namespace talvern

TALVERN_FUZZ_TARGET(talvern::Run)
