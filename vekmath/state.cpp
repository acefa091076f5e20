#include "state.h"

namespace vekmath {

SelectionState& selection() {
  static SelectionState state;
  return state;
}

}  // namespace vekmath
