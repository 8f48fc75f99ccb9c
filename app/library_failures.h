// Included ahead of every source of the MinGW build (cmake/windows.cmake): libstdc++'s checks
// report a failure with only its line and condition. Its own form adds the header's path and
// the checking function's full signature, 10 KB of text in the exe.
#pragma once

#include <bits/c++config.h>

#undef __glibcxx_assert_impl
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#define __glibcxx_assert_impl(_Condition)                                \
  if (__builtin_expect(!bool(_Condition), false)) {                      \
    __glibcxx_constexpr_assert(false);                                   \
    std::__glibcxx_assert_fail(nullptr, __LINE__, nullptr, #_Condition); \
  }
