// The widget set on Qt 6: one bridge widget per window control turns Qt's events into the
// controls' key, mouse, paint and close calls (inside RunGuarded, so that no exception
// unwinds through Qt); QPainter draws for the canvas, QImage holds bitmaps, QMenu shows
// pop-up menus, QMessageBox and QFileDialog the message service's boxes.
#include "framework/ui/qt/QtWidgetSet.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QUrl>
#include <QWidget>

#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/Consts.h"
#include "framework/core/Dialogs.h"
#include "framework/core/Exceptions.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Forms.h"
#include "framework/ui/Menus.h"
#include "framework/ui/UiDialogs.h"
#include "framework/ui/WidgetSet.h"

namespace fw::qt {

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }
QColor C(TColor rgb) { return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)); }
QRect R(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

QFont MakeFont(const TFontData& f) {
  QFont font(Q(f.Name));
  int px = f.Height < 0 ? -f.Height : static_cast<int>(std::lround(f.Height * 0.86));
  font.setPixelSize(std::max(1, px));
  font.setBold(f.Style.Contains(fsBold));
  font.setItalic(f.Style.Contains(fsItalic));
  font.setUnderline(f.Style.Contains(fsUnderline));
  font.setStrikeOut(f.Style.Contains(fsStrikeOut));
  return font;
}

TShiftState Shift(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton) {
  TShiftState s;
  if (mods & Qt::ShiftModifier) s.Include(ssShift);
  if (mods & Qt::ControlModifier) s.Include(ssCtrl);
  if (mods & Qt::AltModifier) s.Include(ssAlt);
  if (buttons & Qt::LeftButton) s.Include(ssLeft);
  if (buttons & Qt::RightButton) s.Include(ssRight);
  if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
  return s;
}

/// The virtual key of a Qt key event (0 for keys without one).
std::uint16_t VirtualKey(const QKeyEvent* e) {
  int k = e->key();
  bool keypad = e->modifiers() & Qt::KeypadModifier;
  if (keypad) {
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<std::uint16_t>(VK_NUMPAD0 + (k - Qt::Key_0));
    switch (k) {
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Slash: return VK_DIVIDE;
      case Qt::Key_Period:
      case Qt::Key_Comma: return VK_DECIMAL;
      default: break;
    }
  }
  if (k >= Qt::Key_A && k <= Qt::Key_Z) return static_cast<std::uint16_t>(k);
  if (k >= Qt::Key_0 && k <= Qt::Key_9) return static_cast<std::uint16_t>(k);
  if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return static_cast<std::uint16_t>(VK_F1 + (k - Qt::Key_F1));
  switch (k) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma: return 0xBC;
    case Qt::Key_Minus: return 0xBD;
    case Qt::Key_Period: return 0xBE;
    case Qt::Key_Slash: return 0xBF;
    default: return 0;
  }
}

Qt::CursorShape CursorShape(TCursor c) {
  switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crNo:
    case crNoDrop: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
  }
}

/// The event that carries a posted message to its window.
class TPostedEvent : public QEvent {
 public:
  explicit TPostedEvent(const TMessage& m) : QEvent(Type()), Message(m) {}
  static QEvent::Type Type() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  TMessage Message;
};

// ------------------------------------------------------------------ painting

class TQtPainter : public TPainterBackend {
 public:
  explicit TQtPainter(QPainter& p) : FP(p) {}

  void FillRect(const TRect& r, TColor rgb) override {
    if (!r.IsEmpty()) FP.fillRect(R(r), C(rgb));
  }

