// The painter registry, the routines the painters share, and the painter
// module's start and stop. The radio-button and indicator images are in
// cxLookAndFeelPaintersManager_images.cpp.
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"

#include <algorithm>
#include <utility>

#include "lib/core/cxClasses.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/lookandfeel/cxLookAndFeels.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_native.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_office11.h"
#include "lib/lookandfeel/painters_module.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/colors.h"
#include "platform/win/system_bitmaps.h"

namespace lookandfeel {

using ui::TColor;

// --- the registry --------------------------------------------------------------------------------
namespace {

TcxCustomLookAndFeelPainter* painterAt(const core::TcxObjectList& AList, int AIndex) {
  return static_cast<TcxCustomLookAndFeelPainter*>(AList.Items(AIndex));
}

// Locale-aware and case-sensitive, as the names are shown to people.
int compareByName(void* AItem1, void* AItem2) {
  return rtl::AnsiCompareStr(static_cast<TcxCustomLookAndFeelPainter*>(AItem1)->LookAndFeelName(),
                             static_cast<TcxCustomLookAndFeelPainter*>(AItem2)->LookAndFeelName());
}

}  // namespace

TcxLookAndFeelPaintersManager::TcxLookAndFeelPaintersManager()
    : FPainters(std::make_unique<core::TcxObjectList>(true)) {}

TcxLookAndFeelPaintersManager::~TcxLookAndFeelPaintersManager() {
  FListeners.clear();
  FPainters.reset();
}

bool TcxLookAndFeelPaintersManager::Register(std::unique_ptr<TcxCustomLookAndFeelPainter> APainter) {
  if (!APainter) return false;
  if (GetPainter(APainter->LookAndFeelName()) != nullptr) return false;  // the duplicate dies here
  TcxCustomLookAndFeelPainter* painter = APainter.release();
  FPainters->Add(painter);
  SortPainters();
  DoPainterAdded(painter);
  return true;
}

bool TcxLookAndFeelPaintersManager::GetPainter(TcxLookAndFeelStyle AStyle,
                                               TcxCustomLookAndFeelPainter*& APainter) const {
  for (int i = 0; i < FPainters->Count(); ++i) {
    TcxCustomLookAndFeelPainter* painter = painterAt(*FPainters, i);
    if (painter->LookAndFeelStyle() == AStyle) {
      APainter = painter;
      return true;
    }
  }
  APainter = nullptr;
  return false;
}

TcxCustomLookAndFeelPainter* TcxLookAndFeelPaintersManager::GetPainter(TcxLookAndFeelStyle AStyle) const {
  TcxCustomLookAndFeelPainter* painter = nullptr;
  GetPainter(AStyle, painter);
  return painter;
}

bool TcxLookAndFeelPaintersManager::GetPainter(rtl::StringView AName, TcxCustomLookAndFeelPainter*& APainter) const {
  // Only A to Z fold: a painter's name is an identifier, not text in a locale.
  for (int i = 0; i < FPainters->Count(); ++i) {
    TcxCustomLookAndFeelPainter* painter = painterAt(*FPainters, i);
    if (rtl::SameText(painter->LookAndFeelName(), AName)) {
      APainter = painter;
      return true;
    }
  }
  APainter = nullptr;
  return false;
}

TcxCustomLookAndFeelPainter* TcxLookAndFeelPaintersManager::GetPainter(rtl::StringView AName) const {
  TcxCustomLookAndFeelPainter* painter = nullptr;
  GetPainter(AName, painter);
  return painter;
}

int TcxLookAndFeelPaintersManager::Count() const { return FPainters->Count(); }

TcxCustomLookAndFeelPainter* TcxLookAndFeelPaintersManager::Items(int AIndex) const {
  return painterAt(*FPainters, AIndex);
}

void TcxLookAndFeelPaintersManager::AddListener(IcxLookAndFeelPainterListener* AListener) {
  if (AListener && std::find(FListeners.begin(), FListeners.end(), AListener) == FListeners.end())
    FListeners.push_back(AListener);
}

void TcxLookAndFeelPaintersManager::RemoveListener(IcxLookAndFeelPainterListener* AListener) {
  FListeners.erase(std::remove(FListeners.begin(), FListeners.end(), AListener), FListeners.end());
}

void TcxLookAndFeelPaintersManager::SortPainters() { FPainters->Sort(&compareByName); }

void TcxLookAndFeelPaintersManager::DoPainterAdded(TcxCustomLookAndFeelPainter* APainter) {
  DoRootLookAndFeelChanged();
  for (int i = static_cast<int>(FListeners.size()) - 1; i >= 0; --i) {
    if (i < static_cast<int>(FListeners.size())) FListeners[i]->PainterAdded(APainter);
  }
}

void TcxLookAndFeelPaintersManager::DoRootLookAndFeelChanged() {
  if (TcxLookAndFeel* root = RootLookAndFeel()) root->Refresh();
}

// --- shared geometry ---------------------------------------------------------------------------
TRect cxTextRect(const TRect& R) { return TRect{R.left + 2, R.top + 2, R.right - 2, R.bottom - 2}; }

std::vector<ui::TPoint> cxGetSchedulerGroupPolygon(const TRect& R) {
  const TRect Q{R.left, R.top + 2, R.right - 1, R.bottom - 2};
  const int h = (Q.bottom - Q.top) / 2;
  return {{Q.left, Q.top},          {Q.right, Q.top},         {Q.right, Q.bottom},
          {Q.right - h, Q.bottom - h}, {Q.left + h, Q.bottom - h}, {Q.left, Q.bottom}};
}

std::vector<ui::TPoint> cxGetSchedulerMilestonePolygon(const TRect& R) {
  const int a = std::min(R.right - R.left, R.bottom - R.top);
  const TRect S = cxCentreRect(R, a, a);
  const int b = (S.right - S.left) & ~1;
  return {{S.left, S.top + b / 2}, {S.left + b / 2, S.top}, {S.left + b, S.top + b / 2}, {S.left + b / 2, S.top + b}};
}

void dxRotateSizeGrip(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor, TdxCorner ACorner,
                      const TdxDrawSizeGripProc& AProc) {
  // Rotation and flip that turn ACorner into the bottom-right corner; each
  // is its own inverse, so the same pair turns the drawing back.
  const bool upsideDown = ACorner == TdxCorner::coTopLeft || ACorner == TdxCorner::coBottomLeft;
  const core::TcxRotationAngle angle = upsideDown ? core::TcxRotationAngle::ra180 : core::TcxRotationAngle::ra0;
  const bool flip = ACorner == TdxCorner::coTopRight || ACorner == TdxCorner::coBottomLeft;

  core::TcxBitmap bitmap(R, ui::pf32bit);
  bitmap.Canvas()->SetBrush(ACanvas->Brush());
  const TRect client = bitmap.ClientRect();
  if (ABackgroundColor == ui::clNone)
    bitmap.Canvas()->CopyRect(client, ACanvas->Canvas(), R);
  else
    bitmap.cxCanvas()->FillRect(client, ABackgroundColor);
  bitmap.Rotate(angle, flip);
  if (AProc) AProc(bitmap.cxCanvas(), client);
  bitmap.Rotate(angle, flip);
  ACanvas->Draw(R.left, R.top, &bitmap);
}

// --- the system check box and the scroll-bar patterns ----------------------------------------------
TSize FCheckButtonSize{0, 0};

void CalculateCheckButtonSize() {
  gdi::HBITMAP bitmap = win::LoadBitmapW(nullptr, win::MAKEINTRESOURCEW(win::OBM_CHECKBOXES));
  gdi::BITMAP info{};
  if (bitmap && gdi::GetObjectW(bitmap, sizeof(info), &info) != 0)
    FCheckButtonSize = TSize{info.bmWidth / 4, info.bmHeight / 3};
  if (bitmap) gdi::DeleteObject(bitmap);
}

ui::TBitmap* StdScrollBitmaps(bool APressed) {
  return paintersModule().scrollBitmaps[APressed ? 1 : 0].get();
}

void CreateStdScrollBarBitmaps() {
  for (auto& bitmap : paintersModule().scrollBitmaps) {
    bitmap = std::make_unique<ui::TBitmap>();
    bitmap->SetPixelFormat(ui::pf32bit);
    bitmap->SetSize(8, 8);
  }
  UpdateScrollBarBitmaps();
}

void UpdateScrollBarBitmaps() {
  auto& bitmaps = paintersModule().scrollBitmaps;
  if (!bitmaps[0] || !bitmaps[1]) {
    CreateStdScrollBarBitmaps();
    return;
  }
  const TColor colours[2][2] = {{ui::clBtnFace, ui::clBtnHighlight}, {ui::clBlack, ui::cl3DDkShadow}};
  for (int pressed = 0; pressed < 2; ++pressed) {
    ui::TCanvas* canvas = bitmaps[pressed]->Canvas();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) canvas->SetPixels(x, y, colours[pressed][(x + y) & 1]);
  }
}

