#include "lib/core/dxSkinsCore.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "lib/core/dxSmartImage.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"

namespace core {

using rtl::Byte;
using rtl::Cardinal;
using rtl::Int64;
using rtl::Integer;

const char16_t* const dxSkinElementStateNames[11] = {
    u"Normal", u"Hot", u"Pressed", u"Disabled", u"Active", u"Focused",
    u"DroppedDown", u"Checked", u"HotCheck", u"ActiveDisabled", u"CheckPressed"};

namespace {

[[noreturn]] void skinReadError() { throw rtl::EReadError(u"Stream read error"); }

void readExact(rtl::TStream* AStream, void* ABuffer, Int64 ACount) {
  if (ACount < 0 || ACount > AStream->Remaining() || AStream->Read(ABuffer, ACount) != ACount) skinReadError();
}

// The version rules: a float from the file compared with a small margin.
bool versionAtLeast(double AVersion, double AMinimum) { return AVersion >= AMinimum - 1e-9; }

}  // namespace

// --- stream primitives ------------------------------------------------------------------

Integer dxSkinReadInteger(rtl::TStream* AStream) {
  Byte b[4];
  readExact(AStream, b, 4);
  return static_cast<Integer>(static_cast<Cardinal>(b[0]) | static_cast<Cardinal>(b[1]) << 8 |
                              static_cast<Cardinal>(b[2]) << 16 | static_cast<Cardinal>(b[3]) << 24);
}

void dxSkinWriteInteger(rtl::TStream* AStream, Integer AValue) {
  const auto v = static_cast<Cardinal>(AValue);
  const Byte b[4] = {static_cast<Byte>(v), static_cast<Byte>(v >> 8), static_cast<Byte>(v >> 16),
                     static_cast<Byte>(v >> 24)};
  AStream->WriteBuffer(b, 4);
}

Byte dxSkinReadByte(rtl::TStream* AStream) {
  Byte b;
  readExact(AStream, &b, 1);
  return b;
}

void dxSkinWriteByte(rtl::TStream* AStream, Byte AValue) { AStream->WriteBuffer(&AValue, 1); }

ui::TRect dxSkinReadRect(rtl::TStream* AStream) {
  ui::TRect r{};
  r.left = dxSkinReadInteger(AStream);
  r.top = dxSkinReadInteger(AStream);
  r.right = dxSkinReadInteger(AStream);
  r.bottom = dxSkinReadInteger(AStream);
  return r;
}

void dxSkinWriteRect(rtl::TStream* AStream, const ui::TRect& AValue) {
  dxSkinWriteInteger(AStream, AValue.left);
  dxSkinWriteInteger(AStream, AValue.top);
  dxSkinWriteInteger(AStream, AValue.right);
  dxSkinWriteInteger(AStream, AValue.bottom);
}

String dxSkinReadStringFromStream(rtl::TStream* AStream) {
  const Integer count = dxSkinReadInteger(AStream);
  if (count <= 0) return String();
  std::string bytes(static_cast<std::size_t>(std::min<Int64>(count, AStream->Remaining())), '\0');
  readExact(AStream, bytes.data(), count);
  return rtl::MultiByteToWideChar(0, 0, bytes);
}

void dxSkinWriteStringToStream(rtl::TStream* AStream, StringView AValue) {
  const std::string bytes = rtl::WideCharToMultiByte(0, 0, AValue);
  dxSkinWriteInteger(AStream, static_cast<Integer>(bytes.size()));
  if (!bytes.empty()) AStream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

String dxSkinReadWideStringFromStream(rtl::TStream* AStream) {
  const Integer count = dxSkinReadInteger(AStream);
  if (count <= 0) return String();
  if (count > AStream->Remaining() / 2) skinReadError();
  std::vector<Byte> bytes(static_cast<std::size_t>(count) * 2);
  readExact(AStream, bytes.data(), static_cast<Int64>(bytes.size()));
  String s(static_cast<std::size_t>(count), u'\0');
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<rtl::Char>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return s;
}

void dxSkinWriteWideStringToStream(rtl::TStream* AStream, StringView AValue) {
  dxSkinWriteInteger(AStream, static_cast<Integer>(AValue.size()));
  for (rtl::Char c : AValue) {
    const Byte b[2] = {static_cast<Byte>(c), static_cast<Byte>(c >> 8)};
    AStream->WriteBuffer(b, 2);
  }
}

void ReadSmartImage(rtl::TStream* AStream, TdxSmartImage* AImage) {
  const Integer size = dxSkinReadInteger(AStream);
  if (size <= 0) return;
  if (size > AStream->Remaining()) skinReadError();
  const Int64 start = AStream->Position();
  {
    TdxSkinPartStream window(AStream, size, start);
    try {
      AImage->LoadFromStream(&window);
      AImage->Empty();  // decodes now: bad bytes fail here rather than at the first paint
    } catch (const rtl::Exception&) {
      // Bytes that are no image leave an empty image; the stream goes on.
      AImage->Clear();
    }
  }
  AStream->SetPosition(start + size);
}

void WriteSmartImage(rtl::TStream* AStream, TdxSmartImage* AImage) {
  if (!AImage || AImage->Empty()) {
    dxSkinWriteInteger(AStream, 0);
    return;
  }
  rtl::TMemoryStream data;
  const TdxImageDataFormat format = AImage->ImageDataFormat() == TdxImageDataFormat::dxImageGif
                                        ? TdxImageDataFormat::dxImageGif
                                        : TdxImageDataFormat::dxImagePng;
  AImage->SaveToStreamByCodec(&data, format);
  dxSkinWriteInteger(AStream, static_cast<Integer>(data.Size()));
  data.SetPosition(0);
  AStream->CopyFrom(&data, data.Size());
}

TdxSkinPartStream::TdxSkinPartStream(rtl::TStream* ASource, Int64 ASize, Int64 AStart)
    : FSource(ASource), FSize(ASize), FStart(AStart) {
  FSource->SetPosition(AStart);
}

Int64 TdxSkinPartStream::Read(void* ABuffer, Int64 ACount) {
  const Int64 left = FStart + FSize - FSource->Position();
  return FSource->Read(ABuffer, std::max<Int64>(0, std::min(ACount, left)));
}

Int64 TdxSkinPartStream::Write(const void* ABuffer, Int64 ACount) {
  const Int64 written = FSource->Write(ABuffer, ACount);
  FSize = std::max(FSize, FSource->Position() - FStart);
  return written;
}

Int64 TdxSkinPartStream::Seek(Int64 AOffset, rtl::TSeekOrigin AOrigin) {
  Int64 target;
  switch (AOrigin) {
    case rtl::soBeginning: target = FStart + AOffset; break;
    case rtl::soEnd: target = FStart + FSize + AOffset; break;
    default: target = FSource->Position() + AOffset; break;
  }
  target = std::clamp(target, FStart, FStart + FSize);
  return FSource->Seek(target, rtl::soBeginning) - FStart;
}

// --- objects ----------------------------------------------------------------------------

void dxSkinChangeNotify(const TdxSkinChangeNotify& AHandler, rtl::TObject* ASender, TdxSkinChanges AChanges) {
  if (AHandler && !AChanges.empty()) AHandler(ASender, AChanges);
}

TdxSkinCustomObject::TdxSkinCustomObject(rtl::TPersistent* AOwner, const String& AName)
    : FName(AName), FOwner(AOwner) {}

void TdxSkinCustomObject::SetName(const String& AValue) {
  if (AValue == FName) return;
  FName = AValue;
  Changed({TdxSkinChange::scStruct});
}

void TdxSkinCustomObject::DoChanged(TdxSkinChanges AChanges) { dxSkinChangeNotify(OnChange, this, AChanges); }

TdxSkinCustomObjectList::~TdxSkinCustomObjectList() = default;

void TdxSkinCustomObjectList::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed(FChanges);
}

void TdxSkinCustomObjectList::Changed(TdxSkinChanges AChanges) {
  FSorted = false;
  FChanges += AChanges;
  if (FUpdateCount > 0) return;
  const TdxSkinChanges changes = FChanges;
  FChanges = {};
  dxSkinChangeNotify(OnChange ? OnChange : FOnChange, this, changes);
}

void TdxSkinCustomObjectList::Sort(bool AChildren) {
  if (!FSorted) {
    std::stable_sort(FItems.begin(), FItems.end(), [](const auto& a, const auto& b) {
      return rtl::AnsiCompareStr(a->Name(), b->Name()) < 0;
    });
    FSorted = true;
  }
  if (AChildren) SortChildren();
}

TdxSkinCustomObject* TdxSkinCustomObjectList::FindItemByName(StringView AName) {
  Sort(false);
  auto it = std::lower_bound(FItems.begin(), FItems.end(), AName, [](const auto& item, StringView name) {
    return rtl::AnsiCompareStr(item->Name(), name) < 0;
  });
  return it != FItems.end() && rtl::AnsiCompareStr((*it)->Name(), AName) == 0 ? it->get() : nullptr;
}

TdxSkinCustomObject* TdxSkinCustomObjectList::AddItem(std::unique_ptr<TdxSkinCustomObject> AItem) {
  AItem->OnChange = TdxSkinChangeNotify::bind<&TdxSkinCustomObjectList::SubItemChanged>(this);
  FItems.push_back(std::move(AItem));
  Changed({TdxSkinChange::scStruct});
  return FItems.back().get();
}

void TdxSkinCustomObjectList::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  Changed({TdxSkinChange::scStruct});
}

