#include "picture_box.h"

#include <platform/window_surface.h>
#include <winuser.h>

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>

namespace orvane::forms {
namespace {

const char kClassName[] = "OrvanePictureBox";

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
}

PictureBox::~PictureBox() {
  if (hwnd_) {
    PlatSetSurfaceChangedHook(hwnd_, nullptr, nullptr);
    DestroyWindow(hwnd_);
  }
}

void CALLBACK PictureBox::SurfaceChanged(HWND, const RECT*, void* user) {
  auto* box = static_cast<PictureBox*>(user);
  if (box->painting_) return;  // drawn from our own paint: shown right after
  box->surfaceOnly_ = true;
  // The drawing may come from another thread: the widget repaints on its own.
  QMetaObject::invokeMethod(box, [p = QPointer<PictureBox>(box)] {
    if (p) p->update();
  }, Qt::QueuedConnection);
}

QImage PictureBox::surfaceImage() const {
  PlatSurfaceGuard guard(hwnd_);
  const PlatSurface& s = guard.surface();
  if (!guard || !s.pixels || s.width <= 0 || s.height <= 0) return {};
  return QImage(static_cast<const uchar*>(s.pixels), s.width, s.height, s.stride, QImage::Format_RGB32).copy();
}

void PictureBox::paintEvent(QPaintEvent*) {
  // Pixels the library drew need only showing; a full redraw per strip
  // would cost the whole plot each time.
  const bool surfaceOnly = surfaceOnly_.exchange(false);
  if (onPaint_ && !surfaceOnly) {
    painting_ = true;
    onPaint_();
    painting_ = false;
  }
  QPainter painter(this);
  QImage image = surfaceImage();
  if (image.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.drawImage(0, 0, image);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (hwnd_) MoveWindow(hwnd_, 0, 0, std::max(1, width()), std::max(1, height()), FALSE);
}

}  // namespace orvane::forms
