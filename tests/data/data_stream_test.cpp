// The controller's records as a stream: exact bytes of an empty controller,
// round trips, and streams that must be refused without touching the records.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStorage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "tests/data/data_controller_support.h"

namespace {

using data::TcxIntegerValueType;
using data::TcxStringValueType;
using data::TcxValueTypeClass;
using data_test::TestController;
using rtl::Variant;

std::string bytesOf(rtl::TMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

std::string int32(int v) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i)
    out[static_cast<size_t>(i)] = static_cast<char>((static_cast<unsigned>(v) >> (8 * i)) & 0xFF);
  return out;
}

std::string ansi(const std::string& s) { return int32(static_cast<int>(s.size())) + s; }

// A controller with one item per type and the given rows (null: a blank).
struct Table {
  rtl::TComponent owner{nullptr};
  TestController controller{&owner};
  Table(std::vector<TcxValueTypeClass> types, std::vector<std::vector<Variant>> rows) {
    for (TcxValueTypeClass t : types) controller.addItem(t);
    for (const auto& row : rows) {
      const int r = controller.AppendRecord();
      for (size_t i = 0; i < row.size(); ++i) controller.SetValue(r, static_cast<int>(i), row[i]);
    }
  }
  std::string save() {
    rtl::TMemoryStream s;
    controller.SaveToStream(&s);
    return bytesOf(s);
  }
  void load(const std::string& bytes) {
    rtl::TMemoryStream s;
    s.Write(bytes.data(), static_cast<rtl::Int64>(bytes.size()));
    s.SetPosition(0);
    controller.LoadFromStream(&s);
  }
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (int r = 0; r < controller.GetRecordCount(); ++r) {
      std::string line;
      for (int i = 0; i < controller.GetItemCount(); ++i)
        line += (i ? "|" : "") + data_test::show(controller.GetValue(r, i));
      out.push_back(line);
    }
    return out;
  }
};

TcxValueTypeClass str() { return TcxStringValueType::Instance(); }
TcxValueTypeClass num() { return TcxIntegerValueType::Instance(); }

TEST(DataControllerStream, EmptyControllerWritesHeaderOnlyAndLoadsBack) {
  Table t({str(), num()}, {});
  const std::string bytes = t.save();
  EXPECT_EQ(bytes, ansi("DataController1") + int32(2) + ansi("TcxStringValueType") + ansi("TcxIntegerValueType") +
                       int32(0));
  Table other({str(), num()}, {{Variant(u"x"), Variant(1)}});
  other.load(bytes);
  EXPECT_EQ(other.controller.GetRecordCount(), 0);
}

TEST(DataControllerStream, RoundTripKeepsValuesAndBlanksAndReplacesRecords) {
  Table source({str(), num()},
               {{Variant(u"ann"), Variant(7)}, {rtl::Null(), Variant(-3)}, {Variant(u""), rtl::Null()}});
  Table target({str(), num()}, {{Variant(u"old"), Variant(1)}});
  target.controller.SetMultiSelect(true);
  target.controller.ChangeRowSelection(0, true);
  target.load(source.save());
  EXPECT_EQ(target.rows(), source.rows());
  EXPECT_EQ(target.controller.GetSelectedCount(), 0);
  EXPECT_EQ(target.save(), source.save());
}

// Every refused stream leaves the controller with its records as they were.
struct RefusedCase {
  const char* name;
  std::function<std::string(const std::string& good)> make;
  bool formatError;  // else the stream read error
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class DataControllerStreamRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(DataControllerStreamRefused, RaisesAndKeepsPreviousRecords) {
  const RefusedCase& c = GetParam();
  Table source({str(), num()},
               {{Variant(u"a"), Variant(1)}, {Variant(u"bb"), Variant(2)}, {Variant(u"c"), Variant(3)}});
  Table target({str(), num()}, {{Variant(u"keep"), Variant(42)}, {rtl::Null(), Variant(5)}});
  const std::vector<std::string> before = target.rows();
  const std::string bytes = c.make(source.save());
  if (c.formatError) {
    try {
      target.load(bytes);
      FAIL() << "accepted";
    } catch (const data::EcxInvalidDataControllerOperation& e) {
      EXPECT_EQ(data_test::utf8(e.Message()), "Invalid stream format");
    }
  } else {
    EXPECT_THROW(target.load(bytes), rtl::EReadError);
  }
  EXPECT_EQ(target.rows(), before);
}

std::string header(int typeCount, const std::vector<std::string>& names) {
  std::string out = ansi("DataController1") + int32(typeCount);
  for (const auto& n : names) out += ansi(n);
  return out;
}

const RefusedCase kRefused[] = {
    {"OtherSignature", [](const std::string&) { return ansi("DataController2") + int32(2); }, true},
    {"TypeCountDiffers",
     [](const std::string&) {
       return header(3, {"TcxStringValueType", "TcxIntegerValueType", "TcxIntegerValueType"}) + int32(0);
     },
     true},
    {"TypesInOtherOrder",
     [](const std::string&) {
       Table swapped({num(), str()}, {{Variant(1), Variant(u"a")}});
       return swapped.save();
     },
     true},
    {"EmptyStream", [](const std::string&) { return std::string(); }, false},
    {"SignatureCountBeyondBytes", [](const std::string&) { return int32(0x7FFFFFFF) + "Data"; }, false},
    {"RecordCountBeyondBytes",
     [](const std::string&) { return header(2, {"TcxStringValueType", "TcxIntegerValueType"}) + int32(0x7FFFFFFF); },
     false},
    {"LastRecordCutShort", [](const std::string& good) { return good.substr(0, good.size() - 2); }, false},
    {"RecordCountAboveRecordsPresent",
     [](const std::string& good) {
       std::string bytes = good;
       // The count sits right after the two names.
       const size_t at = header(2, {"TcxStringValueType", "TcxIntegerValueType"}).size();
       bytes.replace(at, 4, int32(4));
       return bytes;
     },
     false},
};

INSTANTIATE_TEST_SUITE_P(Streams, DataControllerStreamRefused, testing::ValuesIn(kRefused),
                         [](const testing::TestParamInfo<RefusedCase>& i) { return std::string(i.param.name); });

}  // namespace
