// Random shapes at random places never write outside the surface (the
// sanitizer builds catch a stray write) and never stop the drawing.
#include <random>

#include "gdi_fixture.h"

using GdiStress = GdiCanvas;

TEST_F(GdiStress, RandomDrawingStaysInsideTheSurface) {
  std::mt19937 rng(20260412);
  auto coord = [&] {
    switch (rng() % 4) {
      case 0: return static_cast<int>(rng() % 200) - 70;                  // near the surface
      case 1: return static_cast<int>(rng());                             // anywhere at all
      case 2: return static_cast<int>(rng() % 3) - 1 + (rng() % 2 ? kW : kH);  // at an edge
      default: return static_cast<int>(rng() % kW);
    }
  };
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL};
  for (int i = 0; i < 400; ++i) {
    usePen(styles[rng() % 6], static_cast<int>(rng() % 4 == 0 ? rng() % 40 : 1), rng() & 0xFFFFFF);
    SetROP2(dc, 1 + static_cast<int>(rng() % 16));
    SetBkMode(dc, rng() % 2 ? OPAQUE : TRANSPARENT);
    POINT pts[5];
    for (POINT& p : pts) p = POINT{coord(), coord()};
    switch (rng() % 6) {
      case 0: ASSERT_TRUE(Polyline(dc, pts, 5)); break;
      case 1: ASSERT_TRUE(Rectangle(dc, pts[0].x, pts[0].y, pts[1].x, pts[1].y)); break;
      case 2: ASSERT_TRUE(Ellipse(dc, pts[0].x, pts[0].y, pts[1].x, pts[1].y)); break;
      case 3: ASSERT_TRUE(Polygon(dc, pts, 5)); break;
      case 4: ASSERT_TRUE(TextOutA(dc, pts[0].x % 1000, pts[0].y % 1000, "Ag\x93\xfa", 4)); break;
      default: {
        RECT r{pts[0].x, pts[0].y, pts[1].x, pts[1].y};
        HBRUSH b = CreateSolidBrush(rng() & 0xFFFFFF);
        ASSERT_EQ(FillRect(dc, &r, b), 1);
        DeleteObject(b);
      }
    }
  }
  EXPECT_EQ(GetPixel(dc, kW, 0), CLR_INVALID);
}
