// Value types, value definitions, the record storage and its record stream,
// the lookup list and the value-type registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "lib/data/cxDataStorage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"

namespace data {
namespace {

using Bytes = std::vector<Byte>;

Bytes contents(rtl::TBytesStream& s) { return Bytes(s.Bytes().begin(), s.Bytes().begin() + s.Size()); }

Bytes marker(const char* m) { return Bytes(m, m + 6); }

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class Storage : public ::testing::Test {
 protected:
  TcxValueDef* add(TcxValueTypeClass type, bool textStored = false) {
    return storage.ValueDefs()->Add(type, true, textStored, nullptr);
  }
  Bytes write(int record) {
    rtl::TBytesStream s;
    storage.WriteData(record, &s);
    return contents(s);
  }
  void read(int record, const Bytes& bytes) {
    rtl::TBytesStream s(rtl::TBytes(bytes.begin(), bytes.end()));
    storage.ReadData(record, &s);
  }
  TcxDataStorage storage;
};

// --- layout ------------------------------------------------------------------------

TEST_F(Storage, LayoutOfFixedFieldsWithAndWithoutIdentifiers) {
  TcxValueDef* i = add(TcxIntegerValueType::Instance());
  TcxValueDef* b = add(TcxBooleanValueType::Instance());
  TcxValueDef* d = add(TcxDateTimeValueType::Instance());
  EXPECT_EQ(storage.ValueDefs()->RecordOffset(), 1);
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), 1 + 5 + 2 + 9);
  EXPECT_EQ(i->Offset(), 1);
  EXPECT_EQ(b->Offset(), 6);
  EXPECT_EQ(d->Offset(), 8);
  EXPECT_EQ(d->DataOffset(), 9);

  storage.SetUseRecordID(true);
  EXPECT_EQ(storage.ValueDefs()->RecordOffset(), 5);
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), 21);
  EXPECT_EQ(b->Offset(), 10);

  b->SetTextStored(true);  // one reference after the Boolean's slot
  EXPECT_EQ(b->DisplayTextOffset(), 12);
  EXPECT_EQ(d->Offset(), 12 + static_cast<int>(sizeof(void*)));
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), 21 + static_cast<int>(sizeof(void*)));
  // The internal twins follow the same layout.
  EXPECT_EQ(storage.InternalValueDefs()->Count(), 3);
  EXPECT_EQ(storage.InternalValueDefs()->RecordSize(), storage.ValueDefs()->RecordSize());
}

TEST_F(Storage, NullOnIntegerZeroesItsSlot) {
  TcxValueDef* i = add(TcxIntegerValueType::Instance());
  const int r = storage.AppendRecord();
  storage.SetValue(r, i, Variant(-1));
  const Byte* buffer = storage.RecordBuffer(r);
  EXPECT_EQ(buffer[1], 1);
  EXPECT_EQ(std::memcmp(buffer + 2, "\xFF\xFF\xFF\xFF", 4), 0);
  storage.SetValue(r, i, rtl::Null());
  EXPECT_EQ(buffer[1], 0);
  EXPECT_EQ(std::memcmp(buffer + 2, "\0\0\0\0", 4), 0);
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, i)));
  EXPECT_EQ(storage.GetDisplayText(r, i), u"");
}

TEST_F(Storage, RecordWithoutBufferReadsAsNull) {
  TcxValueDef* s = add(TcxStringValueType::Instance(), true);
  const int r = storage.AppendRecord();
  EXPECT_EQ(storage.RecordBuffer(r), nullptr);
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, s)));
  EXPECT_EQ(storage.GetDisplayText(r, s), u"");
  EXPECT_EQ(storage.RecordBuffer(r), nullptr) << "reading creates no buffer";
}

TEST_F(Storage, FailedConversionLeavesTheFieldAsItWas) {
  TcxValueDef* i = add(TcxIntegerValueType::Instance());
  TcxValueDef* d = add(TcxDateTimeValueType::Instance());
  const int r = storage.AppendRecord();
  EXPECT_ANY_THROW(storage.SetValue(r, i, Variant(u"not a number")));
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, i))) << "a null field stays null";
  storage.SetValue(r, d, Variant::FromDateTime(100.5));
  EXPECT_ANY_THROW(storage.SetValue(r, d, Variant(u"no date")));
  EXPECT_EQ(storage.GetValue(r, d).AsDateTime(), 100.5) << "a value stays";
}

TEST_F(Storage, IndexesOutOfRangeRaise) {
  add(TcxIntegerValueType::Instance());
  storage.AppendRecord();
  EXPECT_THROW(storage.GetValue(1, storage.ValueDefs()->Items(0)), rtl::EListError);
  EXPECT_THROW(storage.GetValue(-1, storage.ValueDefs()->Items(0)), rtl::EListError);
  EXPECT_THROW(storage.InsertRecord(3), rtl::EListError);
}

