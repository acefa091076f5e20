#include "gdi32/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <winbase.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <mutex>

namespace plat::gdi {

namespace {

// A monospaced Japanese gothic face first, then any face that can at least
// draw Latin text.
const char* const kFacePaths[] = {
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
    "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

constexpr LONG kDefaultCell = 16;
constexpr LONG kMaxEm = 4096;  // keeps absurd heights from rendering giant masks

class Engine {
 public:
  Engine() {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    for (const char* path : kFacePaths) {
      if (FT_New_Face(library_, path, 0, &face_) == 0) break;
      face_ = nullptr;
    }
    if (!face_) return;
    FT_Select_Charmap(face_, FT_ENCODING_UNICODE);
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      ascentUnits_ = os2->usWinAscent;
      descentUnits_ = os2->usWinDescent;
    } else {
      ascentUnits_ = face_->ascender;
      descentUnits_ = -face_->descender;
    }
    xUnits_ = face_->units_per_EM / 2;
    if (FT_Load_Char(face_, 'x', FT_LOAD_NO_SCALE) == 0) xUnits_ = face_->glyph->advance.x;
    if (xUnits_ <= 0) xUnits_ = face_->units_per_EM / 2;
  }
  ~Engine() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  std::mutex mutex;

  FT_Face face() const { return face_; }

  // Sets the face to the font's size; the metrics follow.
  bool size(const LOGFONTA& font, FontMetrics* m) {
    if (!face_) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    const double upem = face_->units_per_EM;
    const double cellUnits = ascentUnits_ + descentUnits_;
    double em;
    if (font.lfHeight < 0) {
      em = -static_cast<double>(font.lfHeight);
    } else {
      const double cell = font.lfHeight > 0 ? font.lfHeight : kDefaultCell;
      em = cell * upem / cellUnits;
    }
    em = std::clamp(std::round(em), 1.0, double{kMaxEm});
    double emWidth = em;
    if (font.lfWidth > 0) emWidth = std::clamp(std::round(font.lfWidth * upem / xUnits_), 1.0, double{kMaxEm});
    if (FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(emWidth), static_cast<FT_UInt>(em)) != 0) return false;
    m->emHeight = static_cast<LONG>(em);
    m->ascent = static_cast<LONG>(std::ceil(ascentUnits_ * em / upem));
    m->descent = static_cast<LONG>(std::ceil(descentUnits_ * em / upem));
    m->aveWidth = static_cast<LONG>(std::lround(xUnits_ * emWidth / upem));
    m->maxWidth = static_cast<LONG>(std::ceil(face_->max_advance_width * emWidth / upem));
    return true;
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  double ascentUnits_ = 0, descentUnits_ = 0, xUnits_ = 0;
};

Engine& engine() {
  static Engine e;
  return e;
}

constexpr FT_Int32 kLoad = FT_LOAD_TARGET_MONO;

}  // namespace

std::u16string decodeText(const char* text, int count) {
  if (text == nullptr || count <= 0) return {};
  const int n = MultiByteToWideChar(932, 0, text, count, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(932, 0, text, count, out.data(), n);
  return out;
}

bool fontMetrics(const LOGFONTA& font, FontMetrics* out) {
  Engine& e = engine();
  std::lock_guard<std::mutex> lock(e.mutex);
  return e.size(font, out);
}

bool textAdvance(const LOGFONTA& font, const std::u16string& text, LONG* width) {
  Engine& e = engine();
  std::lock_guard<std::mutex> lock(e.mutex);
  FontMetrics m;
  if (!e.size(font, &m)) return false;
  FT_Face face = e.face();
  FT_Set_Transform(face, nullptr, nullptr);
  int64_t total = 0;
  for (char16_t ch : text) {
    if (FT_Load_Char(face, ch, kLoad) != 0) continue;
    total += (face->glyph->advance.x + 32) >> 6;
  }
  *width = static_cast<LONG>(std::min<int64_t>(total, INT32_MAX));
  return true;
}

bool layoutText(const LOGFONTA& font, const std::u16string& text, int64_t x64, int64_t y64,
                const std::function<void(int64_t, int64_t, const GlyphInk&)>& ink) {
  Engine& e = engine();
  std::lock_guard<std::mutex> lock(e.mutex);
  FontMetrics m;
  if (!e.size(font, &m)) return false;
  FT_Face face = e.face();
  const bool turned = font.lfEscapement % 3600 != 0;
  if (turned) {
    const double a = font.lfEscapement / 10.0 * std::numbers::pi / 180.0;
    FT_Matrix r;
    r.xx = static_cast<FT_Fixed>(std::lround(std::cos(a) * 65536.0));
    r.xy = static_cast<FT_Fixed>(std::lround(-std::sin(a) * 65536.0));
    r.yx = static_cast<FT_Fixed>(std::lround(std::sin(a) * 65536.0));
    r.yy = r.xx;
    FT_Set_Transform(face, &r, nullptr);
  } else {
    FT_Set_Transform(face, nullptr, nullptr);
  }
  for (char16_t ch : text) {
    if (FT_Load_Char(face, ch, kLoad | FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = face->glyph;
    if (g->bitmap.pixel_mode == FT_PIXEL_MODE_MONO && g->bitmap.width > 0 && g->bitmap.rows > 0 &&
        g->bitmap.pitch > 0) {
      GlyphInk glyph{g->bitmap_left, -g->bitmap_top, static_cast<LONG>(g->bitmap.width),
                     static_cast<LONG>(g->bitmap.rows), g->bitmap.pitch, g->bitmap.buffer};
      ink(x64, y64, glyph);
    }
    // Whole pixels per character, as the extent counts them.
    if (turned) {
      x64 += g->advance.x;
      y64 -= g->advance.y;  // the face's y runs up
    } else {
      x64 += ((g->advance.x + 32) >> 6) << 6;
    }
  }
  FT_Set_Transform(face, nullptr, nullptr);
  return true;
}

}  // namespace plat::gdi
