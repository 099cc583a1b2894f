#include "platform/ui/extctrls.h"

#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/win.h"

namespace ui {

using namespace win;

namespace {

void fill(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(color);
  canvas->FillRect(r);
}

}  // namespace

// ==================================================================================== TImage

TImage::TImage(rtl::TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  picture_ = std::make_unique<TPicture>();
  picture_->SetOnChange(TNotifyEvent::bind<&TImage::pictureChanged>(this));
  SetBounds(Left(), Top(), 105, 105);
}

TImage::~TImage() = default;

void TImage::pictureChanged(rtl::TObject*) {
  if (TGraphic* g = picture_->Graphic(); g && transparent_ && !g->Transparent())
    g->SetTransparent(true);
  // A picture with see-through parts lets the parent paint first.
  const bool opaque =
      picture_->Graphic() && !picture_->Graphic()->Transparent() && !transparent_ &&
      (stretch_ || (picture_->Width() >= Width() && picture_->Height() >= Height()));
  SetControlStyle(opaque ? ControlStyle() + csOpaque : ControlStyle() - csOpaque);
  Invalidate();
}

void TImage::SetStretch(bool value) {
  if (stretch_ == value) return;
  stretch_ = value;
  pictureChanged(this);
}

void TImage::SetProportional(bool value) {
  if (proportional_ == value) return;
  proportional_ = value;
  Invalidate();
}

void TImage::SetCenter(bool value) {
  if (center_ == value) return;
  center_ = value;
  Invalidate();
}

void TImage::SetTransparent(bool value) {
  if (transparent_ == value) return;
  transparent_ = value;
  pictureChanged(this);
}

TRect TImage::DestRect() {
  const int pw = picture_->Width(), ph = picture_->Height();
  const int cw = Width(), ch = Height();
  int w = pw, h = ph;
  if (pw > 0 && ph > 0 && (stretch_ || (proportional_ && (pw > cw || ph > ch)))) {
    if (proportional_) {
      // The larger of the two ratios decides: the picture fits both ways.
      if (std::int64_t(cw) * ph < std::int64_t(ch) * pw) {
        w = cw;
        h = int(std::int64_t(ph) * cw / pw);
      } else {
        h = ch;
        w = int(std::int64_t(pw) * ch / ph);
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r{0, 0, w, h};
  if (center_) {
    r.left = (cw - w) / 2;
    r.top = (ch - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
  }
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  const TRect d = DestRect();
  if (d.right - d.left == g->Width() && d.bottom - d.top == g->Height())
    Canvas()->Draw(d.left, d.top, g);
  else
    Canvas()->StretchDraw(d, g);
}

// ==================================================================================== TShape

TShape::TShape(rtl::TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  pen_ = std::make_unique<TPen>();
  brush_ = std::make_unique<TBrush>();
  pen_->SetOnChange(TNotifyEvent::bind<&TShape::styleChanged>(this));
  brush_->SetOnChange(TNotifyEvent::bind<&TShape::styleChanged>(this));
  SetBounds(Left(), Top(), 65, 65);
}

TShape::~TShape() = default;

void TShape::styleChanged(rtl::TObject*) { Invalidate(); }

void TShape::SetShape(TShapeType value) {
  if (shape_ == value) return;
  shape_ = value;
  Invalidate();
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  // The pen's middle runs inside the bounds, so wide pens are not cut off.
  const int pw = pen_->Width();
  int x = pw / 2, y = pw / 2;
  int w = Width() - pw + 1, h = Height() - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  const bool square =
      shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle;
  if (square) {
    const int side = std::min(w, h);
    x += (w - side) / 2;
    y += (h - side) / 2;
    w = h = side;
  }
  switch (shape_) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: {
      const int corner = std::min(w, h) / 4;
      c->RoundRect(x, y, x + w, y + h, corner, corner);
      break;
    }
    case stEllipse:
    case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// ============================================================================== TSpeedButton

TSpeedButton::TSpeedButton(rtl::TComponent* owner) : TGraphicControl(owner) {
  SetControlStyle({csCaptureMouse, csDoubleClicks, csOpaque, csReplicatable});
  glyph_ = std::make_unique<TBitmap>();
  glyph_->SetOnChange(TNotifyEvent::bind<&TSpeedButton::glyphChanged>(this));
  SetBounds(Left(), Top(), 23, 22);
  SetParentColor(false);
  SetColor(clBtnFace);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::glyphChanged(rtl::TObject*) { Invalidate(); }

void TSpeedButton::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  SetControlStyle(value ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int value) {
  if (groupIndex_ == value) return;
  groupIndex_ = value;
  updateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  if (allowAllUp_ == value) return;
  allowAllUp_ = value;
  updateExclusive();
}

void TSpeedButton::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;  // only grouped buttons stay down
  if (value == down_) return;
  if (down_ && !value && !allowAllUp_) return;  // one of the group stays down
  down_ = value;
  state_ = value ? TButtonState::bsExclusive : TButtonState::bsUp;
  Invalidate();
  if (value) updateExclusive();
}

// Tells the other buttons of the group: the down one raises the others, and
// AllowAllUp is the same for all.
void TSpeedButton::updateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage m{CM_BUTTONPRESSED, WPARAM(groupIndex_), reinterpret_cast<LPARAM>(this), 0};
  Parent()->Broadcast(m);
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  if (!down_) {
    state_ = TButtonState::bsDown;
    Invalidate();
  }
  dragging_ = true;
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  // Pressed while the mouse stays on it.
  const TButtonState pressed = down_ ? TButtonState::bsExclusive : TButtonState::bsDown;
  const TButtonState released = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
  const TButtonState next = inside(x, y) ? pressed : released;
  if (next != state_) {
    state_ = next;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!dragging_ || button != mbLeft) return;
  dragging_ = false;
  const bool clicked = inside(x, y);
  if (groupIndex_ == 0) {
    state_ = TButtonState::bsUp;
    Invalidate();
  } else if (clicked) {
    SetDown(!down_);
    state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
  } else {
    state_ = down_ ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
  }
  if (clicked) Click();  // may free this button: nothing after
}

void TSpeedButton::CMMouseEnter(TMessage& m) {
  TGraphicControl::CMMouseEnter(m);
  if (!mouseInControl_ && Enabled()) {
    mouseInControl_ = true;
    if (flat_) Invalidate();
  }
}

void TSpeedButton::CMMouseLeave(TMessage& m) {
  TGraphicControl::CMMouseLeave(m);
  if (mouseInControl_) {
    mouseInControl_ = false;
    if (flat_) Invalidate();
  }
}

void TSpeedButton::Dispatch(void* message) {
  auto& m = *static_cast<TMessage*>(message);
  switch (m.Msg) {
    case CM_BUTTONPRESSED: {
      auto* sender = reinterpret_cast<TSpeedButton*>(m.LParam);
      if (int(m.WParam) != groupIndex_ || sender == this || groupIndex_ == 0) return;
      if (sender->Down() && down_) {
        down_ = false;
        state_ = TButtonState::bsUp;
        Invalidate();
      }
      allowAllUp_ = sender->AllowAllUp();
      return;
    }
    case CM_ENABLEDCHANGED:
      if (!Enabled()) mouseInControl_ = false;
      TGraphicControl::Dispatch(message);
      Invalidate();
      return;
    case CM_TEXTCHANGED:
      TGraphicControl::Dispatch(message);
      Invalidate();
      return;
    case CM_DIALOGCHAR:
      if (IsAccel(rtl::Word(m.WParam), Caption()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        Click();
        m.Result = 1;
      }
      return;
    default: TGraphicControl::Dispatch(message);
  }
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r{0, 0, Width(), Height()};
  const bool pushed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
  if (!flat_ || pushed || mouseInControl_ || !Parent()) {
    fill(c, r, down_ && !pushed ? clBtnHighlight : Color());
    if (pushed) {
      Frame3D(c, r, flat_ ? clBtnShadow : cl3DDkShadow, clBtnHighlight, 1);
      if (!flat_) Frame3D(c, r, clBtnShadow, clBtnFace, 1);
    } else {
      Frame3D(c, r, clBtnHighlight, flat_ ? clBtnShadow : cl3DDkShadow, 1);
      if (!flat_) Frame3D(c, r, clBtnFace, clBtnShadow, 1);
    }
  } else {
    r = TRect{2, 2, Width() - 2, Height() - 2};
  }
  // Glyph then caption, centred together; one pixel down and right when pushed.
  const int shift = pushed ? 1 : 0;
  const String caption = Caption();
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  const int gw = glyph_->Empty() ? 0 : glyph_->Width();
  const int gh = glyph_->Empty() ? 0 : glyph_->Height();
  // Measured and drawn through DrawTextW so that "&x" shows x underlined.
  TRect extent{0, 0, 0, 0};
  if (!caption.empty())
    gdi::DrawTextW(c->Handle(), caption.c_str(), int(caption.size()), &extent,
                   gdi::DT_SINGLELINE | gdi::DT_CALCRECT);
  const int tw = extent.right - extent.left;
  const int th = extent.bottom - extent.top;
  const int gap = gw && tw ? 4 : 0;
  int x = (Width() - (gw + gap + tw)) / 2 + shift;
  if (gw) {
    c->Draw(x, (Height() - gh) / 2 + shift, glyph_.get());
    x += gw + gap;
  }
  if (tw) {
    c->Brush()->SetStyle(TBrushStyle::bsClear);
    HDC dc = c->Handle();
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    TRect tr{x, (Height() - th) / 2 + shift, x + tw, (Height() - th) / 2 + shift + th};
    gdi::DrawTextW(dc, caption.c_str(), int(caption.size()), &tr, gdi::DT_SINGLELINE);
  }
}

}  // namespace ui
