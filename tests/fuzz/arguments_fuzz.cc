// Argument reassembly on raw argument text, through the program-name skip, and on command
// lines the shell could pass. Checks the properties that keep documents intact: pieces,
// coverage of the input, where a document may begin, no empty documents and none ending
// in a space, and exact round trips of real paths.
#include <cstdint>
#include <string>
#include <vector>

#include "launcher/arguments.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzz_support.h"

namespace talvern {
namespace {

// Characters that steer reassembly, with a few ordinary ones (ASCII, Japanese, a tab).
const std::wstring kRawAlphabet = L"   \"\"::\\\\\tCDaz.表ソ";

const wchar_t* const kOwnLong = L"C:\\Program Files\\Talvern\\talvern.exe";
const wchar_t* const kOwnShort = L"C:\\PROGRA~1\\Talvern\\talvern.exe";

std::vector<std::wstring> OwnForms() { return {kOwnLong, kOwnShort}; }

std::wstring Joined(const std::vector<std::wstring>& pieces, std::size_t from, std::size_t to) {
  std::wstring text = pieces[from];
  for (std::size_t k = from + 1; k <= to; ++k) text += L" " + pieces[k];
  return text;
}

bool BeginsDocument(const std::wstring& piece) {
  return (piece.size() >= 2 && piece[1] == L':') || (!piece.empty() && piece[0] == L'"') ||
         piece.rfind(L"\\\\", 0) == 0;
}

/// Reassembles `text` as the start-up does, checking each document against the pieces it
/// came from. Returns the documents handed on (empty ones skipped).
std::vector<std::wstring> CheckedDocuments(const std::wstring& text) {
  const std::vector<std::wstring> pieces = SplitAtSpaces(text);
  std::size_t spaces = 0;
  for (wchar_t c : text) spaces += c == L' ';
  FUZZ_CHECK(pieces.size() == spaces + 1, text);
  FUZZ_CHECK(Joined(pieces, 0, pieces.size() - 1) == text, text);

  std::vector<std::wstring> args = pieces;
  std::vector<std::wstring> documents;
  for (std::size_t i = 0; i != args.size(); ++i) {
    const std::size_t first = i;
    const std::wstring document = NextDocument(args, &i);
    FUZZ_CHECK(i >= first && i < args.size(), text);
    FUZZ_CHECK(document == args[i], text);  // kept in the entry of its last piece
    // A document begins where a piece looks like the start of a path, and only there.
    FUZZ_CHECK(first == 0 || BeginsDocument(pieces[first]), text);
    for (std::size_t k = first + 1; k <= i; ++k) FUZZ_CHECK(!BeginsDocument(pieces[k]), text);
    // Its pieces, read back, are the document with at most one quote before it and at
    // most one quote and any spaces after it; a quote at either end always comes off.
    const std::wstring source = Joined(pieces, first, i);
    const std::wstring shown = source + L" -> " + document;
    const std::size_t lead = source.compare(0, 1, L"\"") == 0 ? 1 : 0;
    FUZZ_CHECK(source.compare(lead, document.size(), document) == 0, shown);
    const std::wstring tail = source.substr(lead + document.size());
    const std::size_t trail = tail.compare(0, 1, L"\"") == 0 ? 1 : 0;
    FUZZ_CHECK(tail.find_first_not_of(L' ', trail) == std::wstring::npos, shown);
    FUZZ_CHECK(trail == 1 || document.empty() || document.back() != L'"', shown);
    FUZZ_CHECK(document.empty() || document.back() != L' ', shown);
    if (!document.empty()) documents.push_back(document);
  }
  FUZZ_CHECK(documents.size() <= pieces.size(), text);
  for (const std::wstring& document : documents) {
    FUZZ_CHECK(document.find(L'"') == std::wstring::npos || text.find(L'"') != std::wstring::npos,
               text);
  }
  return documents;
}

/// The program-name skip on any command line: only a name and blanks are skipped.
void CheckArgumentText(const std::wstring& command_line, const std::vector<std::wstring>& own) {
  const std::wstring rest = ArgumentText(command_line, own[0], [&] { return own; });
  FUZZ_CHECK(rest.size() <= command_line.size(), command_line);
  const std::size_t cut = command_line.size() - rest.size();
  FUZZ_CHECK(command_line.compare(cut, std::wstring::npos, rest) == 0, command_line);
  FUZZ_CHECK(rest.empty() || !IsBlank(rest[0]), command_line);
  std::size_t name_end = cut;
  while (name_end != 0 && IsBlank(command_line[name_end - 1])) --name_end;
  // The name ends at a blank: never inside a word of the documents.
  FUZZ_CHECK(rest.empty() || name_end < cut, command_line + L" -> " + rest);
  const std::wstring name = command_line.substr(0, name_end);
  bool own_name = false;
  for (const std::wstring& form : own) {
    own_name = own_name || SamePathText(name, form);
  }
  // Blanks inside the name only within its quotes, or in the program's own path.
  const std::size_t closing = name.compare(0, 1, L"\"") == 0 ? name.find(L'"', 1) : 0;
  const std::size_t blank = name.find_first_of(L" \t", closing == std::wstring::npos ? 0 : closing);
  FUZZ_CHECK(own_name || closing == std::wstring::npos || blank == std::wstring::npos,
             command_line + L" -> " + rest);
  FUZZ_CHECK(ArgumentText(command_line, own[0], [&] { return own; }) == rest,
             command_line);  // deterministic
}

/// One to four paths, quoted when they hold a space, behind the program's name: the
/// documents handed on are exactly those paths.
void CheckShellLine(FuzzedDataProvider& in) {
  const wchar_t* const kNames[] = {L"\"C:\\Program Files\\Talvern\\talvern.exe\"", kOwnLong,
                                   L"c:\\program files\\talvern\\TALVERN.EXE", kOwnShort,
                                   L"talvern.exe"};
  std::wstring command_line = fuzz::Pick(in, kNames);
  const bool loose = in.ConsumeBool();  // runs of spaces, as a careless caller writes them
  std::vector<std::wstring> paths(in.ConsumeIntegralInRange<std::size_t>(1, 4));
  for (std::wstring& path : paths) {
    path = fuzz::ConsumePath(in);
    const bool quoted = path.find(L' ') != std::wstring::npos || in.ConsumeBool();
    command_line += std::wstring(loose ? in.ConsumeIntegralInRange<std::size_t>(1, 3) : 1, L' ');
    command_line += quoted ? L"\"" + path + L"\"" : path;
  }
  if (loose) command_line += std::wstring(in.ConsumeIntegralInRange<std::size_t>(0, 2), L' ');
  const std::wstring rest = ArgumentText(command_line, kOwnLong, OwnForms);
  FUZZ_CHECK(CheckedDocuments(rest) == paths, command_line + L" -> " + fuzz::Listed(paths));
}

void Run(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: {
      const std::wstring text = fuzz::ConsumeText(in, kRawAlphabet, 48);
      FUZZ_CHECK(CheckedDocuments(text) == CheckedDocuments(text), text);  // deterministic
      break;
    }
    case 1: {
      const wchar_t* const kPrefixes[] = {L"", kOwnLong, kOwnShort, L"\"C:\\Program Files\\T\"",
                                          L"C:\\Program"};
      const std::wstring command_line =
          fuzz::Pick(in, kPrefixes) + fuzz::ConsumeText(in, kRawAlphabet, 40);
      CheckArgumentText(command_line, OwnForms());
      CheckedDocuments(ArgumentText(command_line, kOwnLong, OwnForms));
      break;
    }
    default:
      CheckShellLine(in);
      break;
  }
}

}  // namespace
}  // namespace talvern

TALVERN_FUZZ_TARGET(talvern::Run)
