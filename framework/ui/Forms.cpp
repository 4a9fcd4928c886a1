#include "framework/ui/Forms.h"

#include <algorithm>
#include <iostream>

#include "framework/core/Consts.h"
#include "framework/core/DataModule.h"
#include "framework/core/Dialogs.h"
#include "framework/core/TypInfo.h"
#include "framework/ui/UiDialogs.h"
#include "framework/ui/UiRegister.h"
#include "framework/ui/WidgetSet.h"

namespace fw {

TScreen* Screen = nullptr;
TApplication* Application = nullptr;

namespace {

/// Counts focus changes: a focus step that sees the count move on knows that a handler
/// moved the focus elsewhere, and stops.
int gFocusCount = 0;

}  // namespace

// ------------------------------------------------------------------ TCustomForm

const TClassInfo& TCustomForm::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TCustomForm>("TCustomForm", &TWinControl::StaticClass())
          .Prop("ActiveControl", &TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl)
          .Prop("BorderStyle", &TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle).Default(bsSizeable)
          .Prop("Caption", &TCustomForm::GetCaption, &TCustomForm::SetCaption)
          .Prop("ClientHeight", &TCustomForm::GetClientHeight, &TCustomForm::SetClientHeight).Stored(false)
          .Prop("ClientWidth", &TCustomForm::GetClientWidth, &TCustomForm::SetClientWidth).Stored(false)
          .Prop("KeyPreview", &TCustomForm::GetKeyPreview, &TCustomForm::SetKeyPreview).Default(0)
          .Prop("OldCreateOrder", &TCustomForm::GetOldCreateOrder, &TCustomForm::SetOldCreateOrder)
          .Prop("PixelsPerInch", &TCustomForm::GetPixelsPerInch, &TCustomForm::SetPixelsPerInch)
          .Prop("Position", &TCustomForm::GetPosition, &TCustomForm::SetPosition).Default(poDesigned)
          .Prop("Scaled", &TCustomForm::GetScaled, &TCustomForm::SetScaled).Default(1)
          .Prop("TextHeight", &TCustomForm::GetTextHeight, &TCustomForm::SetTextHeight)
          .Prop("OnActivate", &TCustomForm::GetOnActivate, &TCustomForm::SetOnActivate)
          .Prop("OnClose", &TCustomForm::GetOnClose, &TCustomForm::SetOnClose)
          .Prop("OnCloseQuery", &TCustomForm::GetOnCloseQuery, &TCustomForm::SetOnCloseQuery)
          .Prop("OnCreate", &TCustomForm::GetOnCreate, &TCustomForm::SetOnCreate)
          .Prop("OnDeactivate", &TCustomForm::GetOnDeactivate, &TCustomForm::SetOnDeactivate)
          .Prop("OnDestroy", &TCustomForm::GetOnDestroy, &TCustomForm::SetOnDestroy)
          .Prop("OnHide", &TCustomForm::GetOnHide, &TCustomForm::SetOnHide)
          .Prop("OnShow", &TCustomForm::GetOnShow, &TCustomForm::SetOnShow)
          .Build();
  return info;
}

const TClassInfo& TForm::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TForm>("TForm", &TCustomForm::StaticClass()).Build();
  return info;
}

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
  FVisible = false;
  FParentFont = false;
  InitColor(clBtnFace);
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FWidth = 320;
  FHeight = 240;
  AddGlobalRoot(this);
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  BeforeDestruction();
  if (Screen && Screen->FFocusedForm == this) {
    Screen->FFocusedForm = nullptr;
    Screen->FocusNextForm(this);
  }
  if (FindFocusedControl() && ContainsControl(FindFocusedControl())) SetNativeFocus(nullptr);
  FActiveControl = nullptr;
  FFocusedControl = nullptr;
  DestroyComponents();
  if (Screen) Screen->RemoveForm(this);
  RemoveGlobalRoot(this);
  if (Application) Application->Notification(this, TOperation::opRemove);
}

void TCustomForm::BeforeDestruction() {
  if (FDestroyFired) return;
  FDestroyFired = true;
  Destroying();
  if (FOnDestroy) RunGuarded(this, [this] { FOnDestroy(this); });
}

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  switch (FBorderStyle) {
    case bsNone: params.Kind = TWindowKind::NoBorder; break;
    case bsSingle:
    case bsDialog: params.Kind = TWindowKind::Dialog; break;
    case bsToolWindow:
    case bsSizeToolWin: params.Kind = TWindowKind::ToolWindow; break;
    default: params.Kind = TWindowKind::TopLevel; break;
  }
  params.Parent = 0;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  RecreateWnd();
}

