#pragma once
// Image lists: a row of equally sized images, each a 32-bit picture with
// straight alpha and a one-bit mask, added from bitmaps (strips are cut into
// list-sized images), drawn with the list's drawing styles, and watched
// through change links. The written form (WriteData) is what two lists are
// compared by.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/ui/colors.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"
#include "platform/win/constants.h"
#include "platform/win/types.h"

namespace ui {

class TBitmap;
class TCanvas;
class TCustomImageList;

enum class TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum class TImageType { itImage, itMask };
enum class TColorDepth { cdDeviceDependent, cd4Bit, cd8Bit, cd16Bit, cd24Bit, cd32Bit };

// Draw flags of the system's image lists.
constexpr unsigned ILD_NORMAL = 0x0000;
constexpr unsigned ILD_TRANSPARENT = 0x0001;
constexpr unsigned ILD_FOCUS = 0x0002;
constexpr unsigned ILD_SELECTED = 0x0004;
constexpr unsigned ILD_MASK = 0x0010;

// Tells its owner that the list it is registered with changed.
class TChangeLink : public rtl::TObject {
  RTL_CLASS(TChangeLink, rtl::TObject)

 public:
  TChangeLink() = default;
  // Leaves the list it is registered with.
  ~TChangeLink() override;
  TCustomImageList* Sender() const { return sender_; }
  void SetSender(TCustomImageList* value) { sender_ = value; }
  const rtl::TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const rtl::TNotifyEvent& value) { onChange_ = value; }
  virtual void Change();

 private:
  TCustomImageList* sender_ = nullptr;
  rtl::TNotifyEvent onChange_;
};

class TCustomImageList : public rtl::TComponent {
  RTL_CLASS(TCustomImageList, rtl::TComponent)

 public:
  explicit TCustomImageList(rtl::TComponent* owner);
  TCustomImageList(int width, int height);
  ~TCustomImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int value) { SetSize(value, height_); }
  void SetHeight(int value) { SetSize(width_, value); }
  // Values below 1 become 1; a new size clears the list.
  virtual void SetSize(int width, int height);
  int Count() const { return static_cast<int>(images_.size()); }

  // Adds the images of `image` (a strip of list-sized images when it is
  // wider; the rest of a partial image is dropped) with the matching part of
  // `mask` (1 bits, white, are transparent; no mask: opaque). A 32-bit
  // image with alpha keeps its alpha. Returns the index of the first image
  // added, -1 when the bitmap is smaller than one image.
  int Add(TBitmap* image, TBitmap* mask);
  // The mask is made from the pixels of `maskColor` (clNone: no mask).
  int AddMasked(TBitmap* image, TColor maskColor);
  void Replace(int index, TBitmap* image, TBitmap* mask);
  // -1 deletes all images.
  void Delete(int index);
  void Clear() { Delete(-1); }
  void Move(int curIndex, int newIndex);
  // The picture (32-bit, alpha as stored) and the mask (black opaque, white
  // transparent) of one image, or of the whole strip for -1. Out of range:
  // false and the bitmaps untouched.
  bool GetImageBitmaps(int index, TBitmap* image, TBitmap* mask) const;
  // The image as drawn over a background colour, as a 24-bit picture.
  void GetBitmap(int index, TBitmap* image) const;

  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return imageType_; }
  void SetImageType(TImageType value);
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor value);
  TColor BlendColor() const { return blendColor_; }
  void SetBlendColor(TColor value) { blendColor_ = value; }
  TColorDepth ColorDepth() const { return colorDepth_; }
  void SetColorDepth(TColorDepth value);
  int AllocBy() const { return allocBy_; }
  void SetAllocBy(int value) { allocBy_ = value < 1 ? 1 : value; }
  // Where a designer placed the component (low word x, high word y).
  std::int32_t DesignInfo() const { return designInfo_; }
  void SetDesignInfo(std::int32_t value) { designInfo_ = value; }

  // The system draw flags of the list's style for `imageType`.
  unsigned DrawFlags() const;
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void Draw(TCanvas* canvas, int x, int y, int index, TDrawingStyle drawingStyle, TImageType imageType,
            bool enabled = true);
  // Draws with the system flags (ILD_*) at (x, y) of the DC.
  void DrawWithFlags(gdi::HDC dc, int x, int y, int index, unsigned flags, bool enabled = true) const;

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  const rtl::TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const rtl::TNotifyEvent& value) { onChange_ = value; }

  void Assign(rtl::TPersistent* source) override;

  // The written form: "IL" 1, width, height, count (32-bit each), then per
  // image its pixels (32-bit) and its mask (one byte per pixel).
  void WriteData(rtl::TStream* stream) const;
  // Reads the written form; raises EReadError on short, inconsistent or
  // oversized data and leaves the list unchanged then.
  void ReadData(rtl::TStream* stream);

  // The stored images (for lists built on this one).
  const gdi::ImageBGRA& ImagePixels(int index) const { return images_.at(index).image; }
  // Its mask, one byte per pixel (1: transparent).
  const std::vector<std::uint8_t>& ImageMask(int index) const { return images_.at(index).mask; }

 protected:
  virtual void Change();
  virtual void DoDraw(int index, TCanvas* canvas, int x, int y, unsigned style, bool enabled);
  void DefineProperties(rtl::TFiler* filer) override;

 private:
  struct Entry {
    gdi::ImageBGRA image;       // straight alpha
    std::vector<std::uint8_t> mask;  // 1: transparent
  };
  int addEntries(const gdi::ImageBGRA& image, const std::vector<std::uint8_t>& mask);

  int width_ = 16;
  int height_ = 16;
  std::vector<Entry> images_;
  TDrawingStyle drawingStyle_ = TDrawingStyle::dsNormal;
  TImageType imageType_ = TImageType::itImage;
  TColor bkColor_ = clNone;
  TColor blendColor_ = clNone;
  TColorDepth colorDepth_ = TColorDepth::cd32Bit;
  int allocBy_ = 4;
  std::int32_t designInfo_ = 0;
  std::vector<TChangeLink*> links_;
  rtl::TNotifyEvent onChange_;
};

