// One recorded signal of the monitor: a growable buffer of single-precision
// samples with the settings that place it on a picture box (value range,
// lane, colour, margins, displayed window), its block copies, analysis and
// filters, drawing, and its two wave-file formats.
//
// The buffer and analysis members live in the core library; the drawing
// members are defined beside the picture box (they need its widget), so a
// program that draws links the forms library as well.
//
// Errors: the class's own checks throw WaveCheckError (number 30000); a
// position outside the buffer throws std::out_of_range, a position plus a
// count beyond 32 bits std::overflow_error. Arguments taken by non-const
// reference are written back when the operation clamps them.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane::forms {
class PictureBox;
}

namespace orvane::core {

inline constexpr int kWaveCheckFailed = 30000;

// The class's own failure: number 30000 and its message as the description.
class WaveCheckError : public std::runtime_error {
 public:
  explicit WaveCheckError(const std::string& description) : std::runtime_error(description) {}
  int Number() const noexcept { return kWaveCheckFailed; }
};

// The size Allocate and AllocateEx take for a size of 0, and the chunk of
// the wave files.
inline constexpr int32_t kDefaultWaveSize = 300000;
// Entries of the position arrays of the last DrawDetections (0 ... 10000).
inline constexpr int32_t kDetectionSlots = 10001;
// An hDC argument of -1: take the picture's own device context.
inline constexpr int32_t kOwnDC = -1;
// The 48 bytes at the offset of a binary wave file.
inline constexpr char kWaveBinaryBanner[] = "----------------START WAVE DATA ----------------";

class WaveForm {
 public:
  WaveForm() = default;
  WaveForm(const WaveForm&) = default;
  WaveForm& operator=(const WaveForm&) = default;

  // ---- buffer and settings ---------------------------------------------
  // "1" turns on the extra checks: sizes before block copies, the
  // invalid-number scan after PutSamples and WriteSamples and before
  // detections. Empty (off) by default.
  const std::string& WaveCheckSwitch() const { return waveCheckSwitch_; }
  void SetWaveCheckSwitch(const std::string& value) { waveCheckSwitch_ = value; }

  // Upper bound of the array's first dimension (-1 or 1), -1 when the
  // array is empty or another dimension is asked for.
  static int32_t SafeUBound(const std::vector<float>& array, int16_t dimension = -1);

  int32_t Capacity() const;
  bool IsAllocated() const { return !samples_.empty(); }
  // 0 beyond the buffer; a negative position throws std::out_of_range.
  float Sample(int32_t lPos) const;
  void SetSample(int32_t lPos, float value);
  // lSize 0 means kDefaultWaveSize. Allocate: a fresh zeroed buffer,
  // Count 0, DisplayWidth lSize. AllocateEx: keeps the samples, Count lSize.
  void Allocate(int32_t lSize);
  void AllocateEx(int32_t lSize);
  void Clear();
  // The buffer becomes a copy of the array; Count is left alone.
  void SetSamples(const std::vector<float>& sngWave);
  const std::vector<float>& Samples() const { return samples_; }

  // Block copies.
  void AppendSamples(const std::vector<float>& sngWave, int32_t lBlockNo, int32_t lBlocks, int32_t lAddNum);
  void PutSamples(const std::vector<float>& sngWave, int32_t lAddPoint, int32_t lAddNum);
  void WriteSamples(const std::vector<float>& sngWave, int32_t& start, int32_t& number);
  void GetSamples(std::vector<float>& sngWave, int32_t lGetPoint, int32_t& lGetNum) const;
  // output := second followed by sngWave; an empty second first becomes a
  // copy of sngWave.
  static void Concatenate(const std::vector<float>& sngWave, std::vector<float>& second,
                          std::vector<float>& output);
  void CopyTo(WaveForm& other) const;
  // Kept for callers that pass a band filter; does nothing.
  void BandFilter(int32_t lSampleFreq, float sngHFF, float sngLFF, bool bHam, int32_t order);