  void Line(TPoint a, TPoint b, TColor rgb, int width, TPenStyle style) override {
    width = std::max(1, width);
    if (style == psSolid || style == psInsideFrame) {
      // Straight lines as rectangles: exactly the pixels from `a` up to `b`, without `b`.
      if (a.Y == b.Y && a.X != b.X) {
        int l = std::min(a.X, b.X + 1), r = std::max(a.X + 1, b.X);
        FP.fillRect(QRect(l, a.Y - (width - 1) / 2, r - l, width), C(rgb));
        return;
      }
      if (a.X == b.X && a.Y != b.Y) {
        int t = std::min(a.Y, b.Y + 1), bt = std::max(a.Y + 1, b.Y);
        FP.fillRect(QRect(a.X - (width - 1) / 2, t, width, bt - t), C(rgb));
        return;
      }
    }
    Qt::PenStyle ps = Qt::SolidLine;
    switch (style) {
      case psDash: ps = Qt::DashLine; break;
      case psDot: ps = Qt::DotLine; break;
      case psDashDot: ps = Qt::DashDotLine; break;
      case psDashDotDot: ps = Qt::DashDotDotLine; break;
      default: break;
    }
    FP.save();
    FP.setPen(QPen(C(rgb), width, ps, Qt::FlatCap));
    FP.drawLine(a.X, a.Y, b.X, b.Y);
    FP.restore();
  }

  void Polygon(const std::vector<TPoint>& points, TColor pen, int penWidth, TColor fill) override {
    QPolygon poly;
    for (const TPoint& p : points) poly << QPoint(p.X, p.Y);
    FP.save();
    FP.setPen(pen == clNone ? QPen(Qt::NoPen) : QPen(C(pen), std::max(1, penWidth)));
    FP.setBrush(fill == clNone ? QBrush(Qt::NoBrush) : QBrush(C(fill)));
    FP.drawPolygon(poly);
    FP.restore();
  }

  void Text(int x, int y, const std::string& text, const TFontData& font, const TRect* clip) override {
    FP.save();
    if (clip) FP.setClipRect(R(*clip), Qt::IntersectClip);
    QFont f = MakeFont(font);
    FP.setFont(f);
    FP.setPen(C(font.Color));
    QFontMetrics fm(f);
    FP.drawText(x, y + fm.ascent(), Q(text));
    FP.restore();
  }

  void FocusRect(const TRect& r) override {
    FP.save();
    FP.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QColor white(255, 255, 255);
    for (int x = r.Left; x < r.Right; x += 2) {
      FP.fillRect(QRect(x, r.Top, 1, 1), white);
      if (r.Bottom - 1 > r.Top) FP.fillRect(QRect(x + ((r.Bottom - 1 - r.Top) & 1), r.Bottom - 1, 1, 1), white);
    }
    for (int y = r.Top + 2; y < r.Bottom - 1; y += 2) {
      FP.fillRect(QRect(r.Left, y, 1, 1), white);
      if (r.Right - 1 > r.Left) FP.fillRect(QRect(r.Right - 1, y + ((r.Right - 1 - r.Left) & 1), 1, 1), white);
    }
    FP.restore();
  }

  void Image(const TRect& r, const TNativeImage& image) override;

  void Save() override { FP.save(); }
  void Restore() override { FP.restore(); }
  void Translate(int dx, int dy) override { FP.translate(dx, dy); }
  void IntersectClip(const TRect& r) override { FP.setClipRect(R(r), Qt::IntersectClip); }

 protected:
  QPainter& FP;
};

