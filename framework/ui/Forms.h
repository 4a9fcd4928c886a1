// Forms (TCustomForm, TForm), the screen (TScreen: forms, data modules, the active form and
// control) and the application (TApplication: the forms it creates, the message loop, the
// exception handler), with the global Screen and Application objects.
//
// Activation: a form becomes the active form when the focus enters it (SetFocus on it or
// a control of it, Show, a click into it). The form left gets OnDeactivate, the form
// entered OnActivate, then focus enters the control; the screen's OnActiveFormChange fires
// last. A message box (through the message service) takes the focus from the active
// control and the activation from its form while it is shown and gives both back after it
// closes, before it returns.
//
// Modal forms: ShowModal shows the form, runs the message loop until ModalResult is set
// (by a button whose ModalResult is set before its click handler runs, by Close, or by
// code), then closes it (OnCloseQuery, OnClose with its action) and hides it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "framework/core/Events.h"
#include "framework/ui/Controls.h"

namespace fw {

class TDataModule;
class TMenu;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
FW_ENUM_INFO(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
                 poDesktopCenter, poMainFormCenter, poOwnerFormCenter };
FW_ENUM_INFO(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
             "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
FW_ENUM_INFO(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow",
             "bsSizeToolWin")

enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

using TCloseEvent = TEvent<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TEvent<void(TObject* sender, bool& canClose)>;
using TShortCutEvent = TEvent<void(std::uint16_t key, TShiftState shift, bool& handled)>;

class TCustomForm : public TWinControl {
  FW_CLASS(TCustomForm)
 public:
  /// A hidden form, registered with the screen and as a root that form files may name.
  explicit TCustomForm(TComponent* owner);
  /// Fires OnDestroy unless BeforeDestruction did, then frees the owned components and
  /// the window.
  ~TCustomForm() override;
  /// Fires OnDestroy (once) while the whole form is still alive. The application (the
  /// forms' owner) and Release call it right before they free a form; a form freed with
  /// delete alone fires OnDestroy from this class's destructor, when the parts of its
  /// derived class are gone already.
  void BeforeDestruction();

  TPosition GetPosition() const { return FPosition; }
  void SetPosition(TPosition v) { FPosition = v; }
  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle v);
  /// The control that has (or will have) the focus when the form is active.
  TWinControl* GetActiveControl() const { return FActiveControl; }
  /// Raises "Cannot focus a disabled or invisible window" for a control that cannot take
  /// the focus while the form is shown; while loading, the control is only remembered.
  void SetActiveControl(TWinControl* control);
  bool GetKeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool v) { FKeyPreview = v; }
  TModalResult GetModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult v) { FModalResult = v; }
  bool GetActive() const { return FActive; }
  TFormState GetFormState() const { return FFormState; }
  bool GetOldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
  int GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
  int GetTextHeight() const { return FTextHeight; }
  void SetTextHeight(int v) { FTextHeight = v; }
  bool GetScaled() const { return FScaled; }
  void SetScaled(bool v) { FScaled = v; }

  TNotifyEvent GetOnCreate() const { return FOnCreate; }
  void SetOnCreate(TNotifyEvent e) { FOnCreate = e; }
  TNotifyEvent GetOnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TNotifyEvent e) { FOnDestroy = e; }
  TNotifyEvent GetOnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent e) { FOnShow = e; }
  TNotifyEvent GetOnHide() const { return FOnHide; }
  void SetOnHide(TNotifyEvent e) { FOnHide = e; }
  TNotifyEvent GetOnActivate() const { return FOnActivate; }
  void SetOnActivate(TNotifyEvent e) { FOnActivate = e; }
  TNotifyEvent GetOnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(TNotifyEvent e) { FOnDeactivate = e; }
  TCloseEvent GetOnClose() const { return FOnClose; }
  void SetOnClose(TCloseEvent e) { FOnClose = e; }
  TCloseQueryEvent GetOnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(TCloseQueryEvent e) { FOnCloseQuery = e; }
  TShortCutEvent GetOnShortCut() const { return FOnShortCut; }
  void SetOnShortCut(TShortCutEvent e) { FOnShortCut = e; }

  /// Shows the form (placing it by Position first) and activates it.
  void Show();
  /// Shows the form modally and runs the message loop until ModalResult is set; then the
  /// form is closed and hidden (or freed later, by its close action) and the result is
  /// returned. Raises "Cannot make a visible window modal" for a visible form.
  TModalResult ShowModal();
  /// Closes the form: a modal form gets ModalResult mrCancel; otherwise OnCloseQuery, then
  /// OnClose with the action caHide (the main form: the application terminates; caHide
  /// hides; caFree releases; caNone does nothing).
  void Close();
  /// OnCloseQuery's answer (true without a handler).
  virtual bool CloseQuery();
  /// Frees the form from the message loop, after the messages already waiting.
  void Release();
  /// Activates the form and focuses its ActiveControl (the first tab stop when none).
  void SetFocus() override;
  bool CanFocus() const override;
  /// Moves the focus inside the form to `control` (null: the form itself): OnExit and
  /// OnEnter of the controls left and entered, activating the form first when another
  /// form was active. Returns false when a handler moved the focus on in between.
  bool SetFocusedControl(TWinControl* control);
  /// The control that has the focus inside the form (the form itself or null).
  TWinControl* GetFocusedControl() const { return FFocusedControl; }
  /// Focus leaves `control` and its children (it is hidden, disabled or destroyed).
  void DefocusControl(TWinControl* control, bool removing);
  /// Sends CM_CANCELMODE with `sender` to the active control.
  void SendCancelMode(TControl* sender);
  /// A shortcut of the form itself: OnShortCut. True when handled.
  virtual bool IsShortCut(std::uint16_t key, TShiftState shift);

  bool DialogKey(std::uint16_t key, TShiftState shift) override;
  void SetVisible(bool v) override;
  void Loaded() override;
  void WndProc(TMessage& message) override;
  TRect GetClientRect() const override;
  TPoint GetClientOrigin() const override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  bool NativeVisible() const override { return FVisible; }
  void VisibleChanged() override;
  /// Fire OnActivate, OnDeactivate, OnShow, OnHide, OnClose.
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  void DoCreate();
  void TextChanged() override;

 private:
  friend class TScreen;
  void CloseModal();
  void PlaceOnScreen();
  void SetWindowFocus();
  void SetActive(bool active);

  TPosition FPosition = poDesigned;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  bool FKeyPreview = false;
  bool FActive = false;
  TModalResult FModalResult = mrNone;
  TFormState FFormState;
  bool FOldCreateOrder = false;
  bool FDestroyFired = false;
  int FPixelsPerInch = 96;
  int FTextHeight = 13;
  bool FScaled = true;
  TNotifyEvent FOnCreate, FOnDestroy, FOnShow, FOnHide, FOnActivate, FOnDeactivate;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
  TShortCutEvent FOnShortCut;
};

