// The radio-button glyphs and the grid's indicator images.
#include <algorithm>
#include <cstdint>

#include "lib/core/cxImageList.h"
#include "lib/core/dxOffice11.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "lib/lookandfeel/painters_module.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/streams.h"
#include "platform/ui/colors.h"
#include "platform/win/system_bitmaps.h"

namespace lookandfeel {

using ui::TColor;

namespace {

constexpr int kImageCount = 128;

bool isBlack(ui::TCanvas* ACanvas, int x, int y) { return ui::ColorToRGB(ACanvas->Pixels(x, y)) == 0; }

// A bitmap of the given size and format, cleared to white.
std::unique_ptr<ui::TBitmap> whiteBitmap(int AWidth, int AHeight, ui::TPixelFormat AFormat) {
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->SetPixelFormat(AFormat);
  bitmap->SetSize(AWidth, AHeight);
  bitmap->Canvas()->Brush()->SetColor(ui::clWhite);
  bitmap->Canvas()->FillRect(TRect{0, 0, AWidth, AHeight});
  return bitmap;
}

// The side of the diagonal from the upper-right to the lower-left corner:
// true below it (the lower-right half).
bool belowDiagonal(int ARow, int AColumn, int AWidth, int AHeight) {
  return (AHeight - 1) * (AWidth - AColumn - 1) < ARow * (AWidth - 1);
}
bool onDiagonal(int ARow, int AColumn, int AWidth, int AHeight) {
  return (AHeight - 1) * (AWidth - AColumn - 1) == ARow * (AWidth - 1);
}

// An opaque picture leaves the alpha byte 0, as drawing does: the image
// list then takes transparency from the mask alone.
std::uint32_t bgrOf(TColor AColor) {
  const gdi::COLORREF c = ui::ColorToRGB(AColor);
  return ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

TColor radioBodyColor(TcxLookAndFeelKind AKind, TcxButtonState AState) {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  TcxCustomLookAndFeelPainter* painter = manager ? manager->GetPainter(cxLookAndFeelStyleOf(AKind)) : nullptr;
  return painter ? painter->RadioButtonBodyColor(AState) : ui::clWindow;
}

}  // namespace

// --- TcxRadioButtonImageList -----------------------------------------------------------------------
TcxRadioButtonImageList::TcxRadioButtonImageList() {
  CalculateRadioButtonSize();
  const TSize size = GetSize();
  FList = std::make_unique<ui::TCustomImageList>(size.cx, size.cy);
  PrepareButtonMask();
  PrepareRadioButtonPattern();
}

TcxRadioButtonImageList::~TcxRadioButtonImageList() = default;

TSize TcxRadioButtonImageList::GetSize() const {
  return TSize{FRadioButtonRect.right - FRadioButtonRect.left, FRadioButtonRect.bottom - FRadioButtonRect.top};
}

void TcxRadioButtonImageList::InternalRoundRect(ui::TCanvas* ACanvas, const TRect& R) {
  ACanvas->RoundRect(R.left, R.top, R.right, R.bottom, R.right - R.left - 1, R.bottom - R.top - 1);
}

void TcxRadioButtonImageList::CalculateRadioButtonSize() {
  TSize cell{0, 0};
  if (gdi::HBITMAP system = win::LoadBitmapW(nullptr, win::MAKEINTRESOURCEW(win::OBM_CHECKBOXES))) {
    gdi::BITMAP info{};
    if (gdi::GetObjectW(system, sizeof(info), &info) != 0) cell = TSize{info.bmWidth / 4, info.bmHeight / 3};
    gdi::DeleteObject(system);
  }
  std::unique_ptr<ui::TBitmap> bitmap = whiteBitmap(cell.cx, cell.cy, ui::pf24bit);
  ui::TCanvas* canvas = bitmap->Canvas();
  gdi::RECT r{0, 0, cell.cx, cell.cy};
  gdi::DrawFrameControl(canvas->Handle(), &r, gdi::DFC_BUTTON, gdi::DFCS_BUTTONRADIOMASK | gdi::DFCS_FLAT);

  // The glyph is where the mask is black.
  int left = -1, width = 0, top = -1, height = 0;
  for (int x = 0; x < cell.cx; ++x) {
    bool any = false;
    for (int y = 0; y < cell.cy && !any; ++y) any = isBlack(canvas, x, y);
    if (!any) continue;
    if (left < 0) left = x;
    ++width;
  }
  for (int y = 0; y < cell.cy; ++y) {
    bool any = false;
    for (int x = 0; x < cell.cx && !any; ++x) any = isBlack(canvas, x, y);
    if (!any) continue;
    if (top < 0) top = y;
    ++height;
  }
  left = std::max(left, 0);
  top = std::max(top, 0);
  FRadioButtonRect = TRect{left, top, left + width, top + height};

  // The dot of the checked image, found from the middle outwards.
  canvas->FillRect(TRect{0, 0, cell.cx, cell.cy});
  r = gdi::RECT{0, 0, cell.cx, cell.cy};
  gdi::DrawFrameControl(canvas->Handle(), &r, gdi::DFC_BUTTON,
                        gdi::DFCS_BUTTONRADIOIMAGE | gdi::DFCS_CHECKED | gdi::DFCS_FLAT);
  const gdi::COLORREF text = ui::ColorToRGB(ui::clWindowText);
  auto isDot = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < cell.cx && y < cell.cy && ui::ColorToRGB(canvas->Pixels(x, y)) == text;
  };
  const int column = left + width / 2 - 1, row = top + height / 2 - 1;
  int y = top + height / 2 - 2;
  while (isDot(column, y)) --y;
  FRadioButtonCheckRect.top = y + 1;
  y = FRadioButtonCheckRect.top;
  while (isDot(column, y)) ++y;
  FRadioButtonCheckRect.bottom = y;
  int x = left + width / 2 - 2;
  while (isDot(x, row)) --x;
  FRadioButtonCheckRect.left = x + 1;
  x = FRadioButtonCheckRect.left;
  while (isDot(x, row)) ++x;
  FRadioButtonCheckRect.right = x;
}

void TcxRadioButtonImageList::PrepareButtonMask() {
  const TSize size = GetSize();
  FButtonMask = whiteBitmap(size.cx, size.cy, ui::pf1bit);
  ui::TCanvas* canvas = FButtonMask->Canvas();
  canvas->Pen()->SetColor(ui::clBlack);
  canvas->Brush()->SetColor(ui::clBlack);
  InternalRoundRect(canvas, TRect{0, 0, size.cx, size.cy});
}

void TcxRadioButtonImageList::PrepareRadioButtonPattern() {
  const TSize size = GetSize();
  const int w = size.cx, h = size.cy;
  FRadioButtonPattern.assign(h, std::vector<int>(w, sOutside));
  auto& slot = FRadioButtonPattern;

  // 1. The outer ring, split by the diagonal.
  std::unique_ptr<ui::TBitmap> bitmap = whiteBitmap(w, h, ui::pf32bit);
  ui::TCanvas* canvas = bitmap->Canvas();
  canvas->Pen()->SetColor(ui::clBlack);
  InternalRoundRect(canvas, TRect{0, 0, w, h});
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j)
      if (isBlack(canvas, j, i)) slot[i][j] = belowDiagonal(i, j, w, h) ? sOuterLowerRight : sOuterUpperLeft;

