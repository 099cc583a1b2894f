// The clipboard over the backend, and minimal global memory.
#include "platform/win/clipboard.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/gdi/dib_pixels.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/rtl/encoding.h"
#include "platform/win/impl/state.h"

namespace win {
using namespace impl;

namespace {

struct GlobalTable {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::vector<std::uint8_t>> blocks;
  std::uintptr_t next = 0x40000;
};
GlobalTable& globals() {
  static GlobalTable* t = new GlobalTable;
  return *t;
}

struct Clip {
  HWND openBy = nullptr;
  bool open = false;
  HWND owner = nullptr;
  bool emptied = false;  // EmptyClipboard since opening: our content replaces the display's
  std::vector<ClipboardItem> items;  // what we put there
  std::vector<HGLOBAL> handed;       // handles GetClipboardData gave out
  std::vector<gdi::HBITMAP> handedBitmaps;  // CF_BITMAP handles it gave out
  DWORD sequence = 1;
};
Clip& clip() {
  static Clip* c = new Clip;
  return *c;
}

ClipboardFormatId formatId(UINT format) {
  ClipboardFormatId id;
  if (format >= 0xC000) {
    auto it = state().registeredById.find(format);
    if (it != state().registeredById.end()) id.name = it->second;
  } else {
    id.standard = format;
  }
  return id;
}

UINT formatNumber(const ClipboardFormatId& id) {
  if (id.standard) return id.standard;
  return RegisterClipboardFormatW(id.name.c_str());
}

void freeHanded() {
  Clip& c = clip();
  for (HGLOBAL h : c.handed) GlobalFree(h);
  c.handed.clear();
  for (gdi::HBITMAP b : c.handedBitmaps) gdi::DeleteObject(b);
  c.handedBitmaps.clear();
}

// CF_BITMAP travels as CF_DIB: a BITMAPINFOHEADER, 32 bits, BI_RGB,
// bottom-up rows with the bitmap's fourth byte, as other programs read it.
std::vector<std::uint8_t> bitmapToDib(gdi::HBITMAP bmp) {
  const gdi::ImageBGRA image = gdi::CaptureBitmap(bmp);
  if (image.width <= 0 || image.height <= 0) return {};
  gdi::BITMAPINFOHEADER header{};
  header.biWidth = image.width;
  header.biHeight = image.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biSizeImage = DWORD(image.pixels.size() * 4);
  std::vector<std::uint8_t> dib(sizeof(header) + image.pixels.size() * 4);
  std::memcpy(dib.data(), &header, sizeof(header));
  const std::size_t rowBytes = std::size_t(image.width) * 4;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(dib.data() + sizeof(header) + std::size_t(image.height - 1 - y) * rowBytes,
                image.pixels.data() + std::size_t(y) * image.width, rowBytes);
  return dib;
}

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }

// A CF_DIB of 16, 24 or 32 bits (plain or bit fields) as a new bitmap; null
// for anything else or for data shorter than its header says.
gdi::HBITMAP dibToBitmap(const std::vector<std::uint8_t>& dib) {
  constexpr std::size_t kHeader = 40;
  if (dib.size() < kHeader) return nullptr;
  const std::uint32_t headerSize = le32(&dib[0]);
  const auto width = std::int32_t(le32(&dib[4]));
  const auto height = std::int32_t(le32(&dib[8]));
  const int bits = dib[14] | (dib[15] << 8);
  const std::uint32_t compression = le32(&dib[16]);
  if (headerSize < kHeader || headerSize > dib.size() || width <= 0 || height == 0 || height == INT32_MIN) return nullptr;
  if (bits != 16 && bits != 24 && bits != 32) return nullptr;
  const std::uint64_t rows = height < 0 ? std::uint64_t(-std::int64_t(height)) : std::uint64_t(height);
  if (std::uint64_t(width) * rows > (std::uint64_t(1) << 26)) return nullptr;
  gdi::DibMasks masks = gdi::impliedDibMasks(bits, true);
  std::size_t offset = headerSize;
  if (compression == 3) {  // BI_BITFIELDS: three masks after a plain header, inside a larger one
    if (headerSize == kHeader) {
      if (dib.size() < kHeader + 12) return nullptr;
      offset += 12;
    }
    masks = gdi::DibMasks{le32(&dib[40]), le32(&dib[44]), le32(&dib[48]),
                          headerSize >= 56 ? le32(&dib[52]) : 0u, false};
  } else if (compression != 0) {
    return nullptr;
  }
  const std::size_t stride = ((std::size_t(width) * bits + 31) / 32) * 4;
  if ((dib.size() - offset) / stride < rows) return nullptr;
  gdi::ImageBGRA image(width, int(rows));
  gdi::DibRows source{dib.data() + offset, stride, width, int(rows), bits, height < 0};
  gdi::readDibPixels(source, masks, image.pixels.data());
  return gdi::CreateBitmapFromImage(image);
}

HGLOBAL handOut(const std::vector<std::uint8_t>& data) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, data.size());
  if (!h) return nullptr;
  if (!data.empty()) {
    std::memcpy(GlobalLock(h), data.data(), data.size());
    GlobalUnlock(h);
  }
  clip().handed.push_back(h);
  return h;
}

