// The REGEDIT4 import: the whole file is read and checked first, so a file
// that is refused changes nothing, and the wipe and the file's values are
// then kept together or not at all: a process that ends midway leaves the
// configuration as it was.
//
// The wipe removes the kinds' driver services with their keys, and the file
// brings back only keys: the services return with the next save of each
// kind's list, and the object-name index is rebuilt then too.
#include <platform/registry_transaction.h>

#include <optional>
#include <string>

#include "regfile/config_file.h"
#include "regfile/file_bytes.h"
#include "regfile/import_parser.h"
#include "registry/kind_registry.h"
#include "registry/registry_access.h"

namespace tarnix {

namespace {

constexpr int32_t kFirstKind = 1;
constexpr int32_t kLastKind = 7;

}  // namespace

int32_t ImportConfigFile(const char* path) {
  if (path == nullptr || *path == '\0') return 1;
  const std::optional<std::string> file = ReadWholeFile(path);
  if (!file) return 4;
  const ParsedConfigFile parsed = ParseConfigFile(*file);
  if (!parsed.accepted) return 4;
  // The drivers stop before the store is held, so that nothing they do
  // as they stop waits for it. An import not kept leaves the old services,
  // and their drivers start again.
  StoppedDrivers stopped;
  for (int32_t kind = kFirstKind; kind <= kLastKind; ++kind) StopKindServices(kind, stopped);
  plat::RegistryTransaction change;
  if (change.status() != ERROR_SUCCESS) return 5;
  for (int32_t kind = kFirstKind; kind <= kLastKind; ++kind) WipeKindRegistry(kind);
  bool failed = parsed.skipped;
  for (const ConfigValueWrite& write : parsed.writes) {
    const char* text = write.type == 1 ? write.text.c_str() : nullptr;
    if (WriteRegValue(write.key.c_str(), write.type, write.name.c_str(), text, write.value) != 0) failed = true;
  }
  if (change.commit() != ERROR_SUCCESS) return 5;
  stopped.kept();
  return failed ? 5 : 0;
}

}  // namespace tarnix
