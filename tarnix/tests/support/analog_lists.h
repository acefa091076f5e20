// Board lists of kind 2 for tests that save and load whole configurations.
#pragma once
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <tarnix.h>
#include <tarnix_records.h>

namespace tarnixtest {

using AnalogList = tarnix::BoardList<tarnix::AnalogBoardRecord>;

// Groups of four boards from `ioBase` on, each group's object name
// `names` and its group number.
inline std::unique_ptr<AnalogList> boardList(int32_t ioBase, const char* names, int32_t boards) {
  auto list = std::make_unique<AnalogList>();
  for (int32_t i = 0; i < boards; ++i) {
    tarnix::AnalogBoardRecord& r = list->records[i];
    r.head.driverNumber = 1;
    r.head.groupNumber = i / 4 + 1;
    r.head.boardNumber = i % 4 + 1;
    std::strcpy(r.head.boardName, "QAD-12");
    r.ioAddress = ioBase + 8 * i;
    r.irqNo = r.dma = r.memoryAddress = r.boardId = r.slotNo = -1;
    std::snprintf(r.objectName, sizeof r.objectName, "%s%02d", names, i / 4 + 1);
  }
  list->count = static_cast<uint32_t>(boards);
  return list;
}

// The kind-2 list as loaded, byte for byte.
inline std::string loadedList() {
  auto list = std::make_unique<AnalogList>();
  DnkConfigLoadListData(2, list.get(), 0);
  return std::string(reinterpret_cast<const char*>(list.get()), sizeof(AnalogList));
}

}  // namespace tarnixtest
