// Start-up's pieces: the service key's values, the board search, the
// channel counts by board type, and the resource report.
#pragma once
#include <morvel_requests.h>

#include <string>

#include "board_record.h"

namespace morvel00 {

struct BoardConfig {
  ULONG ioAddress = 0;
  ULONG boardType = 0;
  ULONG boardConfig = 0;
  ULONG boardId = 0;
  ULONG deviceId = 0;
  char boardName[52] = {};
};

struct GroupConfig {
  ULONG boardNum = 0;  // bounded to kMaxBoards
  ULONG irqNo = kNoLine;
  BoardConfig boards[kMaxBoards];
};

struct ServiceConfig {
  ULONG machineType = 0;
  ULONG groupNum = 0;  // bounded to kMaxGroups
  GroupConfig groups[kMaxGroups];
};

// Reads the service key and its GroupNumber<k>\BoardNumber<b> keys. Every
// variable is reset before its query, so a missing value never inherits the
// previous group's or board's. STATUS_INSUFFICIENT_RESOURCES when memory for
// a path cannot be had.
NTSTATUS ReadServiceConfig(PCUNICODE_STRING servicePath, ServiceConfig& out);

// The two digits that end the service name ("...\Morvel20" -> 20); 20 when
// the name does not end in two digits.
unsigned DeviceIndexFromPath(PCUNICODE_STRING servicePath);

struct PciMatch {
  ULONG ioBase = 0;
  ULONG line = kNoLine;
  ULONG bus = 0;
};
// 0 for exactly one match, 768 none found, 16 no function with the board
// identifier, 17 several matches (the last one's values are kept).
int16_t DnkitPCIBoardSerch(uint16_t vendorId, uint16_t deviceId, uint8_t boardId, PciMatch& match);

struct ChannelCounts {
  uint16_t input = 0;
  uint16_t output = 0;
  uint32_t memorySamples = 0;
  bool keepConfig = false;  // types 55 and 56
  bool needsConfigBit = false;  // read command 36 first
};
// The counts of a board type; `configBit` is bit 1 of the board's
// configuration byte (only looked at where needsConfigBit says so).
ChannelCounts ChannelsFor(uint32_t boardType, uint32_t config, bool configBit);

// Reports one board's ports (and the line, when given) for conflict
// detection; true when the report found a conflict. A model not in the
// model table is not reported.
bool GpdRegistDevice(const char* model, uint16_t ioBase, const ULONG* lines, unsigned lineCount, ULONG bus,
                     PDRIVER_OBJECT driver);

}  // namespace morvel00
