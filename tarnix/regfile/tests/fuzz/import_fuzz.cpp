// Fuzz target for the configuration-file import: the input is the file.
// The registry behind the import is a recorder, so every run checks what
// the import asked of it: a refused file (4) asks nothing, an accepted one
// wipes the kinds 1 to 7 before its first write, every write lies in an
// exported service key within the registry's limits, and a failed write
// shows in the result.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/config_file.h"
#include "regfile/import_parser.h"
#include "registry/kind_registry.h"
#include "registry/registry_access.h"

namespace {

struct Recorder {
  std::vector<int32_t> wipes;
  int writes = 0;
  bool writeFailed = false;
} g_seen;

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "import_fuzz: %s\n", what);
    std::abort();
  }
}

}  // namespace

namespace tarnix {

// No driver runs here, so none is stopped or started again.
void StopKindServices(int32_t, StoppedDrivers&) {}
StoppedDrivers::~StoppedDrivers() = default;

void WipeKindRegistry(int32_t kind) {
  check(g_seen.writes == 0, "a wipe after a write");
  g_seen.wipes.push_back(kind);
}

int32_t WriteRegValue(const char* keyPath, int32_t type, const char* name, const char* text, int32_t value) {
  check(g_seen.wipes.size() == 7, "a write before the whole wipe");
  check(IsImportableKey(keyPath), "a write outside the exported keys");
  check(std::strlen(keyPath) <= 255 && std::strlen(name) <= 255, "a path or name beyond the registry's limit");
  check(type == 1 ? text != nullptr && std::strlen(text) <= 255 : type == 4, "a malformed value");
  ++g_seen.writes;
  // Some writes fail, as a full or locked store would make them.
  const bool fails = (std::strlen(name) + static_cast<uint32_t>(value)) % 7 == 3;
  g_seen.writeFailed |= fails;
  return fails ? 5 : 0;
}

}  // namespace tarnix

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    // Memory-backed where there is such a folder: the file is rewritten every run.
    std::string folder = "/dev/shm/import_fuzz_XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
      folder = "/tmp/import_fuzz_XXXXXX";
      if (::mkdtemp(folder.data()) == nullptr) std::abort();
    }
    static std::string made = folder;
    // The import's transaction opens a store: one of the run's own.
    ::setenv("ORVANE_REGISTRY", (folder + "/registry.sqlite").c_str(), 1);
    std::atexit([] {
      for (const char* name : {"/input.reg", "/registry.sqlite", "/registry.sqlite-wal", "/registry.sqlite-shm"}) {
        std::remove((made + name).c_str());
      }
      ::rmdir(made.c_str());
    });
    return folder + "/input.reg";
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  g_seen = Recorder{};
  const int32_t result = tarnix::ImportConfigFile(path.c_str());
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view first = input.substr(0, input.find('\n'));
  const bool header = first == "REGEDIT4" || first == "REGEDIT4\r";
  if (result == 4) {
    check(!header, "a file with the header refused");
    check(g_seen.wipes.empty() && g_seen.writes == 0, "a refused file changed the registry");
  } else {
    check(header, "a file without the header taken");
    check(result == 0 || result == 5, "an unknown result");
    check(g_seen.wipes == std::vector<int32_t>({1, 2, 3, 4, 5, 6, 7}), "not every kind wiped, in order");
    check(!g_seen.writeFailed || result == 5, "a failed write reported as success");
    check(static_cast<size_t>(g_seen.writes) == tarnix::ParseConfigFile(input).writes.size(), "writes lost");
  }
  return 0;
}
