// The records of an AVI 1.0 file as they stand on disk (little-endian,
// which is also the machine's order).
#pragma once
#include <windows.h>

#include <bit>
#include <cstdint>

namespace plat::avi {

static_assert(std::endian::native == std::endian::little, "records are written as they stand in memory");

inline constexpr FOURCC kAvi = mmioFOURCC('A', 'V', 'I', ' ');
inline constexpr FOURCC kHdrl = mmioFOURCC('h', 'd', 'r', 'l');
inline constexpr FOURCC kAvih = mmioFOURCC('a', 'v', 'i', 'h');
inline constexpr FOURCC kStrl = mmioFOURCC('s', 't', 'r', 'l');
inline constexpr FOURCC kStrh = mmioFOURCC('s', 't', 'r', 'h');
inline constexpr FOURCC kStrf = mmioFOURCC('s', 't', 'r', 'f');
inline constexpr FOURCC kStrn = mmioFOURCC('s', 't', 'r', 'n');
inline constexpr FOURCC kMovi = mmioFOURCC('m', 'o', 'v', 'i');
inline constexpr FOURCC kRec = mmioFOURCC('r', 'e', 'c', ' ');
inline constexpr FOURCC kIdx1 = mmioFOURCC('i', 'd', 'x', '1');
inline constexpr FOURCC kJunk = mmioFOURCC('J', 'U', 'N', 'K');

inline constexpr DWORD kAvifHasIndex = 0x10;
inline constexpr DWORD kIndexKeyFrame = 0x10;

struct MainHeader {
  DWORD microSecPerFrame;
  DWORD maxBytesPerSec;
  DWORD paddingGranularity;
  DWORD flags;
  DWORD totalFrames;
  DWORD initialFrames;
  DWORD streams;
  DWORD suggestedBufferSize;
  DWORD width;
  DWORD height;
  DWORD reserved[4];
};
static_assert(sizeof(MainHeader) == 56);

struct StreamHeader {
  FOURCC type;
  FOURCC handler;
  DWORD flags;
  WORD priority;
  WORD language;
  DWORD initialFrames;
  DWORD scale;
  DWORD rate;
  DWORD start;
  DWORD length;
  DWORD suggestedBufferSize;
  DWORD quality;
  DWORD sampleSize;
  int16_t frameLeft;
  int16_t frameTop;
  int16_t frameRight;
  int16_t frameBottom;
};
static_assert(sizeof(StreamHeader) == 56);

struct IndexEntry {
  FOURCC id;
  DWORD flags;
  DWORD offset;  // from the "movi" form type
  DWORD size;
};
static_assert(sizeof(IndexEntry) == 16);

// The movi chunk of stream `stream` (two decimal digits): "00dc" for
// video, "01wb" for sound.
inline FOURCC sampleChunkId(unsigned stream, FOURCC streamType) {
  const bool sound = streamType == mmioFOURCC('a', 'u', 'd', 's');
  return mmioFOURCC('0' + stream / 10 % 10, '0' + stream % 10, sound ? 'w' : 'd', sound ? 'b' : 'c');
}

// The stream number of a movi chunk ("01wb" gives 1), or -1.
inline int chunkStream(FOURCC id) {
  const int tens = static_cast<int>(id & 0xFF) - '0';
  const int ones = static_cast<int>((id >> 8) & 0xFF) - '0';
  if (tens < 0 || tens > 9 || ones < 0 || ones > 9) return -1;
  return tens * 10 + ones;
}

}  // namespace plat::avi