void TdxSkinCustomObjectList::Delete(TdxSkinCustomObject* AItem) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const auto& p) { return p.get() == AItem; });
  if (it == FItems.end()) return;
  FItems.erase(it);
  Changed({TdxSkinChange::scStruct});
}

// --- the property type registry ---------------------------------------------------------

namespace {
struct RegisteredType {
  const rtl::ClassInfo* cls;
  TdxSkinPropertyClass factory;
};
std::vector<RegisteredType>& registeredTypes() {
  static std::vector<RegisteredType> types;
  return types;
}
}  // namespace

void TdxSkinProperty::Register(const rtl::ClassInfo& AClass, TdxSkinPropertyClass AFactory) {
  auto& types = registeredTypes();
  if (std::none_of(types.begin(), types.end(), [&](const auto& t) { return t.cls == &AClass; }))
    types.push_back({&AClass, AFactory});
  rtl::RegisterClass(AClass);
}

void TdxSkinProperty::Unregister(const rtl::ClassInfo& AClass) {
  std::erase_if(registeredTypes(), [&](const auto& t) { return t.cls == &AClass; });
  rtl::UnRegisterClass(AClass);
}

TdxSkinPropertyClass TdxSkinProperty::FindRegistered(StringView AClassName) {
  // Only what the class registry knows (and is a property type) can be read.
  const rtl::ClassInfo& cls = rtl::FindClass(AClassName);
  for (const auto& t : registeredTypes())
    if (t.cls == &cls) return t.factory;
  throw rtl::EClassNotFound(u"Class " + String(AClassName) + u" not found");
}

int TdxSkinProperty::RegisteredCount() { return static_cast<int>(registeredTypes().size()); }

String TdxSkinProperty::Description() const {
  String s = ClassName();
  for (StringView part : {StringView(u"TDXSKIN"), StringView(u"PROPERTY")}) {
    for (;;) {
      const String upper = rtl::UpperCase(s);
      const auto at = upper.find(part);
      if (at == String::npos) break;
      s.erase(at, part.size());
    }
  }
  return s;
}

bool TdxSkinProperty::SameHead(const TdxSkinProperty* AProperty) const {
  return AProperty && AProperty->ClassType() == ClassType() && rtl::AnsiSameText(AProperty->Name(), Name());
}

bool TdxSkinProperty::Compare(const TdxSkinProperty* AProperty) const { return SameHead(AProperty); }

// --- property lists and persistent objects -------------------------------------------------

TdxSkinProperty* TdxSkinProperties::Add(const String& AName, TdxSkinPropertyClass AClass) {
  return static_cast<TdxSkinProperty*>(AddItem(std::unique_ptr<TdxSkinCustomObject>(AClass(FOwner, AName))));
}