bool readFormat(UINT format, std::vector<std::uint8_t>* data) {
  return backend().GetClipboard(formatId(format), data);
}

bool available(UINT format) {
  for (const auto& f : backend().ClipboardFormats()) {
    if (formatNumber(f) == format) return true;
  }
  return false;
}

}  // namespace

namespace impl {
void resetClipboard() {
  freeHanded();
  Clip& c = clip();
  const DWORD seq = c.sequence;
  c = Clip{};
  c.sequence = seq + 1;
}
}  // namespace impl

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes) {
  GlobalTable& t = globals();
  std::lock_guard<std::mutex> lock(t.mutex);
  const auto key = t.next;
  t.next += 8;
  auto& block = t.blocks[key];
  block.assign(bytes, 0);  // always zeroed: GMEM_ZEROINIT or not
  (void)flags;
  return reinterpret_cast<HGLOBAL>(key);
}

LPVOID GlobalLock(HGLOBAL mem) {
  GlobalTable& t = globals();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(reinterpret_cast<std::uintptr_t>(mem));
  if (it == t.blocks.end()) return nullptr;
  // A zero-sized block still locks to a valid, empty pointer.
  if (it->second.empty()) it->second.reserve(1);
  return it->second.data();
}

BOOL GlobalUnlock(HGLOBAL mem) {
  // No lock count is kept: the block is unlocked after every unlock.
  (void)mem;
  return FALSE;
}

std::size_t GlobalSize(HGLOBAL mem) {
  GlobalTable& t = globals();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.blocks.find(reinterpret_cast<std::uintptr_t>(mem));
  return it == t.blocks.end() ? 0 : it->second.size();
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  GlobalTable& t = globals();
  std::lock_guard<std::mutex> lock(t.mutex);
  if (t.blocks.erase(reinterpret_cast<std::uintptr_t>(mem))) return nullptr;
  return mem;
}

BOOL OpenClipboard(HWND owner) {
  requireMainThread("OpenClipboard");
  Clip& c = clip();
  if (c.open) return FALSE;
  c.open = true;
  c.openBy = owner;
  c.emptied = false;
  return TRUE;
}

