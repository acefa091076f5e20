// The board models the simulated driver knows, and what it reports of each.
#pragma once
#include <cstdint>

namespace skorradev {

struct BoardModel {
  uint32_t model;          // model number, also the PCI subsystem id
  uint32_t pciDeviceId;
  uint16_t variant;        // the variant word of the more-information reply
  uint32_t resolution;     // converter bits
  uint32_t singleChannels;
  uint32_t diffChannels;
  uint32_t rangeMask;
  uint32_t modeMask;
  uint32_t triggerInputs;
  uint32_t clockType;
  uint32_t periodOneNs;    // one channel
  uint32_t periodScanNs;   // per channel when scanning
  uint32_t periodMode2Ns;  // per channel in mode 2
  uint32_t clockKind;
  bool lowVoltage;         // the low-voltage request family
  bool directRead;         // the 4-byte direct read
};

// The model of that number, or nullptr.
const BoardModel* findModel(uint32_t model);
const BoardModel& defaultModel();

// Bytes one sample takes for a converter of that many bits.
inline uint32_t sampleWidth(uint32_t bits) { return bits <= 8 ? 1u : bits <= 23 ? 2u : 4u; }

}  // namespace skorradev
