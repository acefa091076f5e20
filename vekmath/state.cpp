#include "state.h"

namespace vekmath {

SelectionState& selection() {
  static SelectionState state;
  return state;
}

SamplingConfig& config() {
  static SamplingConfig state;
  return state;
}

}  // namespace vekmath
