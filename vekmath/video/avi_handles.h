// Owners of the AVI objects the layer hands out.
#pragma once
#include <vfw.h>

#include <memory>
#include <type_traits>

namespace vekmath {

struct AviFileRelease {
  void operator()(PAVIFILE file) const { AVIFileRelease(file); }
};
struct AviStreamRelease {
  void operator()(PAVISTREAM stream) const { AVIStreamRelease(stream); }
};
struct AviFrameClose {
  void operator()(PGETFRAME frames) const { AVIStreamGetFrameClose(frames); }
};

using AviFilePtr = std::unique_ptr<std::remove_pointer_t<PAVIFILE>, AviFileRelease>;
using AviStreamPtr = std::unique_ptr<std::remove_pointer_t<PAVISTREAM>, AviStreamRelease>;
using AviFramesPtr = std::unique_ptr<std::remove_pointer_t<PGETFRAME>, AviFrameClose>;

}  // namespace vekmath
