// What the library asks of the computer it runs on: the Windows
// generation, the machine type, installed drivers and their versions, and
// the dates and version texts of files.
#pragma once
#include <cstdint>

namespace tarnix {

// `OsGeneration`
inline constexpr uint32_t kOsWin9x = 1;
inline constexpr uint32_t kOsNt4 = 0x100000;
inline constexpr uint32_t kOsNt5 = 0x1000000;
// Code that branches on the generation treats 0x10000 like NT 4.
constexpr bool IsWin9x(uint32_t generation) { return generation < 0x10000; }

uint32_t GetOsGeneration();
// 0 AT compatible, 1 NEC PC-9800; cached, persisted under SOFTWARE\DORNELL\TARNIX.
int32_t GetMachineType();
// The argument when neither 0 nor 1, else the registry writer's result.
int32_t SetMachineType(int32_t type);
// major x 100 + minor of the kind's first installed driver file, 0 for none.
uint32_t GetDriverVersion(int32_t kind);
// 0 ok, 1 no path or the file does not open; every out may be null.
int32_t GetFileDateTime(const char* path, uint16_t* year, uint16_t* month, uint16_t* day, uint16_t* hour,
                        uint16_t* minute, uint16_t* second);
// 0 ok, 1 no version resource; text holds at least 256 bytes.
int32_t GetProductVersionText(const char* path, char* text);
// The installed drivers of the kind into drivers (room for 33; may be
// null); their count.
int32_t ListInstalledDrivers(int32_t kind, int32_t* drivers);

}  // namespace tarnix
