#include "fake_vekmath.h"

#include <cstring>
#include <QCoreApplication>
#include <QThread>

namespace orvane::forms::testing {
namespace {

FakeVekmath* current = nullptr;

void Log(std::string text) { current->calls.push_back(std::move(text)); }

}  // namespace

FakeVekmath::FakeVekmath() : calls_(core::LoadedVekmath()) {
  current = this;
  calls_.SelectBoard = [](LONG type, LONG value, const char* name) -> LONG {
    current->selectedTypes.push_back(type);
    current->selectedName = name ? name : "";
    Log("SelectBoard " + std::to_string(type) + " " + std::to_string(value) + " " + current->selectedName);
    return type;
  };
  calls_.GetErrorText = [](char* text) { std::strcpy(text, "board failed"); };
  calls_.SetTestSine = [](LONG cycles, LONG, LONG channel) {
    Log("SetTestSine " + std::to_string(cycles) + " " + std::to_string(channel));
  };
  calls_.SetupSampling2 = [](const LONG*, LONG, LONG* status) {
    Log("SetupSampling2");
    *status = current->lastStatus;
  };
  calls_.SetupSampling = [](LONG channels, const SHORT* list, LONG scans, LONG clock, LONG period, LONG, LONG trig,
                          LONG, LONG, LONG* status) {
    current->channels = channels;
    Log("SetupSampling " + std::to_string(channels) + " " + std::to_string(list[0]) + ".." +
        std::to_string(list[channels > 0 ? channels - 1 : 0]) + " " + std::to_string(scans) + " " +
        std::to_string(clock) + " " + std::to_string(period) + " " + std::to_string(trig));
    current->lastStatus = current->setupStatus;
    *status = current->lastStatus;
  };
  calls_.StartSampling = [](LONG* status) {
    Log("StartSampling");
    // Refused while the last status holds a failure.
    if (current->lastStatus != 0) {
      *status = current->lastStatus;
      return;
    }
    current->lastStatus = current->startStatus;
    current->stopped = false;
    current->blocksRead = 0;
    current->scansHandedOut = 0;
    *status = current->startStatus;
  };
  calls_.StopSampling = [](LONG* status) -> LONG {
    Log("StopSampling");
    current->stopped = true;
    *status = 0;
    return 0;
  };
  calls_.CloseBoard = [](LONG* status) {
    Log("CloseBoard");
    *status = 0;
  };
  calls_.ReadBlock = [](SHORT* buffer, LONG scans, LONG* running, LONG* status) -> LONG {
    FakeVekmath& f = *current;
    Log("ReadBlock");
    if (f.onReadBlock) f.onReadBlock(f.blocksRead);
    while (f.deliverNothing && !f.stopped) {
      QCoreApplication::processEvents(QEventLoop::AllEvents);
      QThread::msleep(1);
    }
    if (f.stopped) {
      f.lastStatus = 30000;
      *status = 30000;
      *running = 0;
      return 0;
    }
    if (f.failFromBlock >= 0 && f.blocksRead >= f.failFromBlock) {
      f.lastStatus = f.failStatus;
      *status = f.failStatus;
      return 0;
    }
    for (LONG s = 0; s < scans; ++s)
      for (LONG c = 0; c < f.channels; ++c) buffer[s * f.channels + c] = Sample(f.scansHandedOut + s, c);
    f.scansHandedOut += scans;
    ++f.blocksRead;
    *running = 1;
    *status = 0;
    return 0;
  };
  calls_.SetupWaveGraph = [](HWND, const MonitorSettings* s, const TraceParams*, LONG) {
    Log("SetupWaveGraph " + std::to_string(s->span));
  };
  calls_.SetupWaveGraph2 = [](LONG v) { Log("SetupWaveGraph2 " + std::to_string(v)); };
  calls_.SetupWaveGraph_XLINE = [](HWND, const GridLine*) { Log("SetupWaveGraph_XLINE"); };
  calls_.DrawWaveGraph = [] { Log("DrawWaveGraph"); };
  core::UseVekmathCalls(&calls_);
}

FakeVekmath::~FakeVekmath() {
  core::UseVekmathCalls(nullptr);
  current = nullptr;
}

std::vector<std::string> FakeVekmath::CallsOf(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& c : calls)
    if (c.rfind(prefix, 0) == 0) out.push_back(c);
  return out;
}

}  // namespace orvane::forms::testing
