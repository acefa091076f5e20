// Tarnix: the configuration library of vendor A's boards ("Tarnix.dll").
// It loads a device kind's board list from the registry, edits it in the
// caller's memory, checks it for resource conflicts, saves it back (which
// rewrites the kind's keys and recreates its driver services), exports and
// imports the whole configuration as a REGEDIT4 file, looks up board models
// and asks the configuration driver for the resources of a board.
//
// The registry layout it writes is in xan_board_config.h, the board-list
// records in tarnix_records.h. Exports are found by name or by the ordinals
// 2 to 52 given beside them. Every export answers a small DnkConfigResult
// code unless said otherwise; the conflict check answers one byte,
// (check << 3) | severity. The library takes no locks and starts no
// threads: its exports serve one caller at a time.
#pragma once
#include <windows.h>

#include <cstdint>

// `DnkConfigResult`
enum DnkConfigResult : int32_t {
  kDnkOk = 0,
  kDnkBadArgument = 1,      // bad argument or kind
  kDnkNotAvailable = 2,     // model not in the tables, conflict found, or no configuration device
  kDnkNotFound = 3,         // board, group or driver not found, or end of a model list
  kDnkFileNotOpened = 4,
  kDnkWriteFailed = 5,      // a registry write failed
  kDnkNumberingLimit = 6,
  kDnkUnknownModel = 8,     // a loaded board's model is not in the model table
  kDnkRenamedModel = 9,     // a loaded digital board's model name was replaced by its newer name
  kDnkNoVersion = 10,
  kDnkMadeUpDeviceName = 11,  // kind 9: a device name was taken from the class key or made up
};

// ---- the REGEDIT4 file ---------------------------------------------------------
DLL_EXPORT LONG WINAPI DnkConfigLoadFile(const char* path);  // 2
DLL_EXPORT LONG WINAPI DnkConfigSaveFile(const char* path);  // 3

// ---- board lists: load, save, check ---------------------------------------------
// A list is a 32-bit count and 64 records of the kind's size; a record one
// of them.
DLL_EXPORT LONG WINAPI DnkConfigLoadListData(int32_t kind, void* list, int32_t reserved);  // 4
DLL_EXPORT LONG WINAPI DnkConfigSaveListData(int32_t kind, void* list);                    // 5
DLL_EXPORT LONG WINAPI DnkConfigCheckListData(int32_t kind, void* list);                   // 6

// ---- board lists: editing in the caller's memory --------------------------------
DLL_EXPORT LONG WINAPI DnkConfigSelectBoardData(int32_t kind, void* list, int32_t driver, int32_t group,
                                                int32_t board, void* record);  // 7
DLL_EXPORT LONG WINAPI DnkConfigCheckBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board,
                                               void* record, int32_t mode);  // 8
DLL_EXPORT LONG WINAPI DnkConfigAddBoardData(int32_t kind, void* list, int32_t gpibDriver, int32_t group,
                                             void* record);  // 9
DLL_EXPORT LONG WINAPI DnkConfigModBoardData(int32_t kind, void* list, int32_t driver, int32_t group, int32_t board,
                                             void* record);  // 10
DLL_EXPORT LONG WINAPI DnkConfigInsBoardData(int32_t kind, void* list, int32_t gpibDriver, int32_t group,
                                             int32_t board, void* record);  // 11
DLL_EXPORT LONG WINAPI DnkConfigExchangeBoardData(int32_t kind, void* list, int32_t driver1, int32_t group1,
                                                  int32_t board1, int32_t driver2, int32_t group2,
                                                  int32_t board2);  // 12
DLL_EXPORT LONG WINAPI DnkConfigDelBoardData(int32_t kind, void* list, int32_t driver, int32_t group,
                                             int32_t board);                                          // 13
DLL_EXPORT LONG WINAPI DnkConfigDelGrp(int32_t kind, void* list, int32_t driver, int32_t group);      // 14
DLL_EXPORT LONG WINAPI DnkConfigDelDrv(int32_t kind, void* list, int32_t driver);                     // 15
DLL_EXPORT LONG WINAPI DnkConfigDelTool(int32_t kind, void* list);                                    // 16
DLL_EXPORT LONG WINAPI DnkConfigGetGrpMax(int32_t kind, void* list, int32_t driver);                  // 17
DLL_EXPORT LONG WINAPI DnkConfigGetBoardMax(int32_t kind, void* list, int32_t driver, int32_t group);  // 18
// The two extended error words of the last check, into the non-null outs.
DLL_EXPORT void WINAPI DnkConfigGetExtError(int32_t* word1, int32_t* word2);  // 23

// ---- object names ------------------------------------------------------------------
DLL_EXPORT LONG WINAPI DnkConfigGetGrpByObjName(int32_t kind, const char* objectName, int32_t* driver,
                                                int32_t* group, int32_t* board);                            // 19
DLL_EXPORT LONG WINAPI DnkConfigGetInfoByObjectName(const char* objectName, int32_t* kind, char* modelName);  // 36

