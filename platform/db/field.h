#pragma once
// Field definitions and fields. A TFieldDef describes a column of the
// dataset's records; a TField is the component through which the current
// record's value is read and written, with the conversions, display and edit
// texts of its kind. Text written into a field converts with the dataset's
// FormatSettings; an empty text makes the field NULL while the dataset's
// EmptyTextAsNull is on (the default).
#include <bitset>
#include <vector>

#include "platform/db/dbtypes.h"
#include "platform/rtl/classes.h"

namespace db {

// --- field definitions -------------------------------------------------------------
class TFieldDef : public rtl::TCollectionItem {
  RTL_CLASS(TFieldDef, rtl::TCollectionItem)

 public:
  explicit TFieldDef(rtl::TCollection* collection);

  const String& Name() const { return name_; }
  void SetName(const String& value) { name_ = value; }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType value) { dataType_ = value; }
  Integer Size() const { return size_; }
  void SetSize(Integer value) { size_ = value; }
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  // The position of the value in a record, 1-based (the platform's FieldNo).
  Integer FieldNo() const { return Index() + 1; }

  // The field class the dataset creates for this definition.
  rtl::ClassRef<TField> FieldClass() const;
  // Creates a field of FieldClass owned by `owner` and bound to `dataSet`.
  TField* CreateField(rtl::TComponent* owner, TDataSet* dataSet) const;

  void Assign(rtl::TPersistent* source) override;

 protected:
  String GetDisplayName() const override { return name_; }

 private:
  String name_;
  TFieldType dataType_ = ftUnknown;
  Integer size_ = 0;
  Integer precision_ = 0;
  bool required_ = false;
  bool readOnly_ = false;
};

class TFieldDefs : public rtl::TOwnedCollection {
  RTL_CLASS(TFieldDefs, rtl::TOwnedCollection)

 public:
  explicit TFieldDefs(TDataSet* owner);

  TFieldDef* Add(const String& name, TFieldType dataType, Integer size = 0,
                 bool required = false);
  TFieldDef* AddFieldDef();
  TFieldDef* Items(int index) const;
  TFieldDef* operator[](int index) const { return Items(index); }
  // Case-insensitive; -1 / nullptr when absent.
  int IndexOf(StringView name) const;
  TFieldDef* FindDef(StringView name) const;
  // EDatabaseError "Field '%s' not found".
  TFieldDef* Find(StringView name) const;
  TDataSet* DataSet() const { return dataSet_; }

 private:
  TDataSet* dataSet_;
};

// Default field class for a type; nullptr for types the framework cannot hold.
rtl::ClassRef<TField> DefaultFieldClass(TFieldType type);

// --- fields --------------------------------------------------------------------------
// Characters a field accepts from the keyboard (IsValidChar).
using TFieldChars = std::bitset<256>;

class TField : public rtl::TComponent {
  RTL_CLASS(TField, rtl::TComponent)

 public:
  explicit TField(rtl::TComponent* owner);
  ~TField() override;

  // --- binding
  TDataSet* DataSet() const { return dataSet_; }
  // Adds the field to the dataset's Fields (EDatabaseError when it is open).
  void SetDataSet(TDataSet* value);
  const String& FieldName() const { return fieldName_; }
  void SetFieldName(const String& value);
  TFieldType DataType() const { return dataType_; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind value);
  bool Calculated() const { return fieldKind_ == fkCalculated || fieldKind_ == fkInternalCalc; }
  void SetCalculated(bool value) { SetFieldKind(value ? fkCalculated : fkData); }
  bool Lookup() const { return fieldKind_ == fkLookup; }
  void SetLookup(bool value) { SetFieldKind(value ? fkLookup : fkData); }
  // 1-based position of a data field's value in the record; 0 for the others.
  Integer FieldNo() const { return fieldNo_; }
  // Position in the dataset's Fields (-1 outside a dataset).
  int Index() const;
  void SetIndex(int value);
  String Origin() const { return origin_; }
  void SetOrigin(const String& value) { origin_ = value; }