TdxSkinProperty* TdxSkinProperties::Items(int AIndex) const { return static_cast<TdxSkinProperty*>(Item(AIndex)); }

void TdxSkinProperties::Assign(const TdxSkinProperties& ASource) {
  BeginUpdate();
  struct End {
    TdxSkinProperties* list;
    ~End() { list->EndUpdate(); }
  } end{this};
  Clear();
  for (int i = 0; i < ASource.Count(); ++i) {
    TdxSkinProperty* source = ASource.Items(i);
    TdxSkinPropertyClass factory = TdxSkinProperty::FindRegistered(source->ClassName());
    Add(source->Name(), factory)->Assign(source);
  }
}

bool TdxSkinProperties::Compare(const TdxSkinProperties& AOther) const {
  if (Count() != AOther.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->Compare(AOther.Items(i))) return false;
  return true;
}

void TdxSkinProperties::DataRead(rtl::TStream* AStream, double AVersion) {
  BeginUpdate();
  struct End {
    TdxSkinProperties* list;
    ~End() { list->EndUpdate(); }
  } end{this};
  const Integer count = dxSkinReadInteger(AStream);
  // A property is at least its class name's and its name's counts.
  if (count < 0 || count > AStream->Remaining() / 8) skinReadError();
  for (Integer i = 0; i < count; ++i) {
    const String className = dxSkinReadStringFromStream(AStream);
    const String name = dxSkinReadStringFromStream(AStream);
    Add(name, TdxSkinProperty::FindRegistered(className))->DataRead(AStream, AVersion);
  }
}

void TdxSkinProperties::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteInteger(AStream, Count());
  for (int i = 0; i < Count(); ++i) {
    dxSkinWriteStringToStream(AStream, Items(i)->ClassName());
    dxSkinWriteStringToStream(AStream, Items(i)->Name());
    Items(i)->DataWrite(AStream);
  }
}

TdxSkinPersistent::TdxSkinPersistent(rtl::TPersistent* AOwner, const String& AName)
    : TdxSkinCustomObject(AOwner, AName),
      FProperties(std::unique_ptr<TdxSkinProperties>(rtl::Create<TdxSkinProperties>(this))) {
  FProperties->OnChange = TdxSkinChangeNotify::bind<&TdxSkinPersistent::SubItemChanged>(this);
}

TdxSkinPersistent::~TdxSkinPersistent() { FProperties->OnChange = nullptr; }

void TdxSkinPersistent::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed(FChanges);
}

void TdxSkinPersistent::Changed(TdxSkinChanges AChanges) {
  FModified = true;
  FChanges += AChanges;
  if (FUpdateCount > 0) return;
  const TdxSkinChanges changes = FChanges;
  FChanges = {};
  TdxSkinCustomObject::Changed(changes);
}

void TdxSkinPersistent::Clear() { FProperties->Clear(); }
void TdxSkinPersistent::DeleteProperty(TdxSkinProperty* AProperty) { FProperties->Delete(AProperty); }
void TdxSkinPersistent::Sort(bool AChildren) { FProperties->Sort(AChildren); }

TdxSkinProperty* TdxSkinPersistent::AddProperty(const String& AName, TdxSkinPropertyClass AClass) {
  return FProperties->Add(AName, AClass);
}

TdxSkinProperty* TdxSkinPersistent::GetPropertyByName(StringView AName) {
  return static_cast<TdxSkinProperty*>(FProperties->FindItemByName(AName));
}

bool TdxSkinPersistent::GetPropertyByName(StringView AName, TdxSkinProperty*& AProperty) {
  AProperty = GetPropertyByName(AName);
  return AProperty != nullptr;
}

void TdxSkinPersistent::Assign(rtl::TPersistent* ASource) {
  auto* source = dynamic_cast<TdxSkinPersistent*>(ASource);
  if (!source) {
    TdxSkinCustomObject::Assign(ASource);
    return;
  }
  BeginUpdate();
  struct End {
    TdxSkinPersistent* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  FProperties->Assign(*source->FProperties);
}

// --- typed properties -------------------------------------------------------------------

#define DX_SKIN_SETTER(Class, Type, Field)      \
  void Class::SetValue(Type AValue) {           \
    if (Field == AValue) return;                \
    Field = AValue;                             \
    Changed({TdxSkinChange::scContent});        \
  }

DX_SKIN_SETTER(TdxSkinIntegerProperty, Integer, FValue)
DX_SKIN_SETTER(TdxSkinBooleanProperty, bool, FValue)
DX_SKIN_SETTER(TdxSkinColor, Cardinal, FValue)
DX_SKIN_SETTER(TdxSkinRectProperty, const ui::TRect&, FValue)
DX_SKIN_SETTER(TdxSkinStringProperty, const String&, FValue)
#undef DX_SKIN_SETTER

namespace {
template <class T>
const T* sameClass(const TdxSkinProperty* self, const TdxSkinProperty* other) {
  return other && other->ClassType() == self->ClassType() ? static_cast<const T*>(other) : nullptr;
}
}  // namespace

bool TdxSkinIntegerProperty::Compare(const TdxSkinProperty* AProperty) const {
  return SameHead(AProperty) && static_cast<const TdxSkinIntegerProperty*>(AProperty)->FValue == FValue;
}
void TdxSkinIntegerProperty::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinIntegerProperty*>(ASource)) SetValue(s->FValue);
  else TdxSkinProperty::Assign(ASource);
}

bool TdxSkinBooleanProperty::Compare(const TdxSkinProperty* AProperty) const {
  return SameHead(AProperty) && static_cast<const TdxSkinBooleanProperty*>(AProperty)->FValue == FValue;
}
void TdxSkinBooleanProperty::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinBooleanProperty*>(ASource)) SetValue(s->FValue);
  else TdxSkinProperty::Assign(ASource);
}

