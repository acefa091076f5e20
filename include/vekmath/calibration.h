// Exports of the processing library: channel calibrations, the calibration
// file and the conversion of raw blocks into physical values.
#pragma once
#include <windef.h>

// One set holds this many channels; names and units are fields of this many
// bytes, so at most CALIBRATION_TEXT_SIZE - 1 characters survive a save and
// load.
#define CALIBRATION_CHANNELS 32
#define CALIBRATION_TEXT_SIZE 32

// Two-point calibration of one channel: a count r stands for
// (r - baseAd) * (calValue - baseValue) / calAd + baseValue.
typedef struct CalibrationRecord {
  FLOAT calValue;   // value at the calibration point
  FLOAT baseValue;  // value at the base point
  FLOAT calAd;      // counts from the base point to the calibration point
  FLOAT baseAd;     // count at the base point
} CalibrationRecord;

static_assert(sizeof(CalibrationRecord) == 16, "CalibrationRecord is four singles");
static_assert(offsetof(CalibrationRecord, calValue) == 0 && offsetof(CalibrationRecord, baseValue) == 4 &&
                  offsetof(CalibrationRecord, calAd) == 8 && offsetof(CalibrationRecord, baseAd) == 12,
              "CalibrationRecord layout");

// Writes the 32 channels to section "CAL" of "C:\Rukbase\DEFAULT.CAL",
// keeping every other key of the file. records: 32 records; names, units:
// 32 fields of 32 bytes each, channel 0 first. A field is read up to its
// first NUL, at most 32 bytes, and up to its first line break. Returns 32,
// or 0 when an argument is NULL or the file could not be written (the keys
// written before the failure stay).
DLL_EXPORT LONG WINAPI SaveCalibration(const CalibrationRecord* records, const char* names, const char* units);

// Fills the same layouts from the file; what is missing reads as "0" (names
// and units) and 0.0 (numbers), text that is no number as 0.0. Every name and
// unit field ends in a NUL. Returns 32, or 0 (nothing written) when an
// argument is NULL.
DLL_EXPORT LONG WINAPI LoadCalibration(CalibrationRecord* records, char* names, char* units);

// dst: channels x scans singles, channel-major (all scans of channel 0
// first). raw: scans x channels signed counts, scan after scan. records: one
// per channel from channel 0. Computed in double, stored as single; a calAd
// of 0 gives the IEEE result. Nothing is done unless 1 <= channels <= 32 and
// scans >= 1, or when a pointer is NULL.
DLL_EXPORT void WINAPI ConvertBlock(FLOAT* dst, const SHORT* raw, SHORT channels, LONG scans,
                                    const CalibrationRecord* records);
