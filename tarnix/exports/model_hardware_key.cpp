// The Plug and Play key of a PC card in one of the four card slots, in the
// form of the running Windows generation.
#include <tarnix.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "system/system_info.h"
#include "tables/board_models.h"

namespace {

constexpr std::size_t kKeyBytes = 50;
constexpr int32_t kLastSlot = 3;

void put(char* key, const std::string& text) { std::snprintf(key, kKeyBytes, "%s", text.c_str()); }

// Windows 9x: the card's key and the slot.
std::string win9xKey(int32_t index, const char* model) {
  char hardwareKey[kKeyBytes];
  tarnix::FindModelHardwareKey(model, hardwareKey);
  if (hardwareKey[0] == '\0') return {};
  return std::string(hardwareKey) + "\\" + std::to_string(index);
}

// NT 4: the model name up to its first ")" and the slot from 1 on; the two
// paired serial cards share one name in the first slot only.
std::string nt4Key(int32_t index, const char* model) {
  for (int pair = 0; pair < 2; ++pair) {
    if (std::strcmp(model, tarnix::kPcCardSerialModels[pair]) == 0) {
      return index == 0 ? tarnix::kPcCardSerialPairName : "";
    }
  }
  if (tarnix::FindModelBusType(model) != tarnix::kBusPcCard) return {};
  std::string name(model);
  const std::size_t close = name.find(')');
  if (close != std::string::npos) name.resize(close + 1);
  return index == 0 ? name : name + std::to_string(index);
}

// Later NT: the card's key less its enumerator ("PCMCIA\"), then the slot
// counted from 1.
std::string ntKey(int32_t index, const char* model) {
  if (tarnix::FindModelBusType(model) != tarnix::kBusPcCard) return {};
  char hardwareKey[kKeyBytes];
  tarnix::FindModelHardwareKey(model, hardwareKey);
  constexpr std::size_t kEnumerator = 7;
  if (std::strlen(hardwareKey) <= kEnumerator) return {};
  return std::string(hardwareKey + kEnumerator) + "\\" + std::to_string(index + 1);
}

}  // namespace

void WINAPI DnkConfigCreateHardwareKey(int32_t index, const char* modelName, char* key) {  // 33
  if (key == nullptr) return;
  key[0] = '\0';
  // A negative slot is as unknown as one above the last.
  if (index < 0 || index > kLastSlot || modelName == nullptr || modelName[0] == '\0') return;
  const uint32_t generation = tarnix::GetOsGeneration();
  if (tarnix::IsWin9x(generation)) {
    put(key, win9xKey(index, modelName));
  } else if (generation < tarnix::kOsNt5) {
    put(key, nt4Key(index, modelName));
  } else {
    put(key, ntKey(index, modelName));
  }
}
