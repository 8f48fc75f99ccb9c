// The settings window's logic: what it detects when it opens and what its buttons
// do, over a small view that the Win32 window (or a test) provides.
#ifndef TALVERN_WINDOW_FORM1_H_
#define TALVERN_WINDOW_FORM1_H_

#include <string>
#include <vector>

#include "launcher/module1.h"
#include "platform/platform.h"

namespace talvern {

/// Why the window is closing, as passed to Form_QueryUnload.
enum UnloadMode : int {
  kUnloadFormControlMenu = 0,  ///< close box, system menu or Alt+F4.
  kUnloadFormCode = 1,         ///< Unload from a button.
};

/// What the logic needs of the window itself.
class Form1View {
 public:
  virtual ~Form1View() = default;
  virtual std::wstring Text1() = 0;
  virtual void SetText1(const std::wstring& text) = 0;
  virtual std::wstring Text2() = 0;
  virtual void SetText2(const std::wstring& text) = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  /// The check mark of the system menu item that sends the other formats Word opens to Word.
  virtual bool WordFormatsChecked() = 0;
  virtual void SetWordFormatsChecked(bool checked) = 0;
  /// Closes the window: calls Form_QueryUnload(kUnloadFormCode) and stays open if it cancels.
  virtual void Unload() = 0;
  /// The window handle, owner of the dialogs the buttons open.
  virtual void* Handle() = 0;
};

/// The settings window `Form1`: one instance per showing.
class Form1 {
 public:
  Form1(Module1& m, Platform& p, Form1View& view) : m_(m), p_(p), view_(view) {}

  /// Runs once before the window is shown: reports invalid settings, detects missing
  /// paths (Word from its registration, else the program Windows opens ".doc"
  /// files with; Notepad in the Windows folder), fills
  /// the boxes, the check mark of the other formats and the caption, and offers to point
  /// registrations that name a Talvern moved away at this one.
  void Form_Load();
  /// Runs before the window closes. Writes both boxes and then the other formats' check
  /// mark only when save-and-close started the closing, all or nothing; when they cannot be
  /// saved, tells the user and sets `*cancel`.
  void Form_QueryUnload(int* cancel, int unload_mode);

  void cmdWord_Click();   ///< browse for Word into Text1.
  void cmdText_Click();   ///< browse for the text editor into Text2.
  void Command1_Click();  ///< cancel: close without saving.
  void Command2_Click();  ///< restore: empty both boxes.
  void Command3_Click();  ///< save and close.
  void Command4_Click();  ///< SendTo shortcut.
  void Command5_Click();  ///< set the association.
  void Command6_Click();  ///< remove the association.

  /// System menu: turn sending the other formats Word opens to Word on or off.
  void mnuWordFormats_Click();
  /// System menu: the product name, version and copyright in an information message.
  void mnuAbout_Click();
  /// System menu: asks, then removes the verb, the Open-with candidate and the SendTo link.
  void mnuRemoveAll_Click();
  /// System menu: lets the user pick any file and says where it would go with the settings
  /// the window shows, and why; starts and writes nothing.
  void mnuTryDocument_Click();
  /// Files dropped on the window: the same, in one message for all of them.
  void Form_DropFiles(const std::vector<std::wstring>& files);

  /// True while a closing must write the boxes to the settings file.
  bool SaveOnClose = false;
  /// Programmatic identifier used for Word detection; empty until detection has run.
  std::wstring WordProgId;

 private:
  void DetectWordPath();
  void FallBackToNotepad();
  std::wstring NotepadPath();
  /// Browses for the program of Word (`word`) or the text editor; false, after telling the
  /// user why, when nothing or Talvern was chosen.
  bool Browse(bool word, std::wstring* chosen);
  /// The text editor the window will show: the configured one, or else Notepad.
  std::wstring TextEditor();
  /// Saves the boxes and the check mark all or nothing; false after telling the user why not.
  bool SaveSettings();
  void TryDocuments(const std::vector<std::wstring>& files);

  /// The folder of the last document tried, where the next trial's dialog opens.
  std::wstring tried_folder_;

  Module1& m_;
  Platform& p_;
  Form1View& view_;
};

}  // namespace talvern

#endif  // TALVERN_WINDOW_FORM1_H_
