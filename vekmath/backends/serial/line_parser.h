// The serial units' text lines ("v1,...,vn" and CR LF) into scans: the
// receive buffer that ReadFile fills, and the split of each whole line.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace vekmath {

class LineParser {
 public:
  static constexpr std::size_t kReceiveBytes = 10000;
  // The longest line kept is one byte shorter: the line buffer ends in a
  // terminator.
  static constexpr std::size_t kLineBytes = 1024;

  void clear();

  // Where the next read lands and how much fits there.
  char* space() { return buffer_ + fill_; }
  std::size_t spaceBytes() const { return kReceiveBytes - fill_; }
  // Takes n bytes just written at space().
  void added(std::size_t n);

  // Whole lines into scans at dest, each line its own scan of `channels`
  // values, at most maxScans of them; lines beyond that wait in the buffer.
  // A line with another number of values, or too long for the line buffer,
  // is dropped and counted, so that no later line moves out of its slot.
  int32_t takeScans(uint16_t* dest, int32_t channels, int32_t maxScans);

  // Lines dropped since the last clear.
  int64_t droppedLines() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  // Splits a line into values; false when their count is not `channels`.
  bool splitLine(const char* text, std::size_t length, int32_t channels, uint16_t* scan);
  void removeFront(std::size_t n);

  char buffer_[kReceiveBytes] = {};
  std::size_t fill_ = 0;
  char line_[kLineBytes] = {};
  // The head of an overlong line was dropped: its tail up to the next line
  // end goes too, uncounted.
  bool skippingTail_ = false;
  // Read by callers while the acquisition thread counts.
  std::atomic<int64_t> dropped_{0};
};

}  // namespace vekmath
