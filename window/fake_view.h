// The settings window as the unit tests and the fuzz targets see it: its boxes and caption
// in memory, closing as the real window does.
#ifndef TALVERN_WINDOW_FAKE_VIEW_H_
#define TALVERN_WINDOW_FAKE_VIEW_H_

#include <string>

#include "window/form1.h"

namespace talvern {

/// Remembers what the logic did to it; Unload and the close box ask `form` first.
class FakeView : public Form1View {
 public:
  std::wstring Text1() override { return text1; }
  void SetText1(const std::wstring& text) override { text1 = text; }
  std::wstring Text2() override { return text2; }
  void SetText2(const std::wstring& text) override { text2 = text; }
  void SetCaption(const std::wstring& text) override { caption = text; }
  bool WordFormatsChecked() override { return word_formats; }
  void SetWordFormatsChecked(bool checked) override { word_formats = checked; }
  void Unload() override { Close(kUnloadFormCode); }
  void* Handle() override { return handle; }

  /// The user closing the window with its close box.
  void CloseBox() { Close(kUnloadFormControlMenu); }

  Form1* form = nullptr;
  void* handle = nullptr;
  std::wstring text1 = L"", text2 = L"", caption = L"TALVERN";
  bool word_formats = false;  ///< the check mark of the system menu's option item.
  bool closed = false;

 private:
  void Close(int unload_mode) {
    int cancel = 0;
    form->Form_QueryUnload(&cancel, unload_mode);
    if (!cancel) closed = true;
  }
};

}  // namespace talvern

#endif  // TALVERN_WINDOW_FAKE_VIEW_H_
