// The layer's media conversion engine: any file the coding libraries read,
// decoded and re-encoded into a WAVE or AVI file. Paths are ANSI (CP932)
// Windows paths, mapped as every file call of the layer maps them.
//
// An output appears only complete: it is written beside its destination
// under a temporary name and renamed onto it at the end, so a failed
// conversion leaves an existing destination as it was and creates nothing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace plat::media {

// Statuses of the graph services the conversions stand in for.
inline constexpr HRESULT kStatusNotFound = static_cast<HRESULT>(0x80040216);       // no such filter
inline constexpr HRESULT kStatusCannotConnect = static_cast<HRESULT>(0x80040217);  // no format both ends take
inline constexpr HRESULT kStatusUnknownFileType = static_cast<HRESULT>(0x80040240);
inline constexpr HRESULT kStatusFileNotFound = static_cast<HRESULT>(0x80070002);
inline constexpr HRESULT kStatusPathNotFound = static_cast<HRESULT>(0x80070003);
inline constexpr HRESULT kStatusAccessDenied = static_cast<HRESULT>(0x80070005);

enum class Target {
  MpegAudioWave,  // MPEG audio layer II in a WAVE file (format tag 0x0050)
  Pcm16Wave,      // signed 16-bit PCM in a WAVE file
  Mpeg4Avi,       // the video as MPEG-4 visual tagged "DIVX" in an AVI file
};

// What the chain that would play a file is made of, and the sound it
// delivers: integer PCM sources keep their own bits, compressed ones are
// decoded to 16 bits; floating-point PCM is no PCM.
struct SourceInfo {
  bool waveFile = false;
  bool audio = false;
  bool video = false;
  bool pcm = false;
  int channels = 0;
  int rate = 0;
  int bits = 0;
};

struct Request {
  Target target = Target::Pcm16Wave;
  int rate = 0;  // 0 keeps the source's rate
  // An existing destination is deleted just before the run, so that a run
  // that fails leaves no file there at all.
  bool removeExisting = false;
};

#pragma GCC visibility push(default)

// S_OK with `info` filled, or the status of opening the file.
HRESULT ProbeSource(const char* ansiPath, SourceInfo* info);

// Runs the whole conversion on the caller's thread. A source and a
// destination that are one file are refused (E_INVALIDARG): the source
// would be gone before it was read.
HRESULT Convert(const char* ansiSource, const char* ansiDestination, const Request& request);

// The platform's text for a status, as its error-text call gives it.
std::string StatusText(HRESULT status);

// The friendly names of the video compressors installed. The environment
// variable ORVANE_VIDEO_COMPRESSORS set to "none" installs none.
std::vector<std::string> VideoCompressorNames();

#pragma GCC visibility pop

}  // namespace plat::media
