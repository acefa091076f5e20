// Which registry values each device kind keeps, at every level of its keys:
// one table of field descriptors shared by all kinds, walked by the load
// (registry -> image) and the store (image -> registry).
#pragma once
#include <cstdint>
#include <span>

#include "registry_key.h"

namespace tarnix {

enum class FieldType : uint8_t { Dword, Text };

// What a load leaves in a field whose value is missing or unreadable.
enum class LoadRule : uint8_t {
  Zero,              // 0, or the empty text
  Fixed,             // loadArg
  ModelWhenMissing,  // the model's board information item loadArg, else 0
  ModelFirst,        // the model's item loadArg when it has one, else the registry's value
};

// What a store writes.
enum class StoreRule : uint8_t {
  Member,         // the image's field
  Fixed,          // storeArg
  ModelInfo,      // the model's board information item storeArg, 0 when it has none
  InterfaceType,  // the bus the model sits on: 5 PCI, 8 PC card, 1 any other
};

constexpr uint32_t KindBit(int32_t kind) { return 1u << kind; }

struct FieldRule {
  const char* name;  // with first/count: the stem of "<name>1" and on
  FieldType type;
  uint32_t offset;  // into the level's record
  uint32_t width;   // a text's bytes, its NUL included
  uint32_t loadKinds;
  uint32_t storeKinds;
  LoadRule load = LoadRule::Zero;
  int32_t loadArg = 0;
  StoreRule store = StoreRule::Member;
  int32_t storeArg = 0;
  int32_t capacity = 0;  // a count: taken through clampCount on load and store
  uint8_t first = 0;     // a numbered run of fields: names <name><first> on,
  uint8_t count = 0;     // count of them, each the next field of the record
};

// The service key (records: xanconfig::DriverBlock), a group key
// (GroupSlot), a board key (BoardSlot), an axis key of a stepper board (one
// axis object name of the board's BoardSlot::objectNames).
std::span<const FieldRule> ServiceFields();
std::span<const FieldRule> GroupFields();
std::span<const FieldRule> BoardFields();
std::span<const FieldRule> AxisFields();

// Reads the kind's fields of record from key (a closed key reads as all
// missing). model names the board's model for the model rules; it may
// point into record, as the board name, which the first row reads.
void LoadFields(std::span<const FieldRule> rules, int32_t kind, const RegKey& key, void* record,
                const char* model);
// Writes the kind's fields of record into key; busType is the model's bus
// type. Answers the number of writes that failed.
int32_t StoreFields(std::span<const FieldRule> rules, int32_t kind, const RegKey& key, const void* record,
                    const char* model, int32_t busType);

}  // namespace tarnix
