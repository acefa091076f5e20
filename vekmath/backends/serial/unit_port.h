// The COM port of a serial unit: opened with the unit's line settings and
// time-outs, closed once.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

namespace vekmath {

class UnitPort {
 public:
  UnitPort() = default;
  UnitPort(const UnitPort&) = delete;
  UnitPort& operator=(const UnitPort&) = delete;
  ~UnitPort() { close(); }

  // Opens the port for reading and writing, unshared, at `baud`, 8N1,
  // without flow control, DTR and RTS low. False when the port cannot be
  // opened or takes no setting; it is then closed again.
  bool open(const char* name, DWORD baud);
  bool isOpen() const { return handle_.load() != INVALID_HANDLE_VALUE; }
  // Closes an open port; a closed one stays as it is.
  void close();

  // Bytes that have arrived and wait to be read; false when the port fails.
  bool queued(DWORD& bytes) const;
  // Reads up to n bytes; false when the port fails.
  bool read(char* into, DWORD n, DWORD& got) const;
  // False unless all n bytes went out.
  bool write(const char* bytes, DWORD n) const;

 private:
  std::atomic<HANDLE> handle_{INVALID_HANDLE_VALUE};
};

}  // namespace vekmath
