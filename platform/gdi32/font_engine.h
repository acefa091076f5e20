// The one font face every font of the layer is drawn with (a Japanese
// gothic face found at a fixed set of paths), set to a font's size.
#pragma once
#include <wingdi.h>

#include <functional>
#include <string>
#include <vector>

#include "gdi32/raster.h"

namespace plat::gdi {

struct FontMetrics {
  LONG ascent = 0;
  LONG descent = 0;
  LONG emHeight = 0;
  LONG aveWidth = 0;
  LONG maxWidth = 0;
};

// One character's ink: a coverage mask, 1 = ink.
struct GlyphInk {
  LONG left = 0;  // of the mask, from the pen position
  LONG top = 0;   // of the mask, from the pen position, downwards
  LONG width = 0;
  LONG rows = 0;
  LONG pitch = 0;
  const uint8_t* bits = nullptr;  // one bit per pixel, high bit first
};

// CP932 text as UTF-16 code units.
std::u16string decodeText(const char* text, int count);

// Each call holds the face for its duration. All return false
// (ERROR_FILE_NOT_FOUND) when no face could be loaded.
bool fontMetrics(const LOGFONTA& font, FontMetrics* out);
// Sum of the characters' advances, in pixels.
bool textAdvance(const LOGFONTA& font, const std::u16string& text, LONG* width);
// Calls `ink` for every character with ink, with its pen position in 1/64
// pixel, the text laid along the font's escapement from `origin64` (the
// baseline's start, 1/64 pixel).
bool layoutText(const LOGFONTA& font, const std::u16string& text, int64_t originX64, int64_t originY64,
                const std::function<void(int64_t penX64, int64_t penY64, const GlyphInk&)>& ink);

}  // namespace plat::gdi
