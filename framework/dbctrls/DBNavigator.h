// TDBNavigator: a row of ten buttons (first, prior, next, last, insert, delete, edit, post,
// cancel, refresh) that move through and edit the dataset of a data source. The buttons are
// drawn by the navigator itself; their enablement follows the dataset's state and position.
#pragma once

#include <memory>
#include <string>

#include "framework/core/Strings.h"
#include "framework/data/DataSource.h"
#include "framework/ui/Controls.h"

namespace fw {

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
FW_ENUM_INFO(TNavigateBtn, "nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbEdit", "nbPost",
             "nbCancel", "nbRefresh")
using TButtonSet = TSet<TNavigateBtn>;
inline constexpr TButtonSet kAllNavButtons{nbFirst, nbPrior, nbNext,   nbLast,   nbInsert,
                                           nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};

using TNavClick = TEvent<void(TObject* sender, TNavigateBtn button)>;

/// The navigator. A button is enabled when the navigator is enabled, its data source's
/// dataset is open and:
///   First, Prior: the dataset is not at its beginning (BOF);
///   Next, Last: the dataset is not at its end (EOF);
///   Insert: the dataset can be modified;
///   Delete: it can be modified and is not empty;
///   Edit: it can be modified and is not in edit or insert state;
///   Post, Cancel: it can be modified and is in edit or insert state;
///   Refresh: always (an open dataset can always re-read its rows).
/// A click on an enabled button fires BeforeAction, does the button's action (Delete asks
/// "Delete record?" through the message service first when ConfirmDelete is set), then
/// fires OnClick with the button.
class TDBNavigator : public TCustomControl {
  FW_CLASS(TDBNavigator)
 public:
  explicit TDBNavigator(TComponent* owner);
  ~TDBNavigator() override;

  TDataSource* GetDataSource() const;
  void SetDataSource(TDataSource* source);
  TButtonSet GetVisibleButtons() const { return FVisibleButtons; }
  void SetVisibleButtons(TButtonSet v);
  /// Buttons drawn with a flat one-pixel frame.
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool v);
  bool GetConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(bool v) { FConfirmDelete = v; }
  /// Hints of the buttons, one line per button in button order; an empty or missing line
  /// leaves the button its default hint ("First record", ...).
  TStrings* GetHints() const { return FHints.get(); }
  void SetHints(TStrings* hints) { FHints->Assign(hints); }
  bool IsHintsStored() const { return FHints->GetCount() > 0; }
  TNavClick GetBeforeAction() const { return FBeforeAction; }
  void SetBeforeAction(TNavClick e) { FBeforeAction = e; }
  TNavClick GetOnClick() const { return FOnNavClick; }
  void SetOnClick(TNavClick e) { FOnNavClick = e; }

  /// Whether a button would act now (see the class comment); false for hidden buttons.
  bool IsButtonEnabled(TNavigateBtn button) const;
  /// The button's place in the client area (empty for a hidden button).
  TRect ButtonRect(TNavigateBtn button) const;
  std::string GetButtonHint(TNavigateBtn button) const;
  /// What a click on the button does (nothing for a disabled button; see the class comment).
  void BtnClick(TNavigateBtn button);

  unsigned GetDlgCode() const override { return DLGC_WANTARROWS; }
  /// Left and Right move the focused button, Space clicks it.
  void KeyDown(std::uint16_t& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void WMSetFocus() override;
  void WMKillFocus() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void Paint() override;
  void EnabledChanged() override;

 private:
  class TNavDataLink;
  friend class TNavDataLink;
  /// The visible button at a client position, or -1.
  int ButtonAt(int x, int y) const;
  void DrawGlyph(TCanvas* canvas, TNavigateBtn button, const TRect& r, bool enabled) const;

  std::unique_ptr<TNavDataLink> FDataLink;
  std::unique_ptr<TStringList> FHints;
  TButtonSet FVisibleButtons = kAllNavButtons;
  bool FConfirmDelete = true;
  bool FFlat = false;
  int FPressed = -1;       // the button held down by the mouse
  bool FPressedIn = false;  // the mouse is over the held button
  int FFocusedButton = nbFirst;
  TNavClick FBeforeAction, FOnNavClick;
};

/// Registers TDBNavigator for form files.
void RegisterDBNavigatorClasses();

}  // namespace fw
