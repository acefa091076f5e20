#include "models.h"

namespace halviksim {

namespace {

// clang-format off
constexpr Model kModels[] = {
    {"HVA-1632PE",       32, 16, 2, 16, 4, 4, 2, 2, 10, 0,   10},
    {"HVA-1216PCI",      16, 12, 2, 12, 4, 4, 0, 1, 4,  500, 20},
    {"Demo",             16, 12, 2, 12, 4, 4, 2, 2, 20, 0,   20},
    {"TXQ-830715ZB-USB",  8, 16, 2, 16, 8, 8, 1, 1, 10, 0,   10},
    {"HVU-1608USB",       8, 16, 2, 16, 4, 4, 0, 0, 20, 0,   50},
};
// clang-format on
constexpr Model kUnknown{"", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

const Model& findModel(const std::string& name) {
  const std::string key = name == "Demo Device" ? "Demo" : name;
  for (const Model& model : kModels) {
    if (key == model.name) return model;
  }
  return kUnknown;
}

}  // namespace halviksim
