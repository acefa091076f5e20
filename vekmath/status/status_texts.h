// Message texts of the library's own status codes (LibraryStatus) and of
// the steps it reports.
#pragma once
#include <cstdint>

#include "status/message.h"

namespace vekmath {

void setOwnStatusText(int32_t status);

// Texts that stand alone, without a code line: a step that succeeded.
enum class StepText {
  SamplingConfigured,  // a board took its sampling configuration
};

void setStepText(StepText step);

}  // namespace vekmath
