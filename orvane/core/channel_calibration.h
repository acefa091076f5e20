// The calibrations of 32 channels, held as the texts of the channel rows and
// as the processing library's records, with conversions between physical
// values and AD counts, the "CAL" keys of an INI file and the library's
// calibration file.
#pragma once
#include <vekmath/calibration.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvane::core {

inline constexpr int32_t kCalChannels = 32;
inline constexpr int32_t kCalFieldBytes = 32;

// The six row boxes of one channel row.
enum class RowBox { Name, Unit, RangeMax, RangeMin, CalAD, BaseAD };

// A form with channel rows, as the calibration class sees it. A control the
// form lacks answers nullopt and is passed over.
class ChannelRowForm {
 public:
  struct Place {
    int32_t left, top, width, height;
  };
  virtual ~ChannelRowForm() = default;
  // The text of box `box` in row `row` (0 to 31).
  virtual std::optional<std::string> RowText(RowBox box, int32_t row) const = 0;
  // The column head above a box column; the monitor form has none.
  virtual std::optional<Place> ColumnHead(RowBox) const { return std::nullopt; }
  // Height of the boxes of a column.
  virtual int32_t BoxHeight(RowBox) const { return 0; }
  virtual void HideRowBox(RowBox, int32_t) {}
  virtual void ShowRowBox(RowBox, int32_t, const Place&, const std::string&) {}
};

class ChannelCalibration {
 public:
  // Channel i: name "<i+1>CH", unit "V", "100", "0", "2048", "0"; records 0.
  ChannelCalibration();

  // Per channel 0 to 31; another index raises the subscript error.
  std::string CHName(int32_t i) const;  // cut at its first NUL
  void SetCHName(int32_t i, std::string text);
  std::string Unit(int32_t i) const;  // cut at its first NUL
  void SetUnit(int32_t i, std::string text);
  std::string PaddedName(int32_t i) const;  // AnsiBytes of the name
  std::string PaddedUnit(int32_t i) const;
  std::string CalValue(int32_t i) const;
  void SetCalValue(int32_t i, std::string text);
  std::string BaseValue(int32_t i) const;
  void SetBaseValue(int32_t i, std::string text);
  std::string CalAD(int32_t i) const;
  void SetCalAD(int32_t i, std::string text);
  std::string BaseAD(int32_t i) const;
  void SetBaseAD(int32_t i, std::string text);

  // The 32 fields of 32 bytes joined (CP932 bytes, 1,024 in all once filled).
  const std::string& NamesField() const { return namesField_; }
  const std::string& UnitsField() const { return unitsField_; }
  const std::array<CalibrationRecord, kCalChannels>& Records() const { return records_; }

  // (v - vBase) * (cCal - cBase) / (vCal - vBase) + cBase; 0 when vCal == vBase.
  static float ValueToCounts(float cCal, float cBase, float vCal, float vBase, float v);
  // (c - cBase) * (vCal - vBase) / (cCal - cBase) + vBase; 0 when cCal == cBase.
  static float CountsToValue(float cCal, float cBase, float vCal, float vBase, float c);

  // The first n elements (n clamped to the source), through the library's
  // vector routines; values is resized to n. Nothing when cCal == cBase or
  // the library lacks a routine.
  static void CountsToValues(float cCal, float cBase, float vCal, float vBase, std::vector<float>& values,
                             std::span<const int16_t> counts, int32_t n);
  // The reverse, rounded half to even and held to the 16-bit range; nothing
  // when vCal == vBase.
  static void ValuesToCounts(float cCal, float cBase, float vCal, float vBase, std::span<const float> values,
                             std::vector<int16_t>& counts, int32_t n);

  // Section "CAL" of path (empty: the remembered path), which becomes the
  // INI module's current path and is remembered.
  void LoadFromIni(const std::string& path);
  // Takes the six row texts of rows 0 to 31 from the form and writes the
  // seven keys of each channel; rows the form lacks keep their texts.
  // False when a key could not be written.
  bool SaveFormRowsToIni(const std::string& path, const ChannelRowForm& form);

  // Records from the texts, then to the library's calibration file. False
  // when the library refused or lacks the call.
  bool PushCalibration();
  // Records, names and units from the library's calibration file.
  bool PullCalibration();

  // Lays rows firstRow to lastRow (1-based) out under the form's column
  // heads; returns quietly when the form has none.
  void BuildChannelRows(ChannelRowForm& form, int32_t firstRow, int32_t lastRow) const;

  // The six texts of all 32 channels into other.
  void CopyTo(ChannelCalibration& other) const;

  // Up to 32 records with their names and units (fields of 32 bytes, CP932).
  void SetRecords(std::span<const CalibrationRecord> records, std::string names, std::string units);
  // The records from the four number texts of each channel, and the two
  // joined fields; records is resized to 32.
  void GetRecords(std::vector<CalibrationRecord>& records, std::string& names, std::string& units) const;

  // The first n bytes of text in CP932, returned as UTF-8; text keeps the
  // rest. A double-byte character cut at byte n is dropped from both. A
  // negative n raises the invalid-call error.
  static std::string LeftBytes(std::string& text, int32_t n);
  // A 32-byte field: the text in CP932, NUL-padded and cut to 31 bytes (a
  // double-byte character cut in half is dropped), then one space.
  static std::string AnsiBytes(const std::string& text);

 private:
  struct Texts {
    std::string name, unit, calValue, baseValue, calAD, baseAD;
  };
  Texts& At(int32_t i);
  const Texts& At(int32_t i) const;
  CalibrationRecord RecordFromTexts(int32_t i) const;
  void TextsFromRecord(int32_t i, const CalibrationRecord& r);
  void JoinFields();

  std::array<Texts, kCalChannels> texts_;
  std::array<CalibrationRecord, kCalChannels> records_{};
  std::string namesField_, unitsField_;
  std::string iniPath_;
};

}  // namespace orvane::core
