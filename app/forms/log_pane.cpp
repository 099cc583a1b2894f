#include "app/forms/log_pane.h"

#include <algorithm>
#include <vector>

#include "platform/rtl/ustring.h"
#include "platform/ui/stdctrls.h"

namespace integrador {

using rtl::String;
using ui::TRect;

namespace {

constexpr int kMargin = 2;
constexpr int kWheelLines = 3;

void fillRect(ui::TCanvas* c, const TRect& r, ui::TColor color) {
  c->Brush()->SetStyle(ui::TBrushStyle::bsSolid);
  c->Brush()->SetColor(color);
  c->FillRect(r);
}

}  // namespace

// ---- lines -----------------------------------------------------------------------------

int TLogPaneLines::Add(const String& s) {
  lines_.push_back(s);
  int dropped = 0;
  while (static_cast<int>(lines_.size()) > TLogPane::kMaxLines) {
    lines_.pop_front();
    ++dropped;
  }
  pane_->echo(s);
  pane_->linesChanged(true, dropped);
  return static_cast<int>(lines_.size()) - 1;
}

void TLogPaneLines::Clear() {
  lines_.clear();
  pane_->linesChanged(false, 0);
}

void TLogPaneLines::checkIndex(int index, int count) const {
  if (index < 0 || index >= count) Error(u"List index out of bounds (%d)", index);
}

void TLogPaneLines::Delete(int index) {
  checkIndex(index, GetCount());
  lines_.erase(lines_.begin() + index);
  pane_->linesChanged(false, 0);
}

void TLogPaneLines::Insert(int index, const String& s) {
  if (index == GetCount()) {
    Add(s);
    return;
  }
  checkIndex(index, GetCount());
  lines_.insert(lines_.begin() + index, s);
  if (static_cast<int>(lines_.size()) > TLogPane::kMaxLines) lines_.pop_front();
  pane_->echo(s);
  pane_->linesChanged(false, 0);
}

String TLogPaneLines::Get(int index) const {
  checkIndex(index, GetCount());
  return lines_[static_cast<std::size_t>(index)];
}

void TLogPaneLines::Put(int index, const String& s) {
  checkIndex(index, GetCount());
  lines_[static_cast<std::size_t>(index)] = s;
  pane_->linesChanged(false, 0);
}

void TLogPaneLines::SetUpdateState(bool updating) {
  if (!updating) pane_->Invalidate();
}

// ---- pane ------------------------------------------------------------------------------

TLogPane::TLogPane(rtl::TComponent* AOwner) : ui::TCustomControl(AOwner) {
  lines_ = std::make_unique<TLogPaneLines>(this);
  SetControlStyle({ui::csCaptureMouse, ui::csClickEvents, ui::csDoubleClicks, ui::csOpaque});
  SetBounds(0, 0, 185, 89);
  SetColor(ui::clWindow);
  SetParentColor(false);
  SetTabStop(true);
}

TLogPane::~TLogPane() = default;

void TLogPane::CreateParams(ui::TCreateParams& params) {
  ui::TCustomControl::CreateParams(params);
  params.ExStyle |= win::WS_EX_CLIENTEDGE;
}

void TLogPane::echo(const String& line) {
  if (!echo_) return;
  const std::string text = rtl::StringToUtf8(line);
  std::fwrite(text.data(), 1, text.size(), echo_);
  std::fputc('\n', echo_);
  std::fflush(echo_);
}

void TLogPane::linesChanged(bool appended, int dropped) {
  if (appended) {
    // A log follows its newest line.
    ScrollToEnd();
  } else {
    topLine_ = std::clamp(topLine_ - dropped, 0, maxTopLine());
  }
  Invalidate();
}

int TLogPane::lineHeight() {
  if (lineHeight_ > 0) return lineHeight_;
  if (!HandleAllocated()) return std::max(1, Font()->Size() * 96 / 72 + 3);
  ui::TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  lineHeight_ = std::max(1, c->TextHeight(u"Ág"));
  return lineHeight_;
}

int TLogPane::VisibleLineCount() {
  const TRect client = ClientRect();
  return std::max(1, (client.bottom - client.top - kMargin) / lineHeight());
}

int TLogPane::maxTopLine() { return std::max(0, lines_->Count() - VisibleLineCount()); }

void TLogPane::SetTopLine(int value) {
  value = std::clamp(value, 0, maxTopLine());
  if (value == topLine_) return;
  topLine_ = value;
  Invalidate();
}

void TLogPane::ScrollToEnd() { SetTopLine(maxTopLine()); }

void TLogPane::Resize() {
  ui::TCustomControl::Resize();
  topLine_ = std::clamp(topLine_, 0, maxTopLine());
}

TRect TLogPane::barRect() {
  const TRect client = ClientRect();
  return TRect{std::max(client.left, client.right - kScrollBarWidth), client.top, client.right,
               client.bottom};
}

void TLogPane::thumb(int track, int& offset, int& size) {
  const int total = lines_->Count(), page = VisibleLineCount();
  if (total <= page || track < 8) {
    offset = size = 0;
    return;
  }
  size = std::max(8, track * page / total);
  offset = (track - size) * topLine_ / std::max(1, total - page);
}

void TLogPane::Paint() {
  ui::TCanvas* c = Canvas();
  const TRect client = ClientRect();
  const TRect bar = barRect();
  const TRect text{client.left, client.top, bar.left, client.bottom};
  fillRect(c, text, Color());
  c->Font()->Assign(Font());
  c->Font()->SetColor(Enabled() ? Font()->Color() : ui::clGrayText);
  c->Brush()->SetStyle(ui::TBrushStyle::bsClear);
  const int lh = lineHeight();
  // Only the rows in view are drawn, however many lines the pane keeps.
  const int count = lines_->Count();
  for (int i = topLine_, y = text.top + 1; i < count && y < text.bottom; ++i, y += lh) {
    const TRect row{text.left, y, text.right, std::min(y + lh, int(text.bottom))};
    c->TextRect(row, text.left + kMargin, y, lines_->Strings(i));
  }

  // The vertical scroll bar: arrows at both ends and a thumb when the lines
  // do not all fit.
  fillRect(c, bar, ui::clScrollBar);
  const int length = bar.bottom - bar.top;
  const int button = std::min(kScrollBarWidth, length / 2);
  for (int end = 0; end < 2; ++end) {
    TRect b{bar.left, end ? bar.bottom - button : bar.top, bar.right, end ? bar.bottom : bar.top + button};
    fillRect(c, b, ui::clBtnFace);
    TRect inner = b;
    ui::Frame3D(c, inner, ui::clBtnHighlight, ui::clBtnShadow, 1);
    const int cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    std::vector<ui::TPoint> arrow =
        end ? std::vector<ui::TPoint>{{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}}
            : std::vector<ui::TPoint>{{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}};
    const ui::TColor arrowColor = count > VisibleLineCount() ? ui::clBtnText : ui::clGrayText;
    c->Pen()->SetColor(arrowColor);
    c->Brush()->SetStyle(ui::TBrushStyle::bsSolid);
    c->Brush()->SetColor(arrowColor);
    c->Polygon(arrow);
  }
  int offset = 0, size = 0;
  thumb(length - 2 * button, offset, size);
  if (size > 0) {
    TRect t{bar.left, bar.top + button + offset, bar.right, bar.top + button + offset + size};
    fillRect(c, t, ui::clBtnFace);
    ui::Frame3D(c, t, ui::clBtnHighlight, ui::clBtnShadow, 1);
  }
}

void TLogPane::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
  ui::TCustomControl::MouseDown(button, shift, x, y);
  const TRect bar = barRect();
  if (button != ui::mbLeft || x < bar.left) return;
  const int length = bar.bottom - bar.top;
  const int arrow = std::min(kScrollBarWidth, length / 2);
  int offset = 0, size = 0;
  thumb(length - 2 * arrow, offset, size);
  const int thumbTop = bar.top + arrow + offset;
  if (y < bar.top + arrow) {
    SetTopLine(topLine_ - 1);
  } else if (y >= bar.bottom - arrow) {
    SetTopLine(topLine_ + 1);
  } else if (size == 0) {
    return;
  } else if (y < thumbTop) {
    SetTopLine(topLine_ - VisibleLineCount());
  } else if (y >= thumbTop + size) {
    SetTopLine(topLine_ + VisibleLineCount());
  } else {
    dragging_ = true;
    dragOffset_ = y - thumbTop;
  }
}