class TQtImage : public TNativeImage {
 public:
  TQtImage(int w, int h) : FImage(std::max(0, w), std::max(0, h), QImage::Format_RGB32) { FImage.fill(Qt::white); }
  explicit TQtImage(QImage image) : FImage(std::move(image)) {
    if (FImage.format() != QImage::Format_RGB32 && FImage.format() != QImage::Format_ARGB32)
      FImage = FImage.convertToFormat(QImage::Format_ARGB32);
  }
  int Width() const override { return FImage.width(); }
  int Height() const override { return FImage.height(); }
  void SetSize(int w, int h) override {
    QImage next(std::max(0, w), std::max(0, h), QImage::Format_RGB32);
    next.fill(Qt::white);
    if (!FImage.isNull()) {
      QPainter p(&next);
      p.drawImage(0, 0, FImage);
    }
    FImage = next;
  }
  TColor Pixel(int x, int y) const override {
    if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height()) return clNone;
    QRgb c = FImage.pixel(x, y);
    return RGB(qRed(c), qGreen(c), qBlue(c));
  }
  std::unique_ptr<TNativeImage> Clone() const override { return std::make_unique<TQtImage>(FImage.copy()); }
  std::unique_ptr<TPainterBackend> BeginPaint() override;
  void LoadFromFile(const std::string& fileName) override {
    QImage image;
    if (!image.load(Q(fileName))) throw EInvalidGraphic(Format(SInvalidImage, {fileName}));
    *this = TQtImage(image);
  }
  void LoadFromData(const std::string& data) override {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(data.data()), static_cast<int>(data.size())))
      throw EInvalidGraphic(Format(SInvalidImage, {std::string("(data)")}));
    *this = TQtImage(image);
  }
  void SaveToFile(const std::string& fileName) const override {
    if (!FImage.save(Q(fileName))) throw EInvalidGraphic(Format(SCannotSaveImage, {fileName}));
  }
  std::string SaveToData(const std::string& format) const override {
    QByteArray out;
    {
      QBuffer buffer(&out);
      buffer.open(QIODevice::WriteOnly);
      if (!FImage.save(&buffer, format.c_str())) throw EInvalidGraphic(Format(SCannotSaveImage, {format}));
    }
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
  }
  QImage& Image() { return FImage; }
  const QImage& Image() const { return FImage; }

 private:
  QImage FImage;
};

/// A painter on an image, which can also read and set pixels.
class TQtImagePainter : public TQtPainter {
 public:
  explicit TQtImagePainter(QImage& image) : TQtPainter(FOwn), FImage(image), FOwn(&image) {}
  TColor Pixel(int x, int y) const override {
    QPoint p = FP.transform().map(QPoint(x, y));
    if (p.x() < 0 || p.y() < 0 || p.x() >= FImage.width() || p.y() >= FImage.height()) return clNone;
    QRgb c = FImage.pixel(p);
    return RGB(qRed(c), qGreen(c), qBlue(c));
  }
  void SetPixel(int x, int y, TColor rgb) override { FP.fillRect(QRect(x, y, 1, 1), C(rgb)); }

 private:
  QImage& FImage;
  QPainter FOwn;
};

void TQtPainter::Image(const TRect& r, const TNativeImage& image) {
  const auto& qi = static_cast<const TQtImage&>(image).Image();
  FP.drawImage(R(r), qi);
}

std::unique_ptr<TPainterBackend> TQtImage::BeginPaint() { return std::make_unique<TQtImagePainter>(FImage); }

// ------------------------------------------------------------------ the bridge widget

bool gNativeActivation = false;

