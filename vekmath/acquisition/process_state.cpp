// The process-wide instances of the selection, the configuration and the
// library's hooks.
#include "acquisition/library_lifecycle.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"

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

}  // namespace vekmath