bool TdxSkinColor::Compare(const TdxSkinProperty* AProperty) const {
  return SameHead(AProperty) && static_cast<const TdxSkinColor*>(AProperty)->FValue == FValue;
}
void TdxSkinColor::DataRead(rtl::TStream* AStream, double) { SetValue(static_cast<Cardinal>(dxSkinReadInteger(AStream))); }
void TdxSkinColor::DataWrite(rtl::TStream* AStream) { dxSkinWriteInteger(AStream, static_cast<Integer>(FValue)); }
void TdxSkinColor::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinColor*>(ASource)) SetValue(s->FValue);
  else TdxSkinProperty::Assign(ASource);
}

int TdxSkinRectProperty::GetValueByIndex(int AIndex) const {
  switch (AIndex) {
    case 0: return FValue.left;
    case 1: return FValue.top;
    case 2: return FValue.right;
    default: return FValue.bottom;
  }
}
void TdxSkinRectProperty::SetValueByIndex(int AIndex, int AValue) {
  ui::TRect r = FValue;
  switch (AIndex) {
    case 0: r.left = AValue; break;
    case 1: r.top = AValue; break;
    case 2: r.right = AValue; break;
    default: r.bottom = AValue; break;
  }
  SetValue(r);
}
bool TdxSkinRectProperty::Compare(const TdxSkinProperty* AProperty) const {
  return SameHead(AProperty) && static_cast<const TdxSkinRectProperty*>(AProperty)->FValue == FValue;
}
void TdxSkinRectProperty::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinRectProperty*>(ASource)) SetValue(s->FValue);
  else TdxSkinProperty::Assign(ASource);
}

void TdxSkinSizeProperty::SetValue(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinSizeProperty::SetValueByIndex(int AIndex, int AValue) {
  if (AIndex == 0) SetValue(AValue, FHeight);
  else SetValue(FWidth, AValue);
}
bool TdxSkinSizeProperty::Compare(const TdxSkinProperty* AProperty) const {
  if (!SameHead(AProperty)) return false;
  auto* other = static_cast<const TdxSkinSizeProperty*>(AProperty);
  return other->FWidth == FWidth && other->FHeight == FHeight;
}
void TdxSkinSizeProperty::DataRead(rtl::TStream* AStream, double) {
  const int width = dxSkinReadInteger(AStream);
  SetValue(width, dxSkinReadInteger(AStream));
}
void TdxSkinSizeProperty::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteInteger(AStream, FWidth);
  dxSkinWriteInteger(AStream, FHeight);
}
void TdxSkinSizeProperty::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinSizeProperty*>(ASource)) SetValue(s->FWidth, s->FHeight);
  else TdxSkinProperty::Assign(ASource);
}

bool TdxSkinStringProperty::Compare(const TdxSkinProperty* AProperty) const {
  return SameHead(AProperty) &&
         rtl::AnsiCompareStr(static_cast<const TdxSkinStringProperty*>(AProperty)->FValue, FValue) == 0;
}
void TdxSkinStringProperty::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinStringProperty*>(ASource)) SetValue(s->FValue);
  else TdxSkinProperty::Assign(ASource);
}

void TdxSkinBorder::SetColor(Cardinal AValue) {
  if (AValue == FColor) return;
  FColor = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinBorder::SetThin(int AValue) {
  if (AValue == FThin) return;
  FThin = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinBorder::ResetToDefaults() {
  SetColor(kSkinClNone);
  SetThin(1);
}
bool TdxSkinBorder::Compare(const TdxSkinProperty* AProperty) const {
  const auto* other = sameClass<TdxSkinBorder>(this, AProperty);
  return other && other->FColor == FColor && other->FThin == FThin && other->FKind == FKind;
}
void TdxSkinBorder::DataRead(rtl::TStream* AStream, double AVersion) {
  if (!versionAtLeast(AVersion, 1.09)) {
    // The older layout named each border like a property: dropped.
    dxSkinReadStringFromStream(AStream);
    dxSkinReadStringFromStream(AStream);
  }
  SetColor(static_cast<Cardinal>(dxSkinReadInteger(AStream)));
  SetThin(dxSkinReadInteger(AStream));
}
void TdxSkinBorder::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteInteger(AStream, static_cast<Integer>(FColor));
  dxSkinWriteInteger(AStream, FThin);
}
void TdxSkinBorder::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinBorder*>(ASource);
  if (!s) return;  // any other source is ignored
  FKind = s->FKind;
  SetColor(s->FColor);
  SetThin(s->FThin);
}

namespace {
const char16_t* const kBorderNames[4] = {u"Left", u"Top", u"Right", u"Bottom"};
}

TdxSkinBorders::TdxSkinBorders(rtl::TPersistent* AOwner, const String& AName) : TdxSkinProperty(AOwner, AName) {
  for (int i = 0; i < 4; ++i) {
    FBorders[i].reset(rtl::Create<TdxSkinBorder>(this, kBorderNames[i]));
    FBorders[i]->SetKind(i);
    FBorders[i]->OnChange = TdxSkinChangeNotify::bind<&TdxSkinBorders::BorderChanged>(this);
  }
}
TdxSkinBorders::~TdxSkinBorders() {
  for (auto& b : FBorders) b->OnChange = nullptr;
}
ui::TRect TdxSkinBorders::GetContentMargins() const {
  ui::TRect r{};
  r.left = FBorders[0]->GetContentMargin();
  r.top = FBorders[1]->GetContentMargin();
  r.right = FBorders[2]->GetContentMargin();
  r.bottom = FBorders[3]->GetContentMargin();
  return r;
}
bool TdxSkinBorders::Compare(const TdxSkinProperty* AProperty) const {
  const auto* other = sameClass<TdxSkinBorders>(this, AProperty);
  if (!other) return false;
  for (int i = 0; i < 4; ++i)
    if (!FBorders[i]->Compare(other->FBorders[i].get())) return false;
  return true;
}
void TdxSkinBorders::DataRead(rtl::TStream* AStream, double AVersion) {
  for (auto& b : FBorders) b->DataRead(AStream, AVersion);
}
void TdxSkinBorders::DataWrite(rtl::TStream* AStream) {
  for (auto& b : FBorders) b->DataWrite(AStream);
}
void TdxSkinBorders::Assign(rtl::TPersistent* ASource) {
  if (auto* s = dynamic_cast<TdxSkinBorders*>(ASource)) {
    for (int i = 0; i < 4; ++i) FBorders[i]->Assign(s->FBorders[i].get());
  } else {
    TdxSkinProperty::Assign(ASource);
  }
}

