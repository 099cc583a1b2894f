#include "platform/db/field.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "platform/db/dataset.h"
#include "platform/db/value_conversion.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/format.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/ustring.h"

namespace db {

using rtl::Null;
using rtl::VarIsNull;
using rtl::VarIsEmpty;
using rtl::VarIsStr;

namespace {

TFieldChars charsOf(StringView chars) {
  TFieldChars set;
  for (Char c : chars)
    if (c < 256) set.set(c);
  return set;
}

TFieldChars allChars() {
  TFieldChars set;
  set.set();
  return set;
}

// The ISO forms SQLite and the wire use ("2024-03-01 10:20:30").
bool tryParseIso(StringView text, TDateTime& value) {
  static const char16_t* const pictures[] = {u"yyyy-mm-dd hh:nn:ss", u"yyyy-mm-dd hh:nn:ss.zzz",
                                             u"yyyy-mm-dd\"T\"hh:nn:ss", u"yyyy-mm-dd hh:nn",
                                             u"yyyy-mm-dd"};
  String t = rtl::Trim(text);
  for (const char16_t* p : pictures)
    if (rtl::TryParseDateTime(t, p, value)) return true;
  return false;
}

String quoted(StringView text, StringView what) {
  return u"'" + String(text) + u"' " + String(what);
}

}  // namespace

// --- TFieldDef ------------------------------------------------------------------------
TFieldDef::TFieldDef(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}

rtl::ClassRef<TField> TFieldDef::FieldClass() const { return DefaultFieldClass(dataType_); }

TField* TFieldDef::CreateField(rtl::TComponent* owner, TDataSet* dataSet) const {
  rtl::ClassRef<TField> cls = FieldClass();
  if (!cls) DatabaseErrorFmt(u"Field '%s' is of an unknown type", {name_}, dataSet);
  TField* field = cls.Create(owner);
  rtl::ScopeExit freeOnFailure([field] { field->Free(); });
  field->SetFieldName(name_);
  field->SetDataType(dataType_);
  if (size_ > 0) field->SetSize(size_);
  field->SetRequired(required_);
  field->SetReadOnly(readOnly_);
  if (auto* f = dynamic_cast<TFloatField*>(field); f && precision_ > 0) f->SetPrecision(precision_);
  if (auto* f = dynamic_cast<TBCDField*>(field); f && precision_ > 0) f->SetPrecision(precision_);
  if (auto* f = dynamic_cast<TFMTBCDField*>(field); f && precision_ > 0) f->SetPrecision(precision_);
  field->SetDataSet(dataSet);
  freeOnFailure.Release();
  return field;
}

void TFieldDef::Assign(rtl::TPersistent* source) {
  if (auto* d = dynamic_cast<TFieldDef*>(source)) {
    name_ = d->name_;
    dataType_ = d->dataType_;
    size_ = d->size_;
    precision_ = d->precision_;
    required_ = d->required_;
    readOnly_ = d->readOnly_;
    return;
  }
  rtl::TCollectionItem::Assign(source);
}

TFieldDefs::TFieldDefs(TDataSet* owner)
    : rtl::TOwnedCollection(owner, TFieldDef::classInfo()), dataSet_(owner) {}

TFieldDef* TFieldDefs::Add(const String& name, TFieldType dataType, Integer size, bool required) {
  if (name.empty()) DatabaseError(u"Field name missing", dataSet_);
  if (IndexOf(name) >= 0) DatabaseErrorFmt(u"Duplicate field name '%s'", {name}, dataSet_);
  TFieldDef* def = AddFieldDef();
  def->SetName(name);
  def->SetDataType(dataType);
  def->SetSize(size);
  def->SetRequired(required);
  return def;
}

TFieldDef* TFieldDefs::AddFieldDef() { return static_cast<TFieldDef*>(rtl::TCollection::Add()); }

TFieldDef* TFieldDefs::Items(int index) const {
  return static_cast<TFieldDef*>(rtl::TCollection::Items(index));
}

int TFieldDefs::IndexOf(StringView name) const {
  // The exact spelling, the common case, spares the locale comparison.
  for (int i = 0; i < Count(); ++i) {
    const String& n = Items(i)->Name();
    if (n == name || rtl::AnsiSameText(n, name)) return i;
  }
  return -1;
}

TFieldDef* TFieldDefs::FindDef(StringView name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : Items(i);
}

TFieldDef* TFieldDefs::Find(StringView name) const {
  TFieldDef* def = FindDef(name);
  if (!def) DatabaseErrorFmt(u"Field '%s' not found", {String(name)}, dataSet_);
  return def;
}

rtl::ClassRef<TField> DefaultFieldClass(TFieldType type) {
  using R = rtl::ClassRef<TField>;
  switch (type) {
    case ftString: case ftFixedChar: return R::of<TStringField>();
    case ftWideString: case ftFixedWideChar: return R::of<TWideStringField>();
    case ftGuid: return R::of<TGuidField>();
    case ftSmallint: return R::of<TSmallintField>();
    case ftShortint: return R::of<TShortintField>();
    case ftByte: return R::of<TByteField>();
    case ftInteger: return R::of<TIntegerField>();
    case ftWord: return R::of<TWordField>();
    case ftLongWord: return R::of<TLongWordField>();
    case ftAutoInc: return R::of<TAutoIncField>();
    case ftLargeint: return R::of<TLargeintField>();
    case ftBoolean: return R::of<TBooleanField>();
    case ftFloat: return R::of<TFloatField>();
    case ftCurrency: return R::of<TCurrencyField>();
    case ftSingle: return R::of<TSingleField>();
    case ftExtended: return R::of<TExtendedField>();
    case ftBCD: return R::of<TBCDField>();
    case ftFMTBcd: return R::of<TFMTBCDField>();
    case ftDate: return R::of<TDateField>();
    case ftTime: return R::of<TTimeField>();
    case ftDateTime: return R::of<TDateTimeField>();
    case ftTimeStamp: case ftOraTimeStamp: case ftTimeStampOffset:
      return R::of<TSQLTimeStampField>();
    case ftBytes: return R::of<TBytesField>();
    case ftVarBytes: return R::of<TVarBytesField>();
    case ftBlob: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
    case ftOraBlob:
      return R::of<TBlobField>();
    case ftMemo: return R::of<TMemoField>();
    case ftOraClob: case ftWideMemo: return R::of<TWideMemoField>();
    case ftGraphic: return R::of<TGraphicField>();
    case ftVariant: return R::of<TVariantField>();
    default: return nullptr;
  }
}

// --- TField ---------------------------------------------------------------------------
TField::TField(rtl::TComponent* owner) : rtl::TComponent(owner), validChars_(allChars()) {}

TField::~TField() {
  if (dataSet_) dataSet_->removeField(this);
}

void TField::SetDataSet(TDataSet* value) {
  if (value == dataSet_) return;
  if (dataSet_ && dataSet_->Active()) DatabaseError(u"Cannot perform this operation on an open dataset", dataSet_);
  if (value && value->Active()) DatabaseError(u"Cannot perform this operation on an open dataset", value);
  if (value) value->Fields()->CheckFieldName(fieldName_);
  if (dataSet_) dataSet_->removeField(this);
  dataSet_ = nullptr;
  if (value) value->addField(this);
}

void TField::SetFieldName(const String& value) {
  if (rtl::SameStr(value, fieldName_)) return;
  if (dataSet_ && !rtl::AnsiSameText(value, fieldName_)) dataSet_->Fields()->CheckFieldName(value);
  fieldName_ = value;
  if (dataSet_) dataSet_->fieldListChanged();
}

void TField::SetFieldKind(TFieldKind value) {
  if (value == fieldKind_) return;
  if (dataSet_ && dataSet_->Active()) DatabaseError(u"Cannot perform this operation on an open dataset", dataSet_);
  fieldKind_ = value;
}

int TField::Index() const { return dataSet_ ? dataSet_->Fields()->IndexOf(this) : -1; }

void TField::SetIndex(int value) {
  if (!dataSet_) return;
  int cur = Index();
  int count = dataSet_->Fields()->Count();
  value = std::clamp(value, 0, count - 1);
  if (cur != value) {
    dataSet_->Fields()->Move(cur, value);
    LayoutChanged();
  }
}

String TField::DisplayLabel() const {
  if (!displayLabel_.empty()) return displayLabel_;
  if (dataSet_ && dataSet_->UpperCaseDisplayLabels()) return rtl::AnsiUpperCase(fieldName_);
  return fieldName_;
}

Integer TField::DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth(); }

