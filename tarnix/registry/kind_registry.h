// A device kind's configuration between the registry and its image
// (kind_images.h), and the configuration driver's own service.
#pragma once
#include <cstdint>

namespace tarnix {

// Kinds 1 to 7 and 10. Load: 0, 8 (a model not in the table), 9 (a digital
// model renamed), 1 for a kind without image or driver table.
int32_t LoadKindImage(int32_t kind);
// 0, 5 when a registry write failed, 1 for a kind without image or table.
int32_t StoreKindImage(int32_t kind);
// Deletes the kind's board, group and service keys and driver services.
void WipeKindRegistry(int32_t kind);

int32_t CreateConfigServiceKey();
int32_t RemoveConfigService();

}  // namespace tarnix