class TBridgeWidget : public QWidget {
 public:
  TBridgeWidget(TWinControl* control, QWidget* parent, Qt::WindowFlags flags)
      : QWidget(parent, flags), FControl(control) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
  }
  ~TBridgeWidget() override {
    if (FControl) HandleNativeDestroyed(FControl);
  }
  void Detach() { FControl = nullptr; }
  bool InEvent() const { return FDepth > 0; }
  bool SettingBounds = false;

 protected:
  bool event(QEvent* e) override {
    // A detached widget (its control gave it up) only waits for its deferred delete,
    // which frees it inside this call: nothing of it may be touched afterwards.
    TWinControl* c = FControl;
    if (!c) return QWidget::event(e);
    ++FDepth;
    struct TDepth {
      int& D;
      ~TDepth() { --D; }
    } depth{FDepth};
    switch (e->type()) {
      case QEvent::ShortcutOverride:
        e->accept();  // shortcuts are the controls' business: every key comes as a key press
        return true;
      case QEvent::KeyPress:
      case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(e);
        std::uint16_t vk = VirtualKey(k);
        TShiftState shift = Shift(k->modifiers());
        if (k->key() == Qt::Key_Backtab) shift.Include(ssShift);
        std::string text = S(k->text());
        bool down = e->type() == QEvent::KeyPress;
        RunGuarded(c, [&] { HandleNativeKey(c, down, vk, shift, text); });
        return true;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(e);
        TNativeMouse kind = e->type() == QEvent::MouseButtonPress     ? TNativeMouse::Down
                            : e->type() == QEvent::MouseButtonRelease ? TNativeMouse::Up
                            : e->type() == QEvent::MouseButtonDblClick ? TNativeMouse::DoubleClick
                                                                       : TNativeMouse::Move;
        TMouseButton button = m->button() == Qt::RightButton ? mbRight
                              : m->button() == Qt::MiddleButton ? mbMiddle
                                                                : mbLeft;
        if (kind != TNativeMouse::Move && m->button() != Qt::LeftButton && m->button() != Qt::RightButton &&
            m->button() != Qt::MiddleButton)
          return true;
        TShiftState shift = Shift(m->modifiers(), m->buttons());
        QPoint p = m->position().toPoint();
        RunGuarded(c, [&] { HandleNativeMouse(c, kind, button, shift, p.x(), p.y()); });
        return true;
      }
      case QEvent::Paint: {
        QPainter painter(this);
        TQtPainter p(painter);
        RunGuarded(c, [&] { HandleNativePaint(c, p); });
        return true;
      }
      case QEvent::Close: {
        bool accept = true;
        RunGuarded(c, [&] { accept = HandleNativeClose(c); });
        if (accept)
          e->accept();
        else
          e->ignore();
        return true;
      }
      case QEvent::Move:
      case QEvent::Resize:
        if (isWindow() && !SettingBounds && isVisible()) {
          QRect g = geometry();
          RunGuarded(c, [&] { HandleNativeBounds(c, Bounds(g.x(), g.y(), g.width(), g.height())); });
        }
        return true;
      case QEvent::WindowActivate:
        if (gNativeActivation) RunGuarded(c, [&] { HandleNativeActivate(c); });
        return true;
      case QEvent::ContextMenu:
      case QEvent::FocusIn:
      case QEvent::FocusOut:
        e->accept();  // the controls raise context menus and keep the focus themselves
        return true;
      default:
        if (e->type() == TPostedEvent::Type()) {
          TMessage m = static_cast<TPostedEvent*>(e)->Message;
          RunGuarded(c, [&] { HandlePostedMessage(c, m); });
          return true;
        }
        break;
    }
    return QWidget::event(e);
  }

 private:
  TWinControl* FControl;
  int FDepth = 0;
};

TBridgeWidget* Widget(THandle h) { return reinterpret_cast<TBridgeWidget*>(h); }

// ------------------------------------------------------------------ the widget set

std::vector<QAction*> FillMenu(QMenu* menu, TMenuItem* item) {
  std::vector<QAction*> actions;
  for (int i = 0; i < item->GetCount(); ++i) {
    TMenuItem* sub = item->GetItem(i);
    if (!sub->GetVisible()) continue;
    if (sub->IsLine()) {
      menu->addSeparator();
      continue;
    }
    QString text = Q(sub->GetCaption());
    if (sub->GetShortCut()) text += QLatin1Char('\t') + Q(ShortCutToText(sub->GetShortCut()));
    if (sub->GetCount() > 0) {
      QMenu* child = menu->addMenu(text);
      child->setEnabled(sub->GetEnabled());
      FillMenu(child, sub);
      continue;
    }
    QAction* a = menu->addAction(text);
    a->setEnabled(sub->GetEnabled());
    if (sub->GetChecked() || sub->GetRadioItem()) {
      a->setCheckable(true);
      a->setChecked(sub->GetChecked());
    }
    a->setData(QVariant::fromValue(reinterpret_cast<quintptr>(sub)));
    QFont f = a->font();
    f.setBold(sub->GetDefault());
    a->setFont(f);
  }
  return actions;
}

