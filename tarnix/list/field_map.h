// Which list-record bytes are which configuration-image bytes, per kind:
// the one table both conversions walk.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnix {

// `bytes` at `record` in the list record are `bytes` at `slot` in the
// image's BoardSlot (a group field: in its GroupSlot). Numbers are copied as
// they are; a text field (`count` of them side by side, `bytes` each) up to
// its NUL, and it always ends with one: a text that fills its field loses
// its last character.
struct FieldLink {
  uint16_t record;
  uint16_t slot;
  uint16_t bytes;
  uint16_t count;
  bool text;
};

struct KindFieldMap {
  std::span<const FieldLink> board;  // BoardName first
  // Kinds 2 and 3: the group's interrupts, carried by its first record only,
  // and its object name, carried by every record.
  const FieldLink* groupInterrupts;
  const FieldLink* groupName;
};

// The map of a board-list kind (1 to 7, 10); nullptr for any other.
const KindFieldMap* FieldMapOf(int32_t kind);

// Copies one field between a record and a slot, in the direction given.
void CopyToSlot(const FieldLink& link, const unsigned char* record, unsigned char* slot);
void CopyToRecord(const FieldLink& link, const unsigned char* slot, unsigned char* record);

}  // namespace tarnix
