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

Hooks& hooks() {
  static Hooks instance;
  return instance;
}

NiDaqmxBinding& niDaqmx() {
  static NiDaqmxBinding instance;
  return instance;
}

}  // namespace vekmath