BOOL CloseClipboard() {
  Clip& c = clip();
  if (!c.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  c.open = false;
  c.openBy = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  Clip& c = clip();
  if (!c.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  freeHanded();
  c.items.clear();
  c.emptied = true;
  c.owner = c.openBy;
  c.sequence++;
  backend().SetClipboard(c.items);
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
  Clip& c = clip();
  if (!c.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (!mem) return nullptr;  // delayed rendering is not offered
  if (format == CF_BITMAP) {
    // A bitmap handle, not a memory block: kept as a DIB, and the clipboard
    // owns (frees) the bitmap.
    auto bmp = reinterpret_cast<gdi::HBITMAP>(mem);
    std::vector<std::uint8_t> dib = bitmapToDib(bmp);
    if (dib.empty()) return nullptr;
    const ClipboardFormatId dibId = formatId(CF_DIB);
    auto it = std::find_if(c.items.begin(), c.items.end(), [&](const ClipboardItem& i) { return i.format == dibId; });
    if (it != c.items.end()) c.items.erase(it);
    c.items.push_back(ClipboardItem{dibId, std::move(dib)});
    gdi::DeleteObject(bmp);
    c.sequence++;
    backend().SetClipboard(c.items);
    return mem;
  }
  auto h = static_cast<HGLOBAL>(mem);
  std::vector<std::uint8_t> data;
  {
    GlobalTable& t = globals();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.blocks.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.blocks.end()) return nullptr;
    data = it->second;
  }
  ClipboardFormatId id = formatId(format);
  if (!id.standard && id.name.empty()) return nullptr;
  auto put = [&](const ClipboardFormatId& f, std::vector<std::uint8_t> bytes) {
    auto it = std::find_if(c.items.begin(), c.items.end(), [&](const ClipboardItem& i) { return i.format == f; });
    if (it != c.items.end()) c.items.erase(it);
    c.items.push_back(ClipboardItem{f, std::move(bytes)});
  };
  // Text is kept as both; the other form is derived.
  if (format == CF_UNICODETEXT) {
    std::size_t n = data.size() / 2;
    rtl::String s(n, u'\0');
    std::memcpy(s.data(), data.data(), n * 2);
    s = s.substr(0, s.find(u'\0'));
    put(formatId(CF_UNICODETEXT), data);
    auto bytes = rtl::TEncoding::ANSI()->GetBytes(s);
    bytes.push_back(0);
    put(formatId(CF_TEXT), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  } else if (format == CF_TEXT) {
    auto end = std::find(data.begin(), data.end(), std::uint8_t(0));
    rtl::String s = rtl::TEncoding::ANSI()->GetString(data.data(), std::size_t(end - data.begin()));
    std::vector<std::uint8_t> wide((s.size() + 1) * 2, 0);
    std::memcpy(wide.data(), s.data(), s.size() * 2);
    put(formatId(CF_UNICODETEXT), std::move(wide));
    put(formatId(CF_TEXT), data);
  } else {
    put(id, data);
  }
  // The clipboard owns the memory now.
  GlobalFree(h);
  c.sequence++;
  backend().SetClipboard(c.items);
  return mem;
}

HANDLE GetClipboardData(UINT format) {
  Clip& c = clip();
  if (!c.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  std::vector<std::uint8_t> data;
  if (format == CF_BITMAP) {
    if (!readFormat(CF_DIB, &data)) return nullptr;
    gdi::HBITMAP bmp = dibToBitmap(data);
    if (bmp) c.handedBitmaps.push_back(bmp);
    return reinterpret_cast<HANDLE>(bmp);
  }
  if (readFormat(format, &data)) return handOut(data);
  // Text converts between its forms.
  if (format == CF_UNICODETEXT && readFormat(CF_TEXT, &data)) {
    auto end = std::find(data.begin(), data.end(), std::uint8_t(0));
    rtl::String s = rtl::TEncoding::ANSI()->GetString(data.data(), std::size_t(end - data.begin()));
    std::vector<std::uint8_t> wide((s.size() + 1) * 2, 0);
    std::memcpy(wide.data(), s.data(), s.size() * 2);
    return handOut(wide);
  }
  if ((format == CF_TEXT || format == CF_OEMTEXT) && readFormat(CF_UNICODETEXT, &data)) {
    std::size_t n = data.size() / 2;
    rtl::String s(n, u'\0');
    std::memcpy(s.data(), data.data(), n * 2);
    s = s.substr(0, s.find(u'\0'));
    auto bytes = rtl::TEncoding::ANSI()->GetBytes(s);
    bytes.push_back(0);
    return handOut(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (available(format)) return TRUE;
  if (format == CF_BITMAP) return available(CF_DIB) ? TRUE : FALSE;
  if (format == CF_UNICODETEXT) return available(CF_TEXT) ? TRUE : FALSE;
  if (format == CF_TEXT || format == CF_OEMTEXT) return available(CF_UNICODETEXT) ? TRUE : FALSE;
  return FALSE;
}

UINT EnumClipboardFormats(UINT format) {
  Clip& c = clip();
  if (!c.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return 0;
  }
  std::vector<UINT> list;
  for (const auto& f : backend().ClipboardFormats()) {
    const UINT n = formatNumber(f);
    if (n && std::find(list.begin(), list.end(), n) == list.end()) list.push_back(n);
  }
  const bool hasU = std::find(list.begin(), list.end(), CF_UNICODETEXT) != list.end();
  const bool hasA = std::find(list.begin(), list.end(), CF_TEXT) != list.end();
  if (hasU && !hasA) list.push_back(CF_TEXT);
  if (hasA && !hasU) list.push_back(CF_UNICODETEXT);
  SetLastError(0);
  if (format == 0) return list.empty() ? 0 : list.front();
  auto it = std::find(list.begin(), list.end(), format);
  if (it == list.end() || it + 1 == list.end()) return 0;
  return *(it + 1);
}

int CountClipboardFormats() {
  int n = 0;
  const bool wasOpen = clip().open;
  if (!wasOpen) clip().open = true;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) ++n;
  if (!wasOpen) clip().open = false;
  return n;
}

UINT RegisterClipboardFormatW(LPCWSTR name) { return RegisterWindowMessageW(name); }

int GetClipboardFormatNameW(UINT format, LPWSTR buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  auto it = state().registeredById.find(format);
  if (it == state().registeredById.end()) return 0;
  const int n = std::min<int>(int(it->second.size()), maxCount - 1);
  std::copy_n(it->second.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

HWND GetClipboardOwner() { return clip().owner; }
HWND GetOpenClipboardWindow() { return clip().open ? clip().openBy : nullptr; }
DWORD GetClipboardSequenceNumber() { return clip().sequence; }

}  // namespace win
