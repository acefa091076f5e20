// gdi32: device contexts, pens, brushes, fonts and bitmaps over pixel
// surfaces, drawn by a software rasterizer.
//
// A window's device context draws into the window's surface (see
// platform/window_surface.h) and tells the toolkit which pixels changed; a
// memory device context draws into the bitmap selected into it. Every
// surface is 32 bits per pixel; all drawing is clipped to it.
//
// Coordinates are device pixels (MM_TEXT, origin at the top left). Colours
// are COLORREF values 0x00BBGGRR; the high byte of a colour passed in is
// ignored, so 0xFFFFFFFF draws white. Objects are small integer handles,
// shared by every thread of the process. An object selected into a device
// context cannot be deleted (DeleteObject returns FALSE).
//
// Drawing on a window's context takes the window's surface lock for the
// call; a thread holding that lock (PlatLockWindowSurface) must not wait
// for a thread that draws.
//
// The user32 calls that hand out or fill through device contexts (GetDC,
// ReleaseDC, FillRect) live here too; include this header after windows.h.
#pragma once
#include "windef.h"
#include "winerror.h"

// ---- Records ----------------------------------------------------------------

#define LF_FACESIZE 32

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // x is the width; y is not used
  COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

typedef struct tagLOGFONTA {
  LONG lfHeight;  // < 0: character height; > 0: cell height; 0: default
  LONG lfWidth;   // average character width; 0: as the face has it
  LONG lfEscapement;  // tenths of a degree, counter-clockwise
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];  // CP932
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // > 0: rows bottom up; < 0: top down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD, *LPRGBQUAD;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;  // "BM"
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER, *PBITMAPFILEHEADER, *LPBITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagPALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
} PALETTEENTRY, *PPALETTEENTRY, *LPPALETTEENTRY;

#ifdef __cplusplus
static_assert(sizeof(LOGPEN) == 16 && offsetof(LOGPEN, lopnColor) == 12, "LOGPEN as on Win64");
static_assert(sizeof(LOGBRUSH) == 16 && offsetof(LOGBRUSH, lbHatch) == 8, "LOGBRUSH as on Win64");
static_assert(sizeof(LOGFONTA) == 60 && offsetof(LOGFONTA, lfItalic) == 20 && offsetof(LOGFONTA, lfCharSet) == 23 &&
                  offsetof(LOGFONTA, lfFaceName) == 28,
              "LOGFONTA as on Win64");
static_assert(sizeof(TEXTMETRICA) == 56 && offsetof(TEXTMETRICA, tmFirstChar) == 44 &&
                  offsetof(TEXTMETRICA, tmCharSet) == 52,
              "TEXTMETRICA as on Win64");
static_assert(sizeof(BITMAP) == 32 && offsetof(BITMAP, bmPlanes) == 16 && offsetof(BITMAP, bmBits) == 24,
              "BITMAP as on Win64");
static_assert(sizeof(BITMAPINFOHEADER) == 40 && offsetof(BITMAPINFOHEADER, biPlanes) == 12 &&
                  offsetof(BITMAPINFOHEADER, biCompression) == 16 && offsetof(BITMAPINFOHEADER, biClrImportant) == 36,
              "BITMAPINFOHEADER as in the file format");
static_assert(sizeof(RGBQUAD) == 4 && sizeof(BITMAPINFO) == 44, "BITMAPINFO as in the file format");
static_assert(sizeof(BITMAPFILEHEADER) == 14 && offsetof(BITMAPFILEHEADER, bfSize) == 2 &&
                  offsetof(BITMAPFILEHEADER, bfOffBits) == 10,
              "BITMAPFILEHEADER as in the file format");
static_assert(sizeof(PALETTEENTRY) == 4, "PALETTEENTRY");
#endif

// ---- Constants --------------------------------------------------------------

#define CLR_INVALID 0xFFFFFFFFu
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)
#define GDI_ERROR 0xFFFFFFFFL

// Pen styles. Dashed styles apply to pens of width 1 (wider pens draw solid);
// the gaps take the background colour in OPAQUE mode.
#define PS_SOLID 0
#define PS_DASH 1        // 18 on, 6 off
#define PS_DOT 2         // 3 on, 3 off
#define PS_DASHDOT 3     // 9 on, 6 off, 3 on, 6 off
#define PS_DASHDOTDOT 4  // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_STYLE_MASK 0x0000000F

// Brush styles.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

// Mix modes of pens and brushes (SetROP2).
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// Raster operations of BitBlt and StretchDIBits.
#define SRCCOPY 0x00CC0020u

// StretchDIBits.
#define DIB_RGB_COLORS 0
#define BI_RGB 0
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_DELETESCANS COLORONCOLOR

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// Object types (GetObjectType).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

// GetDeviceCaps indices.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define RC_BITBLT 1
#define RC_STRETCHDIB 0x2000

// Fonts. Every face is drawn with the layer's one Japanese gothic face.
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SHIFTJIS_CHARSET 128
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_MODERN 0x30

// ---- Device contexts ------------------------------------------------------

