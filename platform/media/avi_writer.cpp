#include "media/avi_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vfw.h>

#include <algorithm>
#include <cstring>

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

}  // namespace

// The file is written under a temporary name beside it and takes its own
// name only when complete: a full disk or a killed recording leaves the
// file that was there before, never a file without headers.
std::unique_ptr<AviWriter> AviWriter::create(const std::string& linuxPath) {
  std::string temporary = linuxPath + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return nullptr;
  // mkstemp makes 0600; a replaced file keeps its mode, a new one gets
  // what an ordinary create would give it.
  struct stat old {};
  if (::stat(linuxPath.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return nullptr;
  }
  // A new name is taken at once, as an open for creating takes it: callers
  // look for the file while it is being written.
  const int placeholder = ::open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (placeholder >= 0) ::close(placeholder);
  auto writer = std::unique_ptr<AviWriter>(new AviWriter(file, linuxPath, std::move(temporary)));
  writer->placeholder_ = placeholder >= 0;
  return writer;
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

bool AviWriter::put(const void* data, size_t size) {
  if (!failed_ && size > 0 && std::fwrite(data, 1, size, file_.get()) != size) failed_ = true;
  return !failed_;
}

bool AviWriter::beginMovi() {
  started_ = true;
  // The space of the headers; rewritten with their final counts by finish().
  const std::vector<uint8_t> space(12 + headerList().size(), 0);
  put(space.data(), space.size());
  const uint32_t list[3] = {FOURCC_LIST, 0, kMovi};
  put(list, sizeof list);
  moviStart_ = space.size() + 8;
  moviEnd_ = moviStart_ + 4;
  return !failed_;
}

bool AviWriter::writeSample(size_t stream, const void* data, uint32_t size, DWORD samples, bool key) {
  if (finished_ || stream >= streams_.size() || (size > 0 && data == nullptr)) return false;
  if (!started_ && !beginMovi()) return false;
  const uint64_t chunkSize = 8 + uint64_t{size} + (size & 1u);
  const uint64_t indexSize = (index_.size() + 1) * sizeof(IndexEntry) + 8;
  if (moviEnd_ + chunkSize + indexSize > kLargestFile) return false;
  StreamHeader& h = streams_[stream].header;
  const FOURCC id = sampleChunkId(static_cast<unsigned>(stream), h.type);
  const uint32_t header[2] = {id, size};
  const uint8_t pad = 0;
  if (!put(header, sizeof header) || !put(data, size) || ((size & 1u) && !put(&pad, 1))) return false;
  index_.push_back({id, key ? kIndexKeyFrame : 0, static_cast<DWORD>(moviEnd_ - moviStart_), size});
  moviEnd_ += chunkSize;
  largestSample_ = std::max(largestSample_, size);
  h.length += samples;
  h.suggestedBufferSize = std::max<DWORD>(h.suggestedBufferSize, size);
  return true;
}

bool AviWriter::finish() {
  if (finished_) return !failed_;
  if (!started_) beginMovi();
  finished_ = true;
  const uint32_t idx1[2] = {kIdx1, static_cast<uint32_t>(index_.size() * sizeof(IndexEntry))};
  put(idx1, sizeof idx1);
  put(index_.data(), index_.size() * sizeof(IndexEntry));
  const uint64_t fileEnd = moviEnd_ + 8 + index_.size() * sizeof(IndexEntry);
  const std::vector<uint8_t> hdrl = headerList();
  const uint32_t riff[3] = {FOURCC_RIFF, static_cast<uint32_t>(fileEnd - 8), kAvi};
  const uint32_t moviSize = static_cast<uint32_t>(moviEnd_ - moviStart_);
  if (!failed_ && fseeko(file_.get(), 0, SEEK_SET) != 0) failed_ = true;
  put(riff, sizeof riff);
  put(hdrl.data(), hdrl.size());
  if (!failed_ && fseeko(file_.get(), static_cast<off_t>(moviStart_ - 4), SEEK_SET) != 0) failed_ = true;
  put(&moviSize, 4);
  if (std::fflush(file_.get()) != 0 || ::fsync(::fileno(file_.get())) != 0) failed_ = true;
  if (std::fclose(file_.release()) != 0) failed_ = true;
  if (failed_ || ::rename(temporary_.c_str(), path_.c_str()) != 0) {
    failed_ = true;
    ::unlink(temporary_.c_str());
    // The name taken at the start goes again; a file that was there stays.
    struct stat taken {};
    if (placeholder_ && ::stat(path_.c_str(), &taken) == 0 && taken.st_size == 0) ::unlink(path_.c_str());
  }
  return !failed_;
}

}  // namespace plat::avi