void TField::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  LayoutChanged();
}

void TField::SetDisplayLabel(const String& value) {
  if (displayLabel_ == value) return;
  displayLabel_ = value;
  LayoutChanged();
}

void TField::SetDisplayWidth(Integer value) {
  if (displayWidth_ == value) return;
  displayWidth_ = value;
  LayoutChanged();
}

void TField::LayoutChanged() {
  if (dataSet_ && dataSet_->Active()) dataSet_->DataEvent(deLayoutChange, 0);
}

bool TField::CanModify() const {
  if (readOnly_) return false;
  if (fieldKind_ != fkData && fieldKind_ != fkInternalCalc) return false;
  return dataSet_ && dataSet_->CanModify();
}

bool TField::IsValidChar(Char c) const {
  if (c > 255) return !Is<TNumericField>();
  return validChars_.test(c);
}

void TField::SetLookupDataSet(TDataSet* value) {
  if (value == lookupDataSet_) return;
  if (value && value == dataSet_) DatabaseError(u"Circular datalinks are not allowed", dataSet_);
  if (lookupDataSet_) RemoveFreeNotification(lookupDataSet_);
  lookupDataSet_ = value;
  if (value) FreeNotification(value);
}

void TField::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  rtl::TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == lookupDataSet_) lookupDataSet_ = nullptr;
}

const rtl::TFormatSettings& TField::Settings() const {
  return dataSet_ ? dataSet_->FormatSettings() : rtl::FormatSettings();
}

void TField::AccessError(StringView typeName) const {
  DatabaseErrorFmt(u"Cannot access field '%s' as type %s", {DisplayName(), typeName});
}

Variant TField::GetData() const {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", {DisplayName()});
  return dataSet_->fieldValue(this);
}

void TField::SetData(const Variant& value) {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", {DisplayName()});
  dataSet_->setFieldValue(this, value);
}

void TField::SetStoredData(Variant&& stored) {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", {DisplayName()});
  dataSet_->setStoredFieldValue(this, std::move(stored));
}

Variant TField::OldValue() const {
  if (!dataSet_) DatabaseErrorFmt(u"Field '%s' has no dataset", {DisplayName()});
  return dataSet_->oldFieldValue(this);
}

bool TField::IsNull() const { return isNullValue(GetData()); }

void TField::FocusControl() {
  if (dataSet_) dataSet_->FocusControl(this);
}

void TField::SetAsVariant(const Variant& value) {
  if (isNullValue(value)) {
    SetData(Null());
    return;
  }
  if (VarIsStr(value) && rtl::VarToStr(value).empty() && dataSet_ && dataSet_->EmptyTextAsNull()) {
    SetData(Null());
    return;
  }
  SetVarValue(value);
}

void TField::SetAsString(const String& value) {
  if (value.empty() && (!dataSet_ || dataSet_->EmptyTextAsNull())) {
    SetData(Null());
    return;
  }
  SetAsStringImpl(value);
}

