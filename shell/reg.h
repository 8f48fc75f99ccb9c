// Module `reg`: the registry keys of document classes, written where the user may write.
#ifndef TALVERN_SHELL_REG_H_
#define TALVERN_SHELL_REG_H_

#include <string>

#include "platform/platform.h"

namespace talvern {
namespace reg {

/// The full name of `key` under `root`, as regedit shows it ("HKEY_CURRENT_USER\\...").
std::wstring KeyName(KeyRoot root, const std::wstring& key);

/// Creates `key` (relative to HKEY_CLASSES_ROOT) in the machine-wide classes and sets its
/// default value to `value`; the per-user classes take it when the machine-wide ones refuse,
/// and always when they already hold the key (theirs wins in HKEY_CLASSES_ROOT). False with
/// `error` (the key, then the reason) when none takes it.
bool SetClassesRootDefault(Registry& registry, const std::wstring& key, const std::wstring& value,
                           std::wstring* error);

/// Deletes the single key `key` from the per-user and the machine-wide classes, as far as
/// they allow. A key that is absent is not an error. False with `error` (the key, then the
/// reason) for the first place that refused.
bool DeleteClassesRootKey(Registry& registry, const std::wstring& key, std::wstring* error);

}  // namespace reg
}  // namespace talvern

#endif  // TALVERN_SHELL_REG_H_
