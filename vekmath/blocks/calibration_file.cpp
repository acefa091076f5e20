// The one calibration set of the library, kept in section "CAL" of its
// calibration file through the profile functions, seven keys per channel.
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <platform/host_files.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "blocks/calibration_text.h"
#include "vekmath.h"

namespace vekmath {
namespace {

constexpr const char* kCalibrationFile = "C:\\Rukbase\\DEFAULT.CAL";
constexpr const char* kSection = "CAL";
constexpr const char* kMissing = "0";
constexpr DWORD kNumberBufferSize = 1024;

enum class Field { Banner, Name, Unit, Number };

struct KeySpec {
  const char* keyFormat;
  Field field;
  FLOAT CalibrationRecord::*number;  // for Field::Number
};

// Written in this order, channel by channel; the banner is only a visual
// separator in the file and is never read.
constexpr KeySpec kKeys[] = {
    {"CAL(%d)", Field::Banner, nullptr},
    {"pName(%d)", Field::Name, nullptr},
    {"pUnit(%d)", Field::Unit, nullptr},
    {"fCAL_VAL(%d)", Field::Number, &CalibrationRecord::calValue},
    {"fBASE_VAL(%d)", Field::Number, &CalibrationRecord::baseValue},
    {"fCAL_AD(%d)", Field::Number, &CalibrationRecord::calAd},
    {"fBASE_AD(%d)", Field::Number, &CalibrationRecord::baseAd},
};

std::string keyName(const KeySpec& entry, int channel) {
  char key[32];
  std::snprintf(key, sizeof key, entry.keyFormat, channel);
  return key;
}

// A field need not hold a NUL: the monitor fills long names to the last
// byte. A line break would start a new line in the file, and with it a key
// of its own, so the text ends there too.
std::string fieldText(const char* fields, int channel) {
  const char* field = fields + static_cast<size_t>(channel) * CALIBRATION_TEXT_SIZE;
  size_t length = strnlen(field, CALIBRATION_TEXT_SIZE);
  std::string text(field, length);
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string valueToWrite(const KeySpec& entry, int channel, const CalibrationRecord* records, const char* names,
                         const char* units) {
  switch (entry.field) {
    case Field::Banner: {
      char banner[48];
      std::snprintf(banner, sizeof banner, "---------- CAL(%d) ----------", channel);
      return banner;
    }
    case Field::Name:
      return fieldText(names, channel);
    case Field::Unit:
      return fieldText(units, channel);
    case Field::Number:
      return formatCalibrationNumber(records[channel].*entry.number);
  }
  return {};
}

void readKey(const KeySpec& entry, int channel, CalibrationRecord* records, char* names, char* units) {
  std::string key = keyName(entry, channel);
  size_t fieldOffset = static_cast<size_t>(channel) * CALIBRATION_TEXT_SIZE;
  switch (entry.field) {
    case Field::Banner:
      return;
    case Field::Name:
      GetPrivateProfileStringA(kSection, key.c_str(), kMissing, names + fieldOffset, CALIBRATION_TEXT_SIZE,
                               kCalibrationFile);
      return;
    case Field::Unit:
      GetPrivateProfileStringA(kSection, key.c_str(), kMissing, units + fieldOffset, CALIBRATION_TEXT_SIZE,
                               kCalibrationFile);
      return;
    case Field::Number: {
      char text[kNumberBufferSize];
      GetPrivateProfileStringA(kSection, key.c_str(), kMissing, text, sizeof text, kCalibrationFile);
      records[channel].*entry.number = parseCalibrationNumber(text);
      return;
    }
  }
}

// A copy of a file under a temporary name beside it, edited in place of
// the file and renamed over it by commit(); removed when not committed.
class StagedCopy {
 public:
  explicit StagedCopy(const char* windowsPath) : target_(plat::HostPath(windowsPath)) {
    if (target_.empty()) return;
    std::string bytes;
    if (plat::CFile old = plat::OpenFile(windowsPath, "rb")) {
      char block[65536];
      size_t n = 0;
      while ((n = std::fread(block, 1, sizeof block, old.get())) > 0) bytes.append(block, n);
    }
    std::string temporary = target_ + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return;
    // The file keeps its mode; a new one gets what a plain create gives.
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0) {
      ::fchmod(fd, old.st_mode & 07777);
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      ::fchmod(fd, 0666 & ~mask);
    }
    ::close(fd);
    path_ = temporary;
    if (!plat::WriteWholeHostFile(path_, bytes.data(), bytes.size())) {
      ::unlink(path_.c_str());
      path_.clear();
    }
  }
  ~StagedCopy() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  StagedCopy(const StagedCopy&) = delete;
  StagedCopy& operator=(const StagedCopy&) = delete;

  bool ready() const { return !path_.empty(); }
  const char* path() const { return path_.c_str(); }
  bool commit() {
    if (path_.empty() || ::rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
};

}  // namespace
}  // namespace vekmath

using namespace vekmath;

// The keys are written into a copy beside the file, which replaces it once
// every key is in: a save cut off part-way (a full disk) leaves the set
// that was saved before, not a mix of two.
DLL_EXPORT LONG WINAPI SaveCalibration(const CalibrationRecord* records, const char* names, const char* units) {
  if (records == nullptr || names == nullptr || units == nullptr) return 0;
  StagedCopy copy(kCalibrationFile);
  if (!copy.ready()) return 0;
  for (int channel = 0; channel < CALIBRATION_CHANNELS; ++channel) {
    for (const KeySpec& entry : kKeys) {
      std::string value = valueToWrite(entry, channel, records, names, units);
      if (!WritePrivateProfileStringA(kSection, keyName(entry, channel).c_str(), value.c_str(), copy.path())) {
        return 0;
      }
    }
  }
  return copy.commit() ? CALIBRATION_CHANNELS : 0;
}

DLL_EXPORT LONG WINAPI LoadCalibration(CalibrationRecord* records, char* names, char* units) {
  if (records == nullptr || names == nullptr || units == nullptr) return 0;
  for (int channel = 0; channel < CALIBRATION_CHANNELS; ++channel) {
    for (const KeySpec& entry : kKeys) readKey(entry, channel, records, names, units);
  }
  return CALIBRATION_CHANNELS;
}