// --- value types ---------------------------------------------------------------------

struct TypeCase {
  const char* what;
  TcxValueTypeClass type;
  Variant value;
  TVarType readAs;
};

class ValueTypeRoundTrip : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ValueTypeRoundTrip, StoresReadsAndStreamsTheValue) {
  const TypeCase& c = GetParam();
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(c.type, true, true, nullptr);
  const int r = storage.AppendRecord();
  storage.SetValue(r, def, c.value);
  storage.SetDisplayText(r, def, u"shown");
  const Variant stored = storage.GetValue(r, def);
  EXPECT_EQ(rtl::VarType(stored), c.readAs) << c.what;
  EXPECT_EQ(VarCompare(stored, c.value), 0) << c.what;

  rtl::TBytesStream s;
  storage.WriteData(r, &s);
  s.SetPosition(0);
  TcxDataStorage copy;
  TcxValueDef* copyDef = copy.ValueDefs()->Add(c.type, true, true, nullptr);
  copy.SetRecordCount(1);
  copy.ReadData(0, &s);
  EXPECT_EQ(s.Position(), s.Size()) << c.what;
  EXPECT_EQ(copy.CompareRecords(0, 0, copyDef), 0);
  EXPECT_EQ(VarCompare(copy.GetValue(0, copyDef), stored), 0) << c.what;
  EXPECT_EQ(copy.GetDisplayText(0, copyDef), u"shown") << c.what;
}

rtl::TSQLTimeStamp stamp(int year, int month, int day) {
  rtl::TSQLTimeStamp s;
  s.Year = static_cast<rtl::SmallInt>(year);
  s.Month = static_cast<rtl::Word>(month);
  s.Day = static_cast<rtl::Word>(day);
  s.Hour = 10;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ValueTypeRoundTrip,
    ::testing::Values(
        TypeCase{"String", TcxStringValueType::Instance(), Variant(u"ação"), rtl::varUString},
        TypeCase{"empty String", TcxStringValueType::Instance(), Variant(String()), rtl::varUString},
        TypeCase{"WideString", TcxWideStringValueType::Instance(), Variant(u"x\u20acy"), rtl::varOleStr},
        TypeCase{"Smallint", TcxSmallintValueType::Instance(), Variant(static_cast<short>(-32768)), rtl::varSmallint},
        TypeCase{"Integer", TcxIntegerValueType::Instance(), Variant(std::numeric_limits<int>::min()), rtl::varInteger},
        TypeCase{"Word", TcxWordValueType::Instance(), Variant(static_cast<unsigned short>(65535)), rtl::varWord},
        TypeCase{"Boolean", TcxBooleanValueType::Instance(), Variant(true), rtl::varBoolean},
        TypeCase{"Single", TcxSingleValueType::Instance(), Variant(-1.25f), rtl::varSingle},
        TypeCase{"Float", TcxFloatValueType::Instance(), Variant(1.0 / 3.0), rtl::varDouble},
        TypeCase{"denormal Float", TcxFloatValueType::Instance(),
                 Variant(std::numeric_limits<double>::denorm_min()), rtl::varDouble},
        TypeCase{"Currency", TcxCurrencyValueType::Instance(), Variant(rtl::Currency::FromScaled(-99999)),
                 rtl::varCurrency},
        TypeCase{"DateTime", TcxDateTimeValueType::Instance(), Variant::FromDateTime(45000.25), rtl::varDate},
        TypeCase{"LargeInt", TcxLargeIntValueType::Instance(), Variant(std::numeric_limits<long long>::min()),
                 rtl::varInt64},
        TypeCase{"FMTBcd", TcxFMTBcdValueType::Instance(), rtl::VarFMTBcdCreate(u"-1234.0567", 18, 4),
                 rtl::VarFMTBcd()},
        TypeCase{"SQLTimeStamp", TcxSQLTimeStampValueType::Instance(),
                 rtl::VarSQLTimeStampCreate(stamp(2024, 2, 29)), rtl::varDate},
        TypeCase{"Variant holding text", TcxVariantValueType::Instance(), Variant(u"v"), rtl::varUString},
        TypeCase{"Variant holding an array", TcxVariantValueType::Instance(), rtl::VarArrayOf({1, Variant(u"a")}),
                 rtl::varArray | rtl::varVariant},
        TypeCase{"BLOB", TcxBLOBValueType::Instance(), Variant::FromAnsiString(std::string("\0\xFF\x01", 3)),
                 rtl::varString}));

struct OrderCase {
  const char* what;
  TcxValueTypeClass type;
  Variant a, b;
  int expected;
};

class ValueTypeOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ValueTypeOrder, ComparesStoredValues) {
  const OrderCase& c = GetParam();
  TcxDataStorage storage;
  TcxValueDef* def = storage.ValueDefs()->Add(c.type, true, false, nullptr);
  storage.SetRecordCount(2);
  storage.SetValue(0, def, c.a);
  storage.SetValue(1, def, c.b);
  EXPECT_EQ(storage.CompareRecords(0, 1, def), c.expected) << c.what;
  // The literal comparison of the two buffers agrees with the prepared one.
  EXPECT_EQ(def->Compare(storage.RecordBuffer(0), storage.RecordBuffer(1)), c.expected) << c.what;
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Types, ValueTypeOrder,
    ::testing::Values(
        OrderCase{"Smallint difference", TcxSmallintValueType::Instance(), Variant(5), Variant(2), 3},
        OrderCase{"Smallint extremes", TcxSmallintValueType::Instance(), Variant(-32768), Variant(32767), -65535},
        OrderCase{"Word difference", TcxWordValueType::Instance(), Variant(1), Variant(65535), -65534},
        OrderCase{"Boolean difference", TcxBooleanValueType::Instance(), Variant(true), Variant(false), 1},
        OrderCase{"Integer sign only", TcxIntegerValueType::Instance(), Variant(-2147483647 - 1),
                  Variant(2147483647), -1},
        OrderCase{"LargeInt sign only", TcxLargeIntValueType::Instance(), Variant(9000000000LL), Variant(-1), 1},
        OrderCase{"Currency", TcxCurrencyValueType::Instance(), Variant(rtl::Currency::FromScaled(1)),
                  Variant(rtl::Currency::FromScaled(2)), -1},
        OrderCase{"Float NaN equals", TcxFloatValueType::Instance(), Variant(kNaN), Variant(1.0), 0},
        OrderCase{"Float", TcxFloatValueType::Instance(), Variant(2.5), Variant(-1.0), 1},
        OrderCase{"Single", TcxSingleValueType::Instance(), Variant(1.0f), Variant(1.0f), 0},
        OrderCase{"DateTime", TcxDateTimeValueType::Instance(), Variant::FromDateTime(1),
                  Variant::FromDateTime(2), -1},
        OrderCase{"String ordinal, the code-unit difference", TcxStringValueType::Instance(), Variant(u"Z"),
                  Variant(u"a"), 'Z' - 'a'},
        OrderCase{"String Null first", TcxStringValueType::Instance(), rtl::Null(), Variant(String()), -1},
        OrderCase{"WideString", TcxWideStringValueType::Instance(), Variant(u"b"), Variant(u"a"), 1},
        OrderCase{"BLOB bytes unsigned", TcxBLOBValueType::Instance(), Variant::FromAnsiString("\x80"),
                  Variant::FromAnsiString("\x7F"), 1},
        OrderCase{"Variant", TcxVariantValueType::Instance(), Variant(3), Variant(u"10"), -1},
        OrderCase{"FMTBcd", TcxFMTBcdValueType::Instance(), rtl::VarFMTBcdCreate(u"-0.5", 10, 2),
                  rtl::VarFMTBcdCreate(u"0.25", 10, 2), -1},
        OrderCase{"SQL time stamps two months apart", TcxSQLTimeStampValueType::Instance(),
                  rtl::VarSQLTimeStampCreate(stamp(2024, 5, 1)), rtl::VarSQLTimeStampCreate(stamp(2024, 3, 1)), 2},
        OrderCase{"SQL time stamps, earlier first", TcxSQLTimeStampValueType::Instance(),
                  rtl::VarSQLTimeStampCreate(stamp(2024, 3, 1)), rtl::VarSQLTimeStampCreate(stamp(2024, 5, 1)),
                  -2}));

// --- reading without the type object ------------------------------------------------------

// Reads a stored integer doubled: a type derived from a built-in one must
// still be read through its own GetDataValue.
class DoublingIntegerType : public TcxIntegerValueType {
 public:
  static TcxValueTypeClass Instance() {
    static const DoublingIntegerType instance;
    return &instance;
  }
  Variant GetDataValue(TcxConstDataPtr slot) const override {
    return Variant(2 * TcxIntegerValueType::GetDataValue(slot).AsInteger());
  }

 private:
  DoublingIntegerType() : TcxIntegerValueType(u"DoublingInteger") {}
};

class DirectReads : public ::testing::TestWithParam<TypeCase> {};