void TField::SetAsString(String&& value) {
  if (value.empty() && (!dataSet_ || dataSet_->EmptyTextAsNull())) {
    SetData(Null());
    return;
  }
  TakeAsString(std::move(value));
}

String TField::Text() const {
  String text;
  if (onGetText_) {
    onGetText_(const_cast<TField*>(this), text, false);
    return text;
  }
  return GetText(false);
}

void TField::SetText(const String& value) {
  if (onSetText_)
    onSetText_(this, value);
  else
    SetAsString(value);
}

String TField::DisplayText() const {
  String text;
  if (onGetText_) {
    onGetText_(const_cast<TField*>(this), text, true);
    return text;
  }
  return GetText(true);
}

String TField::GetText(bool) const { return IsNull() ? String() : GetAsString(); }

Variant TField::GetAsVariant() const {
  Variant v = GetData();
  return isNullValue(v) ? Null() : v;
}
String TField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::VarToStr(v, Settings());
}
Integer TField::GetAsInteger() const { AccessError(u"Integer"); }
Int64 TField::GetAsLargeInt() const { AccessError(u"LargeInt"); }
double TField::GetAsFloat() const { AccessError(u"Float"); }
Currency TField::GetAsCurrency() const { AccessError(u"Currency"); }
TDateTime TField::GetAsDateTime() const { AccessError(u"DateTime"); }
bool TField::GetAsBoolean() const { AccessError(u"Boolean"); }
rtl::TBcd TField::GetAsBCD() const {
  Variant v = GetData();
  if (isNullValue(v)) return rtl::TBcd{};
  return rtl::StrToBcd(rtl::VarToStr(v, Settings()), Settings());
}
rtl::TSQLTimeStamp TField::GetAsSQLTimeStamp() const {
  Variant v = GetData();
  if (isNullValue(v)) return rtl::TSQLTimeStamp{};
  return rtl::DateTimeToSQLTimeStamp(GetAsDateTime());
}
std::string TField::GetAsBytes() const {
  Variant v = GetData();
  return isNullValue(v) ? std::string() : rtl::StringToUtf8(GetAsString());
}
void TField::SetAsStringImpl(const String&) { AccessError(u"String"); }
void TField::SetAsIntegerImpl(Integer) { AccessError(u"Integer"); }
void TField::SetAsLargeIntImpl(Int64) { AccessError(u"LargeInt"); }
void TField::SetAsFloatImpl(double) { AccessError(u"Float"); }
void TField::SetAsCurrencyImpl(Currency) { AccessError(u"Currency"); }
void TField::SetAsDateTimeImpl(TDateTime) { AccessError(u"DateTime"); }
void TField::SetAsBooleanImpl(bool) { AccessError(u"Boolean"); }
void TField::SetAsBCDImpl(const rtl::TBcd& value) { SetAsStringImpl(rtl::BcdToStr(value, Settings())); }
void TField::SetAsSQLTimeStampImpl(const rtl::TSQLTimeStamp& value) {
  SetAsDateTimeImpl(rtl::SQLTimeStampToDateTime(value));
}
void TField::SetAsBytesImpl(const std::string&) { AccessError(u"Bytes"); }
void TField::SetVarValue(const Variant& value) { SetAsStringImpl(rtl::VarToStr(value, Settings())); }

void TField::Assign(rtl::TPersistent* source) {
  if (!source) {
    Clear();
    return;
  }
  if (auto* f = dynamic_cast<TField*>(source)) {
    SetAsVariant(f->AsVariant());
    return;
  }
  rtl::TComponent::Assign(source);
}

// --- TStringField -------------------------------------------------------------------
TStringField::TStringField(rtl::TComponent* owner) : TField(owner) {
  SetDataType(ftString);
  SetSize(20);
}
String TStringField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::VarToStr(v, Settings());
}
Integer TStringField::GetAsInteger() const { return rtl::StrToInt(rtl::Trim(GetAsString())); }
Int64 TStringField::GetAsLargeInt() const { return rtl::StrToInt64(rtl::Trim(GetAsString())); }
double TStringField::GetAsFloat() const { return rtl::StrToFloat(GetAsString(), Settings()); }
TDateTime TStringField::GetAsDateTime() const {
  String text = GetAsString();
  TDateTime value;
  if (tryParseIso(text, value) || rtl::TryStrToDateTime(text, value, Settings())) return value;
  throw rtl::EConvertError(quoted(text, u"is not a valid date and time"));
}
bool TStringField::GetAsBoolean() const { return rtl::StrToBool(GetAsString()); }
// The text fields whose storage form of a String is the String itself
// (ToStorage keeps it as given): their text is stored without a copy for
// ToStorage to make. A descendant may convert text its own way.
bool TStringField::storesTextAsGiven() const {
  // The type is final once constructed: asked once, not per value.
  if (textAsGiven_ < 0)
    textAsGiven_ = typeid(*this) == typeid(TStringField) || typeid(*this) == typeid(TWideStringField);
  return textAsGiven_ != 0;
}
void TStringField::SetAsStringImpl(const String& value) {
  if (storesTextAsGiven())
    SetStoredData(Variant(value));
  else
    SetData(Variant(value));
}
void TStringField::TakeAsString(String&& value) {
  // A descendant with a SetAsStringImpl of its own gets the text there.
  if (!storesTextAsGiven()) {
    SetAsStringImpl(value);
    return;
  }
  SetStoredData(Variant(std::move(value)));
}
void TStringField::SetAsIntegerImpl(Integer value) { SetAsString(rtl::IntToStr(value)); }
void TStringField::SetAsLargeIntImpl(Int64 value) { SetAsString(rtl::IntToStr(value)); }
void TStringField::SetAsFloatImpl(double value) { SetAsString(rtl::FloatToStr(value, Settings())); }
void TStringField::SetAsDateTimeImpl(TDateTime value) { SetAsString(rtl::DateTimeToStr(value, Settings())); }
void TStringField::SetAsBooleanImpl(bool value) { SetAsString(value ? u"True" : u"False"); }
Variant TStringField::ToStorage(const Variant& value) const {
  // Text is kept as given.
  if (rtl::VarType(value) == rtl::varUString) return value;
  if (isNullValue(value)) return Null();
  return Variant(rtl::VarToStr(value, Settings()));
}
String TStringField::GetText(bool) const { return GetAsString(); }

