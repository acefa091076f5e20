#include "media/avi_reader.h"

#include <vfw.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace plat::avi {

namespace {

// Keeps a short header chunk readable: what is missing reads as zero.
size_t shorter(const MMCKINFO& chunk, size_t size) { return std::min<size_t>(chunk.cksize, size); }

// Every size a file claims is checked against the file before anything is
// allocated for it: a broken or hostile header must not cost gigabytes.
bool fits(uint64_t offset, uint64_t size, uint64_t fileSize) { return offset <= fileSize && size <= fileSize - offset; }

// Without an index nothing tells which compressed frames are key frames;
// only the first is known to be one, and the others are reached from it.
// Uncompressed frames and sound stand alone.
bool standsAlone(const StreamContents& stream) {
  DWORD compression = 0;
  if (stream.format.size() >= offsetof(BITMAPINFOHEADER, biCompression) + sizeof compression) {
    std::memcpy(&compression, stream.format.data() + offsetof(BITMAPINFOHEADER, biCompression), sizeof compression);
  }
  return stream.header.type != streamtypeVIDEO || compression == BI_RGB;
}

uint64_t listEnd(const MMCKINFO& list) { return uint64_t{list.dwDataOffset} + list.cksize; }

// A list that claims no size or more than the file holds was cut off: a
// recording killed while the list was open, or a copy broken off. It ends
// where the file does. Any other list must lie inside its parent.
bool boundList(MMCKINFO& list, uint64_t parentEnd, uint64_t fileSize) {
  if (list.cksize == 0 || !fits(list.dwDataOffset, list.cksize, fileSize)) {
    list.cksize = static_cast<DWORD>(std::min<uint64_t>(fileSize - list.dwDataOffset, UINT32_MAX));
  }
  return list.cksize >= 4 && listEnd(list) <= parentEnd;
}

}  // namespace

