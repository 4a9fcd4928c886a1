#include "framework/dbctrls/DBNavigator.h"

#include <cmath>
#include <vector>

#include "framework/core/Consts.h"
#include "framework/core/Dialogs.h"
#include "framework/core/TypInfo.h"
#include "framework/data/DataClasses.h"
#include "framework/stream/Classes.h"
#include "framework/ui/UiRegister.h"

namespace fw {

/// The navigator's link: every change of the dataset's state, position or data repaints
/// the buttons (their enablement is worked out when they are painted).
class TDBNavigator::TNavDataLink : public TDataLink {
 public:
  explicit TNavDataLink(TDBNavigator* navigator) : FNavigator(navigator) {}

 protected:
  void ActiveChanged() override { FNavigator->Invalidate(); }
  void DataSetChanged() override { FNavigator->Invalidate(); }
  void EditingChanged() override { FNavigator->Invalidate(); }

 private:
  TDBNavigator* FNavigator;
};

namespace {

const char* const kDefaultHints[] = {SFirstRecord, SPriorRecord, SNextRecord, SLastRecord, SInsertRecord,
                                     SDeleteRecord, SEditRecord, SPostEdit, SCancelEdit, SRefreshRecord};

}  // namespace

const TClassInfo& TDBNavigator::StaticClass() {
  static const TClassInfo& info =
      TClassBuilder<TDBNavigator>("TDBNavigator", &TCustomControl::StaticClass())
          .Prop("ConfirmDelete", &TDBNavigator::GetConfirmDelete, &TDBNavigator::SetConfirmDelete).Default(1)
          .Prop("DataSource", &TDBNavigator::GetDataSource, &TDBNavigator::SetDataSource)
          .Prop("Flat", &TDBNavigator::GetFlat, &TDBNavigator::SetFlat).Default(0)
          .Prop("Hints", &TDBNavigator::GetHints, &TDBNavigator::SetHints).Stored(&TDBNavigator::IsHintsStored)
          .Prop("VisibleButtons", &TDBNavigator::GetVisibleButtons, &TDBNavigator::SetVisibleButtons)
          .Default(static_cast<std::int64_t>(kAllNavButtons.ToInt()))
          .Prop("BeforeAction", &TDBNavigator::GetBeforeAction, &TDBNavigator::SetBeforeAction)
          .Prop("OnClick", &TDBNavigator::GetOnClick, &TDBNavigator::SetOnClick)
          .Build();
  return info;
}

TDBNavigator::TDBNavigator(TComponent* owner)
    : TCustomControl(owner), FDataLink(std::make_unique<TNavDataLink>(this)), FHints(std::make_unique<TStringList>()) {
  InitColor(clBtnFace);
  FControlStyle.Exclude(csClickEvents);  // the buttons click, not the navigator
  FControlStyle.Exclude(csDoubleClicks);
  FWidth = 241;
  FHeight = 25;
}

TDBNavigator::~TDBNavigator() { FDataLink->SetDataSource(nullptr); }

TDataSource* TDBNavigator::GetDataSource() const { return FDataLink->GetDataSource(); }

void TDBNavigator::SetDataSource(TDataSource* source) {
  TDataSource* old = FDataLink->GetDataSource();
  if (source == old) return;
  if (old) old->RemoveFreeNotification(this);
  FDataLink->SetDataSource(source);
  if (source) source->FreeNotification(this);
  Invalidate();
}

void TDBNavigator::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == TOperation::opRemove && FDataLink && component == FDataLink->GetDataSource()) {
    FDataLink->SetDataSource(nullptr);
    Invalidate();
  }
}

void TDBNavigator::SetVisibleButtons(TButtonSet v) {
  if (v == FVisibleButtons) return;
  FVisibleButtons = v;
  FPressed = -1;
  Invalidate();
}

void TDBNavigator::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  Invalidate();
}

void TDBNavigator::EnabledChanged() {
  TCustomControl::EnabledChanged();
  Invalidate();
}

bool TDBNavigator::IsButtonEnabled(TNavigateBtn button) const {
  if (!FVisibleButtons.Contains(button) || !IsEnabledInTree() || !FDataLink->GetActive()) return false;
  TDataSet* ds = FDataLink->GetDataSet();
  if (!ds) return false;
  bool canModify = ds->CanModify();
  bool editing = ds->GetState() == dsEdit || ds->GetState() == dsInsert;
  switch (button) {
    case nbFirst:
    case nbPrior: return !ds->GetBOF();
    case nbNext:
    case nbLast: return !ds->GetEOF();
    case nbInsert: return canModify;
    case nbDelete: return canModify && !(ds->GetBOF() && ds->GetEOF());
    case nbEdit: return canModify && !editing;
    case nbPost:
    case nbCancel: return canModify && editing;
    case nbRefresh: return true;
  }
  return false;
}