  // Simple properties.
  int32_t RangeMode() const { return rangeMode_; }
  void SetRangeMode(int32_t v) { rangeMode_ = v; }
  float LaneTop() const { return laneTop_; }
  void SetLaneTop(float v) { laneTop_ = v; }
  float LaneBottom() const { return laneBottom_; }
  void SetLaneBottom(float v) { laneBottom_ = v; }
  float OffsetY() const { return offsetY_; }
  void SetOffsetY(float v) { offsetY_ = v; }
  void SetOffsetYRatio(float v) { offsetYRatio_ = v; }
  float MarginBelow() const { return marginBelow_; }
  void SetMarginBelow(float v) { marginBelow_ = v; }
  float MarginAbove() const { return marginAbove_; }
  void SetMarginAbove(float v) { marginAbove_ = v; }
  int32_t Count() const { return count_; }
  void SetCount(int32_t v) { count_ = v; }
  int32_t LaneCount() const { return laneCount_; }
  // Non-zero n also sets LaneTop and LaneBottom from LaneIndex.
  void SetLaneCount(int32_t n);
  int32_t LaneIndex() const { return laneIndex_; }
  void SetLaneIndex(int32_t v) { laneIndex_ = v; }
  int32_t DisplayStart() const { return displayStart_; }
  void SetDisplayStart(int32_t v) { displayStart_ = v; }
  int32_t DisplayEnd() const { return displayEnd_; }
  void SetDisplayEnd(int32_t v) { displayEnd_ = v; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& v) { title_ = v; }
  int32_t DrawEnabled() const { return drawEnabled_; }
  void SetDrawEnabled(int32_t v) { drawEnabled_ = v; }
  int32_t SingleLane() const { return singleLane_; }
  void SetSingleLane(int32_t v) { singleLane_ = v; }
  float RangeUpper() const { return rangeUpper_; }
  void SetRangeUpper(float v) { rangeUpper_ = v; }
  float RangeLower() const { return rangeLower_; }
  void SetRangeLower(float v) { rangeLower_ = v; }
  int32_t PenColour() const { return penColour_; }
  void SetPenColour(int32_t v) { penColour_ = v; }
  int32_t PenStyle() const { return penStyle_; }
  void SetPenStyle(int32_t v) { penStyle_ = v; }
  int32_t Tag() const { return tag_; }
  void SetTag(int32_t v) { tag_ = v; }
  forms::PictureBox* Picture() const { return picture_; }
  void SetPicture(forms::PictureBox* v) { picture_ = v; }
  int32_t DisplayWidth() const { return displayWidth_; }
  void SetDisplayWidth(int32_t v) { displayWidth_ = v; }
  // Plot margins in pixels of the last full draw.
  int32_t MgL() const { return mgL_; }
  int32_t MgR() const { return mgR_; }
  int32_t MgT() const { return mgT_; }
  int32_t MgB() const { return mgB_; }
  // Results of the last DrawDetections.
  int32_t PeakCount() const { return peakCount_; }
  int32_t ValleyCount() const { return valleyCount_; }
  const std::array<float, kDetectionSlots>& PeakPositions() const { return peakPositions_; }
  const std::array<float, kDetectionSlots>& ValleyPositions() const { return valleyPositions_; }

  // ---- analysis and arithmetic ------------------------------------------
  // In place on lStart ... lStart + lWidth - 1.
  void MulConst(float sngMul, int32_t lStart, int32_t lWidth);
  void DivConst(float sngDiv, int32_t lStart, int32_t lWidth);
  void SubConst(float sngSub, int32_t lStart, int32_t lWidth);
  void AddConst(float sngAdd, int32_t lStart, int32_t lWidth);
  void ShiftLevel(float sngShift, int32_t lStart, int32_t lWidth);
  void FillValue(float sngFillValue, int32_t lStart, int32_t lWidth);
  void FillSine(int32_t lStart, int32_t lWidth, int32_t lCycle);
  void AbsAll();
  void AddWave(const WaveForm& w);

  // Statistics; a width above Count becomes Count (written back), and
  // MaxText to MinValue also take -1 for Count. Indices are relative to
  // lStart.
  std::string MaxText(int32_t lStart, int32_t& lWidth) const;
  float MaxValue(int32_t lStart, int32_t& lWidth) const;
  std::string MinText(int32_t lStart, int32_t& lWidth) const;
  float MinValue(int32_t lStart, int32_t& lWidth) const;
  std::string MaxMinText(int32_t lStart, int32_t& lWidth) const;
  std::string Mean(int32_t lStart, int32_t& lWidth) const;
  std::string Sum(int32_t lStart, int32_t& lWidth) const;
  std::string SumScaled(int32_t lStart, int32_t& lWidth, int16_t factor) const;
  std::string SumScaled(int32_t lStart, int32_t& lWidth, int32_t factor) const;
  std::string SumScaled(int32_t lStart, int32_t& lWidth, float factor) const;
  std::string SumScaled(int32_t lStart, int32_t& lWidth, double factor) const;
  std::string SumBySign(int32_t lStart, int32_t& lWidth, int16_t factor) const;
  std::string SumBySign(int32_t lStart, int32_t& lWidth, int32_t factor) const;
  std::string SumBySign(int32_t lStart, int32_t& lWidth, float factor) const;
  std::string SumBySign(int32_t lStart, int32_t& lWidth, double factor) const;
  std::string Rms(int32_t lStart, int32_t& lWidth) const;
  void MaxAll(float& sngMax, int32_t& index) const;
  void MinAll(float& sngMin, int32_t& index) const;

