// The board models the simulated driver knows, and what it reports of each.
#pragma once
#include <cstdint>
#include <string>

namespace halviksim {

struct Model {
  const char* name;
  int16_t aiChannels, aiBits;
  int16_t aoChannels, aoBits;
  int16_t diBits, doBits;
  int16_t counters, timers;
  int32_t aiMinClockWhole, aiMinClockThousandths;  // the fastest input clock
  int32_t aoMinClock;                              // the fastest output clock
};

// The model of that name ("Demo Device" serves as "Demo"); a model the
// driver does not know has no functions.
const Model& findModel(const std::string& name);

}  // namespace halviksim
