// Vendor A's board configuration: where it lies in the registry (written by
// the configuration library, read by the older library and its driver),
// the driver-file tables that name the service keys, and the in-memory
// configuration image that one device kind loads into and stores from.
//
// Everything here is layout: names, types, counts and record shapes. The
// loads and stores that walk it belong to their owners.
//
// Bounds a load must apply: every count read from the registry (a service
// key's GroupNum or BoardNum, a group key's BoardNum) indexes a fixed array
// of the image, and an imported file can hold any DWORD there, so a load
// takes it through clampCount with the capacity below (a negative count is
// 0). A registry text may be 255 characters while its image field is
// narrower: a load keeps the first width - 1 characters and ends them with
// a NUL.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace xanconfig {

// ---- Device kinds ----------------------------------------------------------------

// The first argument of most configuration exports. 8 does not exist.
enum class DnkConfigKind : int32_t {
  Serial = 1,
  Analog = 2,
  Digital = 3,
  Gpib = 4,
  Counter = 5,
  Stepper = 6,
  ComPort = 7,
  WdmAnalog = 9,
  Module = 10,
};

// How a kind's boards lie under its service keys.
enum class RegistryForm {
  BoardsUnderService,  // "BoardNumber<b>" under the service key
  GroupsAndBoards,     // "GroupNumber<g>", each with "BoardNumber<b>"
  BoardsWithAxes,      // boards under the service key, four axis keys a board
  BoardInfo,           // NT: boards under "BoardInfo"; 9x: the Plug and Play tree
  DeviceKeys,          // the WDM device keys, no driver rows
};

struct KindInfo {
  DnkConfigKind kind;
  uint32_t listRecordBytes;  // one board of the application's board list
  uint32_t ntRows;           // rows of the NT driver-file table
  uint32_t win9xRows;        // rows of the Windows 9x table
  RegistryForm form;
};

inline constexpr KindInfo kKinds[] = {
    {DnkConfigKind::Serial, 628, 1, 1, RegistryForm::BoardsUnderService},
    {DnkConfigKind::Analog, 180, 33, 33, RegistryForm::GroupsAndBoards},
    {DnkConfigKind::Digital, 188, 7, 7, RegistryForm::GroupsAndBoards},
    {DnkConfigKind::Gpib, 192, 4, 4, RegistryForm::BoardsUnderService},
    {DnkConfigKind::Counter, 176, 6, 6, RegistryForm::BoardsUnderService},
    {DnkConfigKind::Stepper, 388, 2, 2, RegistryForm::BoardsWithAxes},
    {DnkConfigKind::ComPort, 552, 1, 2, RegistryForm::BoardInfo},
    {DnkConfigKind::WdmAnalog, 180, 0, 0, RegistryForm::DeviceKeys},
    {DnkConfigKind::Module, 176, 1, 1, RegistryForm::BoardsUnderService},
};

// The row of a kind, or nullptr for a value outside the table.
constexpr const KindInfo* kindInfo(int32_t kind) {
  for (const KindInfo& k : kKinds) {
    if (static_cast<int32_t>(k.kind) == kind) return &k;
  }
  return nullptr;
}

// A board list: a 32-bit count, then room for this many records.
inline constexpr uint32_t kListRecords = 64;
constexpr uint32_t boardListBytes(const KindInfo& k) { return 4 + kListRecords * k.listRecordBytes; }

// ---- Driver-file tables ------------------------------------------------------------

enum class OsFamily { Nt, Win9x };

inline constexpr std::size_t kDriverNameBytes = 20;

// One driver of a kind: its file, its service (the file name less its
// extension, also the name of its service key) and its driver number.
struct DriverFileRow {
  char fileName[kDriverNameBytes];
  char serviceName[kDriverNameBytes];
  int32_t driverNumber;
};
static_assert(sizeof(DriverFileRow) == 44);
static_assert(offsetof(DriverFileRow, serviceName) == 20);
static_assert(offsetof(DriverFileRow, driverNumber) == 40);

// A table ends with a row whose two texts are this.
inline constexpr const char* kEndRow = "End";

