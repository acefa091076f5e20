// What the board-list exports share: the argument tests every one of them
// makes and a buffer that holds a record of any kind.
#pragma once
#include <cstdint>

#include <tarnix_records.h>

#include "check/record_fields.h"
#include "list/board_list_view.h"

namespace tarnix {

// A null list, or one whose count claims more than its 64 records.
inline bool IsBadList(const void* list) {
  return list == nullptr || *static_cast<const uint32_t*>(list) > kListRecords;
}

struct RecordBuffer {
  alignas(int32_t) unsigned char bytes[kLargestRecordBytes];
  RecordHead& head() { return *reinterpret_cast<RecordHead*>(bytes); }
  const RecordHead& head() const { return *reinterpret_cast<const RecordHead*>(bytes); }
};

}  // namespace tarnix