TRect TCustomForm::GetClientRect() const { return {0, 0, FWidth, FHeight}; }

TPoint TCustomForm::GetClientOrigin() const { return {FLeft, FTop}; }

void TCustomForm::TextChanged() {
  if (HandleAllocated()) WidgetSet()->SetCaption(GetHandle(), FText);
}

void TCustomForm::Loaded() {
  // Controls written directly inside the form in its file get the form as parent here.
  for (int i = 0; i < GetComponentCount(); ++i) {
    auto* c = dynamic_cast<TControl*>(GetComponent(i));
    if (c && !c->GetParent() && c->HasState(csLoading) && !dynamic_cast<TCustomForm*>(c))
      c->SetParent(this);
  }
  TWinControl::Loaded();
  DoCreate();
}

void TCustomForm::DoCreate() {
  if (FOnCreate) FOnCreate(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == TOperation::opRemove) {
    if (component == FActiveControl) FActiveControl = nullptr;
    if (component == FFocusedControl) FFocusedControl = nullptr;
  }
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == FActiveControl) return;
  // While the form is read its controls may not have their parents yet.
  bool ours = HasState(csLoading) ? control && control->GetOwner() == this : GetParentForm(control) == this;
  if (control && !(control != this && ours && (HasState(csLoading) || control->CanFocus())))
    throw EInvalidOperation(SCannotFocus);
  FActiveControl = control;
  if (!HasState(csLoading) && FActive) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  TWinControl* target = FActiveControl && FActiveControl->CanFocus() ? FActiveControl : this;
  HandleNeeded();
  if (FindFocusedControl() == target) {
    // The window has the focus already; the form may still have to become the focused one.
    if (!Screen || Screen->FFocusedForm != this) SetFocusedControl(target);
    return;
  }
  SetNativeFocus(target);
}

bool TCustomForm::CanFocus() const { return FVisible && FEnabled; }

void TCustomForm::SetFocus() {
  if (FActive) return;
  if (!(FVisible && FEnabled)) throw EInvalidOperation(SCannotFocus);
  if (!FActiveControl) {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) FActiveControl = first;
  }
  SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
  if (!control) control = this;
  int count = ++gFocusCount;
  FActiveControl = control != this ? control : nullptr;
  if (Screen) {
    Screen->FActiveControl = control;
    Screen->FActiveForm = this;
    Screen->BringFormToFront(this);
  }
  if (control->FControlState.Contains(csFocusing)) return false;
  auto alive = control->AliveToken();
  control->FControlState.Include(csFocusing);
  struct TUnmark {
    TWinControl* Control;
    std::weak_ptr<void> Alive;
    ~TUnmark() {
      if (!Alive.expired()) Control->FControlState.Exclude(csFocusing);
    }
  } unmark{control, alive};
  if (Screen && Screen->FFocusedForm != this) {
    if (TCustomForm* old = Screen->FFocusedForm) {
      Screen->FFocusedForm = nullptr;
      old->Perform(CM_DEACTIVATE);
      if (count != gFocusCount) return false;
    }
    Screen->FFocusedForm = this;
    Perform(CM_ACTIVATE);
    if (count != gFocusCount) return false;
  }
  if (!FFocusedControl) FFocusedControl = this;
  if (FFocusedControl != control) {
    while (FFocusedControl && !FFocusedControl->ContainsControl(control)) {
      TWinControl* leaving = FFocusedControl;
      FFocusedControl = FFocusedControl->GetParent();
      leaving->Perform(CM_EXIT);
      if (count != gFocusCount) return false;
    }
    while (FFocusedControl != control) {
      TWinControl* entering = control;
      while (entering->GetParent() != FFocusedControl) entering = entering->GetParent();
      FFocusedControl = entering;
      entering->Perform(CM_ENTER);
      if (count != gFocusCount) return false;
    }
  }
  if (Screen) Screen->UpdateLastActive();
  return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(FFocusedControl)) FFocusedControl = control->GetParent();
  if (control->ContainsControl(FActiveControl)) {
    FActiveControl = nullptr;
    if (!HasState(csDestroying) && FActive) SetWindowFocus();
  }
  if (TWinControl* f = FindFocusedControl(); f && control->ContainsControl(f) && removing)
    SetNativeFocus(nullptr);
}

