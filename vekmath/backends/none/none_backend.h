// The back end of the codes without a device, and of the groups whose
// family has no back end yet.
#pragma once

namespace vekmath {
class BackEnd;
BackEnd& noBackEnd();
}  // namespace vekmath
