// A program's version information read from its file as bytes: a handful of small reads,
// where loading it (even as a data file) maps the whole image, and nothing of it runs; and
// the running Windows' version.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/platform-win32.h"

namespace talvern {

namespace {

constexpr std::uint32_t kVersionType = 16;         // RT_VERSION
constexpr std::uint32_t kSubdirectory = 1u << 31;  // a directory entry that leads deeper
constexpr std::uint32_t kMaxVersionBytes = 64 * 1024;

std::uint32_t U16(const std::string& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return 0;
  return static_cast<std::uint8_t>(bytes[at]) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8;
}

std::uint32_t U32(const std::string& bytes, std::size_t at) {
  return U16(bytes, at) | U16(bytes, at + 2) << 16;
}

// Exactly `size` bytes at `offset` of `file`; false when they are not all there. (Wine
// takes ten times longer for a read at an offset given with the call.)
bool ReadAt(HANDLE file, std::uint32_t offset, std::uint32_t size, std::string* bytes) {
  bytes->assign(size, '\0');
  if (size == 0) return true;
  LARGE_INTEGER at;
  at.QuadPart = offset;
  DWORD got = 0;
  return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
         ReadFile(file, &(*bytes)[0], size, &got, nullptr) && got == size;
}

// The file offset of `rva` in the raw data of one of `sections` (the section table).
bool FileOffset(const std::string& sections, std::uint32_t rva, std::uint32_t* offset) {
  for (std::size_t s = 0; s + 40 <= sections.size(); s += 40) {
    const std::uint32_t start = U32(sections, s + 12);
    if (rva >= start && rva - start < U32(sections, s + 16)) {
      *offset = U32(sections, s + 20) + (rva - start);
      return true;
    }
  }
  return false;
}

// The data of the entry with id `id` (0: the first entry) of the resource directory at
// `directory`, an offset from `base`, the resources' file offset.
bool Entry(HANDLE file, std::uint32_t base, std::uint32_t directory, std::uint32_t id,
           std::uint32_t* data) {
  std::string header, entries;
  if (!ReadAt(file, base + directory, 16, &header)) return false;
  const std::uint32_t named = U16(header, 12), count = named + U16(header, 14);
  if (!ReadAt(file, base + directory + 16, count * 8, &entries)) return false;
  // Entries named by a number follow those named by text.
  for (std::uint32_t k = id ? named : 0; k < count; ++k) {
    if (id == 0 || U32(entries, std::size_t{k} * 8) == id) {
      *data = U32(entries, std::size_t{k} * 8 + 4);
      return true;
    }
  }
  return false;
}

// The bytes of the first version resource of the PE file `file`.
bool VersionResource(HANDLE file, std::string* data) {
  std::string dos, headers, sections, leaf;
  if (!ReadAt(file, 0, 64, &dos) || U16(dos, 0) != 0x5A4D) return false;  // "MZ"
  const std::uint32_t pe = U32(dos, 60);
  if (!ReadAt(file, pe, 24, &headers) || U32(headers, 0) != 0x4550) return false;  // "PE\0\0"
  const std::uint32_t section_count = U16(headers, 6), optional_size = U16(headers, 20);
  if (!ReadAt(file, pe + 24, optional_size, &headers)) return false;
  // The resource table is the third data directory, after 96 (PE32) or 112 (PE32+) bytes.
  const std::uint32_t directories = U16(headers, 0) == 0x20B ? 112 : 96;
  const std::uint32_t resources = U32(headers, directories + 2 * 8);
  std::uint32_t base = 0, type = 0, name = 0, language = 0, at = 0;
  if (!ReadAt(file, pe + 24 + optional_size, section_count * 40, &sections) ||
      !FileOffset(sections, resources, &base) || !Entry(file, base, 0, kVersionType, &type) ||
      !(type & kSubdirectory) || !Entry(file, base, type & ~kSubdirectory, 0, &name) ||
      !(name & kSubdirectory) || !Entry(file, base, name & ~kSubdirectory, 0, &language) ||
      (language & kSubdirectory) || !ReadAt(file, base + language, 16, &leaf) ||
      !FileOffset(sections, U32(leaf, 0), &at)) {
    return false;
  }
  return ReadAt(file, at, std::min(U32(leaf, 4), kMaxVersionBytes), data);
}

// One block of the version information: a key, a value, then child blocks.
struct Block {
  std::size_t end = 0;
  std::wstring key;
  std::size_t value = 0;
  std::size_t children = 0;
};

std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

// The UTF-16 text at `at`, up to its NUL or `end`; `*after` is where the NUL ends.
std::wstring TextAt(const std::string& data, std::size_t at, std::size_t end, std::size_t* after) {
  std::wstring text;
  for (; at + 2 <= end && U16(data, at) != 0; at += 2) text += static_cast<wchar_t>(U16(data, at));
  *after = at + 2;
  return text;
}

// The block at `at`; false when there is none that ends by `limit`.
bool BlockAt(const std::string& data, std::size_t at, std::size_t limit, Block* block) {
  const std::size_t length = U16(data, at);
  if (length < 6 || at + length > limit) return false;
  block->end = at + length;
  block->key = TextAt(data, at + 6, block->end, &block->value);
  block->value = Align4(block->value);
  // A text value's length counts characters, any other value's bytes.
  const std::size_t value_bytes = std::size_t{U16(data, at + 2)} * (U16(data, at + 4) == 1 ? 2 : 1);
  block->children = Align4(block->value + value_bytes);
  return true;
}

}  // namespace

std::wstring VersionInternalName(void* file) {
  std::string data;
  if (!VersionResource(static_cast<HANDLE>(file), &data)) return std::wstring();
  Block root, info, table, entry;
  if (!BlockAt(data, 0, data.size(), &root)) return std::wstring();
  for (std::size_t a = root.children; BlockAt(data, a, root.end, &info); a = Align4(info.end)) {
    if (info.key != L"StringFileInfo") continue;
    for (std::size_t b = info.children; BlockAt(data, b, info.end, &table); b = Align4(table.end)) {
      for (std::size_t c = table.children; BlockAt(data, c, table.end, &entry);
           c = Align4(entry.end)) {
        std::size_t after = 0;
        if (entry.key == L"InternalName") return TextAt(data, entry.value, entry.end, &after);
      }
    }
  }
  return std::wstring();
}

unsigned long WindowsBuild() {
  // GetVersionExW answers with the newest Windows the manifest names, not the running one.
  using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const auto get = ntdll ? reinterpret_cast<GetVersion>(
                               reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!get || get(&info) != 0) return 0;
  return info.dwBuildNumber;
}

}  // namespace talvern
