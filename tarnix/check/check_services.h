// What the checker and the list-editing exports ask of the rest of the
// library: the model tables, the computer it runs on, the object-name index
// and the configured boards of a kind. One table of entry points, bound to
// the library's own functions; a test points entries at its own doubles
// and restores the table afterwards.
#pragma once
#include <cstdint>

namespace tarnix {

struct CheckServices {
  // 0 when the name is a model of the kind.
  int32_t (*isModelOfKind)(int32_t kind, const char* model);
  int32_t (*busType)(const char* model);       // BusTypeCode, -1 not found
  int32_t (*driverNumber)(const char* model);  // -1 not found
  int32_t (*serialChannelCount)(const char* model);
  int32_t (*singleInterrupt)(const char* model);
  int32_t (*classifySerialPort)(const char* model, int32_t ioAddress);
  void (*mapDigitalVariant)(int32_t key, char* name, int32_t direction);
  int32_t (*boardInfoItem)(const char* model, int32_t code, void* p1, void* p2, void* p3);
  uint32_t (*osGeneration)();
  int32_t (*machineType)();
  uint32_t (*driverVersion)(int32_t kind);
  int32_t (*isObjectNameFree)(const char* name);  // 1 free
  // Fills the kind's list (count + 64 records, zeroed first) with the boards
  // configured in the registry.
  void (*loadConfiguredList)(int32_t kind, void* list);
};

// The library's own bindings.
const CheckServices& DefaultCheckServices();
// The bindings in use; a test may change them.
CheckServices& Services();

}  // namespace tarnix