void TCustomForm::SendCancelMode(TControl* sender) {
  if (FActive && FActiveControl) FActiveControl->Perform(CM_CANCELMODE, 0, reinterpret_cast<std::intptr_t>(sender));
}

bool TCustomForm::IsShortCut(std::uint16_t key, TShiftState shift) {
  bool handled = false;
  if (FOnShortCut) FOnShortCut(key, shift, handled);
  return handled;
}

bool TCustomForm::DialogKey(std::uint16_t key, TShiftState shift) {
  if (!shift.Contains(ssAlt)) {
    switch (key) {
      case VK_TAB:
        if (!shift.Contains(ssCtrl)) {
          SelectNext(FActiveControl, !shift.Contains(ssShift), true);
          return true;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (FActiveControl && FActiveControl->GetParent()) {
          FActiveControl->GetParent()->SelectNext(FActiveControl, key == VK_RIGHT || key == VK_DOWN, false);
          return true;
        }
        return false;
      default: break;
    }
  }
  return TWinControl::DialogKey(key, shift);
}

void TCustomForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CM_ACTIVATE:
      FActive = true;
      Activate();
      break;
    case CM_DEACTIVATE:
      FActive = false;
      Deactivate();
      break;
    case CM_RELEASE:
      BeforeDestruction();
      delete this;
      return;
    case WM_CLOSE: Close(); break;
    default: TWinControl::WndProc(m); break;
  }
}

void TCustomForm::Activate() {
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  if (FOnDeactivate) FOnDeactivate(this);
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
  if (FOnClose) FOnClose(this, action);
}

void TCustomForm::PlaceOnScreen() {
  if (!Screen) return;
  switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
      TWinControl::SetBounds((Screen->GetWidth() - FWidth) / 2, (Screen->GetHeight() - FHeight) / 2,
                             FWidth, FHeight);
      break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
      TCustomForm* center = Application ? Application->GetMainForm() : nullptr;
      if (FPosition == poOwnerFormCenter)
        if (auto* ownerForm = dynamic_cast<TCustomForm*>(GetOwner())) center = ownerForm;
      if (!center || center == this) {
        TWinControl::SetBounds((Screen->GetWidth() - FWidth) / 2, (Screen->GetHeight() - FHeight) / 2,
                               FWidth, FHeight);
      } else {
        TWinControl::SetBounds(center->FLeft + (center->FWidth - FWidth) / 2,
                               center->FTop + (center->FHeight - FHeight) / 2, FWidth, FHeight);
      }
      break;
    }
    default: break;
  }
}

void TCustomForm::SetVisible(bool v) {
  if (v == FVisible) return;
  if (v) {
    PlaceOnScreen();
    auto alive = AliveToken();
    DoShow();
    if (alive.expired()) return;
    FVisible = true;
    HandleNeeded();
    VisibleChanged();
    if (!HasState(csDestroying)) SetFocus();
  } else {
    auto alive = AliveToken();
    DoHide();
    if (alive.expired()) return;
    FVisible = false;
    VisibleChanged();
    if (Screen && Screen->FFocusedForm == this && !FFormState.Contains(fsModal)) Screen->FocusNextForm(this);
  }
}

