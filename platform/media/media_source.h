// A media file opened as the chain that plays it would open it.
#pragma once
#include <platform/media_convert.h>

#include <string>

#include "media/av_handles.h"

namespace plat::media {

// The status of a failed file call, from errno.
HRESULT statusFromErrno(int error, const std::string& linuxPath);

// Opens and probes a mapped (Linux) path.
HRESULT openSource(const std::string& linuxPath, InputFile& input);

}  // namespace plat::media