// The storage reads values and prepares them without asking the type; what
// it hands out must be exactly what the type itself makes of the slot, for
// plain and internal records, with and without a display-text slot, at an
// odd offset behind another field.
TEST_P(DirectReads, AgreeWithTheTypeObject) {
  const TypeCase& c = GetParam();
  for (const bool textStored : {false, true}) {
    TcxDataStorage storage;
    storage.ValueDefs()->Add(TcxBooleanValueType::Instance(), true, true, nullptr);
    TcxValueDef* def = storage.ValueDefs()->Add(c.type, true, textStored, nullptr);
    const int plain = storage.AppendRecord();
    const int internal = storage.AddInternalRecord();
    for (const int r : {plain, internal}) {
      SCOPED_TRACE(std::string(c.what) + (textStored ? ", text stored" : "") + (r < 0 ? ", internal" : ""));
      storage.SetValue(r, def, c.value);
      storage.SetDisplayText(r, def, u"shown");
      const TcxValueDef* layout = storage.CheckValueDef(r, def);
      ASSERT_NE(layout, nullptr);
      const Byte* slot = storage.RecordBuffer(r) + layout->DataOffset();
      const Variant read = storage.GetValue(r, def);
      EXPECT_EQ(rtl::VarType(read), c.readAs);
      EXPECT_TRUE(VarEqualsExact(read, c.type->GetDataValue(slot)));
      TcxPreparedValue prepared = nullptr;
      ASSERT_FALSE(storage.GetCompareInfo(r, def, prepared));
      EXPECT_EQ(prepared, c.type->PrepareValueBuffer(slot));
      EXPECT_EQ(storage.GetDisplayText(r, def), textStored ? u"shown" : c.type->GetDefaultDisplayText(slot));
      storage.SetValue(r, def, rtl::Null());
      EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, def)));
      EXPECT_TRUE(storage.GetCompareInfo(r, def, prepared));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Types, DirectReads,
    ::testing::Values(
        TypeCase{"String", TcxStringValueType::Instance(), Variant(u"ação"), rtl::varUString},
        TypeCase{"empty String", TcxStringValueType::Instance(), Variant(String()), rtl::varUString},
        TypeCase{"WideString", TcxWideStringValueType::Instance(), Variant(u"x\u20acy"), rtl::varOleStr},
        TypeCase{"Smallint", TcxSmallintValueType::Instance(), Variant(static_cast<short>(-32768)), rtl::varSmallint},
        TypeCase{"Integer", TcxIntegerValueType::Instance(), Variant(std::numeric_limits<int>::min()), rtl::varInteger},
        TypeCase{"Word", TcxWordValueType::Instance(), Variant(static_cast<unsigned short>(65535)), rtl::varWord},
        TypeCase{"Boolean", TcxBooleanValueType::Instance(), Variant(true), rtl::varBoolean},
        TypeCase{"Single", TcxSingleValueType::Instance(), Variant(-1.25f), rtl::varSingle},
        TypeCase{"Float", TcxFloatValueType::Instance(), Variant(-1.0 / 3.0), rtl::varDouble},
        TypeCase{"Currency", TcxCurrencyValueType::Instance(),
                 Variant(rtl::Currency::FromScaled(std::numeric_limits<rtl::Int64>::min())), rtl::varCurrency},
        TypeCase{"DateTime", TcxDateTimeValueType::Instance(), Variant::FromDateTime(-2.75), rtl::varDate},
        TypeCase{"LargeInt", TcxLargeIntValueType::Instance(), Variant(std::numeric_limits<long long>::max()),
                 rtl::varInt64},
        TypeCase{"FMTBcd", TcxFMTBcdValueType::Instance(), rtl::VarFMTBcdCreate(u"-1234.0567", 18, 4),
                 rtl::VarFMTBcd()},
        TypeCase{"SQLTimeStamp", TcxSQLTimeStampValueType::Instance(),
                 rtl::VarSQLTimeStampCreate(stamp(2024, 2, 29)), rtl::varDate},
        TypeCase{"Variant", TcxVariantValueType::Instance(), rtl::VarArrayOf({1, Variant(u"a")}),
                 rtl::varArray | rtl::varVariant},
        TypeCase{"BLOB", TcxBLOBValueType::Instance(), Variant::FromAnsiString(std::string("\0\xFF\x01", 3)),
                 rtl::varString},
        TypeCase{"type derived from Integer", DoublingIntegerType::Instance(), Variant(-21), rtl::varInteger}));

// Internal records reach a field through its internal twin; the twin must
// follow fields coming and going and a twin linked elsewhere.
TEST_F(Storage, InternalRecordsFindTheirFieldsAfterChanges) {
  TcxValueDef* a = add(TcxIntegerValueType::Instance());
  TcxValueDef* b = add(TcxStringValueType::Instance());
  const int r = storage.AddInternalRecord();
  storage.SetValue(r, b, Variant(u"kept"));
  a->Free();
  EXPECT_EQ(storage.GetValue(r, b).AsString(), u"kept");
  TcxValueDef* c = add(TcxIntegerValueType::Instance());
  storage.SetValue(r, c, Variant(7));
  EXPECT_EQ(storage.GetValue(r, c).AsInteger(), 7);
  EXPECT_EQ(storage.CheckValueDef(r, c), storage.InternalValueDefs()->FindByLinkObject(c));
  // b's twin now mirrors c; the later twin of c still wins the search.
  storage.InternalValueDefs()->FindByLinkObject(b)->SetLinkObject(c);
  EXPECT_EQ(storage.CheckValueDef(r, b), nullptr);
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, b)));
  EXPECT_EQ(storage.GetValue(r, c).AsInteger(), 7);
}