TWideStringField::TWideStringField(rtl::TComponent* owner) : TStringField(owner) {
  SetDataType(ftWideString);
}
TGuidField::TGuidField(rtl::TComponent* owner) : TStringField(owner) {
  SetDataType(ftGuid);
  SetSize(38);
}

// --- TNumericField -------------------------------------------------------------------
TNumericField::TNumericField(rtl::TComponent* owner) : TField(owner) {
  SetAlignment(taRightJustify);
  SetValidChars(charsOf(u"+-0123456789"));
}

// --- TIntegerField -------------------------------------------------------------------
TIntegerField::TIntegerField(rtl::TComponent* owner) : TNumericField(owner) {
  SetDataType(ftInteger);
}

void TIntegerField::SetRange(Int64 minLimit, Int64 maxLimit) {
  minLimit_ = minLimit;
  maxLimit_ = maxLimit;
}

Variant TIntegerField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  Int64 v;
  const rtl::TVarType type = rtl::VarType(value);
  if (type == rtl::varInteger || type == rtl::varInt64) {
    // The setters' own values: no text or rounding to go through.
    v = value.AsInt64();
  } else if (VarIsStr(value)) {
    String text = rtl::Trim(rtl::VarToStr(value));
    if (!rtl::TryStrToInt64(text, v)) throw rtl::EConvertError(quoted(text, u"is not a valid integer value"));
  } else if (rtl::VarIsFloat(value) || type == rtl::varDate) {
    double d = value.AsDouble(Settings());
    if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18)
      throw rtl::EConvertError(quoted(rtl::FloatToStr(d, Settings()), u"is not a valid integer value"));
    v = static_cast<Int64>(std::llround(d));
  } else {
    v = value.AsInt64(Settings());
  }
  Int64 lo = minLimit_, hi = maxLimit_;
  if (minValue_ != 0 || maxValue_ != 0) {
    lo = std::max(lo, minValue_);
    hi = std::min(hi, maxValue_);
  }
  if (v < lo || v > hi)
    DatabaseErrorFmt(u"%d is not a valid value for field '%s'. The allowed range is %d to %d",
                     {v, DisplayName(), lo, hi});
  switch (ValueVarType()) {
    case rtl::varInt64: return Variant(static_cast<long long>(v));
    case rtl::varSmallint: return Variant(static_cast<short>(v));
    case rtl::varShortInt: return Variant(static_cast<signed char>(v));
    case rtl::varByte: return Variant(static_cast<unsigned char>(v));
    case rtl::varWord: return Variant(static_cast<unsigned short>(v));
    case rtl::varLongWord: return Variant(static_cast<unsigned int>(v));
    default: return Variant(static_cast<int>(v));
  }
}

Variant TIntegerField::GetAsVariant() const { return TField::GetAsVariant(); }
String TIntegerField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::IntToStr(v.AsInt64());
}
Integer TIntegerField::GetAsInteger() const {
  Variant v = GetData();
  return isNullValue(v) ? 0 : v.AsInteger();
}
Int64 TIntegerField::GetAsLargeInt() const {
  Variant v = GetData();
  return isNullValue(v) ? 0 : v.AsInt64();
}
double TIntegerField::GetAsFloat() const { return static_cast<double>(GetAsLargeInt()); }
Currency TIntegerField::GetAsCurrency() const { return Currency::FromScaled(GetAsLargeInt() * 10000); }
bool TIntegerField::GetAsBoolean() const { return GetAsLargeInt() != 0; }
void TIntegerField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TIntegerField::SetAsIntegerImpl(Integer value) { SetStoredData(ToStorage(Variant(value))); }
void TIntegerField::SetAsLargeIntImpl(Int64 value) { SetStoredData(ToStorage(Variant(static_cast<long long>(value)))); }
void TIntegerField::SetAsFloatImpl(double value) { SetStoredData(ToStorage(Variant(value))); }
void TIntegerField::SetAsCurrencyImpl(Currency value) { SetStoredData(ToStorage(Variant(value))); }
void TIntegerField::SetAsBooleanImpl(bool value) { SetStoredData(ToStorage(Variant(value ? 1 : 0))); }
void TIntegerField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TIntegerField::GetText(bool displayText) const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return rtl::FormatFloat(fmt, static_cast<double>(v.AsInt64()), Settings());
  return rtl::IntToStr(v.AsInt64());
}

TSmallintField::TSmallintField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftSmallint);
  SetRange(-32768, 32767);
}
TShortintField::TShortintField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftShortint);
  SetRange(-128, 127);
}
TByteField::TByteField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftByte);
  SetRange(0, 255);
}
TWordField::TWordField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftWord);
  SetRange(0, 65535);
}
TLongWordField::TLongWordField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftLongWord);
  SetRange(0, 4294967295LL);
}
TAutoIncField::TAutoIncField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftAutoInc);
}
TLargeintField::TLargeintField(rtl::TComponent* owner) : TIntegerField(owner) {
  SetDataType(ftLargeint);
  SetRange(INT64_MIN, INT64_MAX);
}

