// The settings window's system menu items: the option for the other formats Word opens,
// saved with the paths, the document tester and the version information.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "launcher/arguments.h"
#include "launcher/dispatch.h"
#include "window/form1_test_fixture.h"

namespace talvern {
namespace {

TEST_F(Form1Test, CheckMarkShowsTheOptionReadAtStartUp) {
  for (bool on : {false, true}) {
    FreshForm fresh(fake.platform);
    fresh.module.WordPath = kWord;
    fresh.module.TextPath = kNotepad;
    fresh.module.WordFormats = on;
    fresh.view.word_formats = !on;
    fresh.form.Form_Load();
    EXPECT_EQ(fresh.view.word_formats, on);
  }
}

TEST_F(Form1Test, WordFormatsItemTogglesOnlyTheCheckMark) {
  form.mnuWordFormats_Click();
  EXPECT_TRUE(view.word_formats);
  form.mnuWordFormats_Click();
  EXPECT_FALSE(view.word_formats);
  EXPECT_FALSE(view.closed);
  EXPECT_FALSE(m.WordFormats);
  EXPECT_TRUE(fake.profile.writes.empty());
}

// What Data.ini held for the option (null: no key), the check mark when saving, and the
// value written for it after WORD and TEXT (null: none, so the file stays as older
// versions wrote it).
TEST_F(Form1Test, SaveWritesTheOptionAfterThePaths) {
  const struct {
    const wchar_t* stored;
    bool checked;
    const wchar_t* written;
  } rows[] = {
      {nullptr, false, nullptr}, {nullptr, true, L"1"}, {L"1", false, L"0"},
      {L"1", true, L"1"},        {L"0", false, L"0"},   {L"yes", false, L"0"},
  };
  for (const auto& row : rows) {
    const std::wstring label = (row.stored ? row.stored : L"(none)") +
                               std::wstring(row.checked ? L" checked" : L" unchecked");
    FakePlatform f;
    if (row.stored) {
      f.profile.values[FakeProfile::MakeKey(kSettings, L"OPTION", L"WORDFORMATS")] = row.stored;
    }
    FreshForm fresh(f.platform);
    fresh.view.text1 = kWord;
    fresh.view.text2 = kNotepad;
    fresh.view.word_formats = row.checked;
    fresh.form.Command3_Click();
    EXPECT_TRUE(fresh.view.closed) << label;
    using Write = std::tuple<std::wstring, std::wstring, std::wstring>;
    std::vector<Write> expected{{L"EXE", L"WORD", kWord}, {L"EXE", L"TEXT", kNotepad}};
    if (row.written) expected.emplace_back(L"OPTION", L"WORDFORMATS", row.written);
    EXPECT_EQ(f.profile.writes, expected) << label;
  }
}

// The option is checked with the paths before anything is written, and put back with them.
TEST_F(Form1Test, UnsavableOptionWritesNothing) {
  fake.profile.unstorable = L"1";
  view.text1 = kWord;
  view.text2 = kNotepad;
  view.word_formats = true;
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  EXPECT_TRUE(fake.profile.writes.empty());
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(
      fake.messages.shown[0].prompt.rfind(L"WORDFORMATSの設定を保存できませんでした。\r\n", 0), 0u);
}

TEST_F(Form1Test, FailedOptionWritePutsThePathsBack) {
  fake.WriteSettings(L"C:\\old\\WINWORD.EXE", L"C:\\old\\edit.exe");
  fake.profile.key_failures[L"WORDFORMATS"] =
      L"WritePrivateProfileStringW: 別のプロセスが使用中です。";
  view.text1 = kWord;
  view.text2 = kNotepad;
  view.word_formats = true;
  form.Command3_Click();
  EXPECT_FALSE(view.closed);
  EXPECT_EQ(Stored(L"WORD"), L"C:\\old\\WINWORD.EXE");
  EXPECT_EQ(Stored(L"TEXT"), L"C:\\old\\edit.exe");
  EXPECT_FALSE(fake.profile.Contains(kSettings, L"OPTION", L"WORDFORMATS"));
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_NE(fake.messages.shown[0].prompt.find(L"TEXTの設定は保存前の値に戻しました。"),
            std::wstring::npos)
      << fake.messages.shown[0].prompt.size();
}

TEST_F(Form1Test, AboutShowsProductNameVersionAndCopyright) {
  form.mnuAbout_Click();
  ASSERT_EQ(fake.messages.shown.size(), 1u);
  EXPECT_EQ(fake.messages.shown[0].prompt,
            L"TALVERN Ver1.20\r\nバージョン 1.20.0136\r\nCopyright (c) 2026 Talvern Project");
  EXPECT_EQ(fake.messages.shown[0].icon, MsgIcon::kInformation);
  EXPECT_EQ(fake.messages.shown[0].title, L"Talvern");
  EXPECT_FALSE(view.closed);
}

// The tester's dialog opens in Documents, then in the last document's folder; a drop gets
// a paragraph per file, twenty at most, the boxes' programs (empty: missing) and reasons.
TEST_F(Form1Test, TesterOpensWhereTheLastDocumentWasAndExplainsEachDrop) {
  m.SignatureBytes = SplitAtSpaces(SignatureAsText());
  fake.shell.documents = L"C:\\Users\\ユーザー\\Documents";
  fake.files.files[L"C:\\文書\\a.doc"] = "Hello";
  fake.dialog.answers = {L"C:\\文書\\a.doc", L""};
  form.mnuTryDocument_Click();
  form.mnuTryDocument_Click();
  ASSERT_EQ(fake.dialog.calls.size(), 2u);
  EXPECT_EQ(fake.dialog.calls[0].initial_folder, fake.shell.documents);
  EXPECT_EQ(fake.dialog.calls[1].initial_folder, L"C:\\文書");
  std::vector<std::wstring> dropped(22, L"C:\\文書\\a.doc");
  dropped[1] = L"C:\\文書\\gone.doc";
  dropped[2] = L"C:\\文書\\a.lnk";
  fake.shell.links[dropped[2]] = L"C:\\文書\\a.doc";
  form.Form_DropFiles(dropped);
  const std::wstring a =
      L"C:\\文書\\a.doc\r\n先頭のバイト: 48 65 6C 6C 6F → テキスト (その他)\r\n"
      L"テキスト エディターで開きます: \r\nこのプログラムが見つかりません。\r\n\r\n";
  std::wstring expected = a +
                          L"C:\\文書\\gone.doc\r\n読み取れないため開けません。\r\n"
                          L"理由: CreateFileW: The system cannot find the file specified.\r\n\r\n" +
                          L"C:\\文書\\a.lnk\r\nショートカットのリンク先: " + a;
  for (int i = 3; i != 20; ++i) expected += a;
  ASSERT_EQ(fake.messages.shown.size(), 2u);  // none for the cancelled dialog
  EXPECT_EQ(fake.messages.shown[1].prompt, expected + L"ほか 2 件");
}

}  // namespace
}  // namespace talvern
