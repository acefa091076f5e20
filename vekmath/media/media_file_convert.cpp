// Re-encoding a media file into an AVI file with the named video
// compressor; the AVI file replaces the source only once it is complete.
#include <cstdio>
#include <cstring>
#include <string>

#include <platform/media_convert.h>

#include "vekmath.h"

namespace {

constexpr const char kCompressorName[] = "DivXR 5.2.1 Codec";
// The enumeration's names and the wanted one are cut as the fixed ANSI
// buffers of the lookup cut them.
constexpr std::size_t kFriendlyNameBytes = 255;
constexpr std::size_t kWantedNameBytes = 254;

bool FindFilterByFriendlyName(const char* name) {
  const std::string wanted(name, strnlen(name, kWantedNameBytes));
  for (const std::string& friendly : plat::media::VideoCompressorNames()) {
    if (friendly.substr(0, kFriendlyNameBytes) == wanted) return true;
  }
  return false;
}

void printOutcome(const char* word) {
  std::fputs(word, stdout);
  std::fflush(stdout);
}

}  // namespace

DLL_EXPORT LONG WINAPI ConvertMediaFile(const char* source, const char* destination) {
  const HRESULT done = FindFilterByFriendlyName(kCompressorName)
                           ? plat::media::Convert(source, destination, {plat::media::Target::Mpeg4Avi})
                           : plat::media::kStatusNotFound;
  if (FAILED(done)) {
    printOutcome("errorabort");
    return 0;
  }
  printOutcome("complete");
  return DeleteFileA(source) ? 1 : 0;
}
