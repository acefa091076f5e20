// FAKE00: a stand-in for the board driver behind "\\.\XanNNDev". It answers
// every code with a configurable result, keeps the three waits pending until
// the test completes them, and logs every request.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <morvel_requests.h>
#include <platform/device.h>

namespace morvel::testing {

struct Logged {
  uint32_t offset;
  std::vector<unsigned char> record;  // as it arrived
  template <class T>
  T at(std::size_t offset_) const {
    T v{};
    std::memcpy(&v, record.data() + offset_, sizeof v);
    return v;
  }
};

class Fake00 {
 public:
  explicit Fake00(std::vector<unsigned> deviceIndices = {20});
  ~Fake00();
  Fake00(const Fake00&) = delete;
  Fake00& operator=(const Fake00&) = delete;

  // The result of every later request of the code; answerOnce queues one
  // answer in front of it.
  void answer(uint32_t offset, int16_t result);
  void answerOnce(uint32_t offset, int16_t result);
  // DeviceIoControl itself fails for the code.
  void refuse(uint32_t offset);
  uint32_t ownerValue = 0;         // at +0 when the open answers 4
  int16_t state = 0;               // in the answers 0x40 and 0x88
  int16_t counterState = 0;        // in the answer 0x68
  uint16_t backDataMore = 0;       // at +12 of the answer 0x80

  // Waits until n waits of the code have arrived in all (at most 5 s).
  bool waitsReach(uint32_t offset, int n);
  // Completes the pending wait of the code; false when none is pending.
  bool complete(uint32_t offset);
  int pending();
  int cancelled();

  std::vector<Logged> log();
  std::vector<uint32_t> offsets();
  void clearLog();
  int openFiles();

  static LONG dispatch(PlatRequest* request);
  void fileCounted(int step);

 private:
  static void cancelWait(PlatRequest* request);
  LONG handle(PlatRequest* request);

  std::mutex m_;
  std::condition_variable cv_;
  std::vector<std::string> names_;
  std::map<uint32_t, int16_t> results_;
  std::map<uint32_t, std::deque<int16_t>> once_;
  std::map<uint32_t, bool> refused_;
  std::map<uint32_t, PlatRequest*> waits_;
  std::map<uint32_t, int> waitCount_;
  std::map<uint32_t, std::vector<unsigned char>> lastStart_;  // 0x08/0x24, 0x0C and 0x48
  std::vector<Logged> log_;
  int cancelled_ = 0;
  int files_ = 0;
};

}  // namespace morvel::testing
