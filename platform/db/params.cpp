#include "platform/db/params.h"

#include "platform/db/field.h"
#include "platform/db/value_conversion.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"

namespace db {

using rtl::Null;

namespace {

TFieldType typeOfVariant(const Variant& v) {
  switch (rtl::VarType(v) & rtl::varTypeMask) {
    case rtl::varSmallint: case rtl::varShortInt: case rtl::varByte: return ftSmallint;
    case rtl::varInteger: case rtl::varWord: return ftInteger;
    case rtl::varLongWord: case rtl::varInt64: case rtl::varUInt64: return ftLargeint;
    case rtl::varSingle: case rtl::varDouble: return ftFloat;
    case rtl::varCurrency: return ftCurrency;
    case rtl::varDate: return ftDateTime;
    case rtl::varBoolean: return ftBoolean;
    case rtl::varString: return ftBlob;
    case rtl::varOleStr: case rtl::varUString: return ftWideString;
    default:
      if (rtl::VarIsFMTBcd(v)) return ftFMTBcd;
      if (rtl::VarIsSQLTimeStamp(v)) return ftTimeStamp;
      return ftUnknown;
  }
}

}  // namespace

TParam::TParam(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}

TParam::TParam(TParams* params, TParamType paramType) : rtl::TCollectionItem(params), paramType_(paramType) {}

TParams* TParam::Params() const { return dynamic_cast<TParams*>(Collection()); }

const rtl::TFormatSettings& TParam::settings() const {
  TParams* p = Params();
  return p ? p->FormatSettings() : rtl::FormatSettings();
}

void TParam::SetDataType(TFieldType value) {
  if (value == dataType_) return;
  dataType_ = value;
  if (!isNullValue(value_) && value != ftUnknown) {
    Variant v = value_;
    value_ = Null();
    SetValue(v);
  }
}

void TParam::SetValue(const Variant& value) {
  bound_ = true;
  if (isNullValue(value)) {
    value_ = Null();
    return;
  }
  TParams* p = Params();
  if (rtl::VarIsStr(value) && rtl::VarToStr(value).empty() && (!p || p->EmptyTextAsNull())) {
    value_ = Null();
    if (dataType_ == ftUnknown) dataType_ = ftString;
    return;
  }
  if (dataType_ == ftUnknown) {
    dataType_ = typeOfVariant(value);
    value_ = value;
    return;
  }
  const rtl::TFormatSettings& fs = settings();
  switch (dataType_) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftShortint: case ftByte:
      value_ = Variant(rtl::VarIsStr(value) ? rtl::StrToInt(rtl::Trim(rtl::VarToStr(value))) : value.AsInteger(fs));
      break;
    case ftLargeint: case ftLongWord:
      value_ = Variant(static_cast<long long>(rtl::VarIsStr(value) ? rtl::StrToInt64(rtl::Trim(rtl::VarToStr(value))) : value.AsInt64(fs)));
      break;
    case ftFloat: case ftSingle: case ftExtended:
      value_ = Variant(floatFromVariant(value, fs));
      break;
    case ftCurrency: case ftBCD:
      value_ = Variant(currencyFromVariant(value, fs));
      break;
    case ftFMTBcd:
      value_ = rtl::VarIsFMTBcd(value) ? value
               : rtl::VarIsStr(value) ? rtl::VarFMTBcdCreate(bcdFromText(value, fs))
                                      : rtl::VarFMTBcdCreate(value.AsDouble(fs));
      break;
    case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
      value_ = Variant::FromDateTime(rtl::VarIsStr(value) ? rtl::StrToDateTime(rtl::VarToStr(value), fs)
                                                          : dateTimeFromNonText(value, fs));
      break;
    case ftBoolean:
      value_ = Variant(value.AsBoolean(fs));
      break;
    case ftString: case ftWideString: case ftFixedChar: case ftFixedWideChar: case ftMemo:
    case ftWideMemo: case ftGuid: case ftOraClob: case ftFmtMemo:
      value_ = Variant(rtl::VarToStr(value, fs));
      break;
    default:
      value_ = value;
      break;
  }
}

bool TParam::IsNull() const { return isNullValue(value_); }

void TParam::Clear() {
  value_ = Null();
}

String TParam::AsString() const { return IsNull() ? String() : rtl::VarToStr(value_, settings()); }
void TParam::SetAsString(const String& value) {
  if (dataType_ == ftUnknown) dataType_ = ftString;
  SetValue(Variant(value));
}
Integer TParam::AsInteger() const { return IsNull() ? 0 : value_.AsInteger(settings()); }
void TParam::SetAsInteger(Integer value) {
  dataType_ = ftInteger;
  SetValue(Variant(value));
}
Int64 TParam::AsLargeInt() const { return IsNull() ? 0 : value_.AsInt64(settings()); }
void TParam::SetAsLargeInt(Int64 value) {
  dataType_ = ftLargeint;
  SetValue(Variant(static_cast<long long>(value)));
}
double TParam::AsFloat() const { return IsNull() ? 0.0 : value_.AsDouble(settings()); }
void TParam::SetAsFloat(double value) {
  dataType_ = ftFloat;
  SetValue(Variant(value));
}
Currency TParam::AsCurrency() const { return IsNull() ? Currency{} : value_.AsCurrency(settings()); }
void TParam::SetAsCurrency(Currency value) {
  dataType_ = ftCurrency;
  SetValue(Variant(value));
}
TDateTime TParam::AsDateTime() const { return IsNull() ? 0.0 : value_.AsDateTime(settings()); }
void TParam::SetAsDateTime(TDateTime value) {
  dataType_ = ftDateTime;
  SetValue(Variant::FromDateTime(value));
}
void TParam::SetAsDate(TDateTime value) {
  dataType_ = ftDate;
  SetValue(Variant::FromDateTime(value));
}
bool TParam::AsBoolean() const { return IsNull() ? false : value_.AsBoolean(settings()); }
void TParam::SetAsBoolean(bool value) {
  dataType_ = ftBoolean;
  SetValue(Variant(value));
}
rtl::TBcd TParam::AsFMTBCD() const {
  if (IsNull()) return rtl::TBcd{};
  if (rtl::VarIsFMTBcd(value_)) return rtl::VarToBcd(value_);
  return rtl::DoubleToBcd(value_.AsDouble(settings()));
}
void TParam::SetAsFMTBCD(const rtl::TBcd& value) {
  dataType_ = ftFMTBcd;
  SetValue(rtl::VarFMTBcdCreate(value));
}
std::string TParam::AsBytes() const { return IsNull() ? std::string() : value_.AsAnsiString(settings()); }
void TParam::SetAsBytes(const std::string& value) {
  dataType_ = ftBlob;
  bound_ = true;
  value_ = Variant::FromAnsiString(value);
}
void TParam::SetAsMemo(const String& value) {
  dataType_ = ftMemo;
  SetValue(Variant(value));
}