  // 2. The body: from the middle outwards until the ring.
  for (int i = 1; i <= h - 2; ++i) {
    for (int j = w / 2 - 1; j >= 0 && slot[i][j] == sOutside; --j) slot[i][j] = sBody;
    for (int j = w / 2; j < w && slot[i][j] == sOutside; ++j) slot[i][j] = sBody;
  }

  // 3. The inner ring: the outermost body pixels of every row and column,
  // and all body pixels of the first and last inner rows and columns. A
  // pixel already made ring by the row pass still counts as inside.
  auto inside = [&](int i, int j) { return slot[i][j] >= sInnerUpperLeft && slot[i][j] <= sBody; };
  auto toRing = [&](int i, int j) {
    const bool lower = belowDiagonal(i, j, w, h) || (onDiagonal(i, j, w, h) && j > w / 2 - 1);
    slot[i][j] = lower ? sInnerLowerRight : sInnerUpperLeft;
  };
  for (int i = 1; i <= h - 2; ++i) {
    int first = -1, last = -1;
    for (int j = 0; j < w; ++j)
      if (inside(i, j)) {
        if (first < 0) first = j;
        last = j;
      }
    if (first < 0) continue;
    if (i == 1 || i == h - 2) {
      for (int j = first; j <= last; ++j)
        if (inside(i, j)) toRing(i, j);
    } else {
      toRing(i, first);
      toRing(i, last);
    }
  }
  for (int j = 1; j <= w - 2; ++j) {
    int first = -1, last = -1;
    for (int i = 0; i < h; ++i)
      if (inside(i, j)) {
        if (first < 0) first = i;
        last = i;
      }
    if (first < 0) continue;
    if (j == 1 || j == w - 2) {
      for (int i = first; i <= last; ++i)
        if (inside(i, j)) toRing(i, j);
    } else {
      toRing(first, j);
      toRing(last, j);
    }
  }