// --- TFloatField ------------------------------------------------------------------------
TFloatField::TFloatField(rtl::TComponent* owner) : TNumericField(owner) {
  SetDataType(ftFloat);
  SetValidChars(charsOf(u"+-0123456789.,Ee"));
}

Variant TFloatField::ToStorage(const Variant& value) const {
  const bool isDouble = rtl::VarType(value) == rtl::varDouble;
  if (!isDouble && isNullValue(value)) return Null();
  const double d = isDouble ? value.AsDouble() : floatFromVariant(value, Settings());
  if ((minValue_ != 0 || maxValue_ != 0) && (d < minValue_ || d > maxValue_))
    DatabaseErrorFmt(u"%g is not a valid value for field '%s'. The allowed range is %g to %g",
                     {d, DisplayName(), minValue_, maxValue_});
  return isDouble ? value : Variant(d);
}

Variant TFloatField::GetAsVariant() const { return TField::GetAsVariant(); }
String TFloatField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::FloatToStr(v.AsDouble(), Settings());
}
Integer TFloatField::GetAsInteger() const { return static_cast<Integer>(std::llround(GetAsFloat())); }
Int64 TFloatField::GetAsLargeInt() const { return static_cast<Int64>(std::llround(GetAsFloat())); }
double TFloatField::GetAsFloat() const {
  Variant v = GetData();
  return isNullValue(v) ? 0.0 : v.AsDouble();
}
db::Currency TFloatField::GetAsCurrency() const { return db::Currency::FromDouble(GetAsFloat()); }
void TFloatField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TFloatField::SetAsIntegerImpl(Integer value) { SetStoredData(ToStorage(Variant(static_cast<double>(value)))); }
void TFloatField::SetAsLargeIntImpl(Int64 value) { SetStoredData(ToStorage(Variant(static_cast<double>(value)))); }
void TFloatField::SetAsFloatImpl(double value) { SetStoredData(ToStorage(Variant(value))); }
void TFloatField::SetAsCurrencyImpl(db::Currency value) { SetStoredData(ToStorage(Variant(value.ToDouble()))); }
void TFloatField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TFloatField::GetText(bool displayText) const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  double d = v.AsDouble();
  const rtl::TFormatSettings& fs = Settings();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return rtl::FormatFloat(fmt, d, fs);
  if (displayText && currency_)
    return rtl::FloatToStrF(d, rtl::TFloatFormat::ffCurrency, precision_, fs.CurrencyDecimals, fs);
  return rtl::FloatToStrF(d, rtl::TFloatFormat::ffGeneral, precision_, 0, fs);
}

TCurrencyField::TCurrencyField(rtl::TComponent* owner) : TFloatField(owner) {
  SetDataType(ftCurrency);
  SetCurrency(true);
}
TSingleField::TSingleField(rtl::TComponent* owner) : TFloatField(owner) {
  SetDataType(ftSingle);
  SetPrecision(7);
}
Variant TSingleField::GetAsVariant() const {
  Variant v = GetData();
  return isNullValue(v) ? Null() : Variant(static_cast<float>(v.AsDouble()));
}
TExtendedField::TExtendedField(rtl::TComponent* owner) : TFloatField(owner) {
  SetDataType(ftExtended);
  SetPrecision(18);
}

// --- TBCDField ---------------------------------------------------------------------------
TBCDField::TBCDField(rtl::TComponent* owner) : TNumericField(owner) {
  SetDataType(ftBCD);
  SetSize(4);
  SetValidChars(charsOf(u"+-0123456789.,"));
}
Variant TBCDField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  return Variant(currencyFromVariant(value, Settings()));
}
Variant TBCDField::GetAsVariant() const { return TField::GetAsVariant(); }
String TBCDField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::CurrToStr(v.AsCurrency(), Settings());
}
Integer TBCDField::GetAsInteger() const { return static_cast<Integer>(std::llround(GetAsFloat())); }
Int64 TBCDField::GetAsLargeInt() const { return static_cast<Int64>(std::llround(GetAsFloat())); }
double TBCDField::GetAsFloat() const { return GetAsCurrency().ToDouble(); }
db::Currency TBCDField::GetAsCurrency() const {
  Variant v = GetData();
  return isNullValue(v) ? db::Currency{} : v.AsCurrency();
}
rtl::TBcd TBCDField::GetAsBCD() const { return rtl::CurrToBcd(GetAsCurrency()); }
void TBCDField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TBCDField::SetAsIntegerImpl(Integer value) { SetStoredData(ToStorage(Variant(value))); }
void TBCDField::SetAsLargeIntImpl(Int64 value) { SetStoredData(ToStorage(Variant(static_cast<long long>(value)))); }
void TBCDField::SetAsFloatImpl(double value) { SetStoredData(ToStorage(Variant(value))); }
void TBCDField::SetAsCurrencyImpl(db::Currency value) { SetData(Variant(value)); }
void TBCDField::SetAsBCDImpl(const rtl::TBcd& value) { SetData(Variant(rtl::BcdToCurr(value))); }
void TBCDField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TBCDField::GetText(bool displayText) const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  db::Currency c = v.AsCurrency();
  const rtl::TFormatSettings& fs = Settings();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  if (!fmt.empty()) return rtl::FormatCurr(fmt, c, fs);
  if (displayText && currency_) return rtl::CurrToStrF(c, rtl::TFloatFormat::ffCurrency, fs.CurrencyDecimals, fs);
  return rtl::CurrToStr(c, fs);
}

