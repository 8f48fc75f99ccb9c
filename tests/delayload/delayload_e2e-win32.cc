// The delay-load thunks that cmake/delayload.cmake writes, on a program of their own:
// oleaut32, shlwapi and version are bound only through them, so the first call of each
// function runs the helper between caller and callee. A notify hook plays the worst
// helper the ABI allows: it leaves junk in every volatile argument register. Stack
// alignment needs no probe: the x64 thunk's aligned xmm stores fault when it is off.
#include <delayimp.h>
#include <gtest/gtest.h>
#include <oleauto.h>
#include <shlwapi.h>
#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <string>

namespace {

struct HookThrow {};

int hook_calls = 0;
// What the hook runs before the helper loads the DLL of this name (case-insensitive).
const char* hook_dll = nullptr;
void (*before_loading)() = nullptr;

#if defined(__x86_64__)
// Win64 passes the first four arguments in rcx/rdx/r8/r9 or xmm0-xmm3, all of which a
// called function may change.
void ClobberArgumentRegisters() {
  const double junk = -7777.0;
  asm volatile(
      "movsd %0, %%xmm0\n\tmovsd %0, %%xmm1\n\tmovsd %0, %%xmm2\n\tmovsd %0, %%xmm3\n\t"
      "movq $0x5a5a5a5a, %%rcx\n\tmovq %%rcx, %%rdx\n\tmovq %%rcx, %%r8\n\tmovq %%rcx, %%r9"
      :
      : "m"(junk)
      : "xmm0", "xmm1", "xmm2", "xmm3", "rcx", "rdx", "r8", "r9");
}

// Unwinds from here by the unwind data alone until it reaches the frame of caller: what
// a debugger or the exception dispatcher does. "" when it arrives; otherwise why not.
// (Wine's dispatcher guesses its way past a frame without data, so a throw alone
// would not tell.)
std::string WalkTo(const void* caller) {
  CONTEXT context;
  RtlCaptureContext(&context);
  for (int frame = 0; frame < 8; ++frame) {
    DWORD64 base = 0;
    PRUNTIME_FUNCTION entry = RtlLookupFunctionEntry(context.Rip, &base, nullptr);
    char where[64];
    std::snprintf(where, sizeof where, "%#llx", static_cast<unsigned long long>(context.Rip));
    if (entry == nullptr) return std::string("no unwind data for the frame at ") + where;
    if (base + entry->BeginAddress == reinterpret_cast<DWORD64>(caller)) return "";
    void* handler_data = nullptr;
    DWORD64 establisher = 0;
    RtlVirtualUnwind(UNW_FLAG_NHANDLER, base, context.Rip, entry, &context, &handler_data,
                     &establisher, nullptr);
  }
  return "eight frames up, still short of the caller";
}
#else
// i386 Windows functions take their arguments on the stack, beyond the helper's reach.
void ClobberArgumentRegisters() {}

// i386 has no unwind tables: an exception unwinds by the call frame information, which
// the throw through the thunk exercises.
std::string WalkTo(const void*) { return ""; }
#endif

FARPROC WINAPI Hook(unsigned notify, PDelayLoadInfo info) {
  ++hook_calls;
  if (notify == dliNotePreLoadLibrary && hook_dll != nullptr &&
      lstrcmpiA(info->szDll, hook_dll) == 0 && before_loading != nullptr) {
    before_loading();
  }
  ClobberArgumentRegisters();
  return nullptr;
}

bool Loaded(const wchar_t* dll) { return GetModuleHandleW(dll) != nullptr; }

// Taken before main: what the loader mapped with the program. (Later, one delay-loaded
// DLL may bring in another as its own dependency.)
const bool oleaut32_at_start = Loaded(L"oleaut32.dll");
const bool shlwapi_at_start = Loaded(L"shlwapi.dll");
const bool version_at_start = Loaded(L"version.dll");

TEST(DelayLoadThunks, KeepFloatingPointArgumentsOnFirstAndLaterCalls) {
  ASSERT_FALSE(oleaut32_at_start);
  const int calls_before = hook_calls;
  double out = 0;
  // float in xmm0 (stack on i386), pointer in rdx; this call loads the DLL.
  ASSERT_EQ(VarR8FromR4(2.5f, &out), S_OK);
  EXPECT_EQ(out, 2.5);
  EXPECT_TRUE(Loaded(L"oleaut32.dll"));
  EXPECT_GT(hook_calls, calls_before) << "the call did not go through the helper";
  ASSERT_EQ(VarR8FromR4(-0.75f, &out), S_OK);
  EXPECT_EQ(out, -0.75);
  // First call of another function of the loaded DLL: two doubles in xmm0 and xmm1.
  ASSERT_EQ(VarR8Pow(2.0, 10.0, &out), S_OK);
  EXPECT_EQ(out, 1024.0);
  ASSERT_EQ(VarR8Pow(-3.0, 3.0, &out), S_OK);
  EXPECT_EQ(out, -27.0);
}

TEST(DelayLoadThunks, KeepIntegerArgumentsOnFirstAndLaterCalls) {
  ASSERT_FALSE(shlwapi_at_start);
  wchar_t text[64] = L"";
  // rcx, rdx, r8, r9 and three more on the stack; this call loads the DLL.
  EXPECT_EQ(wnsprintfW(text, 64, L"%d|%d|%d|%d|%d", 1, -22, 333, 4444, 55555), 20);
  EXPECT_STREQ(text, L"1|-22|333|4444|55555");
  EXPECT_TRUE(Loaded(L"shlwapi.dll"));
  EXPECT_EQ(wnsprintfW(text, 8, L"%s-%u", L"ab", 7u), 4);
  EXPECT_STREQ(text, L"ab-7");
}

volatile DWORD last_size = 0;

// A caller with a frame of its own (the store after the call keeps it from becoming a
// jump), for the unwind walk to arrive at.
__attribute__((noinline)) DWORD VersionInfoSize(const wchar_t* path, DWORD* handle) {
  const DWORD size = GetFileVersionInfoSizeW(path, handle);
  last_size = size;
  return size;
}

std::string walk_report = "the hook did not run";

// An exception raised while the helper runs (as when a DLL is missing) must unwind
// through the thunk to the caller; the call after it loads the DLL as usual.
TEST(DelayLoadThunks, AnExceptionInTheHelperReachesTheCaller) {
  ASSERT_FALSE(version_at_start);
  hook_dll = "version.dll";
  before_loading = [] {
    walk_report = WalkTo(reinterpret_cast<const void*>(&VersionInfoSize));
    throw HookThrow{};
  };
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryW(path, MAX_PATH), 0u);
  lstrcatW(path, L"\\kernel32.dll");
  DWORD handle = 1;
  EXPECT_THROW(VersionInfoSize(path, &handle), HookThrow);
  EXPECT_EQ(walk_report, "");
  before_loading = nullptr;
  const int calls_before = hook_calls;
  EXPECT_GT(VersionInfoSize(path, &handle), 0u);
  EXPECT_EQ(handle, 0u);
  EXPECT_GT(hook_calls, calls_before) << "the call did not go through the helper again";
}

}  // namespace

// Replaces the runtime's empty hook.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = Hook;
}