std::unique_ptr<AviReader> AviReader::open(const std::string& linuxPath, HRESULT& error) {
  std::unique_ptr<mm::RiffFile> file = mm::RiffFile::open(linuxPath);
  if (!file) {
    error = AVIERR_FILEOPEN;
    return nullptr;
  }
  std::unique_ptr<AviReader> reader(new AviReader(std::move(file)));
  error = AVIERR_BADFORMAT;
  mm::RiffFile& riffFile = *reader->file_;
  MMCKINFO riff{};
  riff.fccType = kAvi;
  if (riffFile.descend(riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR ||
      !boundList(riff, riffFile.size(), riffFile.size())) {
    return nullptr;
  }
  MMCKINFO hdrl{};
  hdrl.fccType = kHdrl;
  if (riffFile.descend(hdrl, &riff, MMIO_FINDLIST) != MMSYSERR_NOERROR || !reader->readHeaders(hdrl)) return nullptr;
  riffFile.ascend(hdrl);
  MMCKINFO movi{};
  movi.fccType = kMovi;
  if (riffFile.descend(movi, &riff, MMIO_FINDLIST) != MMSYSERR_NOERROR ||
      !boundList(movi, listEnd(riff), riffFile.size())) {
    return nullptr;
  }
  riffFile.ascend(movi);
  MMCKINFO idx1{};
  idx1.ckid = kIdx1;
  const bool indexed = riffFile.descend(idx1, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR &&
                       reader->readIndex(idx1, movi.dwDataOffset);
  if (!indexed) {
    for (StreamContents& stream : reader->streams_) stream.samples.clear();
    // The list's own header was read; its children follow the form type.
    if (!riffFile.seek(uint64_t{movi.dwDataOffset} + 4) || !reader->walkMovi(movi)) return nullptr;
  }
  error = AVIERR_OK;
  return reader;
}

bool AviReader::readChunk(const MMCKINFO& chunk, void* into, size_t size) {
  if (size == 0) return true;
  std::memset(into, 0, size);
  const LONG wanted = static_cast<LONG>(shorter(chunk, size));
  return file_->read(static_cast<char*>(into), wanted) == wanted;
}

bool AviReader::readHeaders(const MMCKINFO& hdrl) {
  MMCKINFO avih{};
  avih.ckid = kAvih;
  if (file_->descend(avih, &hdrl, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || !readChunk(avih, &main_, sizeof main_)) {
    return false;
  }
  file_->ascend(avih);
  for (;;) {
    MMCKINFO strl{};
    strl.fccType = kStrl;
    if (file_->descend(strl, &hdrl, MMIO_FINDLIST) != MMSYSERR_NOERROR) break;
    if (!readStreamList(strl)) return false;
    file_->ascend(strl);
  }
  return !streams_.empty() || main_.streams == 0;
}

bool AviReader::readStreamList(const MMCKINFO& strl) {
  StreamContents stream;
  bool haveHeader = false;
  MMCKINFO child{};
  while (file_->descend(child, &strl, 0) == MMSYSERR_NOERROR) {
    if (child.ckid == kStrh) {
      if (!readChunk(child, &stream.header, sizeof stream.header)) return false;
      haveHeader = true;
    } else if ((child.ckid == kStrf || child.ckid == kStrn) && !fits(child.dwDataOffset, child.cksize, file_->size())) {
      return false;
    } else if (child.ckid == kStrf) {
      stream.format.resize(child.cksize);
      if (!readChunk(child, stream.format.data(), stream.format.size())) return false;
    } else if (child.ckid == kStrn) {
      std::vector<char> text(child.cksize + 1, '\0');
      if (!readChunk(child, text.data(), child.cksize)) return false;
      stream.name = text.data();
    }
    file_->ascend(child);
    child = MMCKINFO{};
  }
  if (!haveHeader) return false;
  streams_.push_back(std::move(stream));
  return true;
}

bool AviReader::readIndex(const MMCKINFO& idx1, uint32_t moviOffset) {
  if (!fits(idx1.dwDataOffset, idx1.cksize, file_->size())) return false;
  std::vector<IndexEntry> entries(idx1.cksize / sizeof(IndexEntry));
  const LONG bytes = static_cast<LONG>(entries.size() * sizeof(IndexEntry));
  if (bytes > 0 && file_->read(reinterpret_cast<char*>(entries.data()), bytes) != bytes) return false;
  // Offsets count from the "movi" form type; some writers give file
  // positions instead, which the first entry shows.
  uint64_t base = moviOffset;
  for (const IndexEntry& entry : entries) {
    if ((entry.flags & AVIIF_LIST) != 0) continue;
    if (entry.offset >= moviOffset) base = 0;
    break;
  }
  for (const IndexEntry& entry : entries) {
    const int number = chunkStream(entry.id);
    if ((entry.flags & AVIIF_LIST) != 0 || number < 0 || number >= static_cast<int>(streams_.size())) continue;
    // An index that points outside the file is not used at all; the walk of
    // the data list finds what the file really holds.
    if (!fits(base + entry.offset + 8, entry.size, file_->size())) return false;
    streams_[number].samples.push_back({base + entry.offset + 8, entry.size, (entry.flags & kIndexKeyFrame) != 0});
  }
  return true;
}

// The lists open around the current chunk are kept here, not on the call
// stack: each took a list header of the file, so the file bounds their
// number however deep it nests them.
bool AviReader::walkMovi(const MMCKINFO& movi) {
  std::vector<MMCKINFO> open{movi};
  while (!open.empty()) {
    MMCKINFO chunk{};
    if (file_->descend(chunk, &open.back(), 0) != MMSYSERR_NOERROR) {
      file_->ascend(open.back());
      open.pop_back();
    } else if (chunk.ckid == FOURCC_LIST && chunk.fccType == kRec) {
      if (!boundList(chunk, listEnd(open.back()), file_->size())) return false;
      open.push_back(chunk);
    } else {
      const int number = chunkStream(chunk.ckid);
      // A frame cut off at the file's end is not one.
      if (number >= 0 && number < static_cast<int>(streams_.size()) &&
          fits(chunk.dwDataOffset, chunk.cksize, file_->size())) {
        StreamContents& stream = streams_[number];
        stream.samples.push_back({chunk.dwDataOffset, chunk.cksize, stream.samples.empty() || standsAlone(stream)});
      }
      file_->ascend(chunk);
    }
  }
  return true;
}

bool AviReader::readSample(const SampleChunk& chunk, std::vector<uint8_t>& into) {
  if (!fits(chunk.dataOffset, chunk.size, file_->size())) return false;
  into.resize(chunk.size);
  if (chunk.size == 0) return true;
  if (!file_->seek(chunk.dataOffset)) return false;
  const LONG wanted = static_cast<LONG>(chunk.size);
  return file_->read(reinterpret_cast<char*>(into.data()), wanted) == wanted;
}

}  // namespace plat::avi
