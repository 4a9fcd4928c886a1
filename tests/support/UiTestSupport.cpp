#include "tests/support/UiTestSupport.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>

#include "framework/core/Component.h"
#include "framework/ui/Forms.h"
#include "framework/ui/WidgetSet.h"

namespace uitest {

QWidget* WidgetOf(fw::TWinControl* control) { return reinterpret_cast<QWidget*>(control->GetHandle()); }

void TMessageRecorder::ShowMessage(const std::string& message) { Log.push_back("message: " + message); }

bool TMessageRecorder::Confirm(const std::string& message) {
  Log.push_back("confirm: " + message);
  if (Answers.empty()) return true;
  int a = Answers.front();
  Answers.pop_front();
  return a == fw::idYes || a == fw::idOk;
}

int TMessageRecorder::MessageDlg(const std::string& message, fw::TMsgDlgType, fw::TMsgDlgButtonBits buttons) {
  Log.push_back("dialog: " + message);
  if (!Answers.empty()) {
    int a = Answers.front();
    Answers.pop_front();
    return a;
  }
  static const int results[] = {fw::idYes, fw::idNo, fw::idOk, fw::idCancel, fw::idAbort, fw::idRetry,
                                fw::idIgnore, fw::idAll, fw::idNoToAll, fw::idYesToAll};
  for (int b = 0; b < 10; ++b)
    if (buttons & (1u << b)) return results[b];
  return fw::idOk;
}

bool TMessageRecorder::ExecuteFileDialog(fw::TFileDialogParams& params) {
  Log.push_back(std::string(params.Save ? "save: " : "open: ") + params.Filter);
  if (FileToChoose.empty()) return false;
  params.FileName = FileToChoose;
  return true;
}

void TUiTest::SetUp() {
  FOldService = fw::SetMessageService(&Messages);
  ASSERT_NE(fw::Screen, nullptr);
  fw::Screen->SetOnActiveFormChange(nullptr);
  fw::Screen->SetOnActiveControlChange(nullptr);
  if (fw::Application) fw::Application->SetOnException(nullptr);
}

void TUiTest::TearDown() {
  ProcessEvents();
  while (fw::Screen && fw::Screen->GetFormCount() > 0) {
    fw::TCustomForm* form = fw::Screen->GetForm(0);
    form->BeforeDestruction();
    delete form;
  }
  ProcessEvents();
  fw::SetCaptureControl(nullptr);
  fw::SetMessageService(FOldService);
}

void TypeKey(fw::TWinControl* control, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QTest::keyClick(WidgetOf(control), key, modifiers);
}

void TypeText(fw::TWinControl* control, const QString& text) { QTest::keyClicks(WidgetOf(control), text); }

void ClickAt(fw::TControl* control, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers modifiers) {
  if (pos == QPoint(-1, -1)) pos = QPoint(control->GetWidth() / 2, control->GetHeight() / 2);
  auto* window = dynamic_cast<fw::TWinControl*>(control);
  if (!window) {
    window = control->GetParent();
    pos += QPoint(control->GetLeft(), control->GetTop());
  }
  QTest::mouseClick(WidgetOf(window), button, modifiers, pos);
}

void ProcessEvents() {
  if (fw::Application) fw::Application->ProcessMessages();
}

void Later(std::function<void()> action) { QTimer::singleShot(0, qApp, std::move(action)); }

QWidget* ActiveModalOrPopup() {
  if (QWidget* p = QApplication::activePopupWidget()) return p;
  return QApplication::activeModalWidget();
}

QImage Grab(fw::TWinControl* control) {
  QWidget* w = WidgetOf(control);
  QImage image(w->size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  w->render(&image);
  return image;
}

std::string TTrace::Str() const {
  std::string out;
  for (const auto& i : Items) {
    if (!out.empty()) out += ";";
    out += i;
  }
  return out;
}

std::string NameOf(fw::TObject* object) {
  if (!object) return "nil";
  if (auto* c = dynamic_cast<fw::TComponent*>(object)) return c->GetName();
  return "?";
}

void TTrace::Enter(fw::TObject* s) { Add("enter " + NameOf(s)); }
void TTrace::Exit(fw::TObject* s) { Add("exit " + NameOf(s)); }
void TTrace::Click(fw::TObject* s) { Add("click " + NameOf(s)); }
void TTrace::Activate(fw::TObject* s) { Add("activate " + NameOf(s)); }
void TTrace::Deactivate(fw::TObject* s) { Add("deactivate " + NameOf(s)); }
void TTrace::Show(fw::TObject* s) { Add("show " + NameOf(s)); }
void TTrace::Hide(fw::TObject* s) { Add("hide " + NameOf(s)); }

void TTrace::KeyDown(fw::TObject* s, std::uint16_t& key, fw::TShiftState) {
  Add("down " + NameOf(s) + " " + std::to_string(key));
  if (std::find(Consume.begin(), Consume.end(), key) != Consume.end()) key = 0;
}

void TTrace::KeyPress(fw::TObject* s, fw::TKeyChar& key) {
  Add("press " + NameOf(s) + " " + std::to_string(static_cast<unsigned>(key)));
  if (std::find(Consume.begin(), Consume.end(), static_cast<unsigned>(key)) != Consume.end()) key = 0;
}

void TTrace::KeyUp(fw::TObject* s, std::uint16_t& key, fw::TShiftState) {
  Add("up " + NameOf(s) + " " + std::to_string(key));
}

}  // namespace uitest
