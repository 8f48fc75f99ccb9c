#include "launcher/explain.h"

#include <cstdint>

#include "launcher/dispatch.h"
#include "platform/decimal.h"
#include "settings/ini.h"

namespace talvern {

namespace {

constexpr std::size_t kBytesShown = 8;

// One run of dispatch's reading with the option as given; `m` is left as it was.
struct Trial {
  bool read = false;
  std::wstring document;  ///< what was read: a shortcut's target.
  Classification found;
  std::wstring error;
};

Trial Classify(const Module1& m, Platform& p, const std::wstring& document, bool word_formats) {
  Module1 probe;
  probe.SignatureBytes = m.SignatureBytes;
  probe.WordFormats = word_formats;
  Trial trial;
  trial.document = document;
  trial.read = FollowShortcut(p, &trial.document, &trial.error) &&
               ClassifyDocument(probe, p, trial.document, &trial.found, &trial.error);
  return trial;
}

// The first bytes in two-digit hexadecimal, "…" when more were read, and what they are.
std::wstring BytesLine(const Classification& found) {
  std::wstring line = L"先頭のバイト: ";
  if (found.head.empty()) line += L"なし (空のファイル)";
  for (std::size_t i = 0; i != found.head.size() && i != kBytesShown; ++i) {
    const std::wstring hex = HexText(static_cast<std::uint8_t>(found.head[i]));
    line += (i ? L" " : L"") + (hex.size() == 1 ? L"0" + hex : hex);
  }
  if (found.head.size() > kBytesShown) line += L" …";
  return line + L" → " + FormatDescription(found.format);
}

std::wstring ProgramLine(Platform& p, bool to_word, const TrialSettings& settings) {
  // Dispatch sees the box as the settings file gives it back, and checks it so before it
  // starts it.
  const std::wstring program = ini::AsRead(to_word ? settings.word : settings.text);
  std::wstring line =
      (to_word ? L"Word で開きます: " : L"テキスト エディターで開きます: ") + program;
  switch (CheckProgram(p, program)) {
    case ProgramFault::kNone:
    case ProgramFault::kLeadsBack:  // only a run that was handed a document finds this
      break;
    case ProgramFault::kMissing:
      return line + L"\r\nこのプログラムが見つかりません。";
    case ProgramFault::kNotFullPath:
      return line + L"\r\nフル パスではないため起動しません。";
    case ProgramFault::kTalvern:
      return line + L"\r\nTalvern 自身のため起動しません。";
  }
  return line;
}

}  // namespace

std::wstring FormatDescription(DocumentFormat format) {
  switch (format) {
    case DocumentFormat::kCompound:
      return L"複合ファイル (Word 97-2003 の文書など)";
    case DocumentFormat::kRtf:
      return L"RTF";
    case DocumentFormat::kHtml:
      return L"Web ページ";
    case DocumentFormat::kMht:
      return L"MHT";
    case DocumentFormat::kZipPackage:
      return L"ZIP (docx など)";
    case DocumentFormat::kWordXml:
      return L"Word XML";
    case DocumentFormat::kWord2:
      return L"Word 2.0";
    case DocumentFormat::kWordForDos:
      return L"Word for DOS / Write";
    case DocumentFormat::kText:
      break;
  }
  return L"テキスト (その他)";
}

std::wstring ExplainDocument(const Module1& m, Platform& p, const std::wstring& document,
                             const TrialSettings& settings) {
  const Trial on = Classify(m, p, document, true);
  const Trial off = Classify(m, p, document, false);
  const Trial& now = settings.word_formats ? on : off;
  const Trial& other = settings.word_formats ? off : on;
  std::wstring text = document + L"\r\n";
  // Dispatch hands on what a shortcut points to, as Explorer opens it.
  if (now.document != document) {
    text.append(L"ショートカットのリンク先: ").append(now.document).append(L"\r\n");
  }
  if (!now.read) return text + L"読み取れないため開けません。\r\n理由: " + now.error;
  // The option-on reading holds what the rules look at; when it failed where the
  // option-off one did not, the bytes are not known beyond the signature test.
  if (on.read) text += BytesLine(on.found) + L"\r\n";
  text += ProgramLine(p, now.found.to_word, settings);
  // Only the option-on reading can fail where the other did not: it reads further.
  if (!other.read) {
    text += L"\r\n[Word で開ける形式も Word で開く] をオンにすると読み取れません: " + other.error;
  } else if (other.found.to_word != now.found.to_word) {
    // The option only ever sends more documents to Word.
    text +=
        other.found.to_word
            ? L"\r\n[Word で開ける形式も Word で開く] をオンにすると Word で開きます"
            : L"\r\n[Word で開ける形式も Word で開く] をオフにするとテキスト エディターで開きます";
  }
  return text;
}

std::wstring ExplainDocuments(const Module1& m, Platform& p,
                              const std::vector<std::wstring>& documents,
                              const TrialSettings& settings) {
  std::wstring text;
  for (std::size_t i = 0; i != documents.size() && i != kMaxExplained; ++i) {
    if (i) text += L"\r\n\r\n";
    text += ExplainDocument(m, p, documents[i], settings);
  }
  if (documents.size() > kMaxExplained) {
    text += L"\r\n\r\nほか " + DecimalText(documents.size() - kMaxExplained) + L" 件";
  }
  return text;
}

}  // namespace talvern
