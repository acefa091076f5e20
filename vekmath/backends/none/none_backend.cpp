// The back end of the codes that are accepted without a device: the
// interface's defaults, nothing more.
#include "backends/none/none_backend.h"

#include "acquisition/backend.h"

namespace vekmath {
namespace {

class NoBackEnd final : public BackEnd {};

}  // namespace

BackEnd& noBackEnd() {
  // Leaked rather than destroyed, like every back end, so that the detach
  // at process exit can still stop and close it.
  static NoBackEnd* instance = new NoBackEnd;
  return *instance;
}

}  // namespace vekmath
