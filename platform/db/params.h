#pragma once
// Parameters of a parameterised dataset: a collection of named, typed values.
#include "platform/db/dbtypes.h"
#include "platform/rtl/classes.h"

namespace db {

class TParam : public rtl::TCollectionItem {
  RTL_CLASS(TParam, rtl::TCollectionItem)

 public:
  explicit TParam(rtl::TCollection* collection);
  TParam(TParams* params, TParamType paramType);

  const String& Name() const { return name_; }
  void SetName(const String& value) { name_ = value; }
  TFieldType DataType() const { return dataType_; }
  // Converts a value already held to the new type.
  void SetDataType(TFieldType value);
  TParamType ParamType() const { return paramType_; }
  void SetParamType(TParamType value) { paramType_ = value; }
  Integer Size() const { return size_; }
  void SetSize(Integer value) { size_ = value; }
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }
  Integer NumericScale() const { return numericScale_; }
  void SetNumericScale(Integer value) { numericScale_ = value; }
  // A value was assigned (Clear leaves it bound, as NULL).
  bool Bound() const { return bound_; }
  void SetBound(bool value) { bound_ = value; }

  const Variant& Value() const { return value_; }
  // Takes the variant's type when DataType is ftUnknown.
  void SetValue(const Variant& value);
  bool IsNull() const;
  void Clear();

  String AsString() const;
  // An empty text is NULL while the owning params' EmptyTextAsNull is on.
  void SetAsString(const String& value);
  Integer AsInteger() const;
  void SetAsInteger(Integer value);
  Int64 AsLargeInt() const;
  void SetAsLargeInt(Int64 value);
  double AsFloat() const;
  void SetAsFloat(double value);
  Currency AsCurrency() const;
  void SetAsCurrency(Currency value);
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime value);
  TDateTime AsDate() const { return AsDateTime(); }
  void SetAsDate(TDateTime value);
  bool AsBoolean() const;
  void SetAsBoolean(bool value);
  rtl::TBcd AsFMTBCD() const;
  void SetAsFMTBCD(const rtl::TBcd& value);
  std::string AsBytes() const;
  void SetAsBytes(const std::string& value);
  String AsMemo() const { return AsString(); }
  void SetAsMemo(const String& value);

  // Copies name, types and value from a TParam, or value and type from a TField.
  void Assign(rtl::TPersistent* source) override;
  void AssignField(const TField* field);
  void AssignFieldValue(const TField* field, const Variant& value);
  TParams* Params() const;

 protected:
  String GetDisplayName() const override { return name_; }

 private:
  const rtl::TFormatSettings& settings() const;
  String name_;
  TFieldType dataType_ = ftUnknown;
  TParamType paramType_ = ptUnknown;
  Integer size_ = 0;
  Integer precision_ = 0;
  Integer numericScale_ = 0;
  bool bound_ = false;
  Variant value_ = rtl::Null();
};

class TParams : public rtl::TOwnedCollection {
  RTL_CLASS(TParams, rtl::TOwnedCollection)

 public:
  explicit TParams(rtl::TPersistent* owner = nullptr);

  TParam* Items(int index) const;
  TParam* operator[](int index) const { return Items(index); }
  TParam* AddParameter();
  TParam* CreateParam(TFieldType dataType, const String& name, TParamType paramType);
  // Case-insensitive; nullptr when absent.
  TParam* FindParam(StringView name) const;
  // EDatabaseError "Parameter '%s' not found".
  TParam* ParamByName(StringView name) const;
  // One value, or a variant array for a ";" list of names.
  Variant ParamValues(StringView names) const;
  void SetParamValues(StringView names, const Variant& values);
  // Copies the values of the params that `source` has under the same names.
  void AssignValues(const TParams* source);
  void AddParam(TParam* value);
  void RemoveParam(TParam* value);
  bool IsEqual(const TParams* other) const;
  void GetParamList(std::vector<TParam*>& list, StringView names) const;

  // Texts converted by the params (AsString, values of parameters typed by
  // DataType) use these settings; the process settings until set.
  const rtl::TFormatSettings& FormatSettings() const;
  void SetFormatSettings(const rtl::TFormatSettings& value) { formatSettings_ = value; hasSettings_ = true; }
  bool EmptyTextAsNull() const { return emptyTextAsNull_; }
  void SetEmptyTextAsNull(bool value) { emptyTextAsNull_ = value; }

 private:
  rtl::TFormatSettings formatSettings_;
  bool hasSettings_ = false;
  bool emptyTextAsNull_ = true;
};

}  // namespace db
