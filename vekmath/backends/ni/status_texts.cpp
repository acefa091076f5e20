#include "backends/ni/status_texts.h"

#include "status/message.h"

namespace vekmath {

void setNiStatusText(int32_t code, const char* detail) {
  StatusMessage(kCodeLabel, static_cast<uint32_t>(code)).add(kDetailLabel).addCp932(detail).publish();
}

}  // namespace vekmath