void TCustomForm::VisibleChanged() { UpdateNativeVisible(); }

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || !FEnabled || FFormState.Contains(fsModal)) throw EInvalidOperation(SCannotShowModal);
  if (Screen && Screen->FFocusedForm) Screen->FFocusedForm->SendCancelMode(this);
  SetCaptureControl(nullptr);
  FFormState.Include(fsModal);
  TCustomForm* saved = Screen ? Screen->FFocusedForm : nullptr;
  if (Screen) Screen->FSaveFocusedList.insert(Screen->FSaveFocusedList.begin(), saved);
  if (Application) ++Application->FModalLevel;
  auto alive = AliveToken();
  struct TRestore {
    TCustomForm* Form;
    std::weak_ptr<void> Alive;
    ~TRestore() {
      if (Application) --Application->FModalLevel;
      TCustomForm* back = nullptr;
      if (Screen && !Screen->FSaveFocusedList.empty()) {
        back = Screen->FSaveFocusedList.front();
        Screen->FSaveFocusedList.erase(Screen->FSaveFocusedList.begin());
      }
      if (Alive.expired()) return;
      Form->FFormState.Exclude(fsModal);
      if (Form->HandleAllocated()) WidgetSet()->SetModal(Form->GetHandle(), false);
      if (!Screen) return;
      auto& forms = Screen->FForms;
      bool backAlive = back && std::find(forms.begin(), forms.end(), back) != forms.end();
      if (backAlive && back->FVisible && back->FEnabled) {
        back->SetWindowFocus();
      } else if (Screen->FFocusedForm == Form) {
        Screen->FocusNextForm(Form);
      }
    }
  } restore{this, alive};
  HandleNeeded();
  WidgetSet()->SetModal(GetHandle(), true);
  Show();
  FModalResult = mrNone;
  do {
    if (Application)
      Application->HandleMessage();
    else
      WidgetSet()->HandleMessage();
    if (alive.expired()) return mrCancel;
    if (Application && Application->GetTerminated())
      FModalResult = mrCancel;
    else if (FModalResult != mrNone)
      CloseModal();
  } while (FModalResult == mrNone);
  TModalResult result = FModalResult;
  if (Screen && Screen->FFocusedForm == this) {
    Screen->FFocusedForm = nullptr;
    Perform(CM_DEACTIVATE);
  }
  if (!alive.expired()) Hide();
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    if (action == caNone)
      FModalResult = mrNone;
    else if (action == caFree)
      Release();
  } catch (...) {
    FModalResult = mrNone;
    if (Application) Application->HandleException(this);
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->GetMainForm() == this)
    Application->Terminate();
  else if (action == caHide || action == caMinimize)
    Hide();
  else
    Release();
}

void TCustomForm::Release() { PostMessage(this, CM_RELEASE, 0, 0); }

// ------------------------------------------------------------------ TScreen

const TClassInfo& TScreen::StaticClass() {
  static const TClassInfo& info = TClassBuilder<TScreen>("TScreen", &TComponent::StaticClass()).Build();
  return info;
}

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

TScreen::~TScreen() {
  if (Screen == this) Screen = nullptr;
}

TCustomForm* TScreen::GetForm(int index) const {
  if (index < 0 || index >= GetFormCount()) ListIndexError(index);
  return FForms[static_cast<std::size_t>(index)];
}

int TScreen::GetDataModuleCount() const {
  int n = 0;
  for (TComponent* c : GlobalRoots())
    if (dynamic_cast<TDataModule*>(c)) ++n;
  return n;
}

TDataModule* TScreen::GetDataModule(int index) const {
  int n = 0;
  for (TComponent* c : GlobalRoots())
    if (auto* dm = dynamic_cast<TDataModule*>(c)) {
      if (n == index) return dm;
      ++n;
    }
  ListIndexError(index);
}

int TScreen::GetWidth() const { return WidgetSet()->ScreenSize().cx; }
int TScreen::GetHeight() const { return WidgetSet()->ScreenSize().cy; }

void TScreen::AddForm(TCustomForm* form) { FForms.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it != FForms.end()) FForms.erase(it);
  for (auto& f : FSaveFocusedList)
    if (f == form) f = nullptr;
  for (auto& b : FBoxStack)
    if (b.Form == form) b.Form = nullptr;
  if (FActiveForm == form) {
    FActiveForm = nullptr;
    FActiveControl = nullptr;
    UpdateLastActive();
  }
  if (FFocusedForm == form) FFocusedForm = nullptr;
}

void TScreen::BringFormToFront(TCustomForm* form) {
  auto it = std::find(FForms.begin(), FForms.end(), form);
  if (it == FForms.end() || it == FForms.begin()) return;
  FForms.erase(it);
  FForms.insert(FForms.begin(), form);
}

void TScreen::UpdateLastActive() {
  if (FLastActiveForm != FActiveForm) {
    FLastActiveForm = FActiveForm;
    if (FOnActiveFormChange) FOnActiveFormChange(this);
  }
  if (FLastActiveControl != FActiveControl) {
    FLastActiveControl = FActiveControl;
    if (FOnActiveControlChange) FOnActiveControlChange(this);
  }
}

