#include "gdi32/objects.h"

#include <winbase.h>

#include <atomic>
#include <cstring>
#include <unordered_map>

namespace plat::gdi {

namespace {

constexpr uint32_t kStockBase = 0x100;
constexpr int kStockCount = 18;
constexpr uint32_t kDefaultBitmap = kStockBase + 0x40;
constexpr uint32_t kFirstHandle = 0x1000;
constexpr uint32_t kLastHandle = 0x7FFFFFFF;

struct Entry {
  Kind kind = Kind::None;
  bool stock = false;
  int selected = 0;  // contexts holding it
  Pen pen;
  Brush brush;
  LOGFONTA font{};
  std::shared_ptr<Bitmap> bitmap;
  DcPtr dc;
};

LOGFONTA systemFont() {
  LOGFONTA f{};
  f.lfHeight = 16;
  f.lfWeight = FW_NORMAL;
  f.lfCharSet = SHIFTJIS_CHARSET;
  return f;
}

class Table {
 public:
  Table() {
    auto stockPen = [&](int i, int style, COLORREF c) {
      Entry& e = stock(i, Kind::Pen);
      e.pen = Pen{style, 1, c};
    };
    auto stockBrush = [&](int i, bool hollow, COLORREF c) {
      Entry& e = stock(i, Kind::Brush);
      e.brush = Brush{hollow, c};
    };
    stockBrush(WHITE_BRUSH, false, 0xFFFFFF);
    stockBrush(LTGRAY_BRUSH, false, 0xC0C0C0);
    stockBrush(GRAY_BRUSH, false, 0x808080);
    stockBrush(DKGRAY_BRUSH, false, 0x404040);
    stockBrush(BLACK_BRUSH, false, 0);
    stockBrush(NULL_BRUSH, true, 0);
    stockPen(WHITE_PEN, PS_SOLID, 0xFFFFFF);
    stockPen(BLACK_PEN, PS_SOLID, 0);
    stockPen(NULL_PEN, PS_NULL, 0);
    stock(SYSTEM_FONT, Kind::Font).font = systemFont();
    stock(DEFAULT_GUI_FONT, Kind::Font).font = systemFont();
    Entry& bitmap = entries_[kDefaultBitmap];
    bitmap.kind = Kind::Bitmap;
    bitmap.stock = true;
    bitmap.bitmap = std::make_shared<Bitmap>();
    Bitmap& b = *bitmap.bitmap;
    b.width = b.height = 1;
    b.storage.assign(1, 0xFF000000u);
    b.stride = 4;
    b.top = reinterpret_cast<uint8_t*>(b.storage.data());
    b.bits = b.top;
  }

  std::mutex mutex;

  Entry* find(uint32_t handle) {
    auto it = entries_.find(handle);
    return it == entries_.end() ? nullptr : &it->second;
  }

  uint32_t add(Entry entry) {
    for (uint32_t tries = 0; tries < 1024; ++tries) {
      uint32_t h = next_;
      next_ = next_ >= kLastHandle ? kFirstHandle : next_ + 1;
      if (entries_.count(h)) continue;
      entries_.emplace(h, std::move(entry));
      return h;
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }

  void erase(uint32_t handle) { entries_.erase(handle); }

  void release(uint32_t handle) {
    Entry* e = find(handle);
    if (e && !e->stock && e->selected > 0) --e->selected;
  }

 private:
  Entry& stock(int index, Kind kind) {
    Entry& e = entries_[kStockBase + static_cast<uint32_t>(index)];
    e.kind = kind;
    e.stock = true;
    return e;
  }

  std::unordered_map<uint32_t, Entry> entries_;
  uint32_t next_ = kFirstHandle;
};

Table& table() {
  static Table t;
  return t;
}

// Drawing calls come in long runs on one context from one thread; the last
// context a thread found is looked up again without the table's lock. Any
// context's deletion moves the epoch on and so voids every thread's entry.
std::atomic<uint64_t> g_dcEpoch{0};

struct LastDc {
  uint32_t handle = 0;
  uint64_t epoch = 0;
  DcPtr dc;
};
thread_local LastDc t_lastDc;

uint32_t addEntry(Entry e) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.add(std::move(e));
}

}  // namespace

uint32_t handleValue(const void* handle) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  return v > kLastHandle ? 0 : static_cast<uint32_t>(v);
}

uint32_t addPen(const Pen& pen) {
  Entry e;
  e.kind = Kind::Pen;
  e.pen = pen;
  return addEntry(std::move(e));
}

uint32_t addBrush(const Brush& brush) {
  Entry e;
  e.kind = Kind::Brush;
  e.brush = brush;
  return addEntry(std::move(e));
}

