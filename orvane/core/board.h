// The monitor's view of the acquisition hardware: the per-type table of
// resolutions, channel counts, name patterns and flags, the mapping from the
// model named in Init.ini to a board type, the selection in the processing
// library and the lists of installed devices.
#pragma once
#include <windef.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::core {

// One row of the per-type table.
struct BoardTypeInfo {
  int32_t code;
  const char* modelName;  // the text GetBoardType maps to code; "" where none does
  int32_t resolutionBits;
  int32_t channelCount;
  const char* devicePattern;
  bool deviceFlag;
  bool inputModeFlag;
  bool rangeFlag;
  bool librarySoftFlag;
  bool digitalFlag;
};

inline constexpr int32_t kSimulatedBoard = -1;
inline constexpr const char* kSimulatedModel = "DEBUG";
inline constexpr int32_t kFirstBoardType = kSimulatedBoard;
inline constexpr int32_t kLastBoardType = 34;
inline constexpr int32_t kFormatChannels = 32;

// Init.ini: section "ADBOARD", keys "Board" and "DeviceName".
inline constexpr const char* kBoardSection = "ADBOARD";
inline constexpr const char* kDefaultBoardModel = "NI-USB-6001-S";
inline constexpr const char* kDefaultDeviceName = "Dev1";

// The row of a code from -1 to 34; raises the subscript error otherwise.
const BoardTypeInfo& BoardTypeRow(int32_t code);

class Board {
 public:
  // Fetches the device lists (QueryDeviceLists); type 0 until OpenFromIni.
  Board();
  ~Board();
  Board(const Board&) = delete;
  Board& operator=(const Board&) = delete;

  int32_t BoardTypeIndex() const { return boardTypeIndex_; }
  void SetBoardTypeIndex(int32_t type) { boardTypeIndex_ = type; }
  const std::string& CurrentDeviceName() const { return currentDeviceName_; }
  void SetCurrentDeviceName(std::string name) { currentDeviceName_ = std::move(name); }

  // Table lookups by code -1 to 34; any other code raises the subscript error.
  int32_t ResolutionBits(int32_t index) const;
  int32_t ChannelCount(int32_t index) const;
  std::string ModelDisplayName(int32_t index) const;  // empty for every type
  std::string DeviceName(int32_t index) const;        // the name pattern
  bool DeviceFlag(int32_t index) const;
  bool InputModeFlag(int32_t index) const;
  bool RangeFlag(int32_t index) const;
  bool LibrarySoftFlag(int32_t index) const;
  bool DigitalFlag(int32_t index) const;

  // "DEBUG" gives -1; a model name of the table (exact case) gives its
  // code; anything else 0. A lookup only: nothing is set up.
  int32_t GetBoardType(const std::string& modelName) const;

  // Reads section "ADBOARD" of the file at iniPath (the INI module's
  // current path is neither used nor changed) and selects the board in the
  // processing library; the simulated board gets its 16 test sines first.
  void OpenFromIni(const std::string& iniPath);

  // Selects the stored type and device name again.
  void ReopenDevice();

  // 32 entries: 1 (signed data) for board types 16, 33 and 34, else 0.
  void GetADDataFormat_Signed_Unsigned(std::vector<int32_t>& format) const;

  // Loads the library by its fixed path and fills the two lists with the
  // installed devices; both stay empty when the library or its export is
  // missing.
  void QueryDeviceLists(std::vector<std::string>& models, std::vector<std::string>& names);

  // Frees the library loaded by QueryDeviceLists (also done at destruction).
  void ReleaseLibrary();

  // The lists fetched at construction.
  const std::vector<std::string>& ModelList() const { return models_; }
  const std::vector<std::string>& DeviceNameList() const { return names_; }

 private:
  // keepReturnedName: the device name becomes what the library left in
  // the buffer.
  void Select(int32_t type, const std::string& name, bool keepReturnedName);

  int32_t boardTypeIndex_ = 0;
  std::string currentDeviceName_;
  std::vector<std::string> models_;
  std::vector<std::string> names_;
  HMODULE library_ = nullptr;
};

}  // namespace orvane::core
