// Which back end serves each board type group.
#include "backends/backend.h"
#include "backends/ni/ni_backend.h"
#include "backends/simulated/simulated_backend.h"
#include "backends/vendor_b/vendor_b_backend.h"

namespace vekmath {

BackEnd& backEndFor(BoardGroup group) {
  switch (group) {
    case BoardGroup::Simulated:
      return simulatedBackEnd();
    case BoardGroup::VendorB:
      return vendorBBackEnd();
    case BoardGroup::NiDaqmx:
      return niDaqmxBackEnd();
    // These device families have no library in this build yet; until theirs
    // lands they are served like the codes without a device: nothing is
    // opened and the thread fetches nothing.
    case BoardGroup::OlderVendorA:
    case BoardGroup::Wdm:
    case BoardGroup::SerialA:
    case BoardGroup::SerialB:
    // A code of no group does nothing in any switch.
    case BoardGroup::None:
    case BoardGroup::NoBackEnd:
      break;
  }
  return noBackEnd();
}

}  // namespace vekmath
