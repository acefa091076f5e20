#include "models.h"

namespace skorradev {

namespace {

constexpr uint32_t kUnipolar = 0x1 | 0x2 | 0x4 | 0x8;
constexpr uint32_t kBipolar = 0x10000 | 0x20000 | 0x40000 | 0x80000;

// Variant words: bits 10..12 = 2 and the low 7 bits make the model names
// "MWU-459158" and "MWU-459760" of the processing library's board search.
constexpr BoardModel kModels[] = {
    // model pci     variant  bits se  diff ranges               modes trg ct  one   scan  m2    kind lv     direct
    {4591, 0x288C, 0x083A, 16, 32, 16, kUnipolar | kBipolar, 0xF, 4, 2, 1000, 1000, 1000, 1, false, false},
    {4597, 0x2890, 0x083C, 12, 16, 8, kUnipolar | kBipolar, 0xF, 4, 1, 1000, 1000, 1000, 1, false, false},
    {4555, 0x2880, 0x0001, 16, 8, 4, kBipolar, 0x3, 2, 1, 10000, 10000, 10000, 1, true, false},
    {5055, 0x28A0, 0x0802, 16, 16, 8, kUnipolar | kBipolar, 0xF, 4, 2, 500, 500, 500, 1, false, true},
};

}  // namespace

const BoardModel* findModel(uint32_t model) {
  for (const BoardModel& entry : kModels) {
    if (entry.model == model) return &entry;
  }
  return nullptr;
}

const BoardModel& defaultModel() { return kModels[0]; }

}  // namespace skorradev
