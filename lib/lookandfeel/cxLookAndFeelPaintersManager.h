#pragma once
// The painter registry and the painter module's shared pieces: the one
// registry that owns every painter, the small geometry and touch routines
// the painters share, the scroll-bar page patterns, the system check-box
// size, the radio-button glyphs drawn from one measured pixel pattern, the
// grid indicator images, and the module's start and stop.
#include <array>
#include <memory>
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/rtl/object.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/image_list.h"

namespace core {
class TcxObjectList;
}  // namespace core

namespace lookandfeel {

enum class TcxLookAndFeelKind;

// --- the registry --------------------------------------------------------------------------------
// Hears of painters entering the registry. Nothing in the library removes a
// painter while it runs, so PainterRemoved is never called.
class IcxLookAndFeelPainterListener {
 public:
  virtual void PainterAdded(TcxCustomLookAndFeelPainter* APainter) = 0;
  virtual void PainterRemoved(TcxCustomLookAndFeelPainter* APainter) = 0;

 protected:
  ~IcxLookAndFeelPainterListener() = default;
};

class TcxLookAndFeelPaintersManager : public rtl::TObject {
  RTL_CLASS(TcxLookAndFeelPaintersManager, rtl::TObject)

 public:
  TcxLookAndFeelPaintersManager();
  // Frees the listener list, then every painter.
  ~TcxLookAndFeelPaintersManager() override;

  // The painter belongs to the registry from here on: stored (true), or
  // destroyed when a painter of the same name (A-Z case-insensitive) is
  // already there (false).
  bool Register(std::unique_ptr<TcxCustomLookAndFeelPainter> APainter);

  // The first painter of the style in list order (sorted by name).
  bool GetPainter(TcxLookAndFeelStyle AStyle, TcxCustomLookAndFeelPainter*& APainter) const;
  TcxCustomLookAndFeelPainter* GetPainter(TcxLookAndFeelStyle AStyle) const;
  // By name, ignoring the case of A to Z only.
  bool GetPainter(rtl::StringView AName, TcxCustomLookAndFeelPainter*& APainter) const;
  TcxCustomLookAndFeelPainter* GetPainter(rtl::StringView AName) const;

  int Count() const;
  // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
  TcxCustomLookAndFeelPainter* Items(int AIndex) const;

  // Listeners are told last registered first; not owned.
  void AddListener(IcxLookAndFeelPainterListener* AListener);
  void RemoveListener(IcxLookAndFeelPainterListener* AListener);

 protected:
  void SortPainters();
  void DoPainterAdded(TcxCustomLookAndFeelPainter* APainter);
  void DoRootLookAndFeelChanged();

 private:
  std::vector<IcxLookAndFeelPainterListener*> FListeners;
  std::unique_ptr<core::TcxObjectList> FPainters;
};

// The one registry; null before the painter module starts and after it stops.
TcxLookAndFeelPaintersManager* cxLookAndFeelPaintersManager();

// --- shared geometry ---------------------------------------------------------------------------
// R shrunk by 2 pixels on each side.
TRect cxTextRect(const TRect& R);
// The six-point outline of a scheduler summary bar: a bar whose lower
// corners end in two inward-pointing triangles.
std::vector<ui::TPoint> cxGetSchedulerGroupPolygon(const TRect& R);
// The four-point diamond of a milestone, in the largest centred square.
std::vector<ui::TPoint> cxGetSchedulerMilestonePolygon(const TRect& R);

// Draws a grip for the bottom-right corner into ARect of ACanvas.
using TdxDrawSizeGripProc = rtl::Method<void(core::TcxCanvas* ACanvas, const TRect& ARect)>;
// Draws a size grip for any corner with AProc, which only knows the
// bottom-right one: the picture is turned into the bottom-right
// orientation, drawn, and turned back. ABackgroundColor clNone keeps what
// ACanvas shows at R under the grip.
void dxRotateSizeGrip(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor, TdxCorner ACorner,
                      const TdxDrawSizeGripProc& AProc);

// --- the system check box and the scroll-bar page patterns ---------------------------------------
// The size of one system check-box glyph, measured at module start.
extern TSize FCheckButtonSize;
void CalculateCheckButtonSize();

// Two 8 x 8 one-pixel checkerboards, chosen by a pressed flag: the brush
// patterns of the classic painters' scroll-bar page areas. Null while the
// painter module is stopped.
ui::TBitmap* StdScrollBitmaps(bool APressed);
void CreateStdScrollBarBitmaps();
// Refills both patterns from the current system colours (making them first
// when they do not exist); the scroll bar calls it after a colour change.
void UpdateScrollBarBitmaps();
void DestroyStdScrollBarBitmaps();

// --- radio-button glyphs -----------------------------------------------------------------------
// Every radio-button glyph of every classic look, made from one pixel
// pattern measured on the system's own radio button: 128 images, one per
// look, state, checked, designing and focused.
class TcxRadioButtonImageList : public rtl::TObject {
  RTL_CLASS(TcxRadioButtonImageList, rtl::TObject)

