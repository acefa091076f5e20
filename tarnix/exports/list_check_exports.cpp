// The conflict check of a whole list and of one record, and the extended
// error words it leaves.
#include <cstring>

#include <tarnix.h>

#include "check/checker.h"
#include "library_state.h"
#include "list_export_support.h"

using namespace tarnix;

LONG WINAPI DnkConfigCheckListData(int32_t kind, void* list) {  // 6
  return CheckListRecords(kind, list);
}

LONG WINAPI DnkConfigCheckBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board,
                                    void* record, int32_t mode) {  // 8
  if (!IsBoardListKind(kind) || list == nullptr || record == nullptr) return 0;
  if (IsBadList(list)) return kDnkBadArgument;
  RecordBuffer copy;
  std::memcpy(copy.bytes, record, RecordBytes(kind));
  copy.head().driverNumber = driver;
  copy.head().groupNumber = group;
  copy.head().boardNumber = board;
  return CheckBoardRecord(kind, list, copy.bytes, mode);
}

void WINAPI DnkConfigGetExtError(int32_t* word1, int32_t* word2) {  // 23
  if (word1 != nullptr) *word1 = Library().extendedError[0];
  if (word2 != nullptr) *word2 = Library().extendedError[1];
}
