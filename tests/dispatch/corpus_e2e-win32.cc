// Real files from public repositories (the shared test corpus, listed in its SOURCES.tsv
// with the route each must take) dispatched in one run.
#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {
namespace {

struct CorpusFile {
  std::wstring name;
  bool compound;
};

// Rows of SOURCES.tsv: file, source_repo, source_path, license, first8_hex, route. Empty
// fields are kept (the empty file has an empty hex field).
bool ReadCorpusTable(const std::wstring& folder, std::vector<CorpusFile>* files,
                     std::string* error) {
  std::string table;
  if (!ReadBytes(folder + L"SOURCES.tsv", &table)) {
    *error = "cannot read SOURCES.tsv";
    return false;
  }
  std::size_t start = table.find('\n') + 1;  // past the header
  while (start > 0 && start < table.size()) {
    std::size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size();
    std::string line = table.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    if (fields.size() != 6 || (fields[5] != "compound" && fields[5] != "text")) {
      *error = "unexpected row: " + line;
      return false;
    }
    files->push_back(CorpusFile{FromUtf8(fields[0]), fields[5] == "compound"});
  }
  return true;
}

TEST_F(DispatchTest, EveryCorpusFileReachesItsProgram) {
  const std::wstring corpus = FromUnixPath(TALVERN_E2E_CORPUS_DIR "/");
  std::vector<CorpusFile> files;
  std::string error;
  ASSERT_TRUE(ReadCorpusTable(corpus, &files, &error)) << error;
  ASSERT_GE(files.size(), 30u);

  WriteSettings();
  std::wstring arguments;
  std::vector<std::wstring> expected;
  for (const CorpusFile& file : files) {
    const std::wstring document = docs_ + file.name;
    ASSERT_TRUE(CopyFileW((corpus + file.name).c_str(), document.c_str(), FALSE))
        << Utf8(file.name) << ": " << Utf8(ErrorText(L"CopyFileW", GetLastError()));
    arguments += (arguments.empty() ? L"" : L" ") + document;
    expected.push_back(Started(file.compound ? word_ : text_, document));
  }
  const Outcome outcome = Dispatch(arguments);
  ASSERT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
  const std::vector<std::wstring> lines = Lines(outcome);
  EXPECT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size() && i < expected.size(); ++i) {
    ASSERT_EQ(Utf8(lines[i]), Utf8(expected[i])) << "document " << i + 1;
  }
  for (const StandInRecord& start : outcome.starts) EXPECT_EQ(start.show, SW_SHOWNORMAL);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