  // 4. The check dot.
  canvas->Brush()->SetColor(ui::clWhite);
  canvas->FillRect(TRect{0, 0, w, h});
  canvas->Brush()->SetColor(ui::clBlack);
  TRect dot = FRadioButtonCheckRect;
  dot.left -= FRadioButtonRect.left;
  dot.right -= FRadioButtonRect.left;
  dot.top -= FRadioButtonRect.top;
  dot.bottom -= FRadioButtonRect.top;
  InternalRoundRect(canvas, dot);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j)
      if (isBlack(canvas, j, i)) slot[i][j] = sCheck;
}

std::array<TColor, 7> TcxRadioButtonImageList::PrepareColorMap(TcxLookAndFeelKind AKind, TcxButtonState AState,
                                                               bool AChecked, bool AFocused,
                                                               bool AIsDesigning) const {
  using S = TcxButtonState;
  const bool disabled = AState == S::cxbsDisabled;
  const bool active = AFocused || AState == S::cxbsHot || AState == S::cxbsPressed || AIsDesigning;
  const TColor body = radioBodyColor(AKind, AState);
  std::array<TColor, 7> map{};
  map[sOutside] = ui::clBlack;  // the mask makes it transparent
  map[sBody] = body;
  switch (AKind) {
    case TcxLookAndFeelKind::lfFlat:
      map[sOuterUpperLeft] = ui::clBtnShadow;
      map[sOuterLowerRight] = ui::clBtnHighlight;
      map[sInnerUpperLeft] = map[sInnerLowerRight] = ui::cl3DLight;
      break;
    case TcxLookAndFeelKind::lfStandard:
      map[sOuterUpperLeft] = ui::clBtnShadow;
      map[sOuterLowerRight] = ui::clBtnHighlight;
      map[sInnerUpperLeft] = ui::cl3DDkShadow;
      map[sInnerLowerRight] = ui::cl3DLight;
      break;
    case TcxLookAndFeelKind::lfUltraFlat:
      map[sOuterUpperLeft] = map[sOuterLowerRight] = active && !disabled ? ui::clHighlight : ui::clBtnShadow;
      map[sInnerUpperLeft] = map[sInnerLowerRight] = body;
      break;
    case TcxLookAndFeelKind::lfOffice11:
      map[sOuterUpperLeft] = map[sOuterLowerRight] =
          disabled ? core::dxOffice11TextDisabledColor : active ? core::dxOffice11SelectedBorderColor : ui::clBtnText;
      map[sInnerUpperLeft] = map[sInnerLowerRight] = body;
      break;
  }
  if (!AChecked)
    map[sCheck] = body;
  else if (!disabled)
    map[sCheck] = ui::clWindowText;
  else
    map[sCheck] = AKind == TcxLookAndFeelKind::lfOffice11 ? core::dxOffice11TextDisabledColor : ui::clBtnShadow;
  return map;
}

int TcxRadioButtonImageList::GetImageListIndexMapIndex(TcxLookAndFeelKind ALookAndFeelKind,
                                                       TcxButtonState AButtonState, bool AChecked, bool AFocused,
                                                       bool AIsDesigning) {
  return (static_cast<int>(AButtonState) - 1) + 4 * int(AChecked) + 8 * static_cast<int>(ALookAndFeelKind) +
         32 * int(AIsDesigning) + 64 * int(AFocused);
}

