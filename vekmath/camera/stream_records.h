// The records a capture stream is described by, laid out as the platform
// lays them out: the offsets are part of what callers compute with (the
// still bit offset counts the format record's size) and of the camera list
// file's "size of one entry".
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstddef>
#include <cstdint>

namespace vekmath {

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

inline constexpr GUID MEDIATYPE_Video{0x73646976, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr GUID MEDIASUBTYPE_RGB24{0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID FORMAT_VideoInfo{0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

typedef int64_t REFERENCE_TIME;  // units of 100 ns

struct VIDEOINFOHEADER {
  RECT rcSource;
  RECT rcTarget;
  DWORD dwBitRate;
  DWORD dwBitErrorRate;
  REFERENCE_TIME AvgTimePerFrame;
  BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88, "VIDEOINFOHEADER is 88 bytes");
static_assert(offsetof(VIDEOINFOHEADER, dwBitRate) == 32 && offsetof(VIDEOINFOHEADER, AvgTimePerFrame) == 40 &&
                  offsetof(VIDEOINFOHEADER, bmiHeader) == 48,
              "VIDEOINFOHEADER field offsets");

struct VIDEO_STREAM_CONFIG_CAPS {
  GUID guid;
  ULONG VideoStandard;
  SIZE InputSize;
  SIZE MinCroppingSize;
  SIZE MaxCroppingSize;
  int CropGranularityX;
  int CropGranularityY;
  int CropAlignX;
  int CropAlignY;
  SIZE MinOutputSize;
  SIZE MaxOutputSize;
  int OutputGranularityX;
  int OutputGranularityY;
  int StretchTapsX;
  int StretchTapsY;
  int ShrinkTapsX;
  int ShrinkTapsY;
  int64_t MinFrameInterval;
  int64_t MaxFrameInterval;
  LONG MinBitsPerSecond;
  LONG MaxBitsPerSecond;
};
static_assert(sizeof(VIDEO_STREAM_CONFIG_CAPS) == 128, "VIDEO_STREAM_CONFIG_CAPS is 128 bytes");
static_assert(offsetof(VIDEO_STREAM_CONFIG_CAPS, VideoStandard) == 16 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, InputSize) == 20 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, CropGranularityX) == 44 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, MinOutputSize) == 60 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, ShrinkTapsY) == 96 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, MinFrameInterval) == 104 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, MaxFrameInterval) == 112 &&
                  offsetof(VIDEO_STREAM_CONFIG_CAPS, MinBitsPerSecond) == 120,
              "VIDEO_STREAM_CONFIG_CAPS field offsets");

// The bytes of a bitmap file before its pixels when the bitmap header is
// the one of the connected format: the 14-byte file header plus the format
// record less what precedes its bitmap header.
inline constexpr int32_t kStillBitOffset =
    14 + static_cast<int32_t>(sizeof(VIDEOINFOHEADER) - offsetof(VIDEOINFOHEADER, bmiHeader));
static_assert(kStillBitOffset == 54, "pixels of a still start after its two headers");

}  // namespace vekmath