// --- TFMTBCDField ---------------------------------------------------------------------
TFMTBCDField::TFMTBCDField(rtl::TComponent* owner) : TNumericField(owner) {
  SetDataType(ftFMTBcd);
  SetSize(8);
  SetValidChars(charsOf(u"+-0123456789.,"));
}
Variant TFMTBCDField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  if (rtl::VarIsFMTBcd(value)) return value;
  if (VarIsStr(value)) return rtl::VarFMTBcdCreate(bcdFromText(value, Settings()));
  if (rtl::VarIsOrdinal(value))
    return rtl::VarFMTBcdCreate(rtl::StrToBcd(rtl::IntToStr(value.AsInt64()), rtl::TFormatSettings::Invariant()));
  if (rtl::VarType(value) == rtl::varCurrency) return rtl::VarFMTBcdCreate(rtl::CurrToBcd(value.AsCurrency()));
  return rtl::VarFMTBcdCreate(rtl::DoubleToBcd(value.AsDouble(Settings())));
}
Variant TFMTBCDField::GetAsVariant() const { return TField::GetAsVariant(); }
String TFMTBCDField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::BcdToStr(rtl::VarToBcd(v), Settings());
}
Integer TFMTBCDField::GetAsInteger() const { return static_cast<Integer>(std::llround(GetAsFloat())); }
Int64 TFMTBCDField::GetAsLargeInt() const { return static_cast<Int64>(std::llround(GetAsFloat())); }
double TFMTBCDField::GetAsFloat() const {
  Variant v = GetData();
  return isNullValue(v) ? 0.0 : rtl::BcdToDouble(rtl::VarToBcd(v));
}
db::Currency TFMTBCDField::GetAsCurrency() const {
  Variant v = GetData();
  return isNullValue(v) ? db::Currency{} : rtl::BcdToCurr(rtl::VarToBcd(v));
}
rtl::TBcd TFMTBCDField::GetAsBCD() const {
  Variant v = GetData();
  return isNullValue(v) ? rtl::TBcd{} : rtl::VarToBcd(v);
}
void TFMTBCDField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TFMTBCDField::SetAsIntegerImpl(Integer value) { SetStoredData(ToStorage(Variant(value))); }
void TFMTBCDField::SetAsLargeIntImpl(Int64 value) { SetStoredData(ToStorage(Variant(static_cast<long long>(value)))); }
void TFMTBCDField::SetAsFloatImpl(double value) { SetStoredData(ToStorage(Variant(value))); }
void TFMTBCDField::SetAsCurrencyImpl(db::Currency value) { SetStoredData(ToStorage(Variant(value))); }
void TFMTBCDField::SetAsBCDImpl(const rtl::TBcd& value) { SetData(rtl::VarFMTBcdCreate(value)); }
void TFMTBCDField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TFMTBCDField::GetText(bool displayText) const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  const rtl::TFormatSettings& fs = Settings();
  const String& fmt = displayText ? DisplayFormat() : EditFormat();
  rtl::TBcd bcd = rtl::VarToBcd(v);
  if (!fmt.empty()) return rtl::FormatFloat(fmt, rtl::BcdToDouble(bcd), fs);
  if (displayText && currency_)
    return rtl::FloatToStrF(rtl::BcdToDouble(bcd), rtl::TFloatFormat::ffCurrency, 18, fs.CurrencyDecimals, fs);
  return rtl::BcdToStr(bcd, fs);
}

// --- TBooleanField -----------------------------------------------------------------------
TBooleanField::TBooleanField(rtl::TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }
String TBooleanField::trueText() const {
  if (displayValues_.empty()) return u"True";
  size_t p = displayValues_.find(u';');
  return p == String::npos ? displayValues_ : displayValues_.substr(0, p);
}
String TBooleanField::falseText() const {
  if (displayValues_.empty()) return u"False";
  size_t p = displayValues_.find(u';');
  return p == String::npos ? String() : displayValues_.substr(p + 1);
}
Variant TBooleanField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  if (VarIsStr(value)) {
    String text = rtl::Trim(rtl::VarToStr(value));
    String t = trueText(), f = falseText();
    if (!text.empty()) {
      if (rtl::AnsiSameText(text, t) || (!t.empty() && rtl::StartsText(text, t))) return Variant(true);
      if (rtl::AnsiSameText(text, f) || (!f.empty() && rtl::StartsText(text, f))) return Variant(false);
    }
    bool b;
    if (rtl::TryStrToBool(text, b)) return Variant(b);
    throw rtl::EConvertError(quoted(text, u"is not a valid boolean value"));
  }
  return Variant(value.AsBoolean(Settings()));
}
Variant TBooleanField::GetAsVariant() const { return TField::GetAsVariant(); }
String TBooleanField::GetAsString() const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  return v.AsBoolean() ? trueText() : falseText();
}
bool TBooleanField::GetAsBoolean() const {
  Variant v = GetData();
  return isNullValue(v) ? false : v.AsBoolean();
}
Integer TBooleanField::GetAsInteger() const { return GetAsBoolean() ? 1 : 0; }
void TBooleanField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TBooleanField::SetAsBooleanImpl(bool value) { SetData(Variant(value)); }
void TBooleanField::SetAsIntegerImpl(Integer value) { SetData(Variant(value != 0)); }
void TBooleanField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TBooleanField::GetText(bool) const { return GetAsString(); }

