#pragma once
// Value types and the record storage of an unbound data controller: one
// zero-filled block per record, laid out from the fields' value definitions
// (a flag byte, an optional 4-byte record id, then per stored field a null
// byte, the value slot and optionally a display-text reference), internal
// (editing) records at negative indexes, the binary form of one record, the
// registry of value types and the sorted lookup list of lookup editors.
//
// Strings, wide strings, BLOBs and variants live in blocks of their own that
// the slot references; sorting, filtering and summaries read them in place
// through prepared values (see TcxValueType::PrepareValueBuffer) instead of
// copying them into variants.
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxVariants.h"
#include "platform/rtl/object.h"

namespace data {

using rtl::Byte;

// The address of a value's bytes inside a record buffer.
using TcxDataPtr = Byte*;
using TcxConstDataPtr = const Byte*;
// What PrepareValueBuffer makes of a slot: the referenced block for the
// reference-holding types (null when empty), the slot itself otherwise.
using TcxPreparedValue = const void*;

// --- value types -------------------------------------------------------------------
// A stateless descriptor of one kind of field value. There is one object per
// type (Instance()); the storage compares descriptors by identity.
class TcxValueType {
 public:
  TcxValueType(const TcxValueType&) = delete;
  TcxValueType& operator=(const TcxValueType&) = delete;

  // Slots.
  virtual int Compare(TcxConstDataPtr slot1, TcxConstDataPtr slot2) const;
  virtual void FreeBuffer(TcxDataPtr slot) const;
  virtual int GetDataSize() const;
  virtual Variant GetDataValue(TcxConstDataPtr slot) const;
  virtual String GetDefaultDisplayText(TcxConstDataPtr slot) const;
  // Reads the stream form of a value and stores it; the slot changes only
  // once the whole value was read and converted.
  virtual void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const;
  // Converts first and stores afterwards: a value that does not convert
  // leaves the slot as it was.
  virtual void SetDataValue(TcxDataPtr slot, const Variant& value) const;
  virtual void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const;

  // Display-text slots (a reference to a String, null when none).
  static void FreeTextBuffer(TcxDataPtr textSlot);
  static String GetDisplayText(TcxConstDataPtr textSlot);
  static void SetDisplayText(TcxDataPtr textSlot, rtl::StringView text);
  static void ReadDisplayText(TcxDataPtr textSlot, TStream* stream, bool isUnicode);
  static void WriteDisplayText(TcxConstDataPtr textSlot, TStream* stream, bool isUnicode);

  // The class name without "Tcx" and "ValueType": "Integer", "String"...
  const String& Caption() const { return FCaption; }
  // Prepared values.
  virtual int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const;
  virtual Variant GetValue(TcxPreparedValue prepared) const;
  virtual TVarType GetVarType() const;
  // Null is valid; otherwise the value is converted in place to the type's
  // variant type, and a value that does not convert is invalid.
  virtual bool IsValueValid(Variant& value) const;
  virtual bool IsString() const;
  virtual TcxPreparedValue PrepareValueBuffer(TcxConstDataPtr slot) const;

 protected:
  explicit TcxValueType(const char16_t* caption) : FCaption(caption) {}
  ~TcxValueType() = default;

