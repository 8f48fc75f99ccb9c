#include "window/form1_design.h"

#include "platform/paths.h"

namespace talvern {

bool ControlKindOf(const wchar_t* class_name, ControlKind* kind) {
  static const struct {
    const wchar_t* name;
    ControlKind kind;
  } kClasses[] = {{L"static", ControlKind::kLabel},
                  {L"edit", ControlKind::kTextBox},
                  {L"button", ControlKind::kButton}};
  for (const auto& entry : kClasses) {
    const wchar_t* a = entry.name;
    const wchar_t* b = class_name;
    while (*a && PathUpper(*a) == PathUpper(*b)) ++a, ++b;
    if (*a == L'\0' && *b == L'\0') {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

}  // namespace talvern