// GetDC(NULL) gives a screen context that answers GetDeviceCaps and draws
// nowhere. Every GetDC gives a context of its own; ReleaseDC frees it.
PLATFORM_API HDC WINAPI GetDC(HWND hWnd);
PLATFORM_API int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
// A memory context holds a 1x1 bitmap until one is selected into it.
PLATFORM_API HDC WINAPI CreateCompatibleDC(HDC hdc);
PLATFORM_API BOOL WINAPI DeleteDC(HDC hdc);
// BITSPIXEL is 32, or what ORVANE_DISPLAY_BITS says (1, 4, 8, 16 or 24)
// for a program that saves pictures at the display's depth; the surfaces
// stay 32-bit either way.
PLATFORM_API int WINAPI GetDeviceCaps(HDC hdc, int index);
// Drawing is done when a call returns.
PLATFORM_API BOOL WINAPI GdiFlush(void);

// ---- Objects ------------------------------------------------------------------

PLATFORM_API HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color);
PLATFORM_API HPEN WINAPI CreatePenIndirect(const LOGPEN* plpen);
PLATFORM_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
PLATFORM_API HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* plbrush);
PLATFORM_API HFONT WINAPI CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight,
                                      DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                                      DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                                      DWORD iPitchAndFamily, LPCSTR pszFaceName);
PLATFORM_API HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lplf);
// Stock objects are never deleted; DeleteObject on one returns TRUE.
PLATFORM_API HGDIOBJ WINAPI GetStockObject(int i);
// Returns the object of the same kind that was selected before; NULL
// (ERROR_INVALID_HANDLE) for a bad context or object.
PLATFORM_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
PLATFORM_API BOOL WINAPI DeleteObject(HGDIOBJ ho);
PLATFORM_API DWORD WINAPI GetObjectType(HGDIOBJ h);
PLATFORM_API int WINAPI GetObjectA(HGDIOBJ h, int c, LPVOID pv);

// ---- Attributes ---------------------------------------------------------------

PLATFORM_API int WINAPI SetROP2(HDC hdc, int rop2);  // previous mode, 0 on failure
PLATFORM_API int WINAPI GetROP2(HDC hdc);
PLATFORM_API int WINAPI SetBkMode(HDC hdc, int mode);  // previous mode, 0 on failure
PLATFORM_API int WINAPI GetBkMode(HDC hdc);
PLATFORM_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);  // previous, CLR_INVALID on failure
PLATFORM_API COLORREF WINAPI GetBkColor(HDC hdc);
PLATFORM_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
PLATFORM_API COLORREF WINAPI GetTextColor(HDC hdc);
PLATFORM_API int WINAPI SetStretchBltMode(HDC hdc, int mode);
PLATFORM_API int WINAPI GetStretchBltMode(HDC hdc);

// ---- Lines and shapes -----------------------------------------------------------

// Restarts the dash pattern.
PLATFORM_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
// Draws from the current position up to, not including, (x, y). Along the
// longer axis every pixel is drawn once; across it the exact position is
// rounded to nearest, halves toward the smaller coordinate, so a line lights
// the same pixels whichever way it is drawn (ends apart).
PLATFORM_API BOOL WINAPI LineTo(HDC hdc, int x, int y);
// Each segment leaves out its end point, so in XOR modes every vertex is
// drawn once; the current position is not used or changed. Pens wider than
// one pixel draw each segment with round ends (joints overlap).
PLATFORM_API BOOL WINAPI Polyline(HDC hdc, const POINT* apt, int cpt);
// Outline with the pen, inside with the brush (alternate fill).
PLATFORM_API BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt);
// Covers left..right-1 and top..bottom-1: the outline with the pen, the
// inside with the brush.
PLATFORM_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
PLATFORM_API BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom);
// Fills left..right-1, top..bottom-1 with the brush, whatever the mix mode.
PLATFORM_API int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
PLATFORM_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);  // the colour set, or CLR_INVALID
PLATFORM_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the surface

// ---- Text -----------------------------------------------------------------------

// Text is CP932; (x, y) is the top left of the character cell. In OPAQUE
// mode the cells of level text are first filled with the background colour
// (turned text is drawn as in TRANSPARENT mode). Characters are drawn
// without smoothing; weight, italics, underline and strike-out are not
// drawn. The escapement turns the text about (x, y).
PLATFORM_API BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
PLATFORM_API BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);
PLATFORM_API BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);

// ---- Bitmaps ----------------------------------------------------------------------

// Always 32 bits per pixel, black at first.
PLATFORM_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// 32-bit uncompressed sections only (biBitCount 32, BI_RGB); *ppvBits
// receives the rows in the order biHeight asks for.
PLATFORM_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                             HANDLE hSection, DWORD offset);
// SRCCOPY; parts outside either surface are left out.
PLATFORM_API BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
// 24- and 32-bit BI_RGB sources, SRCCOPY, nearest-pixel scaling. Returns the
// number of source rows, 0 on failure.
PLATFORM_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc,
                                      int ySrc, int SrcWidth, int SrcHeight, const void* lpBits,
                                      const BITMAPINFO* lpbmi, UINT iUsage, DWORD rop);
// A display of 8 bits or fewer (ORVANE_DISPLAY_BITS, see GetDeviceCaps)
// has a fixed palette of 256 entries: black, white, the 16 basic colours,
// a colour cube and greys. Other displays have none: no entries.
PLATFORM_API UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT iStart, UINT cEntries, LPPALETTEENTRY pPalEntries);
