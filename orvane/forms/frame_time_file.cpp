#include "frame_time_file.h"

#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace orvane::forms {
namespace {

int32_t Bounded(LONG count) { return std::clamp<int32_t>(count, 0, kCaptureTableEntries); }

template <class T>
void Append(QByteArray& out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

}  // namespace

CaptureTables ReadCaptureTables(const core::VekmathCalls& api) {
  LONG frames = 0, blocks = 0;
  if (api.GetCaptureCounts) api.GetCaptureCounts(&frames, &blocks);
  CaptureTables t;
  t.positions.assign(static_cast<std::size_t>(Bounded(frames)) + 1, 0);
  t.times.assign(t.positions.size(), 0.0);
  t.blockTimes.assign(static_cast<std::size_t>(Bounded(blocks)) + 1, 0);
  static_assert(sizeof(LONG) == sizeof(int32_t));
  LONG grabbed = 0;
  if (api.GetCaptureTimes)
    api.GetCaptureTimes(reinterpret_cast<LONG*>(t.positions.data()), reinterpret_cast<LONG*>(t.blockTimes.data()),
                        t.times.data(), &grabbed);
  // Whatever the library copied, each table ends in its unfilled entry.
  t.positions.back() = 0;
  t.times.back() = 0.0;
  t.blockTimes.back() = 0;
  t.grabbed = grabbed;
  return t;
}

QByteArray FrameTimeBytes(const CaptureTables& t) {
  QByteArray out;
  out.reserve(static_cast<qsizetype>(8 + 12 * t.positions.size() + 4 * t.blockTimes.size()));
  Append<int32_t>(out, t.Frames());
  Append<int32_t>(out, t.Blocks());
  for (int32_t p : t.positions) Append(out, p);
  for (double v : t.times) Append(out, v);
  for (int32_t b : t.blockTimes) Append(out, b);
  return out;
}

std::optional<QString> WriteFrameTimeFile(const QString& path, const CaptureTables& tables) {
  QSaveFile file(path);
  const QByteArray bytes = FrameTimeBytes(tables);
  // The write only fills the buffer: a full disk shows at the flush, which
  // the commit would pass over and put the cut copy in place of the file.
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
    const QString reason = file.errorString();
    file.cancelWriting();
    return QStringLiteral("cannot write %1: %2").arg(path, reason);
  }
  if (!file.commit()) return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
  return std::nullopt;
}

}  // namespace orvane::forms
