// The built-in board table: what each board model offers, answered by
// XanGetDeviceInfo without opening a device.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace halvik {

// The values of one function family (analog input: info types 10001 to
// 10017; analog output: 20001 to 20017), named by the info type that serves
// them; their roles belong to the families that read them.
struct FamilyInfo {
  std::vector<int16_t> ranges;  // x002: range codes, in the row's order
  int16_t defaultRange = 0;
  int32_t value1 = 0;
  int16_t value3 = 0;
  int16_t value4 = 0;
  std::vector<int16_t> codes5;  // x005, x006: codes 0 to 9 the model has
  std::vector<int16_t> codes6;
  double value10[2] = {};
  double value11[2] = {};
  int16_t value12 = 0;
  double value13[3] = {};
  int32_t value14 = 0;
  int32_t value15 = 0;
  int16_t bufferMode = 0;  // x016: 2 when the model uses the device-buffer mode
  int16_t value17 = 0;
};

inline constexpr int kBoardCapabilities = 7;

struct BoardRow {
  std::string model;
  // Info types 1, 2, 3, 4, 5, 10, 11: input channels, output channels,
  // digital-input bits, digital-output bits, counter channels, input and
  // output resolution in bits.
  int16_t capabilities[kBoardCapabilities] = {};
  int32_t value100 = 0;
  FamilyInfo ai;
  FamilyInfo ao;
};

// The product rows, "Demo Device" last, then the row "END".
const std::vector<BoardRow>& BoardTable();

// The row of a model (compared exactly; "Demo", the registered name of the
// virtual device, is the row "Demo Device"), or nullptr.
const BoardRow* FindBoardRow(const char* model);

}  // namespace halvik
