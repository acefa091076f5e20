// The objects behind the AVI calls' opaque pointers. Each pointer is one
// reference: its release or close call frees it. Streams share their file's
// reader or writer, so a file is written out when its last object goes.
#pragma once
#include <vfw.h>

#include <memory>
#include <mutex>
#include <unordered_set>
#include <vector>

#include "media/avi_reader.h"
#include "media/avi_writer.h"
#include "media/video_decoder.h"
#include "media/video_encoder.h"

struct IAVIFile {
  std::shared_ptr<plat::avi::AviReader> reader;  // set when reading
  std::shared_ptr<plat::avi::AviWriter> writer;  // set when writing
};

struct IAVIStream {
  std::shared_ptr<plat::avi::AviReader> reader;
  std::shared_ptr<plat::avi::AviWriter> writer;
  size_t index = 0;
  // A compressed stream: what it compresses into the writer's stream.
  bool compressed = false;
  DWORD handler = 0;
  DWORD quality = static_cast<DWORD>(ICQUALITY_DEFAULT);
  BITMAPINFOHEADER input{};
  std::unique_ptr<plat::media::VideoEncoder> encoder;
  std::vector<uint8_t> packet;
};

struct IGetFrame {
  std::shared_ptr<plat::avi::AviReader> reader;
  size_t index = 0;
  std::unique_ptr<plat::media::VideoDecoder> decoder;
  std::vector<uint8_t> bitmap;  // the packed bitmap handed out
  std::vector<uint8_t> sample;
  LONG shown = -1;  // the sample whose picture `bitmap` holds
  LONG fed = -1;    // the last sample given to the decoder
  LONG next = -1;   // the sample the decoder's next picture belongs to
};

namespace plat::avi {

// The objects handed out and not yet freed, so that a stale or foreign
// pointer is refused rather than followed.
template <typename T>
class LiveObjects {
 public:
  T* add(std::unique_ptr<T> object) {
    std::lock_guard<std::mutex> guard(lock_);
    return *objects_.insert(object.release()).first;
  }
  bool contains(const T* object) {
    std::lock_guard<std::mutex> guard(lock_);
    return object != nullptr && objects_.count(const_cast<T*>(object)) == 1;
  }
  // The object, now the caller's to free; nullptr when not live.
  std::unique_ptr<T> take(T* object) {
    std::lock_guard<std::mutex> guard(lock_);
    if (object == nullptr || objects_.erase(object) == 0) return nullptr;
    return std::unique_ptr<T>(object);
  }

 private:
  std::mutex lock_;
  std::unordered_set<T*> objects_;
};

LiveObjects<IAVIFile>& liveFiles();
LiveObjects<IAVIStream>& liveStreams();
LiveObjects<IGetFrame>& liveFrames();

}  // namespace plat::avi