namespace detail {

constexpr std::size_t put(char* to, std::size_t at, const char* text) {
  while (*text != '\0') to[at++] = *text++;
  return at;
}

// "<stem><number in `digits` digits>" (no number for 0 digits), then ext.
constexpr DriverFileRow driverRow(const char* stem, int digits, int32_t number, const char* ext) {
  DriverFileRow row{};
  std::size_t n = put(row.serviceName, 0, stem);
  for (int d = digits - 1; d >= 0; --d) {
    int32_t scale = 1;
    for (int i = 0; i < d; ++i) scale *= 10;
    row.serviceName[n++] = static_cast<char>('0' + number / scale % 10);
  }
  put(row.fileName, put(row.fileName, 0, row.serviceName), ext);
  row.driverNumber = number;
  return row;
}

constexpr DriverFileRow endRow() {
  DriverFileRow row{};
  put(row.fileName, 0, kEndRow);
  put(row.serviceName, 0, kEndRow);
  return row;
}

template <std::size_t N>
constexpr std::array<DriverFileRow, N + 1> driverTable(const char* stem, int digits, const char* ext,
                                                       const std::array<int32_t, N>& numbers) {
  std::array<DriverFileRow, N + 1> rows{};
  for (std::size_t i = 0; i < N; ++i) rows[i] = driverRow(stem, digits, numbers[i], ext);
  rows[N] = endRow();
  return rows;
}

constexpr std::array<int32_t, 33> analogNumbers() {
  std::array<int32_t, 33> n{};
  for (int32_t i = 0; i <= 30; ++i) n[static_cast<std::size_t>(i)] = i;
  n[31] = 50;
  n[32] = 55;
  return n;
}

inline constexpr const char* kSys = ".SYS";
inline constexpr const char* kVxd = ".VXD";

}  // namespace detail

// The analog kind's drivers are the older boards' driver and its siblings.
inline constexpr const char* kAnalogStem = "Morvel";

inline constexpr auto kSerialDriversNt = detail::driverTable("Serdel", 0, detail::kSys, std::array{0});
inline constexpr auto kSerialDrivers9x = detail::driverTable("Serdel", 0, detail::kVxd, std::array{0});
inline constexpr auto kDigitalDriversNt =
    detail::driverTable("Digdel", 2, detail::kSys, std::array{0, 1, 2, 3, 4, 5, 6});
inline constexpr auto kDigitalDrivers9x =
    detail::driverTable("Digdel", 2, detail::kVxd, std::array{0, 1, 2, 3, 4, 5, 6});
inline constexpr auto kGpibDriversNt = detail::driverTable("Gpidel", 1, detail::kSys, std::array{1, 2, 3, 4});
inline constexpr auto kGpibDrivers9x = detail::driverTable("Gpidel", 1, detail::kVxd, std::array{1, 2, 3, 4});
inline constexpr auto kCounterDriversNt = detail::driverTable("Cntdel", 2, detail::kSys, std::array{0, 1, 2, 3, 4, 5});
inline constexpr auto kCounterDrivers9x = detail::driverTable("Cntdel", 2, detail::kVxd, std::array{0, 1, 2, 3, 4, 5});
inline constexpr auto kStepperDriversNt = detail::driverTable("Stpdel", 2, detail::kSys, std::array{0, 1});
inline constexpr auto kStepperDrivers9x = detail::driverTable("Stpdel", 2, detail::kVxd, std::array{0, 1});
inline constexpr auto kModuleDriversNt = detail::driverTable("Moddel", 2, detail::kSys, std::array{0});
inline constexpr auto kModuleDrivers9x = detail::driverTable("Moddel", 2, detail::kVxd, std::array{0});
inline constexpr auto kAnalogDriversNt = detail::driverTable(kAnalogStem, 2, detail::kSys, detail::analogNumbers());
inline constexpr auto kAnalogDrivers9x = detail::driverTable(kAnalogStem, 2, detail::kVxd, detail::analogNumbers());
inline constexpr auto kComPortDriversNt = detail::driverTable("Comdel", 0, detail::kSys, std::array{0});
// Under Windows 9x the port driver comes as two files, both number 0.
inline constexpr std::array<DriverFileRow, 3> kComPortDrivers9x = {detail::driverRow("Comdel", 0, 0, detail::kVxd),
                                                                   detail::driverRow("Comdelpn", 0, 0, detail::kVxd),
                                                                   detail::endRow()};

