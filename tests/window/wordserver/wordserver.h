// What the stand-in Word automation server and the tests that register it share.
#ifndef TALVERN_TESTS_WINDOW_WORDSERVER_WORDSERVER_H_
#define TALVERN_TESTS_WINDOW_WORDSERVER_WORDSERVER_H_

#include <windows.h>

/// Its class: {6D1F2C3A-7B4E-4C1D-9A8F-3E2B5C7D9A10}.
constexpr CLSID kWordServerClsid = {
    0x6d1f2c3a, 0x7b4e, 0x4c1d, {0x9a, 0x8f, 0x3e, 0x2b, 0x5c, 0x7d, 0x9a, 0x10}};
constexpr wchar_t kWordServerClsidText[] = L"{6D1F2C3A-7B4E-4C1D-9A8F-3E2B5C7D9A10}";

/// HKCU key of its settings: "Path" (the folder it reports) and "Log" (file of its calls).
constexpr wchar_t kWordServerKey[] = L"Software\\Talvern Tests\\Word server";

#endif  // TALVERN_TESTS_WINDOW_WORDSERVER_WORDSERVER_H_