TEST(ValueTypes, StringFieldsAreReadInPlace) {
  TcxDataStorage storage;
  TcxValueDef* s = storage.ValueDefs()->Add(TcxStringValueType::Instance(), true, false, nullptr);
  storage.SetRecordCount(2);
  storage.SetValue(0, s, Variant(u"first"));
  TcxPreparedValue p = nullptr;
  ASSERT_FALSE(storage.GetCompareInfo(0, s, p));
  const String* text = TcxStringValueType::StringOf(p);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(*text, u"first");
  storage.SetValue(0, s, Variant(u"second"));
  EXPECT_EQ(*text, u"second") << "the block is reused, not copied";
  EXPECT_TRUE(storage.GetCompareInfo(1, s, p)) << "a record without a buffer is null";
}

TEST(ValueTypes, ObjectReferencesKeepAll64Bits) {
  TcxDataStorage storage;
  TcxValueDef* o = storage.ValueDefs()->Add(TcxObjectValueType::Instance(), true, false, nullptr);
  const int r = storage.AppendRecord();
  auto owned = std::make_unique<rtl::TObject>();
  rtl::TObject* object = owned.get();
  storage.SetValue(r, o, TcxObjectValueType::VarFromObject(owned.release()));  // the record owns it now
  const Variant v = storage.GetValue(r, o);
  EXPECT_EQ(rtl::VarType(v), rtl::varInt64);
  EXPECT_EQ(TcxObjectValueType::ObjectOf(v), object);
  EXPECT_EQ(o->ValueTypeClass()->Caption(), u"Object");
  storage.DeleteRecord(r);  // frees the object (the leak checker of the sanitizer build watches)
}

TEST(ValueTypes, DisplayTextsAndValidity) {
  TcxDataStorage storage;
  TcxValueDef* b = storage.ValueDefs()->Add(TcxBooleanValueType::Instance(), true, false, nullptr);
  TcxValueDef* i = storage.ValueDefs()->Add(TcxIntegerValueType::Instance(), true, false, nullptr);
  const int r = storage.AppendRecord();
  storage.SetValue(r, b, Variant(true));
  storage.SetValue(r, i, Variant(u"42"));
  EXPECT_EQ(storage.GetDisplayText(r, b), u"True");
  EXPECT_EQ(storage.GetDisplayText(r, i), u"42");
  storage.SetDisplayText(r, i, u"ignored: no text is kept");
  EXPECT_EQ(storage.GetDisplayText(r, i), u"42");

  Variant good(u"17");
  EXPECT_TRUE(TcxIntegerValueType::Instance()->IsValueValid(good));
  EXPECT_EQ(rtl::VarType(good), rtl::varInteger);
  Variant bad(u"x");
  EXPECT_FALSE(TcxIntegerValueType::Instance()->IsValueValid(bad));
  Variant null = rtl::Null();
  EXPECT_TRUE(TcxIntegerValueType::Instance()->IsValueValid(null));
  Variant anything(u"x");
  EXPECT_TRUE(TcxVariantValueType::Instance()->IsValueValid(anything));
  EXPECT_TRUE(TcxStringValueType::Instance()->IsString());
  EXPECT_TRUE(TcxBLOBValueType::Instance()->IsString());
  EXPECT_FALSE(TcxIntegerValueType::Instance()->IsString());
}

TEST(ValueTypeRegistry, SixteenTypesByCaption) {
  TcxValueTypeClassList* list = cxValueTypeClassList();
  ASSERT_EQ(list->Count(), 16);
  EXPECT_EQ(list->Items(0), TcxStringValueType::Instance());
  EXPECT_EQ(list->Items(15), TcxBLOBValueType::Instance());
  const char16_t* captions[] = {u"String",   u"WideString", u"Smallint", u"Integer",      u"Word",    u"Boolean",
                                u"Single",   u"Float",      u"Currency", u"DateTime",     u"LargeInt", u"FMTBcd",
                                u"SQLTimeStamp", u"Variant", u"Object",  u"BLOB"};
  for (int k = 0; k < 16; ++k) EXPECT_EQ(list->ItemByCaption(captions[k]), list->Items(k)) << k;
  EXPECT_EQ(list->ItemByCaption(u"Integer"), TcxIntegerValueType::Instance());
  EXPECT_EQ(list->ItemByCaption(u"integer"), nullptr);
  list->RegisterItem(TcxIntegerValueType::Instance());
  EXPECT_EQ(list->Count(), 16) << "registered once";
  EXPECT_TRUE(IsDateTimeValueTypeClass(TcxDateTimeValueType::Instance()));
  EXPECT_TRUE(IsDateTimeValueTypeClass(TcxSQLTimeStampValueType::Instance()));
  EXPECT_FALSE(IsDateTimeValueTypeClass(TcxFloatValueType::Instance()));
  cxDataStorageFinalization();
  EXPECT_EQ(cxValueTypeClassList()->Count(), 16) << "made anew on the next use";
}

