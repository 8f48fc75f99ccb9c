#include "launcher/switches.h"

#include <gtest/gtest.h>

namespace talvern {
namespace {

// Argument text, then the switches it asks for.
struct SwitchRow {
  const wchar_t* text;
  unsigned switches;
};

TEST(SwitchesTest, ReadTable) {
  const SwitchRow rows[] = {
      {L"", 0},
      {L"/register", kRegisterSwitch},
      {L"/REGISTER  /SendTo ", kRegisterSwitch | kSendToSwitch},
      {L"/sendto /? /unregister /sendto", kSendToSwitch | kUsageSwitch | kUnregisterSwitch},
      // Anything that is not exactly a switch is a document, as before there were switches.
      {L"C:\\docs\\register", 0}, {L"\"/register\"", 0}, {L"/register.doc", 0}, {L"/help", 0},
      // Switches with anything else: refused, nothing done.
      {L"/register C:\\a.doc", kMixedSwitches}, {L"C:\\a.doc /sendto", kMixedSwitches},
      // Split at spaces only, as documents are.
      {L"/register\t/sendto", 0},
  };
  for (const SwitchRow& row : rows) {
    EXPECT_EQ(ReadSwitches(row.text), row.switches) << row.text;
  }
}

}  // namespace
}  // namespace talvern
