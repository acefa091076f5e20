#include "channel_calibration.h"

#include <algorithm>
#include <cmath>

#include "ansi_text.h"
#include "ini_file.h"
#include "toolkit.h"
#include "utility.h"
#include "vekmath_calls.h"

namespace orvane::core {
namespace {

constexpr const char* kCalSection = "CAL";
constexpr size_t kFieldTextBytes = kCalFieldBytes - 1;
constexpr size_t kJoinedBytes = static_cast<size_t>(kCalChannels) * kCalFieldBytes;

std::string Key(const char* name, int32_t i) { return std::string(name) + "(" + std::to_string(i) + ")"; }

// Takes the next field of a joined CP932 text and decodes its whole
// characters.
std::string TakeField(std::string& joined) {
  size_t n = std::min(joined.size(), static_cast<size_t>(kCalFieldBytes));
  std::string_view field(joined.data(), n);
  std::string text = FromAnsi(field.substr(0, WholeCharacterPrefix(field, n)));
  joined.erase(0, n);
  return text;
}

float SingleOf(const std::string& text) { return CSng(Val(text)); }

}  // namespace

ChannelCalibration::ChannelCalibration() {
  for (int32_t i = 0; i < kCalChannels; ++i) {
    texts_[static_cast<size_t>(i)] = Texts{std::to_string(i + 1) + "CH", "V", "100", "0", "2048", "0"};
  }
}

ChannelCalibration::Texts& ChannelCalibration::At(int32_t i) {
  CheckSubscript(i, 0, kCalChannels - 1);
  return texts_[static_cast<size_t>(i)];
}

const ChannelCalibration::Texts& ChannelCalibration::At(int32_t i) const {
  CheckSubscript(i, 0, kCalChannels - 1);
  return texts_[static_cast<size_t>(i)];
}

std::string ChannelCalibration::CHName(int32_t i) const { return CutAtNul(At(i).name); }
void ChannelCalibration::SetCHName(int32_t i, std::string text) { At(i).name = std::move(text); }
std::string ChannelCalibration::Unit(int32_t i) const { return CutAtNul(At(i).unit); }
void ChannelCalibration::SetUnit(int32_t i, std::string text) { At(i).unit = std::move(text); }
std::string ChannelCalibration::PaddedName(int32_t i) const { return AnsiBytes(At(i).name); }
std::string ChannelCalibration::PaddedUnit(int32_t i) const { return AnsiBytes(At(i).unit); }
std::string ChannelCalibration::CalValue(int32_t i) const { return At(i).calValue; }
void ChannelCalibration::SetCalValue(int32_t i, std::string text) { At(i).calValue = std::move(text); }
std::string ChannelCalibration::BaseValue(int32_t i) const { return At(i).baseValue; }
void ChannelCalibration::SetBaseValue(int32_t i, std::string text) { At(i).baseValue = std::move(text); }
std::string ChannelCalibration::CalAD(int32_t i) const { return At(i).calAD; }
void ChannelCalibration::SetCalAD(int32_t i, std::string text) { At(i).calAD = std::move(text); }
std::string ChannelCalibration::BaseAD(int32_t i) const { return At(i).baseAD; }
void ChannelCalibration::SetBaseAD(int32_t i, std::string text) { At(i).baseAD = std::move(text); }

float ChannelCalibration::ValueToCounts(float cCal, float cBase, float vCal, float vBase, float v) {
  if (vCal == vBase) return 0.0f;
  return static_cast<float>((static_cast<double>(v) - vBase) * (static_cast<double>(cCal) - cBase) /
                                (static_cast<double>(vCal) - vBase) +
                            cBase);
}

float ChannelCalibration::CountsToValue(float cCal, float cBase, float vCal, float vBase, float c) {
  if (cCal == cBase) return 0.0f;
  return static_cast<float>((static_cast<double>(c) - cBase) * (static_cast<double>(vCal) - vBase) /
                                (static_cast<double>(cCal) - cBase) +
                            vBase);
}

void ChannelCalibration::CountsToValues(float cCal, float cBase, float vCal, float vBase, std::vector<float>& values,
                                        std::span<const int16_t> counts, int32_t n) {
  if (cCal == cBase) return;
  const VekmathCalls& vk = VekmathInUse();
  // A library without its array routines converts nothing.
  if (!vk.Int16ToFloat || !vk.ArraySubC || !vk.ArrayMulC || !vk.ArrayDivC || !vk.ArrayAddC) return;
  const LONG m = static_cast<LONG>(std::clamp<int64_t>(n, 0, static_cast<int64_t>(counts.size())));
  values.assign(static_cast<size_t>(m), 0.0f);
  if (m == 0) return;
  float* v = values.data();
  vk.Int16ToFloat(v, counts.data(), m);
  vk.ArraySubC(v, v, cBase, m);
  vk.ArrayMulC(v, v, vCal - vBase, m);
  vk.ArrayDivC(v, v, cCal - cBase, m);
  vk.ArrayAddC(v, v, vBase, m);
}

void ChannelCalibration::ValuesToCounts(float cCal, float cBase, float vCal, float vBase, std::span<const float> values,
                                        std::vector<int16_t>& counts, int32_t n) {
  if (vCal == vBase) return;
  const VekmathCalls& vk = VekmathInUse();
  if (!vk.ArraySubC || !vk.ArrayMulC || !vk.ArrayDivC || !vk.ArrayAddC || !vk.FloatToInt16) return;
  const LONG m = static_cast<LONG>(std::clamp<int64_t>(n, 0, static_cast<int64_t>(values.size())));
  counts.assign(static_cast<size_t>(m), 0);
  if (m == 0) return;
  std::vector<float> work(values.begin(), values.begin() + m);
  float* w = work.data();
  vk.ArraySubC(w, w, vBase, m);
  vk.ArrayMulC(w, w, cCal - cBase, m);
  vk.ArrayDivC(w, w, vCal - vBase, m);
  vk.ArrayAddC(w, w, cBase, m);
  // The library's conversion truncates; rounding half to even first gives
  // the nearest count, and holding it to the 16-bit range keeps a value
  // beyond full scale at full scale instead of wrapping it around.
  for (float& x : work) {
    if (!std::isnan(x)) x = std::clamp(std::nearbyint(x), -32768.0f, 32767.0f);
  }
  vk.FloatToInt16(counts.data(), w, m);
}

void ChannelCalibration::JoinFields() {
  namesField_.clear();
  unitsField_.clear();
  for (const Texts& t : texts_) {
    namesField_ += AnsiBytes(t.name);
    unitsField_ += AnsiBytes(t.unit);
  }
}

void ChannelCalibration::LoadFromIni(const std::string& path) {
  if (!path.empty()) iniPath_ = path;
  SetIniPath(iniPath_);
  for (int32_t i = 0; i < kCalChannels; ++i) {
    Texts& t = texts_[static_cast<size_t>(i)];
    t.name = ReadIni(kCalSection, Key("pName", i), "");
    t.unit = ReadIni(kCalSection, Key("pUnit", i), "");
    t.calValue = ReadIni(kCalSection, Key("fCAL_VAL", i), "");
    t.baseValue = ReadIni(kCalSection, Key("fBASE_VAL", i), "");
    t.calAD = ReadIni(kCalSection, Key("fCAL_AD", i), "");
    t.baseAD = ReadIni(kCalSection, Key("fBASE_AD", i), "");
  }
  JoinFields();
}

bool ChannelCalibration::SaveFormRowsToIni(const std::string& path, const ChannelRowForm& form) {
  if (!path.empty()) iniPath_ = path;
  SetIniPath(iniPath_);
  bool written = true;
  for (int32_t i = 0; i < kCalChannels; ++i) {
    Texts& t = texts_[static_cast<size_t>(i)];
    const std::pair<RowBox, std::string*> boxes[] = {{RowBox::Name, &t.name},         {RowBox::Unit, &t.unit},
                                                     {RowBox::RangeMax, &t.calValue}, {RowBox::RangeMin, &t.baseValue},
                                                     {RowBox::CalAD, &t.calAD},       {RowBox::BaseAD, &t.baseAD}};
    for (const auto& [box, text] : boxes) {
      if (std::optional<std::string> value = form.RowText(box, i)) *text = std::move(*value);
    }
    const std::pair<std::string, const std::string*> keys[] = {
        {Key("pName", i), &t.name},          {Key("pUnit", i), &t.unit},    {Key("fCAL_VAL", i), &t.calValue},
        {Key("fBASE_VAL", i), &t.baseValue}, {Key("fCAL_AD", i), &t.calAD}, {Key("fBASE_AD", i), &t.baseAD}};
    std::string banner = Key("CAL", i);
    written = WriteIni(kCalSection, banner, "---------- " + banner + " ----------") && written;
    for (const auto& [key, text] : keys) written = WriteIni(kCalSection, key, *text) && written;
  }
  return written;
}

CalibrationRecord ChannelCalibration::RecordFromTexts(int32_t i) const {
  const Texts& t = At(i);
  return CalibrationRecord{SingleOf(t.calValue), SingleOf(t.baseValue), SingleOf(t.calAD), SingleOf(t.baseAD)};
}

void ChannelCalibration::TextsFromRecord(int32_t i, const CalibrationRecord& r) {
  Texts& t = At(i);
  t.calValue = SingleText(r.calValue);
  t.baseValue = SingleText(r.baseValue);
  t.calAD = SingleText(r.calAd);
  t.baseAD = SingleText(r.baseAd);
}

bool ChannelCalibration::PushCalibration() {
  std::array<CalibrationRecord, kCalChannels> records{};
  for (int32_t i = 0; i < kCalChannels; ++i) records[static_cast<size_t>(i)] = RecordFromTexts(i);
  records_ = records;
  JoinFields();
  const VekmathCalls& vk = VekmathInUse();
  if (vk.SaveCalibration == nullptr) return false;
  return vk.SaveCalibration(records_.data(), namesField_.data(), unitsField_.data()) == kCalChannels;
}

bool ChannelCalibration::PullCalibration() {
  const VekmathCalls& vk = VekmathInUse();
  if (vk.LoadCalibration == nullptr) return false;
  std::array<CalibrationRecord, kCalChannels> records{};
  std::string names(kJoinedBytes, '\0'), units(kJoinedBytes, '\0');
  if (vk.LoadCalibration(records.data(), names.data(), units.data()) != kCalChannels) return false;
  records_ = records;
  namesField_ = names;
  unitsField_ = units;
  for (int32_t i = 0; i < kCalChannels; ++i) {
    Texts& t = texts_[static_cast<size_t>(i)];
    t.name = TakeField(names);
    t.unit = TakeField(units);
    TextsFromRecord(i, records_[static_cast<size_t>(i)]);
  }
  return true;
}

void ChannelCalibration::SetRecords(std::span<const CalibrationRecord> records, std::string names, std::string units) {
  const size_t n = std::min(records.size(), static_cast<size_t>(kCalChannels));
  for (size_t i = 0; i < n; ++i) {
    records_[i] = records[i];
    texts_[i].name = TakeField(names);
    texts_[i].unit = TakeField(units);
    TextsFromRecord(static_cast<int32_t>(i), records[i]);
  }
}

void ChannelCalibration::GetRecords(std::vector<CalibrationRecord>& records, std::string& names,
                                    std::string& units) const {
  std::vector<CalibrationRecord> out(kCalChannels);
  std::string joinedNames, joinedUnits;
  for (int32_t i = 0; i < kCalChannels; ++i) {
    out[static_cast<size_t>(i)] = RecordFromTexts(i);
    joinedNames += AnsiBytes(texts_[static_cast<size_t>(i)].name);
    joinedUnits += AnsiBytes(texts_[static_cast<size_t>(i)].unit);
  }
  records = std::move(out);
  names = std::move(joinedNames);
  units = std::move(joinedUnits);
}

void ChannelCalibration::BuildChannelRows(ChannelRowForm& form, int32_t firstRow, int32_t lastRow) const {
  constexpr RowBox kColumns[] = {RowBox::Name,     RowBox::Unit,  RowBox::RangeMax,
                                 RowBox::RangeMin, RowBox::CalAD, RowBox::BaseAD};
  std::array<ChannelRowForm::Place, std::size(kColumns)> heads{};
  for (size_t c = 0; c < std::size(kColumns); ++c) {
    std::optional<ChannelRowForm::Place> head = form.ColumnHead(kColumns[c]);
    if (!head) return;  // a form without column heads has no rows to lay out
    heads[c] = *head;
  }
  for (RowBox box : kColumns) {
    for (int32_t r = 0; r < kCalChannels; ++r) form.HideRowBox(box, r);
  }
  const int32_t from = std::max(firstRow - 1, 0);
  const int32_t to = std::min(lastRow - 1, kCalChannels - 1);
  for (int32_t r = from; r <= to; ++r) {
    const Texts& t = texts_[static_cast<size_t>(r)];
    const std::string texts[] = {t.name,
                                 t.unit,
                                 SingleText(SingleOf(t.calValue)),
                                 SingleText(SingleOf(t.baseValue)),
                                 SingleText(SingleOf(t.calAD)),
                                 SingleText(SingleOf(t.baseAD))};
    for (size_t c = 0; c < std::size(kColumns); ++c) {
      const ChannelRowForm::Place& head = heads[c];
      const int32_t height = form.BoxHeight(kColumns[c]);
      ChannelRowForm::Place place{head.left, head.top + head.height + r * height, head.width, height};
      form.ShowRowBox(kColumns[c], r, place, texts[c]);
    }
  }
}

void ChannelCalibration::CopyTo(ChannelCalibration& other) const {
  for (int32_t i = 0; i < kCalChannels; ++i) {
    const Texts& t = texts_[static_cast<size_t>(i)];
    other.SetCHName(i, t.name);
    other.SetUnit(i, t.unit);
    other.SetCalValue(i, t.calValue);
    other.SetBaseValue(i, t.baseValue);
    other.SetCalAD(i, t.calAD);
    other.SetBaseAD(i, t.baseAD);
  }
}

std::string ChannelCalibration::LeftBytes(std::string& text, int32_t n) {
  if (n < 0) throw ToolkitError(kErrInvalidCall, "Invalid procedure call or argument");
  std::string ansi = ToAnsi(text);
  const size_t limit = static_cast<size_t>(n);
  const size_t keep = WholeCharacterPrefix(ansi, limit);
  std::string head = FromAnsi(std::string_view(ansi).substr(0, keep));
  size_t restStart = std::min(limit, ansi.size());
  // The trail byte of a character cut at byte n goes with its lead byte.
  if (keep < restStart && keep + 2 > restStart && keep + 1 < ansi.size()) restStart = keep + 2;
  text = FromAnsi(std::string_view(ansi).substr(std::min(restStart, ansi.size())));
  return head;
}

std::string ChannelCalibration::AnsiBytes(const std::string& text) {
  std::string ansi = ToAnsi(text);
  std::string field(ansi, 0, WholeCharacterPrefix(ansi, kFieldTextBytes));
  field.resize(kFieldTextBytes, '\0');
  field += ' ';
  return field;
}

}  // namespace orvane::core