  // --- description
  // The field name unless set; the dataset's UpperCaseDisplayLabels gives the
  // name in capitals instead.
  String DisplayLabel() const;
  void SetDisplayLabel(const String& value);
  // DisplayLabel, as errors name the field.
  String DisplayName() const { return DisplayLabel(); }
  Integer DisplayWidth() const;
  void SetDisplayWidth(Integer value);
  Integer Size() const { return size_; }
  void SetSize(Integer value) { size_ = value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { alignment_ = value; }
  const String& EditMask() const { return editMask_; }
  void SetEditMask(const String& value) { editMask_ = value; }
  bool Required() const { return required_; }
  void SetRequired(bool value) { required_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  // Not read-only, a data (or internal-calc) field and the dataset can modify.
  virtual bool CanModify() const;
  virtual bool IsBlob() const { return false; }
  // Whether the field accepts `c` from the keyboard (ValidChars; characters
  // past 255 only in text fields).
  virtual bool IsValidChar(Char c) const;
  const TFieldChars& ValidChars() const { return validChars_; }
  void SetValidChars(const TFieldChars& value) { validChars_ = value; }

  // --- lookup fields
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  void SetLookupDataSet(TDataSet* value);
  const String& KeyFields() const { return keyFields_; }
  void SetKeyFields(const String& value) { keyFields_ = value; }
  const String& LookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const String& value) { lookupKeyFields_ = value; }
  const String& LookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const String& value) { lookupResultField_ = value; }

  // --- value of the dataset's current record
  bool IsNull() const;
  void Clear() { SetValue(rtl::Null()); }
  // Null when the field is null.
  Variant Value() const { return GetAsVariant(); }
  void SetValue(const Variant& value) { SetAsVariant(value); }
  Variant AsVariant() const { return GetAsVariant(); }
  void SetAsVariant(const Variant& value);
  String AsString() const { return GetAsString(); }
  void SetAsString(const String& value);
  // The same; a text field keeps the given text itself instead of a copy.
  void SetAsString(String&& value);
  Integer AsInteger() const { return GetAsInteger(); }
  void SetAsInteger(Integer value) { SetAsIntegerImpl(value); }
  Int64 AsLargeInt() const { return GetAsLargeInt(); }
  void SetAsLargeInt(Int64 value) { SetAsLargeIntImpl(value); }
  double AsFloat() const { return GetAsFloat(); }
  void SetAsFloat(double value) { SetAsFloatImpl(value); }
  Currency AsCurrency() const { return GetAsCurrency(); }
  void SetAsCurrency(Currency value) { SetAsCurrencyImpl(value); }
  TDateTime AsDateTime() const { return GetAsDateTime(); }
  void SetAsDateTime(TDateTime value) { SetAsDateTimeImpl(value); }
  bool AsBoolean() const { return GetAsBoolean(); }
  void SetAsBoolean(bool value) { SetAsBooleanImpl(value); }
  rtl::TBcd AsBCD() const { return GetAsBCD(); }
  void SetAsBCD(const rtl::TBcd& value) { SetAsBCDImpl(value); }
  rtl::TSQLTimeStamp AsSQLTimeStamp() const { return GetAsSQLTimeStamp(); }
  void SetAsSQLTimeStamp(const rtl::TSQLTimeStamp& value) { SetAsSQLTimeStampImpl(value); }
  std::string AsBytes() const { return GetAsBytes(); }
  void SetAsBytes(const std::string& value) { SetAsBytesImpl(value); }

  // The edit text (OnGetText with displayText false, else GetText(false)).
  String Text() const;
  // Through OnSetText when assigned, else SetAsString (the kind's conversion).
  void SetText(const String& value);
  String DisplayText() const;

  // Raw value in the storage form of the kind; Null when null.
  Variant GetData() const;
  // Stores a value already in the storage form, through validation and
  // change notification.
  void SetData(const Variant& value);
  // Values of the record before the edit (OldValue) and during it (NewValue).
  Variant OldValue() const;
  Variant NewValue() const { return GetData(); }

  void FocusControl();

