// XanLoadConfig: a stored configuration applied to an open device through
// the library's own setters, in a fixed order; the first setter that fails
// ends the load with its status.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "config_items.h"
#include "device_record.h"
#include "export_frame.h"
#include "halvik.h"
#include "transport.h"

// Declared by the analog-input configuration exports.
DLL_EXPORT LONG WINAPI XanSetAiInputMethod(short Id, short AiInputMethod);
DLL_EXPORT LONG WINAPI XanSetAiRangeAll(short Id, short AiRange);
DLL_EXPORT LONG WINAPI XanSetAiRange(short Id, short AiChannel, short AiRange);
DLL_EXPORT LONG WINAPI XanSetAiTransferMode(short Id, short AiTransferMode);
DLL_EXPORT LONG WINAPI XanSetAiAttachedData(short Id, LONG AttachedData);
DLL_EXPORT LONG WINAPI XanSetAiMemorySize(short Id, LONG AiMemorySize);
DLL_EXPORT LONG WINAPI XanSetAiClockEdge(short Id, short AiClockEdge);
DLL_EXPORT LONG WINAPI XanSetAiStartLevelEx(short Id, short AiChannel, float AiStartLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStopLevelEx(short Id, short AiChannel, float AiStopLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStartInRangeEx(short Id, short AiChannel, float Level1, float Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStartOutRangeEx(short Id, short AiChannel, float Level1, float Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopInRangeEx(short Id, short AiChannel, float Level1, float Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopOutRangeEx(short Id, short AiChannel, float Level1, float Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiEventSamplingTimes(short Id, LONG AiSamplingTimes);
DLL_EXPORT LONG WINAPI XanSetAiEventTransferTimes(short Id, LONG AiTransferTimes);

namespace halvik {
namespace {

using config::child;
using config::current;
using config::entered;
using config::present;
using config::toFloat;
using config::toList;
using config::toLong;
using config::toShort;
using pugi::xml_node;

constexpr LONG kNoConfigFile = 10064;
constexpr LONG kNoRootElement = 10065;
constexpr LONG kOtherDevice = 10069;
constexpr LONG kPresetNumberOutOfRange = 15021;
// The schema the library's configuration files name in their root element.
constexpr std::string_view kSchemaEnd = "/dornell_halvik.xsd";
// A preset list is held in memory whole; sizes beyond this are refused.
constexpr int32_t kMostPresetEntries = 65536;

// ---- One item, one setter ------------------------------------------------------
using Apply = LONG (*)(short id, xml_node group, xml_node item);

template <LONG(WINAPI* Set)(short, short)>
LONG applyShort(short id, xml_node, xml_node item) {
  return Set(id, toShort(current(item)));
}
template <LONG(WINAPI* Set)(short, LONG)>
LONG applyLong(short id, xml_node, xml_node item) {
  return Set(id, toLong(current(item)));
}
template <LONG(WINAPI* Set)(short, float)>
LONG applyFloat(short id, xml_node, xml_node item) {
  return Set(id, toFloat(current(item)));
}
LONG applyNothing(short, xml_node, xml_node) { return 0; }

struct Step {
  const char* key;
  Apply apply;
};

// Walks the steps of a group in order; absent items are skipped.
LONG applySteps(short id, xml_node group, const Step* steps, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    xml_node item = child(group, steps[i].key);
    if (!present(item)) continue;
    if (LONG status = steps[i].apply(id, group, item); status != 0) return status;
  }
  return 0;
}

template <std::size_t N>
LONG applySteps(short id, xml_node group, const Step (&steps)[N]) {
  return applySteps(id, group, steps, N);
}

// Each "property" child in document order.
template <class Each>
LONG forEachProperty(xml_node list, Each each) {
  for (xml_node entry = list.child("property"); entry; entry = entry.next_sibling("property")) {
    if (LONG status = each(entry); status != 0) return status;
  }
  return 0;
}

// ---- Common --------------------------------------------------------------------
struct SignalName {
  const char* name;
  short signal;
};
constexpr SignalName kFilterSignals[] = {
    {"All Control Signals", -1}, {"Ai External Clock", 0},         {"Ai External Start Trigger", 1},
    {"Ai External Stop Trigger", 2}, {"Ao External Clock", 3},     {"Ao External Start Trigger", 4},
    {"Ao External Stop Trigger", 5},
};

LONG applyControlFilters(short id, xml_node, xml_node list) {
  short signal = -1;
  return forEachProperty(list, [&](xml_node entry) {
    // An entry of another name keeps the signal of the entry before it.
    for (const SignalName& s : kFilterSignals) {
      if (std::strcmp(config::key(entry), s.name) == 0) signal = s.signal;
    }
    return XanSetControlFilter(id, signal, toFloat(current(entry)));
  });
}

LONG applyEcuConnections(short id, xml_node, xml_node list) {
  return forEachProperty(list, [&](xml_node entry) -> LONG {
    xml_node source = child(entry, "Source");
    if (!present(source) || toShort(current(source)) == 0) return 0;
    return XanSetEcuSignal(id, toShort(current(entry)), toShort(current(source)));
  });
}

const Step kCommonSteps[] = {{"Digital Filter", applyControlFilters}, {"ECU Destination", applyEcuConnections}};

// ---- Analog input -------------------------------------------------------------------
LONG applyAiChannels(short id, xml_node group, xml_node item) {
  int32_t channels = toShort(current(item));
  xml_node added = child(group, "Add Channels");
  if (present(added) && std::strcmp(current(added), "-1") != 0) channels += toShort(current(added));
  return XanSetAiChannels(id, static_cast<short>(channels));
}

LONG applyAiSequence(short id, xml_node group, xml_node item) {
  xml_node channels = child(group, "Channels");
  int32_t count = present(channels) ? toShort(current(channels)) : 0;
  xml_node added = child(group, "Add Channels");
  if (present(channels) && present(added) && std::strcmp(current(added), "-1") != 0) {
    count += toShort(current(added));
  }
  if (count <= 0) return 0;
  const std::vector<int32_t> list = toList(current(item), static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (LONG status = XanSetAiChannelSequence(id, static_cast<short>(i), static_cast<short>(list[i])); status != 0) {
      return status;
    }
  }
  return 0;
}

LONG applyAiRanges(short id, xml_node, xml_node list) {
  return forEachProperty(list, [&](xml_node entry) {
    int channel = 0;
    std::sscanf(config::key(entry), "Channel %d", &channel);
    return XanSetAiRange(id, static_cast<short>(channel), toShort(current(entry)));
  });
}

// The level items of a trigger, by the trigger's value.
using LevelSet = LONG(WINAPI*)(short, short, float, short);
using RangeSet = LONG(WINAPI*)(short, short, float, float, LONG);

LONG applyLevel(short id, xml_node group, const char* key, LevelSet set) {
  xml_node item = child(group, key);
  if (!present(item)) return 0;
  return set(id, toShort(current(child(item, "Channel"))), toFloat(current(child(item, key))),
             toShort(current(child(item, "Direction"))));
}

LONG applyRange(short id, xml_node group, const char* key, RangeSet set) {
  xml_node item = child(group, key);
  if (!present(item)) return 0;
  return set(id, toShort(current(child(item, "Channel"))), toFloat(current(child(item, "High Level"))),
             toFloat(current(child(item, "Low Level"))), toLong(current(child(item, "State Times"))));
}

LONG applyAiStartTrigger(short id, xml_node group, xml_node item) {
  const short trigger = toShort(current(item));
  if (LONG status = XanSetAiStartTrigger(id, trigger); status != 0) return status;
  switch (trigger) {
    case 3: return applyLevel(id, group, "Start Level", XanSetAiStartLevelEx);
    case 4: return applyRange(id, group, "Start In Range", XanSetAiStartInRangeEx);
    case 5: return applyRange(id, group, "Start Out Range", XanSetAiStartOutRangeEx);
    default: return 0;
  }
}

LONG applyAiStopTrigger(short id, xml_node group, xml_node item) {
  const short trigger = toShort(current(item));
  if (LONG status = XanSetAiStopTrigger(id, trigger); status != 0) return status;
  switch (trigger) {
    case 3: return applyLevel(id, group, "Stop Level", XanSetAiStopLevelEx);
    case 5: return applyRange(id, group, "Stop In Range", XanSetAiStopInRangeEx);
    case 6: return applyRange(id, group, "Stop Out Range", XanSetAiStopOutRangeEx);
    default: return 0;
  }
}

const Step kAiSteps[] = {
    {"Input Method", applyShort<XanSetAiInputMethod>},
    {"Channels", applyAiChannels},
    {"Channel Sequence", applyAiSequence},
    {"Channel", applyNothing},
    {"Range All", applyShort<XanSetAiRangeAll>},
    {"Range", applyAiRanges},
    {"Transfer Mode", applyShort<XanSetAiTransferMode>},
    {"Attached Data", applyLong<XanSetAiAttachedData>},
    {"Memory Type", applyShort<XanSetAiMemoryType>},
    {"Memory Size", applyLong<XanSetAiMemorySize>},
    {"Repeat Times", applyLong<XanSetAiRepeatTimes>},
    {"Clock Type", applyShort<XanSetAiClockType>},
    {"Sampling Clock", applyFloat<XanSetAiSamplingClock>},
    {"Scan Clock", applyFloat<XanSetAiScanClock>},
    {"Clock Edge", applyShort<XanSetAiClockEdge>},
    {"Start Trigger", applyAiStartTrigger},
    {"Stop Trigger", applyAiStopTrigger},
    {"Specified Sampling Times", applyLong<XanSetAiStopTimes>},
    {"Stop Delay Times", applyLong<XanSetAiStopDelayTimes>},
    {"Event Sampling Times", applyLong<XanSetAiEventSamplingTimes>},
    {"Event Transfer Times", applyLong<XanSetAiEventTransferTimes>},
};

// ---- Analog output ------------------------------------------------------------------
LONG applyAoRanges(short id, xml_node, xml_node list) {
  return forEachProperty(list, [&](xml_node entry) {
    return XanSetAoRange(id, toShort(config::key(entry)), toShort(current(entry)));
  });
}

// The channel count goes with the transfer mode.
LONG applyAoTransferMode(short id, xml_node group, xml_node item) {
  if (LONG status = XanSetAoTransferMode(id, toShort(current(item))); status != 0) return status;
  xml_node channels = child(group, "Channels");
  return present(channels) ? XanSetAoChannels(id, toShort(current(channels))) : 0;
}

const Step kAoSteps[] = {
    {"Range All", applyShort<XanSetAoRangeAll>},
    {"Range", applyAoRanges},
    {"Transfer Mode", applyAoTransferMode},
    {"Memory Type", applyShort<XanSetAoMemoryType>},
    {"Repeat Times", applyLong<XanSetAoRepeatTimes>},
    {"Clock Type", applyShort<XanSetAoClockType>},
    {"Sampling Clock", applyFloat<XanSetAoSamplingClock>},
    {"Clock Edge", applyShort<XanSetAoClockEdge>},
    {"Sampling Data", applyNothing},
    {"Start Trigger", applyShort<XanSetAoStartTrigger>},
    {"Stop Trigger", applyShort<XanSetAoStopTrigger>},
    {"Event Sampling Times", applyLong<XanSetAoEventSamplingTimes>},
    {"Event Transfer Times", applyLong<XanSetAoEventTransferTimes>},
};

// ---- Digital input and counters ------------------------------------------------------
LONG applyDiFilter(short id, xml_node, xml_node item) {
  return XanSetDiFilter(id, toShort(current(child(item, "Bit"))), toFloat(current(child(item, "Value"))));
}
const Step kDiSteps[] = {{"Digital Filter", applyDiFilter}};

LONG applyCounter(short id, short channel, xml_node group) {
  if (xml_node item = child(group, "Digital Filter"); present(item)) {
    if (LONG status = XanSetCntFilter(id, -1, -1, toFloat(current(item))); status != 0) return status;
  }
  if (xml_node item = child(child(group, "Count Match Hard Event"), "Reg0 Event Type"); present(item)) {
    if (LONG status = XanSetCntComparisonMode(id, channel, toShort(current(item))); status != 0) return status;
  }
  if (xml_node item = child(group, "Input Signal"); present(item)) {
    if (LONG status = XanSetCntInputSignal(id, channel, toShort(current(item))); status != 0) return status;
  }
  if (xml_node item = child(group, "Preset Register"); present(item)) {
    xml_node size = child(item, "Size");
    xml_node repeat = child(item, "Repeat Flag");
    const int32_t entries = present(size) ? toLong(current(size)) : 1;
    const short flag = present(repeat) ? toShort(current(repeat)) : 0;
    if (entries > kMostPresetEntries) return kPresetNumberOutOfRange;
    const std::vector<int32_t> list = toList(current(item), entries > 0 ? static_cast<std::size_t>(entries) : 0);
    static_assert(sizeof(LONG) == sizeof(int32_t));
    const LONG* data = list.empty() ? nullptr : reinterpret_cast<const LONG*>(list.data());
    static const LONG kNoEntries = 0;
    if (LONG status = XanSetCntPresetReg(id, channel, entries, data != nullptr ? data : &kNoEntries, flag);
        status != 0) {
      return status;
    }
  }
  return 0;
}

LONG applyCounters(short id, xml_node counters) {
  const char* kChannels[] = {"Channel 0", "Channel 1"};
  for (short channel = 0; channel < 2; ++channel) {
    xml_node group = child(counters, kChannels[channel]);
    if (!entered(group)) continue;
    if (LONG status = applyCounter(id, channel, group); status != 0) return status;
  }
  return 0;
}

LONG applyDocument(short id, const DeviceRecord& record, xml_node root) {
  xml_node device = child(root, "Device");
  if (!present(device) || std::strcmp(current(device), record.ModelName) != 0) return kOtherDevice;
  struct Group {
    const char* key;
    const Step* steps;
    std::size_t count;
  };
  const Group kGroups[] = {
      {"Common", kCommonSteps, std::size(kCommonSteps)},
      {"Ai", kAiSteps, std::size(kAiSteps)},
      {"Ao", kAoSteps, std::size(kAoSteps)},
      {"Di", kDiSteps, std::size(kDiSteps)},
  };
  for (const Group& g : kGroups) {
    xml_node group = child(device, g.key);
    if (!entered(group)) continue;
    if (LONG status = applySteps(id, group, g.steps, g.count); status != 0) return status;
  }
  xml_node counters = child(device, "Cnt");
  return entered(counters) ? applyCounters(id, counters) : 0;
}

bool namesTheSchema(xml_node root) {
  const std::string_view uri = root.first_attribute().value();
  return uri.size() >= kSchemaEnd.size() && uri.substr(uri.size() - kSchemaEnd.size()) == kSchemaEnd;
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanLoadConfig(short Id, const char* FileName) {
  uint16_t index = 0;
  if (FindDeviceById(Id, &index) == 0) return kStatusNoDevice;
  if (LONG status = CheckMultiProcess(index); status != 0) return status;
  if (FileName == nullptr) return kNoConfigFile;
  // The file is read and parsed whole before anything is applied, so a
  // malformed file changes nothing.
  pugi::xml_document document;
  HANDLE file = CreateFileA(FileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kNoConfigFile;
  std::string text(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  const BOOL read = ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(file);
  if (!read || got != text.size()) return kNoConfigFile;
  if (!document.load_buffer(text.data(), text.size())) return kNoConfigFile;
  xml_node root = document.document_element();
  if (!root || !namesTheSchema(root)) return kNoRootElement;
  return applyDocument(Id, DeviceTable()[index], root);
}

DLL_EXPORT LONG WINAPI XanSaveConfig(short, const char*) { return 0; }
