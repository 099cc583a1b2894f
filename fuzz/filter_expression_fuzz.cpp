// Arbitrary text as a dataset's Filter: the parser on its own, evaluation
// against a record of every kind, and the dataset that binds the names.
// EDatabaseError (bad syntax, unknown field) is expected; anything else is a bug.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/db/db.h"
#include "platform/rtl/ustring.h"

namespace {

db::TCustomMemDataSet* table() {
  static db::TCustomMemDataSet* ds = [] {
    auto* t = new db::TCustomMemDataSet(nullptr);
    t->FieldDefs()->Add(u"A", db::ftInteger);
    t->FieldDefs()->Add(u"B", db::ftString, 10);
    t->FieldDefs()->Add(u"C", db::ftFloat);
    t->FieldDefs()->Add(u"D", db::ftDateTime);
    t->FieldDefs()->Add(u"E", db::ftBoolean);
    t->CreateDataSet();
    t->AppendRecord({db::Variant(1), db::Variant(u"um"), db::Variant(1.5),
                     db::Variant::FromDateTime(45000.25), db::Variant(true)});
    t->AppendRecord({rtl::Null(), rtl::Null(), rtl::Null(), rtl::Null(), rtl::Null()});
    t->AppendRecord({db::Variant(-7), db::Variant(u"Zé*"), db::Variant(-0.0),
                     db::Variant::FromDateTime(-1.5), db::Variant(false)});
    return t;
  }();
  return ds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const rtl::TFormatSettings pt = rtl::TFormatSettings::Create(rtl::LOCALE_PT_BR);
  const rtl::String text = rtl::Utf8ToString(std::string_view(reinterpret_cast<const char*>(data), size));
  const db::Variant values[] = {db::Variant(42), db::Variant(u"texto"), db::Variant(2.5),
                                db::Variant::FromDateTime(45000.0), db::Variant(true), rtl::Null()};
  try {
    auto expr = db::TFilterExpression::Parse(text, {db::foCaseInsensitive});
    expr->Evaluate([&](int i) { return values[static_cast<std::size_t>(i) % 6]; }, pt);
  } catch (const db::EDatabaseError&) {
  }
  db::TCustomMemDataSet* ds = table();
  try {
    ds->SetFiltered(false);
    ds->SetFilter(text);
    ds->SetFiltered(true);
    for (ds->First(); !ds->Eof(); ds->Next()) ds->FieldByName(u"A")->AsString();
  } catch (const db::EDatabaseError&) {
  }
  return 0;
}