TdxSkinAlternateImageAttributes::TdxSkinAlternateImageAttributes(rtl::TPersistent* AOwner, const String& AName)
    : TdxSkinProperty(AOwner, AName),
      FBorders(rtl::Create<TdxSkinBorders>(this, u"Borders")),
      FBordersInner(rtl::Create<TdxSkinBorders>(this, u"BordersInner")) {
  FBorders->OnChange = TdxSkinChangeNotify::bind<&TdxSkinAlternateImageAttributes::PartChanged>(this);
  FBordersInner->OnChange = TdxSkinChangeNotify::bind<&TdxSkinAlternateImageAttributes::PartChanged>(this);
}
TdxSkinAlternateImageAttributes::~TdxSkinAlternateImageAttributes() {
  FBorders->OnChange = nullptr;
  FBordersInner->OnChange = nullptr;
}

#define DX_SKIN_ATTR_SETTER(Name, Type, Field) \
  void TdxSkinAlternateImageAttributes::Name(Type AValue) { \
    if (Field == AValue) return;                \
    Field = AValue;                             \
    Changed({TdxSkinChange::scContent});        \
  }
DX_SKIN_ATTR_SETTER(SetAlpha, Byte, FAlpha)
DX_SKIN_ATTR_SETTER(SetContentOffsets, const ui::TRect&, FContentOffsets)
DX_SKIN_ATTR_SETTER(SetGradient, TdxSkinGradientMode, FGradient)
DX_SKIN_ATTR_SETTER(SetGradientBeginColor, Cardinal, FGradientBeginColor)
DX_SKIN_ATTR_SETTER(SetGradientEndColor, Cardinal, FGradientEndColor)
#undef DX_SKIN_ATTR_SETTER

bool TdxSkinAlternateImageAttributes::Compare(const TdxSkinProperty* AProperty) const {
  if (!SameHead(AProperty)) return false;
  auto* o = static_cast<const TdxSkinAlternateImageAttributes*>(AProperty);
  return o->FAlpha == FAlpha && o->FGradient == FGradient && o->FGradientBeginColor == FGradientBeginColor &&
         o->FGradientEndColor == FGradientEndColor && FBorders->Compare(o->FBorders.get()) &&
         FBordersInner->Compare(o->FBordersInner.get()) && o->FContentOffsets == FContentOffsets;
}

void TdxSkinAlternateImageAttributes::DataRead(rtl::TStream* AStream, double AVersion) {
  SetAlpha(dxSkinReadByte(AStream));
  SetGradient(static_cast<TdxSkinGradientMode>(dxSkinReadByte(AStream) & 3));
  SetGradientBeginColor(static_cast<Cardinal>(dxSkinReadInteger(AStream)));
  SetGradientEndColor(static_cast<Cardinal>(dxSkinReadInteger(AStream)));
  FBorders->DataRead(AStream, AVersion);
  FBordersInner->DataRead(AStream, AVersion);
  SetContentOffsets(dxSkinReadRect(AStream));
}

void TdxSkinAlternateImageAttributes::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteByte(AStream, FAlpha);
  dxSkinWriteByte(AStream, static_cast<Byte>(FGradient));
  dxSkinWriteInteger(AStream, static_cast<Integer>(FGradientBeginColor));
  dxSkinWriteInteger(AStream, static_cast<Integer>(FGradientEndColor));
  FBorders->DataWrite(AStream);
  FBordersInner->DataWrite(AStream);
  dxSkinWriteRect(AStream, FContentOffsets);
}

void TdxSkinAlternateImageAttributes::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinAlternateImageAttributes*>(ASource);
  if (!s) {
    TdxSkinProperty::Assign(ASource);
    return;
  }
  SetAlpha(s->FAlpha);
  SetGradient(s->FGradient);
  SetGradientBeginColor(s->FGradientBeginColor);
  SetGradientEndColor(s->FGradientEndColor);
  FBorders->Assign(s->FBorders.get());
  FBordersInner->Assign(s->FBordersInner.get());
  SetContentOffsets(s->FContentOffsets);
}

// --- images --------------------------------------------------------------------------------

TdxSkinImage::TdxSkinImage(TdxSkinElement* AOwner) : FOwner(AOwner), FTexture(rtl::Create<TdxSmartImage>()) {}

TdxSkinImage::~TdxSkinImage() = default;

void TdxSkinImage::Changed() {
  FIsDirty = true;
  if (OnChange) OnChange(this);
}

#define DX_SKIN_IMAGE_SETTER(Name, Type, Field) \
  void TdxSkinImage::Name(Type AValue) {        \
    if (Field == AValue) return;                \
    Field = AValue;                             \
    Changed();                                  \
  }
DX_SKIN_IMAGE_SETTER(SetImageLayout, TdxSkinImageLayout, FImageLayout)
DX_SKIN_IMAGE_SETTER(SetMargins, const ui::TRect&, FMargins)
DX_SKIN_IMAGE_SETTER(SetStates, TdxSkinElementStates, FStates)
DX_SKIN_IMAGE_SETTER(SetStretch, TdxSkinStretchMode, FStretch)
DX_SKIN_IMAGE_SETTER(SetGradientBeginColor, Cardinal, FGradientBeginColor)
DX_SKIN_IMAGE_SETTER(SetGradientEndColor, Cardinal, FGradientEndColor)
DX_SKIN_IMAGE_SETTER(SetGradientMode, TdxSkinGradientMode, FGradient)
#undef DX_SKIN_IMAGE_SETTER

void TdxSkinImage::SetImageCount(int AValue) {
  AValue = std::max(AValue, 1);
  if (AValue == FImageCount) return;
  FImageCount = AValue;
  Changed();
}

bool TdxSkinImage::Empty() const { return FTexture->Empty(); }

void TdxSkinImage::Clear() {
  if (FSourceName.empty() && FTexture->Empty()) return;
  FSourceName.clear();
  FTexture->Clear();
  Changed();
}