// ---- board models --------------------------------------------------------------------
// Model-name outs hold at least 40 bytes, hardware keys at least 50.
DLL_EXPORT LONG WINAPI DnkConfigGetBoardListFirst(int32_t kind, char* modelName);  // 20
DLL_EXPORT LONG WINAPI DnkConfigGetBoardListNext(int32_t kind, char* modelName);   // 21
DLL_EXPORT LONG WINAPI DnkConfigGetBoardListNum(int32_t kind);                     // 22
DLL_EXPORT LONG WINAPI DnkConfigGetDrvNo(const char* modelName);                   // 24
DLL_EXPORT LONG WINAPI DnkConfigGetBoardType(const char* modelName);               // 28
DLL_EXPORT LONG WINAPI DnkConfigGetBusType(const char* modelName);                 // 31
DLL_EXPORT LONG WINAPI DnkConfigGetDeviceID(const char* modelName);                // 32
DLL_EXPORT void WINAPI DnkConfigCreateHardwareKey(int32_t index, const char* modelName, char* key);  // 33
DLL_EXPORT LONG WINAPI DnkConfigGetBoardInfo(const char* modelName, int32_t code, void* out1, void* out2,
                                             void* out3);                                   // 35
DLL_EXPORT LONG WINAPI DnkConfigCheckBoardInfo(int32_t a, int32_t b, int32_t c, int32_t d);  // 37

// ---- the machine, the system and the drivers ------------------------------------------
// Room for at least 33 driver numbers.
DLL_EXPORT LONG WINAPI DnkConfigIsDriverExist(int32_t kind, int32_t* drivers);  // 25
DLL_EXPORT LONG DnkConfigGetMachine(void);                                      // 26
DLL_EXPORT LONG WINAPI DnkConfigSetMachine(int32_t machineType);                // 27
DLL_EXPORT LONG DnkConfigGetOsVersion(void);                                    // 43
DLL_EXPORT LONG WINAPI DnkConfigSetBoardCheckMode(int32_t mode);                // 45
DLL_EXPORT LONG WINAPI DnkConfigIsDriverStarted(const char* serviceName);      // 47
// Version texts hold at least 256 bytes.
DLL_EXPORT LONG WINAPI DnkConfigGetDnkVersion(int32_t kind, char* text);         // 38
DLL_EXPORT LONG WINAPI DnkConfigGetFileVersion(const char* path, char* text);    // 39
DLL_EXPORT LONG WINAPI DnkConfigGetFileTime(const char* path, uint16_t* year, uint16_t* month, uint16_t* day,
                                            uint16_t* hour, uint16_t* minute, uint16_t* second);  // 46

// ---- single registry values and the whole configuration --------------------------------
DLL_EXPORT LONG WINAPI DnkConfigWriteRegValue(int32_t kind, int32_t driver, int32_t group, int32_t board,
                                              int32_t valueType, const char* valueName, const char* text,
                                              int32_t value);  // 40
DLL_EXPORT LONG WINAPI DnkConfigReadRegValue(int32_t kind, int32_t driver, int32_t group, int32_t board,
                                             int32_t valueType, const char* valueName, char* text,
                                             int32_t* value);       // 41
DLL_EXPORT LONG WINAPI DnkConfigCreateConfigReg(int32_t mode);     // 42
DLL_EXPORT LONG WINAPI DnkConfigDeleteDnkReg(int32_t selector);    // 44

// ---- the configuration driver: resources, scans, module units ---------------------------
// Any list or count may be null; a null count sends 0. Counts are in/out:
// the room of the list going in, the entries written coming back.
DLL_EXPORT LONG WINAPI DnkConfigGetPciResource(int32_t vendorId, int32_t deviceId, int32_t boardId, int32_t* io,
                                               int32_t* ioCount, int32_t* irq, int32_t* irqCount, int32_t* memory,
                                               int32_t* memoryCount);  // 29
DLL_EXPORT LONG WINAPI DnkConfigGetPcmciaResource(const char* hardwareKey, int32_t* io, int32_t* ioCount,
                                                  int32_t* irq, int32_t* irqCount, int32_t* memory,
                                                  int32_t* memoryCount);  // 30
DLL_EXPORT LONG WINAPI DnkConfigLoadInfRegBoard(int32_t kind, void* list);  // 34
DLL_EXPORT LONG WINAPI DnkConfigGetPciVersion(int32_t vendorId, int32_t deviceId, int32_t revision,
                                              int32_t* version);  // 48
DLL_EXPORT LONG WINAPI DnkConfigGetIsaResource(const char* hardwareKey, int32_t* io, int32_t* ioCount, int32_t* irq,
                                               int32_t* irqCount, int32_t* memory, int32_t* memoryCount);  // 49
DLL_EXPORT LONG DnkConfigIsSB(void);                                                                        // 50
DLL_EXPORT LONG WINAPI DnkConfigGetFlnDevice(void* record);  // 51: 64 bytes
DLL_EXPORT LONG WINAPI DnkConfigGetPciResourceNT(int32_t vendorId, int32_t deviceId, int32_t boardId, int32_t* io,
                                                 int32_t* ioCount, int32_t* irq, int32_t* irqCount, int32_t* memory,
                                                 int32_t* memoryCount);  // 52
