// The resource-conflict checker: one byte, (check << 3) | severity, for a
// record against itself, the caller's list and every configured board of
// the other kinds; the two extended error words stay in the library state.
#pragma once
#include <cstdint>

namespace tarnix {

// `CheckMode`
enum CheckMode : int32_t { kCheckAdd = 1, kCheckModify = 2, kCheckInsert = 3 };

// 0 passes, and also for a null list or record, a kind without board
// records or a mode outside 1 to 3 (nothing is tested); 1 for a list whose
// count exceeds 64 (nothing is read); else the result byte. The caller's
// list and record are only read.
int32_t CheckBoardRecord(int32_t kind, const void* list, const void* record, int32_t mode);
// Kinds 1 to 7 and 10: the first non-zero CheckBoardRecord of the records
// in mode 2; kind 9: the device-name check; any other kind, a null list or
// a count above 64: 1.
int32_t CheckListRecords(int32_t kind, const void* list);
// Mode 1 check, 2 store: resources the record does not use become -1.
void NormalizeBoardRecord(int32_t kind, void* record, int32_t mode);

}  // namespace tarnix