class TForm : public TCustomForm {
  FW_CLASS(TForm)
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

/// The screen: every form (most recently active first), the data modules (in creation
/// order), the active form and control, and the screen's size.
class TScreen : public TComponent {
  FW_CLASS(TScreen)
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int GetFormCount() const { return static_cast<int>(FForms.size()); }
  TCustomForm* GetForm(int index) const;
  int GetDataModuleCount() const;
  TDataModule* GetDataModule(int index) const;
  /// The form that has the focus (none while a message box or no form of ours has it).
  TCustomForm* GetActiveForm() const { return FActiveForm; }
  TWinControl* GetActiveControl() const { return FActiveControl; }
  TCustomForm* GetFocusedForm() const { return FFocusedForm; }
  int GetWidth() const;
  int GetHeight() const;
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor c) { FCursor = c; }
  /// Replaces the handler (one handler; a new one is not chained to the old).
  TNotifyEvent GetOnActiveFormChange() const { return FOnActiveFormChange; }
  void SetOnActiveFormChange(TNotifyEvent e) { FOnActiveFormChange = e; }
  TNotifyEvent GetOnActiveControlChange() const { return FOnActiveControlChange; }
  void SetOnActiveControlChange(TNotifyEvent e) { FOnActiveControlChange = e; }

  /// While a message box is up: the focus and the activation leave the active form
  /// (OnDeactivate, OnActiveFormChange) in Begin and come back in End (OnActivate,
  /// OnActiveFormChange), before the box's caller goes on. Nested boxes count.
  void BeginModalBox();
  void EndModalBox();

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  void BringFormToFront(TCustomForm* form);
  /// Fires the change events when the active form or control changed since last time.
  void UpdateLastActive();
  /// After the focused form was hidden: the next shown form in the list gets the focus.
  void FocusNextForm(TCustomForm* leaving);