QString NameFilters(const std::string& filter) {
  // "Bitmaps (*.bmp)|*.bmp|All|*" -> "Bitmaps (*.bmp);;All (*)"
  QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString suffix = QStringLiteral("(") + patterns + QLatin1Char(')');
    out << (parts[i].endsWith(suffix) ? parts[i] : parts[i] + QLatin1Char(' ') + suffix);
  }
  return out.join(QStringLiteral(";;"));
}

class TQtWidgetSet : public TWidgetSet {
 public:
  THandle CreateWindow(TWinControl* control, const TCreateParams& params) override {
    QWidget* parent = params.Parent ? Widget(params.Parent) : nullptr;
    Qt::WindowFlags flags = Qt::Widget;
    switch (params.Kind) {
      case TWindowKind::Child: break;
      case TWindowKind::TopLevel: flags = Qt::Window; parent = nullptr; break;
      case TWindowKind::Dialog: flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint; parent = nullptr; break;
      case TWindowKind::ToolWindow: flags = Qt::Tool; parent = nullptr; break;
      case TWindowKind::NoBorder: flags = Qt::Window | Qt::FramelessWindowHint; parent = nullptr; break;
      case TWindowKind::Popup:
        flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint;
        break;
    }
    auto* w = new TBridgeWidget(control, parent, flags);
    if (params.Kind == TWindowKind::Popup) w->setAttribute(Qt::WA_ShowWithoutActivating);
    w->SettingBounds = true;
    w->setGeometry(R(params.Bounds));
    w->SettingBounds = false;
    if (params.Kind != TWindowKind::Child) w->setWindowTitle(Q(params.Caption));
    return reinterpret_cast<THandle>(w);
  }

  void DestroyWindow(THandle h) override {
    TBridgeWidget* w = Widget(h);
    w->Detach();
    if (QWidget::mouseGrabber() == w) w->releaseMouse();
    if (w->InEvent()) {
      w->hide();
      w->deleteLater();
    } else {
      delete w;
    }
  }

  void SetParentWindow(THandle h, THandle parent) override {
    TBridgeWidget* w = Widget(h);
    w->setParent(parent ? Widget(parent) : nullptr, w->windowFlags());
  }

  void SetBounds(THandle h, const TRect& r) override {
    TBridgeWidget* w = Widget(h);
    w->SettingBounds = true;
    w->setGeometry(R(r));
    w->SettingBounds = false;
  }

  void SetVisible(THandle h, bool visible) override { Widget(h)->setVisible(visible); }
  void SetEnabled(THandle h, bool enabled) override { Widget(h)->setEnabled(enabled); }
  void SetCaption(THandle h, const std::string& caption) override {
    if (Widget(h)->isWindow()) Widget(h)->setWindowTitle(Q(caption));
  }
  void SetCursor(THandle h, TCursor cursor) override {
    if (cursor == crDefault)
      Widget(h)->unsetCursor();
    else
      Widget(h)->setCursor(CursorShape(cursor));
  }
  void SetModal(THandle h, bool modal) override {
    Widget(h)->setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
  }
  void Invalidate(THandle h, const TRect* r) override {
    if (r)
      Widget(h)->update(R(*r));
    else
      Widget(h)->update();
  }
  void Update(THandle h) override {
    if (Widget(h)->isVisible()) Widget(h)->repaint();
  }
  void SetFocus(THandle h) override {
    QWidget* w = Widget(h);
    if (w->isVisible() && !w->window()->isActiveWindow() &&
        !(w->window()->windowFlags() & Qt::WindowDoesNotAcceptFocus))
      w->window()->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
  }
  void ActivateWindow(THandle h) override { Widget(h)->window()->activateWindow(); }
  void BringToFront(THandle h) override {
    if (gNativeActivation || !Widget(h)->isWindow()) Widget(h)->raise();
  }
  TPoint ClientOrigin(THandle h) override {
    QPoint p = Widget(h)->mapToGlobal(QPoint(0, 0));
    return {p.x(), p.y()};
  }
  void SetCapture(THandle h) override {
    // Without a window system the press's implicit grab is all there is.
    if (gNativeActivation && Widget(h)->isVisible()) Widget(h)->grabMouse();
  }
  void ReleaseCapture() override {
    if (QWidget* g = QWidget::mouseGrabber()) g->releaseMouse();
  }

