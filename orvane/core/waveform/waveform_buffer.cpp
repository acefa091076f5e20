// The buffer, its settings and the block copies.
#include <algorithm>
#include <cstring>

#include "core/utility.h"
#include "core/waveform/wave_bounds.h"
#include "core/waveform/waveform.h"

namespace orvane::core {

using wave::CheckedSum;
using wave::CheckIndex;
using wave::SubscriptError;

namespace {

constexpr const char* kAppendSourceShort =
    "sngWaveのサイズが、lAddPoint で指定されたサイズを下回るサイズしか確保されていません。";
constexpr const char* kAppendBufferShort =
    "samplesのサイズが、lAddPoint + lAddNum で指定されたサイズを下回るサイズしか確保されていません。";
constexpr const char* kWriteSourceShort =
    "sngWaveのサイズが、numberで指定されたサイズを下回るサイズしか確保されていません。";
constexpr const char* kWriteBufferShort =
    "samplesのサイズが、start + numberで指定されたサイズを下回るサイズしか確保されていません。";
constexpr const char* kGetDestinationShort =
    "sngWaveのサイズが、lGetPointで指定されたサイズを下回るサイズしか確保されていません。";
constexpr const char* kGetBufferShort =
    "samplesのサイズが、lGetPoint + lGetNumで指定されたサイズを下回るサイズしか確保されていません。";

int32_t SizeOf(const std::vector<float>& v) { return WaveForm::SafeUBound(v) + 1; }

// How many of n samples from position fit into a buffer of capacity; never
// negative, so a position past the buffer moves nothing.
int32_t Fitting(int32_t capacity, int32_t position, int32_t n) {
  if (n <= 0) return 0;
  if (static_cast<int64_t>(position) + n > capacity) n = static_cast<int32_t>(std::max<int64_t>(0, int64_t{capacity} - position));
  return n;
}

// One memory move of n floats; a negative position is a subscript error even
// when nothing is moved, as the address of that element is taken.
void Move(float* dst, const float* src, int32_t n) {
  if (n > 0) std::memmove(dst, src, sizeof(float) * static_cast<size_t>(n));
}

}  // namespace

int32_t WaveForm::SafeUBound(const std::vector<float>& array, int16_t dimension) {
  return core::SafeUBound(array, dimension);
}

int32_t WaveForm::Capacity() const { return SizeOf(samples_); }

float WaveForm::Sample(int32_t lPos) const {
  if (!IsAllocated() || lPos > Capacity() - 1) return 0.0f;
  CheckIndex(lPos, Capacity());
  return samples_[static_cast<size_t>(lPos)];
}

void WaveForm::SetSample(int32_t lPos, float value) {
  CheckIndex(lPos, Capacity());
  samples_[static_cast<size_t>(lPos)] = value;
}

void WaveForm::Allocate(int32_t lSize) {
  if (lSize == 0) lSize = kDefaultWaveSize;
  if (lSize < 0) SubscriptError();
  samples_.assign(static_cast<size_t>(lSize), 0.0f);
  count_ = 0;
  displayWidth_ = lSize;
}

void WaveForm::AllocateEx(int32_t lSize) {
  if (lSize == 0) lSize = kDefaultWaveSize;
  if (lSize < 0) SubscriptError();
  samples_.resize(static_cast<size_t>(lSize), 0.0f);
  count_ = lSize;
}

void WaveForm::Clear() {
  samples_.clear();
  samples_.shrink_to_fit();
  count_ = 0;
}

void WaveForm::SetSamples(const std::vector<float>& sngWave) { samples_ = sngWave; }

void WaveForm::SetLaneCount(int32_t n) {
  laneCount_ = n;
  if (n == 0) return;
  const float share = static_cast<float>(1.0 / n);
  laneTop_ = static_cast<float>(static_cast<double>(share) * (static_cast<double>(laneIndex_) + 1));
  laneBottom_ = static_cast<float>(static_cast<double>(share) * laneIndex_);
}

void WaveForm::AppendSamples(const std::vector<float>& sngWave, int32_t lBlockNo, int32_t lBlocks,
                             int32_t lAddNum) {
  if (lBlocks == 0) throw std::domain_error("Division by zero");
  const int32_t lAddPoint = wave::CheckedProduct(lAddNum, lBlockNo % lBlocks);
  if (SafeUBound(sngWave) < static_cast<int64_t>(lAddNum) - 1) throw WaveCheckError(kAppendSourceShort);
  if (SafeUBound(samples_) < static_cast<int64_t>(CheckedSum(lAddPoint, lAddNum)) - 1)
    throw WaveCheckError(kAppendBufferShort);
  CheckIndex(lAddPoint, Capacity());
  Move(samples_.data() + lAddPoint, sngWave.data(), lAddNum);
}

void WaveForm::PutSamples(const std::vector<float>& sngWave, int32_t lAddPoint, int32_t lAddNum) {
  const int32_t end = CheckedSum(lAddPoint, lAddNum);
  if (ChecksOn()) {
    if (SafeUBound(sngWave) < static_cast<int64_t>(lAddNum) - 1) throw WaveCheckError(kAppendSourceShort);
    if (SafeUBound(samples_) < static_cast<int64_t>(end) - 1) throw WaveCheckError(kAppendBufferShort);
  }
  if (lAddPoint < 0) SubscriptError();
  const int32_t n = Fitting(Capacity(), lAddPoint, lAddNum);
  if (n > SizeOf(sngWave)) SubscriptError();
  if (n > 0) {
    Move(samples_.data() + lAddPoint, sngWave.data(), n);
    count_ = std::min(Capacity(), CheckedSum(count_, n));
  }
  if (ChecksOn()) CheckInvalidNumbers();
}

void WaveForm::WriteSamples(const std::vector<float>& sngWave, int32_t& start, int32_t& number) {
  const int32_t end = CheckedSum(start, number);
  if (ChecksOn()) {
    if (SafeUBound(sngWave) < static_cast<int64_t>(number) - 1) throw WaveCheckError(kWriteSourceShort);
    if (SafeUBound(samples_) < static_cast<int64_t>(end) - 1) throw WaveCheckError(kWriteBufferShort);
  }
  if (start < 0) SubscriptError();
  if (Capacity() < end) number = Fitting(Capacity(), start, number);
  if (number > SizeOf(sngWave)) SubscriptError();
  if (number <= 0) return;
  Move(samples_.data() + start, sngWave.data(), number);
  if (count_ == 0) count_ = start + number;
  if (ChecksOn()) CheckInvalidNumbers();
}

void WaveForm::GetSamples(std::vector<float>& sngWave, int32_t lGetPoint, int32_t& lGetNum) const {
  const int32_t end = CheckedSum(lGetPoint, lGetNum);
  if (ChecksOn()) {
    if (SafeUBound(sngWave) < static_cast<int64_t>(lGetNum) - 1) throw WaveCheckError(kGetDestinationShort);
    if (SafeUBound(samples_) < static_cast<int64_t>(end) - 1) throw WaveCheckError(kGetBufferShort);
  }
  if (lGetPoint < 0) SubscriptError();
  if (Capacity() < end) lGetNum = Fitting(Capacity(), lGetPoint, lGetNum);
  if (lGetNum > SizeOf(sngWave)) SubscriptError();
  if (lGetNum > 0) Move(sngWave.data(), samples_.data() + lGetPoint, lGetNum);
}

void WaveForm::Concatenate(const std::vector<float>& sngWave, std::vector<float>& second,
                           std::vector<float>& output) {
  if (second.empty()) second = sngWave;
  std::vector<float> joined;
  joined.reserve(second.size() + sngWave.size());
  joined.insert(joined.end(), second.begin(), second.end());
  joined.insert(joined.end(), sngWave.begin(), sngWave.end());
  output = std::move(joined);
}

// The lane index goes in before the lane count, so that the copy's lane
// fractions are those of this wave's lane and not of the copy's old one.
void WaveForm::CopyTo(WaveForm& other) const {
  other.SetSamples(samples_);
  other.SetCount(count_);
  other.SetPenColour(penColour_);
  other.SetDrawEnabled(drawEnabled_);
  other.SetSingleLane(singleLane_);
  other.SetDisplayStart(displayStart_);
  other.SetDisplayEnd(displayEnd_);
  other.SetLaneIndex(laneIndex_);
  other.SetLaneCount(laneCount_);
  other.SetTitle(title_);
  other.SetRangeUpper(rangeUpper_);
  other.SetRangeLower(rangeLower_);
  other.SetDisplayWidth(displayWidth_);
  other.SetMarginBelow(marginBelow_);
  other.SetMarginAbove(marginAbove_);
  other.SetPicture(picture_);
}

void WaveForm::BandFilter(int32_t, float, float, bool, int32_t) {}

}  // namespace orvane::core
