// Fuzz target for the configuration loader: the input is a configuration
// file, applied to a device whose driver answers every request. A file that
// does not parse must be refused with 10064 before any request is sent.
#include <platform/device.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <pugixml.hpp>
#include <string>

#include "device_record.h"
#include "halvik.h"
#include "library_state.h"

namespace {

std::atomic<int> g_requests{0};

LONG answer(PlatRequest* request) {
  ++g_requests;
  std::memset(request->systemBuffer, 0, request->inputSize);  // every status 0
  request->information = request->outputSize;
  return PLAT_STATUS_SUCCESS;
}
LONG accept(PlatFile*) { return PLAT_STATUS_SUCCESS; }
void ignore(PlatFile*) {}
PlatDeviceDriver g_driver = {nullptr, accept, ignore, ignore, answer, nullptr, nullptr};

constexpr short kId = 1;
std::string g_path;

void setUp() {
  char folder[] = "/tmp/config_fuzz_XXXXXX";
  if (::mkdtemp(folder) == nullptr) std::abort();
  ::setenv("ORVANE_ROOT", folder, 1);
  const std::string drive = std::string(folder) + "/c";
  if (::mkdir(drive.c_str(), 0700) != 0) std::abort();
  g_path = drive + "/input.xml";
  halvik::Library().processId = GetCurrentProcessId();
  const std::string name = "CONFIGFUZZ" + std::to_string(::getpid());
  PlatRegisterDevice(name.c_str(), &g_driver);
  halvik::DeviceRecord& record = halvik::DeviceTable().emplace_back();
  std::snprintf(record.DeviceName, sizeof record.DeviceName, "%s", name.c_str());
  std::snprintf(record.ModelName, sizeof record.ModelName, "HVA-1632PE");
  record.Id = kId;
  record.BusKind = 1;
  record.Handle = CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (setUp(), true);
  (void)ready;
  FILE* file = std::fopen(g_path.c_str(), "wb");
  if (file == nullptr) std::abort();
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  g_requests = 0;
  const LONG status = XanLoadConfig(kId, "C:\\input.xml");
  pugi::xml_document document;
  const bool parses = static_cast<bool>(document.load_buffer(data, size));
  // The ownership check is the only request before the file is read.
  if (!parses && (status != 10064 || g_requests != 1)) {
    std::fprintf(stderr, "config_fuzz: a file that does not parse gave %d after %d requests\n", static_cast<int>(status),
                 g_requests.load());
    std::abort();
  }
  return 0;
}