uint32_t addFont(const LOGFONTA& font) {
  Entry e;
  e.kind = Kind::Font;
  e.font = font;
  return addEntry(std::move(e));
}

uint32_t addBitmap(std::shared_ptr<Bitmap> bitmap) {
  Entry e;
  e.kind = Kind::Bitmap;
  e.bitmap = std::move(bitmap);
  return addEntry(std::move(e));
}

uint32_t addDc(DcPtr dc) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  dc->pen = kStockBase + BLACK_PEN;
  dc->penData = t.find(dc->pen.load())->pen;
  dc->brush = kStockBase + WHITE_BRUSH;
  dc->brushData = t.find(dc->brush.load())->brush;
  dc->font = kStockBase + SYSTEM_FONT;
  dc->fontData = t.find(dc->font.load())->font;
  if (dc->memory) {
    dc->bitmap = kDefaultBitmap;
    dc->bitmapData = t.find(kDefaultBitmap)->bitmap;
  }
  Entry e;
  e.kind = Kind::Dc;
  e.dc = std::move(dc);
  return t.add(std::move(e));
}

Kind kindOf(uint32_t handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  return e ? e->kind : Kind::None;
}

DcPtr findDc(uint32_t handle) {
  LastDc& last = t_lastDc;
  const uint64_t epoch = g_dcEpoch.load(std::memory_order_acquire);
  if (handle != 0 && last.handle == handle && last.epoch == epoch) return last.dc;
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  last = LastDc{handle, epoch, e->dc};
  return e->dc;
}

bool findBrush(uint32_t handle, Brush* out) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Brush) return false;
  *out = e->brush;
  return true;
}

bool findPen(uint32_t handle, LOGPEN* out) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Pen) return false;
  *out = LOGPEN{static_cast<UINT>(e->pen.style), POINT{e->pen.width, 0}, e->pen.color};
  return true;
}

bool findFont(uint32_t handle, LOGFONTA* out) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Font) return false;
  *out = e->font;
  return true;
}

std::shared_ptr<Bitmap> findBitmap(uint32_t handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Bitmap) return nullptr;
  return e->bitmap;
}

uint32_t stockObject(int index) {
  if (index < 0 || index >= kStockCount) return 0;
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const uint32_t h = kStockBase + static_cast<uint32_t>(index);
  return t.find(h) ? h : 0;
}

uint32_t selectInto(uint32_t dcHandle, uint32_t object) {
  // Selecting what is selected changes nothing; the live strips do it for
  // every line they draw with the pen of the line before.
  if (object != 0) {
    if (DcPtr held = findDc(dcHandle)) {
      constexpr auto relaxed = std::memory_order_relaxed;
      if (held->pen.load(relaxed) == object || held->brush.load(relaxed) == object ||
          held->font.load(relaxed) == object || held->bitmap.load(relaxed) == object) {
        return object;
      }
    }
  }
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* d = t.find(dcHandle);
  Entry* o = t.find(object);
  if (!d || d->kind != Kind::Dc || !o) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  Dc& dc = *d->dc;
  std::lock_guard<std::mutex> dcLock(dc.mutex);
  std::atomic<uint32_t>* slot = nullptr;
  switch (o->kind) {
    case Kind::Pen:
      slot = &dc.pen;
      dc.penData = o->pen;
      break;
    case Kind::Brush:
      slot = &dc.brush;
      dc.brushData = o->brush;
      break;
    case Kind::Font:
      slot = &dc.font;
      dc.fontData = o->font;
      break;
    case Kind::Bitmap:
      // A bitmap lives in one memory context at a time.
      if (!dc.memory || (o->selected > 0 && dc.bitmap != object)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      slot = &dc.bitmap;
      dc.bitmapData = o->bitmap;
      break;
    default:
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
  }
  const uint32_t previous = slot->load();
  if (previous != object) {
    if (!o->stock) ++o->selected;
    t.release(previous);
    slot->store(object);
  }
  return previous;
}

bool deleteObject(uint32_t handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind == Kind::Dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (e->stock) return true;
  if (e->selected > 0) return false;
  t.erase(handle);
  return true;
}

bool deleteDc(uint32_t handle, bool memory, HWND hwnd) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Entry* e = t.find(handle);
  if (!e || e->kind != Kind::Dc || e->dc->memory != memory || (!memory && e->dc->hwnd != hwnd)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DcPtr dc = e->dc;
  t.erase(handle);
  g_dcEpoch.fetch_add(1, std::memory_order_release);
  std::lock_guard<std::mutex> dcLock(dc->mutex);
  for (uint32_t h : {dc->pen.load(), dc->brush.load(), dc->font.load(), dc->bitmap.load()}) t.release(h);
  dc->bitmapData.reset();
  return true;
}

}  // namespace plat::gdi
