#include <strings.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "com_ports_9x.h"

namespace tarnix::com9x {

namespace {

constexpr const char* kRootHardwarePrefix = "Root\\MultiFunction\\";

std::string Format(const char* format, int32_t n) {
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

}  // namespace

std::string Number4(int32_t n) { return Format("%04d", n); }
std::string ChildKey(int32_t child) { return JoinKey(kMfKey, Format("CHILD%04d", child)); }
std::string RootDeviceName(int32_t n) { return Format("ROOT&MULTIFUNCTION&%04d", n); }
std::string RootHardwareKey(int32_t n) { return kRootHardwarePrefix + Number4(n); }

std::string PciHardwareId(uint32_t deviceId) {
  char text[64];
  std::snprintf(text, sizeof text, "PCI&VEN_%04X&DEV_%04X", static_cast<unsigned>(kVendorId), deviceId);
  return text;
}

std::optional<int32_t> DecimalOf(const char* text) {
  if (text == nullptr || text[0] == '\0') return std::nullopt;
  int64_t n = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return std::nullopt;
    n = n * 10 + (*c - '0');
    if (n > INT32_MAX) return std::nullopt;
  }
  return static_cast<int32_t>(n);
}

std::optional<int32_t> ComNumberOf(const char* text) {
  if (text == nullptr || std::strncmp(text, "COM", 3) != 0) return std::nullopt;
  const std::optional<int32_t> n = DecimalOf(text + 3);
  if (!n || *n < 1) return std::nullopt;
  return n;
}

std::optional<int32_t> RootNumberOf(const char* hardwareKey) {
  const std::size_t prefix = std::strlen(kRootHardwarePrefix);
  if (hardwareKey == nullptr || strncasecmp(hardwareKey, kRootHardwarePrefix, prefix) != 0) return std::nullopt;
  const char* digits = hardwareKey + prefix;
  if (std::strlen(digits) != 4) return std::nullopt;
  return DecimalOf(digits);
}

ComDefaults ComDefaultsOf(const char* model) {
  int32_t values[5] = {};
  ComDefaults d;
  if (FindComPortDefaults(model, &values[0], &values[1], &values[2], &values[3], &values[4]) != 0) return d;
  d.ports = xanconfig::clampCount(values[0], xanconfig::kPortsPerBoard);
  d.rxFifo = values[3];
  d.txFifo = values[4];
  return d;
}

const BoardModelRow* ModelByDescription(const char* text) {
  if (text == nullptr || text[0] == '\0') return nullptr;
  for (const BoardModelRow& row : SelectBoardModelTable(7)) {
    if (std::strncmp(row.name, kEndName, sizeof row.name) == 0) break;
    if (std::strncmp(row.description, text, sizeof row.description) == 0) return &row;
  }
  return nullptr;
}

}  // namespace tarnix::com9x