void TdxSkinImage::DataRead(rtl::TStream* AStream, double AVersion) {
  FMargins = dxSkinReadRect(AStream);
  FImageLayout = static_cast<TdxSkinImageLayout>(dxSkinReadByte(AStream) & 1);
  // Kept as read (no raise to 1): the layout counts anything below 1 as 1.
  FImageCount = versionAtLeast(AVersion, 1.1) ? dxSkinReadInteger(AStream)
                                               : (FOwner ? FOwner->OldImageCount() : FImageCount);
  Byte states[2];
  states[0] = dxSkinReadByte(AStream);
  states[1] = dxSkinReadByte(AStream);
  FStates = TdxSkinElementStates::FromBits((states[0] | states[1] << 8) & 0x7FF);
  FStretch = static_cast<TdxSkinStretchMode>(std::min<Byte>(dxSkinReadByte(AStream), 2));
  if (versionAtLeast(AVersion, 1.02)) {
    FGradientBeginColor = static_cast<Cardinal>(dxSkinReadInteger(AStream));
    FGradientEndColor = static_cast<Cardinal>(dxSkinReadInteger(AStream));
    FGradient = static_cast<TdxSkinGradientMode>(dxSkinReadByte(AStream) & 3);
  }
  ReadSmartImage(AStream, FTexture.get());
  Changed();
}

void TdxSkinImage::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteRect(AStream, FMargins);
  dxSkinWriteByte(AStream, static_cast<Byte>(FImageLayout));
  dxSkinWriteInteger(AStream, FImageCount);
  const auto bits = static_cast<unsigned>(FStates.Bits());
  dxSkinWriteByte(AStream, static_cast<Byte>(bits));
  dxSkinWriteByte(AStream, static_cast<Byte>(bits >> 8));
  dxSkinWriteByte(AStream, static_cast<Byte>(FStretch));
  dxSkinWriteInteger(AStream, static_cast<Integer>(FGradientBeginColor));
  dxSkinWriteInteger(AStream, static_cast<Integer>(FGradientEndColor));
  dxSkinWriteByte(AStream, static_cast<Byte>(FGradient));
  WriteSmartImage(AStream, FTexture.get());
}

bool TdxSkinImage::Compare(const TdxSkinImage* AImage) const {
  if (!AImage) return false;
  return FGradient == AImage->FGradient && FGradientBeginColor == AImage->FGradientBeginColor &&
         FGradientEndColor == AImage->FGradientEndColor && FImageCount == AImage->FImageCount &&
         FImageLayout == AImage->FImageLayout && FMargins == AImage->FMargins && FStates == AImage->FStates &&
         FStretch == AImage->FStretch && FSourceName == AImage->FSourceName &&
         FTexture->Empty() == AImage->FTexture->Empty();
}

void TdxSkinImage::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinImage*>(ASource);
  if (!s) {
    rtl::TPersistent::Assign(ASource);
    return;
  }
  if (s->FTexture->Empty() && s->FSourceName.empty()) {
    Clear();
  } else {
    FTexture->Assign(s->FTexture.get());
    FSourceName = s->FSourceName;
  }
  SetGradientBeginColor(s->FGradientBeginColor);
  SetGradientEndColor(s->FGradientEndColor);
  SetGradientMode(s->FGradient);
  SetImageCount(s->FImageCount);
  SetImageLayout(s->FImageLayout);
  SetMargins(s->FMargins);
  SetStretch(s->FStretch);
  SetStates(s->FStates);
  Changed();
}

// --- elements and groups ----------------------------------------------------------------

TdxSkinElement::TdxSkinElement(rtl::TPersistent* AOwner, const String& AName)
    : TdxSkinPersistent(AOwner, AName),
      FBorders(rtl::Create<TdxSkinBorders>(this, u"Borders")),
      FGlyph(rtl::Create<TdxSkinImage>(this)),
      FImage(rtl::Create<TdxSkinImage>(this)) {
  FBorders->OnChange = TdxSkinChangeNotify::bind<&TdxSkinElement::PartChanged>(this);
  FGlyph->OnChange = rtl::TNotifyEvent::bind<&TdxSkinElement::ImageChanged>(this);
  FImage->OnChange = rtl::TNotifyEvent::bind<&TdxSkinElement::ImageChanged>(this);
}

TdxSkinElement::~TdxSkinElement() {
  FBorders->OnChange = nullptr;
  FGlyph->OnChange = nullptr;
  FImage->OnChange = nullptr;
}

void TdxSkinElement::Changed(TdxSkinChanges AChanges) {
  if (AChanges.contains(TdxSkinChange::scStruct)) FAlternateImageSetDirty = true;
  if (FCache) FCache->Flush();
  TdxSkinPersistent::Changed(AChanges);
}

