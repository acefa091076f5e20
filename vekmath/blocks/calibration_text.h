// Numbers of the calibration file as text, in the "C" numeric form whatever
// the process locale says.
#pragma once
#include <string>

namespace vekmath {

// Six decimals of the value widened to double ("1.500000").
std::string formatCalibrationNumber(float value);

// The leading number of the text as a standard text-to-double conversion
// reads it, stored as single; text without a number gives 0.
float parseCalibrationNumber(const char* text);

}  // namespace vekmath
