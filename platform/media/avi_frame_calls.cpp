// Decoding a stream's frames. A frame that depends on earlier ones is
// reached from the key frame before it, or by going on from the frame
// shown last when that is on the way.
#include <cstring>

#include "media/avi_objects.h"

namespace plat::avi {

LiveObjects<IGetFrame>& liveFrames() {
  static LiveObjects<IGetFrame> frames;
  return frames;
}

namespace {

using plat::media::VideoDecoder;

// The caller keeps `index` inside the stream; at() stops a slip there
// instead of reading past the table.
LONG keyFrameAtOrBefore(const std::vector<SampleChunk>& samples, LONG index) {
  for (LONG i = index; i > 0; --i) {
    if (samples.at(static_cast<size_t>(i)).key) return i;
  }
  return 0;
}

void startOver(IGetFrame& frames, LONG at) {
  frames.decoder->restart();
  frames.fed = at - 1;
  frames.next = at;
  frames.shown = -1;
}

// Feeds samples until the picture of `index` came out; false when it does
// not decode.
bool decodeUpTo(IGetFrame& frames, LONG index) {
  const StreamContents& stream = frames.reader->streams()[frames.index];
  const LONG count = static_cast<LONG>(stream.samples.size());
  while (frames.next <= index && frames.fed + 1 < count) {
    const SampleChunk& chunk = stream.samples[static_cast<size_t>(++frames.fed)];
    if (!frames.reader->readSample(chunk, frames.sample)) return false;
    const VideoDecoder::Result result = frames.decoder->decode(frames.sample.data(), frames.sample.size(), frames.bitmap);
    if (result == VideoDecoder::Result::Failed) return false;
    if (result == VideoDecoder::Result::Picture) frames.shown = frames.next++;
  }
  return frames.shown == index;
}

}  // namespace

}  // namespace plat::avi

using namespace plat::avi;

PLATFORM_API PGETFRAME WINAPI AVIStreamGetFrameOpen(PAVISTREAM pavi, LPBITMAPINFOHEADER lpbiWanted) {
  if (!liveStreams().contains(pavi) || lpbiWanted != nullptr || !pavi->reader || pavi->compressed) return nullptr;
  const StreamContents& stream = pavi->reader->streams()[pavi->index];
  if (stream.header.type != streamtypeVIDEO || stream.format.size() < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER format;
  std::memcpy(&format, stream.format.data(), sizeof format);
  auto frames = std::make_unique<IGetFrame>();
  frames->decoder = plat::media::VideoDecoder::open(format, stream.header.handler);
  if (!frames->decoder) return nullptr;
  frames->reader = pavi->reader;
  frames->index = pavi->index;
  return liveFrames().add(std::move(frames));
}

PLATFORM_API LPVOID WINAPI AVIStreamGetFrame(PGETFRAME pg, LONG lPos) {
  if (!liveFrames().contains(pg)) return nullptr;
  IGetFrame& frames = *pg;
  const StreamContents& stream = frames.reader->streams()[frames.index];
  const int64_t index = int64_t{lPos} - stream.header.start;
  if (index < 0 || index >= static_cast<int64_t>(stream.samples.size())) return nullptr;
  const LONG wanted = static_cast<LONG>(index);
  if (wanted == frames.shown) return frames.bitmap.data();
  const LONG key = keyFrameAtOrBefore(stream.samples, wanted);
  const bool onTheWay = frames.shown >= key && frames.shown < wanted && frames.next <= wanted;
  if (!onTheWay) startOver(frames, key);
  if (!decodeUpTo(frames, wanted)) {
    startOver(frames, 0);  // the decoder's state is unknown now
    return nullptr;
  }
  return frames.bitmap.data();
}

PLATFORM_API HRESULT WINAPI AVIStreamGetFrameClose(PGETFRAME pg) {
  return liveFrames().take(pg) ? AVIERR_OK : AVIERR_BADHANDLE;
}