// --- adding and removing fields ----------------------------------------------------------

TEST_F(Storage, AddingAFieldWidensRecordsWithANullField) {
  TcxValueDef* s = add(TcxStringValueType::Instance());
  storage.SetRecordCount(2);
  storage.SetValue(0, s, Variant(u"kept"));
  TcxValueDef* i = add(TcxIntegerValueType::Instance());
  EXPECT_EQ(storage.GetValue(0, s).AsString(), u"kept");
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(0, i)));
  storage.SetValue(0, i, Variant(9));
  EXPECT_EQ(storage.GetValue(0, i).AsInteger(), 9);
}

TEST_F(Storage, RemovingTheOnlyStoredFieldFreesEveryBuffer) {
  TcxValueDef* s = add(TcxStringValueType::Instance());
  storage.SetRecordCount(2);
  storage.SetValue(0, s, Variant(u"gone"));
  s->Free();
  EXPECT_EQ(storage.RecordBuffer(0), nullptr);
  EXPECT_EQ(storage.RecordCount(), 2);
  EXPECT_EQ(storage.InternalValueDefs()->Count(), 0) << "the twin goes first";
}

TEST_F(Storage, RemovingOneOfTwoFieldsKeepsTheOther) {
  TcxValueDef* s = add(TcxStringValueType::Instance(), true);
  TcxValueDef* i = add(TcxIntegerValueType::Instance(), true);
  TcxValueDef* w = add(TcxWideStringValueType::Instance());
  storage.SetRecordCount(2);
  storage.SetValue(1, s, Variant(u"dropped"));
  storage.SetDisplayText(1, s, u"dropped text");
  storage.SetValue(1, i, Variant(77));
  storage.SetDisplayText(1, i, u"seventy-seven");
  storage.SetValue(1, w, Variant(u"wide"));
  s->Free();
  EXPECT_EQ(storage.GetValue(1, i).AsInteger(), 77);
  EXPECT_EQ(storage.GetDisplayText(1, i), u"seventy-seven");
  EXPECT_EQ(storage.GetValue(1, w).AsString(), u"wide");
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), 1 + 5 + static_cast<int>(sizeof(void*)) + 1 +
                                                   static_cast<int>(sizeof(void*)));
}

TEST_F(Storage, UnstoredFieldsTakeNoBytesInStoredValuesOnlyMode) {
  TcxValueDef* kept = add(TcxIntegerValueType::Instance());
  TcxValueDef* loose = storage.ValueDefs()->Add(TcxStringValueType::Instance(), false, true, nullptr);
  const int r = storage.AppendRecord();
  storage.SetValue(r, loose, Variant(u"v"));
  EXPECT_EQ(storage.GetValue(r, loose).AsString(), u"v");
  storage.SetStoredValuesOnly(true);
  EXPECT_EQ(storage.ValueDefs()->RecordSize(), 6);
  EXPECT_EQ(storage.RecordBuffer(r), nullptr) << "a layout change frees the buffers";
  storage.SetValue(r, loose, Variant(u"w"));
  storage.SetValue(r, kept, Variant(1));
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(r, loose)));
  EXPECT_FALSE(loose->GetTextStored());
  EXPECT_EQ(storage.ValueDefs()->StoredCount(), 1);
}

// --- record identifiers and internal records ---------------------------------------------

TEST_F(Storage, RecordIdentifiersCountAndStartAgain) {
  add(TcxIntegerValueType::Instance());
  storage.SetUseRecordID(true);
  storage.SetRecordCount(3);
  EXPECT_EQ(storage.GetRecordID(0), 1);
  EXPECT_EQ(storage.GetRecordID(2), 3);
  storage.InsertRecord(0);
  EXPECT_EQ(storage.GetRecordID(0), 4);
  storage.SetRecordCount(0);
  EXPECT_EQ(storage.GetRecordID(storage.AppendRecord()), 1);

  storage.ClearRecords(false);  // records stay with fresh identifiers
  EXPECT_EQ(storage.RecordCount(), 1);
  EXPECT_EQ(storage.GetRecordID(0), 2);

  // A record with identifier 40 read from a stream moves the counter on.
  Bytes record = concat({marker("DXUFMT"), {0, 40, 0, 0, 0, 1}});
  read(0, record);
  EXPECT_EQ(storage.GetRecordID(0), 40);
  EXPECT_EQ(storage.GetRecordID(storage.AppendRecord()), 41);
}

