#pragma once
// Graphic controls: image (a picture, stretched, kept in proportion or
// centred), shape (rectangles, rounded ones and ellipses with a pen and a
// brush) and speed button (a flat-capable button with a glyph that can stay
// down, alone or in a group).
#include <memory>

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"
#include "platform/ui/graphic.h"

namespace ui {

// ---- image -------------------------------------------------------------------------------
class TImage : public TGraphicControl {
  RTL_CLASS(TImage, TGraphicControl)

 public:
  explicit TImage(rtl::TComponent* owner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* value) { picture_->Assign(value); }
  // Fills the control with the picture.
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  // Keeps the picture's shape: shrinks a larger one to fit (grows a smaller
  // one too when Stretch is on).
  bool Proportional() const { return proportional_; }
  void SetProportional(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  // Lets the parent show through the picture's transparent parts.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // Where the picture is drawn, in client coordinates.
  TRect DestRect();

 protected:
  void Paint() override;

 private:
  void pictureChanged(rtl::TObject* sender);

  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool proportional_ = false;
  bool center_ = false;
  bool transparent_ = false;
};

// ---- shape -------------------------------------------------------------------------------
enum class TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
constexpr TShapeType stRectangle = TShapeType::stRectangle;
constexpr TShapeType stSquare = TShapeType::stSquare;
constexpr TShapeType stRoundRect = TShapeType::stRoundRect;
constexpr TShapeType stRoundSquare = TShapeType::stRoundSquare;
constexpr TShapeType stEllipse = TShapeType::stEllipse;
constexpr TShapeType stCircle = TShapeType::stCircle;

class TShape : public TGraphicControl {
  RTL_CLASS(TShape, TGraphicControl)

 public:
  explicit TShape(rtl::TComponent* owner);
  ~TShape() override;

  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType value);
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* value) { pen_->Assign(value); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* value) { brush_->Assign(value); }

 protected:
  void Paint() override;

 private:
  void styleChanged(rtl::TObject* sender);

  TShapeType shape_ = stRectangle;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};

// ---- speed button ----------------------------------------------------------------------------
enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
  RTL_CLASS(TSpeedButton, TGraphicControl)

 public:
  explicit TSpeedButton(rtl::TComponent* owner);
  ~TSpeedButton() override;

  TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(TBitmap* value) { glyph_->Assign(value); }
  // Draws the frame only while the mouse is over the button or it is down.
  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  // Buttons of one parent with the same GroupIndex (not 0) are down one at
  // a time; clicking the down one raises it only when AllowAllUp.
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  bool Down() const { return down_; }
  void SetDown(bool value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);
  // The mouse is over the button now.
  bool MouseInControl() const { return mouseInControl_; }
  TButtonState State() const { return state_; }

  void Click() override;
  void Dispatch(void* message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void CMMouseEnter(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;

 private:
  void glyphChanged(rtl::TObject* sender);
  void updateExclusive();
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  std::unique_ptr<TBitmap> glyph_;
  bool flat_ = false;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  TButtonState state_ = TButtonState::bsUp;
};

}  // namespace ui
