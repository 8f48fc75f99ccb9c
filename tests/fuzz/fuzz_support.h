// Shared pieces of the fuzz targets: property checks that stop the run with a readable
// report, and texts drawn from the fuzzer's bytes.
#ifndef TALVERN_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define TALVERN_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talvern {
namespace fuzz {

/// Reports a broken property (with `detail`, UTF-8) and aborts, so libFuzzer keeps the input.
[[noreturn]] void Fail(const char* file, int line, const char* condition,
                       const std::wstring& detail);

/// `text` as UTF-8, for reports.
std::string Utf8(const std::wstring& text);

/// `items` quoted and joined with " | ", for reports.
std::wstring Listed(const std::vector<std::wstring>& items);

/// Up to `max_length` characters, each picked from `alphabet`.
std::wstring ConsumeText(FuzzedDataProvider& in, const std::wstring& alphabet,
                         std::size_t max_length);

/// A full path the file system could hold: a drive or a network share, then one to three
/// names (no quote, colon or backslash in them, spaces only inside).
std::wstring ConsumePath(FuzzedDataProvider& in);

/// One entry of `table`, picked by the input.
template <typename T, std::size_t N>
const T& Pick(FuzzedDataProvider& in, const T (&table)[N]) {
  return table[in.ConsumeIntegralInRange<std::size_t>(0, N - 1)];
}

}  // namespace fuzz
}  // namespace talvern

/// Checks a property of the code under test; `detail` says what was being checked on.
#define FUZZ_CHECK(condition, detail)                                                \
  do {                                                                               \
    if (!(condition)) ::talvern::fuzz::Fail(__FILE__, __LINE__, #condition, detail); \
  } while (0)

/// The libFuzzer entry point of a target whose inputs `run(FuzzedDataProvider&)` consumes.
#define TALVERN_FUZZ_TARGET(run)                                                      \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    FuzzedDataProvider in(data, size);                                                \
    run(in);                                                                          \
    return 0;                                                                         \
  }

#endif  // TALVERN_TESTS_FUZZ_FUZZ_SUPPORT_H_