 private:
  String FCaption;
};

using TcxValueTypeClass = const TcxValueType*;

#define CX_DECLARE_VALUE_TYPE(Name, Base)   \
  class Name : public Base {                 \
   public:                                   \
    static TcxValueTypeClass Instance();     \
                                             \
   protected:                                \
    explicit Name(const char16_t* caption) : Base(caption) {} \
                                             \
   public:

CX_DECLARE_VALUE_TYPE(TcxStringValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  void FreeBuffer(TcxDataPtr slot) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  Variant GetValue(TcxPreparedValue prepared) const override;
  TVarType GetVarType() const override;
  bool IsString() const override;
  TcxPreparedValue PrepareValueBuffer(TcxConstDataPtr slot) const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
  // The text in place (null for an empty reference).
  static const String* StringOf(TcxPreparedValue prepared) { return static_cast<const String*>(prepared); }
};

CX_DECLARE_VALUE_TYPE(TcxWideStringValueType, TcxStringValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  Variant GetValue(TcxPreparedValue prepared) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxSmallintValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxIntegerValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxWordValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxBooleanValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  String GetDefaultDisplayText(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxSingleValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxFloatValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxCurrencyValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxDateTimeValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  String GetDefaultDisplayText(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

CX_DECLARE_VALUE_TYPE(TcxLargeIntValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

// A decimal packed into 34 bytes: the digit count, the sign (bit 7) with the
// decimal places (low 6 bits), then up to 64 digits as nibbles, high first.
CX_DECLARE_VALUE_TYPE(TcxFMTBcdValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  String GetDefaultDisplayText(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
};

CX_DECLARE_VALUE_TYPE(TcxSQLTimeStampValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
};

CX_DECLARE_VALUE_TYPE(TcxVariantValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  void FreeBuffer(TcxDataPtr slot) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  Variant GetValue(TcxPreparedValue prepared) const override;
  TcxPreparedValue PrepareValueBuffer(TcxConstDataPtr slot) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
};

// An object the record owns (freed with the value). The reference travels
// as a 64-bit integer so that it survives on 64-bit hosts.
CX_DECLARE_VALUE_TYPE(TcxObjectValueType, TcxIntegerValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  void FreeBuffer(TcxDataPtr slot) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  TVarType GetVarType() const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
  static rtl::TObject* ObjectOf(const Variant& value);
  static Variant VarFromObject(const rtl::TObject* object);
};

CX_DECLARE_VALUE_TYPE(TcxBLOBValueType, TcxValueType)
  int CompareValues(TcxPreparedValue p1, TcxPreparedValue p2) const override;
  void FreeBuffer(TcxDataPtr slot) const override;
  int GetDataSize() const override;
  Variant GetDataValue(TcxConstDataPtr slot) const override;
  Variant GetValue(TcxPreparedValue prepared) const override;
  TVarType GetVarType() const override;
  bool IsString() const override;
  TcxPreparedValue PrepareValueBuffer(TcxConstDataPtr slot) const override;
  void ReadDataValue(TcxDataPtr slot, TStream* stream, bool isUnicode) const override;
  void SetDataValue(TcxDataPtr slot, const Variant& value) const override;
  void WriteDataValue(TcxConstDataPtr slot, TStream* stream, bool isUnicode) const override;
};

#undef CX_DECLARE_VALUE_TYPE

// True exactly for the DateTime and SQLTimeStamp types.
bool IsDateTimeValueTypeClass(TcxValueTypeClass type);

// The registered value types: the 16 above, in this order, from the start.
class TcxValueTypeClassList {
 public:
  void RegisterItem(TcxValueTypeClass type);  // appended unless present
  void UnregisterItem(TcxValueTypeClass type);
  // The first type whose caption equals `caption` (case-sensitive), or null.
  TcxValueTypeClass ItemByCaption(rtl::StringView caption) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  TcxValueTypeClass Items(int index) const { return FItems.at(static_cast<size_t>(index)); }

 private:
  std::vector<TcxValueTypeClass> FItems;
};

TcxValueTypeClassList* cxValueTypeClassList();
// Unregisters the 16 types and frees the registry (the next use makes it anew).
void cxDataStorageFinalization();

// --- value definitions ---------------------------------------------------------------
class TcxDataStorage;
class TcxValueDefs;

// The place of one field in the record buffer.
class TcxValueDef : public rtl::TObject {
 public:
  TcxValueDef(TcxValueDefs* valueDefs, TcxValueTypeClass valueTypeClass);
  TcxValueDef(const TcxValueDef&) = delete;
  TcxValueDef& operator=(const TcxValueDef&) = delete;

  // Destroys the definition through its list (which narrows the records).
  void Free();
  void Assign(const TcxValueDef& source);  // Stored and TextStored

  virtual rtl::TObject* GetLinkObject() const { return FLinkObject; }
  virtual bool GetStored() const;
  virtual void SetLinkObject(rtl::TObject* value) { FLinkObject = value; }
  bool GetTextStored() const { return GetStored() && FTextStored; }
  bool Stored() const { return FStored; }
  void SetStored(bool value);
  bool TextStored() const { return FTextStored; }
  void SetTextStored(bool value);
  bool StreamStored() const { return FStreamStored; }
  void SetStreamStored(bool value) { FStreamStored = value; }
  TcxValueTypeClass ValueTypeClass() const { return FValueTypeClass; }
  TcxValueDefs* ValueDefs() const { return FValueDefs; }
  bool IsString() const { return FValueTypeClass->IsString(); }

  // Layout: offsets of the null flag, the value slot and the text slot.
  int BufferSize() const { return FBufferSize; }
  int DataSize() const { return FDataSize; }
  int Offset() const { return FOffset; }
  int DataOffset() const { return FDataOffset; }
  int DisplayTextOffset() const { return FDisplayTextOffset; }
  void Init(int& offset);

  bool IsNullValue(const Byte* buffer) const { return buffer[FOffset] == 0; }
  bool IsNullValueEx(const Byte* buffer) const { return buffer == nullptr || IsNullValue(buffer); }
  void SetNull(Byte* buffer, bool isNull) const;
  Variant GetDataValue(const Byte* buffer) const {
    if (IsNullValue(buffer)) return rtl::Null();
    return ReadSlot(buffer + FDataOffset);
  }
  void SetDataValue(Byte* buffer, const Variant& value) const;
  String GetDisplayText(const Byte* buffer) const;
  void SetDisplayText(Byte* buffer, rtl::StringView text) const;
  int Compare(const Byte* buffer1, const Byte* buffer2) const;
  int CompareValues(bool isNull1, bool isNull2, TcxPreparedValue p1, TcxPreparedValue p2) const;
  // Releases the value and the text of a buffer laid out by this definition.
  void FreeBuffer(Byte* buffer) const;
  TcxPreparedValue PrepareValue(const Byte* buffer) const {
    const Byte* slot = buffer + FDataOffset;
    switch (FPrepareKind) {
      case TcxPrepareKind::Slot: return slot;
      case TcxPrepareKind::Reference: return loadSlot<const void*>(slot);
      default: return FValueTypeClass->PrepareValueBuffer(slot);
    }
  }
  // The value of a non-null slot, as the type's GetDataValue gives it.
  Variant ReadSlot(const Byte* slot) const;
  void ReadDataValue(Byte* buffer, TStream* stream, bool isUnicode) const;
  void WriteDataValue(const Byte* buffer, TStream* stream, bool isUnicode) const;
  void ReadDisplayText(Byte* buffer, TStream* stream, bool isUnicode) const;
  void WriteDisplayText(const Byte* buffer, TStream* stream, bool isUnicode) const;

 protected:
  friend class TcxValueDefs;
  friend class TcxInternalValueDefs;
  int FBufferSize = 0;
  int FDataOffset = 0;
  int FDataSize = 0;
  int FDisplayTextOffset = 0;
  bool FStored = true;
  rtl::TObject* FLinkObject = nullptr;
  int FOffset = 0;
  bool FStreamStored = true;
  bool FTextStored = false;
  TcxValueDefs* FValueDefs;
  TcxValueTypeClass FValueTypeClass;
  // Whether the layout in force keeps a text slot (what FreeBuffer frees).
  bool FLayoutTextStored = false;

 private:
  friend class TcxDataStorage;
  // Grids, sorting and summaries read every record's value: for the
  // built-in types whose slot is plain bytes or one reference, the read is
  // chosen once here instead of a virtual call per value. Any other type
  // (one defined elsewhere, or one with its own reading) goes through the
  // type object.
  enum class TcxReadKind : unsigned char {
    ByType, Smallint, Integer, Word, Boolean, Single, Float, Currency, DateTime, LargeInt, String
  };
  enum class TcxPrepareKind : unsigned char { ByType, Slot, Reference };
  template <class T>
  static T loadSlot(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);  // slots sit at any byte offset
    return v;
  }
  TcxReadKind FReadKind = TcxReadKind::ByType;
  TcxPrepareKind FPrepareKind = TcxPrepareKind::ByType;
  // For a definition of the storage's main list: its internal twin (see
  // TcxDataStorage::CheckValueDef), kept up to date whenever either list
  // or an internal link changes, so internal records need no search.
  TcxValueDef* FInternalTwin = nullptr;
};

inline Variant TcxValueDef::ReadSlot(const Byte* slot) const {
  switch (FReadKind) {
    case TcxReadKind::Smallint: return Variant(static_cast<short>(loadSlot<rtl::SmallInt>(slot)));
    case TcxReadKind::Integer: return Variant(static_cast<int>(loadSlot<rtl::Integer>(slot)));
    case TcxReadKind::Word: return Variant(static_cast<unsigned short>(loadSlot<rtl::Word>(slot)));
    case TcxReadKind::Boolean: return Variant(*slot != 0);
    case TcxReadKind::Single: return Variant(loadSlot<float>(slot));
    case TcxReadKind::Float: return Variant(loadSlot<double>(slot));
    case TcxReadKind::Currency: return Variant(rtl::Currency::FromScaled(loadSlot<rtl::Int64>(slot)));
    case TcxReadKind::DateTime: return Variant::FromDateTime(loadSlot<double>(slot));
    case TcxReadKind::LargeInt: return Variant(static_cast<long long>(loadSlot<rtl::Int64>(slot)));
    case TcxReadKind::String: {
      const String* text = loadSlot<const String*>(slot);
      return text ? Variant(*text) : rtl::Null();
    }
    default: return FValueTypeClass->GetDataValue(slot);
  }
}

// Mirrors one main definition for the internal records: always stored.
class TcxInternalValueDef : public TcxValueDef {
 public:
  using TcxValueDef::TcxValueDef;
  rtl::TObject* GetLinkObject() const override;
  bool GetStored() const override { return true; }
  // The link decides which main definition this one mirrors.
  void SetLinkObject(rtl::TObject* value) override;
  TcxValueDef* GetValueDef() const;
};

class TcxValueDefs {
 public:
  explicit TcxValueDefs(TcxDataStorage* dataStorage);
  virtual ~TcxValueDefs();
  TcxValueDefs(const TcxValueDefs&) = delete;
  TcxValueDefs& operator=(const TcxValueDefs&) = delete;

  TcxValueDef* Add(TcxValueTypeClass valueTypeClass, bool stored, bool textStored,
                   rtl::TObject* linkObject);
  // Destroys the item.
  void Remove(TcxValueDef* item);
  void Clear();  // from the last item to the first
  int Count() const { return static_cast<int>(FItems.size()); }
  // While the storage streams, in its streaming order.
  TcxValueDef* Items(int index) const;
  int IndexOf(const TcxValueDef* item) const;
  int StoredCount() const;
  int RecordOffset() const { return FRecordOffset; }
  int RecordSize() const { return FRecordSize; }
  TcxDataStorage* DataStorage() const { return FDataStorage; }

  virtual void Changed(TcxValueDef* sender, bool isText);
  virtual void Prepare(int recordOffset);

 protected:
  virtual std::unique_ptr<TcxValueDef> CreateValueDef(TcxValueTypeClass valueTypeClass);
  friend class TcxDataStorage;
  TcxDataStorage* FDataStorage;
  std::vector<std::unique_ptr<TcxValueDef>> FItems;
  int FRecordOffset = 0;
  int FRecordSize = 0;
};

class TcxInternalValueDefs : public TcxValueDefs {
 public:
  using TcxValueDefs::TcxValueDefs;
  // Searches from the last item.
  TcxInternalValueDef* FindByLinkObject(const rtl::TObject* linkObject) const;
  void RemoveByLinkObject(const rtl::TObject* linkObject);

 protected:
  std::unique_ptr<TcxValueDef> CreateValueDef(TcxValueTypeClass valueTypeClass) override;
};

// What ReadRecord reads a record from; subclasses belong to the controller
// and the dataset provider.
class TcxValueDefReader {
 public:
  TcxValueDefReader() = default;
  virtual ~TcxValueDefReader() = default;
  virtual String GetDisplayText(TcxValueDef* valueDef) { return String(); }
  virtual Variant GetValue(TcxValueDef* valueDef) { return rtl::Null(); }
  virtual bool IsInternal(TcxValueDef* valueDef) { return false; }
};

// --- record storage --------------------------------------------------------------------
inline constexpr Byte RecordFlag_Busy = 1;

// Record blocks of one size are carved one after another out of large
// chunks, so that a pass over the records walks memory in order instead of
// jumping between blocks scattered among the records' strings. Released
// blocks are reused; a size whose last block goes gives its chunks back.
class TcxRecordBlockPool {
 public:
  Byte* Allocate(size_t size);  // zero-filled
  void Release(Byte* block, size_t size);

 private:
  struct SizeClass {
    size_t size = 0;
    size_t blocksPerChunk = 0;
    size_t carved = 0;    // blocks handed out of the last chunk
    size_t capacity = 0;  // blocks of all chunks
    size_t live = 0;
    std::vector<std::unique_ptr<Byte[]>> chunks;
    std::vector<Byte*> free;
  };
  SizeClass& classFor(size_t size);
  std::vector<SizeClass> FClasses;
};

class TcxDataStorage : public rtl::TObject {
 public:
  using TcxValueDefCompare = std::function<int(const TcxValueDef* a, const TcxValueDef* b)>;
  using TcxValueDefSetProc = std::function<void(TcxValueDef* valueDef, int fromRecordIndex, int toRecordIndex)>;

  TcxDataStorage();
  ~TcxDataStorage() override;

  int AppendRecord();
  void InsertRecord(int recordIndex);
  void DeleteRecord(int recordIndex);  // a negative index: an internal record
  // Deletes the records of an ascending list without repeats (record
  // indexes before the deletion) in one pass: the same result as deleting
  // them one by one from the last, without moving the tail once per record.
  void DeleteRecords(const std::vector<int>& sortedRecordIndexes);
  int RecordCount() const { return static_cast<int>(FRecordBuffers.size()); }
  void SetRecordCount(int value);

  int AddInternalRecord();
  void DeleteInternalRecord(int recordIndex);
  void ClearInternalRecords();
  int InternalRecordCount() const { return static_cast<int>(FInternalRecordBuffers.size()); }

  void Clear(bool withoutInternal);
  void ClearRecords(bool clearList);

  // A stored field of a plain record is read inline; everything else
  // (internal records, no buffer, unstored fields, bad indexes) takes the
  // general path.
  Variant GetValue(int recordIndex, TcxValueDef* valueDef) const {
    if (const Byte* buffer = plainBuffer(recordIndex, valueDef)) return valueDef->GetDataValue(buffer);
    return getValue(recordIndex, valueDef);
  }
  void SetValue(int recordIndex, TcxValueDef* valueDef, const Variant& value);
  String GetDisplayText(int recordIndex, TcxValueDef* valueDef) const;
  void SetDisplayText(int recordIndex, TcxValueDef* valueDef, rtl::StringView text);
  rtl::Integer GetRecordID(int recordIndex);
  void SetRecordID(int recordIndex, rtl::Integer id);
  int CompareRecords(int recordIndex1, int recordIndex2, TcxValueDef* valueDef) const;
  // True when the field is null; otherwise `prepared` is the field's value
  // in place (see TcxValueType::PrepareValueBuffer).
  bool GetCompareInfo(int recordIndex, TcxValueDef* valueDef, TcxPreparedValue& prepared) const {
    if (const Byte* buffer = plainBuffer(recordIndex, valueDef)) {
      if (valueDef->IsNullValue(buffer)) return true;
      prepared = valueDef->PrepareValue(buffer);
      return false;
    }
    return getCompareInfo(recordIndex, valueDef, prepared);
  }
  void ReadRecord(int recordIndex, TcxValueDefReader* reader);
  void ReadRecordFrom(int fromRecordIndex, int toRecordIndex, const TcxValueDefSetProc& setProc);

  void BeginStreaming(const TcxValueDefCompare& compare);
  void EndStreaming();
  bool IsStreaming() const { return FStreaming; }
  void WriteData(int recordIndex, TStream* stream);
  void ReadData(int recordIndex, TStream* stream);
  void BeginLoad() {}
  void EndLoad() {}

  bool StoredValuesOnly() const { return FStoredValuesOnly; }
  void SetStoredValuesOnly(bool value);
  bool UseRecordID() const { return FUseRecordID; }
  void SetUseRecordID(bool value);
  rtl::Integer RecordIDCounter() const { return FRecordIDCounter; }

  TcxValueDefs* ValueDefs() const { return FValueDefs.get(); }
  TcxInternalValueDefs* InternalValueDefs() const { return FInternalValueDefs.get(); }
  // The definitions that lay out a record: internal ones for a negative index.
  virtual TcxValueDefs* ValueDefsByRecordIndex(int recordIndex) const;
  // The main definition itself for a record, its internal twin for an
  // internal record (null when there is none).
  TcxValueDef* CheckValueDef(int recordIndex, TcxValueDef* valueDef) const;
  // The record's buffer, null when it has none.
  const Byte* RecordBuffer(int recordIndex) const;
  int RecordOffset() const { return FUseRecordID ? 5 : 1; }

  rtl::TNotifyEvent OnClearInternalRecords;

 protected:
  friend class TcxValueDefs;
  friend class TcxInternalValueDefs;
  friend class TcxInternalValueDef;
  virtual void InitStructure();
  virtual void ValueDefsChanged(TcxValueDef* valueDef, bool isText) {}
  // Field added at the end of `defs` / about to leave it.
  void InsertValueDef(TcxValueDefs* defs, TcxValueDef* valueDef);
  void RemoveValueDef(TcxValueDefs* defs, TcxValueDef* valueDef);
  // Frees every buffer while the layout in force still describes them, then
  // lays out anew; busy internal records and record ids are given back.
  void RelayoutRecords();

 private:
  // Blocks of FBlockPool, each laid out by its list's definitions.
  using Buffer = Byte*;
  // The buffer of record `recordIndex` when it is a plain record that has
  // one and `valueDef` takes bytes in it; null otherwise.
  const Byte* plainBuffer(int recordIndex, const TcxValueDef* valueDef) const {
    if (valueDef == nullptr || static_cast<size_t>(static_cast<unsigned>(recordIndex)) >= FRecordBuffers.size())
      return nullptr;
    const Byte* buffer = FRecordBuffers[static_cast<size_t>(recordIndex)];
    return buffer != nullptr && valueDef->BufferSize() != 0 ? buffer : nullptr;
  }
  Variant getValue(int recordIndex, TcxValueDef* valueDef) const;
  bool getCompareInfo(int recordIndex, TcxValueDef* valueDef, TcxPreparedValue& prepared) const;
  void refreshInternalTwins();
  std::vector<Buffer>& buffersOf(int recordIndex);
  Buffer& bufferSlot(int recordIndex);
  const Buffer& bufferSlot(int recordIndex) const;
  Byte* ensureBuffer(int recordIndex);
  Buffer newBuffer(const TcxValueDefs* defs);
  void freeBuffer(Buffer& buffer, const TcxValueDefs* defs);
  void giveRecordID(int recordIndex);
  void freeAllBuffers();

  TcxRecordBlockPool FBlockPool;
  bool FDestroying = false;
  std::vector<Buffer> FInternalRecordBuffers;
  std::unique_ptr<TcxInternalValueDefs> FInternalValueDefs;
  bool FStoredValuesOnly = false;
  std::vector<Buffer> FRecordBuffers;
  rtl::Integer FRecordIDCounter = 1;
  bool FUseRecordID = false;
  std::unique_ptr<TcxValueDefs> FValueDefs;
  std::vector<TcxValueDef*> FValueDefsList;  // the streaming order
  bool FStreaming = false;
};

// --- lookup list ---------------------------------------------------------------------------
struct TcxLookupListItem {
  Variant KeyValue;
  String DisplayText;
};

// Items kept sorted by key (VarCompare).
class TcxLookupList {
 public:
  // True with the item's index, or false with the index to insert at.
  bool Find(const Variant& key, int& index) const;
  void Insert(int index, const Variant& key, rtl::StringView displayText);
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const TcxLookupListItem& Items(int index) const { return FItems.at(static_cast<size_t>(index)); }

 private:
  std::vector<TcxLookupListItem> FItems;
};

}  // namespace data