// `DriverFileTable`: a kind's rows for a family, the "End" row included;
// empty for the WDM kind and for a value outside the table.
using DriverFileTable = std::span<const DriverFileRow>;

constexpr DriverFileTable driverFileTable(int32_t kind, OsFamily os) {
  const bool nt = os == OsFamily::Nt;
  switch (kind) {
    case 1:
      return nt ? DriverFileTable(kSerialDriversNt) : DriverFileTable(kSerialDrivers9x);
    case 2:
      return nt ? DriverFileTable(kAnalogDriversNt) : DriverFileTable(kAnalogDrivers9x);
    case 3:
      return nt ? DriverFileTable(kDigitalDriversNt) : DriverFileTable(kDigitalDrivers9x);
    case 4:
      return nt ? DriverFileTable(kGpibDriversNt) : DriverFileTable(kGpibDrivers9x);
    case 5:
      return nt ? DriverFileTable(kCounterDriversNt) : DriverFileTable(kCounterDrivers9x);
    case 6:
      return nt ? DriverFileTable(kStepperDriversNt) : DriverFileTable(kStepperDrivers9x);
    case 7:
      return nt ? DriverFileTable(kComPortDriversNt) : DriverFileTable(kComPortDrivers9x);
    case 10:
      return nt ? DriverFileTable(kModuleDriversNt) : DriverFileTable(kModuleDrivers9x);
    default:
      return {};
  }
}

// ---- Registry layout (`XanBoardConfigKey`), all under HKEY_LOCAL_MACHINE -------------

// A driver row's service key is its service name under this key.
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
// Group keys "GroupNumber1" on, board keys "BoardNumber1" on, axis keys
// "AxisNumber1" to "AxisNumber4", numbered from 1 without gaps.
inline constexpr const char* kGroupKeyStem = "GroupNumber";
inline constexpr const char* kBoardKeyStem = "BoardNumber";
inline constexpr const char* kAxisKeyStem = "AxisNumber";
// Kind 7 under NT keeps its board keys in this subkey of its service key.
inline constexpr const char* kBoardInfoKey = "BoardInfo";

// The only value types written: texts and numbers (-1 as 0xFFFFFFFF).
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegDword = 4;
// A stored value longer than this counts as missing, as does one whose
// type differs from the one asked for.
inline constexpr uint32_t kLongestValueBytes = 256;

// Capacities of the image, the bounds of the counts read from the registry.
inline constexpr int32_t kMaxGroups = 16;           // a service key's GroupNum
inline constexpr int32_t kMaxServiceBoards = 64;    // a service key's BoardNum
inline constexpr int32_t kMaxGroupBoards = 16;      // a group key's BoardNum
inline constexpr int32_t kEditableGroupBoards = 4;  // what the editing exports allow
inline constexpr int32_t kAxesPerBoard = 4;
inline constexpr int32_t kPortsPerBoard = 8;

constexpr int32_t clampCount(int32_t count, int32_t capacity) {
  return count < 0 ? 0 : count > capacity ? capacity : count;
}

