// Real files from public repositories (the shared test corpus, listed in its SOURCES.tsv
// with the route each must take, and in WORD-FORMATS.tsv with the route each takes when the
// other formats Word opens go to Word too) dispatched in one run.
#include "tests/dispatch/dispatch_fixture.h"

namespace talvern {
namespace e2e {
namespace {

struct CorpusFile {
  std::wstring name;
  bool to_word;
};

// Rows of a tab-separated table of the corpus after its header line, empty fields kept
// (the empty file has an empty hex field in SOURCES.tsv): the first of its `columns`
// fields names the file, the last gives the route, `word_route` or "text".
bool ReadCorpusTable(const std::wstring& table_file, std::size_t columns,
                     const std::string& word_route, std::vector<CorpusFile>* files,
                     std::string* error) {
  std::string table;
  if (!ReadBytes(table_file, &table)) {
    *error = "cannot read " + Utf8(table_file);
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
    if (fields.size() != columns || (fields.back() != word_route && fields.back() != "text")) {
      *error = "unexpected row in " + Utf8(table_file) + ": " + line;
      return false;
    }
    files->push_back(CorpusFile{FromUtf8(fields[0]), fields.back() == word_route});
  }
  return true;
}

class CorpusTest : public DispatchTest {
 protected:
  // SOURCES.tsv (file, source_repo, source_path, license, first8_hex, route): each file's
  // route with the other formats off.
  std::vector<CorpusFile> RoutesWithTheOptionOff() {
    std::vector<CorpusFile> files;
    std::string error;
    EXPECT_TRUE(ReadCorpusTable(corpus_ + L"SOURCES.tsv", 6, "compound", &files, &error)) << error;
    return files;
  }
  // WORD-FORMATS.tsv (file, route): each file's route with the other formats on.
  std::vector<CorpusFile> RoutesWithTheOptionOn() {
    std::vector<CorpusFile> files;
    std::string error;
    EXPECT_TRUE(ReadCorpusTable(corpus_ + L"WORD-FORMATS.tsv", 2, "word", &files, &error)) << error;
    return files;
  }
  // Dispatches every file of `files` in one run and checks where each went.
  void ExpectEachReachesItsProgram(const std::vector<CorpusFile>& files) {
    std::wstring arguments;
    std::vector<Launch> expected;
    for (const CorpusFile& file : files) {
      const std::wstring document = docs_ + file.name;
      ASSERT_TRUE(CopyFileW((corpus_ + file.name).c_str(), document.c_str(), FALSE))
          << Utf8(file.name) << ": " << Utf8(ErrorText(L"CopyFileW", GetLastError()));
      arguments += (arguments.empty() ? L"" : L" ") + document;
      expected.push_back(Started(file.to_word ? word_ : text_, document));
    }
    const Outcome outcome = Dispatch(arguments);
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.popups.empty()) << Describe(outcome.popups);
    const std::vector<Launch> launches = Launches(outcome);
    EXPECT_EQ(launches.size(), expected.size());
    for (std::size_t i = 0; i < launches.size() && i < expected.size(); ++i) {
      ASSERT_EQ(launches[i], expected[i]) << "document " << i + 1;
    }
    for (const StandInRecord& start : outcome.starts) EXPECT_EQ(start.show, SW_SHOWNORMAL);
  }

  const std::wstring corpus_ = FromUnixPath(TALVERN_E2E_CORPUS_DIR "/");
};

TEST_F(CorpusTest, EveryCorpusFileReachesItsProgram) {
  const std::vector<CorpusFile> files = RoutesWithTheOptionOff();
  ASSERT_GE(files.size(), 30u);
  WriteSettings();
  ExpectEachReachesItsProgram(files);
}

TEST_F(CorpusTest, EveryCorpusFileReachesItsProgramWithTheOtherFormatsOn) {
  const std::vector<CorpusFile> off = RoutesWithTheOptionOff();
  const std::vector<CorpusFile> on = RoutesWithTheOptionOn();
  // The same files, and some of them change their route.
  ASSERT_EQ(on.size(), off.size());
  int changed = 0;
  for (std::size_t i = 0; i < on.size(); ++i) {
    ASSERT_EQ(Utf8(on[i].name), Utf8(off[i].name));
    changed += on[i].to_word != off[i].to_word;
  }
  EXPECT_GT(changed, 0);
  WriteSettings("1");
  ExpectEachReachesItsProgram(on);
}

}  // namespace
}  // namespace e2e
}  // namespace talvern
