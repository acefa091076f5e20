#include "media/avi_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vfw.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace plat::avi {

namespace {

// RIFF sizes are 32-bit: stop well before the movi list could overflow.
constexpr uint64_t kLargestFile = 0xFFFF0000ull;

void append(std::vector<uint8_t>& out, const void* data, size_t size) {
  if (size == 0) return;  // a stream whose format was never set
  const auto* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}
void append32(std::vector<uint8_t>& out, uint32_t value) { append(out, &value, 4); }
void patch32(std::vector<uint8_t>& out, size_t at, uint32_t value) { std::memcpy(out.data() + at, &value, 4); }

void appendChunk(std::vector<uint8_t>& out, FOURCC id, const void* data, size_t size) {
  append32(out, id);
  append32(out, static_cast<uint32_t>(size));
  append(out, data, size);
  if (size & 1u) out.push_back(0);
}

// Opens a LIST and returns where its size goes.
size_t openList(std::vector<uint8_t>& out, FOURCC type) {
  append32(out, FOURCC_LIST);
  const size_t sizeAt = out.size();
  append32(out, 0);
  append32(out, type);
  return sizeAt;
}
void closeList(std::vector<uint8_t>& out, size_t sizeAt) {
  patch32(out, sizeAt, static_cast<uint32_t>(out.size() - sizeAt - 4));
}

iovec piece(const void* data, size_t size) { return iovec{const_cast<void*>(data), size}; }

// Writes the pieces one after the other from `at`, in one call when the
// kernel takes them whole; false when not all of them went in.
bool writeAt(int fd, uint64_t at, std::initializer_list<iovec> list) {
  std::vector<iovec> pieces(list);
  size_t first = 0;
  for (;;) {
    while (first < pieces.size() && pieces[first].iov_len == 0) ++first;
    if (first == pieces.size()) return true;
    const ssize_t done =
        ::pwritev(fd, pieces.data() + first, static_cast<int>(pieces.size() - first), static_cast<off_t>(at));
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    at += static_cast<uint64_t>(done);
    for (size_t left = static_cast<size_t>(done); left > 0;) {
      const size_t taken = std::min(left, pieces[first].iov_len);
      pieces[first].iov_base = static_cast<char*>(pieces[first].iov_base) + taken;
      pieces[first].iov_len -= taken;
      left -= taken;
      if (pieces[first].iov_len == 0) ++first;
    }
  }
}

}  // namespace

// A recording takes its own name at once, as an open for creating takes
// it: callers look for the file while it is being written, and what a
// killed process leaves is found there.
std::unique_ptr<AviWriter> AviWriter::create(const std::string& linuxPath) {
  // Not blocking: a pipe at the name must not hold the open for good.
  UniqueFd file(::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666));
  struct stat info {};
  if (!file || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  return std::unique_ptr<AviWriter>(new AviWriter(std::move(file)));
}

AviWriter::~AviWriter() { finish(); }

bool AviWriter::addStream(const StreamHeader& header, const std::string& name) {
  if (started_ || streams_.size() >= 100) return false;
  Stream stream;
  stream.header = header;
  stream.header.length = 0;
  stream.header.suggestedBufferSize = 0;
  stream.name = name;
  streams_.push_back(std::move(stream));
  return true;
}

bool AviWriter::setFormat(size_t stream, const void* format, size_t size) {
  if (started_ || stream >= streams_.size()) return false;
  const auto* bytes = static_cast<const uint8_t*>(format);
  streams_[stream].format.assign(bytes, bytes + size);
  return true;
}

MainHeader AviWriter::mainHeader() const {
  MainHeader main{};
  DWORD width = 0;
  DWORD height = 0;
  DWORD totalFrames = 0;
  bool found = false;
  // The first video stream gives the file's frame rate, size and length.
  for (const Stream& stream : streams_) {
    if (stream.header.type != streamtypeVIDEO || found) continue;
    found = true;
    if (stream.header.rate != 0) {
      main.microSecPerFrame = static_cast<DWORD>(uint64_t{1000000} * stream.header.scale / stream.header.rate);
    }
    width = static_cast<DWORD>(stream.header.frameRight - stream.header.frameLeft);
    height = static_cast<DWORD>(stream.header.frameBottom - stream.header.frameTop);
    totalFrames = stream.header.length;
  }
  main.flags = kAvifHasIndex;
  main.totalFrames = totalFrames;
  main.streams = static_cast<DWORD>(streams_.size());
  main.suggestedBufferSize = largestSample_;
  main.width = width;
  main.height = height;
  if (main.microSecPerFrame != 0) {
    main.maxBytesPerSec = static_cast<DWORD>(
        std::min<uint64_t>(uint64_t{largestSample_} * 1000000 / main.microSecPerFrame, UINT32_MAX));
  }
  return main;
}

