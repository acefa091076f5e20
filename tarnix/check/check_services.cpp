#include "check_services.h"

#include "image/kind_images.h"
#include "list/board_list_view.h"
#include "list/conversion.h"
#include "registry/kind_registry.h"
#include "registry/registry_access.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

// A kind that cannot be read simply has no configured boards: the load's
// result is not needed, the conversion gives what the image holds.
void LoadConfiguredList(int32_t kind, void* list) {
  ListView(kind, list).clear();
  LoadKindImage(kind);
  ImageToList(kind, KindImage(kind), list);
}

// Serial boards count their channels in the serial table, COM-port models
// their ports in the COM-port table (its first value); no model is in both.
int32_t ChannelCount(const char* model) {
  if (const int32_t serial = FindSerialChannelCount(model); serial != 0) return serial;
  int32_t ports = 0;
  return FindComPortDefaults(model, &ports, nullptr, nullptr, nullptr, nullptr) == 0 ? ports : 0;
}

constexpr CheckServices kLibraryServices = {
    IsModelOfKind,          FindModelBusType,   FindModelDriverNumber, ChannelCount,
    IsSingleInterruptModel, ClassifySerialPort, MapDigitalVariantName, GetBoardInfoItem,
    GetOsGeneration,        GetMachineType,     GetDriverVersion,      IsObjectNameFree,
    LoadConfiguredList,
};

}  // namespace

const CheckServices& DefaultCheckServices() { return kLibraryServices; }

CheckServices& Services() {
  static CheckServices services = kLibraryServices;
  return services;
}

}  // namespace tarnix
