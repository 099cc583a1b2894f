#pragma once
// The skin object model: named control groups of elements, each element with
// colours, borders, images and typed properties; change sets that travel from
// every object up to its owner; and the versioned binary data each object
// reads and writes. Skin data come from outside: every count and length is
// checked against the bytes left before anything is read or allocated.
#include <array>
#include <memory>
#include <vector>

#include "lib/core/dxCore.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/streams.h"
#include "platform/ui/graphics.h"

namespace gdiplus {
class GpBitmap;
}

namespace core {

class TdxSmartImage;
class TdxGPCanvas;
class TcxBitmap32;

enum class TdxSkinChange { scStruct, scContent, scDetails };
using TdxSkinChanges = rtl::Set<TdxSkinChange, 3>;
enum class TdxSkinObjectState { sosUnassigned, sosUnused };
using TdxSkinObjectStates = rtl::Set<TdxSkinObjectState, 2>;
enum class TdxSkinElementState {
  esNormal, esHot, esPressed, esDisabled, esActive, esFocused, esDroppedDown, esChecked, esHotCheck,
  esActiveDisabled, esCheckPressed
};
using TdxSkinElementStates = rtl::Set<TdxSkinElementState, 11>;
extern const char16_t* const dxSkinElementStateNames[11];
enum class TdxSkinIconSize { sis16, sis48 };
enum class TdxSkinImageLayout { ilHorizontal, ilVertical };
enum class TdxSkinStretchMode { smStretch, smTile, smNoResize };
enum class TdxSkinGradientMode { gmHorizontal, gmVertical, gmForwardDiagonal, gmBackwardDiagonal };
enum class TdxSkinImagePart {
  sipTopLeft, sipTop, sipTopRight, sipLeft, sipCenter, sipRight, sipBottomLeft, sipBottom, sipBottomRight
};
using TdxSkinImageParts = std::array<ui::TRect, 9>;
// Which image set elements draw with: the default takes the alternate
// attributes only on low-colour (buffered) painting.
enum class TdxSkinImageSet { imsDefault, imsOriginal, imsAlternate };
extern TdxSkinImageSet dxSkinsUseImageSet;

// The nine parts of R cut by margins M (left, top, right, bottom).
void dxSkinsCalculatePartsBounds(const ui::TRect& R, const ui::TRect& M, TdxSkinImageParts& AParts);
// Margins raised to 0 and, where a pair exceeds the size, shrunk in proportion.
void dxSkinsCheckMargins(ui::TRect& M, const ui::TRect& R);
// "AlternateImage" + (ASetIndex + 1) + the state's name.
String dxSkinGetAlternateImageAttrsPropertyName(TdxSkinElementState AState, int ASetIndex);

struct TdxSkinCanvasHelper {
  // Nothing for an invalid begin colour; a gradient when the end colour is
  // valid and differs; else a solid fill with the begin colour.
  static void FillRectByGradient(TdxGPCanvas* ACanvas, const ui::TRect& R, rtl::Byte AAlpha,
                                 TdxSkinGradientMode AMode, rtl::Cardinal AEndColor, rtl::Cardinal ABeginColor);
};

using TdxSkinChangeNotify = rtl::Method<void(rtl::TObject* Sender, TdxSkinChanges Changes)>;

inline constexpr rtl::Cardinal kSkinClNone = 0x1FFFFFFF;
inline constexpr rtl::Cardinal kSkinClDefault = 0x20000000;

// --- stream primitives ------------------------------------------------------------------
// A short stream raises EReadError "Stream read error".
String dxSkinReadStringFromStream(rtl::TStream* AStream);  // count + ANSI bytes
void dxSkinWriteStringToStream(rtl::TStream* AStream, StringView AValue);
String dxSkinReadWideStringFromStream(rtl::TStream* AStream);  // count + UTF-16
void dxSkinWriteWideStringToStream(rtl::TStream* AStream, StringView AValue);
rtl::Integer dxSkinReadInteger(rtl::TStream* AStream);
void dxSkinWriteInteger(rtl::TStream* AStream, rtl::Integer AValue);
rtl::Byte dxSkinReadByte(rtl::TStream* AStream);
void dxSkinWriteByte(rtl::TStream* AStream, rtl::Byte AValue);
ui::TRect dxSkinReadRect(rtl::TStream* AStream);
void dxSkinWriteRect(rtl::TStream* AStream, const ui::TRect& AValue);
// n bytes of an image through a window of exactly those bytes; the stream is
// left right after them whatever the decoder read. n <= 0 leaves the image.
void ReadSmartImage(rtl::TStream* AStream, TdxSmartImage* AImage);
// 0 for an empty image; a GIF as GIF, anything else as PNG.
void WriteSmartImage(rtl::TStream* AStream, TdxSmartImage* AImage);

// A window of Size bytes from Start of another stream.
class TdxSkinPartStream : public rtl::TStream {
 public:
  TdxSkinPartStream(rtl::TStream* ASource, rtl::Int64 ASize, rtl::Int64 AStart);
  rtl::Int64 Read(void* ABuffer, rtl::Int64 ACount) override;
  rtl::Int64 Write(const void* ABuffer, rtl::Int64 ACount) override;
  rtl::Int64 Seek(rtl::Int64 AOffset, rtl::TSeekOrigin AOrigin) override;
  rtl::Int64 Size() override { return FSize; }