// --- date and time ---------------------------------------------------------------------
TDateTimeField::TDateTimeField(rtl::TComponent* owner) : TField(owner) {
  SetDataType(ftDateTime);
  SetValidChars(charsOf(u"0123456789/-:. APMapm"));
}
String TDateTimeField::DefaultFormat() const { return u"c"; }
TDateTime TDateTimeField::ParseText(const String& value) const {
  TDateTime v;
  String text = rtl::Trim(value);
  if (rtl::TryStrToDateTime(text, v, Settings()) || tryParseIso(text, v)) return v;
  throw rtl::EConvertError(quoted(value, u"is not a valid date and time"));
}
Variant TDateTimeField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  if (VarIsStr(value)) return Variant::FromDateTime(ParseText(rtl::VarToStr(value)));
  return Variant::FromDateTime(dateTimeFromNonText(value, Settings()));
}
Variant TDateTimeField::GetAsVariant() const { return TField::GetAsVariant(); }
String TDateTimeField::GetAsString() const { return GetText(false); }
TDateTime TDateTimeField::GetAsDateTime() const {
  Variant v = GetData();
  return isNullValue(v) ? 0.0 : v.AsDateTime();
}
double TDateTimeField::GetAsFloat() const { return GetAsDateTime(); }
rtl::TSQLTimeStamp TDateTimeField::GetAsSQLTimeStamp() const {
  Variant v = GetData();
  return isNullValue(v) ? rtl::TSQLTimeStamp{} : rtl::DateTimeToSQLTimeStamp(v.AsDateTime());
}
void TDateTimeField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TDateTimeField::SetAsDateTimeImpl(TDateTime value) { SetStoredData(ToStorage(Variant::FromDateTime(value))); }
void TDateTimeField::SetAsFloatImpl(double value) { SetStoredData(ToStorage(Variant::FromDateTime(value))); }
void TDateTimeField::SetAsSQLTimeStampImpl(const rtl::TSQLTimeStamp& value) {
  SetStoredData(ToStorage(Variant::FromDateTime(rtl::SQLTimeStampToDateTime(value))));
}
void TDateTimeField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TDateTimeField::GetText(bool displayText) const {
  Variant v = GetData();
  if (isNullValue(v)) return String();
  String fmt = displayText && !displayFormat_.empty() ? displayFormat_ : DefaultFormat();
  return rtl::FormatDateTime(fmt, v.AsDateTime(), Settings());
}

TDateField::TDateField(rtl::TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }
String TDateField::DefaultFormat() const { return Settings().ShortDateFormat; }
TDateTime TDateField::ParseText(const String& value) const {
  TDateTime v;
  String text = rtl::Trim(value);
  if (rtl::TryStrToDate(text, v, Settings()) || tryParseIso(text, v)) return std::trunc(v);
  throw rtl::EConvertError(quoted(value, u"is not a valid date"));
}
Variant TDateField::ToStorage(const Variant& value) const {
  Variant v = TDateTimeField::ToStorage(value);
  return isNullValue(v) ? v : Variant::FromDateTime(std::trunc(v.AsDateTime()));
}

TTimeField::TTimeField(rtl::TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }
String TTimeField::DefaultFormat() const { return Settings().LongTimeFormat; }
TDateTime TTimeField::ParseText(const String& value) const {
  TDateTime v;
  if (rtl::TryStrToTime(rtl::Trim(value), v, Settings())) return v;
  throw rtl::EConvertError(quoted(value, u"is not a valid time"));
}
Variant TTimeField::ToStorage(const Variant& value) const {
  Variant v = TDateTimeField::ToStorage(value);
  if (isNullValue(v)) return v;
  double d = v.AsDateTime();
  return Variant::FromDateTime(std::fabs(d - std::trunc(d)));
}

TSQLTimeStampField::TSQLTimeStampField(rtl::TComponent* owner) : TDateTimeField(owner) {
  SetDataType(ftTimeStamp);
}
Variant TSQLTimeStampField::GetAsVariant() const {
  Variant v = GetData();
  return isNullValue(v) ? Null() : rtl::VarSQLTimeStampCreate(v.AsDateTime());
}

// --- TVariantField -----------------------------------------------------------------------
TVariantField::TVariantField(rtl::TComponent* owner) : TField(owner) { SetDataType(ftVariant); }
Variant TVariantField::GetAsVariant() const { return TField::GetAsVariant(); }
String TVariantField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::VarToStr(v, Settings());
}
Integer TVariantField::GetAsInteger() const { return GetData().AsInteger(Settings()); }
Int64 TVariantField::GetAsLargeInt() const { return GetData().AsInt64(Settings()); }
double TVariantField::GetAsFloat() const { return GetData().AsDouble(Settings()); }
db::Currency TVariantField::GetAsCurrency() const { return GetData().AsCurrency(Settings()); }
TDateTime TVariantField::GetAsDateTime() const { return GetData().AsDateTime(Settings()); }
bool TVariantField::GetAsBoolean() const { return GetData().AsBoolean(Settings()); }
void TVariantField::SetAsStringImpl(const String& value) { SetData(Variant(value)); }
void TVariantField::SetAsIntegerImpl(Integer value) { SetData(Variant(value)); }
void TVariantField::SetAsLargeIntImpl(Int64 value) { SetData(Variant(static_cast<long long>(value))); }
void TVariantField::SetAsFloatImpl(double value) { SetData(Variant(value)); }
void TVariantField::SetAsCurrencyImpl(db::Currency value) { SetData(Variant(value)); }
void TVariantField::SetAsDateTimeImpl(TDateTime value) { SetData(Variant::FromDateTime(value)); }
void TVariantField::SetAsBooleanImpl(bool value) { SetData(Variant(value)); }
void TVariantField::SetVarValue(const Variant& value) { SetData(value); }

