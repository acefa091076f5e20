// The frame services a close calls, recorded in order; the driver module
// has the real ones.
#include "frame_services_fake.h"

namespace morvel00 {

std::vector<std::string>& FrameCalls() {
  static std::vector<std::string> calls;
  return calls;
}

void Sub_CancelTimer(XanBoardRecord*) { FrameCalls().push_back("cancel timer"); }
void Sub_SetEvent(XanBoardRecord*) { FrameCalls().push_back("input wait"); }
void Sub_SetEventCnt(XanBoardRecord*) { FrameCalls().push_back("counter wait"); }

}  // namespace morvel00