  void PostMessage(THandle h, const TMessage& message) override {
    QCoreApplication::postEvent(Widget(h), new TPostedEvent(message));
  }
  void ProcessMessages() override {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void HandleMessage() override {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  void WakeUp() override {
    if (auto* d = QCoreApplication::eventDispatcher()) d->wakeUp();
  }
  TShiftState KeyboardState() override {
    return Shift(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
  }
  TPoint CursorPos() override {
    QPoint p = QCursor::pos();
    return {p.x(), p.y()};
  }

  TSize ScreenSize() override {
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s) return {1024, 768};
    return {s->size().width(), s->size().height()};
  }
  TSize TextExtent(const TFontData& font, const std::string& text) override {
    QFontMetrics fm(MakeFont(font));
    return {fm.horizontalAdvance(Q(text)), fm.height()};
  }
  TTextMetric TextMetrics(const TFontData& font) override {
    QFont f = MakeFont(font);
    QFontMetrics fm(f);
    TTextMetric tm;
    tm.tmHeight = fm.height();
    tm.tmAscent = fm.ascent();
    tm.tmDescent = fm.descent();
    tm.tmInternalLeading = std::max(0, fm.height() - f.pixelSize());
    tm.tmExternalLeading = std::max(0, fm.leading());
    tm.tmAveCharWidth = fm.averageCharWidth();
    tm.tmMaxCharWidth = fm.maxWidth();
    return tm;
  }
  std::unique_ptr<TNativeImage> CreateImage(int width, int height) override {
    return std::make_unique<TQtImage>(width, height);
  }

  TMenuItem* TrackPopupMenu(TMenuItem* root, TPoint screenPos) override {
    QMenu menu;
    FillMenu(&menu, root);
    if (menu.isEmpty()) return nullptr;
    QAction* chosen = menu.exec(QPoint(screenPos.X, screenPos.Y));
    if (!chosen || !chosen->data().isValid()) return nullptr;
    return reinterpret_cast<TMenuItem*>(chosen->data().value<quintptr>());
  }

  std::string ClipboardText() override { return S(QGuiApplication::clipboard()->text()); }
  void SetClipboardText(const std::string& text) override { QGuiApplication::clipboard()->setText(Q(text)); }
  bool ClipboardHasText() override {
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    return d && d->hasText() && !d->text().isEmpty();
  }
  bool ClipboardHasImage() override {
    const QMimeData* d = QGuiApplication::clipboard()->mimeData();
    return d && d->hasImage();
  }
  std::unique_ptr<TNativeImage> ClipboardImage() override {
    QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return nullptr;
    return std::make_unique<TQtImage>(image);
  }
  void SetClipboardImage(const TNativeImage& image) override {
    QGuiApplication::clipboard()->setImage(static_cast<const TQtImage&>(image).Image());
  }
  void ClearClipboard() override { QGuiApplication::clipboard()->clear(); }

  TModalResult MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                          TMsgDlgButtonBits buttons) override {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type) {
      case mtWarning: icon = QMessageBox::Warning; break;
      case mtError: icon = QMessageBox::Critical; break;
      case mtInformation: icon = QMessageBox::Information; break;
      case mtConfirmation: icon = QMessageBox::Question; break;
      default: break;
    }
    struct TMap {
      TMsgDlgBtn Button;
      QMessageBox::StandardButton Qt;
      TModalResult Result;
    };
    static const TMap map[] = {
        {mbYes, QMessageBox::Yes, mrYes},          {mbNo, QMessageBox::No, mrNo},
        {mbOK, QMessageBox::Ok, mrOk},             {mbCancel, QMessageBox::Cancel, mrCancel},
        {mbAbort, QMessageBox::Abort, mrAbort},    {mbRetry, QMessageBox::Retry, mrRetry},
        {mbIgnore, QMessageBox::Ignore, mrIgnore}, {mbAll, QMessageBox::YesToAll, mrAll},
        {mbNoToAll, QMessageBox::NoToAll, mrNoToAll}, {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
        {mbHelp, QMessageBox::Help, mrNone},
    };
    QMessageBox::StandardButtons qb;
    for (const auto& m : map)
      if (buttons & MsgDlgButton(m.Button)) qb |= m.Qt;
    if (!qb) qb = QMessageBox::Ok;
    QString title = caption.empty() ? QCoreApplication::applicationName() : Q(caption);
    QMessageBox box(icon, title, Q(text), qb, QApplication::activeWindow());
    int answer = box.exec();
    for (const auto& m : map)
      if (answer == m.Qt) return m.Result;
    return mrCancel;
  }

  bool FileDialog(TFileDialogParams& params) override {
    QFileDialog dialog(QApplication::activeWindow(), Q(params.Title), Q(params.InitialDir));
    dialog.setAcceptMode(params.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(params.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!params.Filter.empty()) {
      QStringList filters = NameFilters(params.Filter).split(QStringLiteral(";;"));
      dialog.setNameFilters(filters);
      if (params.FilterIndex >= 1 && params.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[params.FilterIndex - 1]);
    }
    if (!params.DefaultExt.empty()) dialog.setDefaultSuffix(Q(params.DefaultExt));
    if (!params.FileName.empty()) dialog.selectFile(Q(params.FileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    params.FileName = S(dialog.selectedFiles().first());
    int index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    if (index >= 0) params.FilterIndex = index + 1;
    return true;
  }

  bool OpenDocument(const std::string& url) override {
    return QDesktopServices::openUrl(QUrl::fromUserInput(Q(url)));
  }
};

TQtWidgetSet* gQtWidgetSet = nullptr;
TUiMessageService* gUiMessages = nullptr;
TMessageService* gOldMessages = nullptr;
std::unique_ptr<QApplication> gOwnApplication;

}  // namespace

bool NativeActivation() { return gNativeActivation; }

void InstallQtWidgetSet() {
  if (gQtWidgetSet) return;
  QString platform = QGuiApplication::platformName();
  gNativeActivation = platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
  gQtWidgetSet = new TQtWidgetSet;
  SetWidgetSet(gQtWidgetSet);
  gUiMessages = new TUiMessageService;
  gOldMessages = SetMessageService(gUiMessages);
  InitializeUi();
}

void StartQtApplication(int& argc, char** argv) {
  if (!QCoreApplication::instance()) gOwnApplication = std::make_unique<QApplication>(argc, argv);
  InstallQtWidgetSet();
}

void UninstallQtWidgetSet() {
  if (!gQtWidgetSet) return;
  FinalizeUi();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  if (GetMessageService() == gUiMessages) SetMessageService(gOldMessages);
  delete gUiMessages;
  gUiMessages = nullptr;
  SetWidgetSet(nullptr);
  delete gQtWidgetSet;
  gQtWidgetSet = nullptr;
}

bool SaveWindowImage(TWinControl* control, double devicePixelRatio, const std::string& fileName) {
  if (!control) return false;
  QWidget* w = Widget(control->GetHandle());
  QSize size = w->size();
  QImage image(static_cast<int>(std::lround(size.width() * devicePixelRatio)),
               static_cast<int>(std::lround(size.height() * devicePixelRatio)), QImage::Format_ARGB32);
  image.setDevicePixelRatio(devicePixelRatio);
  image.fill(Qt::white);
  w->render(&image);
  return image.save(Q(fileName), "PNG");
}

}  // namespace fw::qt
