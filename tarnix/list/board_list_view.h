// A kind's board list seen through its head fields, whatever the record
// type: what the editing, checking and conversion code share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <tarnix_records.h>

namespace tarnix {

// The list record size of a list kind (1 to 7, 9, 10), 0 for any other.
constexpr std::size_t RecordBytes(int32_t kind) {
  const xanconfig::KindInfo* k = xanconfig::kindInfo(kind);
  return k != nullptr ? k->listRecordBytes : 0;
}

// Kinds whose lists carry board records with the common head.
constexpr bool IsBoardListKind(int32_t kind) { return (kind >= 1 && kind <= 7) || kind == 10; }
// Kinds 2 and 3 number their boards in groups.
constexpr bool HasGroups(int32_t kind) { return kind == 2 || kind == 3; }

class ListView {
 public:
  ListView(int32_t kind, void* list)
      : count_(static_cast<uint32_t*>(list)),
        records_(static_cast<unsigned char*>(list) + sizeof(uint32_t)),
        recordBytes_(RecordBytes(kind)) {}

  uint32_t& count() const { return *count_; }
  std::size_t recordBytes() const { return recordBytes_; }
  unsigned char* record(std::size_t i) const { return records_ + i * recordBytes_; }
  RecordHead& head(std::size_t i) const { return *reinterpret_cast<RecordHead*>(record(i)); }
  template <typename Record>
  Record& as(std::size_t i) const {
    return *reinterpret_cast<Record*>(record(i));
  }
  // Count and all 64 records.
  std::size_t bytes() const { return sizeof(uint32_t) + kListRecords * recordBytes_; }
  void clear() const { std::memset(count_, 0, bytes()); }

 private:
  uint32_t* count_;
  unsigned char* records_;
  std::size_t recordBytes_;
};

}  // namespace tarnix