void TdxSkinElement::SetAlpha(Byte AValue) {
  if (AValue == FAlpha) return;
  FAlpha = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinElement::SetColor(Cardinal AValue) {
  if (AValue == FColor) return;
  FColor = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinElement::SetTextColor(Cardinal AValue) {
  if (AValue == FTextColor) return;
  FTextColor = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinElement::SetContentOffset(const ui::TRect& AValue) {
  if (AValue == FContentOffset) return;
  FContentOffset = AValue;
  Changed({TdxSkinChange::scContent});
}
void TdxSkinElement::SetMinSize(int AWidth, int AHeight) {
  if (AWidth == FMinWidth && AHeight == FMinHeight) return;
  FMinWidth = AWidth;
  FMinHeight = AHeight;
  Changed({TdxSkinChange::scContent});
}

void TdxSkinElement::DataRead(rtl::TStream* AStream, double AVersion) {
  BeginUpdate();
  struct End {
    TdxSkinElement* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  SetColor(static_cast<Cardinal>(dxSkinReadInteger(AStream)));
  SetAlpha(dxSkinReadByte(AStream));
  if (!versionAtLeast(AVersion, 1.1)) FOldImageCount = dxSkinReadInteger(AStream);
  SetContentOffset(dxSkinReadRect(AStream));
  FGlyph->DataRead(AStream, AVersion);
  FImage->DataRead(AStream, AVersion);
  FBorders->DataRead(AStream, AVersion);
  SetTextColor(static_cast<Cardinal>(dxSkinReadInteger(AStream)));
  const int width = dxSkinReadInteger(AStream);
  SetMinSize(width, dxSkinReadInteger(AStream));
  Properties()->DataRead(AStream, AVersion);
}

void TdxSkinElement::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteInteger(AStream, static_cast<Integer>(FColor));
  dxSkinWriteByte(AStream, FAlpha);
  dxSkinWriteRect(AStream, FContentOffset);
  FGlyph->DataWrite(AStream);
  FImage->DataWrite(AStream);
  FBorders->DataWrite(AStream);
  dxSkinWriteInteger(AStream, static_cast<Integer>(FTextColor));
  dxSkinWriteInteger(AStream, FMinWidth);
  dxSkinWriteInteger(AStream, FMinHeight);
  Properties()->DataWrite(AStream);
}

void TdxSkinElement::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinElement*>(ASource);
  if (!s) {
    TdxSkinPersistent::Assign(ASource);
    return;
  }
  BeginUpdate();
  struct End {
    TdxSkinElement* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  FImage->Assign(s->FImage.get());
  FGlyph->Assign(s->FGlyph.get());
  SetColor(s->FColor);
  SetAlpha(s->FAlpha);
  SetContentOffset(s->FContentOffset);
  FBorders->Assign(s->FBorders.get());
  SetMinSize(s->FMinWidth, s->FMinHeight);
  SetTextColor(s->FTextColor);
  TdxSkinPersistent::Assign(ASource);
}

bool TdxSkinElement::Compare(const TdxSkinElement* AElement) const {
  return AElement && rtl::AnsiSameText(AElement->Name(), Name()) && AElement->FColor == FColor &&
         AElement->FAlpha == FAlpha && AElement->FTextColor == FTextColor && AElement->FMinWidth == FMinWidth &&
         AElement->FMinHeight == FMinHeight && AElement->FContentOffset == FContentOffset &&
         FBorders->Compare(AElement->FBorders.get()) && Properties()->Compare(*AElement->Properties()) &&
         FImage->Compare(AElement->FImage.get()) && FGlyph->Compare(AElement->FGlyph.get());
}

rtl::Cardinal TdxSkinElement::GetTextColor(int AButtonState, const String& APrefix) {
  static const char16_t* const kNames[5] = {u"", u"TextColor", u"TextColorHot", u"TextColorPressed",
                                            u"TextColorDisabled"};
  const int state = std::clamp(AButtonState, 0, 4);
  Cardinal result = kSkinClDefault;
  if (TdxSkinProperty* property = GetPropertyByName(APrefix + kNames[state]))
    result = rtl::As<TdxSkinColor>(property)->Value();
  if (result != kSkinClDefault) return result;
  return state == 1 ? FTextColor : GetTextColor(1, APrefix);
}

String TdxSkinElement::ExpandName(const TdxSkinImage* AImage) const {
  return Name() + (AImage == FGlyph.get() ? u"_Glyph.png" : u"_Image.png");
}

TdxSkinControlGroup* TdxSkinElement::GetGroup() const {
  if (!Owner()) return nullptr;
  return rtl::As<TdxSkinControlGroup>(Owner());
}

String TdxSkinElement::GetPath() const {
  TdxSkinControlGroup* group = GetGroup();
  return (group ? group->Name() : String()) + u"\\";
}

TdxSkinElement* TdxSkinElements::Add(const String& AName) {
  return static_cast<TdxSkinElement*>(
      AddItem(std::unique_ptr<TdxSkinCustomObject>(rtl::Create<TdxSkinElement>(FOwner, AName))));
}

void TdxSkinElements::Assign(const TdxSkinElements& ASource) {
  BeginUpdate();
  struct End {
    TdxSkinElements* list;
    ~End() { list->EndUpdate(); }
  } end{this};
  Clear();
  for (int i = 0; i < ASource.Count(); ++i) Add(ASource.Items(i)->Name())->Assign(ASource.Items(i));
}

void TdxSkinElements::SortChildren() {
  for (const auto& item : FItems) static_cast<TdxSkinElement*>(item.get())->Sort(true);
}

void TdxSkinElements::DataRead(rtl::TStream* AStream, double AVersion) {
  const Integer count = dxSkinReadInteger(AStream);
  // An element's data are far longer than this; the check only bounds the loop.
  if (count < 0 || count > AStream->Remaining() / 8) skinReadError();
  for (Integer i = 0; i < count; ++i) {
    const String name = dxSkinReadStringFromStream(AStream);
    Add(name)->DataRead(AStream, AVersion);
  }
}

void TdxSkinElements::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteInteger(AStream, Count());
  for (int i = 0; i < Count(); ++i) {
    dxSkinWriteStringToStream(AStream, Items(i)->Name());
    Items(i)->DataWrite(AStream);
  }
}

TdxSkinControlGroup::TdxSkinControlGroup(rtl::TPersistent* AOwner, const String& AName)
    : TdxSkinPersistent(AOwner, AName), FElements(rtl::Create<TdxSkinElements>(this)) {
  FElements->OnChange = TdxSkinChangeNotify::bind<&TdxSkinControlGroup::SubItemChanged>(this);
}

TdxSkinControlGroup::~TdxSkinControlGroup() { FElements->OnChange = nullptr; }

void TdxSkinControlGroup::DataRead(rtl::TStream* AStream, double AVersion) {
  BeginUpdate();
  struct End {
    TdxSkinControlGroup* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  FElements->DataRead(AStream, AVersion);
  Properties()->DataRead(AStream, AVersion);
}

void TdxSkinControlGroup::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteStringToStream(AStream, Name());
  FElements->DataWrite(AStream);
  Properties()->DataWrite(AStream);
}

void TdxSkinControlGroup::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinControlGroup*>(ASource);
  BeginUpdate();
  struct End {
    TdxSkinControlGroup* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  if (s) FElements->Assign(*s->FElements);
  TdxSkinPersistent::Assign(ASource);
}

void TdxSkinControlGroup::Clear() {
  TdxSkinPersistent::Clear();
  FElements->Clear();
}

void TdxSkinControlGroup::Sort(bool AChildren) {
  TdxSkinPersistent::Sort(AChildren);
  FElements->Sort(AChildren);
}

// --- details -----------------------------------------------------------------------------

TdxSkinDetails::TdxSkinDetails() {
  for (auto& icon : FIcons) {
    icon.reset(rtl::Create<TdxSmartImage>());
    icon->SetOnChange(rtl::TNotifyEvent::bind<&TdxSkinDetails::DoIconsChanged>(this));
  }
}

TdxSkinDetails::~TdxSkinDetails() {
  for (auto& icon : FIcons) icon->SetOnChange(nullptr);
}

void TdxSkinDetails::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TdxSkinDetails::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

#define DX_SKIN_DETAILS_SETTER(Name, Field) \
  void TdxSkinDetails::Name(const String& AValue) { \
    if (Field == AValue) return;            \
    Field = AValue;                         \
    Changed();                              \
  }
DX_SKIN_DETAILS_SETTER(SetName, FName)
DX_SKIN_DETAILS_SETTER(SetDisplayName, FDisplayName)
DX_SKIN_DETAILS_SETTER(SetGroupName, FGroupName)
DX_SKIN_DETAILS_SETTER(SetNotes, FNotes)
#undef DX_SKIN_DETAILS_SETTER

void TdxSkinDetails::ResetIcon(TdxSkinIconSize ASize) {
  TdxSmartImage* icon = GetIcon(ASize);
  const String name = ASize == TdxSkinIconSize::sis16 ? u"DEFAULTSKINICONSMALL" : u"DEFAULTSKINICONLARGE";
  try {
    icon->LoadFromResource(name, u"DXSKINS");
  } catch (const rtl::Exception&) {
    icon->Clear();
  }
}

void TdxSkinDetails::Clear() {
  BeginUpdate();
  struct End {
    TdxSkinDetails* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  SetName(String());
  SetNotes(String());
  SetGroupName(String());
  SetDisplayName(String());
  for (auto& icon : FIcons) icon->Clear();
}

void TdxSkinDetails::Assign(rtl::TPersistent* ASource) {
  auto* s = dynamic_cast<TdxSkinDetails*>(ASource);
  if (!s) {
    rtl::TPersistent::Assign(ASource);
    return;
  }
  BeginUpdate();
  struct End {
    TdxSkinDetails* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  SetName(s->FName);
  SetNotes(s->FNotes);
  SetGroupName(s->FGroupName);
  SetDisplayName(s->FDisplayName);
  for (int i = 0; i < 2; ++i) FIcons[i]->Assign(s->FIcons[i].get());
}

void TdxSkinDetails::DataRead(rtl::TStream* AStream, double AVersion) {
  BeginUpdate();
  struct End {
    TdxSkinDetails* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  Clear();
  SetName(dxSkinReadStringFromStream(AStream));
  if (versionAtLeast(AVersion, 1.04)) {
    SetDisplayName(dxSkinReadStringFromStream(AStream));
    SetGroupName(dxSkinReadStringFromStream(AStream));
    SetNotes(dxSkinReadWideStringFromStream(AStream));
    ReadSmartImage(AStream, FIcons[0].get());
    ReadSmartImage(AStream, FIcons[1].get());
  }
  for (TdxSkinIconSize size : {TdxSkinIconSize::sis16, TdxSkinIconSize::sis48})
    if (GetIcon(size)->Empty()) ResetIcon(size);
}

void TdxSkinDetails::DataWrite(rtl::TStream* AStream) {
  dxSkinWriteStringToStream(AStream, FName);
  dxSkinWriteStringToStream(AStream, FDisplayName);
  dxSkinWriteStringToStream(AStream, FGroupName);
  dxSkinWriteWideStringToStream(AStream, FNotes);
  WriteSmartImage(AStream, FIcons[0].get());
  WriteSmartImage(AStream, FIcons[1].get());
}

// --- start and finish ----------------------------------------------------------------------

namespace {
std::unique_ptr<TdxSkinElement>& emptyElement() {
  static std::unique_ptr<TdxSkinElement> element;
  return element;
}

struct PropertyType {
  const rtl::ClassInfo& cls;
  TdxSkinPropertyClass factory;
};

std::vector<PropertyType> propertyTypes() {
  return {{TdxSkinAlternateImageAttributes::classInfo(), &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>},
          {TdxSkinBooleanProperty::classInfo(), &dxSkinCreateProperty<TdxSkinBooleanProperty>},
          {TdxSkinColor::classInfo(), &dxSkinCreateProperty<TdxSkinColor>},
          {TdxSkinIntegerProperty::classInfo(), &dxSkinCreateProperty<TdxSkinIntegerProperty>},
          {TdxSkinRectProperty::classInfo(), &dxSkinCreateProperty<TdxSkinRectProperty>},
          {TdxSkinSizeProperty::classInfo(), &dxSkinCreateProperty<TdxSkinSizeProperty>},
          {TdxSkinStringProperty::classInfo(), &dxSkinCreateProperty<TdxSkinStringProperty>},
          {TdxSkinWideStringProperty::classInfo(), &dxSkinCreateProperty<TdxSkinWideStringProperty>}};
}
}  // namespace

TdxSkinElement* dxSkinEmptyElement() {
  auto& element = emptyElement();
  if (!element) element.reset(rtl::Create<TdxSkinEmptyElement>(nullptr, String()));
  return element.get();
}

void dxSkinsCoreInitialization() {
  dxSkinEmptyElement();
  for (const PropertyType& t : propertyTypes()) TdxSkinProperty::Register(t.cls, t.factory);
  rtl::RegisterClasses({&TdxSkinControlGroup::classInfo(), &TdxSkinElement::classInfo(), &TdxSkinImage::classInfo()});
}

void dxSkinsCoreFinalization() {
  rtl::UnRegisterClasses({&TdxSkinControlGroup::classInfo(), &TdxSkinElement::classInfo(), &TdxSkinImage::classInfo()});
  for (const PropertyType& t : propertyTypes()) TdxSkinProperty::Unregister(t.cls);
  emptyElement().reset();
}

}  // namespace core
