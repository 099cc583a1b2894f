#pragma once
// TCanvas: drawing on a device context it does not own, with its own font,
// pen and brush. They are selected into the DC lazily, just before a call
// that needs them, and deselected when they change, so a property changed
// between two calls takes effect at the second.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/gdi/rop.h"
#include "platform/ui/graphics.h"

namespace ui {

class TGraphic;

enum class TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = rtl::Set<TCanvasStates, 4>;
constexpr TCanvasState csAllValid = {TCanvasStates::csHandleValid, TCanvasStates::csFontValid,
                                     TCanvasStates::csPenValid, TCanvasStates::csBrushValid};

using TCopyMode = gdi::DWORD;
constexpr TCopyMode cmBlackness = gdi::BLACKNESS;
constexpr TCopyMode cmDstInvert = gdi::DSTINVERT;
constexpr TCopyMode cmMergeCopy = gdi::MERGECOPY;
constexpr TCopyMode cmMergePaint = gdi::MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = gdi::NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = gdi::NOTSRCERASE;
constexpr TCopyMode cmPatCopy = gdi::PATCOPY;
constexpr TCopyMode cmPatInvert = gdi::PATINVERT;
constexpr TCopyMode cmPatPaint = gdi::PATPAINT;
constexpr TCopyMode cmSrcAnd = gdi::SRCAND;
constexpr TCopyMode cmSrcCopy = gdi::SRCCOPY;
constexpr TCopyMode cmSrcErase = gdi::SRCERASE;
constexpr TCopyMode cmSrcInvert = gdi::SRCINVERT;
constexpr TCopyMode cmSrcPaint = gdi::SRCPAINT;
constexpr TCopyMode cmWhiteness = gdi::WHITENESS;

// Flags of the formatted TextRect, each one DT_* flag of DrawTextW.
enum class TTextFormats {
  tfBottom, tfCalcRect, tfCenter, tfEditControl, tfEndEllipsis, tfPathEllipsis, tfExpandTabs,
  tfExternalLeading, tfLeft, tfModifyString, tfNoClip, tfNoPrefix, tfRight, tfRtlReading,
  tfSingleLine, tfTop, tfVerticalCenter, tfWordBreak, tfHidePrefix, tfNoFullWidthCharBreak,
  tfPrefixOnly, tfTabStop, tfWordEllipsis, tfComposited
};
using TTextFormat = rtl::Set<TTextFormats, 24>;
gdi::UINT TextFormatToDrawTextFlags(TTextFormat format);

class TCanvas : public rtl::TPersistent {
  RTL_CLASS(TCanvas, rtl::TPersistent)

 public:
  TCanvas();
  // Deselects its objects from the DC (which it does not own).
  ~TCanvas() override;

  // The DC with font, pen and brush selected; a subclass makes one on demand
  // (CreateHandle). EInvalidOperation "Canvas does not allow drawing" when
  // there is none.
  gdi::HDC Handle();
  void SetHandle(gdi::HDC value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Serialises drawing from several threads; nests.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return lockCount_; }

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* value) { font_->Assign(value); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* value) { pen_->Assign(value); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* value) { brush_->Assign(value); }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode value) { copyMode_ = value; }
  // ETO_* options TextOut and TextRect pass to ExtTextOutW.
  int TextFlags() const { return textFlags_; }
  void SetTextFlags(int value) { textFlags_ = value; }

  // ---- lines and shapes (pen outline, brush interior)
  TPoint PenPos();
  void SetPenPos(TPoint value) { MoveTo(value.x, value.y); }
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

  // ---- rectangles with the brush
  void FillRect(const TRect& rect);
  void FrameRect(const TRect& rect);
  void DrawFocusRect(const TRect& rect);

  // ---- text with the font (and the brush as background unless bsClear)
  void TextOut(int x, int y, const String& text);
  // Clipped to `rect` (filled first unless the brush is clear).
  void TextRect(const TRect& rect, int x, int y, const String& text);
  // Formatted output through DrawTextW: tfCalcRect gives back the rectangle
  // needed; tfModifyString gives back the text shown.
  void TextRect(TRect& rect, String& text, TTextFormat format);
  TSize TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }

  // ---- pictures and pixels
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& rect, TGraphic* graphic);
  // StretchBlt from `canvas` with CopyMode.
  void CopyRect(const TRect& dest, TCanvas* canvas, const TRect& source);
  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);
  TRect ClipRect();

  // Deselects font, pen and brush; the next call selects them again.
  void Refresh();

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }
  const TNotifyEvent& OnChanging() const { return onChanging_; }
  void SetOnChanging(const TNotifyEvent& value) { onChanging_ = value; }

  TCanvasState State() const { return state_; }

 protected:
  virtual void Changed();
  virtual void Changing();
  // Called when a drawing call finds no DC: a subclass obtains one here
  // (from a control or a bitmap) and sets it with SetHandle.
  virtual void CreateHandle() {}
  // Makes sure the DC exists and the named objects are selected.
  void RequiredState(TCanvasState state);
  void DeselectHandles();
  // The DC as it is, without selecting anything (null when there is none).
  gdi::HDC CurrentDC() const { return handle_; }

 private:
  void fontChanged(rtl::TObject* sender);
  void penChanged(rtl::TObject* sender);
  void brushChanged(rtl::TObject* sender);
  void selectFont();
  void selectPen();
  void selectBrush();

  gdi::HDC handle_ = nullptr;
  TCanvasState state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TCopyMode copyMode_ = cmSrcCopy;
  int textFlags_ = 0;
  TNotifyEvent onChange_;
  TNotifyEvent onChanging_;
  std::recursive_mutex lock_;
  int lockCount_ = 0;
};

}  // namespace ui
