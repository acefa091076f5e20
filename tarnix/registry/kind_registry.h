// A device kind's configuration between the registry and its image
// (kind_images.h), and the configuration driver's own service.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "driver_services.h"

namespace tarnix {

// Kinds 1 to 7 and 10. Load: 0, 8 (a model not in the table), 9 (a digital
// model renamed), 1 for a kind without image or driver table.
int32_t LoadKindImage(int32_t kind);
// Driver services a store has created, to be started once its keys are
// kept for good.
using PendingDriverStarts = std::vector<std::unique_ptr<CreatedDriverService>>;

// 0, 5 when a registry write failed, 1 for a kind without image or table.
// The services it creates start after their keys are written, or, with
// pending given, are left there for StartDriverServices.
int32_t StoreKindImage(int32_t kind, PendingDriverStarts* pending = nullptr);
void StartDriverServices(PendingDriverStarts& pending);
// Deletes the kind's board, group and service keys and driver services.
// Its drivers are stopped before, by StopKindServices outside the store
// transaction, so that no wait for them holds the store.
void WipeKindRegistry(int32_t kind);
// Stops the drivers of the kind's services and leaves the keys.
void StopKindServices(int32_t kind, StoppedDrivers& stopped);

// Both leave stopping the configuration driver to StopConfigService, before
// the store transaction. The service created starts after its values are
// written, or, with pending given, is left there for StartDriverServices.
int32_t CreateConfigServiceKey(PendingDriverStarts* pending = nullptr);
int32_t RemoveConfigService();
// Stops the configuration driver and leaves its key.
void StopConfigService(StoppedDrivers& stopped);

}  // namespace tarnix
