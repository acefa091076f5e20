// The sound conversions: the checks the graph makes before it runs, the
// format it asks for, and its messages; the layer's engine does the coding.
#include <cstdio>
#include <source_location>
#include <string>

#include <platform/media_convert.h>

#include "vekmath.h"

namespace {

using plat::media::SourceInfo;

constexpr int kPcmTargetRate = 10000;
constexpr int kPcmTargetBits = 16;
// The highest rate sound is recorded at; a header that claims more is
// broken, and resampling from it would cost gigabytes and half a minute.
constexpr int kHighestSourceRate = 768000;

const char* baseName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '/' || *p == '\\') base = p + 1;
  }
  return base;
}

// The error printer: the platform's text for the status, at most 160
// characters as its error-text call gives them, and where it happened.
void printError(HRESULT status, std::source_location where = std::source_location::current()) {
  std::string text = plat::media::StatusText(status);
  if (text.size() > 159) text.resize(159);
  std::fprintf(stderr, "error : %s (%s,%d)\n", text.c_str(), baseName(where.file_name()),
               static_cast<int>(where.line()));
}

// The source as the playback chain would open it; false when the chain
// cannot be built or ends in no sound renderer (already reported).
bool renderSource(const char* inPath, SourceInfo& info, std::source_location where = std::source_location::current()) {
  const HRESULT opened = plat::media::ProbeSource(inPath, &info);
  if (FAILED(opened)) {
    printError(opened, where);
    return false;
  }
  if (!info.audio) {
    printError(plat::media::kStatusNotFound, where);
    return false;
  }
  return true;
}

void runConversion(const char* inPath, const char* outPath, const plat::media::Request& request,
                   std::source_location where = std::source_location::current()) {
  const HRESULT done = plat::media::Convert(inPath, outPath, request);
  if (FAILED(done)) printError(done, where);
}

}  // namespace

DLL_EXPORT void WINAPI ConvertSound(const char* inPath, const char* outPath) {
  SourceInfo info;
  if (!renderSource(inPath, info)) return;
  // The encoder is fed by the wave parser, which only a WAVE file has.
  if (!info.waveFile) return printError(plat::media::kStatusNotFound);
  runConversion(inPath, outPath, {plat::media::Target::MpegAudioWave});
}

DLL_EXPORT void WINAPI ConvertSoundAcm(const char* inPath, const char* outPath) {
  SourceInfo info;
  if (!renderSource(inPath, info)) return;
  // No channels would make a target with no block size.
  if (!info.pcm || info.channels == 0) {
    std::fputs("error : illegal mediatype\n", stderr);
    return;
  }
  // The conversion never raises the rate or the resolution.
  if (info.rate < kPcmTargetRate || info.rate > kHighestSourceRate || info.bits < kPcmTargetBits) {
    std::fprintf(stderr, "error : bitrate too big (%d %d %d)\n", info.channels, info.rate, info.bits);
    return;
  }
  runConversion(inPath, outPath, {plat::media::Target::Pcm16Wave, kPcmTargetRate, true});
}

DLL_EXPORT void WINAPI ConvertSoundAcm2(const char* inPath, const char* outPath) { ConvertSoundAcm(inPath, outPath); }