 private:
  rtl::TStream* FSource;
  rtl::Int64 FSize;
  rtl::Int64 FStart;
};

// --- objects ----------------------------------------------------------------------------
class TdxSkinCustomObject : public rtl::TPersistent {
  RTL_CLASS(TdxSkinCustomObject, rtl::TPersistent)

 public:
  TdxSkinCustomObject(rtl::TPersistent* AOwner, const String& AName);
  virtual void Changed(TdxSkinChanges AChanges) { DoChanged(AChanges); }
  virtual void DataRead(rtl::TStream* AStream, double AVersion) {}
  virtual void DataWrite(rtl::TStream* AStream) {}

  const String& Name() const { return FName; }
  void SetName(const String& AValue);
  rtl::TPersistent* Owner() const { return FOwner; }
  rtl::TPersistent* GetOwner() const override { return FOwner; }
  TdxSkinObjectStates State() const { return FState; }
  void SetState(TdxSkinObjectStates AValue) { FState = AValue; }
  TdxSkinChangeNotify OnChange;

 protected:
  virtual void DoChanged(TdxSkinChanges AChanges);

 private:
  String FName;
  rtl::TPersistent* FOwner;
  TdxSkinObjectStates FState{TdxSkinObjectState::sosUnused};
};

// Calls the handler when there is one and the set is not empty.
void dxSkinChangeNotify(const TdxSkinChangeNotify& AHandler, rtl::TObject* ASender, TdxSkinChanges AChanges);

class TdxSkinProperty;
using TdxSkinPropertyClass = TdxSkinProperty* (*)(rtl::TPersistent* AOwner, const String& AName);

// Owns its items; sorted lazily by name (locale order, case-sensitive).
class TdxSkinCustomObjectList : public rtl::TObject {
  RTL_CLASS(TdxSkinCustomObjectList, rtl::TObject)

 public:
  explicit TdxSkinCustomObjectList(rtl::TPersistent* AOwner) : FOwner(AOwner) {}
  TdxSkinCustomObjectList(rtl::TPersistent* AOwner, const TdxSkinChangeNotify& AOnChange)
      : FOwner(AOwner), FOnChange(AOnChange) {}
  ~TdxSkinCustomObjectList() override;

  int Count() const { return static_cast<int>(FItems.size()); }
  TdxSkinCustomObject* Item(int AIndex) const { return FItems.at(static_cast<std::size_t>(AIndex)).get(); }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  virtual void Changed(TdxSkinChanges AChanges);
  void Sort(bool AChildren);
  TdxSkinCustomObject* FindItemByName(StringView AName);
  void Clear();
  void Delete(TdxSkinCustomObject* AItem);
  bool Sorted() const { return FSorted; }
  rtl::TPersistent* Owner() const { return FOwner; }
  TdxSkinChangeNotify OnChange;