// Value names. Which kinds write which value is the loader's and the
// store's table; the names are one list for all.
namespace value {
// Service key.
inline constexpr const char* kErrorControl = "ErrorControl";
inline constexpr const char* kGroup = "Group";
inline constexpr const char* kStart = "Start";
inline constexpr const char* kType = "Type";
inline constexpr const char* kDefineDir = "DefineDir";
inline constexpr const char* kMachineType = "MachineType";
inline constexpr const char* kBoardNum = "BoardNum";  // also a group key's
inline constexpr const char* kGroupNum = "GroupNum";
// Group key (also IrqNo and ObjectName of board keys).
inline constexpr const char* kIrqNo = "IrqNo";
inline constexpr const char* kIrqNo2 = "IrqNo2";
inline constexpr const char* kIrqNo3 = "IrqNo3";
inline constexpr const char* kIrqNo4 = "IrqNo4";
inline constexpr const char* kObjectName = "ObjectName";
// Board key.
inline constexpr const char* kBoardName = "BoardName";
inline constexpr const char* kBoardType = "BoardType";
inline constexpr const char* kIoAddress = "IoAddress";  // "IoAddress1".."8" on kind 1
inline constexpr const char* kDma = "Dma";
inline constexpr const char* kMemoryAddress = "MemoryAddress";
inline constexpr const char* kBoardConfig = "BoardConfig";
inline constexpr const char* kBoardId = "BoardID";
inline constexpr const char* kDeviceId = "DeviceID";
inline constexpr const char* kSlotNo = "SlotNo";
inline constexpr const char* kHardwareKey = "HardwareKey";
inline constexpr const char* kChannelFirst = "ChannelFirst";
inline constexpr const char* kChannelLast = "ChannelLast";
inline constexpr const char* kBaudRateType = "BaudRateType";
inline constexpr const char* kFifoFlowEnable = "FIFOFlowEnable";
inline constexpr const char* kComController = "ComController";
inline constexpr const char* kAutoRs485Enable = "AutoRS485Enable";
inline constexpr const char* kAutoRs485Execution = "AutoRS485Execution";
inline constexpr const char* kForceFifoEnable = "ForceFifoEnable";
inline constexpr const char* kRxFifo = "RxFIFO";
inline constexpr const char* kTxFifo = "TxFIFO";
inline constexpr const char* kMyAddress = "MyAddress";
inline constexpr const char* kMasterMode = "MasterMode";
inline constexpr const char* kDmaCh = "DmaCh";
inline constexpr const char* kDmaMode = "DmaMode";
inline constexpr const char* kHandshakeTiming = "HandshakeTiming";
inline constexpr const char* kAxisNum = "AxisNum";
inline constexpr const char* kBaseEnhMode = "bBaseENHMode";
inline constexpr const char* kInterfaceType = "InterfaceType";  // kind 7 NT, written only
// Kind 7's fixed service values under NT.
inline constexpr const char* kLogFifo = "LogFifo";
inline constexpr const char* kPermitShare = "PermitShare";
inline constexpr const char* kTag = "Tag";
inline constexpr const char* kSetRegistry = "SetRegistry";
}  // namespace value

// A service key's MachineType.
inline constexpr int32_t kMachineAt = 0;
inline constexpr int32_t kMachinePc98 = 1;
// A service key's Start that has the store create and start the driver.
inline constexpr int32_t kStartAutomatic = 2;

// The configuration driver's own service key and its values.
struct ConfigurationService {
  const char* key;
  int32_t errorControl;
  const char* group;
  int32_t start;
  int32_t type;
};
inline constexpr ConfigurationService kConfigurationService = {"SYSTEM\\CurrentControlSet\\Services\\Tarnix", 1,
                                                               "Extended Base", 2, 1};

// ---- Object-name index (`DeviceListEntry`) ---------------------------------------------

// One subkey, named by the object name, for every non-empty object name a
// store writes.
inline constexpr const char* kDeviceListKey = "SOFTWARE\\DORNELL\\DEVICELIST";
namespace entry {
inline constexpr const char* kDevice = "Device";          // REG_SZ: the board model name
inline constexpr const char* kDriverType = "DriverType";  // REG_DWORD: 0 here; others are another program's
inline constexpr const char* kCategory = "Category";      // REG_DWORD
inline constexpr const char* kDeviceType = "DeviceType";  // REG_DWORD
}  // namespace entry
inline constexpr int32_t kOwnDriverType = 0;

// The index's category of a kind: 1 to 6 as they are, 10 gives 7, 7 gives
// 100; -1 for a kind that writes no entries.
constexpr int32_t categoryOf(int32_t kind) {
  if (kind >= 1 && kind <= 6) return kind;
  if (kind == 10) return 7;
  if (kind == 7) return 100;
  return -1;
}

// The index's device type of a model's bus-type code.
constexpr int32_t deviceTypeOf(int32_t busType) { return busType >= 1 && busType <= 4 ? busType : 0; }

// ---- Configuration image (`ConfigurationImage`) ------------------------------------------

inline constexpr std::size_t kGroupNameBytes = 16;
inline constexpr std::size_t kDefineDirBytes = 256;
inline constexpr std::size_t kBoardNameBytes = 40;
inline constexpr std::size_t kComControllerBytes = 20;
inline constexpr std::size_t kObjectNameBytes = 50;  // also the hardware key

