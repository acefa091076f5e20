// Pens, brushes, fonts and the selection of objects into contexts.
#include <winbase.h>

#include <algorithm>
#include <cstring>

#include "gdi32/objects.h"

using namespace plat::gdi;

PLATFORM_API HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  const int kind = style & PS_STYLE_MASK;
  if (kind > PS_INSIDEFRAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return handleOf<HPEN>(addPen(Pen{kind, std::max(width, 1), color & 0xFFFFFFu}));
}

PLATFORM_API HPEN WINAPI CreatePenIndirect(const LOGPEN* pen) {
  if (pen == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

PLATFORM_API HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  return handleOf<HBRUSH>(addBrush(Brush{false, color & 0xFFFFFFu}));
}

PLATFORM_API HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
  if (brush == nullptr || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return handleOf<HBRUSH>(addBrush(Brush{brush->lbStyle == BS_NULL, brush->lbColor & 0xFFFFFFu}));
}

PLATFORM_API HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
  if (font == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  LOGFONTA copy = *font;
  copy.lfFaceName[LF_FACESIZE - 1] = '\0';
  return handleOf<HFONT>(addFont(copy));
}

PLATFORM_API HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                                      DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                      DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                                      LPCSTR faceName) {
  LOGFONTA f{};
  f.lfHeight = height;
  f.lfWidth = width;
  f.lfEscapement = escapement;
  f.lfOrientation = orientation;
  f.lfWeight = weight;
  f.lfItalic = static_cast<BYTE>(italic);
  f.lfUnderline = static_cast<BYTE>(underline);
  f.lfStrikeOut = static_cast<BYTE>(strikeOut);
  f.lfCharSet = static_cast<BYTE>(charSet);
  f.lfOutPrecision = static_cast<BYTE>(outPrecision);
  f.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  f.lfQuality = static_cast<BYTE>(quality);
  f.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(f.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&f);
}

PLATFORM_API HGDIOBJ WINAPI GetStockObject(int index) { return handleOf<HGDIOBJ>(stockObject(index)); }

PLATFORM_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
  return handleOf<HGDIOBJ>(selectInto(handleValue(hdc), handleValue(object)));
}

PLATFORM_API BOOL WINAPI DeleteObject(HGDIOBJ object) { return deleteObject(handleValue(object)) ? TRUE : FALSE; }

PLATFORM_API DWORD WINAPI GetObjectType(HGDIOBJ object) {
  const uint32_t h = handleValue(object);
  switch (kindOf(h)) {
    case Kind::Pen: return OBJ_PEN;
    case Kind::Brush: return OBJ_BRUSH;
    case Kind::Font: return OBJ_FONT;
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Dc: {
      DcPtr dc = findDc(h);
      return dc && dc->memory ? OBJ_MEMDC : OBJ_DC;
    }
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
}

namespace {
template <typename T>
int copyOut(const T& value, int size, LPVOID out) {
  if (out == nullptr) return static_cast<int>(sizeof(T));
  if (size <= 0) return 0;
  const int n = std::min(size, static_cast<int>(sizeof(T)));
  std::memcpy(out, &value, static_cast<size_t>(n));
  return n;
}
}  // namespace

PLATFORM_API int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID out) {
  const uint32_t h = handleValue(object);
  LOGPEN pen{};
  if (findPen(h, &pen)) return copyOut(pen, size, out);
  Brush brush;
  if (findBrush(h, &brush)) {
    return copyOut(LOGBRUSH{brush.hollow ? UINT{BS_NULL} : UINT{BS_SOLID}, brush.color, 0}, size, out);
  }
  LOGFONTA font{};
  if (findFont(h, &font)) return copyOut(font, size, out);
  if (auto bitmap = findBitmap(h)) {
    BITMAP b{};
    b.bmWidth = bitmap->width;
    b.bmHeight = bitmap->height;
    b.bmWidthBytes = bitmap->width * 4;
    b.bmPlanes = 1;
    b.bmBitsPixel = 32;
    b.bmBits = bitmap->section ? bitmap->bits : nullptr;
    return copyOut(b, size, out);
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}