  // --- events
  const TFieldGetTextEvent& OnGetText() const { return onGetText_; }
  void SetOnGetText(const TFieldGetTextEvent& value) { onGetText_ = value; }
  const TFieldSetTextEvent& OnSetText() const { return onSetText_; }
  void SetOnSetText(const TFieldSetTextEvent& value) { onSetText_ = value; }
  const TFieldNotifyEvent& OnValidate() const { return onValidate_; }
  void SetOnValidate(const TFieldNotifyEvent& value) { onValidate_ = value; }
  const TFieldNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TFieldNotifyEvent& value) { onChange_ = value; }

  void Assign(rtl::TPersistent* source) override;

 protected:
  // Typed access; the base raises EDatabaseError "Cannot access field '%s' as type %s".
  virtual Variant GetAsVariant() const;
  virtual String GetAsString() const;
  virtual Integer GetAsInteger() const;
  virtual Int64 GetAsLargeInt() const;
  virtual double GetAsFloat() const;
  virtual Currency GetAsCurrency() const;
  virtual TDateTime GetAsDateTime() const;
  virtual bool GetAsBoolean() const;
  virtual rtl::TBcd GetAsBCD() const;
  virtual rtl::TSQLTimeStamp GetAsSQLTimeStamp() const;
  virtual std::string GetAsBytes() const;
  // Called with a non-empty text (or an empty one when EmptyTextAsNull is off).
  virtual void SetAsStringImpl(const String& value);
  // SetAsString of a text the caller gives away; SetAsStringImpl unless the
  // kind can keep the text itself.
  virtual void TakeAsString(String&& value) { SetAsStringImpl(value); }
  virtual void SetAsIntegerImpl(Integer value);
  virtual void SetAsLargeIntImpl(Int64 value);
  virtual void SetAsFloatImpl(double value);
  virtual void SetAsCurrencyImpl(Currency value);
  virtual void SetAsDateTimeImpl(TDateTime value);
  virtual void SetAsBooleanImpl(bool value);
  virtual void SetAsBCDImpl(const rtl::TBcd& value);
  virtual void SetAsSQLTimeStampImpl(const rtl::TSQLTimeStamp& value);
  virtual void SetAsBytesImpl(const std::string& value);
  // A non-null, non-array value converted to the kind; the base takes text.
  virtual void SetVarValue(const Variant& value);
  // Converts a value to the storage form (raises on bad values).
  virtual Variant ToStorage(const Variant& value) const { return value; }
  // Display text (displayText true) or edit text of a non-null value.
  virtual String GetText(bool displayText) const;
  virtual Integer DefaultDisplayWidth() const { return size_ > 0 ? size_ : 10; }

  void SetDataType(TFieldType value) { dataType_ = value; }
  // SetData for a value ToStorage has already given: it is not converted again.
  void SetStoredData(Variant&& stored);
  [[noreturn]] void AccessError(StringView typeName) const;
  const rtl::TFormatSettings& Settings() const;
  // Tells an open dataset's links that the fields' layout changed (deLayoutChange).
  void LayoutChanged();
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  friend class TDataSet;
  friend class TFields;
  friend class TFieldDef;

  TDataSet* dataSet_ = nullptr;
  String fieldName_;
  TFieldType dataType_ = ftUnknown;
  TFieldKind fieldKind_ = fkData;
  Integer fieldNo_ = 0;      // 1-based data position, set when bound
  Integer calcIndex_ = -1;   // position among calculated/lookup values
  String origin_;
  String displayLabel_;
  Integer displayWidth_ = 0;
  Integer size_ = 0;
  TAlignment alignment_ = taLeftJustify;
  String editMask_;
  bool required_ = false;
  bool readOnly_ = false;
  bool visible_ = true;
  TFieldChars validChars_;
  TDataSet* lookupDataSet_ = nullptr;
  String keyFields_;
  String lookupKeyFields_;
  String lookupResultField_;
  TFieldGetTextEvent onGetText_;
  TFieldSetTextEvent onSetText_;
  TFieldNotifyEvent onValidate_;
  TFieldNotifyEvent onChange_;
  bool validating_ = false;
};

// --- text ----------------------------------------------------------------------------
class TStringField : public TField {
  RTL_CLASS(TStringField, TField)

 public:
  explicit TStringField(rtl::TComponent* owner);
  bool FixedChar() const { return fixedChar_; }
  void SetFixedChar(bool value) { fixedChar_ = value; }
  bool IsValidChar(Char c) const override { return true; }

