#pragma once
// Styles: named sets of four visual values (background bitmap, background
// colour, font, text colour), the indexed styles objects controls resolve
// their elements through, shareable style sheets and the repository that
// owns both on a form or data module.
#include <memory>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/cxGraphics.h"
#include "lib/lookandfeel/cxFontListener.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"

namespace lookandfeel {

using core::TcxViewParams;
using rtl::TComponent;
using rtl::TObject;
using rtl::TPersistent;
using ui::TColor;

enum class TcxStyleValue { svBitmap, svColor, svFont, svTextColor };
constexpr TcxStyleValue svBitmap = TcxStyleValue::svBitmap;
constexpr TcxStyleValue svColor = TcxStyleValue::svColor;
constexpr TcxStyleValue svFont = TcxStyleValue::svFont;
constexpr TcxStyleValue svTextColor = TcxStyleValue::svTextColor;
using TcxStyleValues = rtl::Set<TcxStyleValue, 4>;

class TcxCustomStyle;
class TcxStyle;
class TcxCustomStyles;
class TcxCustomStyleSheet;
class TcxStyleRepository;

// Told when a style it uses changes or goes away.
class IcxStyleChangeListener {
 public:
  virtual void StyleChanged(TcxCustomStyle* AStyle) = 0;
  virtual void StyleRemoved(TcxCustomStyle* AStyle) = 0;

 protected:
  ~IcxStyleChangeListener() = default;
};


// ---- styles ---------------------------------------------------------------------------

class TcxCustomStyle : public TComponent {
  RTL_CLASS(TcxCustomStyle, TComponent)

 public:
  explicit TcxCustomStyle(TComponent* AOwner) : TComponent(AOwner) {}
  ~TcxCustomStyle() override;
  void BeforeDestruction() override;

  virtual void Changed();
  virtual void ChangeScale(int M, int D) {}
  virtual void AddListener(IcxStyleChangeListener* AListener);
  virtual void RemoveListener(IcxStyleChangeListener* AListener);
  virtual void RestoreDefaults() {}

  int ListenerCount() const { return static_cast<int>(FListeners.size()); }
  TcxStyleRepository* StyleRepository() const { return FStyleRepository; }
  void SetStyleRepository(TcxStyleRepository* Value);

  bool HasParent() const override { return FStyleRepository != nullptr; }
  TComponent* GetParentComponent() const override;
  // Raises EInvalidCast when the parent is not a repository.
  void SetParentComponent(TComponent* Value) override;
  void ReadState(rtl::TReader* Reader) override;

 private:
  // Runs once, from BeforeDestruction or the destructor, whichever comes first.
  void detach();

  std::vector<IcxStyleChangeListener*> FListeners;
  TcxStyleRepository* FStyleRepository = nullptr;
  bool FDetached = false;
};

class TcxStyle : public TcxCustomStyle {
  RTL_CLASS(TcxStyle, TcxCustomStyle)

 public:
  explicit TcxStyle(TComponent* AOwner);
  ~TcxStyle() override;

  // AssignedValues, Bitmap, Color, Font, TextColor; each value is stored only
  // when assigned.
  static void Published(rtl::PropTable<TcxStyle>& p);

  // Another style only; anything else is the platform's assign error.
  void Assign(TPersistent* Source) override;
  void ChangeScale(int M, int D) override;
  void RestoreDefaults() override;
  void Changed() override;

  TcxStyleValues AssignedValues() const { return FAssignedValues; }
  void SetAssignedValues(TcxStyleValues Value);
  ui::TBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(ui::TBitmap* Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  ui::TFont* Font() const { return FFont.get(); }
  void SetFont(ui::TFont* Value);
  TColor TextColor() const { return FTextColor; }
  void SetTextColor(TColor Value);

  // A value goes into a form file only when it is assigned.
  bool IsBitmapStored() const { return FAssignedValues.contains(svBitmap); }
  bool IsColorStored() const { return FAssignedValues.contains(svColor); }
  bool IsFontStored() const { return FAssignedValues.contains(svFont); }
  bool IsTextColorStored() const { return FAssignedValues.contains(svTextColor); }

 private:
  void BitmapChanged(TObject* Sender);
  void FontChanged(TObject* Sender);
  void setColorValue(TColor& field, TColor value, TcxStyleValue flag);

  TcxStyleValues FAssignedValues;
  std::unique_ptr<ui::TBitmap> FBitmap;
  TColor FColor = ui::clDefault;
  std::unique_ptr<ui::TFont> FFont;
  TColor FTextColor = ui::clDefault;
  // Held while one operation changes several values, so listeners hear it once.
  int FLockCount = 0;
};

// True when the style exists and has the value assigned.
bool UseStyle(const TcxStyle* AStyle, TcxStyleValue AValue);

// ---- styles objects -------------------------------------------------------------------

struct TcxCustomStylesItem {
  int Index;
  TcxCustomStyle* Item;
};

class TcxCustomStyles : public core::TcxInterfacedPersistent, public IcxStyleChangeListener {
  RTL_CLASS(TcxCustomStyles, core::TcxInterfacedPersistent)

