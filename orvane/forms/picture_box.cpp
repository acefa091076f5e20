#include "picture_box.h"

#include <platform/window_surface.h>
#include <wingdi.h>
#include <winuser.h>

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <algorithm>

namespace orvane::forms {
namespace {

const char kClassName[] = "OrvanePictureBox";
// About one frame of a 60 Hz screen.
constexpr qint64 kFrameMs = 16;
// The back colour Cls clears to.
constexpr COLORREF kBackColour = RGB(255, 255, 255);
// "Everything", cut to the widget when shown.
constexpr QRect kWhole(0, 0, 1 << 24, 1 << 24);

LRESULT CALLBACK PictureProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hWnd, msg, wParam, lParam);
}

void RegisterPictureClass() {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &PictureProc;
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  RegisterPictureClass();
  hwnd_ = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (hwnd_) PlatSetSurfaceChangedHook(hwnd_, &PictureBox::SurfaceChanged, this);
  setAttribute(Qt::WA_OpaquePaintEvent);
  frameTimer_.setSingleShot(true);
  frameTimer_.setTimerType(Qt::PreciseTimer);
  connect(&frameTimer_, &QTimer::timeout, this, &PictureBox::ShowFrame);
}

PictureBox::~PictureBox() {
  if (hwnd_) {
    if (hdc_) ReleaseDC(hwnd_, hdc_);
    PlatSetSurfaceChangedHook(hwnd_, nullptr, nullptr);
    DestroyWindow(hwnd_);
  }
}

HDC PictureBox::hDC() {
  if (!hdc_ && hwnd_) hdc_ = GetDC(hwnd_);
  return hdc_;
}

void PictureBox::Cls() {
  HDC dc = hDC();
  if (!dc) return;
  RECT all{};
  GetClientRect(hwnd_, &all);
  HBRUSH brush = CreateSolidBrush(kBackColour);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

void CALLBACK PictureBox::SurfaceChanged(HWND, const RECT* changed, void* user) {
  auto* box = static_cast<PictureBox*>(user);
  const QRect area = changed ? QRect(QPoint(changed->left, changed->top), QPoint(changed->right - 1, changed->bottom - 1))
                             : kWhole;
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(box->dirtyMutex_);
    box->dirty_ |= area;
    // Drawn from our own paint: that paint decides what is still to show.
    if (!box->framePending_ && !box->painting_) post = box->framePending_ = true;
  }
  // The drawing may come from another thread: the widget repaints on its own.
  if (post) {
    QMetaObject::invokeMethod(box, [p = QPointer<PictureBox>(box)] {
      if (p) p->ScheduleFrame();
    }, Qt::QueuedConnection);
  }
}

void PictureBox::ScheduleFrame() {
  const qint64 since = lastFrame_.isValid() ? lastFrame_.elapsed() : kFrameMs;
  frameTimer_.start(static_cast<int>(std::max<qint64>(0, kFrameMs - since)));
}

void PictureBox::ShowFrame() {
  QRect area;
  {
    std::lock_guard<std::mutex> lock(dirtyMutex_);
    area = dirty_ & rect();
    dirty_ = QRect();
    framePending_ = false;
  }
  lastFrame_.start();
  if (area.isEmpty()) return;
  surfaceOnly_ = true;
  update(area);
}

QImage PictureBox::surfaceImage() const {
  PlatSurfaceGuard guard(hwnd_);
  const PlatSurface& s = guard.surface();
  if (!guard || !s.pixels || s.width <= 0 || s.height <= 0) return {};
  return QImage(static_cast<const uchar*>(s.pixels), s.width, s.height, s.stride, QImage::Format_RGB32).copy();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  const QRect area = event->rect();
  // Pixels the library drew need only showing; a full redraw per strip
  // would cost the whole plot each time.
  const bool surfaceOnly = surfaceOnly_.exchange(false);
  if (onPaint_ && !surfaceOnly) {
    painting_ = true;
    onPaint_();
    painting_ = false;
    // What the handler drew outside this paint goes with the next frame.
    bool later = false;
    {
      std::lock_guard<std::mutex> lock(dirtyMutex_);
      if (area.contains(dirty_ & rect())) dirty_ = QRect();
      else if (!framePending_) later = framePending_ = true;
    }
    if (later) ScheduleFrame();
  }
  QPainter painter(this);
  // The surface stays locked while it is shown, so that it is read in
  // place rather than copied.
  PlatSurfaceGuard guard(hwnd_);
  const PlatSurface& s = guard.surface();
  if (!guard || !s.pixels || s.width <= 0 || s.height <= 0) {
    painter.fillRect(area, Qt::black);
    return;
  }
  const QImage image(static_cast<const uchar*>(s.pixels), s.width, s.height, s.stride, QImage::Format_RGB32);
  const QRect shown = area & image.rect();
  if (shown != area) painter.fillRect(area, Qt::black);
  painter.drawImage(shown.topLeft(), image, shown);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (hwnd_) MoveWindow(hwnd_, 0, 0, std::max(1, width()), std::max(1, height()), FALSE);
}

}  // namespace orvane::forms
