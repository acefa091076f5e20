// A picture box: a widget backed by a window of the platform layer, so that
// the processing library can draw into it through the window handle; the
// widget shows the window's pixel surface.
//
// What the library draws is shown at most once per screen frame, and only
// the part it changed, painted straight from the surface's memory: a live
// display draws far more often than a screen can show.
#pragma once
#include <windef.h>

#include <QElapsedTimer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>

namespace orvane::forms {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);
  ~PictureBox() override;

  HWND hWnd() const { return hwnd_; }
  // The box's own device context, held for the box's life, so that callers
  // may keep it as the box's hDC.
  HDC hDC();
  // Clears the picture to the back colour.
  void Cls();
  // The box's Paint event: runs before the surface is shown when the window
  // system asks for the picture (shown, uncovered, resized), not when the
  // library reports pixels it drew itself.
  void setPaintHandler(std::function<void()> handler) { onPaint_ = std::move(handler); }
  // The shown pixels as an image (for snapshots).
  QImage surfaceImage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  static void CALLBACK SurfaceChanged(HWND hWnd, const RECT* changed, void* user);
  // Window thread: shows the changed part once the frame time has passed.
  void ScheduleFrame();
  void ShowFrame();

  HWND hwnd_ = nullptr;
  HDC hdc_ = nullptr;
  // Set and read by drawing threads too.
  std::atomic<bool> painting_{false};
  std::atomic<bool> surfaceOnly_{false};
  std::function<void()> onPaint_;

  std::mutex dirtyMutex_;
  // Under dirtyMutex_: what changed since the last frame, and whether a
  // frame is already on its way (so drawing wakes the window thread once
  // per frame, not once per line).
  QRect dirty_;
  bool framePending_ = false;
  QTimer frameTimer_;
  QElapsedTimer lastFrame_;
};

}  // namespace orvane::forms
