#include "board.h"

#include <winbase.h>

#include <cstring>

#include "ansi_text.h"
#include "ini_file.h"
#include "toolkit.h"
#include "utility.h"
#include "vekmath_calls.h"

namespace orvane::core {
namespace {

// The library copies the whole name into a buffer of this size, so the
// name goes to it in one of the same size, zero-padded.
constexpr size_t kSelectNameBytes = 88;
// Each device list comes back in a buffer of this size.
constexpr size_t kListBytes = 1024;

constexpr int32_t kSimulatedSines = 16;
constexpr LONG kSineRows = 10000;

// Boards of vendor A's older library (codes 0 to 3) are selected by a board
// number, not by a device name: the text "20" goes in place of the name.
// The simulated board takes it too.
constexpr const char* kBoardNumberText = "20";
constexpr bool IsOlderLibraryBoard(int32_t code) { return code >= 0 && code <= 3; }

// The tracer and the two serial units hand out two's-complement counts;
// every other board offset binary.
constexpr bool DeliversSignedCounts(int32_t code) { return code == 16 || code == 33 || code == 34; }

std::vector<std::string> SplitList(const char* buffer) {
  std::string text = FromAnsi(CutAtNul(std::string_view(buffer, kListBytes)));
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

}  // namespace

Board::Board() { QueryDeviceLists(models_, names_); }

Board::~Board() { ReleaseLibrary(); }

int32_t Board::ResolutionBits(int32_t index) const { return BoardTypeRow(index).resolutionBits; }
int32_t Board::ChannelCount(int32_t index) const { return BoardTypeRow(index).channelCount; }
std::string Board::ModelDisplayName(int32_t index) const {
  (void)BoardTypeRow(index);
  return {};
}
std::string Board::DeviceName(int32_t index) const { return BoardTypeRow(index).devicePattern; }
bool Board::DeviceFlag(int32_t index) const { return BoardTypeRow(index).deviceFlag; }
bool Board::InputModeFlag(int32_t index) const { return BoardTypeRow(index).inputModeFlag; }
bool Board::RangeFlag(int32_t index) const { return BoardTypeRow(index).rangeFlag; }
bool Board::LibrarySoftFlag(int32_t index) const { return BoardTypeRow(index).librarySoftFlag; }
bool Board::DigitalFlag(int32_t index) const { return BoardTypeRow(index).digitalFlag; }

int32_t Board::GetBoardType(const std::string& modelName) const {
  if (modelName == kSimulatedModel) return kSimulatedBoard;
  for (int32_t code = 0; code <= kLastBoardType; ++code) {
    const char* model = BoardTypeRow(code).modelName;
    if (*model != '\0' && modelName == model) return code;
  }
  return 0;
}

void Board::OpenFromIni(const std::string& iniPath) {
  std::string model = ReadIniFile(iniPath, kBoardSection, "Board", kDefaultBoardModel);
  boardTypeIndex_ = GetBoardType(model);
  currentDeviceName_ = ReadIniFile(iniPath, kBoardSection, "DeviceName", kDefaultDeviceName);
  if (boardTypeIndex_ == kSimulatedBoard) {
    // Channel i of the simulated board plays i + 1 sine periods.
    const VekmathCalls& vk = VekmathInUse();
    if (vk.SetTestSine != nullptr) {
      for (int32_t i = 0; i < kSimulatedSines; ++i) vk.SetTestSine(i + 1, kSineRows, i);
    }
  }
  if (boardTypeIndex_ == kSimulatedBoard || IsOlderLibraryBoard(boardTypeIndex_)) {
    Select(boardTypeIndex_, kBoardNumberText, false);
    return;
  }
  Select(boardTypeIndex_, currentDeviceName_, true);
}

void Board::ReopenDevice() {
  if (IsOlderLibraryBoard(boardTypeIndex_))
    Select(boardTypeIndex_, kBoardNumberText, false);
  else
    Select(boardTypeIndex_, currentDeviceName_, true);
}

void Board::Select(int32_t type, const std::string& name, bool keepReturnedName) {
  const VekmathCalls& vk = VekmathInUse();
  if (vk.SelectBoard == nullptr) return;
  char buffer[kSelectNameBytes] = {};
  std::string ansi = ToAnsi(name);
  std::memcpy(buffer, ansi.data(), WholeCharacterPrefix(ansi, kSelectNameBytes - 1));
  vk.SelectBoard(type, 1, buffer);
  if (keepReturnedName) {
    currentDeviceName_ = FromAnsi(CutAtNul(std::string_view(buffer, kSelectNameBytes)));
  }
}

void Board::GetADDataFormat_Signed_Unsigned(std::vector<int32_t>& format) const {
  format.assign(kFormatChannels, DeliversSignedCounts(boardTypeIndex_) ? 1 : 0);
}

void Board::QueryDeviceLists(std::vector<std::string>& models, std::vector<std::string>& names) {
  if (library_ == nullptr) library_ = LoadLibraryA(kFixedLibraryPath);
  if (library_ == nullptr) return;
  using SelectBoardNameFn = void(WINAPI*)(char* names, char* models);
  auto selectBoardName = reinterpret_cast<SelectBoardNameFn>(GetProcAddress(library_, "SelectBoardNAME"));
  if (selectBoardName == nullptr) return;
  std::vector<char> nameBuffer(kListBytes, '\0'), modelBuffer(kListBytes, '\0');
  selectBoardName(nameBuffer.data(), modelBuffer.data());
  models = SplitList(modelBuffer.data());
  names = SplitList(nameBuffer.data());
}

void Board::ReleaseLibrary() {
  if (library_ != nullptr) FreeLibrary(library_);
  library_ = nullptr;
}

}  // namespace orvane::core