// Draws a 32-bit image with straight alpha over the DC, stretched (nearest
// pixel) to `dest`.
void AlphaDrawImage(gdi::HDC dc, const TRect& dest, const gdi::ImageBGRA& straight);

// ---- drag windows -----------------------------------------------------------------------------
// What every window that shows a drag has in common (the drag-image list's
// window below and the library's drag windows): it is a top-level window
// above all others, never activated, and transparent to the mouse, so the
// control under it keeps getting the pointer and the drop.
constexpr win::DWORD kDragWindowExStyle =
    win::WS_EX_LAYERED | win::WS_EX_NOACTIVATE | win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST;
// Answers the messages a drag window must not act on (hit tests: the mouse
// passes through; mouse activation: refused; background erasing: the picture
// covers it). False for every other message.
bool DragWindowMessage(win::UINT msg, win::LRESULT& result);
// Shows the window above all others without activating it and paints it at
// once, so the image is there before the next pointer move.
void ShowDragWindow(win::HWND wnd);

// A drag window whose pixels are given whole: a 32-bit picture with straight
// alpha (the transparent parts show what lies beneath), faded by a constant
// alpha. Nothing paints it, so moving it costs no repaint.
class TDragImageWindow {
 public:
  TDragImageWindow();
  // Destroys the window.
  ~TDragImageWindow();
  TDragImageWindow(const TDragImageWindow&) = delete;
  TDragImageWindow& operator=(const TDragImageWindow&) = delete;

  win::HWND Handle() const { return wnd_; }
  // The window takes the picture's size; its top-left stays.
  void SetPicture(const gdi::ImageBGRA& straight, std::uint8_t alpha = 255);
  // Screen coordinates of the top-left corner.
  void MoveTo(const TPoint& topLeft);
  TRect BoundsRect() const;
  void Show();
  void Hide();
  bool Visible() const;

 private:
  win::HWND wnd_ = nullptr;
};

// An image list that drags one of its images: the picked image (DragIndex)
// follows the pointer in a drag window, the pointer holding it at the hot
// spot. A drag runs from BeginDrag to EndDrag; in between the image is tied
// ("locked") to a window whose client coordinates the positions are in (the
// screen's for none), DragUnlock hides it until the next DragLock, and
// HideDragImage / ShowDragImage hide and show it around painting beneath.
class TDragImageList : public TCustomImageList {
  RTL_CLASS(TDragImageList, TCustomImageList)

 public:
  using TCustomImageList::TCustomImageList;
  // Ends a drag that still runs: its window goes with the list.
  ~TDragImageList() override;

  // Picks the image a drag shows and the point of it the pointer holds;
  // during a drag the shown image changes at once. False (nothing changed)
  // for an index out of range.
  bool SetDragImage(int index, int hotSpotX, int hotSpotY);
  int DragIndex() const { return dragIndex_; }
  TPoint DragHotspot() const { return dragHotspot_; }
  // The hot spot of the image being dragged (the picked one's otherwise).
  TPoint GetHotSpot() const { return dragHotspot_; }

  // Starts a drag of the picked image, tied to `window` with the pointer at
  // (x, y) of its client area (screen coordinates for null or the desktop
  // window), and shows it. False when a drag already runs or the picked
  // image does not exist.
  bool BeginDrag(win::HWND window, int x, int y);
  // Moves the image to (x, y) in the coordinates of the window it is tied
  // to (of the screen while untied). False when no drag runs.
  bool DragMove(int x, int y);
  // Ties the image to `window` at (x, y) and shows it.
  bool DragLock(win::HWND window, int x, int y);
  // Unties the image and hides it until the next DragLock.
  void DragUnlock();
  // Ends the drag: the drag window is destroyed. False when none ran.
  bool EndDrag();
  void HideDragImage();
  void ShowDragImage();
  bool Dragging() const { return window_ != nullptr; }
  // The cursor shown while the image is dragged; a change during a drag
  // shows at once.
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor value);

  // The running drag's window (null when none runs), and where the image
  // is and whether it shows, in screen coordinates.
  win::HWND DragWindowHandle() const;
  bool DragImageVisible() const;

 protected:
  // The image list changed: a running drag shows the new picture.
  void Change() override;

 private:
  // The image's straight-alpha pixels, transparent where it is masked.
  gdi::ImageBGRA dragPicture() const;
  // Places the window by the position, the hot spot and the tie, and shows
  // or hides it by the lock and the hide count.
  void updateWindow();

  int dragIndex_ = 0;
  TPoint dragHotspot_{};
  TCursor dragCursor_ = crDrag;
  std::unique_ptr<TDragImageWindow> window_;
  win::HWND lockWindow_ = nullptr;  // null: the screen
  bool locked_ = false;
  bool hidden_ = false;
  TPoint position_{};  // of the pointer, in the tie's coordinates
};

}  // namespace ui
