// The scans' view of the library's board-model tables.
#include <tarnix.h>

#include "model_catalog.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

class TableCatalog final : public ModelCatalog {
 public:
  // The tables give no walk over a kind's rows yet (name, device
  // identifier, hardware key, description): until they do, the scans find
  // only module-series units.
  std::vector<ScanModel> models(int32_t) const override { return {}; }
  bool digitalVariant(const std::string&, std::string&) const override { return false; }

  bool comModel(int32_t deviceId, int32_t versionKey, std::string& name) const override {
    char model[xanconfig::kBoardNameBytes] = {};
    if (FindComModelByDeviceId(model, 0, deviceId, versionKey) != 0) return false;
    name = model;
    return true;
  }
  bool digitalModel(int32_t deviceId, int32_t version, std::string& name) const override {
    char model[xanconfig::kBoardNameBytes] = {};
    if (FindDigitalModelByDeviceId(model, 0, deviceId, version) != 0) return false;
    name = model;
    return true;
  }
  std::string hardwareKey(int32_t index, const std::string& model) const override {
    char key[xanconfig::kObjectNameBytes] = {};
    DnkConfigCreateHardwareKey(index, model.c_str(), key);
    key[sizeof key - 1] = '\0';
    return key;
  }
};

}  // namespace

const ModelCatalog& LibraryCatalog() {
  static const TableCatalog catalog;
  return catalog;
}

int32_t ScanInstalledBoards(int32_t kind, void* list) { return ScanBoards(kind, list, LibraryCatalog()); }

}  // namespace tarnix