 protected:
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  TDateTime GetAsDateTime() const override;
  bool GetAsBoolean() const override;
  void SetAsStringImpl(const String& value) override;
  void TakeAsString(String&& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsDateTimeImpl(TDateTime value) override;
  void SetAsBooleanImpl(bool value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;

 private:
  bool storesTextAsGiven() const;
  bool fixedChar_ = false;
  mutable signed char textAsGiven_ = -1;  // storesTextAsGiven, once known
};

class TWideStringField : public TStringField {
  RTL_CLASS(TWideStringField, TStringField)

 public:
  explicit TWideStringField(rtl::TComponent* owner);
};

class TGuidField : public TStringField {
  RTL_CLASS(TGuidField, TStringField)

 public:
  explicit TGuidField(rtl::TComponent* owner);
};

// --- numbers -------------------------------------------------------------------------
class TNumericField : public TField {
  RTL_CLASS(TNumericField, TField)

 public:
  explicit TNumericField(rtl::TComponent* owner);
  const String& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value) { displayFormat_ = value; }
  const String& EditFormat() const { return editFormat_; }
  void SetEditFormat(const String& value) { editFormat_ = value; }

 private:
  String displayFormat_;
  String editFormat_;
};

// Whole numbers kept as Int64, checked against the kind's range.
class TIntegerField : public TNumericField {
  RTL_CLASS(TIntegerField, TNumericField)

 public:
  explicit TIntegerField(rtl::TComponent* owner);
  Int64 MinValue() const { return minValue_; }
  void SetMinValue(Int64 value) { minValue_ = value; }
  Int64 MaxValue() const { return maxValue_; }
  void SetMaxValue(Int64 value) { maxValue_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  Currency GetAsCurrency() const override;
  bool GetAsBoolean() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsCurrencyImpl(Currency value) override;
  void SetAsBooleanImpl(bool value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;
  // The variant type the value reads as (varInteger, varInt64...).
  virtual rtl::TVarType ValueVarType() const { return rtl::varInteger; }
  void SetRange(Int64 minLimit, Int64 maxLimit);

 private:
  Int64 minValue_ = 0;  // both 0: the kind's own range
  Int64 maxValue_ = 0;
  Int64 minLimit_ = -2147483648LL;
  Int64 maxLimit_ = 2147483647LL;
};

class TSmallintField : public TIntegerField {
  RTL_CLASS(TSmallintField, TIntegerField)

 public:
  explicit TSmallintField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varSmallint; }
};

class TShortintField : public TIntegerField {
  RTL_CLASS(TShortintField, TIntegerField)

 public:
  explicit TShortintField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varShortInt; }
};

class TByteField : public TIntegerField {
  RTL_CLASS(TByteField, TIntegerField)

 public:
  explicit TByteField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varByte; }
};

class TWordField : public TIntegerField {
  RTL_CLASS(TWordField, TIntegerField)

 public:
  explicit TWordField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varWord; }
};

class TLongWordField : public TIntegerField {
  RTL_CLASS(TLongWordField, TIntegerField)

 public:
  explicit TLongWordField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varLongWord; }
};

class TAutoIncField : public TIntegerField {
  RTL_CLASS(TAutoIncField, TIntegerField)

 public:
  explicit TAutoIncField(rtl::TComponent* owner);
};

class TLargeintField : public TIntegerField {
  RTL_CLASS(TLargeintField, TIntegerField)

 public:
  explicit TLargeintField(rtl::TComponent* owner);

 protected:
  rtl::TVarType ValueVarType() const override { return rtl::varInt64; }
};

class TFloatField : public TNumericField {
  RTL_CLASS(TFloatField, TNumericField)

