// What the scans for installed boards need of the board-model tables, as
// one seam: the library's tables answer it, tests may hand their own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

struct ScanModel {
  std::string name;
  int32_t deviceId = 0;  // 0 for a model that is not PCI
  bool hasHardwareKey = false;
  std::string description;  // matched against a root device's DeviceDesc
};

class ModelCatalog {
 public:
  virtual ~ModelCatalog() = default;
  // The rows of the kind's current model table, in table order.
  virtual std::vector<ScanModel> models(int32_t kind) const = 0;
  // The variant name of the digital variant with this description.
  virtual bool digitalVariant(const std::string& description, std::string& name) const = 0;
  // Searches by PCI device identifier and version.
  virtual bool comModel(int32_t deviceId, int32_t versionKey, std::string& name) const = 0;
  virtual bool digitalModel(int32_t deviceId, int32_t version, std::string& name) const = 0;
  // The instance key of card `index` (0 to 3) of a PC-card model; empty
  // for none.
  virtual std::string hardwareKey(int32_t index, const std::string& model) const = 0;
};

// The library's own tables.
const ModelCatalog& LibraryCatalog();

// ScanInstalledBoards over a catalog.
int32_t ScanBoards(int32_t kind, void* list, const ModelCatalog& catalog);

}  // namespace tarnix
