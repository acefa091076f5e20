// Loading a kind's board list from the registry and saving it back.
#include <windows.h>

#include <cstring>
#include <vector>

#include <platform/registry_transaction.h>
#include <tarnix.h>

#include "check/checker.h"
#include "devices/config_device.h"
#include "image/kind_images.h"
#include "library_state.h"
#include "list/board_list_view.h"
#include "list/conversion.h"
#include "list/list_validation.h"
#include "registry/kind_registry.h"

using namespace tarnix;

LONG WINAPI DnkConfigLoadListData(int32_t kind, void* list, int32_t) {
  if (list == nullptr) return kDnkBadArgument;
  if (kind == 9) return LoadWdmAnalogList(list);
  if (!IsBoardListKind(kind)) return kDnkBadArgument;
  const int32_t loaded = LoadKindImage(kind);
  ImageToList(kind, KindImage(kind), list);
  return loaded;
}

LONG WINAPI DnkConfigSaveListData(int32_t kind, void* list) {
  if (list == nullptr) return kDnkBadArgument;
  if (kind == 9) return SaveWdmAnalogList(list);
  if (!IsBoardListKind(kind)) return kDnkBadArgument;
  // Everything that could refuse the list comes before the wipe, so that a
  // refused list leaves the registry and the services as they were.
  if (int32_t numbering = ValidateListForStore(kind, list); numbering != kDnkOk) return numbering;
  if (CheckListRecords(kind, list) != 0) return kDnkNotAvailable;

  ListView callers(kind, list);
  std::vector<unsigned char> copy(callers.bytes());
  std::memcpy(copy.data(), list, copy.size());
  ListView stored(kind, copy.data());
  for (uint32_t i = 0; i < stored.count(); ++i) NormalizeBoardRecord(kind, stored.record(i), 2);
  ListToImage(kind, KindImage(kind), copy.data());

  // The stopped drivers need time to let go of their boards before the
  // new ones start. The keys change only after that, and in one step: a
  // process that ends at any moment leaves the old list or the new one.
  StoppedDrivers stopped;
  StopKindServices(kind, stopped);
  if (Library().settleBegins != nullptr) Library().settleBegins();
  Sleep(Library().serviceSettleMs);
  // A list not written whole is not kept: the old one stays, and its
  // drivers start again.
  PendingDriverStarts pending;
  {
    plat::RegistryTransaction change;
    if (change.status() != ERROR_SUCCESS) return kDnkWriteFailed;
    WipeKindRegistry(kind);
    if (StoreKindImage(kind, &pending) != kDnkOk || change.commit() != ERROR_SUCCESS) return kDnkWriteFailed;
  }
  stopped.kept();
  StartDriverServices(pending);
  return kDnkOk;
}
