// The vendor's two PC-9800 GPIB PC cards, known by their device
// descriptions, whose I/O range the 9x driver does not report.
#pragma once
#include <cstdint>
#include <string>

namespace tarnix {

inline constexpr int32_t kPc98GpibCardAddress = 193;

inline bool IsPc98GpibCard(const std::string& description) {
  return description == "Dornell-GPC-98PC" || description == "Dornell-GPC-98PCF";
}

}  // namespace tarnix
