// The fonts of the drawing engines: one record layout, the Japanese gothic
// face, labels 12 pixels high.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstring>

namespace vekmath {

// "ＭＳ ゴシック" in CP932.
inline constexpr char kGothicFace[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
inline constexpr LONG kLabelFontHeight = 12;
inline constexpr LONG kTextFontHeight = 18;

// Shift-JIS, character precision for output (2) and clipping (1); every
// other value 0 and no face.
inline LOGFONTA fontTemplate() {
  LOGFONTA f{};
  f.lfCharSet = SHIFTJIS_CHARSET;
  f.lfOutPrecision = OUT_CHARACTER_PRECIS;
  f.lfClipPrecision = CLIP_CHARACTER_PRECIS;
  return f;
}

inline void setGothicFace(LOGFONTA& f) {
  static_assert(sizeof kGothicFace <= sizeof f.lfFaceName);
  std::memcpy(f.lfFaceName, kGothicFace, sizeof kGothicFace);
}

inline LOGFONTA labelFont() {
  LOGFONTA f = fontTemplate();
  f.lfHeight = kLabelFontHeight;
  setGothicFace(f);
  return f;
}

}  // namespace vekmath