TRect TDBNavigator::ButtonRect(TNavigateBtn button) const {
  if (!FVisibleButtons.Contains(button)) return {};
  int count = 0, index = 0;
  for (int b = nbFirst; b <= nbRefresh; ++b) {
    if (!FVisibleButtons.Contains(static_cast<TNavigateBtn>(b))) continue;
    if (b == button) index = count;
    ++count;
  }
  TRect client = GetClientRect();
  int width = client.Width() / count, extra = client.Width() % count;
  // The pixels left over widen the first buttons by one each.
  int left = index * width + std::min(index, extra);
  return {left, 0, left + width + (index < extra ? 1 : 0), client.Height()};
}

int TDBNavigator::ButtonAt(int x, int y) const {
  for (int b = nbFirst; b <= nbRefresh; ++b)
    if (PtInRect(ButtonRect(static_cast<TNavigateBtn>(b)), {x, y})) return b;
  return -1;
}

std::string TDBNavigator::GetButtonHint(TNavigateBtn button) const {
  if (button < FHints->GetCount() && !FHints->Get(button).empty()) return FHints->Get(button);
  return kDefaultHints[button];
}

/*
** BeforeAction fires only while the dataset is open and the button enabled; OnClick fires
** after the action (also when the user declined the deletion). A handler that frees the
** navigator ends the sequence.
*/
void TDBNavigator::BtnClick(TNavigateBtn button) {
  if (!IsButtonEnabled(button)) return;
  auto alive = AliveToken();
  if (FBeforeAction) {
    FBeforeAction(this, button);
    if (alive.expired()) return;
  }
  TDataSet* ds = FDataLink->GetDataSet();
  if (ds && FDataLink->GetActive()) {
    switch (button) {
      case nbFirst: ds->First(); break;
      case nbPrior: ds->Prior(); break;
      case nbNext: ds->Next(); break;
      case nbLast: ds->Last(); break;
      case nbInsert: ds->Insert(); break;
      case nbEdit: ds->Edit(); break;
      case nbPost: ds->Post(); break;
      case nbCancel: ds->Cancel(); break;
      case nbRefresh: ds->Refresh(); break;
      case nbDelete:
        if (!FConfirmDelete ||
            MessageDlg(SDeleteRecordQuestion, mtConfirmation, MsgDlgButton(mbOK) | MsgDlgButton(mbCancel)) != idCancel)
          ds->Delete();
        break;
    }
  }
  if (alive.expired()) return;
  if (FOnNavClick) FOnNavClick(this, button);
}

void TDBNavigator::KeyDown(std::uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  auto step = [this](int dir) {
    for (int b = FFocusedButton + dir; b >= nbFirst && b <= nbRefresh; b += dir)
      if (FVisibleButtons.Contains(static_cast<TNavigateBtn>(b))) {
        FFocusedButton = b;
        Invalidate();
        return;
      }
  };
  switch (key) {
    case VK_LEFT: step(-1); break;
    case VK_RIGHT: step(1); break;
    case VK_SPACE:
      key = 0;
      BtnClick(static_cast<TNavigateBtn>(FFocusedButton));
      return;
    default: return;
  }
  key = 0;
}

void TDBNavigator::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  int b = ButtonAt(x, y);
  if (b < 0 || !IsButtonEnabled(static_cast<TNavigateBtn>(b))) return;
  FPressed = b;
  FPressedIn = true;
  Repaint();
}

void TDBNavigator::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  int b = ButtonAt(x, y);
  if (b >= 0) SetHint(GetButtonHint(static_cast<TNavigateBtn>(b)));
  if (FPressed >= 0 && (b == FPressed) != FPressedIn) {
    FPressedIn = b == FPressed;
    Invalidate();
  }
}

void TDBNavigator::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  int pressed = FPressed;
  bool inside = FPressedIn && ButtonAt(x, y) == pressed;
  if (button == mbLeft && pressed >= 0) {
    FPressed = -1;
    FPressedIn = false;
    Invalidate();
  }
  auto alive = AliveToken();
  TCustomControl::MouseUp(button, shift, x, y);
  if (alive.expired()) return;
  if (button == mbLeft && inside) BtnClick(static_cast<TNavigateBtn>(pressed));
}