void DestroyStdScrollBarBitmaps() {
  for (auto& bitmap : paintersModule().scrollBitmaps) bitmap.reset();
}

// --- the module ----------------------------------------------------------------------------------
namespace {

// Resets the radio-button glyphs when the system colours change, so that
// the next glyph drawn follows them.
class TSystemPaletteChangedNotifier : public TcxSystemPaletteChangedNotifier {
  RTL_CLASS(TSystemPaletteChangedNotifier, TcxSystemPaletteChangedNotifier)

 public:
  TSystemPaletteChangedNotifier() : TcxSystemPaletteChangedNotifier(true) {}
  void DoChanged() override {
    TcxSystemPaletteChangedNotifier::DoChanged();
    if (TcxRadioButtonImageList* list = paintersModule().radioButtonImageList.get()) list->Reset();
  }
};

}  // namespace

PaintersModule& paintersModule() {
  // Never destroyed: the module's stop frees what it holds while the window
  // system still exists; what is left at exit stays reachable.
  static PaintersModule* module = new PaintersModule;
  return *module;
}

TcxLookAndFeelPaintersManager* cxLookAndFeelPaintersManager() { return paintersModule().manager.get(); }

void RegisterStandardLookAndFeelPainters() {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  if (!manager) return;
  // The built-in painters register here, in this order.
  const std::pair<const char16_t*, TcxLookAndFeelStyle> builtIn[] = {
      {u"Flat", TcxLookAndFeelStyle::lfsFlat},
      {u"Office11", TcxLookAndFeelStyle::lfsOffice11},
      {u"Standard", TcxLookAndFeelStyle::lfsStandard},
      {u"UltraFlat", TcxLookAndFeelStyle::lfsUltraFlat},
      {u"Native", TcxLookAndFeelStyle::lfsNative}};
  for (const auto& [name, style] : builtIn) {
    if (style == TcxLookAndFeelStyle::lfsOffice11) {
      manager->Register(std::make_unique<TcxOffice11LookAndFeelPainter>());
      continue;
    }
    if (style == TcxLookAndFeelStyle::lfsFlat) {
      manager->Register(std::make_unique<TcxFlatLookAndFeelPainter>());
      continue;
    }
    if (style == TcxLookAndFeelStyle::lfsStandard) {
      manager->Register(std::make_unique<TcxStandardLookAndFeelPainter>());
      continue;
    }
    if (style == TcxLookAndFeelStyle::lfsUltraFlat) {
      manager->Register(std::make_unique<TcxUltraFlatLookAndFeelPainter>());
      continue;
    }
    manager->Register(std::make_unique<TcxWinXPLookAndFeelPainter>());
  }
}

void cxLookAndFeelPaintersUnitStart() {
  PaintersModule& module = paintersModule();
  if (module.manager) return;
  module.manager = std::make_unique<TcxLookAndFeelPaintersManager>();
  module.paletteNotifier = std::make_unique<TSystemPaletteChangedNotifier>();
  CreateIndicatorImages();
  CreateStdScrollBarBitmaps();
  CalculateCheckButtonSize();
  RegisterStandardLookAndFeelPainters();
}

void cxLookAndFeelPaintersUnitStop() {
  PaintersModule& module = paintersModule();
  module.paletteNotifier.reset();
  DestroyStdScrollBarBitmaps();
  DestroyIndicatorImages();
  module.manager.reset();
  module.radioButtonImageList.reset();
}

}  // namespace lookandfeel
