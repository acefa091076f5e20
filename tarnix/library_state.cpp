#include "library_state.h"

namespace tarnix {

LibraryState& Library() {
  static LibraryState state;
  return state;
}

}  // namespace tarnix
