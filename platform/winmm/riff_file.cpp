#include "winmm/riff_file.h"

#include <sys/stat.h>

#include <cstring>

namespace plat::mm {

namespace {

uint32_t littleEndian32(const unsigned char* b) {
  return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

bool isListType(FOURCC id) { return id == FOURCC_RIFF || id == FOURCC_LIST; }

// Where the chunk after this one starts: data, then the pad byte of an odd
// size. 64-bit, since a chunk may claim up to 4 GB near the end of a file.
uint64_t chunkEnd(const MMCKINFO& chunk) {
  return uint64_t{chunk.dwDataOffset} + chunk.cksize + (chunk.cksize & 1u);
}

}  // namespace

std::unique_ptr<RiffFile> RiffFile::open(const std::string& linuxPath) {
  std::FILE* file = std::fopen(linuxPath.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct stat info {};
  if (::fstat(::fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return std::unique_ptr<RiffFile>(new RiffFile(file, static_cast<uint64_t>(info.st_size)));
}

LONG RiffFile::read(char* buffer, LONG count) {
  if (count < 0 || (buffer == nullptr && count > 0)) return -1;
  return static_cast<LONG>(std::fread(buffer, 1, static_cast<size_t>(count), file_.get()));
}

bool RiffFile::seek(uint64_t position) {
  if (position > size_) return false;
  return fseeko(file_.get(), static_cast<off_t>(position), SEEK_SET) == 0;
}

bool RiffFile::readHeader(MMCKINFO& chunk) {
  const off_t start = ftello(file_.get());
  unsigned char header[12];
  if (start < 0 || std::fread(header, 1, 8, file_.get()) != 8) return false;
  chunk.ckid = littleEndian32(header);
  chunk.cksize = littleEndian32(header + 4);
  chunk.fccType = 0;
  chunk.dwFlags = 0;
  // The data offset is a 32-bit field: a file beyond 4 GB has no chunk there.
  if (static_cast<uint64_t>(start) + 8 > UINT32_MAX) return false;
  chunk.dwDataOffset = static_cast<DWORD>(start + 8);
  if (isListType(chunk.ckid)) {
    if (std::fread(header + 8, 1, 4, file_.get()) != 4) return false;
    chunk.fccType = littleEndian32(header + 8);
  }
  return true;
}

MMRESULT RiffFile::descend(MMCKINFO& chunk, const MMCKINFO* parent, UINT flags) {
  const uint64_t limit = parent != nullptr ? uint64_t{parent->dwDataOffset} + parent->cksize : size_;
  const FOURCC wantedId = chunk.ckid;
  const FOURCC wantedType = chunk.fccType;
  for (;;) {
    const off_t here = ftello(file_.get());
    if (here < 0 || static_cast<uint64_t>(here) + 8 > limit) return MMIOERR_CHUNKNOTFOUND;
    MMCKINFO found{};
    if (!readHeader(found)) return MMIOERR_CHUNKNOTFOUND;
    bool match = true;
    if (flags & MMIO_FINDCHUNK) match = found.ckid == wantedId;
    if (flags & MMIO_FINDRIFF) match = found.ckid == FOURCC_RIFF && found.fccType == wantedType;
    if (flags & MMIO_FINDLIST) match = found.ckid == FOURCC_LIST && found.fccType == wantedType;
    if (match) {
      chunk = found;
      return MMSYSERR_NOERROR;
    }
    if (!seek(chunkEnd(found))) return MMIOERR_CHUNKNOTFOUND;
  }
}

MMRESULT RiffFile::ascend(const MMCKINFO& chunk) {
  // A last chunk whose pad byte is missing still ends the file.
  const uint64_t end = chunkEnd(chunk);
  return seek(end > size_ ? size_ : end) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}

}  // namespace plat::mm
