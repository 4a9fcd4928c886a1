// Helpers of the window layer's tests: a recorder of the message service that answers
// boxes and file dialogs without a person, a fixture that installs it and frees what a test
// left behind, real key and mouse input through Qt (QTest) on controls, answering modal
// loops from the message loop, and traces of handler calls.
#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QString>
#include <Qt>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/Dialogs.h"
#include "framework/core/Object.h"
#include "framework/ui/Controls.h"

class QWidget;
class QImage;

namespace uitest {

/// The native window of a window control (created when needed): the Qt widget set's
/// handle is the control's QWidget.
QWidget* WidgetOf(fw::TWinControl* control);

/// Answers the message service in place of a person and writes down what was asked:
/// "message: TEXT", "confirm: TEXT", "dialog: TEXT", "open: FILTER" or "save: FILTER".
class TMessageRecorder : public fw::TMessageService {
 public:
  void ShowMessage(const std::string& message) override;
  bool Confirm(const std::string& message) override;
  int MessageDlg(const std::string& message, fw::TMsgDlgType type, fw::TMsgDlgButtonBits buttons) override;
  bool ExecuteFileDialog(fw::TFileDialogParams& params) override;

  std::vector<std::string> Log;
  /// Answers for Confirm (idYes / idNo) and MessageDlg, oldest first; without one, Confirm
  /// says yes and MessageDlg presses its first button.
  std::deque<int> Answers;
  /// The file a file dialog chooses; empty: the dialog is cancelled.
  std::string FileToChoose;
};

/// A test with the recorder installed as the message service. Forms that the test leaves
/// on the screen are freed, waiting messages delivered, and the old service put back.
class TUiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  TMessageRecorder Messages;

 private:
  fw::TMessageService* FOldService = nullptr;
};

/// A key press and release through Qt, to the control's window.
void TypeKey(fw::TWinControl* control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
/// Each character of the text as a typed key.
void TypeText(fw::TWinControl* control, const QString& text);
/// A mouse click through Qt at a client position of the control (its centre by default);
/// a graphic control is clicked through its parent's window.
void ClickAt(fw::TControl* control, Qt::MouseButton button = Qt::LeftButton, QPoint pos = QPoint(-1, -1),
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);
/// Delivers what is waiting in the message loop.
void ProcessEvents();
/// Runs `action` from the message loop as soon as it is running again (to answer modal
/// forms, boxes and menus).
void Later(std::function<void()> action);
/// The widget of the modal box or menu that is up now, or null.
QWidget* ActiveModalOrPopup();

/// Renders the control's window into an image (device pixel ratio 1).
QImage Grab(fw::TWinControl* control);

/// A trace of handler calls, compared as one string "a;b;c".
class TTrace : public fw::TObject {
 public:
  void Add(const std::string& item) { Items.push_back(item); }
  std::string Str() const;
  void Clear() { Items.clear(); }
  std::vector<std::string> Items;

  // Handlers that write "<event> <sender's name>".
  void Enter(fw::TObject* sender);
  void Exit(fw::TObject* sender);
  void Click(fw::TObject* sender);
  void Activate(fw::TObject* sender);
  void Deactivate(fw::TObject* sender);
  void Show(fw::TObject* sender);
  void Hide(fw::TObject* sender);
  void KeyDown(fw::TObject* sender, std::uint16_t& key, fw::TShiftState shift);
  void KeyPress(fw::TObject* sender, fw::TKeyChar& key);
  void KeyUp(fw::TObject* sender, std::uint16_t& key, fw::TShiftState shift);
  /// Keys listed here are consumed (set to 0) by KeyDown and KeyPress.
  std::vector<unsigned> Consume;
};

/// The name of a component (or "?" for other objects, "nil" for none).
std::string NameOf(fw::TObject* object);

}  // namespace uitest
