// The one table of back ends: which back end serves each board group, in
// the order the device lists name their devices. A new family adds its row
// here and its board codes to the board table.
#include <iterator>

#include "acquisition/backend.h"
#include "backends/ni/ni_backend.h"
#include "backends/none/none_backend.h"
#include "backends/older_vendor_a/older_backend.h"
#include "backends/serial/serial_backend.h"
#include "backends/simulated/simulated_backend.h"
#include "backends/vendor_b/vendor_b_backend.h"
#include "backends/wdm/wdm_backend.h"

namespace vekmath {
namespace {

struct Registration {
  BoardGroup group;
  BackEnd& (*backEnd)();
};

// A code of no group is served like the codes without a device (nothing
// is opened and the thread fetches nothing).
constexpr Registration kRegistry[] = {
    {BoardGroup::Simulated, simulatedBackEnd},
    {BoardGroup::OlderVendorA, olderVendorABackEnd},
    {BoardGroup::Wdm, wdmBackEnd},
    {BoardGroup::VendorB, vendorBBackEnd},
    {BoardGroup::NiDaqmx, niDaqmxBackEnd},
    {BoardGroup::SerialA, serialUnitABackEnd},
    {BoardGroup::SerialB, serialUnitBBackEnd},
};

}  // namespace

BackEnd& backEndFor(BoardGroup group) {
  for (const Registration& r : kRegistry) {
    if (r.group == group) return r.backEnd();
  }
  return noBackEnd();
}

int32_t registeredBackEnds() { return static_cast<int32_t>(std::size(kRegistry)); }

BackEnd& registeredBackEnd(int32_t index) { return kRegistry[index].backEnd(); }

}  // namespace vekmath