void TLogPane::MouseMove(ui::TShiftState shift, int x, int y) {
  ui::TCustomControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  const TRect bar = barRect();
  const int length = bar.bottom - bar.top;
  const int arrow = std::min(kScrollBarWidth, length / 2);
  const int track = length - 2 * arrow;
  int offset = 0, size = 0;
  thumb(track, offset, size);
  if (size == 0 || track <= size) return;
  const int wanted = std::clamp(y - dragOffset_ - bar.top - arrow, 0, track - size);
  SetTopLine(int(static_cast<long long>(wanted) * maxTopLine() / (track - size)));
}

void TLogPane::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) {
  dragging_ = false;
  ui::TCustomControl::MouseUp(button, shift, x, y);
}

bool TLogPane::DoMouseWheel(ui::TShiftState shift, int wheelDelta, ui::TPoint mousePos) {
  // The pane keeps the wheel: the window under it never scrolls.
  ui::TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos);
  return true;
}

bool TLogPane::DoMouseWheelDown(ui::TShiftState shift, ui::TPoint mousePos) {
  if (!ui::TCustomControl::DoMouseWheelDown(shift, mousePos)) SetTopLine(topLine_ + kWheelLines);
  return true;
}

bool TLogPane::DoMouseWheelUp(ui::TShiftState shift, ui::TPoint mousePos) {
  if (!ui::TCustomControl::DoMouseWheelUp(shift, mousePos)) SetTopLine(topLine_ - kWheelLines);
  return true;
}

}  // namespace integrador
