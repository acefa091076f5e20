// What the model reports of one of its functions: its channels, its
// resolution, or (any other code) the bytes of one sample in its memory.
#pragma once
#include <windows.h>

#include <cstdint>

#include "requests.h"

namespace halviksim {

// The codes that ask for the channels and the resolution, on the kernel
// road and on the sibling roads.
struct FigureCodes {
  DWORD channels, channelsCommand, resolution, resolutionCommand;
};

int32_t serveModelFigure(Record& record, const Row& row, const FigureCodes& codes, int channels, int bits);

}  // namespace halviksim
