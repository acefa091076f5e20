// Where each kind's list record keeps the fields that the checker and the
// normaliser read: one table over the records of tarnix_records.h, so that
// every test is written once for all kinds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <tarnix_records.h>

namespace tarnix {

// `count` consecutive 32-bit fields, or texts of 50 bytes, from `offset`.
struct FieldRun {
  uint16_t offset;
  uint8_t count;
};

// Which bus types keep a BoardID; every other bus type has it set to -1.
enum BusMask : uint8_t { kKeepOnPci = 1, kKeepOnModule = 2, kKeepOnUsb = 4 };

struct KindFields {
  int32_t kind;
  uint16_t recordBytes;
  int32_t boardLimit;   // highest board number of a driver (kinds 2, 3: of a group)
  FieldRun io;          // I/O addresses
  FieldRun irq;         // interrupt lines
  uint16_t dma;         // 0: the kind has none
  uint16_t memoryAddress;
  uint16_t boardId;
  uint16_t slotNo;
  uint16_t hardwareKey;
  uint16_t channelFirst;  // 0: the kind has no channel range
  uint16_t channelLast;
  FieldRun names;         // every object name of the record
  uint8_t listNames;      // how many of them the in-list name test compares
  bool zeroLineIsFree;    // in-list: a line of 0 never clashes
  uint8_t boardIdBuses;   // BusMask
};

// The row of a kind 1 to 7 or 10, nullptr for any other.
const KindFields* FieldsOf(int32_t kind);

// The largest list record, for buffers that hold a record of any kind.
inline constexpr std::size_t kLargestRecordBytes = sizeof(SerialBoardRecord);

inline int32_t GetInt(const unsigned char* record, std::size_t offset) {
  int32_t v;
  std::memcpy(&v, record + offset, sizeof v);
  return v;
}
inline void SetInt(unsigned char* record, std::size_t offset, int32_t v) {
  std::memcpy(record + offset, &v, sizeof v);
}
inline int32_t GetRun(const unsigned char* record, FieldRun run, int i) {
  return GetInt(record, run.offset + static_cast<std::size_t>(i) * sizeof(int32_t));
}
inline void SetRun(unsigned char* record, FieldRun run, int i, int32_t v) {
  SetInt(record, run.offset + static_cast<std::size_t>(i) * sizeof(int32_t), v);
}
// Texts of a run are 50 bytes apart.
inline const char* GetName(const unsigned char* record, FieldRun run, int i) {
  return reinterpret_cast<const char*>(record + run.offset + static_cast<std::size_t>(i) * kObjectNameBytes);
}
inline const char* GetText(const unsigned char* record, std::size_t offset) {
  return reinterpret_cast<const char*>(record + offset);
}
// Equal texts within a field of `width` bytes.
inline bool SameText(const char* a, const char* b, std::size_t width) { return std::strncmp(a, b, width) == 0; }

inline const RecordHead& HeadOf(const unsigned char* record) {
  return *reinterpret_cast<const RecordHead*>(record);
}

}  // namespace tarnix
