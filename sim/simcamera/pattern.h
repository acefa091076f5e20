// The picture of frame k of camera n (see simcamera.h).
#pragma once
#include <cstdint>

namespace simcamera {

// Fills a bottom-up BGR24 frame of width x height, rows padded to 4 bytes.
void RenderPattern(uint8_t* pixels, int32_t width, int32_t height, uint32_t frame, uint32_t camera);

}  // namespace simcamera
