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
    if (SamePathText(entry.name, class_name)) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

}  // namespace talvern
