#include "platform/ui/image_list.h"

#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/forms.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ui {

namespace {

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;
// A list larger than this in the written form is not believed.
constexpr std::int64_t kMaxWrittenPixels = 64 * 1024 * 1024;

std::uint32_t colorToPixel(TColor color) {
  const gdi::COLORREF rgb = ColorToRGB(color);
  return 0xFF000000u | ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

std::uint8_t alphaOf(std::uint32_t p) { return std::uint8_t(p >> 24); }

// c over d by weight w / 256 of c.
std::uint32_t mix(std::uint32_t c, std::uint32_t d, int w) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const int a = (c >> shift) & 0xFF, b = (d >> shift) & 0xFF;
    out |= std::uint32_t((a * w + b * (256 - w)) >> 8) << shift;
  }
  return out | (c & 0xFF000000u);
}

gdi::ImageBGRA cutTile(const gdi::ImageBGRA& src, int x0, int y0, int w, int h) {
  gdi::ImageBGRA tile(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) tile.at(x, y) = src.at(x0 + x, y0 + y);
  return tile;
}

// Draws premultiplied pixels over the DC with their alpha.
void blendOnto(gdi::HDC dc, int x, int y, const gdi::ImageBGRA& straight) {
  gdi::BITMAPINFO bmi{};
  bmi.bmiHeader.biWidth = straight.width;
  bmi.bmiHeader.biHeight = -straight.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  gdi::HBITMAP dib = gdi::CreateDIBSection(nullptr, &bmi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib || !bits) return;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (std::size_t i = 0; i < straight.pixels.size(); ++i) {
    const std::uint32_t p = straight.pixels[i];
    const std::uint32_t a = alphaOf(p);
    const std::uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
    out[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  gdi::HDC mem = gdi::CreateCompatibleDC(dc);
  gdi::HGDIOBJ old = gdi::SelectObject(mem, dib);
  gdi::BLENDFUNCTION blend;
  blend.AlphaFormat = gdi::AC_SRC_ALPHA;
  gdi::AlphaBlend(dc, x, y, straight.width, straight.height, mem, 0, 0, straight.width, straight.height, blend);
  gdi::SelectObject(mem, old);
  gdi::DeleteDC(mem);
  gdi::DeleteObject(dib);
}

}  // namespace

// --- TChangeLink -------------------------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (onChange_) onChange_(sender_);
}

// --- TCustomImageList ----------------------------------------------------------------------------

TCustomImageList::TCustomImageList(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TCustomImageList::TCustomImageList(int width, int height) : rtl::TComponent(nullptr) {
  width_ = std::max(width, 1);
  height_ = std::max(height, 1);
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->SetSender(nullptr);
}

void TCustomImageList::SetSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == width_ && height == height_) return;
  images_.clear();
  width_ = width;
  height_ = height;
  Change();
}

int TCustomImageList::addEntries(const gdi::ImageBGRA& image, const std::vector<std::uint8_t>& mask) {
  if (image.width < width_ || image.height < height_) return -1;
  const int first = Count();
  const int tiles = image.width / width_;
  for (int t = 0; t < tiles; ++t) {
    Entry e;
    e.image = cutTile(image, t * width_, 0, width_, height_);
    e.mask.resize(std::size_t(width_) * height_);
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        e.mask[std::size_t(y) * width_ + x] = mask[std::size_t(y) * image.width + t * width_ + x];
    images_.push_back(std::move(e));
  }
  return first;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  gdi::ImageBGRA pixels = image->ToImage();
  std::vector<std::uint8_t> bits(pixels.pixels.size(), 0);
  if (mask && !mask->Empty()) {
    const gdi::ImageBGRA m = mask->ToImage();
    for (int y = 0; y < std::min(m.height, pixels.height); ++y)
      for (int x = 0; x < std::min(m.width, pixels.width); ++x)
        bits[std::size_t(y) * pixels.width + x] = (m.at(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
  }
  const bool hasAlpha = image->PixelFormat() == TPixelFormat::pf32bit &&
                        std::any_of(pixels.pixels.begin(), pixels.pixels.end(),
                                    [](std::uint32_t p) { return alphaOf(p) != 0; });
  if (!hasAlpha) {
    for (std::size_t i = 0; i < pixels.pixels.size(); ++i)
      pixels.pixels[i] = bits[i] ? (pixels.pixels[i] & 0xFFFFFF) : (pixels.pixels[i] | 0xFF000000u);
  }
  const int result = addEntries(pixels, bits);
  if (result >= 0) Change();
  return result;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) return -1;
  if (maskColor == clNone) return Add(image, nullptr);
  gdi::ImageBGRA pixels = image->ToImage();
  const std::uint32_t key = colorToPixel(maskColor) & 0xFFFFFF;
  std::vector<std::uint8_t> bits(pixels.pixels.size(), 0);
  for (std::size_t i = 0; i < pixels.pixels.size(); ++i) {
    bits[i] = (pixels.pixels[i] & 0xFFFFFF) == key ? 1 : 0;
    pixels.pixels[i] = bits[i] ? 0 : (pixels.pixels[i] | 0xFF000000u);
  }
  const int result = addEntries(pixels, bits);
  if (result >= 0) Change();
  return result;
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index >= Count()) return;
  TCustomImageList scratch(width_, height_);
  if (scratch.Add(image, mask) < 0) return;
  images_[index] = scratch.images_.front();
  Change();
}

