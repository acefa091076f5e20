// Text through the layer's font face.
#include <winbase.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "gdi32/canvas.h"
#include "gdi32/font_engine.h"

using namespace plat::gdi;

namespace {

LOGFONTA selectedFont(HDC hdc, bool* ok) {
  DcPtr dc = findDc(handleValue(hdc));
  *ok = dc != nullptr;
  if (!dc) return LOGFONTA{};
  std::lock_guard<std::mutex> lock(dc->mutex);
  return dc->fontData;
}

}  // namespace

PLATFORM_API BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA tm) {
  bool ok;
  const LOGFONTA font = selectedFont(hdc, &ok);
  if (!ok) return FALSE;
  if (tm == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontMetrics m;
  if (!fontMetrics(font, &m)) return FALSE;
  *tm = TEXTMETRICA{};
  tm->tmHeight = m.ascent + m.descent;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - m.emHeight);
  tm->tmAveCharWidth = m.aveWidth;
  tm->tmMaxCharWidth = m.maxWidth;
  tm->tmWeight = font.lfWeight ? font.lfWeight : FW_NORMAL;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmPitchAndFamily = FF_MODERN;
  tm->tmCharSet = SHIFTJIS_CHARSET;
  return TRUE;
}

PLATFORM_API BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) {
  bool ok;
  const LOGFONTA font = selectedFont(hdc, &ok);
  if (!ok) return FALSE;
  if (size == nullptr || count < 0 || (text == nullptr && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FontMetrics m;
  LONG width = 0;
  if (!fontMetrics(font, &m) || !textAdvance(font, decodeText(text, count), &width)) return FALSE;
  *size = SIZE{width, m.ascent + m.descent};
  return TRUE;
}

PLATFORM_API BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
  if (count < 0 || (text == nullptr && count > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Canvas c(hdc);
  if (!c) return FALSE;
  const std::u16string chars = decodeText(text, count);
  Dc& dc = c.dc();
  const LOGFONTA font = dc.fontData;
  FontMetrics m;
  if (!fontMetrics(font, &m)) return FALSE;
  const Target& t = c.target();
  if (t.empty() || chars.empty()) return TRUE;
  const bool turned = font.lfEscapement % 3600 != 0;
  if (dc.bkMode == OPAQUE && !turned) {
    LONG width = 0;
    if (!textAdvance(font, chars, &width)) return FALSE;
    const int64_t right = std::min<int64_t>(int64_t{x} + width, INT32_MAX);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + m.ascent + m.descent, INT32_MAX);
    fill(t, x, y, static_cast<LONG>(right), static_cast<LONG>(bottom), mixOf(R2_COPYPEN, dc.bkColor), c.changed());
  }
  // The baseline starts one ascent below the cell's top, turned with the text.
  const double a = font.lfEscapement / 10.0 * std::numbers::pi / 180.0;
  const int64_t ox = int64_t{x} * 64 + (turned ? std::llround(m.ascent * std::sin(a) * 64) : 0);
  const int64_t oy = (int64_t{y} + (turned ? 0 : m.ascent)) * 64 + (turned ? std::llround(m.ascent * std::cos(a) * 64) : 0);
  const uint32_t ink = pixelOf(dc.textColor);
  Box& box = c.changed();
  return layoutText(font, chars, ox, oy, [&](int64_t px, int64_t py, const GlyphInk& g) {
           const int64_t left = ((px + 32) >> 6) + g.left;
           const int64_t top = ((py + 32) >> 6) + g.top;
           for (LONG r = 0; r < g.rows; ++r) {
             const int64_t yy = top + r;
             if (yy < 0 || yy >= t.height) continue;
             const uint8_t* bits = g.bits + static_cast<ptrdiff_t>(r) * g.pitch;
             uint32_t* row = t.row(static_cast<LONG>(yy));
             for (LONG k = 0; k < g.width; ++k) {
               const int64_t xx = left + k;
               if (xx < 0 || xx >= t.width || !(bits[k >> 3] & (0x80 >> (k & 7)))) continue;
               row[xx] = ink;
               box.add(static_cast<LONG>(xx), static_cast<LONG>(yy), static_cast<LONG>(xx + 1),
                       static_cast<LONG>(yy + 1));
             }
           }
         })
             ? TRUE
             : FALSE;
}