int TcxRadioButtonImageList::GetImageIndex(TcxLookAndFeelKind ALookAndFeelKind, TcxButtonState AButtonState,
                                           bool AChecked, bool AFocused, bool AIsDesigning) const {
  const int mapIndex = GetImageListIndexMapIndex(ALookAndFeelKind, AButtonState, AChecked, AFocused, AIsDesigning);
  return mapIndex >= 0 && mapIndex < static_cast<int>(FIndexes.size()) ? FIndexes[mapIndex] : -1;
}

void TcxRadioButtonImageList::Prepare() {
  if (FList->Count() > 0) return;
  const TSize size = GetSize();
  ui::TBitmap bitmap;
  bitmap.SetPixelFormat(ui::pf32bit);
  bitmap.SetSize(size.cx, size.cy);
  FIndexes.assign(kImageCount, -1);
  for (bool focused : {false, true})
    for (bool designing : {false, true})
      for (int kind = 0; kind < 4; ++kind)
        for (bool checked : {false, true})
          for (int state = 1; state <= 4; ++state) {
            const auto K = static_cast<TcxLookAndFeelKind>(kind);
            const auto S = static_cast<TcxButtonState>(state);
            const std::array<TColor, 7> map = PrepareColorMap(K, S, checked, focused, designing);
            std::array<std::uint32_t, 7> pixels{};
            for (int i = 0; i < 7; ++i) pixels[i] = bgrOf(map[i]);
            for (int row = 0; row < size.cy; ++row) {
              auto* line = static_cast<std::uint32_t*>(bitmap.ScanLine(row));
              for (int column = 0; column < size.cx; ++column)
                line[column] = pixels[FRadioButtonPattern[row][column]];
            }
            FIndexes[GetImageListIndexMapIndex(K, S, checked, focused, designing)] =
                FList->Add(&bitmap, FButtonMask.get());
          }
}

void TcxRadioButtonImageList::Reset() {
  FList->Clear();
  FIndexes.clear();
  Prepare();
}

void TcxRadioButtonImageList::Draw(core::TcxCanvas* ACanvas, int X, int Y, TColor ABrushColor,
                                   TcxLookAndFeelKind ALookAndFeelKind, TcxButtonState AButtonState, bool AChecked,
                                   bool AFocused, bool AIsDesigning) {
  Prepare();
  const int index = GetImageIndex(ALookAndFeelKind, AButtonState, AChecked, AFocused, AIsDesigning);
  if (index < 0) return;
  if (ABrushColor == ui::clDefault) {
    FList->Draw(ACanvas->Canvas(), X, Y, index);
    return;
  }
  const TSize size = GetSize();
  ui::TBitmap bitmap;
  bitmap.SetPixelFormat(ui::pf32bit);
  bitmap.SetSize(size.cx, size.cy);
  bitmap.Canvas()->Brush()->SetColor(ABrushColor);
  bitmap.Canvas()->FillRect(TRect{0, 0, size.cx, size.cy});
  FList->Draw(bitmap.Canvas(), 0, 0, index);
  ACanvas->Draw(X, Y, &bitmap);
}

TcxRadioButtonImageList* PrepareRadioButtonImageList() {
  std::unique_ptr<TcxRadioButtonImageList>& list = paintersModule().radioButtonImageList;
  if (!list) {
    list = std::make_unique<TcxRadioButtonImageList>();
    list->Prepare();
  }
  return list.get();
}

TcxRadioButtonImageList* RadioButtonImageList() { return PrepareRadioButtonImageList(); }

// --- indicator images ---------------------------------------------------------------------------
ui::TCustomImageList* cxIndicatorImages() { return paintersModule().indicatorImages.get(); }

void CreateIndicatorImages() {
  std::vector<std::unique_ptr<ui::TBitmap>> bitmaps;
  for (const char16_t* name : cxIndicatorImageNames) {
    rtl::TResourceStream stream(name, core::kBitmapResourceType);
    auto bitmap = std::make_unique<ui::TBitmap>();
    bitmap->LoadFromStream(&stream);
    bitmaps.push_back(std::move(bitmap));
  }
  auto list = std::make_unique<ui::TCustomImageList>(bitmaps.front()->Width(), bitmaps.front()->Height());
  for (const auto& bitmap : bitmaps) list->AddMasked(bitmap.get(), ui::clWhite);
  paintersModule().indicatorImages = std::move(list);
}

void DestroyIndicatorImages() { paintersModule().indicatorImages.reset(); }

}  // namespace lookandfeel
