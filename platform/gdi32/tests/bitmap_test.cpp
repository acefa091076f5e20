#include <platform/surface_file.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../kernel32/tests/full_disk.h"
#include "gdi_fixture.h"

using GdiBitmaps = GdiCanvas;

namespace {
void paint(HDC dc, int l, int t, int r, int b, COLORREF c) {
  HBRUSH brush = CreateSolidBrush(c);
  RECT rect{l, t, r, b};
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}
}  // namespace

TEST_F(GdiBitmaps, BitBltCopiesBetweenContexts) {
  HDC src = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 8, 8);
  HGDIOBJ old = SelectObject(src, bmp);
  EXPECT_EQ(GetPixel(src, 0, 0), kBlack);  // a new bitmap is black
  paint(src, 2, 2, 4, 4, kRed);
  ASSERT_TRUE(BitBlt(dc, 10, 20, 8, 8, src, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 12, 22), kRed);
  EXPECT_EQ(GetPixel(dc, 10, 20), kBlack);
  EXPECT_EQ(GetPixel(dc, 17, 27), kBlack);
  EXPECT_EQ(GetPixel(dc, 18, 28), kWhite);
  EXPECT_EQ(ink().size(), 64u);
  SelectObject(src, old);
  DeleteObject(bmp);
  DeleteDC(src);
}

TEST_F(GdiBitmaps, BitBltLeavesOutWhatLiesOutsideEitherSurface) {
  HDC src = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 8, 8);
  HGDIOBJ old = SelectObject(src, bmp);
  // Source partly outside: only its real pixels arrive.
  ASSERT_TRUE(BitBlt(dc, 0, 0, 20, 20, src, -4, -4, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 3, 3), kWhite);
  EXPECT_EQ(GetPixel(dc, 4, 4), kBlack);
  EXPECT_EQ(GetPixel(dc, 11, 11), kBlack);
  EXPECT_EQ(GetPixel(dc, 12, 12), kWhite);
  EXPECT_EQ(ink().size(), 64u);
  // Destination partly outside.
  clear(kWhite);
  ASSERT_TRUE(BitBlt(dc, kW - 3, kH - 2, 8, 8, src, 0, 0, SRCCOPY));
  EXPECT_EQ(ink().size(), 6u);
  EXPECT_TRUE(BitBlt(dc, 0, 0, -5, 5, src, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 5, 5, src, 0, 0, 0x00EE0086u));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 5, 5, nullptr, 0, 0, SRCCOPY));
  SelectObject(src, old);
  DeleteObject(bmp);
  DeleteDC(src);
}

TEST_F(GdiBitmaps, BitBltWithinOneContextOverlapping) {
  for (int x = 0; x < 10; ++x) SetPixel(dc, x, 0, RGB(x, 0, 0));
  ASSERT_TRUE(BitBlt(dc, 2, 0, 10, 1, dc, 0, 0, SRCCOPY));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(GetPixel(dc, x + 2, 0), RGB(x, 0, 0)) << x;
}

TEST_F(GdiBitmaps, DibSectionHandsOutBottomUpRows) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 3;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  ASSERT_NE(bits, nullptr);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, dib);
  SetPixel(mem, 1, 0, RGB(0x11, 0x22, 0x33));  // top row: last in memory
  const auto* words = static_cast<const uint32_t*>(bits);
  EXPECT_EQ(words[2 * 4 + 1] & 0xFFFFFFu, 0x112233u);
  BITMAP bm{};
  GetObjectA(dib, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmBits, bits);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(dib);

  info.bmiHeader.biBitCount = 8;
  EXPECT_EQ(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 1 << 20, 1 << 20), nullptr);
}

TEST_F(GdiBitmaps, StretchDibitsScalesAFrameToTheWindow) {
  // A 2x2 bottom-up 24-bit frame: rows padded to 8 bytes.
  const uint8_t frame[16] = {
      0, 0, 255, 0, 255, 0, 0, 0,  // bottom row: red, green
      255, 0, 0, 0, 0, 0, 0, 0,    // top row: blue, black
  };
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  SetStretchBltMode(dc, COLORONCOLOR);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 10, 6, 0, 0, 2, 2, frame, &info, DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(GetPixel(dc, 0, 0), kBlue);
  EXPECT_EQ(GetPixel(dc, 9, 0), kBlack);
  EXPECT_EQ(GetPixel(dc, 4, 5), kRed);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(dc, 4, 2), kBlue);
  EXPECT_EQ(GetPixel(dc, 4, 3), kRed);
  EXPECT_EQ(GetPixel(dc, 10, 0), kWhite);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 10, 6, 0, 0, 2, 2, nullptr, &info, DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST_F(GdiBitmaps, SurfaceFileIsAReadableBmp) {
  SetPixel(dc, 0, 0, kRed);  // top left: the last row in the file
  const std::string path = testing::TempDir() + "gdi_surface_file_test.bmp";
  ASSERT_TRUE(PlatSaveDcBmp(dc, path.c_str()));
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + kW * kH * 4u);
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  std::memcpy(&file, bytes.data(), sizeof(file));
  std::memcpy(&info, bytes.data() + 14, sizeof(info));
  // Packed fields: read by value.
  const WORD type = file.bfType;
  const DWORD offset = file.bfOffBits, size = file.bfSize;
  EXPECT_EQ(type, 0x4D42);
  EXPECT_EQ(offset, 54u);
  EXPECT_EQ(size, bytes.size());
  EXPECT_EQ(info.biWidth, kW);
  EXPECT_EQ(info.biHeight, kH);
  EXPECT_EQ(info.biBitCount, 32);
  const size_t topLeft = 54 + static_cast<size_t>(kH - 1) * kW * 4;
  EXPECT_EQ(static_cast<uint8_t>(bytes[topLeft + 2]), 255);  // B, G, R
  EXPECT_EQ(static_cast<uint8_t>(bytes[topLeft + 1]), 0);
  std::remove(path.c_str());

  // A disk that fills keeps the picture saved before.
  std::ofstream(path, std::ios::binary) << "before";
  {
    FullDiskAfter disk(64);
    EXPECT_FALSE(PlatSaveDcBmp(dc, path.c_str()));
  }
  std::ifstream kept(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "before");
  std::remove(path.c_str());
  EXPECT_FALSE(PlatSaveDcBmp(dc, "/nonexistent-folder/x.bmp"));
  EXPECT_FALSE(PlatSaveSurfaceBmp(nullptr, path.c_str()));
  PlatSurface empty{};
  EXPECT_FALSE(PlatSaveSurfaceBmp(&empty, path.c_str()));
}