 public:
  // Colour slots of the pattern.
  enum Slot { sOutside, sOuterUpperLeft, sOuterLowerRight, sInnerUpperLeft, sInnerLowerRight, sBody, sCheck };

  TcxRadioButtonImageList();
  ~TcxRadioButtonImageList() override;

  // Makes the 128 images unless the list holds them already.
  void Prepare();
  // Makes them again from the current system colours.
  void Reset();
  // ABrushColor clDefault draws the round glyph alone; any other colour
  // fills the square around it.
  void Draw(core::TcxCanvas* ACanvas, int X, int Y, TColor ABrushColor, TcxLookAndFeelKind ALookAndFeelKind,
            TcxButtonState AButtonState, bool AChecked, bool AFocused, bool AIsDesigning);
  TSize GetSize() const;
  int GetImageIndex(TcxLookAndFeelKind ALookAndFeelKind, TcxButtonState AButtonState, bool AChecked, bool AFocused,
                    bool AIsDesigning) const;
  // (S - 1) + 4 C + 8 K + 32 D + 64 F.
  static int GetImageListIndexMapIndex(TcxLookAndFeelKind ALookAndFeelKind, TcxButtonState AButtonState,
                                       bool AChecked, bool AFocused, bool AIsDesigning);

  const TRect& RadioButtonRect() const { return FRadioButtonRect; }
  const TRect& RadioButtonCheckRect() const { return FRadioButtonCheckRect; }
  // The colour slot of one pixel of the glyph (row, column).
  int PatternSlot(int ARow, int AColumn) const { return FRadioButtonPattern[ARow][AColumn]; }
  ui::TCustomImageList* List() const { return FList.get(); }

  // An ellipse filling R in the canvas's pen and brush.
  static void InternalRoundRect(ui::TCanvas* ACanvas, const TRect& R);

 private:
  void CalculateRadioButtonSize();
  void PrepareButtonMask();
  void PrepareRadioButtonPattern();
  std::array<TColor, 7> PrepareColorMap(TcxLookAndFeelKind AKind, TcxButtonState AState, bool AChecked,
                                        bool AFocused, bool AIsDesigning) const;

  std::unique_ptr<ui::TBitmap> FButtonMask;
  std::unique_ptr<ui::TCustomImageList> FList;
  TRect FRadioButtonCheckRect{};
  std::vector<std::vector<int>> FRadioButtonPattern;
  TRect FRadioButtonRect{};
  // The list index of each map index.
  std::vector<int> FIndexes;
};

// The shared list, made and prepared on first use.
TcxRadioButtonImageList* RadioButtonImageList();
TcxRadioButtonImageList* PrepareRadioButtonImageList();

// --- indicator images --------------------------------------------------------------------------
// The bitmap resources of the grid's row indicators, in image-list order:
// ikArrow .. ikFilter take indices 0 to 5, the summary-value sorting mark 6.
inline constexpr const char16_t* cxIndicatorImageNames[] = {
    u"CX_ARROWBITMAP",    u"CX_EDITBITMAP",   u"CX_INSERTBITMAP",      u"CX_MULTIDOTBITMAP",
    u"CX_MULTIARROWBITMAP", u"CX_FILTERBITMAP", u"CX_SORTBYSUMMARYVALUE"};
// The indicator images; null while the painter module is stopped.
ui::TCustomImageList* cxIndicatorImages();
// A missing resource raises EResNotFound: the images are compiled in, so
// that is a broken build, reported at once.
void CreateIndicatorImages();
void DestroyIndicatorImages();

// --- the module ----------------------------------------------------------------------------------
// Registers one instance of each built-in painter, in the order Flat,
// Office11, Standard, UltraFlat, Native.
void RegisterStandardLookAndFeelPainters();
// Start: the registry, the palette notifier, the indicator images, the
// scroll-bar patterns, the check-box size, the built-in painters. It runs
// before the look-and-feel module starts and needs the window system.
void cxLookAndFeelPaintersUnitStart();
// Stop, in the reverse spirit: notifier, patterns, indicator images, the
// registry with every painter, the radio-button list.
void cxLookAndFeelPaintersUnitStop();

}  // namespace lookandfeel
