// The scans' view of the library's board-model tables.
#include <tarnix.h>

#include <cstring>

#include "model_catalog.h"
#include "tables/board_models.h"


namespace tarnix {

namespace {

template <std::size_t N>
std::string text(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

class TableCatalog final : public ModelCatalog {
 public:
  std::vector<ScanModel> models(int32_t kind) const override {
    std::vector<ScanModel> out;
    for (const BoardModelRow& row : SelectBoardModelTable(kind)) {
      if (std::strcmp(row.name, kEndName) == 0) break;
      out.push_back({text(row.name), static_cast<int32_t>(row.deviceId), row.hardwareKey[0] != '\0',
                     text(row.description)});
    }
    return out;
  }
  bool digitalVariant(const std::string& description, std::string& name) const override {
    for (const DigitalVariantRow& row : DigitalVariantTable()) {
      if (std::strcmp(row.variantName, kEndName) == 0) break;
      if (text(row.description) == description) {
        name = text(row.variantName);
        return true;
      }
    }
    return false;
  }

  bool comModel(int32_t deviceId, int32_t versionKey, std::string& name) const override {
    char model[xanconfig::kBoardNameBytes] = {};
    if (FindComModelByDeviceId(model, 0, deviceId, versionKey) != 0) return false;
    name = text(model);
    return true;
  }
  bool digitalModel(int32_t deviceId, int32_t version, std::string& name) const override {
    char model[xanconfig::kBoardNameBytes] = {};
    if (FindDigitalModelByDeviceId(model, 0, deviceId, version) != 0) return false;
    name = text(model);
    return true;
  }
  std::string hardwareKey(int32_t index, const std::string& model) const override {
    char key[xanconfig::kObjectNameBytes] = {};
    DnkConfigCreateHardwareKey(index, model.c_str(), key);
    return text(key);
  }
};

}  // namespace

const ModelCatalog& LibraryCatalog() {
  static const TableCatalog catalog;
  return catalog;
}

int32_t ScanInstalledBoards(int32_t kind, void* list) { return ScanBoards(kind, list, LibraryCatalog()); }

}  // namespace tarnix
