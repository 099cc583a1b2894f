#include "platform/ui/canvas.h"

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/ui/graphic.h"

namespace ui {

namespace {
constexpr TCanvasStates csHandleValid = TCanvasStates::csHandleValid;
constexpr TCanvasStates csFontValid = TCanvasStates::csFontValid;
constexpr TCanvasStates csPenValid = TCanvasStates::csPenValid;
constexpr TCanvasStates csBrushValid = TCanvasStates::csBrushValid;
}  // namespace

gdi::UINT TextFormatToDrawTextFlags(TTextFormat format) {
  static constexpr gdi::UINT flags[] = {
      gdi::DT_BOTTOM,         gdi::DT_CALCRECT,     gdi::DT_CENTER,      gdi::DT_EDITCONTROL,
      gdi::DT_END_ELLIPSIS,   gdi::DT_PATH_ELLIPSIS, gdi::DT_EXPANDTABS, gdi::DT_EXTERNALLEADING,
      gdi::DT_LEFT,           gdi::DT_MODIFYSTRING, gdi::DT_NOCLIP,      gdi::DT_NOPREFIX,
      gdi::DT_RIGHT,          gdi::DT_RTLREADING,   gdi::DT_SINGLELINE,  gdi::DT_TOP,
      gdi::DT_VCENTER,        gdi::DT_WORDBREAK,    gdi::DT_HIDEPREFIX,  gdi::DT_NOFULLWIDTHCHARBREAK,
      gdi::DT_PREFIXONLY,     gdi::DT_TABSTOP,      gdi::DT_WORD_ELLIPSIS, 0 /* tfComposited */};
  gdi::UINT result = 0;
  for (TTextFormats f : format) result |= flags[static_cast<int>(f)];
  return result;
}

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->SetOnChange(TNotifyEvent::bind<&TCanvas::fontChanged>(this));
  pen_->SetOnChange(TNotifyEvent::bind<&TCanvas::penChanged>(this));
  brush_->SetOnChange(TNotifyEvent::bind<&TCanvas::brushChanged>(this));
}

TCanvas::~TCanvas() {
  // The tools go after this body: they must not stay selected in a DC that
  // outlives them.
  if (handle_) DeselectHandles();
}

gdi::HDC TCanvas::Handle() {
  Changing();
  RequiredState(csAllValid);
  Changed();
  return handle_;
}

void TCanvas::SetHandle(gdi::HDC value) {
  if (value == handle_) return;
  if (handle_) {
    DeselectHandles();
    handle_ = nullptr;
    state_ -= csHandleValid;
  }
  if (value) {
    handle_ = value;
    state_ += csHandleValid;
  }
}

void TCanvas::Lock() {
  lock_.lock();
  ++lockCount_;
}

void TCanvas::Unlock() {
  --lockCount_;
  lock_.unlock();
}

bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Changed() {
  if (onChange_) onChange_(this);
}

void TCanvas::Changing() {
  if (onChanging_) onChanging_(this);
}

void TCanvas::RequiredState(TCanvasState state) {
  const TCanvasState needed = state - state_;
  if (needed.empty()) return;
  if (needed.contains(csHandleValid)) {
    CreateHandle();
    if (!handle_) throw rtl::EInvalidOperation(u"Canvas does not allow drawing");
  }
  if (needed.contains(csFontValid)) selectFont();
  if (needed.contains(csPenValid)) selectPen();
  if (needed.contains(csBrushValid)) selectBrush();
  state_ += needed;
}

void TCanvas::selectFont() {
  gdi::SelectObject(handle_, font_->Handle());
  gdi::SetTextColor(handle_, ColorToRGB(font_->Color()));
}

void TCanvas::selectPen() {
  gdi::SelectObject(handle_, pen_->Handle());
  gdi::SetROP2(handle_, PenModeToRop2(pen_->Mode()));
}

void TCanvas::selectBrush() {
  gdi::SelectObject(handle_, brush_->Handle());
  const gdi::COLORREF rgb = ColorToRGB(brush_->Color());
  if (brush_->Style() == bsSolid) {
    gdi::SetBkColor(handle_, rgb);
    gdi::SetBkMode(handle_, gdi::OPAQUE);
  } else {
    // Hatches and clear brushes leave what is behind them.
    gdi::SetBkColor(handle_, ~rgb & 0x00FFFFFF);
    gdi::SetBkMode(handle_, gdi::TRANSPARENT);
  }
}

