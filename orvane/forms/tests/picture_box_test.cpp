// The picture box shows the changed parts of its surface a frame later:
// after a run of strips drawn between frames, what the screen holds is the
// surface, pixel for pixel.
#include <gtest/gtest.h>
#include <wingdi.h>
#include <winuser.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include "picture_box.h"

namespace orvane::forms {
namespace {

QImage Shown(const PictureBox& box) {
  return box.screen()->grabWindow(box.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PictureBox, ShowsTheSurfaceAfterARunOfStrips) {
  PictureBox box;
  box.resize(160, 90);
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  HDC dc = GetDC(box.hWnd());
  ASSERT_NE(dc, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
  HGDIOBJ old = SelectObject(dc, pen);
  // Strips of a sweep, each erased and drawn as the live display does; the
  // event loop runs between some of them, so frames fall mid-run and show
  // parts of it, while a strip at each edge tests the rectangle's ends.
  for (int x = 0; x < 160; x += 3) {
    HBRUSH brush = CreateSolidBrush(RGB(x, 255 - x, 128));
    const RECT strip{x, 0, x + 3, 90};
    FillRect(dc, &strip, brush);
    DeleteObject(brush);
    MoveToEx(dc, x, (x * 7) % 90, nullptr);
    LineTo(dc, x + 3, (x * 11) % 90);
    if (x % 12 == 0) QApplication::processEvents();
  }
  SetPixel(dc, 159, 89, RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(pen);
  ReleaseDC(box.hWnd(), dc);
  const QImage surface = box.surfaceImage();
  ASSERT_FALSE(surface.isNull());
  EXPECT_TRUE(QTest::qWaitFor([&] { return Shown(box) == surface; }, 2000));
}

}  // namespace
}  // namespace orvane::forms