void TScreen::FocusNextForm(TCustomForm* leaving) {
  for (TCustomForm* f : std::vector<TCustomForm*>(FForms)) {
    if (f == leaving || !f->FVisible || !f->FEnabled) continue;
    f->SetWindowFocus();
    return;
  }
  // No form is left to take the focus.
  SetNativeFocus(nullptr);
  if (FFocusedForm) {
    TCustomForm* old = FFocusedForm;
    FFocusedForm = nullptr;
    old->Perform(CM_DEACTIVATE);
  }
  FActiveForm = nullptr;
  FActiveControl = nullptr;
  UpdateLastActive();
}

void TScreen::BeginModalBox() {
  FBoxStack.push_back({FFocusedForm, FFocusedForm ? FFocusedForm->FActiveControl : nullptr});
  if (FFocusedForm) FFocusedForm->SendCancelMode(nullptr);
  SetNativeFocus(nullptr);
  if (FFocusedForm) {
    TCustomForm* old = FFocusedForm;
    FFocusedForm = nullptr;
    old->Perform(CM_DEACTIVATE);
  }
  FActiveForm = nullptr;
  FActiveControl = nullptr;
  UpdateLastActive();
}

void TScreen::EndModalBox() {
  if (FBoxStack.empty()) return;
  TSavedFocus saved = FBoxStack.back();
  FBoxStack.pop_back();
  if (!FBoxStack.empty()) return;  // an outer box is still up
  TCustomForm* form = saved.Form;
  if (!form || !form->FVisible || !form->FEnabled) {
    FocusNextForm(nullptr);
    return;
  }
  form->SetWindowFocus();
}

// ------------------------------------------------------------------ TApplication

const TClassInfo& TApplication::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TApplication>("TApplication", &TComponent::StaticClass()).Build();
  return info;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() {
  Destroying();
  // The last created first; a form hears OnDestroy while it is still whole.
  while (GetComponentCount() > 0) {
    TComponent* c = GetComponent(GetComponentCount() - 1);
    if (auto* form = dynamic_cast<TCustomForm*>(c)) form->BeforeDestruction();
    RemoveComponent(c);
    delete c;
  }
  if (Application == this) Application = nullptr;
}

void TApplication::Created(TComponent* instance) {
  if (auto* form = dynamic_cast<TCustomForm*>(instance); form && !FMainForm) {
    FMainForm = form;
    form->HandleNeeded();
  }
}

TComponent* TApplication::CreateForm(const TClassInfo& cls) {
  if (!cls.CreateComponent) return nullptr;
  TComponent* instance = cls.CreateComponent(this);
  Created(instance);
  return instance;
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == TOperation::opRemove && component == FMainForm) FMainForm = nullptr;
}

void TApplication::Run() {
  if (!FMainForm) return;
  FMainForm->Show();
  while (!FTerminated) HandleMessage();
}

void TApplication::Terminate() {
  FTerminated = true;
  WidgetSet()->WakeUp();
}

void TApplication::ProcessMessages() {
  try {
    WidgetSet()->ProcessMessages();
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::HandleMessage() {
  try {
    WidgetSet()->HandleMessage();
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::HandleException(TObject* sender) {
  std::exception_ptr current = std::current_exception();
  if (!current) return;
  try {
    try {
      std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
      if (FOnException)
        FOnException(sender, e);
      else
        ShowException(e);
    } catch (...) {
      fw::ShowMessage(SUnknownException);
    }
  } catch (const std::exception& e) {
    // The handler itself failed: nothing is left to show it but standard error.
    std::cerr << "exception in the exception handler: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "exception in the exception handler\n";
  }
}

void TApplication::ShowException(const std::exception& e) {
  fw::MessageDlg(e.what(), mtError, MsgDlgButton(mbOK));
}

void RunGuarded(TObject* sender, const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    if (Application) {
      Application->HandleException(sender);
    } else {
      try {
        throw;
      } catch (const EAbort&) {
      } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
      } catch (...) {
      }
    }
  }
}

void InitializeUi() {
  RegisterUiClasses();
  if (!Screen) Screen = new TScreen(nullptr);
  if (!Application) Application = new TApplication(nullptr);
}

void FinalizeUi() {
  delete Application;
  Application = nullptr;
  delete Screen;
  Screen = nullptr;
}

}  // namespace fw