void TCustomImageList::Delete(int index) {
  if (index == -1) {
    images_.clear();
  } else {
    if (index < 0 || index >= Count()) return;
    images_.erase(images_.begin() + index);
  }
  Change();
}

void TCustomImageList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex || curIndex < 0 || newIndex < 0 || curIndex >= Count() || newIndex >= Count()) return;
  Entry e = std::move(images_[curIndex]);
  images_.erase(images_.begin() + curIndex);
  images_.insert(images_.begin() + newIndex, std::move(e));
  Change();
}

bool TCustomImageList::GetImageBitmaps(int index, TBitmap* image, TBitmap* mask) const {
  if (index < -1 || index >= Count()) return false;
  const int first = index == -1 ? 0 : index;
  const int n = index == -1 ? Count() : 1;
  gdi::ImageBGRA pixels(width_ * std::max(n, 1), height_), maskPixels(width_ * std::max(n, 1), height_, kOpaqueBlack);
  for (int i = 0; i < n; ++i) {
    const Entry& e = images_[first + i];
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        pixels.at(i * width_ + x, y) = e.image.at(x, y);
        if (e.mask[std::size_t(y) * width_ + x]) maskPixels.at(i * width_ + x, y) = kOpaqueWhite;
      }
  }
  if (index == -1 && n == 0) pixels = gdi::ImageBGRA(0, 0), maskPixels = gdi::ImageBGRA(0, 0);
  if (image) image->AssignImage(pixels, true);
  if (mask) {
    mask->AssignImage(maskPixels, false);
    mask->SetPixelFormat(TPixelFormat::pf1bit);
  }
  return true;
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const {
  if (!image || index < 0 || index >= Count()) return;
  const TColor back = bkColor_ == clNone ? clWindow : bkColor_;
  gdi::ImageBGRA out(width_, height_);
  const std::uint32_t bg = colorToPixel(back);
  const gdi::ImageBGRA& src = images_[index].image;
  for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = mix(src.pixels[i] | 0xFF000000u, bg, alphaOf(src.pixels[i]) + (alphaOf(src.pixels[i]) >> 7));
  image->AssignImage(out, false);
  image->SetPixelFormat(TPixelFormat::pf24bit);
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == drawingStyle_) return;
  drawingStyle_ = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == imageType_) return;
  imageType_ = value;
  Change();
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == bkColor_) return;
  bkColor_ = value;
  Change();
}

void TCustomImageList::SetColorDepth(TColorDepth value) {
  if (value == colorDepth_) return;
  colorDepth_ = value;
  images_.clear();
  Change();
}