 protected:
  TdxSkinCustomObject* AddItem(std::unique_ptr<TdxSkinCustomObject> AItem);
  virtual void SortChildren() {}
  void SubItemChanged(rtl::TObject* ASender, TdxSkinChanges AChanges) { Changed(AChanges); }

  rtl::TPersistent* FOwner;
  std::vector<std::unique_ptr<TdxSkinCustomObject>> FItems;

 private:
  TdxSkinChanges FChanges;
  bool FSorted = false;
  int FUpdateCount = 0;
  TdxSkinChangeNotify FOnChange;
};

class TdxSkinProperties : public TdxSkinCustomObjectList {
  RTL_CLASS(TdxSkinProperties, TdxSkinCustomObjectList)

 public:
  using TdxSkinCustomObjectList::TdxSkinCustomObjectList;
  TdxSkinProperty* Add(const String& AName, TdxSkinPropertyClass AClass);
  TdxSkinProperty* Items(int AIndex) const;
  void Assign(const TdxSkinProperties& ASource);
  bool Compare(const TdxSkinProperties& AOther) const;
  void DataRead(rtl::TStream* AStream, double AVersion);
  void DataWrite(rtl::TStream* AStream);
};

class TdxSkinPersistent : public TdxSkinCustomObject {
  RTL_CLASS(TdxSkinPersistent, TdxSkinCustomObject)

 public:
  TdxSkinPersistent(rtl::TPersistent* AOwner, const String& AName);
  ~TdxSkinPersistent() override;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  void Changed(TdxSkinChanges AChanges) override;
  virtual void Clear();
  virtual void DeleteProperty(TdxSkinProperty* AProperty);
  virtual void Sort(bool AChildren);
  void Assign(rtl::TPersistent* ASource) override;
  TdxSkinProperty* GetPropertyByName(StringView AName);
  bool GetPropertyByName(StringView AName, TdxSkinProperty*& AProperty);
  TdxSkinProperties* Properties() const { return FProperties.get(); }
  bool Modified() const { return FModified; }
  TdxSkinProperty* AddProperty(const String& AName, TdxSkinPropertyClass AClass);

 protected:
  void SubItemChanged(rtl::TObject* ASender, TdxSkinChanges AChanges) { Changed(AChanges); }

 private:
  TdxSkinChanges FChanges;
  bool FModified = false;
  int FUpdateCount = 0;
  std::unique_ptr<TdxSkinProperties> FProperties;
};

// --- typed properties -------------------------------------------------------------------
class TdxSkinProperty : public TdxSkinCustomObject {
  RTL_CLASS(TdxSkinProperty, TdxSkinCustomObject)

 public:
  using TdxSkinCustomObject::TdxSkinCustomObject;
  // The class name without "TdxSkin" and "Property": "Integer", "WideString".
  virtual String Description() const;
  virtual bool Compare(const TdxSkinProperty* AProperty) const;

  // The type registry: the classes a stream may name.
  static void Register(const rtl::ClassInfo& AClass, TdxSkinPropertyClass AFactory);
  static void Unregister(const rtl::ClassInfo& AClass);
  static TdxSkinPropertyClass FindRegistered(StringView AClassName);
  static int RegisteredCount();