  // Detections; positions are relative to lStart. Each returns "".
  std::string FindPeaks(int32_t lStart, int32_t& lWidth, float sngH, std::vector<int32_t>& lUP,
                        std::vector<int32_t>& lDP, std::vector<float>& sngUP, std::vector<float>& sngDP) const;
  std::string FindPeaks2(int32_t lStart, int32_t& lWidth, float sngH, int32_t& lUPC, int32_t& lDPC,
                         std::vector<float>& sngUP, std::vector<float>& sngDP) const;
  std::string FindLevelEvents(int32_t lStart, int32_t& lWidth, float sngS, float sngH, float sngWU, float sngWd,
                              int32_t& lUPC, int32_t& lDPC, std::vector<float>& sngUP,
                              std::vector<float>& sngDP) const;
  std::string FindLevelEventsChecked(int32_t& lStart, int32_t& lWidth, float level, float sngHist, float sngW1,
                                     float sngW2, int32_t& lUPC, std::vector<float>& sUP, int32_t& lDPC,
                                     std::vector<float>& sDP) const;
  // True when no sample of the whole buffer is a NaN; else WaveCheckError.
  bool CheckInvalidNumbers() const;

  // Filters over Count samples; arrays handed in hold at least Count.
  void RemoveMean(int32_t lStart, int32_t lWidth);
  void ShiftSamples(int32_t shift, bool fill);
  void MovingAverage(int32_t lP, int32_t lN);
  void HighPass(int32_t lP, int32_t lN, std::vector<float>& smoothed);
  void HighPass1023(std::vector<float>& x) const;
  void SmoothedDifference(std::vector<float>& x, int32_t lP, int32_t lN) const;
  void SmoothedDifferenceInPlace(int32_t lP, int32_t lN);
  void SmoothedDifferenceCopy(std::vector<float>& out, int32_t lP, int32_t lN) const;
  void Difference(std::vector<float>& x) const;
  void DifferenceCopy(std::vector<float>& out) const;
  void DifferenceScaled(std::vector<float>& x, int32_t interval) const;
  // n min/max points of the valid samples; n above Count becomes Count.
  void Envelope(int32_t& n, std::vector<float>& out) const;

  // ---- wave files and text exchange -------------------------------------
  // Returns the byte offset just past the last sample written, 0 when
  // nothing was (Count 0: no file is opened).
  int32_t SaveBinary(const std::string& strFile, int32_t lOffset) const;
  // Returns the byte offset just past the last sample read.
  int32_t LoadBinary(const std::string& strFile, int32_t lReadNum, int32_t lOffset);
  void SaveText(const std::string& strFile, int32_t lCnt) const;
  // A multi-line text control's text: one value per CR LF line.
  void ShowSamples(int32_t lStart, int32_t lWidth, std::string& rtxt) const;
  void LoadFromText(const std::string& rtxt);
  // Runs pending window messages during long file writes; none by default.
  void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

  // ---- display (defined with the forms) ----------------------------------
  // Pictures: nullptr is "no picture" (the default picture where a call
  // falls back to it). hDC kOwnDC takes the picture's context, written back.
  void Draw(const std::vector<float>& sngWave, int32_t lStart, int32_t& lCount, int32_t lWidthPoint,
            forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB, bool bClearFrame,
            bool bVLine, int32_t lStyle, int32_t& hDC, bool flag3 = false, bool flag4 = false);
  void DrawDuringAcquisition(int32_t lStart, int32_t lWidthPoint, bool bACQ, forms::PictureBox* pbxWave,
                             int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB, bool keepWindow,
                             int32_t lStyle, int32_t& hDC);
  void DrawDecimated(int32_t lStart, bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR,
                     int32_t lMgT, int32_t lMgB);
  void PrepareMarks(int32_t& lStart, int32_t lWidth, forms::PictureBox* pbxWave, int32_t& hDC);

  void ClampDisplayEnd();
  void ClampDisplayStart();
  void PageForward(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB);
  void PageBack(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB);
  void HalfPageForward(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT,
                       int32_t lMgB);
  void HalfPageBack(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB);
  void PageHome(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB);
  void PageEnd(bool bACQ, forms::PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB);

  float DisplayTop() const;
  float DisplayBottom() const;
  static float MapFraction(float u, float l, float ft, float fb, float f);