unsigned TCustomImageList::DrawFlags() const {
  static constexpr unsigned styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  return styles[static_cast<int>(drawingStyle_)] | (imageType_ == TImageType::itMask ? ILD_MASK : 0);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, imageType_, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle drawingStyle,
                            TImageType imageType, bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  static constexpr unsigned styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  const unsigned style = styles[static_cast<int>(drawingStyle)] | (imageType == TImageType::itMask ? ILD_MASK : 0);
  DoDraw(index, canvas, x, y, style, enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas* canvas, int x, int y, unsigned style, bool enabled) {
  DrawWithFlags(canvas->Handle(), x, y, index, style, enabled);
}

void TCustomImageList::DrawWithFlags(gdi::HDC dc, int x, int y, int index, unsigned flags, bool enabled) const {
  if (!dc || index < 0 || index >= Count()) return;
  const Entry& e = images_[index];
  gdi::ImageBGRA out(width_, height_);
  if (flags & ILD_MASK) {
    for (std::size_t i = 0; i < out.pixels.size(); ++i) out.pixels[i] = e.mask[i] ? kOpaqueWhite : kOpaqueBlack;
    blendOnto(dc, x, y, out);
    return;
  }
  out = e.image;
  // Without ILD_TRANSPARENT a background colour fills what the image leaves.
  if (!(flags & ILD_TRANSPARENT) && bkColor_ != clNone) {
    const std::uint32_t bg = colorToPixel(bkColor_);
    for (auto& p : out.pixels) p = mix(p | 0xFF000000u, bg, alphaOf(p) + (alphaOf(p) >> 7));
  }
  if (flags & (ILD_FOCUS | ILD_SELECTED)) {
    const std::uint32_t blend = colorToPixel(blendColor_ == clNone ? clHighlight : blendColor_);
    const int weight = (flags & ILD_SELECTED) ? 128 : 64;
    for (auto& p : out.pixels) p = mix(blend | (p & 0xFF000000u), p, weight);
  }
  if (!enabled) {
    for (auto& p : out.pixels) {
      const int gray = (((p >> 16) & 0xFF) * 77 + ((p >> 8) & 0xFF) * 151 + (p & 0xFF) * 28) >> 8;
      p = (std::uint32_t(alphaOf(p) / 2) << 24) | (std::uint32_t(gray) << 16) | (std::uint32_t(gray) << 8) |
          std::uint32_t(gray);
    }
  }
  blendOnto(dc, x, y, out);
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link) return;
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
  link->SetSender(this);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->SetSender(nullptr);
}

void TCustomImageList::Change() {
  // A link may unregister (or free) itself when told.
  const std::vector<TChangeLink*> walk = links_;
  for (TChangeLink* link : walk)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  if (onChange_) onChange_(this);
}

void TCustomImageList::Assign(rtl::TPersistent* source) {
  auto* other = dynamic_cast<TCustomImageList*>(source);
  if (!other) {
    rtl::TComponent::Assign(source);
    return;
  }
  width_ = other->width_;
  height_ = other->height_;
  images_ = other->images_;
  drawingStyle_ = other->drawingStyle_;
  imageType_ = other->imageType_;
  bkColor_ = other->bkColor_;
  blendColor_ = other->blendColor_;
  colorDepth_ = other->colorDepth_;
  allocBy_ = other->allocBy_;
  Change();
}

void TCustomImageList::WriteData(rtl::TStream* stream) const {
  stream->WriteByte('I');
  stream->WriteByte('L');
  stream->WriteUInt32(1);
  stream->WriteInt32(width_);
  stream->WriteInt32(height_);
  stream->WriteInt32(Count());
  for (const Entry& e : images_) {
    stream->WriteBuffer(e.image.pixels.data(), std::int64_t(e.image.pixels.size()) * 4);
    stream->WriteBuffer(e.mask.data(), std::int64_t(e.mask.size()));
  }
}

void TCustomImageList::ReadData(rtl::TStream* stream) {
  const auto fail = [](const char16_t* what) { throw rtl::EReadError(rtl::String(u"Image list data: ") + what); };
  if (stream->Size() - stream->Position() < 18) fail(u"too short");
  if (stream->ReadByte() != 'I' || stream->ReadByte() != 'L' || stream->ReadUInt32() != 1) fail(u"unknown format");
  const std::int32_t width = stream->ReadInt32(), height = stream->ReadInt32(), count = stream->ReadInt32();
  if (width < 1 || height < 1 || count < 0) fail(u"bad size or count");
  const std::int64_t perImage = std::int64_t(width) * height;
  if (perImage > kMaxWrittenPixels || perImage * count > kMaxWrittenPixels) fail(u"too large");
  if (stream->Size() - stream->Position() < perImage * 5 * count) fail(u"truncated");
  std::vector<Entry> images(static_cast<std::size_t>(count));
  for (Entry& e : images) {
    e.image = gdi::ImageBGRA(width, height);
    e.mask.resize(static_cast<std::size_t>(perImage));
    stream->ReadBuffer(e.image.pixels.data(), perImage * 4);
    stream->ReadBuffer(e.mask.data(), perImage);
    for (auto& m : e.mask) m = m ? 1 : 0;
  }
  width_ = width;
  height_ = height;
  images_ = std::move(images);
  Change();
}

void TCustomImageList::DefineProperties(rtl::TFiler* filer) {
  rtl::TComponent::DefineProperties(filer);
  filer->DefineBinaryProperty(
      u"Bitmap", [this](rtl::TStream* s) { ReadData(s); }, [this](rtl::TStream* s) { WriteData(s); },
      Count() > 0);
}