 public:
  explicit TcxCustomStyles(TPersistent* AOwner) : core::TcxInterfacedPersistent(AOwner) {}
  ~TcxCustomStyles() override;

  // Takes over the source's style sheet; the entries are not copied.
  void Assign(TPersistent* Source) override;

  int GetCount() const { return static_cast<int>(FItems.size()); }
  const TcxCustomStylesItem& GetItem(int Position) const;
  // Binary search; on a miss Position is where the index would go.
  bool Find(int Index, int& Position) const;
  TcxCustomStyle* GetValue(int Index) const;
  void SetValue(int Index, TcxCustomStyle* Style);
  void Delete(int Position);
  void Clear();

  TcxCustomStyleSheet* StyleSheet() const { return FStyleSheet; }
  void SetStyleSheet(TcxCustomStyleSheet* Value);
  bool IsValidStyleSheet(TcxCustomStyleSheet* Value) const;
  TcxCustomStyleSheet* OwnerStyleSheet() const { return FOwnerStyleSheet; }

  void StyleChanged(TcxCustomStyle* AStyle) override;
  void StyleRemoved(TcxCustomStyle* AStyle) override;

  virtual void Changed(int Index) {}
  virtual void DoChanged(int Index);

 protected:
  bool Destroying() const { return FDestroying; }

 private:
  friend class TcxCustomStyleSheet;
  void collectSheetIndexes(TcxCustomStyleSheet* Sheet, std::vector<int>& Indexes) const;

  bool FDestroying = false;
  std::vector<TcxCustomStylesItem> FItems;
  TcxCustomStyleSheet* FStyleSheet = nullptr;
  TcxCustomStyleSheet* FOwnerStyleSheet = nullptr;
};

class TcxStyles : public TcxCustomStyles, public IcxFontListener {
  RTL_CLASS(TcxStyles, TcxCustomStyles)

 public:
  explicit TcxStyles(TPersistent* AOwner) : TcxCustomStyles(AOwner) {}

  TcxStyle* GetStyle(int Index) const;
  void SetStyle(int Index, TcxStyle* Style) { SetValue(Index, Style); }
  // The bitmap of the style at the index when it is assigned and not empty.
  ui::TBitmap* GetBitmap(int Index) const;

  // Explicit style, then the indexed style, then the defaults, asked once
  // for whatever is still open.
  void GetViewParams(int Index, void* AData, TcxViewParams& AParams,
                     TcxStyle* AStyle = nullptr);
  virtual void GetDefaultViewParams(int Index, void* AData, TcxViewParams& AParams);
  virtual bool IsDefaultFont(int Index) const;

  // Told when the default font it resolves elements with changes.
  using TcxCustomStyles::Changed;
  void Changed(TObject* Sender, ui::TFont* AFont) override { DefaultFontChanged(Sender, AFont); }
  void DefaultFontChanged(TObject* Sender, ui::TFont* AFont);

  int MaxDefaultViewParamsIndex() const { return FMaxDefaultViewParamsIndex; }
  bool BitmapInViewParams = false;

 private:
  int FMaxDefaultViewParamsIndex = -1;
};

// ---- style sheets ---------------------------------------------------------------------

class TcxCustomStyleSheet : public core::TcxComponent {
  RTL_CLASS(TcxCustomStyleSheet, core::TcxComponent)

 public:
  explicit TcxCustomStyleSheet(TComponent* AOwner);
  ~TcxCustomStyleSheet() override;

  // Caption (stored only when set) and Styles.
  static void Published(rtl::PropTable<TcxCustomStyleSheet>& p);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // From another sheet: caption and styles.
  void Assign(TPersistent* Source) override;

