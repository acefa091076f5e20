// Which back end serves each board type group.
#include "backend.h"
#include "backend_simulated.h"

namespace vekmath {

BackEnd& backEndFor(BoardGroup group) {
  switch (group) {
    case BoardGroup::Simulated:
      return simulatedBackEnd();
    // These device families have no library in this build yet; until theirs
    // lands they are served like the codes without a device: nothing is
    // opened and the thread fetches nothing.
    case BoardGroup::OlderVendorA:
    case BoardGroup::VendorB:
    case BoardGroup::Wdm:
    case BoardGroup::NiDaqmx:
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
