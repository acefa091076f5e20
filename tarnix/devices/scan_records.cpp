#include "scan_records.h"

#include <cstring>

namespace tarnix {

namespace {

template <std::size_t N>
void copyText(char (&field)[N], const std::string& text) {
  const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// Every record type names its resource fields its own way.
template <typename Record>
void fill(Record& r, const FoundBoard& b) {
  copyText(r.head.boardName, b.model);
  if constexpr (requires { r.ioAddresses; }) {
    std::memcpy(r.ioAddresses, b.io.data(), sizeof r.ioAddresses);
  } else {
    r.ioAddress = b.io[0];
  }
  if constexpr (requires { r.irqNos; }) {
    std::memcpy(r.irqNos, b.irq.data(), sizeof r.irqNos);
  } else if constexpr (requires { r.irqNo1; }) {
    r.irqNo1 = b.irq[0];
    r.irqNo2 = b.irq[1];
  } else {
    r.irqNo = b.irq[0];
  }
  r.memoryAddress = b.memory;
  r.boardId = b.boardId;
  copyText(r.hardwareKey, b.hardwareKey);
}

}  // namespace

std::array<int32_t, 8> FirstEntries(const std::vector<int32_t>& list, std::size_t n) {
  std::array<int32_t, 8> out;
  out.fill(-1);
  for (std::size_t i = 0; i < n && i < list.size() && i < out.size(); ++i) out[i] = list[i];
  return out;
}

bool AppendFound(int32_t kind, const ListView& list, const FoundBoard& board) {
  if (list.count() >= kListRecords) return false;
  const std::size_t i = list.count()++;
  switch (kind) {
    case 1:
      fill(list.as<SerialBoardRecord>(i), board);
      break;
    case 2:
      fill(list.as<AnalogBoardRecord>(i), board);
      break;
    case 3:
      fill(list.as<DigitalBoardRecord>(i), board);
      break;
    case 4:
      fill(list.as<GpibBoardRecord>(i), board);
      break;
    case 5:
    case 10:
      fill(list.as<CounterBoardRecord>(i), board);
      break;
    case 6:
      fill(list.as<StepperBoardRecord>(i), board);
      break;
    case 7:
      fill(list.as<ComPortBoardRecord>(i), board);
      break;
    default:
      --list.count();
      return false;
  }
  return true;
}

}  // namespace tarnix
