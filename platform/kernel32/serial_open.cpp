// "COMn" to a Linux tty, and the table of ports open in this process.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "kernel32/device_names.h"
#include "kernel32/serial_port.h"
#include "kernel32/serial_termios.h"

namespace plat {

namespace {

struct OpenPorts {
  std::mutex mutex;
  std::set<std::string> keys;
};

OpenPorts& openPorts() {
  static auto* ports = new OpenPorts;  // lives through static destruction
  return *ports;
}

// $ORVANE_COMn names the device (e.g. /dev/ttyUSB0 or a pseudo-terminal);
// without it COMn is the n-th on-board port.
std::string devicePathOf(int port) {
  const std::string variable = "ORVANE_COM" + std::to_string(port);
  const char* named = std::getenv(variable.c_str());
  if (named != nullptr && *named != '\0') return named;
  return "/dev/ttyS" + std::to_string(port - 1);
}

// Two names of one device are one port.
std::string portKey(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

DWORD openError(int error) {
  switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EBUSY:
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

int openMode(DWORD access) {
  const bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  const bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  if (write && !read) return O_WRONLY;
  if (read && !write) return O_RDONLY;
  return write ? O_RDWR : O_RDONLY;
}

bool refuse(DWORD error, HANDLE& result) {
  SetLastError(error);
  result = INVALID_HANDLE_VALUE;
  return true;
}

}  // namespace

int comPortNumber(const char* path) {
  if (path == nullptr) return 0;
  const char* name = path;
  if (path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?') && path[3] == '\\') name = path + 4;
  if (std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
      std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
      std::toupper(static_cast<unsigned char>(name[2])) != 'M') {
    return 0;
  }
  const char* digits = name + 3;
  if (*digits < '1' || *digits > '9') return 0;
  int number = 0;
  const char* p = digits;
  for (; std::isdigit(static_cast<unsigned char>(*p)) && p - digits < 3; ++p) number = number * 10 + (*p - '0');
  if (*p == ':') ++p;
  if (*p != '\0' || number > 255) return 0;
  return number;
}

bool claimPort(const std::string& key) {
  OpenPorts& ports = openPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  return ports.keys.insert(key).second;
}

void releasePort(const std::string& key) {
  OpenPorts& ports = openPorts();
  std::lock_guard<std::mutex> lock(ports.mutex);
  ports.keys.erase(key);
}

bool openSerialPort(const char* path, DWORD access, DWORD flags, HANDLE& result) {
  const int port = comPortNumber(path);
  if (port == 0) return false;
  // A driver that registered the port's name (a stand-in serial unit) has it.
  const std::string name = "COM" + std::to_string(port);
  if (openRegisteredDevice(name.c_str(), access, 0, flags, result)) return true;

  const std::string device = devicePathOf(port);
  const std::string key = portKey(device);
  if (!claimPort(key)) return refuse(ERROR_ACCESS_DENIED, result);
  const int fd = ::open(device.c_str(), openMode(access) | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const DWORD error = openError(errno);
    releasePort(key);
    return refuse(error, result);
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {  // not a terminal: no serial port
    ::close(fd);
    releasePort(key);
    return refuse(ERROR_FILE_NOT_FOUND, result);
  }
  makeRaw(tio);
  (void)::tcsetattr(fd, TCSANOW, &tio);
  result = insertHandle(std::make_shared<SerialPort>(fd, key, access));
  return true;
}

}  // namespace plat