// --- binary --------------------------------------------------------------------------------
TBinaryField::TBinaryField(rtl::TComponent* owner) : TField(owner) {}
Variant TBinaryField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  if (rtl::VarType(value) == rtl::varString) return value;
  if (VarIsStr(value)) return Variant::FromAnsiString(rtl::StringToAnsi(rtl::VarToStr(value)));
  if (rtl::VarIsArray(value)) {
    std::string bytes;
    for (int i = rtl::VarArrayLowBound(value, 1); i <= rtl::VarArrayHighBound(value, 1); ++i)
      bytes.push_back(static_cast<char>(rtl::VarArrayGet(value, i).AsInteger()));
    return Variant::FromAnsiString(std::move(bytes));
  }
  return Variant::FromAnsiString(value.AsAnsiString(Settings()));
}
Variant TBinaryField::GetAsVariant() const { return TField::GetAsVariant(); }
String TBinaryField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::AnsiToString(v.AsAnsiString());
}
std::string TBinaryField::GetAsBytes() const {
  Variant v = GetData();
  return isNullValue(v) ? std::string() : v.AsAnsiString();
}
void TBinaryField::SetAsStringImpl(const String& value) { SetStoredData(ToStorage(Variant(value))); }
void TBinaryField::SetAsBytesImpl(const std::string& value) { SetData(Variant::FromAnsiString(value)); }
void TBinaryField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TBinaryField::GetText(bool) const { return IsNull() ? u"(bytes)" : u"(BYTES)"; }

TBytesField::TBytesField(rtl::TComponent* owner) : TBinaryField(owner) {
  SetDataType(ftBytes);
  SetSize(16);
}
TVarBytesField::TVarBytesField(rtl::TComponent* owner) : TBytesField(owner) {
  SetDataType(ftVarBytes);
}

TBlobField::TBlobField(rtl::TComponent* owner) : TBinaryField(owner) { SetDataType(ftBlob); }
Integer TBlobField::BlobSize() const { return static_cast<Integer>(GetAsBytes().size()); }
String TBlobField::GetText(bool) const { return IsNull() ? u"(blob)" : u"(BLOB)"; }

TMemoField::TMemoField(rtl::TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }
Variant TMemoField::ToStorage(const Variant& value) const {
  if (isNullValue(value)) return Null();
  return Variant(rtl::VarToStr(value, Settings()));
}
Variant TMemoField::GetAsVariant() const { return TField::GetAsVariant(); }
String TMemoField::GetAsString() const {
  Variant v = GetData();
  return isNullValue(v) ? String() : rtl::VarToStr(v, Settings());
}
void TMemoField::SetAsStringImpl(const String& value) { SetData(Variant(value)); }
void TMemoField::SetVarValue(const Variant& value) { SetStoredData(ToStorage(value)); }
String TMemoField::GetText(bool displayText) const {
  if (!displayText) return GetAsString();
  return IsNull() ? u"(memo)" : u"(MEMO)";
}

TWideMemoField::TWideMemoField(rtl::TComponent* owner) : TMemoField(owner) { SetDataType(ftWideMemo); }
String TWideMemoField::GetText(bool displayText) const {
  if (!displayText) return GetAsString();
  return IsNull() ? u"(widememo)" : u"(WIDEMEMO)";
}

TGraphicField::TGraphicField(rtl::TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }
String TGraphicField::GetText(bool) const { return IsNull() ? u"(graphic)" : u"(GRAPHIC)"; }

TAggregateField::TAggregateField(rtl::TComponent* owner) : TField(owner) {
  SetFieldKind(fkAggregate);
  SetDataType(ftUnknown);
}
String TAggregateField::GetText(bool displayText) const {
  if (isNullValue(value_)) return String();
  const rtl::TFormatSettings& fs = Settings();
  if (rtl::VarIsNumeric(value_)) {
    double d = value_.AsDouble();
    if (displayText && !displayFormat_.empty()) return rtl::FormatFloat(displayFormat_, d, fs);
    if (displayText && currency_)
      return rtl::FloatToStrF(d, rtl::TFloatFormat::ffCurrency, 15, fs.CurrencyDecimals, fs);
  }
  return rtl::VarToStr(value_, fs);
}

// --- TFields ------------------------------------------------------------------------------
TFields::~TFields() = default;

TField* TFields::Fields(int index) const {
  if (index < 0 || index >= Count()) rtl::ListIndexError(index);
  return fields_[static_cast<size_t>(index)];
}

int TFields::IndexOf(const TField* field) const {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

TField* TFields::FindField(StringView name) const {
  // Names are unique ignoring case, so an exact match is the answer; it
  // spares the locale comparison on the common path (code naming fields as
  // declared).
  const std::size_t bytes = name.size() * sizeof(Char);
  for (TField* f : fields_) {
    const String& n = f->FieldName();
    if (n.size() == name.size() &&
        (bytes == 0 || (n[0] == name[0] && std::memcmp(n.data(), name.data(), bytes) == 0)))
      return f;
  }
  for (TField* f : fields_)
    if (rtl::AnsiSameText(f->FieldName(), name)) return f;
  return nullptr;
}

TField* TFields::FieldByName(StringView name) const {
  TField* f = FindField(name);
  if (!f) DatabaseErrorFmt(u"Field '%s' not found", {String(name)}, dataSet_);
  return f;
}

TField* TFields::FieldByNumber(Integer fieldNo) const {
  for (TField* f : fields_)
    if (f->FieldNo() == fieldNo && f->FieldKind() == fkData) return f;
  return nullptr;
}

void TFields::Add(TField* field) { fields_.push_back(field); }

void TFields::Remove(TField* field) {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  if (it != fields_.end()) fields_.erase(it);
}

void TFields::CheckFieldName(StringView name) const {
  if (name.empty()) DatabaseError(u"Field name missing", dataSet_);
  if (FindField(name)) DatabaseErrorFmt(u"Duplicate field name '%s'", {String(name)}, dataSet_);
}

void TFields::Move(int curIndex, int newIndex) {
  TField* f = Fields(curIndex);
  fields_.erase(fields_.begin() + curIndex);
  fields_.insert(fields_.begin() + newIndex, f);
}

}  // namespace db
