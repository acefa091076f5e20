// SaveWindowBitmap: what a window shows, as an uncompressed BMP file at the
// display's depth.
#include <windows.h>
#include <wingdi.h>

#include <platform/host_files.h>

#include <cstring>
#include <vector>

#include "drawing/bmp_rows.h"
#include "drawing/gdi_support.h"
#include "vekmath.h"

namespace vekmath {
namespace {

bool knownDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

class MemoryDc {
 public:
  explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The system palette as the file's colour table: 2^bits entries.
std::vector<RGBQUAD> colourTable(HDC dc, int bits) {
  if (bits > 8) return {};
  PALETTEENTRY entries[256]{};
  GetSystemPaletteEntries(dc, 0, 256, entries);
  std::vector<RGBQUAD> table(size_t{1} << bits);
  for (size_t i = 0; i < table.size(); ++i)
    table[i] = RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return table;
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI SaveWindowBitmap(HWND window, const char* path, LONG) {
  using namespace vekmath;
  RECT client{}, outer{};
  if (path == nullptr || !GetClientRect(window, &client) || !GetWindowRect(window, &outer)) return;
  // From the client bottom up to the window height less 5: on a window
  // with a frame this reaches above the client area, where the window has
  // no pixels and the picture stays black.
  const LONG width = client.right - client.left;
  const LONG height = (outer.bottom - outer.top) - 5;
  const LONG top = client.bottom - height;
  if (width <= 0 || height <= 0) return;

  WindowDc screen(window);
  if (screen.get() == nullptr) return;
  const int bits = GetDeviceCaps(screen.get(), BITSPIXEL);
  if (!knownDepth(bits)) return;
  const std::vector<RGBQUAD> table = colourTable(screen.get(), bits);

  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  header.biCompression = BI_RGB;
  header.biSizeImage = bmpRowBytes(bits, width) * static_cast<uint32_t>(height);

  // The layer's sections are 32-bit: the capture is made at that depth and
  // packed to the file's depth as it is written.
  BITMAPINFO capture{};
  capture.bmiHeader = header;
  capture.bmiHeader.biBitCount = 32;
  capture.bmiHeader.biSizeImage = 0;
  void* bits32 = nullptr;
  GdiObject section(CreateDIBSection(screen.get(), &capture, DIB_RGB_COLORS, &bits32, nullptr, 0));
  MemoryDc memory(screen.get());
  if (section.get() == nullptr || bits32 == nullptr || memory.get() == nullptr) return;
  {
    Selection use(memory.get(), section.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), client.left, top, SRCCOPY);
  }
  screen.reset();

  const DWORD dataOffset =
      static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + table.size() * sizeof(RGBQUAD));
  BITMAPFILEHEADER fileHeader{};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfSize = dataOffset + header.biSizeImage;
  fileHeader.bfOffBits = dataOffset;
  GdiFlush();
  // A bottom-up section keeps the bottom row first, as the file does.
  const std::vector<uint8_t> image =
      packBmpRows(static_cast<const uint8_t*>(bits32), ptrdiff_t{width} * 4, width, height, bits, table);
  std::vector<uint8_t> bytes(dataOffset);
  std::memcpy(bytes.data(), &fileHeader, sizeof fileHeader);
  std::memcpy(bytes.data() + sizeof fileHeader, &header, sizeof header);
  if (!table.empty()) std::memcpy(bytes.data() + sizeof fileHeader + sizeof header, table.data(), table.size() * sizeof(RGBQUAD));
  bytes.insert(bytes.end(), image.begin(), image.end());
  // Whole or not at all: a full disk keeps the picture that was there.
  plat::WriteWholeFile(path, bytes.data(), bytes.size());
}
