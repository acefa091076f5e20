// The video file of a recording: opened by StartRecord, written by the
// frame callback on the streaming thread, closed by EndRecord (or by
// whoever appends stills to it and then ends it).
#pragma once
#include <vfw.h>

#include <cstdint>
#include <mutex>

namespace vekmath {

// The stream geometry of a new video file: the camera's frame size.
struct VideoFormat {
  int32_t width = 0;
  int32_t height = 0;
  long imageSize = 0;
};

// Creates the file at path with one video stream compressed by "DIVX".
// 0, or the first step that failed: 1 the file, 2 the stream, 3 the
// compressed stream (no compressor), 4 the format. A file already open is
// closed first. What did open stays open until CloseAviStream.
int32_t OpenAviStream(const char* path, const VideoFormat& format);

// Releases the compressed stream, the raw stream and the file (the file
// is written out here) and frees the compressor settings. Nothing happens
// for what is not open. Must not be called while an OpenVideoStream lives
// on the same thread.
void CloseAviStream();

// The open compressed stream, held against the frame callback and
// CloseAviStream for as long as this object lives. stream() is null when
// no video file is open (or its compressed stream could not be made);
// nothing may then be written.
class OpenVideoStream {
 public:
  OpenVideoStream();
  PAVISTREAM stream() const { return stream_; }

 private:
  std::unique_lock<std::mutex> lock_;
  PAVISTREAM stream_ = nullptr;
};

}  // namespace vekmath
