// XanGetDeviceInfo and XanGetDeviceType: what a board model offers, from its
// name alone.
#include <halvik.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "board_table.h"
#include "export_frame.h"

namespace halvik {

namespace {

inline constexpr LONG kInfoRefused = 10000;

void put16(void* out, int16_t value) { std::memcpy(out, &value, sizeof value); }
void put32(void* out, int32_t value) { std::memcpy(out, &value, sizeof value); }
int16_t get16(const void* in) {
  int16_t value;
  std::memcpy(&value, in, sizeof value);
  return value;
}

// A double truncated toward zero into 32 bits, kept inside the range.
int32_t truncated(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int32_t>(value);
}

bool hasCode(const std::vector<int16_t>& codes, int16_t code) {
  for (int16_t c : codes) {
    if (c == code) return true;
  }
  return false;
}

// Info types 1 to 17 of one family (10000 + n for input, 20000 + n for
// output); Param1 is not NULL here.
LONG familyInfo(const FamilyInfo& f, int n, void* p1, void* p2, void* p3) {
  switch (n) {
    case 1: put32(p1, f.value1); return 0;
    case 14: put32(p1, f.value14); return 0;
    case 15: put32(p1, f.value15); return 0;
    case 3: put16(p1, f.value3); return 0;
    case 4: put16(p1, f.value4); return 0;
    case 12: put16(p1, f.value12); return 0;
    case 16: put16(p1, f.bufferMode); return 0;
    case 17: put16(p1, f.value17); return 0;
    case 2: {
      const int16_t index = get16(p1);
      if (index < 0 || static_cast<size_t>(index) >= f.ranges.size()) return kInfoRefused;
      const int16_t code = f.ranges[static_cast<size_t>(index)];
      if (p2 != nullptr) put16(p2, code);
      if (p3 != nullptr) put16(p3, code == f.defaultRange ? 1 : 0);
      return 0;
    }
    case 5:
    case 6: {
      const int16_t code = get16(p1);
      if (code < 0 || code > 9) return kInfoRefused;
      if (p2 != nullptr) put16(p2, hasCode(n == 5 ? f.codes5 : f.codes6, code) ? 1 : 0);
      return 0;
    }
    case 10:
    case 11: {
      const double* pair = n == 10 ? f.value10 : f.value11;
      put32(p1, truncated(pair[0]));
      if (p2 != nullptr) put32(p2, truncated(pair[1]));
      return 0;
    }
    case 13:
      put32(p1, truncated(f.value13[0]));
      if (p2 != nullptr) put32(p2, truncated(f.value13[1]));
      if (p3 != nullptr) put32(p3, truncated(f.value13[2]));
      return 0;
    default:
      return kInfoRefused;
  }
}

}  // namespace

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetDeviceInfo(const char* Device, short InfoType, void* Param1, void* Param2,
                                        void* Param3) {
  const BoardRow* row = FindBoardRow(Device);
  if (row == nullptr || Param1 == nullptr) return kInfoRefused;
  switch (InfoType) {
    case 1: case 2: case 3: case 4: case 5:
      put16(Param1, row->capabilities[InfoType - 1]);
      return 0;
    case 10: case 11:
      put16(Param1, row->capabilities[InfoType - 5]);
      return 0;
    case 100:
      put32(Param1, row->value100);
      return 0;
    default:
      break;
  }
  if (InfoType > 10000 && InfoType <= 10017) return familyInfo(row->ai, InfoType - 10000, Param1, Param2, Param3);
  if (InfoType > 20000 && InfoType <= 20016) return familyInfo(row->ao, InfoType - 20000, Param1, Param2, Param3);
  return kInfoRefused;
}

DLL_EXPORT LONG WINAPI XanGetDeviceType(const char* Device, short* DeviceType) {
  ExportFrame frame("XanGetDeviceType");
  frame.start("Device=%s", Device != nullptr ? Device : "(null)");
  if (Device == nullptr) return frame.end(10014);
  if (DeviceType == nullptr) return frame.end(10015);
  static const struct {
    const char* part;
    short type;
  } kRules[] = {{"PCI", 1}, {"LPCI", 1}, {"PE", 1}, {"(PM)", 2}, {"USB", 3}, {"(PC)", 4}, {"Demo", 5}, {"CB", 6}};
  for (const auto& rule : kRules) {
    if (std::strstr(Device, rule.part) != nullptr) {
      *DeviceType = rule.type;
      return frame.endWith("DeviceType=%d", rule.type);
    }
  }
  *DeviceType = -1;
  return 10013;
}