TEST_F(Storage, IdentifierAtTheIntegerLimitIsAReadError) {
  add(TcxIntegerValueType::Instance());
  storage.SetUseRecordID(true);
  storage.AppendRecord();
  try {
    read(0, concat({marker("DXUFMT"), {0, 0xFF, 0xFF, 0xFF, 0x7F, 1}}));
    FAIL() << "no error";
  } catch (const rtl::EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  EXPECT_EQ(storage.GetRecordID(storage.AppendRecord()), 2) << "the counter did not wrap";
}

TEST_F(Storage, InternalRecordsAreReused) {
  TcxValueDef* i = add(TcxIntegerValueType::Instance());
  EXPECT_EQ(storage.AddInternalRecord(), -1);
  EXPECT_EQ(storage.AddInternalRecord(), -2);
  storage.SetValue(-2, i, Variant(5));  // through the internal twin
  EXPECT_EQ(storage.GetValue(-2, i).AsInteger(), 5);
  storage.DeleteInternalRecord(-1);
  EXPECT_EQ(storage.AddInternalRecord(), -1);
  EXPECT_EQ(storage.AddInternalRecord(), -3);
  EXPECT_EQ(storage.GetValue(-2, i).AsInteger(), 5) << "other internal records keep their values";

  int cleared = 0;
  struct Counter {
    int* count;
    void Handle(rtl::TObject*) { ++*count; }
  } counter{&cleared};
  storage.OnClearInternalRecords = rtl::TNotifyEvent::bind<&Counter::Handle>(&counter);
  storage.Clear(false);
  EXPECT_EQ(cleared, 1);
  EXPECT_EQ(storage.InternalRecordCount(), 0);
  EXPECT_EQ(storage.AddInternalRecord(), -1);
}

TEST_F(Storage, InternalRecordsSurviveALayoutChange) {
  add(TcxIntegerValueType::Instance());
  EXPECT_EQ(storage.AddInternalRecord(), -1);
  storage.SetUseRecordID(true);
  EXPECT_EQ(storage.AddInternalRecord(), -2) << "-1 is still in use";
}

// --- record stream ---------------------------------------------------------------------

TEST_F(Storage, NeverWrittenRecordIsTheMarkerAndOneByte) {
  add(TcxIntegerValueType::Instance());
  storage.AppendRecord();
  EXPECT_EQ(write(0), concat({marker("DXUFMT"), {1}}));
}

TEST_F(Storage, StringFieldInUnicodeAndAnsiForms) {
  TcxValueDef* s = add(TcxStringValueType::Instance());
  storage.SetRecordCount(2);
  storage.SetValue(0, s, Variant(u"abc"));
  EXPECT_EQ(write(0), concat({marker("DXUFMT"), {0, 0, 3, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0}}));

  read(1, Bytes{0, 0, 3, 0, 0, 0, 'x', 'y', 0xE7});  // no marker: ANSI form
  EXPECT_EQ(storage.GetValue(1, s).AsString(), u"xy\u00e7");
  read(1, concat({marker("DXAFMT"), {0, 1, 0, 0, 0, 0}}));
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(1, s)));
  read(1, concat({marker("DXUFMT"), {1}}));
  EXPECT_EQ(storage.RecordBuffer(1), nullptr);
}

TEST_F(Storage, TextIsWrittenForNullFieldsAndUnstreamedFieldsAreSkipped) {
  TcxValueDef* i = add(TcxIntegerValueType::Instance(), true);
  TcxValueDef* hidden = add(TcxIntegerValueType::Instance());
  hidden->SetStreamStored(false);
  const int r = storage.AppendRecord();
  storage.SetDisplayText(r, i, u"n");
  storage.SetValue(r, hidden, Variant(3));
  EXPECT_EQ(write(r), concat({marker("DXUFMT"), {0, 1, 1, 0, 0, 0, 'n', 0}}));
}

TEST_F(Storage, StreamingOrderComesFromTheCaller) {
  TcxValueDef* a = add(TcxSmallintValueType::Instance());
  TcxValueDef* b = add(TcxBooleanValueType::Instance());
  const int r = storage.AppendRecord();
  storage.SetValue(r, a, Variant(0x0102));
  storage.SetValue(r, b, Variant(true));
  storage.BeginStreaming([](const TcxValueDef* x, const TcxValueDef* y) { return y->Offset() - x->Offset(); });
  EXPECT_EQ(storage.ValueDefs()->Items(0), b);
  EXPECT_EQ(write(r), concat({marker("DXUFMT"), {0, 0, 1, 0, 2, 1}}));
  storage.EndStreaming();
  EXPECT_EQ(storage.ValueDefs()->Items(0), a);
}

struct BadRecord {
  const char* what;
  Bytes bytes;
};

class RecordReadErrors : public ::testing::TestWithParam<BadRecord> {};

