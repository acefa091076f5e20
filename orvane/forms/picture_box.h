// A picture box: a widget backed by a window of the platform layer, so that
// the processing library can draw into it through the window handle; the
// widget shows the window's pixel surface.
#pragma once
#include <windef.h>

#include <QWidget>
#include <atomic>
#include <functional>

namespace orvane::forms {

class PictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit PictureBox(QWidget* parent = nullptr);
  ~PictureBox() override;

  HWND hWnd() const { return hwnd_; }
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

  HWND hwnd_ = nullptr;
  // Set and read by drawing threads too.
  std::atomic<bool> painting_{false};
  std::atomic<bool> surfaceOnly_{false};
  std::function<void()> onPaint_;
};

}  // namespace orvane::forms
