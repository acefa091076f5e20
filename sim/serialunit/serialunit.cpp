// The unit's thread: reads the host's bytes off the master side, follows
// the commands, and writes the queued and paced lines while it sends.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "serialunit.h"

namespace serialunit {
namespace {

using Clock = std::chrono::steady_clock;

const std::string kStart("START     \r\0", 12);
const std::string kEnd = "END       \r";
// Paced lines are made only while fewer bytes than this wait for the host.
constexpr std::size_t kOutgoingLimit = 4096;

// One queued piece: n generated lines, or scripted bytes.
struct Piece {
  int64_t lines = 0;
  std::string text;
};

}  // namespace

struct SerialUnit::State {
  UnitOptions options;
  int master = -1;
  std::string path;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::deque<Piece> queue;
  std::string received;
  std::size_t commandsSeen = 0;  // bytes of `received` the commands were looked for in
  bool started = false;          // unit A: between START and END
  bool open = false;
  int64_t nextLine = 0;

  std::atomic<bool> quit{false};
  std::thread thread;

  // Unit A's commands in `received`, in the order the host sent them.
  void followCommands() {
    for (;;) {
      const std::size_t start = received.find(kStart, commandsSeen);
      const std::size_t end = received.find(kEnd, commandsSeen);
      if (start == std::string::npos && end == std::string::npos) return;
      if (start < end) {
        started = true;
        commandsSeen = start + kStart.size();
      } else {
        started = false;
        commandsSeen = end + kEnd.size();
      }
    }
  }

  bool sending() const { return open && (options.protocol == Protocol::Streaming || started); }

  void run();
};

void SerialUnit::State::run() {
  std::string outgoing;
  Clock::time_point paceFrom{};
  int64_t pacedFrom = 0;
  bool wasSending = false;
  while (!quit.load()) {
    pollfd fd{master, static_cast<short>(POLLIN | (outgoing.empty() ? 0 : POLLOUT)), 0};
    const int ready = ::poll(&fd, 1, 1);
    // Without a host the terminal reports a hang-up at once: wait a little.
    const bool hostThere = ready >= 0 && (fd.revents & POLLHUP) == 0;
    if (!hostThere) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    std::unique_lock<std::mutex> lock(mutex);
    open = hostThere;
    if (hostThere && (fd.revents & POLLIN) != 0) {
      char bytes[4096];
      const ssize_t n = ::read(master, bytes, sizeof bytes);
      if (n > 0) {
        received.append(bytes, static_cast<std::size_t>(n));
        if (options.protocol == Protocol::Commands) followCommands();
      }
    }
    const bool now = sending();
    if (!now) outgoing.clear();  // a closed port or a stopped unit takes nothing
    if (now && !wasSending) {
      paceFrom = Clock::now();
      pacedFrom = nextLine;
    }
    wasSending = now;
    if (now && options.linesPerSecond > 0 && outgoing.size() < kOutgoingLimit) {
      const double seconds = std::chrono::duration<double>(Clock::now() - paceFrom).count();
      const int64_t due = pacedFrom + static_cast<int64_t>(seconds * options.linesPerSecond);
      for (; nextLine < due && outgoing.size() < kOutgoingLimit; ++nextLine) {
        outgoing += lineText(options.protocol, nextLine, options.channels);
      }
    }
    while (now && !queue.empty() && outgoing.size() < kOutgoingLimit) {
      Piece& piece = queue.front();
      if (piece.lines > 0) {
        outgoing += lineText(options.protocol, nextLine++, options.channels);
        if (--piece.lines == 0) queue.pop_front();
      } else {
        outgoing += piece.text;
        queue.pop_front();
      }
    }
    lock.unlock();
    changed.notify_all();

    if (!outgoing.empty()) {
      const ssize_t n = ::write(master, outgoing.data(), outgoing.size());
      if (n > 0) outgoing.erase(0, static_cast<std::size_t>(n));
    }
  }
}

SerialUnit::SerialUnit(const UnitOptions& options) : state_(std::make_unique<State>()) {
  State& s = *state_;
  s.options = options;
  s.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (s.master < 0 || ::grantpt(s.master) != 0 || ::unlockpt(s.master) != 0) return;
  char name[128] = {};
  if (::ptsname_r(s.master, name, sizeof name) != 0) return;
  // Opened and closed once, raw: until the host opens it the master then
  // sees a hang-up, and the host finds no echo or line editing.
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) return;
  termios tio{};
  if (::tcgetattr(slave, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
  }
  ::close(slave);
  s.path = name;
  s.thread = std::thread([&s] { s.run(); });
}

SerialUnit::~SerialUnit() { unplug(); }

void SerialUnit::unplug() {
  State& s = *state_;
  s.quit.store(true);
  if (s.thread.joinable()) s.thread.join();
  if (s.master >= 0) ::close(s.master);
  s.master = -1;
}

const std::string& SerialUnit::portPath() const { return state_->path; }

void SerialUnit::sendLines(int64_t n) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (n > 0) state_->queue.push_back({n, {}});
}

void SerialUnit::sendText(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->queue.push_back({0, bytes});
}

std::string SerialUnit::received() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->received;
}

speed_t SerialUnit::portSpeed() const {
  termios tio{};
  if (::tcgetattr(state_->master, &tio) != 0) return B0;
  return ::cfgetospeed(&tio);
}

bool SerialUnit::waitUntilSending(int timeoutMs) const {
  const State& s = *state_;
  std::unique_lock<std::mutex> lock(s.mutex);
  return s.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&s] { return s.sending(); });
}

}  // namespace serialunit