TEST_P(RecordReadErrors, RaiseReadErrors) {
  TcxDataStorage storage;
  storage.ValueDefs()->Add(TcxStringValueType::Instance(), true, false, nullptr);
  storage.ValueDefs()->Add(TcxVariantValueType::Instance(), true, false, nullptr);
  storage.ValueDefs()->Add(TcxBLOBValueType::Instance(), true, false, nullptr);
  storage.AppendRecord();
  rtl::TBytesStream s(rtl::TBytes(GetParam().bytes.begin(), GetParam().bytes.end()));
  EXPECT_THROW(storage.ReadData(0, &s), rtl::EReadError) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordReadErrors,
    ::testing::Values(BadRecord{"empty", {}},
                      BadRecord{"text length past the end", concat({marker("DXUFMT"), {0, 0, 0xFF, 0xFF, 0xFF, 0x7F}})},
                      BadRecord{"negative text length", concat({marker("DXUFMT"), {0, 0, 0xFE, 0xFF, 0xFF, 0xFF}})},
                      BadRecord{"unknown variant tag", concat({marker("DXUFMT"), {0, 1, 0, 7}})},
                      BadRecord{"BLOB past the end", concat({marker("DXUFMT"), {0, 1, 1, 0, 9, 0, 0, 0, 1}})},
                      BadRecord{"missing field", concat({marker("DXUFMT"), {0, 1}})}));

// --- lookup list -------------------------------------------------------------------------

TEST(LookupList, FindsKeysOrTheirInsertionPlace) {
  TcxLookupList list;
  list.Insert(0, Variant(5), u"five");
  list.Insert(0, Variant(1), u"one");
  list.Insert(1, Variant(3), u"three");
  int index = -1;
  EXPECT_TRUE(list.Find(Variant(3), index));
  EXPECT_EQ(index, 1);
  EXPECT_EQ(list.Items(index).DisplayText, u"three");
  EXPECT_FALSE(list.Find(Variant(4), index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find(Variant(0), index));
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(list.Find(Variant(9), index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find(rtl::Null(), index)) << "Null sorts before numbers";
  EXPECT_EQ(index, 0);
  list.Clear();
  EXPECT_FALSE(list.Find(Variant(1), index));
  EXPECT_EQ(index, 0);
}

}  // namespace
}  // namespace data

namespace data {
namespace {

TEST(RecordBlockPool, CarvesBlocksInOrderAndReusesThemZeroed) {
  TcxRecordBlockPool pool;
  Byte* a = pool.Allocate(10);
  Byte* b = pool.Allocate(10);
  Byte* c = pool.Allocate(10);
  EXPECT_EQ(b, a + 10);
  EXPECT_EQ(c, b + 10);
  Byte* other = pool.Allocate(24);  // another size has blocks of its own
  EXPECT_TRUE(other < a || other >= c + 10);
  std::memset(b, 0xAB, 10);
  pool.Release(b, 10);
  Byte* again = pool.Allocate(10);
  EXPECT_EQ(again, b);
  EXPECT_EQ(std::count(again, again + 10, 0), 10) << "a reused block is zero-filled";
  std::vector<Byte*> many;
  for (int i = 0; i < 1000; ++i) many.push_back(pool.Allocate(10));  // past the first chunks
  for (Byte* p : many) EXPECT_EQ(std::count(p, p + 10, 0), 10);
  for (Byte* p : many) pool.Release(p, 10);
  pool.Release(a, 10);
  pool.Release(again, 10);
  pool.Release(c, 10);
  pool.Release(other, 24);
  Byte* fresh = pool.Allocate(10);  // after the last block went, chunks start over
  EXPECT_EQ(std::count(fresh, fresh + 10, 0), 10);
  pool.Release(fresh, 10);
}

TEST(RecordBlockPool, StorageRecordsReuseFreedBlocksAsNullRecords) {
  TcxDataStorage storage;
  TcxValueDef* s = storage.ValueDefs()->Add(TcxStringValueType::Instance(), true, true, nullptr);
  TcxValueDef* i = storage.ValueDefs()->Add(TcxIntegerValueType::Instance(), true, false, nullptr);
  storage.SetRecordCount(3);
  for (int r = 0; r < 3; ++r) {
    storage.SetValue(r, s, Variant(u"text"));
    storage.SetDisplayText(r, s, u"shown");
    storage.SetValue(r, i, Variant(r + 1));
  }
  storage.DeleteRecord(1);
  const int fresh = storage.AppendRecord();
  storage.SetValue(fresh, i, Variant(9));
  EXPECT_TRUE(rtl::VarIsNull(storage.GetValue(fresh, s)));
  EXPECT_EQ(storage.GetDisplayText(fresh, s), u"");
  EXPECT_EQ(storage.GetValue(0, i).AsInteger(), 1);
  EXPECT_EQ(storage.GetValue(1, i).AsInteger(), 3);
}

}  // namespace
}  // namespace data
