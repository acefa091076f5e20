#include "kind_images.h"

#include <cstring>

namespace tarnix {

namespace {

using xanconfig::DriverBlock;

// Zero-initialised static storage: some 16 MB that no file of the library
// carries.
DriverBlock serialImage[1];
DriverBlock analogImage[33];
DriverBlock digitalImage[7];
DriverBlock gpibImage[4];
DriverBlock counterImage[6];
DriverBlock stepperImage[2];
DriverBlock comPortImage[1];
DriverBlock moduleImage[1];

static_assert(std::size(analogImage) == xanconfig::kKinds[1].ntRows);
static_assert(std::size(digitalImage) == xanconfig::kKinds[2].ntRows);
static_assert(std::size(gpibImage) == xanconfig::kKinds[3].ntRows);
static_assert(std::size(counterImage) == xanconfig::kKinds[4].ntRows);
static_assert(std::size(stepperImage) == xanconfig::kKinds[5].ntRows);

}  // namespace

std::span<DriverBlock> KindImage(int32_t kind) {
  switch (kind) {
    case 1: return serialImage;
    case 2: return analogImage;
    case 3: return digitalImage;
    case 4: return gpibImage;
    case 5: return counterImage;
    case 6: return stepperImage;
    case 7: return comPortImage;
    case 10: return moduleImage;
    default: return {};
  }
}

void ClearKindImage(int32_t kind) {
  std::span<DriverBlock> image = KindImage(kind);
  if (!image.empty()) std::memset(static_cast<void*>(image.data()), 0, image.size_bytes());
}

}  // namespace tarnix
