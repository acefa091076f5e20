// One frame of an AVI file's video stream, decoded and handed to a painter.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstdint>
#include <functional>

namespace vekmath {

using FramePainter = std::function<void(const uint8_t* pixels, const BITMAPINFOHEADER& header)>;

// ReadAviFrames with the painting left to `paint`; the same results.
LONG PaintAviFrame(const char* path, LONG frame, const FramePainter& paint);

}  // namespace vekmath