void TParam::Assign(rtl::TPersistent* source) {
  if (auto* p = dynamic_cast<TParam*>(source)) {
    name_ = p->name_;
    dataType_ = p->dataType_;
    paramType_ = p->paramType_;
    size_ = p->size_;
    precision_ = p->precision_;
    numericScale_ = p->numericScale_;
    bound_ = p->bound_;
    value_ = p->value_;
    return;
  }
  if (auto* f = dynamic_cast<TField*>(source)) {
    AssignField(f);
    return;
  }
  rtl::TCollectionItem::Assign(source);
}

void TParam::AssignField(const TField* field) {
  if (!field) return;
  name_ = field->FieldName();
  AssignFieldValue(field, field->Value());
}

void TParam::AssignFieldValue(const TField* field, const Variant& value) {
  if (!field) return;
  dataType_ = field->DataType();
  size_ = field->Size();
  bound_ = true;
  value_ = isNullValue(value) ? Null() : value;
}

// --- TParams -----------------------------------------------------------------------------------
TParams::TParams(rtl::TPersistent* owner) : rtl::TOwnedCollection(owner, TParam::classInfo()) {}

TParam* TParams::Items(int index) const { return static_cast<TParam*>(rtl::TCollection::Items(index)); }

TParam* TParams::AddParameter() { return static_cast<TParam*>(Add()); }

TParam* TParams::CreateParam(TFieldType dataType, const String& name, TParamType paramType) {
  TParam* p = AddParameter();
  p->SetName(name);
  p->SetDataType(dataType);
  p->SetParamType(paramType);
  return p;
}

TParam* TParams::FindParam(StringView name) const {
  // The first one of that name ignoring case; the exact spelling, the
  // common case, spares the locale comparison.
  for (int i = 0; i < Count(); ++i) {
    const String& n = Items(i)->Name();
    if (n == name || rtl::AnsiSameText(n, name)) return Items(i);
  }
  return nullptr;
}

TParam* TParams::ParamByName(StringView name) const {
  TParam* p = FindParam(name);
  if (!p) {
    auto* owner = dynamic_cast<rtl::TComponent*>(GetOwner());
    DatabaseErrorFmt(u"Parameter '%s' not found", {String(name)}, owner);
  }
  return p;
}

void TParams::GetParamList(std::vector<TParam*>& list, StringView names) const {
  size_t start = 0;
  while (start <= names.size()) {
    size_t end = names.find(u';', start);
    if (end == StringView::npos) end = names.size();
    String name = rtl::Trim(names.substr(start, end - start));
    if (!name.empty()) list.push_back(ParamByName(name));
    start = end + 1;
  }
}

Variant TParams::ParamValues(StringView names) const {
  std::vector<TParam*> list;
  GetParamList(list, names);
  if (list.size() == 1) return list[0]->Value();
  std::vector<Variant> values;
  for (TParam* p : list) values.push_back(p->Value());
  return rtl::VarArrayOf(values);
}

void TParams::SetParamValues(StringView names, const Variant& values) {
  std::vector<TParam*> list;
  GetParamList(list, names);
  if (list.size() == 1 && !rtl::VarIsArray(values)) {
    list[0]->SetValue(values);
    return;
  }
  int lo = rtl::VarArrayLowBound(values, 1);
  for (size_t i = 0; i < list.size(); ++i) list[i]->SetValue(rtl::VarArrayGet(values, lo + static_cast<int>(i)));
}

void TParams::AssignValues(const TParams* source) {
  if (!source) return;
  for (int i = 0; i < source->Count(); ++i) {
    TParam* from = source->Items(i);
    if (TParam* to = FindParam(from->Name())) {
      TParamType keep = to->ParamType();
      to->Assign(from);
      if (keep != ptUnknown) to->SetParamType(keep);
    }
  }
}

void TParams::AddParam(TParam* value) {
  if (value) value->SetCollection(this);
}

void TParams::RemoveParam(TParam* value) {
  if (value && value->Collection() == this) value->SetCollection(nullptr);
}

bool TParams::IsEqual(const TParams* other) const {
  if (!other || other->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    TParam* a = Items(i);
    TParam* b = other->Items(i);
    if (a->Name() != b->Name() || a->DataType() != b->DataType() || a->ParamType() != b->ParamType() ||
        a->IsNull() != b->IsNull() || (!a->IsNull() && !rtl::VarSameValue(a->Value(), b->Value())))
      return false;
  }
  return true;
}

const rtl::TFormatSettings& TParams::FormatSettings() const {
  return hasSettings_ ? formatSettings_ : rtl::FormatSettings();
}

}  // namespace db