  // The styles class this sheet holds; descendants name their own.
  virtual const rtl::ClassInfo& GetStylesClass() const { return TcxCustomStyles::classInfo(); }

  bool BuiltIn() const { return FBuiltIn; }
  void SetBuiltIn(bool Value) { FBuiltIn = Value; }
  rtl::String GetCaption() const;
  bool IsCaptionStored() const { return !FCaption.empty(); }
  void SetCaption(const rtl::String& Value);
  TcxCustomStyles* GetStyles();
  void SetStyles(TcxCustomStyles* Value);

  void AddStyles(TcxCustomStyles* AStyles);
  void RemoveStyles(TcxCustomStyles* AStyles);
  int StylesCount() const { return static_cast<int>(FStylesList.size()); }
  TcxCustomStyles* StylesUser(int I) const { return FStylesList[static_cast<size_t>(I)]; }
  void DoStyleChanged(int Index);

  TcxStyleRepository* StyleRepository() const { return FStyleRepository; }
  void SetStyleRepository(TcxStyleRepository* Value);
  bool HasParent() const override { return FStyleRepository != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void ReadState(rtl::TReader* Reader) override;

  void GetFakeComponentLinks(std::vector<TComponent*>& AList) override;

 protected:
  void DefineProperties(rtl::TFiler* Filer) override;

 private:
  void detach();

  bool FBuiltIn = false;
  rtl::String FCaption;
  std::unique_ptr<TcxCustomStyles> FStyles;
  std::vector<TcxCustomStyles*> FStylesList;
  TcxStyleRepository* FStyleRepository = nullptr;
  bool FDetached = false;
};

// ---- repository -----------------------------------------------------------------------

class TcxStyleRepository : public core::TcxScalableComponent {
  RTL_CLASS(TcxStyleRepository, core::TcxScalableComponent)

 public:
  explicit TcxStyleRepository(TComponent* AOwner);
  ~TcxStyleRepository() override;

  void ChangeScale(int M, int D) override;
  virtual TcxCustomStyle* CreateItem(rtl::ClassRef<TcxCustomStyle> AStyleClass);
  virtual TcxCustomStyle* CreateItemEx(rtl::ClassRef<TcxCustomStyle> AStyleClass,
                                       TComponent* AOwner);
  virtual TcxCustomStyleSheet* CreateStyleSheet(rtl::ClassRef<TcxCustomStyleSheet> ASheetClass);
  virtual TcxCustomStyleSheet* CreateStyleSheetEx(rtl::ClassRef<TcxCustomStyleSheet> ASheetClass,
                                                  TComponent* AOwner);

  void AddItem(TcxCustomStyle* AItem);
  void RemoveItem(TcxCustomStyle* AItem);
  void AddStyleSheet(TcxCustomStyleSheet* ASheet);
  void RemoveStyleSheet(TcxCustomStyleSheet* ASheet);
  int GetCount() const { return static_cast<int>(FItems.size()); }
  TcxCustomStyle* GetItem(int I) const { return FItems[static_cast<size_t>(I)]; }
  int GetStyleSheetCount() const { return static_cast<int>(FStyleSheets.size()); }
  TcxCustomStyleSheet* GetStyleSheet(int I) const { return FStyleSheets[static_cast<size_t>(I)]; }

  void GetChildren(rtl::TGetChildProc Proc, TComponent* Root) override;
  void Clear();
  void ClearStyleSheets();

 private:
  std::vector<TcxCustomStyle*> FItems;
  std::vector<TcxCustomStyleSheet*> FStyleSheets;
};

// ---- style-sheet classes --------------------------------------------------------------
// The style-sheet classes the library offers by name (the grid's sheet
// classes join when their modules start). The list is made on first use and
// freed by the unit's stop; a class joins once however often it registers.

void cxRegisterStyleSheetClass(rtl::ClassRef<TcxCustomStyleSheet> AStyleSheetClass);
void cxUnregisterStyleSheetClass(rtl::ClassRef<TcxCustomStyleSheet> AStyleSheetClass);
// The registered class of that exact name, or none.
rtl::ClassRef<TcxCustomStyleSheet> cxFindStyleSheetClass(const rtl::String& AClassName);
int cxStyleSheetClassCount();
// In registration order.
rtl::ClassRef<TcxCustomStyleSheet> cxStyleSheetClass(int AIndex);
// The unit's stop: frees the list; a later registration starts a new one.
void cxStylesUnitStop();

}  // namespace lookandfeel
