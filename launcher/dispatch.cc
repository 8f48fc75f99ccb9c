#include "launcher/dispatch.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "launcher/formats.h"
#include "platform/decimal.h"
#include "platform/paths.h"

namespace talvern {

namespace {

constexpr std::size_t kSignatureLength = kCompoundSignature.size();

}  // namespace

std::wstring HexText(std::uint8_t byte) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  if (byte >= 0x10) text += kDigits[byte >> 4];
  text += kDigits[byte & 0xF];
  return text;
}

std::wstring SignatureAsText() {
  std::wstring text;
  for (char byte : kCompoundSignature) {
    if (!text.empty()) text += L' ';
    text += HexText(static_cast<std::uint8_t>(byte));
  }
  return text;
}

bool TestSignature(Module1& m, Platform& p, const std::wstring& document, std::wstring* error,
                   std::unique_ptr<ByteReader>* file_out) {
  if (m.SignatureBytes.size() != kSignatureLength) {
    *error = L"署名の表が " + DecimalText(kSignatureLength) + L" バイトではありません。";
    return false;
  }
  if (document.empty()) {
    *error = L"文書の名前が空です。";
    return false;
  }
  // Each document is tested afresh, whatever the one before it left behind.
  m.NotCompound = false;
  // A missing document is reported, never created.
  std::unique_ptr<ByteReader> file = p.files->OpenForRead(document, error);
  if (!file) return false;
  for (std::size_t j = 0; j != kSignatureLength && !m.NotCompound; ++j) {
    std::uint8_t byte = 0;
    switch (file->ReadByte(static_cast<std::uint64_t>(j), &byte, error)) {
      case ByteReader::Result::kError:
        return false;
      case ByteReader::Result::kEnd:
        // A short document is never a compound file, whatever earlier documents held.
        m.NotCompound = true;
        break;
      case ByteReader::Result::kByte:
        m.HeaderBytes[j] = byte;
        if (HexText(byte) != m.SignatureBytes[j]) m.NotCompound = true;
        break;
    }
  }
  if (file_out) *file_out = std::move(file);
  return true;
}

bool ClassifyDocument(Module1& m, Platform& p, const std::wstring& document, Classification* found,
                      std::wstring* error) {
  std::unique_ptr<ByteReader> file;
  *found = Classification();
  if (!TestSignature(m, p, document, error, &file)) return false;
  found->to_word = !m.NotCompound;
  if (found->to_word) {
    found->format = DocumentFormat::kCompound;
    found->head.assign(reinterpret_cast<const char*>(m.HeaderBytes), kSignatureLength);
  }
  if (found->to_word || !m.WordFormats) return true;
  if (!file->ReadStart(kFormatHeadBytes, &found->head, error)) return false;
  found->format = FormatOf(found->head);
  found->to_word = found->format != DocumentFormat::kText;
  return true;
}

ProgramFault CheckProgram(Platform& p, const std::wstring& path) {
  if (path.empty()) return ProgramFault::kMissing;
  if (!IsFullPath(path)) return ProgramFault::kNotFullPath;
  if (!CheckFileExists(p, path)) return ProgramFault::kMissing;
  return IsTalvern(p, path) ? ProgramFault::kTalvern : ProgramFault::kNone;
}

const wchar_t kHandedOnVariable[] = L"TALVERN_DOCUMENT";

bool FollowShortcut(Platform& p, std::wstring* document, std::wstring* error) {
  const wchar_t* end = document->c_str() + document->size();
  const bool lnk = document->size() > 4 && end[-4] == L'.' && (end[-3] | 0x20) == L'l' &&
                   (end[-2] | 0x20) == L'n' && (end[-1] | 0x20) == L'k';
  // Only a real shortcut loads what reads it (COM); a missing one is a missing document.
  return !lnk || p.shell->ReadShortcut(*document, document, error) || error->empty();
}

namespace {

// True when a program Talvern started for `document` started this run, through any script.
bool LeadsBack(const Module1& m, Platform& p, const std::wstring& document) {
  return !m.HandedOn.empty() && p.files->SameFile(m.HandedOn, document);
}

HandOffResult StartProgram(Module1& m, Platform& p, const std::wstring& executable,
                           const std::wstring& document, bool* invalid_flag) {
  // Each is what a missing program is: a setting to fix, not a program to start. One that
  // brought this document back would only bring it back again, without end.
  m.LeadsBack = LeadsBack(m, p, document);
  // A program found fit is not read again for the run's next documents.
  auto& fit = m.ProgramsFit;
  const bool known_fit = std::find(fit.begin(), fit.end(), executable) != fit.end();
  if (m.LeadsBack || (!known_fit && CheckProgram(p, executable) != ProgramFault::kNone)) {
    *invalid_flag = true;
    p.window->ShowModal();
    return HandOffResult::kSettingsShown;
  }
  if (!known_fit) fit.push_back(executable);
  p.environment->Set(kHandedOnVariable, document);
  // The stored path is the application itself, so "C:\Program.exe" can never run instead;
  // it is quoted on the command line too, since the started program splits that line
  // itself and would take the words after a space in its own path for documents.
  const std::wstring command_line = L"\"" + executable + L"\"" + m.QuotedDocument;
  std::wstring error;
  if (!p.processes->Start(executable, command_line, &error)) {
    p.MsgBox(L"プログラムを起動できませんでした。\r\n" + command_line + L"\r\n\r\n" + error,
             MsgIcon::kCritical);
    return HandOffResult::kSkipped;
  }
  return HandOffResult::kStarted;
}

}  // namespace

HandOffResult HandOff(Module1& m, Platform& p, const std::wstring& given) {
  std::wstring document = given, error;
  Classification found;
  if (!FollowShortcut(p, &document, &error) || !ClassifyDocument(m, p, document, &found, &error)) {
    m.NotCompound = false;
    std::wstring prompt = L"文書を開けませんでした。\r\n" + document;
    // A missing target is named with the shortcut that points to it.
    if (document != given) {
      prompt.append(L"\r\n(ショートカット ").append(given).append(L" のリンク先)");
    }
    p.MsgBox(prompt.append(L"\r\n\r\n").append(error), MsgIcon::kCritical);
    return HandOffResult::kSkipped;
  }
  m.QuotedDocument = L" \"" + document + L"\"";
  HandOffResult result = found.to_word
                             ? StartProgram(m, p, m.WordPath, document, &m.WordPathInvalid)
                             : StartProgram(m, p, m.TextPath, document, &m.TextPathInvalid);
  m.NotCompound = false;
  return result;
}

}  // namespace talvern