// One record for all kinds; each uses the fields its registry values name.
struct BoardSlot {
  char boardName[kBoardNameBytes];
  int32_t boardType;
  int32_t ioAddress;                    // kinds 2-7, 10
  int32_t ioAddresses[kPortsPerBoard];  // kind 1
  int32_t irqNo;                        // kinds 4, 5, 7, 10
  int32_t irqNos[kPortsPerBoard];       // kind 1; kind 6 the first two
  int32_t dma;                          // kinds 1-3, 5-7, 10
  int32_t memoryAddress;
  int32_t boardConfig;   // kinds 2, 3
  int32_t channelFirst;  // kinds 1, 7
  int32_t channelLast;
  int32_t myAddress;  // kind 4, to handshakeTiming
  int32_t masterMode;
  int32_t dmaCh;
  int32_t dmaMode;
  int32_t handshakeTiming;
  int32_t baudRateType;  // kinds 1, 7
  int32_t boardId;
  int32_t deviceId;
  int32_t slotNo;
  int32_t portOption;                       // kind 7 under Windows 9x
  int32_t fifoFlowEnable;                   // kind 1
  int32_t rxFifo;                           // kinds 1, 7
  char comController[kComControllerBytes];  // kind 1
  int32_t axisNum;                          // kind 6
  int32_t baseEnhMode;                      // kind 6
  char hardwareKey[kObjectNameBytes];
  char objectName[kObjectNameBytes];                   // kinds 4-6, 10
  char objectNames[kPortsPerBoard][kObjectNameBytes];  // kinds 1, 7; kind 6 the axes 1-4
  int32_t forceFifoEnable;                             // kinds 1, 7
  int32_t txFifo;
};
static_assert(offsetof(BoardSlot, boardType) == 40);
static_assert(offsetof(BoardSlot, ioAddresses) == 48);
static_assert(offsetof(BoardSlot, irqNo) == 80);
static_assert(offsetof(BoardSlot, dma) == 116);
static_assert(offsetof(BoardSlot, boardId) == 160);
static_assert(offsetof(BoardSlot, comController) == 184);
static_assert(offsetof(BoardSlot, hardwareKey) == 212);
static_assert(offsetof(BoardSlot, objectNames) == 312);
static_assert(offsetof(BoardSlot, forceFifoEnable) == 712);
static_assert(sizeof(BoardSlot) == 720);

struct GroupSlot {
  int32_t boardNum;          // clampCount(.., kMaxGroupBoards)
  int32_t irqNo;             // an analog group's
  int32_t digitalIrqNos[4];  // a digital group's IrqNo to IrqNo4
  char objectName[kObjectNameBytes];
  BoardSlot boards[kMaxGroupBoards];
};
static_assert(offsetof(GroupSlot, objectName) == 24);
static_assert(offsetof(GroupSlot, boards) == 76);
static_assert(sizeof(GroupSlot) == 76 + 16 * sizeof(BoardSlot));

// One driver row's service key.
struct DriverBlock {
  int32_t driverNumber;  // from the driver-file row
  int32_t errorControl;
  char group[kGroupNameBytes];
  int32_t start;
  int32_t type;
  char defineDir[kDefineDirBytes];
  int32_t machineType;
  int32_t boardNum;  // kinds without groups (kind 7: boards found); clampCount(.., kMaxServiceBoards)
  int32_t groupNum;  // kinds 2, 3; clampCount(.., kMaxGroups)
  GroupSlot groups[kMaxGroups];
  BoardSlot boards[kMaxServiceBoards];
};
static_assert(offsetof(DriverBlock, group) == 8);
static_assert(offsetof(DriverBlock, start) == 24);
static_assert(offsetof(DriverBlock, defineDir) == 32);
static_assert(offsetof(DriverBlock, machineType) == 288);
static_assert(offsetof(DriverBlock, groups) == 300);
static_assert(offsetof(DriverBlock, boards) == 300 + kMaxGroups * sizeof(GroupSlot));

// One kind's image: a block for each row of its NT driver-file table, in
// table order. A load zeroes it first.
template <std::size_t Blocks>
struct ConfigurationImage {
  DriverBlock blocks[Blocks];
};

// The block count of a kind's image (0 for the WDM kind and unknown kinds).
constexpr std::size_t imageBlocks(int32_t kind) {
  const KindInfo* k = kindInfo(kind);
  return k != nullptr ? k->ntRows : 0;
}

}  // namespace xanconfig
