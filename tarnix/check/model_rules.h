// The few models and board-information items the checker and the
// normaliser treat by name.
#pragma once
#include <cstdint>
#include <cstring>

#include <tarnix_records.h>

namespace tarnix {

// The serial unit whose ports share one I/O base and one interrupt.
inline constexpr const char* kOneUnitSerialModel = "LTU-5J(PC)";
// The PCI digital board whose BoardID is a two-bit switch.
inline constexpr const char* kTwoBitIdDigitalModel = "QAT-48/48V(PCI)";
inline constexpr int32_t kTwoBitIdLimit = 3;
inline constexpr int32_t kPciBoardIdLimit = 15;

inline constexpr int32_t kSerialControllerItem = 0x10001;  // the UART controller text
inline constexpr int32_t kStepperAxisCountItem = 0x60001;

inline bool IsOneUnitSerialModel(const char* model) {
  return std::strncmp(model, kOneUnitSerialModel, kBoardNameBytes) == 0;
}

}  // namespace tarnix