  // Marks.
  void DrawLevelLine(float level, int32_t& lStart, int32_t lWidth, int32_t colour, int32_t penStyle, int32_t& hDC);
  void DrawMarkerLine(float& x, int32_t colour, int32_t penStyle);
  void DrawSegmentLine(float X1, float Y1, float X2, float Y2, int32_t colour, int32_t penStyle,
                       forms::PictureBox* pbx, int32_t start, int32_t width, int32_t& hDC);
  void DrawCrossHair(float x, float y, forms::PictureBox* pbx, bool bU, bool bD, bool bL, bool bR, int32_t& hDC,
                     int32_t& lCol);
  void DrawCursorLines(float x, float y, forms::PictureBox* pbx, bool bV, bool bH);
  void DrawLabel(const std::string& text, float x, float y, forms::PictureBox* pbx, int32_t lPxlx, int32_t lPxly,
                 int32_t& hDC);
  void DrawLevelMark(float x, float y, forms::PictureBox* pbx);
  std::string DrawMean(int32_t lStart, int32_t& lWidth, bool label, bool flag2);
  void DrawRect(float sngX1, float sngY1, float sngX2, float sngY2, int32_t colour, int32_t penStyle, bool bT,
                bool bB, bool bL, bool bR, int32_t start, int32_t width, bool bFill);
  std::string DrawMaxMin(int32_t lStart, int32_t& lWidth, bool label, bool flag2);
  std::string DrawMax(int32_t lStart, int32_t& lWidth, bool valueLabel, bool indexLabel);
  std::string DrawMin(int32_t lStart, int32_t& lWidth, bool valueLabel, bool indexLabel);
  void DrawSegment(int32_t lStart, int32_t lWidth, int32_t lStyle, int32_t colour);
  void DrawEventMarks(int32_t lPos, const std::vector<float>& sngUP, const std::vector<float>& sngDP, int32_t lUPC,
                      int32_t lDPC);
  std::string DrawDetections(int32_t& lStart, int32_t& lWidth, float sngHist, forms::PictureBox* pbxWave,
                             bool valueLabel, bool valueLabel2, bool peaks, bool valleys, bool periods);
  void DrawBlockBar(const std::vector<float>& sngWave, int32_t lBlockNo, int32_t lBlocks, int32_t lAddNum,
                    forms::PictureBox* pbx, bool bar);

  // Pixel distances to value distances over the picture's window size.
  float PixelToValueX(int32_t lPixcel, forms::PictureBox* pbx, float& a, float& b);
  float PixelToValueY(int32_t lPixcel, forms::PictureBox* pbx, float& y1, float& y2);

 private:
  bool ChecksOn() const { return waveCheckSwitch_ == "1"; }
  // The address of element start after checking that start .. start +
  // width - 1 lies in the buffer (std::out_of_range, std::overflow_error).
  float* Segment(int32_t start, int32_t width);
  const float* Segment(int32_t start, int32_t width) const;
  // The statistics' width rule and segment check in one.
  const float* StatisticSegment(int32_t start, int32_t& width, bool minusOneIsCount) const;
  float SegmentSum(int32_t lStart, int32_t& lWidth) const;
  // Sums of the samples above 0 and of the others.
  void SignSums(int32_t lStart, int32_t& lWidth, float& above, float& others) const;

  std::vector<float> samples_;   // the sample buffer; empty = unallocated
  std::vector<float> scratch_;   // work array of repeated smoothing
  forms::PictureBox* picture_ = nullptr;  // default picture
  int32_t displayWidth_ = 0;
  float rangeUpper_ = 100.0f;
  float rangeLower_ = -100.0f;
  int32_t penColour_ = 0;  // 0x00BBGGRR
  std::string title_;
  int32_t drawEnabled_ = 1;
  int32_t singleLane_ = 0;
  int32_t displayStart_ = 0;
  int32_t displayEnd_ = 0;
  int32_t count_ = 0;
  int32_t laneCount_ = 0;
  int32_t laneIndex_ = 0;
  float marginAbove_ = 0.0f;
  float marginBelow_ = 0.0f;
  float offsetY_ = 0.0f;
  float offsetYRatio_ = 0.0f;
  int32_t penStyle_ = 0;
  int32_t tag_ = 0;
  int32_t peakCount_ = 0;
  int32_t valleyCount_ = 0;
  std::array<float, kDetectionSlots> peakPositions_{};
  std::array<float, kDetectionSlots> valleyPositions_{};
  float laneTop_ = 0.0f;
  float laneBottom_ = 0.0f;
  int32_t rangeMode_ = 0;
  int32_t mgL_ = 0, mgR_ = 0, mgT_ = 0, mgB_ = 0;
  std::vector<float> blockTrace_;  // the previous block of DrawBlockBar
  std::string waveCheckSwitch_;
  std::function<void()> pump_;
};

}  // namespace orvane::core