std::vector<uint8_t> AviWriter::headerList() const {
  const MainHeader main = mainHeader();
  std::vector<uint8_t> out;
  const size_t hdrl = openList(out, kHdrl);
  appendChunk(out, kAvih, &main, sizeof main);
  for (const Stream& stream : streams_) {
    const size_t strl = openList(out, kStrl);
    appendChunk(out, kStrh, &stream.header, sizeof stream.header);
    appendChunk(out, kStrf, stream.format.data(), stream.format.size());
    if (!stream.name.empty()) appendChunk(out, kStrn, stream.name.c_str(), stream.name.size() + 1);
    closeList(out, strl);
  }
  closeList(out, hdrl);
  return out;
}

// The RIFF header, the header list and the movi list's header, which
// follow each other from the file's start.
bool AviWriter::writeHeaders(uint32_t riffSize, uint32_t moviSize) {
  const std::vector<uint8_t> hdrl = headerList();
  const uint32_t riff[3] = {FOURCC_RIFF, riffSize, kAvi};
  const uint32_t movi[3] = {FOURCC_LIST, moviSize, kMovi};
  return writeAt(file_.get(), 0, {piece(riff, sizeof riff), piece(hdrl.data(), hdrl.size()), piece(movi, sizeof movi)});
}

bool AviWriter::beginMovi() {
  started_ = true;
  moviStart_ = 12 + headerList().size() + 8;
  moviEnd_ = moviStart_ + 4;
  // The lists' sizes are not known yet; 0 tells a reader that they run to
  // the end of the file.
  if (!writeHeaders(0, 0)) failed_ = true;
  return !failed_;
}

bool AviWriter::writeSample(size_t stream, const void* data, uint32_t size, DWORD samples, bool key) {
  if (finished_ || failed_ || stream >= streams_.size() || (size > 0 && data == nullptr)) return false;
  if (!started_ && !beginMovi()) return false;
  const uint64_t chunkSize = 8 + uint64_t{size} + (size & 1u);
  const uint64_t indexSize = (index_.size() + 1) * sizeof(IndexEntry) + 8;
  if (moviEnd_ + chunkSize + indexSize > kLargestFile) return false;
  StreamHeader& h = streams_[stream].header;
  const FOURCC id = sampleChunkId(static_cast<unsigned>(stream), h.type);
  const uint32_t header[2] = {id, size};
  const uint8_t pad = 0;
  if (!writeAt(file_.get(), moviEnd_, {piece(header, sizeof header), piece(data, size), piece(&pad, size & 1u)})) {
    failed_ = true;
    return false;
  }
  index_.push_back({id, key ? kIndexKeyFrame : 0, static_cast<DWORD>(moviEnd_ - moviStart_), size});
  moviEnd_ += chunkSize;
  largestSample_ = std::max(largestSample_, size);
  h.length += samples;
  h.suggestedBufferSize = std::max<DWORD>(h.suggestedBufferSize, size);
  return true;
}

bool AviWriter::finish() {
  if (finished_) return !failed_;
  finished_ = true;
  if (!started_) beginMovi();
  const uint32_t idx1[2] = {kIdx1, static_cast<uint32_t>(index_.size() * sizeof(IndexEntry))};
  const bool indexed =
      !failed_ && writeAt(file_.get(), moviEnd_, {piece(idx1, sizeof idx1), piece(index_.data(), idx1[1])});
  // Without room for its index the file ends after its last whole sample,
  // and a reader walks its data list. Should the cut fail, what a full
  // disk left past that sample still lies outside the lists' sizes.
  const uint64_t fileEnd = indexed ? moviEnd_ + sizeof idx1 + idx1[1] : moviEnd_;
  bool complete = indexed;
  if (!indexed && ::ftruncate(file_.get(), static_cast<off_t>(moviEnd_)) != 0) complete = false;
  if (!writeHeaders(static_cast<uint32_t>(fileEnd - 8), static_cast<uint32_t>(moviEnd_ - moviStart_))) complete = false;
  if (::fsync(file_.get()) != 0) complete = false;
  if (!file_.close()) complete = false;
  if (!complete) failed_ = true;
  return !failed_;
}

}  // namespace plat::avi