  std::vector<TCustomForm*> FForms;
  std::vector<TCustomForm*> FSaveFocusedList;
  TCustomForm* FActiveForm = nullptr;
  TCustomForm* FFocusedForm = nullptr;
  TWinControl* FActiveControl = nullptr;
  TCustomForm* FLastActiveForm = nullptr;
  TWinControl* FLastActiveControl = nullptr;
  TCursor FCursor = crDefault;
  TNotifyEvent FOnActiveFormChange, FOnActiveControlChange;
  struct TSavedFocus {
    TCustomForm* Form;
    TWinControl* Control;
  };
  std::vector<TSavedFocus> FBoxStack;
};

using TExceptionEvent = TEvent<void(TObject* sender, const std::exception& e)>;

/// The application: owner of the forms and data modules it creates (the first form is
/// the main form), the message loop and the handler of exceptions that reach the loop.
class TApplication : public TComponent {
  FW_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  /// Prepares the application (nothing to do beyond what the widget set did).
  void Initialize() {}
  /// Creates a form or data module of class T owned by the application and stores it in
  /// `reference`; the first form created becomes the main form.
  template <class T>
  void CreateForm(T*& reference) {
    reference = nullptr;
    T* instance = new T(this);
    reference = instance;
    Created(instance);
  }
  /// The same for a registered class (its form file, if any, is read by its constructor).
  TComponent* CreateForm(const TClassInfo& cls);
  TCustomForm* GetMainForm() const { return FMainForm; }
  /// Shows the main form and runs the message loop until Terminate (the main form's
  /// close terminates).
  void Run();
  void Terminate();
  bool GetTerminated() const { return FTerminated; }
  /// Delivers every waiting message and event, then returns.
  void ProcessMessages();
  /// Waits for one message or event and delivers it (exceptions go to HandleException).
  void HandleMessage();
  /// The handler of exceptions that reach the message loop: EAbort is silent; otherwise
  /// OnException when assigned, else ShowException. Call it from a catch block.
  void HandleException(TObject* sender);
  /// Shows the exception's message through the message service.
  void ShowException(const std::exception& e);
  TExceptionEvent GetOnException() const { return FOnException; }
  void SetOnException(TExceptionEvent e) { FOnException = e; }
  const std::string& GetTitle() const { return FTitle; }
  void SetTitle(const std::string& v) { FTitle = v; }
  /// Depth of nested modal loops (forms and boxes).
  int GetModalLevel() const { return FModalLevel; }
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TCustomForm;
  void Created(TComponent* instance);
  TCustomForm* FMainForm = nullptr;
  bool FTerminated = false;
  int FModalLevel = 0;
  std::string FTitle;
  TExceptionEvent FOnException;
};

/// The screen and the application; created by InitializeUi, null before.
extern TScreen* Screen;
extern TApplication* Application;
/// Creates Screen and Application (once); registers the window layer's classes.
void InitializeUi();
/// Frees Application (and so every form it owns) and Screen.
void FinalizeUi();

}  // namespace fw
