// The texts of the conversion statuses, and the installed video compressors.
#include <cstdio>

#include <platform/media_convert.h>

#include "media/video_compressors.h"

namespace plat::media {

namespace {

struct StatusTextRow {
  HRESULT status;
  const char* text;
};

constexpr StatusTextRow kStatusTexts[] = {
    {kStatusNotFound, "An object or name was not found."},
    {kStatusCannotConnect, "No combination of intermediate filters could be found to make the connection."},
    {kStatusUnknownFileType, "The media type of this file is not recognized."},
    {kStatusFileNotFound, "The system cannot find the file specified."},
    {kStatusPathNotFound, "The system cannot find the path specified."},
    {kStatusAccessDenied, "Access is denied."},
    {static_cast<HRESULT>(0x80070070), "There is not enough space on the disk."},
    {E_INVALIDARG, "The parameter is incorrect."},
    {E_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
    {E_FAIL, "Unspecified error"},
};

// The one compressor the conversions ask for by name.
constexpr const char* kInstalledCompressors[] = {"DivXR 5.2.1 Codec"};

}  // namespace

std::string StatusText(HRESULT status) {
  for (const StatusTextRow& row : kStatusTexts) {
    if (row.status == status) return row.text;
  }
  char text[40];
  std::snprintf(text, sizeof text, "Unknown error 0x%08X.", static_cast<unsigned>(status));
  return text;
}

std::vector<std::string> VideoCompressorNames() {
  if (VideoCompressorsSwitchedOff()) return {};
  return {std::begin(kInstalledCompressors), std::end(kInstalledCompressors)};
}

}  // namespace plat::media