void TCanvas::DeselectHandles() {
  if (handle_ && !(state_ * TCanvasState{csFontValid, csPenValid, csBrushValid}).empty()) {
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::BLACK_PEN));
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::HOLLOW_BRUSH));
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::SYSTEM_FONT));
  }
  state_ -= TCanvasState{csFontValid, csPenValid, csBrushValid};
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::fontChanged(rtl::TObject*) {
  if (state_.contains(csFontValid)) {
    state_ -= csFontValid;
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::SYSTEM_FONT));
  }
}

void TCanvas::penChanged(rtl::TObject*) {
  if (state_.contains(csPenValid)) {
    state_ -= csPenValid;
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::BLACK_PEN));
  }
}

void TCanvas::brushChanged(rtl::TObject*) {
  if (state_.contains(csBrushValid)) {
    state_ -= csBrushValid;
    gdi::SelectObject(handle_, gdi::GetStockObject(gdi::HOLLOW_BRUSH));
  }
}

// ---- lines and shapes ----------------------------------------------------------------

TPoint TCanvas::PenPos() {
  RequiredState({csHandleValid});
  TPoint pt;
  gdi::GetCurrentPositionEx(handle_, &pt);
  return pt;
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState({csHandleValid});
  gdi::MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::LineTo(handle_, x, y);
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Polyline(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Polygon(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Rectangle(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::RoundRect(handle_, x1, y1, x2, y2, x3, y3);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Ellipse(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Arc(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Pie(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  gdi::Chord(handle_, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

// ---- rectangles ---------------------------------------------------------------------

void TCanvas::FillRect(const TRect& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  gdi::FillRect(handle_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const TRect& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  gdi::FrameRect(handle_, &rect, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const TRect& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  gdi::DrawFocusRect(handle_, &rect);
  Changed();
}

// ---- text -------------------------------------------------------------------------------

void TCanvas::TextOut(int x, int y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  gdi::ExtTextOutW(handle_, x, y, gdi::UINT(textFlags_), nullptr, text.data(),
                   gdi::UINT(text.size()), nullptr);
  MoveTo(x + TextWidth(text), y);
  Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const String& text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  gdi::UINT options = gdi::ETO_CLIPPED | gdi::UINT(textFlags_);
  if (brush_->Style() != bsClear) options |= gdi::ETO_OPAQUE;
  gdi::ExtTextOutW(handle_, x, y, options, &rect, text.data(), gdi::UINT(text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(TRect& rect, String& text, TTextFormat format) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  const gdi::UINT flags = TextFormatToDrawTextFlags(format);
  if (flags & gdi::DT_MODIFYSTRING) {
    // DrawTextW may write the shown text back with up to four more units.
    String buffer = text;
    const int count = static_cast<int>(buffer.size());
    buffer.resize(buffer.size() + 4, u'\0');
    gdi::DrawTextW(handle_, buffer.data(), count, &rect, flags);
    buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
    text = buffer;
  } else {
    gdi::DrawTextW(handle_, text.data(), static_cast<int>(text.size()), &rect, flags);
  }
  Changed();
}

TSize TCanvas::TextExtent(const String& text) {
  RequiredState({csHandleValid, csFontValid});
  TSize size;
  gdi::GetTextExtentPoint32W(handle_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

// ---- pictures and pixels ------------------------------------------------------------------

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  Changing();
  RequiredState({csHandleValid});
  gdi::SetBkColor(handle_, ColorToRGB(brush_->Color()));
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
  Changed();
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic) {
  if (!graphic) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(this, rect);
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  canvas->RequiredState({csHandleValid, csBrushValid});
  gdi::StretchBlt(handle_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                  canvas->handle_, source.left, source.top, source.right - source.left,
                  source.bottom - source.top, copyMode_);
  Changed();
}

TColor TCanvas::Pixels(int x, int y) {
  RequiredState({csHandleValid});
  return TColor(gdi::GetPixel(handle_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState({csHandleValid, csPenValid});
  gdi::SetPixel(handle_, x, y, ColorToRGB(color));
  Changed();
}

TRect TCanvas::ClipRect() {
  RequiredState({csHandleValid});
  TRect rc;
  gdi::GetClipBox(handle_, &rc);
  return rc;
}

}  // namespace ui