 protected:
  bool SameHead(const TdxSkinProperty* AProperty) const;  // names (any case) and class
};

template <class T>
TdxSkinProperty* dxSkinCreateProperty(rtl::TPersistent* AOwner, const String& AName) {
  return rtl::Create<T>(AOwner, AName);
}

class TdxSkinIntegerProperty : public TdxSkinProperty {
  RTL_CLASS(TdxSkinIntegerProperty, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  rtl::Integer Value() const { return FValue; }
  void SetValue(rtl::Integer AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override { SetValue(dxSkinReadInteger(AStream)); }
  void DataWrite(rtl::TStream* AStream) override { dxSkinWriteInteger(AStream, FValue); }
  void Assign(rtl::TPersistent* ASource) override;

 private:
  rtl::Integer FValue = 0;
};

class TdxSkinBooleanProperty : public TdxSkinProperty {
  RTL_CLASS(TdxSkinBooleanProperty, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  bool Value() const { return FValue; }
  void SetValue(bool AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override { SetValue(dxSkinReadByte(AStream) != 0); }
  void DataWrite(rtl::TStream* AStream) override { dxSkinWriteByte(AStream, FValue ? 1 : 0); }
  void Assign(rtl::TPersistent* ASource) override;

 private:
  bool FValue = false;
};

class TdxSkinColor : public TdxSkinProperty {
  RTL_CLASS(TdxSkinColor, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  rtl::Cardinal Value() const { return FValue; }
  void SetValue(rtl::Cardinal AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

 private:
  rtl::Cardinal FValue = kSkinClDefault;
};

class TdxSkinRectProperty : public TdxSkinProperty {
  RTL_CLASS(TdxSkinRectProperty, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  const ui::TRect& Value() const { return FValue; }
  void SetValue(const ui::TRect& AValue);
  int GetValueByIndex(int AIndex) const;  // 0 left, 1 top, 2 right, 3 bottom
  void SetValueByIndex(int AIndex, int AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override { SetValue(dxSkinReadRect(AStream)); }
  void DataWrite(rtl::TStream* AStream) override { dxSkinWriteRect(AStream, FValue); }
  void Assign(rtl::TPersistent* ASource) override;

 private:
  ui::TRect FValue{};
};

class TdxSkinSizeProperty : public TdxSkinProperty {
  RTL_CLASS(TdxSkinSizeProperty, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetValue(int AWidth, int AHeight);
  int GetValueByIndex(int AIndex) const { return AIndex == 0 ? FWidth : FHeight; }
  void SetValueByIndex(int AIndex, int AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

 private:
  int FWidth = 0;
  int FHeight = 0;
};

class TdxSkinStringProperty : public TdxSkinProperty {
  RTL_CLASS(TdxSkinStringProperty, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  const String& Value() const { return FValue; }
  void SetValue(const String& AValue);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override { SetValue(dxSkinReadStringFromStream(AStream)); }
  void DataWrite(rtl::TStream* AStream) override { dxSkinWriteStringToStream(AStream, FValue); }
  void Assign(rtl::TPersistent* ASource) override;

 private:
  String FValue;
};

class TdxSkinWideStringProperty : public TdxSkinStringProperty {
  RTL_CLASS(TdxSkinWideStringProperty, TdxSkinStringProperty)

 public:
  using TdxSkinStringProperty::TdxSkinStringProperty;
  void DataRead(rtl::TStream* AStream, double AVersion) override {
    SetValue(dxSkinReadWideStringFromStream(AStream));
  }
  void DataWrite(rtl::TStream* AStream) override { dxSkinWriteWideStringToStream(AStream, Value()); }
};

class TdxSkinBorder : public TdxSkinProperty {
  RTL_CLASS(TdxSkinBorder, TdxSkinProperty)

 public:
  using TdxSkinProperty::TdxSkinProperty;
  rtl::Cardinal Color() const { return FColor; }
  void SetColor(rtl::Cardinal AValue);
  int Kind() const { return FKind; }
  void SetKind(int AValue) { FKind = AValue; }
  int Thin() const { return FThin; }
  void SetThin(int AValue);
  void ResetToDefaults();
  int GetContentMargin() const { return FColor == kSkinClNone ? 0 : FThin; }
  // A strip as wide as Thin along the border's side, inside R.
  void Draw(gdi::HDC DC, const ui::TRect& R);
  void DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

 private:
  rtl::Cardinal FColor = kSkinClNone;
  int FKind = 0;
  int FThin = 1;
};

class TdxSkinBorders : public TdxSkinProperty {
  RTL_CLASS(TdxSkinBorders, TdxSkinProperty)

 public:
  TdxSkinBorders(rtl::TPersistent* AOwner, const String& AName);
  ~TdxSkinBorders() override;
  TdxSkinBorder* Items(int AKind) const { return FBorders[AKind].get(); }
  void SetBorderByIndex(int AKind, TdxSkinBorder* AValue) { FBorders[AKind]->Assign(AValue); }
  ui::TRect GetContentMargins() const;
  void Draw(TdxGPCanvas* ACanvas, const ui::TRect& R);  // left, top, right, bottom
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

 private:
  void BorderChanged(rtl::TObject* ASender, TdxSkinChanges AChanges) { Changed(AChanges); }
  std::unique_ptr<TdxSkinBorder> FBorders[4];
};

class TdxSkinAlternateImageAttributes : public TdxSkinProperty {
  RTL_CLASS(TdxSkinAlternateImageAttributes, TdxSkinProperty)

 public:
  TdxSkinAlternateImageAttributes(rtl::TPersistent* AOwner, const String& AName);
  ~TdxSkinAlternateImageAttributes() override;
  rtl::Byte Alpha() const { return FAlpha; }
  void SetAlpha(rtl::Byte AValue);
  TdxSkinBorders* Borders() const { return FBorders.get(); }
  TdxSkinBorders* BordersInner() const { return FBordersInner.get(); }
  const ui::TRect& ContentOffsets() const { return FContentOffsets; }
  void SetContentOffsets(const ui::TRect& AValue);
  TdxSkinGradientMode Gradient() const { return FGradient; }
  void SetGradient(TdxSkinGradientMode AValue);
  rtl::Cardinal GradientBeginColor() const { return FGradientBeginColor; }
  rtl::Cardinal GradientEndColor() const { return FGradientEndColor; }
  void SetGradientBeginColor(rtl::Cardinal AValue);
  void SetGradientEndColor(rtl::Cardinal AValue);
  // The gradient inside the content offsets, the outer borders on it, the
  // inner borders inside the outer ones.
  void Draw(TdxGPCanvas* ACanvas, const ui::TRect& R);
  bool Compare(const TdxSkinProperty* AProperty) const override;
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;

 private:
  void PartChanged(rtl::TObject* ASender, TdxSkinChanges AChanges) { Changed(AChanges); }
  rtl::Byte FAlpha = 255;
  std::unique_ptr<TdxSkinBorders> FBorders;
  std::unique_ptr<TdxSkinBorders> FBordersInner;
  ui::TRect FContentOffsets{};
  TdxSkinGradientMode FGradient = TdxSkinGradientMode::gmHorizontal;
  rtl::Cardinal FGradientBeginColor = kSkinClNone;
  rtl::Cardinal FGradientEndColor = kSkinClNone;
};

// --- images, elements, groups -------------------------------------------------------------
class TdxSkinElement;

// The stored data of a skin image; its frames and drawing live with the
// drawing code.
class TdxSkinImage : public rtl::TPersistent {
  RTL_CLASS(TdxSkinImage, rtl::TPersistent)

 public:
  explicit TdxSkinImage(TdxSkinElement* AOwner);
  ~TdxSkinImage() override;

  void DataRead(rtl::TStream* AStream, double AVersion);
  void DataWrite(rtl::TStream* AStream);
  bool Compare(const TdxSkinImage* AImage) const;
  void Assign(rtl::TPersistent* ASource) override;
  void Clear();

  TdxSkinGradientMode Gradient() const { return FGradient; }
  rtl::Cardinal GradientBeginColor() const { return FGradientBeginColor; }
  rtl::Cardinal GradientEndColor() const { return FGradientEndColor; }
  // As stored: a stream may hold a count below 1 (the layout counts it as 1).
  int ImageCount() const { return FImageCount; }
  void SetImageCount(int AValue);  // raised to at least 1
  TdxSkinImageLayout ImageLayout() const { return FImageLayout; }
  void SetImageLayout(TdxSkinImageLayout AValue);
  const ui::TRect& Margins() const { return FMargins; }
  void SetMargins(const ui::TRect& AValue);
  TdxSkinElementStates States() const { return FStates; }
  void SetStates(TdxSkinElementStates AValue);
  TdxSkinStretchMode Stretch() const { return FStretch; }
  void SetStretch(TdxSkinStretchMode AValue);
  void SetGradientBeginColor(rtl::Cardinal AValue);
  void SetGradientEndColor(rtl::Cardinal AValue);
  void SetGradientMode(TdxSkinGradientMode AValue);
  TdxSmartImage* Texture() const { return FTexture.get(); }
  const String& SourceName() const { return FSourceName; }
  void SetSourceName(const String& AValue) { FSourceName = AValue; }
  bool Empty() const;
  bool IsDirty() const { return FIsDirty; }
  TdxSkinElement* Owner() const { return FOwner; }

  // The layout, recalculated when dirty: one state frame, the number of
  // states, a state's frame in image AImageIndex, and which parts show.
  ui::TSize GetSize();
  int GetStateCount();
  ui::TRect GetStateBounds(int AImageIndex, TdxSkinElementState AState);
  bool GetPartVisible(TdxSkinImagePart APart);
  const ui::TRect& GetPartBounds(TdxSkinImagePart APart);
  // Limits the index to the images there are and maps a missing state to
  // the first one there is.
  void CheckState(TdxSkinElementState& AState, int& AImageIndex);
  bool GetIsGradientParamsAssigned() const;

  // The frame of the state (mapped to one there is) drawn into R: nine
  // parts stretched or tiled, or unscaled and centred; an empty image fills
  // R less its margins with its gradient.
  void Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState AState = TdxSkinElementState::esNormal,
            int AImageIndex = 0);
  virtual void DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R,
                      TdxSkinElementState AState = TdxSkinElementState::esNormal, int AImageIndex = 0);
  rtl::TNotifyEvent OnChange;

 protected:
  virtual void Changed();

 private:
  TdxSkinGradientMode FGradient = TdxSkinGradientMode::gmHorizontal;
  rtl::Cardinal FGradientBeginColor = kSkinClNone;
  rtl::Cardinal FGradientEndColor = kSkinClNone;
  int FImageCount = 1;
  TdxSkinImageLayout FImageLayout = TdxSkinImageLayout::ilHorizontal;
  bool FIsDirty = true;
  ui::TRect FMargins{};
  TdxSkinElement* FOwner;
  String FSourceName;
  TdxSkinElementStates FStates{TdxSkinElementState::esNormal};
  TdxSkinStretchMode FStretch = TdxSkinStretchMode::smStretch;
  std::unique_ptr<TdxSmartImage> FTexture;

  void CheckInfo();
  void InitializeInfo();
  // The stored count may be below 1; the layout counts such a count as 1.
  int LayoutImageCount() const { return FImageCount < 1 ? 1 : FImageCount; }
  TdxSkinImageParts FPartsBounds{};
  std::array<bool, 9> FPartsVisibility{};
  ui::TSize FSize{};
  std::array<ui::TRect, 11> FStateBounds{};
  int FStateCount = 0;

  void DrawPart(TdxGPCanvas* ACanvas, const ui::TRect& ADest, const ui::TRect& ASource, bool ACenter);
  void DoComplexStretchDraw(TdxGPCanvas* ACanvas, const ui::TRect& ADest, const ui::TRect& ASource);
};

class TdxSkinElementCache;

class TdxSkinElement : public TdxSkinPersistent {
  RTL_CLASS(TdxSkinElement, TdxSkinPersistent)

 public:
  TdxSkinElement(rtl::TPersistent* AOwner, const String& AName);
  ~TdxSkinElement() override;

  void DataRead(rtl::TStream* AStream, double AVersion) override;
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;
  void Changed(TdxSkinChanges AChanges) override;
  virtual bool Compare(const TdxSkinElement* AElement) const;
  virtual String ExpandName(const TdxSkinImage* AImage) const;

  rtl::Byte Alpha() const { return FAlpha; }
  void SetAlpha(rtl::Byte AValue);
  rtl::Cardinal Color() const { return FColor; }
  void SetColor(rtl::Cardinal AValue);
  rtl::Cardinal TextColor() const { return FTextColor; }
  void SetTextColor(rtl::Cardinal AValue);
  const ui::TRect& ContentOffset() const { return FContentOffset; }
  void SetContentOffset(const ui::TRect& AValue);
  int MinWidth() const { return FMinWidth; }
  int MinHeight() const { return FMinHeight; }
  void SetMinSize(int AWidth, int AHeight);
  TdxSkinBorders* Borders() const { return FBorders.get(); }
  TdxSkinImage* Glyph() const { return FGlyph.get(); }
  TdxSkinImage* Image() const { return FImage.get(); }
  // The image count of the older layout, which both images take as read.
  int OldImageCount() const { return FOldImageCount; }
  bool AlternateImageSetDirty() const { return FAlternateImageSetDirty; }
  // The text colour of a button state (its ordinal: default, normal, hot,
  // pressed, disabled) from the colour property APrefix + "TextColor...";
  // absent or clDefault falls back to the normal state, which falls back to
  // the element's own text colour. A property of another type raises
  // EInvalidCast.
  virtual rtl::Cardinal GetTextColor(int AButtonState, const String& APrefix = String());
  // The owner as a control group (EInvalidCast for another owner) and its path.
  class TdxSkinControlGroup* GetGroup() const;
  String GetPath() const;

  // Nothing for an empty or invisible rectangle; through the cache when it
  // is on, else on the shared paint canvas.
  virtual void Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState AState = TdxSkinElementState::esNormal,
                    int AImageIndex = 0);
  // Colour, image or alternate attributes, borders, glyph.
  virtual void DrawEx(TdxGPCanvas* ACanvas, const ui::TRect& R,
                      TdxSkinElementState AState = TdxSkinElementState::esNormal, int AImageIndex = 0);
  bool CanUseAlternateImageSet(int AImageIndex, TdxSkinElementState AState,
                               TdxSkinAlternateImageAttributes*& AAttributes, bool ALowColors);
  void CheckAlternateImageSet(int ASetIndex);
  bool GetIsAlphaUsed();
  bool UseCache() const { return FCache != nullptr; }
  void SetUseCache(bool AValue);
  TdxSkinElementCache* Cache() const { return FCache.get(); }

 private:
  void ImageChanged(rtl::TObject* ASender) { Changed({TdxSkinChange::scContent}); }
  void PartChanged(rtl::TObject* ASender, TdxSkinChanges AChanges) { Changed(AChanges); }

  rtl::Byte FAlpha = 255;
  bool FAlternateImageSetDirty = true;
  std::unique_ptr<TdxSkinBorders> FBorders;
  rtl::Cardinal FColor = kSkinClDefault;
  ui::TRect FContentOffset{};
  std::unique_ptr<TdxSkinImage> FGlyph;
  std::unique_ptr<TdxSkinImage> FImage;
  int FMinWidth = 0;
  int FMinHeight = 0;
  rtl::Cardinal FTextColor = kSkinClDefault;
  int FOldImageCount = 0;
  std::array<TdxSkinAlternateImageAttributes*, 11> FAlternateImageSet{};
  int FAlternateImageSetIndex = -1;
  std::unique_ptr<TdxSkinElementCache> FCache;
};

// One drawing of an element kept for repeated output at the same size:
// an opaque bitmap copied to the device, or a premultiplied alpha bitmap
// drawn over it.
class TdxSkinElementCache : public rtl::TObject {
 public:
  TdxSkinElementCache();
  ~TdxSkinElementCache() override;
  void DrawEx(gdi::HDC DC, TdxSkinElement* AElement, int AImageIndex, TdxSkinElementState AState,
              const ui::TRect& R);
  void Flush();
  void FreeCache();
  // How many times the element itself was drawn (the cache was rebuilt).
  int BuildCount() const { return FBuildCount; }
  struct GpBitmapDeleter {
    void operator()(gdiplus::GpBitmap* ABitmap) const;
  };

 private:
  void Build(TdxSkinElement* AElement, const ui::TRect& R);
  std::unique_ptr<gdiplus::GpBitmap, GpBitmapDeleter> FCache;
  std::unique_ptr<TcxBitmap32> FCacheOpaque;
  TdxSkinElement* FElement = nullptr;
  int FImageIndex = 0;
  TdxSkinImageSet FImageSet = TdxSkinImageSet::imsDefault;
  ui::TRect FRect{-1, -1, -1, -1};
  TdxSkinElementState FState = TdxSkinElementState::esNormal;
  int FBuildCount = 0;
};

// The stand-in for a missing element: white with a red frame, whatever is
// asked.
class TdxSkinEmptyElement : public TdxSkinElement {
  RTL_CLASS(TdxSkinEmptyElement, TdxSkinElement)

 public:
  using TdxSkinElement::TdxSkinElement;
  void Draw(gdi::HDC DC, const ui::TRect& R, TdxSkinElementState AState = TdxSkinElementState::esNormal,
            int AImageIndex = 0) override;
};

class TdxSkinElements : public TdxSkinCustomObjectList {
  RTL_CLASS(TdxSkinElements, TdxSkinCustomObjectList)

 public:
  using TdxSkinCustomObjectList::TdxSkinCustomObjectList;
  TdxSkinElement* Add(const String& AName);
  TdxSkinElement* Items(int AIndex) const { return static_cast<TdxSkinElement*>(Item(AIndex)); }
  void Assign(const TdxSkinElements& ASource);
  void DataRead(rtl::TStream* AStream, double AVersion);
  void DataWrite(rtl::TStream* AStream);

 protected:
  void SortChildren() override;
};

class TdxSkinControlGroup : public TdxSkinPersistent {
  RTL_CLASS(TdxSkinControlGroup, TdxSkinPersistent)

 public:
  TdxSkinControlGroup(rtl::TPersistent* AOwner, const String& AName);
  ~TdxSkinControlGroup() override;
  // The elements, then the properties (the name is read by whoever creates the group).
  void DataRead(rtl::TStream* AStream, double AVersion) override;
  // The name, the elements, then the properties.
  void DataWrite(rtl::TStream* AStream) override;
  void Assign(rtl::TPersistent* ASource) override;
  void Clear() override;
  void Sort(bool AChildren) override;
  TdxSkinElements* Elements() const { return FElements.get(); }
  TdxSkinElement* AddElement(const String& AName) { return FElements->Add(AName); }

 private:
  std::unique_ptr<TdxSkinElements> FElements;
};

// Name, display name, group name, notes and two icons of a skin.
class TdxSkinDetails : public rtl::TPersistent {
  RTL_CLASS(TdxSkinDetails, rtl::TPersistent)

 public:
  TdxSkinDetails();
  ~TdxSkinDetails() override;
  virtual void Changed();
  virtual void DataRead(rtl::TStream* AStream, double AVersion);
  virtual void DataWrite(rtl::TStream* AStream);
  virtual void Clear();
  void Assign(rtl::TPersistent* ASource) override;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();

  const String& Name() const { return FName; }
  void SetName(const String& AValue);
  const String& DisplayName() const { return FDisplayName; }
  void SetDisplayName(const String& AValue);
  const String& GroupName() const { return FGroupName; }
  void SetGroupName(const String& AValue);
  const String& Notes() const { return FNotes; }
  void SetNotes(const String& AValue);
  TdxSmartImage* GetIcon(TdxSkinIconSize ASize) const { return FIcons[static_cast<int>(ASize)].get(); }
  // The default icon of the library's resources (type "DXSKINS"); an empty
  // icon when the program carries none.
  void ResetIcon(TdxSkinIconSize ASize);
  rtl::TNotifyEvent OnChange;

 private:
  void DoIconsChanged(rtl::TObject* ASender) { Changed(); }
  String FDisplayName;
  String FGroupName;
  std::unique_ptr<TdxSmartImage> FIcons[2];
  String FName;
  String FNotes;
  int FUpdateCount = 0;
};

// The shared stand-in for a missing element (no owner, no name).
TdxSkinElement* dxSkinEmptyElement();

// The skin unit's start and finish: property types and streaming classes.
void dxSkinsCoreInitialization();
void dxSkinsCoreFinalization();

}  // namespace core
