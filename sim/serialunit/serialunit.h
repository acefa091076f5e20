// A serial acquisition unit on a pseudo-terminal. The unit owns the
// terminal's master side; a host opens portPath() (a COM port mapped to it)
// and reads the unit's lines "v1,...,vn" CR LF from there.
//   Unit A (Protocol::Commands) sends from the 12 bytes "START     \r\0" on
//   and stops after "END       \r".
//   Unit B (Protocol::Streaming) sends while the port is open.
// Either sends only while the port is open, and keeps every byte the host
// wrote.
#pragma once
#include <termios.h>

#include <cstdint>
#include <memory>
#include <string>

namespace serialunit {

enum class Protocol { Commands, Streaming };

// The known signal: channel c of line k. Unit A sends signed 13-bit
// counts, unit B 12-bit counts; channel 0 steps by one per line.
int valueOf(Protocol protocol, int64_t line, int channel);
// Line k as sent, CR LF included.
std::string lineText(Protocol protocol, int64_t line, int channels);

struct UnitOptions {
  Protocol protocol = Protocol::Commands;
  int channels = 8;
  // Generated lines per second while the unit sends. 0: only the lines
  // queued with sendLines, as soon as the unit sends.
  double linesPerSecond = 0;
};

class SerialUnit {
 public:
  explicit SerialUnit(const UnitOptions& options);
  ~SerialUnit();
  SerialUnit(const SerialUnit&) = delete;
  SerialUnit& operator=(const SerialUnit&) = delete;

  // The side the host opens (e.g. "/dev/pts/7"); empty when no terminal
  // could be made.
  const std::string& portPath() const;

  // Queues the next n generated lines, or scripted bytes between them;
  // they go out in order while the unit sends.
  void sendLines(int64_t n);
  void sendText(const std::string& bytes);

  // Every byte the host wrote so far.
  std::string received() const;
  // The port's line speed as the host set it (a B constant).
  speed_t portSpeed() const;

  // Waits at most timeoutMs for the unit to send; false if it did not.
  bool waitUntilSending(int timeoutMs) const;

  // Pulls the plug: the unit stops and closes the master side, and the
  // host's port hangs up.
  void unplug();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace serialunit