void AlphaDrawImage(gdi::HDC dc, const TRect& dest, const gdi::ImageBGRA& straight) {
  const int w = dest.right - dest.left, h = dest.bottom - dest.top;
  if (w <= 0 || h <= 0 || straight.width <= 0 || straight.height <= 0) return;
  if (w == straight.width && h == straight.height) {
    blendOnto(dc, dest.left, dest.top, straight);
    return;
  }
  gdi::ImageBGRA scaled(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      scaled.at(x, y) = straight.at(int(std::int64_t(x) * straight.width / w), int(std::int64_t(y) * straight.height / h));
  blendOnto(dc, dest.left, dest.top, scaled);
}

// --- drag windows -------------------------------------------------------------------------------

namespace {

constexpr char16_t kDragImageWindowClass[] = u"TDragImageWindow";

win::LRESULT dragImageWindowProc(win::HWND wnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  win::LRESULT result = 0;
  if (DragWindowMessage(msg, result)) return result;
  return win::DefWindowProcW(wnd, msg, wParam, lParam);
}

// The window system may have been replaced since the last drag (tests make a
// fresh one each), so the class is looked up every time.
void ensureDragImageWindowClass() {
  const win::HINSTANCE instance = win::GetModuleHandleW(nullptr);
  win::WNDCLASSEXW existing;
  if (win::GetClassInfoExW(instance, kDragImageWindowClass, &existing)) return;
  win::WNDCLASSEXW wc;
  wc.lpfnWndProc = &dragImageWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kDragImageWindowClass;
  win::RegisterClassExW(&wc);
}

// Straight alpha to the premultiplied pixels a layered window takes.
gdi::ImageBGRA premultiplied(const gdi::ImageBGRA& straight) {
  gdi::ImageBGRA out(straight.width, straight.height);
  for (std::size_t i = 0; i < straight.pixels.size(); ++i) {
    const std::uint32_t p = straight.pixels[i];
    const std::uint32_t a = alphaOf(p);
    std::uint32_t q = a << 24;
    for (int shift = 0; shift < 24; shift += 8) q |= ((((p >> shift) & 0xFF) * a + 127) / 255) << shift;
    out.pixels[i] = q;
  }
  return out;
}

}  // namespace

bool DragWindowMessage(win::UINT msg, win::LRESULT& result) {
  switch (msg) {
    case win::WM_NCHITTEST: result = win::HTTRANSPARENT; return true;
    case win::WM_MOUSEACTIVATE: result = win::MA_NOACTIVATE; return true;
    case win::WM_ERASEBKGND: result = 1; return true;
    default: return false;
  }
}

void ShowDragWindow(win::HWND wnd) {
  win::SetWindowPos(wnd, win::HWND_TOPMOST, 0, 0, 0, 0, win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
  win::ShowWindow(wnd, win::SW_SHOWNA);
  win::UpdateWindow(wnd);
}

TDragImageWindow::TDragImageWindow() {
  ensureDragImageWindowClass();
  wnd_ = win::CreateWindowExW(kDragWindowExStyle, kDragImageWindowClass, u"", win::WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, win::GetModuleHandleW(nullptr), nullptr);
}

TDragImageWindow::~TDragImageWindow() {
  if (wnd_ && win::IsWindow(wnd_)) win::DestroyWindow(wnd_);
}

void TDragImageWindow::SetPicture(const gdi::ImageBGRA& straight, std::uint8_t alpha) {
  if (!wnd_) return;
  const gdi::HDC mem = gdi::CreateCompatibleDC(nullptr);
  const gdi::HBITMAP bitmap = gdi::CreateBitmapFromImage(premultiplied(straight));
  const gdi::HGDIOBJ old = gdi::SelectObject(mem, bitmap);
  rtl::ScopeExit release([&] {
    gdi::SelectObject(mem, old);
    gdi::DeleteObject(bitmap);
    gdi::DeleteDC(mem);
  });
  const win::SIZE size{straight.width, straight.height};
  const gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, alpha, gdi::AC_SRC_ALPHA};
  win::UpdateLayeredWindow(wnd_, nullptr, nullptr, &size, mem, nullptr, 0, &blend, win::ULW_ALPHA);
}

void TDragImageWindow::MoveTo(const TPoint& topLeft) {
  if (!wnd_) return;
  win::SetWindowPos(wnd_, nullptr, topLeft.x, topLeft.y, 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

TRect TDragImageWindow::BoundsRect() const {
  win::RECT r{};
  if (wnd_) win::GetWindowRect(wnd_, &r);
  return TRect{r.left, r.top, r.right, r.bottom};
}

void TDragImageWindow::Show() {
  if (wnd_) ShowDragWindow(wnd_);
}

void TDragImageWindow::Hide() {
  if (wnd_) win::ShowWindow(wnd_, win::SW_HIDE);
}

bool TDragImageWindow::Visible() const { return wnd_ && win::IsWindowVisible(wnd_); }

// --- TDragImageList ----------------------------------------------------------------------------

TDragImageList::~TDragImageList() = default;

bool TDragImageList::SetDragImage(int index, int hotSpotX, int hotSpotY) {
  if (index < 0 || index >= Count()) return false;
  dragIndex_ = index;
  dragHotspot_ = TPoint{hotSpotX, hotSpotY};
  if (Dragging()) {
    window_->SetPicture(dragPicture());
    updateWindow();
  }
  return true;
}

gdi::ImageBGRA TDragImageList::dragPicture() const {
  gdi::ImageBGRA picture = ImagePixels(dragIndex_);
  const std::vector<std::uint8_t>& mask = ImageMask(dragIndex_);
  for (std::size_t i = 0; i < picture.pixels.size() && i < mask.size(); ++i)
    if (mask[i]) picture.pixels[i] = 0;
  return picture;
}

void TDragImageList::updateWindow() {
  if (!window_) return;
  TPoint origin{};
  if (lockWindow_) {
    win::POINT p{0, 0};
    win::ClientToScreen(lockWindow_, &p);
    origin = TPoint{p.x, p.y};
  }
  window_->MoveTo(TPoint{origin.x + position_.x - dragHotspot_.x, origin.y + position_.y - dragHotspot_.y});
  const bool valid = dragIndex_ >= 0 && dragIndex_ < Count();
  if (locked_ && !hidden_ && valid)
    window_->Show();
  else
    window_->Hide();
}

bool TDragImageList::BeginDrag(win::HWND window, int x, int y) {
  if (Dragging() || dragIndex_ < 0 || dragIndex_ >= Count()) return false;
  window_ = std::make_unique<TDragImageWindow>();
  if (!window_->Handle()) {
    window_.reset();
    return false;
  }
  window_->SetPicture(dragPicture());
  hidden_ = false;
  locked_ = false;
  if (dragCursor_ != crNone)
    if (TScreen* screen = ScreenInstance()) win::SetCursor(screen->Cursors(dragCursor_));
  return DragLock(window, x, y);
}

bool TDragImageList::DragMove(int x, int y) {
  if (!Dragging()) return false;
  position_ = TPoint{x, y};
  updateWindow();
  return true;
}

bool TDragImageList::DragLock(win::HWND window, int x, int y) {
  if (!Dragging()) return false;
  // The desktop's client coordinates are the screen's.
  lockWindow_ = window == win::GetDesktopWindow() ? nullptr : window;
  locked_ = true;
  position_ = TPoint{x, y};
  updateWindow();
  return true;
}

void TDragImageList::DragUnlock() {
  if (!Dragging() || !locked_) return;
  // Positions stay where they are on the screen while untied.
  if (lockWindow_) {
    win::POINT p{position_.x, position_.y};
    win::ClientToScreen(lockWindow_, &p);
    position_ = TPoint{p.x, p.y};
  }
  lockWindow_ = nullptr;
  locked_ = false;
  updateWindow();
}

bool TDragImageList::EndDrag() {
  if (!Dragging()) return false;
  window_.reset();
  lockWindow_ = nullptr;
  locked_ = false;
  hidden_ = false;
  return true;
}

void TDragImageList::HideDragImage() {
  hidden_ = true;
  updateWindow();
}

void TDragImageList::ShowDragImage() {
  hidden_ = false;
  updateWindow();
}

void TDragImageList::SetDragCursor(TCursor value) {
  if (dragCursor_ == value) return;
  dragCursor_ = value;
  if (Dragging() && value != crNone)
    if (TScreen* screen = ScreenInstance()) win::SetCursor(screen->Cursors(value));
}

win::HWND TDragImageList::DragWindowHandle() const { return window_ ? window_->Handle() : nullptr; }

bool TDragImageList::DragImageVisible() const { return window_ && window_->Visible(); }

void TDragImageList::Change() {
  TCustomImageList::Change();
  // The picked image may have been replaced, moved or deleted.
  if (!Dragging()) return;
  if (dragIndex_ >= 0 && dragIndex_ < Count()) window_->SetPicture(dragPicture());
  updateWindow();
}

}  // namespace ui