void TDBNavigator::WMSetFocus() {
  TCustomControl::WMSetFocus();
  if (!FVisibleButtons.Contains(static_cast<TNavigateBtn>(FFocusedButton)))
    for (int b = nbFirst; b <= nbRefresh; ++b)
      if (FVisibleButtons.Contains(static_cast<TNavigateBtn>(b))) {
        FFocusedButton = b;
        break;
      }
  Invalidate();
}

void TDBNavigator::WMKillFocus() {
  TCustomControl::WMKillFocus();
  Invalidate();
}

void TDBNavigator::Paint() {
  TCanvas* c = GetCanvas();
  if (FVisibleButtons.Empty()) {
    c->GetBrush()->SetColor(FColor);
    c->FillRect(GetClientRect());
    return;
  }
  for (int i = nbFirst; i <= nbRefresh; ++i) {
    auto b = static_cast<TNavigateBtn>(i);
    if (!FVisibleButtons.Contains(b)) continue;
    TRect r = ButtonRect(b);
    bool pressed = FPressed == i && FPressedIn;
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (FFlat ? DFCS_FLAT : 0u));
    TRect g = r;
    if (pressed) g = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    DrawGlyph(c, b, g, IsButtonEnabled(b));
    if (Focused() && FFocusedButton == i) c->DrawFocusRect({r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3});
  }
}

/*
** The glyphs are drawn in a 9 x 9 box around the button's centre: bars and triangles for
** the moves, a plus and a minus for insert and delete, a triangle pointing up for edit, a
** check mark for post, a cross for cancel and a circular arrow for refresh. A disabled
** glyph is engraved: a light copy one pixel down and right under a grey one.
*/
void TDBNavigator::DrawGlyph(TCanvas* canvas, TNavigateBtn button, const TRect& r, bool enabled) const {
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  auto draw = [&](int dx, int dy, TColor color) {
    canvas->GetPen()->SetColor(color);
    canvas->GetPen()->SetWidth(1);
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(color);
    int x = cx + dx, y = cy + dy;
    auto bar = [&](int left, int top, int right, int bottom) { canvas->FillRect({x + left, y + top, x + right, y + bottom}); };
    auto triangle = [&](std::vector<TPoint> pts) {
      for (auto& p : pts) p = {x + p.X, y + p.Y};
      canvas->Polygon(pts);
    };
    auto thick = [&](std::vector<TPoint> pts, int width) {
      for (int k = 0; k < width; ++k) {
        canvas->MoveTo(x + pts[0].X, y + pts[0].Y + k);
        for (std::size_t i = 1; i < pts.size(); ++i) canvas->LineTo(x + pts[i].X, y + pts[i].Y + k);
      }
    };
    switch (button) {
      case nbFirst:
        bar(-4, -4, -2, 5);
        triangle({{3, -4}, {3, 4}, {-1, 0}});
        break;
      case nbPrior: triangle({{2, -4}, {2, 4}, {-2, 0}}); break;
      case nbNext: triangle({{-2, -4}, {-2, 4}, {2, 0}}); break;
      case nbLast:
        triangle({{-3, -4}, {-3, 4}, {1, 0}});
        bar(3, -4, 5, 5);
        break;
      case nbInsert:
        bar(-4, -1, 5, 2);
        bar(-1, -4, 2, 5);
        break;
      case nbDelete: bar(-4, -1, 5, 2); break;
      case nbEdit: triangle({{-4, 2}, {4, 2}, {0, -2}}); break;
      case nbPost: thick({{-4, -1}, {-1, 2}, {4, -3}}, 3); break;
      case nbCancel:
        thick({{-3, -4}, {4, 3}}, 2);
        thick({{3, -4}, {-4, 3}}, 2);
        break;
      case nbRefresh:
        // A ring two pixels thick, open at the upper right, with an arrow head at its end.
        for (int py = -5; py <= 4; ++py)
          for (int px = -5; px <= 4; ++px) {
            double fx = px + 0.5, fy = py + 0.5;
            double d = std::sqrt(fx * fx + fy * fy);
            double angle = std::atan2(-fy, fx) * 180.0 / 3.14159265358979;
            if (d >= 3.0 && d <= 5.0 && !(angle > 5 && angle < 80)) bar(px, py, px + 1, py + 1);
          }
        triangle({{1, -1}, {7, -1}, {4, -4}});
        break;
    }
  };
  if (enabled) {
    draw(0, 0, clBtnText);
  } else {
    draw(1, 1, clBtnHighlight);
    draw(0, 0, clBtnShadow);
  }
  canvas->GetBrush()->SetStyle(bsSolid);
}

void RegisterDBNavigatorClasses() {
  RegisterUiClasses();
  RegisterDataClasses();
  RegisterClasses({&TDBNavigator::StaticClass()});
}

}  // namespace fw
