#include "backends/ni/ni_binding.h"

namespace vekmath {

NiDaqmxBinding& niDaqmx() {
  static NiDaqmxBinding instance;
  return instance;
}

}  // namespace vekmath