 public:
  explicit TFloatField(rtl::TComponent* owner);
  // Shows the value as money (ffCurrency) when no DisplayFormat is set.
  bool Currency() const { return currency_; }
  void SetCurrency(bool value) { currency_ = value; }
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }
  double MinValue() const { return minValue_; }
  void SetMinValue(double value) { minValue_ = value; }
  double MaxValue() const { return maxValue_; }
  void SetMaxValue(double value) { maxValue_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  db::Currency GetAsCurrency() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsCurrencyImpl(db::Currency value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;

 private:
  bool currency_ = false;
  Integer precision_ = 15;
  double minValue_ = 0;
  double maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
  RTL_CLASS(TCurrencyField, TFloatField)

 public:
  explicit TCurrencyField(rtl::TComponent* owner);
};

class TSingleField : public TFloatField {
  RTL_CLASS(TSingleField, TFloatField)

 public:
  explicit TSingleField(rtl::TComponent* owner);

 protected:
  Variant GetAsVariant() const override;
};

class TExtendedField : public TFloatField {
  RTL_CLASS(TExtendedField, TFloatField)

 public:
  explicit TExtendedField(rtl::TComponent* owner);
};

// Fixed point with four decimals (the platform keeps BCD fields as Currency).
class TBCDField : public TNumericField {
  RTL_CLASS(TBCDField, TNumericField)

 public:
  explicit TBCDField(rtl::TComponent* owner);
  bool Currency() const { return currency_; }
  void SetCurrency(bool value) { currency_ = value; }
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  db::Currency GetAsCurrency() const override;
  rtl::TBcd GetAsBCD() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsCurrencyImpl(db::Currency value) override;
  void SetAsBCDImpl(const rtl::TBcd& value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;

 private:
  bool currency_ = false;
  Integer precision_ = 18;
};

// Decimals of up to 64 digits (FMTBcd variants), Size is the scale.
class TFMTBCDField : public TNumericField {
  RTL_CLASS(TFMTBCDField, TNumericField)

 public:
  explicit TFMTBCDField(rtl::TComponent* owner);
  bool Currency() const { return currency_; }
  void SetCurrency(bool value) { currency_ = value; }
  Integer Precision() const { return precision_; }
  void SetPrecision(Integer value) { precision_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  db::Currency GetAsCurrency() const override;
  rtl::TBcd GetAsBCD() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsCurrencyImpl(db::Currency value) override;
  void SetAsBCDImpl(const rtl::TBcd& value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;

 private:
  bool currency_ = false;
  Integer precision_ = 15;
};

// --- other scalars -------------------------------------------------------------------
class TBooleanField : public TField {
  RTL_CLASS(TBooleanField, TField)

 public:
  explicit TBooleanField(rtl::TComponent* owner);
  // "True;False" style pair of texts for true and false.
  const String& DisplayValues() const { return displayValues_; }
  void SetDisplayValues(const String& value) { displayValues_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  bool GetAsBoolean() const override;
  Integer GetAsInteger() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsBooleanImpl(bool value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;

 private:
  String trueText() const;
  String falseText() const;
  String displayValues_;
};

class TDateTimeField : public TField {
  RTL_CLASS(TDateTimeField, TField)

 public:
  explicit TDateTimeField(rtl::TComponent* owner);
  const String& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value) { displayFormat_ = value; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  TDateTime GetAsDateTime() const override;
  double GetAsFloat() const override;
  rtl::TSQLTimeStamp GetAsSQLTimeStamp() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsDateTimeImpl(TDateTime value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsSQLTimeStampImpl(const rtl::TSQLTimeStamp& value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;
  // The picture used when DisplayFormat is empty ("c" for date-times).
  virtual String DefaultFormat() const;
  // Text to a value of the kind, with the dataset's settings.
  virtual TDateTime ParseText(const String& value) const;

 private:
  String displayFormat_;
};

class TDateField : public TDateTimeField {
  RTL_CLASS(TDateField, TDateTimeField)

 public:
  explicit TDateField(rtl::TComponent* owner);

 protected:
  String DefaultFormat() const override;
  TDateTime ParseText(const String& value) const override;
  Variant ToStorage(const Variant& value) const override;
};

class TTimeField : public TDateTimeField {
  RTL_CLASS(TTimeField, TDateTimeField)

 public:
  explicit TTimeField(rtl::TComponent* owner);

 protected:
  String DefaultFormat() const override;
  TDateTime ParseText(const String& value) const override;
  Variant ToStorage(const Variant& value) const override;
};

// Kept as a date-time; read and written as SQL time stamps too.
class TSQLTimeStampField : public TDateTimeField {
  RTL_CLASS(TSQLTimeStampField, TDateTimeField)

 public:
  explicit TSQLTimeStampField(rtl::TComponent* owner);

 protected:
  Variant GetAsVariant() const override;
};

class TVariantField : public TField {
  RTL_CLASS(TVariantField, TField)

 public:
  explicit TVariantField(rtl::TComponent* owner);

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  Integer GetAsInteger() const override;
  Int64 GetAsLargeInt() const override;
  double GetAsFloat() const override;
  db::Currency GetAsCurrency() const override;
  TDateTime GetAsDateTime() const override;
  bool GetAsBoolean() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsIntegerImpl(Integer value) override;
  void SetAsLargeIntImpl(Int64 value) override;
  void SetAsFloatImpl(double value) override;
  void SetAsCurrencyImpl(db::Currency value) override;
  void SetAsDateTimeImpl(TDateTime value) override;
  void SetAsBooleanImpl(bool value) override;
  void SetVarValue(const Variant& value) override;
};

// --- bytes and blobs -----------------------------------------------------------------
// Bytes are kept as an ANSI-string variant (varString) holding the raw bytes.
class TBinaryField : public TField {
  RTL_CLASS(TBinaryField, TField)

 public:
  explicit TBinaryField(rtl::TComponent* owner);

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  std::string GetAsBytes() const override;
  void SetAsStringImpl(const String& value) override;
  void SetAsBytesImpl(const std::string& value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;
};

class TBytesField : public TBinaryField {
  RTL_CLASS(TBytesField, TBinaryField)

 public:
  explicit TBytesField(rtl::TComponent* owner);
};

class TVarBytesField : public TBytesField {
  RTL_CLASS(TVarBytesField, TBytesField)

 public:
  explicit TVarBytesField(rtl::TComponent* owner);
};

class TBlobField : public TBinaryField {
  RTL_CLASS(TBlobField, TBinaryField)

 public:
  explicit TBlobField(rtl::TComponent* owner);
  bool IsBlob() const override { return true; }
  Integer BlobSize() const;
  // Sets DataType to one of the blob types (ftBlob, ftFmtMemo, ftOraBlob...).
  void SetBlobType(TFieldType value) { SetDataType(value); }
  TFieldType BlobType() const { return DataType(); }

 protected:
  String GetText(bool displayText) const override;
};

class TMemoField : public TBlobField {
  RTL_CLASS(TMemoField, TBlobField)

 public:
  explicit TMemoField(rtl::TComponent* owner);
  bool IsValidChar(Char c) const override { return true; }

 protected:
  Variant GetAsVariant() const override;
  String GetAsString() const override;
  void SetAsStringImpl(const String& value) override;
  void SetVarValue(const Variant& value) override;
  Variant ToStorage(const Variant& value) const override;
  String GetText(bool displayText) const override;
};

class TWideMemoField : public TMemoField {
  RTL_CLASS(TWideMemoField, TMemoField)

 public:
  explicit TWideMemoField(rtl::TComponent* owner);

 protected:
  String GetText(bool displayText) const override;
};

class TGraphicField : public TBlobField {
  RTL_CLASS(TGraphicField, TBlobField)

 public:
  explicit TGraphicField(rtl::TComponent* owner);

 protected:
  String GetText(bool displayText) const override;
};

// An aggregate's result; the framework does not compute aggregates, the value
// is set by whoever does.
class TAggregateField : public TField {
  RTL_CLASS(TAggregateField, TField)

 public:
  explicit TAggregateField(rtl::TComponent* owner);
  const String& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& value) { displayFormat_ = value; }
  bool Currency() const { return currency_; }
  void SetCurrency(bool value) { currency_ = value; }
  const String& Expression() const { return expression_; }
  void SetExpression(const String& value) { expression_ = value; }
  const Variant& AggValue() const { return value_; }
  void SetAggValue(const Variant& value) { value_ = value; }

 protected:
  Variant GetAsVariant() const override { return value_; }
  String GetText(bool displayText) const override;

 private:
  String displayFormat_;
  String expression_;
  bool currency_ = false;
  Variant value_;
};

// --- the field list ------------------------------------------------------------------
// The dataset's fields in order; holds no ownership (default fields are owned
// by the dataset, persistent ones by their owner).
class TFields : public rtl::TObject {
  RTL_CLASS(TFields, rtl::TObject)

 public:
  explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}
  ~TFields() override;

  int Count() const { return static_cast<int>(fields_.size()); }
  // EListError "List index out of bounds (%d)".
  TField* Fields(int index) const;
  TField* operator[](int index) const { return Fields(index); }
  int IndexOf(const TField* field) const;
  // Case-insensitive; nullptr when absent.
  TField* FindField(StringView name) const;
  // EDatabaseError "Field '%s' not found" (prefixed with the dataset's name).
  TField* FieldByName(StringView name) const;
  // 1-based FieldNo of a data field; nullptr when absent.
  TField* FieldByNumber(Integer fieldNo) const;
  void Add(TField* field);
  void Remove(TField* field);
  void Clear() { fields_.clear(); }
  void CheckFieldName(StringView name) const;  // EDatabaseError "Duplicate field name '%s'"
  TDataSet* DataSet() const { return dataSet_; }
  const std::vector<TField*>& List() const { return fields_; }
  void Reserve(std::size_t count) { fields_.reserve(count); }
  void Move(int curIndex, int newIndex);

 private:
  TDataSet* dataSet_;
  std::vector<TField*> fields_;
};

}  // namespace db
