// The board type codes, in their groups: the one place besides a back end's
// own folder that knows them. SelectBoard resolves a code into its row here
// and its group's back end (backends/registry.cpp).
//
// One row per accepted code. A code without a row belongs to no group and
// does nothing in any call.
#pragma once
#include <array>
#include <cstdint>

namespace vekmath {

enum class BoardGroup {
  None,          // code of no group
  Simulated,     // generated test signals
  OlderVendorA,  // older vendor A library, by export ordinal
  VendorB,       // vendor B library
  Wdm,           // vendor A WDM library
  NiDaqmx,
  SerialA,  // 460,800 baud unit
  SerialB,  // 115,200 baud unit
  NoBackEnd,  // accepted, nothing is opened, the thread fetches nothing
};

// How a 16-bit raw value from NI-DAQmx becomes a ring sample.
enum class RawRule {
  None,
  Shift4,       // r >> 4
  Shift4Clip,   // (r >> 4) + 63, then into 0..2047 above 2048
  Shift2,       // r >> 2
  Shift2Clip,   // (r >> 2) + 63, then into 0..8191 above 8192
  Add32768,
  Add8192,
};

inline constexpr int32_t kNotSet = INT32_MIN;

// Terminal configurations of the NI voltage channels.
inline constexpr int32_t kTermDefault = -1;
inline constexpr int32_t kTermRse = 10083;
inline constexpr int32_t kTermNrse = 10078;

struct BoardTypeInfo {
  int32_t code;
  BoardGroup group;
  bool setsBackEndFlag;
  // kNotSet: this code leaves the zero offset or resolution as it was.
  // Vendor B derives its zero from the device's resolution when it opens.
  int32_t zeroOffset;
  int32_t bits;
  int32_t terminal;  // NI only
  RawRule rule;      // NI only
  int32_t rangeCode;  // vendor B only: range given for every channel
  double fullScaleVolts;  // vendor B only: turns a trigger level into volts
  bool busMaster;         // vendor B only: the bus-master road
};

namespace detail {
using G = BoardGroup;
using R = RawRule;
constexpr BoardTypeInfo plain(int32_t code, G group, bool flag, int32_t zero, int32_t bits = kNotSet) {
  return {code, group, flag, zero, bits, kTermDefault, R::None, 0, 0.0, false};
}
constexpr BoardTypeInfo ni(int32_t code, int32_t zero, int32_t bits, int32_t terminal, R rule) {
  return {code, G::NiDaqmx, true, zero, bits, terminal, rule, 0, 0.0, false};
}
constexpr BoardTypeInfo vendorB(int32_t code, int32_t range, double fullScale, bool busMaster = false) {
  return {code, G::VendorB, true, kNotSet, kNotSet, kTermDefault, R::None, range, fullScale, busMaster};
}
}  // namespace detail

inline constexpr std::array kBoardTypes{
    detail::plain(-1, BoardGroup::Simulated, false, 32768, 16),
    detail::plain(0, BoardGroup::OlderVendorA, true, 2048),
    detail::plain(3, BoardGroup::OlderVendorA, true, 32768),
    detail::vendorB(5, 0x20000, 2.5),
    detail::vendorB(6, 0x80000, 10.0, true),
    detail::vendorB(8, 0x40000, 5.0),
    detail::vendorB(9, 0x80000, 10.0),
    // 7 is a WDM board that deliberately leaves the back-end flag alone.
    detail::plain(7, BoardGroup::Wdm, false, 32768),
    detail::plain(10, BoardGroup::Wdm, true, 32768),
    detail::plain(11, BoardGroup::Wdm, true, 32768),
    detail::plain(19, BoardGroup::Wdm, true, 32768),
    detail::plain(20, BoardGroup::Wdm, true, 32768),
    detail::plain(21, BoardGroup::Wdm, true, 32768),
    detail::plain(22, BoardGroup::Wdm, true, 32768),
    detail::ni(12, 2048, 12, kTermDefault, RawRule::Shift4),
    detail::ni(13, 1024, 12, kTermRse, RawRule::Shift4Clip),
    detail::ni(14, 8192, 14, kTermDefault, RawRule::Shift2),
    detail::ni(15, 4096, 13, kTermRse, RawRule::Shift2Clip),
    detail::ni(17, 32768, 16, kTermDefault, RawRule::Add32768),
    detail::ni(29, 32768, 16, kTermDefault, RawRule::Add32768),
    detail::ni(18, 32768, 16, kTermNrse, RawRule::Add32768),
    detail::ni(30, 32768, 16, kTermNrse, RawRule::Add32768),
    detail::ni(23, 32768, 16, kTermDefault, RawRule::Add32768),
    detail::ni(24, 32768, 16, kTermRse, RawRule::Add32768),
    detail::ni(26, 8192, 14, kTermDefault, RawRule::Add8192),
    detail::ni(27, 8192, 14, kTermRse, RawRule::Add8192),
    // Unit A sends signed values: its zero is 0, set explicitly so that a
    // zero left by an earlier board does not shift every sample.
    detail::plain(32, BoardGroup::SerialA, false, 0, 13),
    detail::plain(33, BoardGroup::SerialA, false, 0, 13),
    detail::plain(34, BoardGroup::SerialB, false, 2048, 12),
    detail::plain(1, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(2, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(4, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(16, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(25, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(28, BoardGroup::NoBackEnd, false, kNotSet),
    detail::plain(31, BoardGroup::NoBackEnd, false, kNotSet),
};

// The row of a code, or nullptr for a code of no group.
constexpr const BoardTypeInfo* boardInfo(int32_t code) {
  for (const BoardTypeInfo& info : kBoardTypes) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

constexpr BoardGroup groupOf(int32_t code) {
  const BoardTypeInfo* info = boardInfo(code);
  return info ? info->group : BoardGroup::None;
}

// Applies a rule to one raw value (its 16-bit pattern).
constexpr uint16_t applyRawRule(RawRule rule, uint16_t r) {
  switch (rule) {
    case RawRule::Shift4:
      return static_cast<uint16_t>(r >> 4);
    case RawRule::Shift4Clip: {
      int v = (r >> 4) + 63;
      return static_cast<uint16_t>(v < 2048 ? 0 : v < 4096 ? v - 2048 : 2047);
    }
    case RawRule::Shift2:
      return static_cast<uint16_t>(r >> 2);
    case RawRule::Shift2Clip: {
      int v = (r >> 2) + 63;
      return static_cast<uint16_t>(v < 8192 ? 0 : v < 16384 ? v - 8192 : 8191);
    }
    case RawRule::Add32768:
      return static_cast<uint16_t>(r + 32768u);
    case RawRule::Add8192:
      return static_cast<uint16_t>(r + 8192u);
    case RawRule::None:
      break;
  }
  return r;
}

// The ring sample for raw value r of an NI-DAQmx board type; other codes
// keep r as it is.
constexpr uint16_t niRawToRing(int32_t code, uint16_t r) {
  const BoardTypeInfo* info = boardInfo(code);
  return applyRawRule(info ? info->rule : RawRule::None, r);
}

}  // namespace vekmath
