#include <strings.h>

#include "morvelboard.h"

namespace morvelboard {

std::optional<BoardSpec> SpecForModel(const std::string& model) {
  for (const Model& m : kModels) {
    if (strcasecmp(m.name, model.c_str()) != 0) continue;
    BoardSpec spec;
    spec.model = m.name;
    spec.boardType = m.boardType;
    spec.deviceId = m.deviceId;
    return spec;
  }
  return std::nullopt;
}

std::string CheckSpec(const BoardSpec& spec) {
  if (spec.ioBase == 0 || spec.ioBase % kPortCount != 0) {
    return "the I/O base must be a non-zero multiple of 16";
  }
  if (spec.interruptPin > 4) return "the interrupt pin must be 0 to 4";
  if (spec.boardType > 0xFFFF) return "the board type must fit 16 bits";
  return {};
}

}  // namespace morvelboard
