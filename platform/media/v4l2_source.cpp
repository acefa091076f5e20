// The stream of a V4L2 camera: memory-mapped buffers, each frame converted
// as it is dequeued and its buffer handed straight back to the driver.
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "media/v4l2_camera.h"

namespace plat::camera::v4l2 {

namespace {

constexpr unsigned kBufferCount = 4;
constexpr int kPollMs = 1000;  // the longest a frame may take before the wait looks again

double monotonicSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

Source::Source(NodeInfo node, UniqueFd fd) : node_(std::move(node)), fd_(std::move(fd)), mode_(node_.current) {}

Source::~Source() { Finish(); }

bool Source::Configure(int32_t width, int32_t height, int64_t interval100ns) {
  for (const Mode& m : node_.modes) {
    if (m.size.width == width && m.size.height == height) {
      mode_ = m;
      interval_ = interval100ns;
      return true;
    }
  }
  return false;
}

bool Source::fail(std::string* error, const char* step) {
  if (error != nullptr) *error = std::string(step) + " failed on " + node_.node;
  Finish();
  return false;
}

bool Source::Start(std::string* error) {
  Finish();
  wake_ = UniqueFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
  if (!wake_) return fail(error, "eventfd");

  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  format.fmt.pix.width = static_cast<uint32_t>(mode_.size.width);
  format.fmt.pix.height = static_cast<uint32_t>(mode_.size.height);
  format.fmt.pix.pixelformat = mode_.fourcc;
  format.fmt.pix.field = V4L2_FIELD_NONE;
  if (!Control(fd_.get(), VIDIOC_S_FMT, &format)) return fail(error, "VIDIOC_S_FMT");
  if (format.fmt.pix.pixelformat != mode_.fourcc) return fail(error, "the pixel format");
  // The driver's nearest size, which sizes the frames: bounded as the list is.
  const std::optional<FrameSize> answered = BoundedSize(format.fmt.pix.width, format.fmt.pix.height);
  if (!answered) {
    const std::string step = "the frame size " + std::to_string(format.fmt.pix.width) + " x " +
                             std::to_string(format.fmt.pix.height) + " (1 to " + std::to_string(kLargestSide) +
                             " a side)";
    return fail(error, step.c_str());
  }
  mode_.size.width = answered->width;
  mode_.size.height = answered->height;

  if (interval_ > 0) {
    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (Control(fd_.get(), VIDIOC_G_PARM, &parm) && (parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) != 0) {
      parm.parm.capture.timeperframe = {static_cast<uint32_t>(interval_), 10'000'000};
      if (!Control(fd_.get(), VIDIOC_S_PARM, &parm)) return fail(error, "VIDIOC_S_PARM");
    }
  }

  v4l2_requestbuffers request{};
  request.count = kBufferCount;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  if (!Control(fd_.get(), VIDIOC_REQBUFS, &request)) return fail(error, "VIDIOC_REQBUFS");
  requested_ = true;
  if (request.count == 0) return fail(error, "VIDIOC_REQBUFS");
  for (unsigned i = 0; i < request.count; ++i) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = i;
    if (!Control(fd_.get(), VIDIOC_QUERYBUF, &buffer)) return fail(error, "VIDIOC_QUERYBUF");
    Mapping mapping(fd_.get(), buffer.length, static_cast<long>(buffer.m.offset));
    if (!mapping) return fail(error, "mmap");
    buffers_.push_back(std::move(mapping));
    if (!Control(fd_.get(), VIDIOC_QBUF, &buffer)) return fail(error, "VIDIOC_QBUF");
  }
  v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  if (!Control(fd_.get(), VIDIOC_STREAMON, &type)) return fail(error, "VIDIOC_STREAMON");
  streaming_ = true;
  startSeconds_ = monotonicSeconds();
  haveFirst_ = false;
  pixels_.assign(static_cast<size_t>(RowBytes(mode_.size.width) * mode_.size.height), 0);
  return true;
}

bool Source::requeue(unsigned index) {
  v4l2_buffer buffer{};
  buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  buffer.memory = V4L2_MEMORY_MMAP;
  buffer.index = index;
  return Control(fd_.get(), VIDIOC_QBUF, &buffer);
}

bool Source::NextFrame(Frame& frame) {
  if (!streaming_) return false;
  for (;;) {
    pollfd waits[2] = {{fd_.get(), POLLIN, 0}, {wake_.get(), POLLIN, 0}};
    const int ready = ::poll(waits, 2, kPollMs);
    if (ready < 0 && errno != EINTR) return false;
    if ((waits[1].revents & POLLIN) != 0) return false;  // interrupted
    if (ready <= 0 || (waits[0].revents & POLLIN) == 0) {
      if ((waits[0].revents & (POLLERR | POLLHUP)) != 0) return false;  // unplugged
      continue;
    }
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    if (!Control(fd_.get(), VIDIOC_DQBUF, &buffer)) {
      if (errno == EAGAIN) continue;
      return false;
    }
    if (buffer.index >= buffers_.size()) return false;
    const Mapping& mapped = buffers_[buffer.index];
    const bool converted = (buffer.flags & V4L2_BUF_FLAG_ERROR) == 0 &&
                           converter_.Convert(mode_.fourcc, mapped.data(),
                                              std::min<size_t>(buffer.bytesused, mapped.length()),
                                              mode_.size.width, mode_.size.height, pixels_.data());
    const double stamp =
        static_cast<double>(buffer.timestamp.tv_sec) + static_cast<double>(buffer.timestamp.tv_usec) / 1e6;
    if (!requeue(buffer.index)) return false;
    if (!converted) continue;  // a damaged frame: the camera sends the next one
    if (!haveFirst_) {
      startFromFirst_ = (buffer.flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) != V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
      if (startFromFirst_) startSeconds_ = stamp;
      haveFirst_ = true;
    }
    frame.pixels = pixels_.data();
    frame.length = static_cast<long>(pixels_.size());
    frame.sampleTime = std::max(0.0, stamp - startSeconds_);
    return true;
  }
}

void Source::Interrupt() {
  if (!wake_) return;
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(wake_.get(), &one, sizeof one);
}

void Source::Finish() {
  if (streaming_) {
    v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    Control(fd_.get(), VIDIOC_STREAMOFF, &type);
    streaming_ = false;
  }
  buffers_.clear();  // unmapped before the driver frees them
  if (requested_) {
    requested_ = false;
    v4l2_requestbuffers none{};
    none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    none.memory = V4L2_MEMORY_MMAP;
    Control(fd_.get(), VIDIOC_REQBUFS, &none);
  }
}

}  // namespace plat::camera::v4l2
