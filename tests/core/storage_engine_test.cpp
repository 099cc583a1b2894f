// The storage engine against a writer that records its calls and a reader
// that answers from a table: names, values, children and the modes.
#include <gtest/gtest.h>

#include <map>

#include "lib/core/cxStorage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/ustring.h"
#include "tests/core/storage_test_objects.h"

namespace {

using core::TcxStorage;
using core::TcxStorageMode;
using core::TcxStorageModes;
using rtl::String;
using rtl::Variant;
using namespace storage_test;

std::string U8(const String& s) { return rtl::StringToUtf8(s); }

// Every call as one line: "begin Form1.View TTestView", "prop Form1.View Width=3"...
class TRecordingWriter : public core::TcxCustomWriter {
  RTL_CLASS(TRecordingWriter, core::TcxCustomWriter)

 public:
  TRecordingWriter() : core::TcxCustomWriter(u"", true) {}
  std::vector<std::string> calls;
  String failOn;  // WriteProperty of this name raises
  int endWrites = 0;

  void ClearObjectData(const String& AObjectName, const String& AClassName) override {
    calls.push_back("clear " + U8(AObjectName) + " " + U8(AClassName));
  }
  void EndWrite() override { ++endWrites; }
  void BeginWriteObject(const String& AObjectName, const String& AClassName) override {
    calls.push_back("begin " + U8(AObjectName) + " " + U8(AClassName));
  }
  void EndWriteObject(const String& AObjectName, const String&) override {
    calls.push_back("end " + U8(AObjectName));
  }
  void WriteProperty(const String& AObjectName, const String&, const String& AName,
                     const Variant& AValue) override {
    if (AName == failOn) throw rtl::EWriteError(u"disk full");
    calls.push_back("prop " + U8(AObjectName) + " " + U8(AName) + "=" + U8(rtl::VarToStr(AValue)) +
                    ":" + U8(rtl::VarTypeAsText(rtl::VarType(AValue))));
  }
};

// Answers from tables keyed by full object name.
class TTableReader : public core::TcxCustomReader {
  RTL_CLASS(TTableReader, core::TcxCustomReader)

 public:
  TTableReader() : core::TcxCustomReader(u"") {}
  std::map<String, std::vector<std::pair<String, Variant>>> props;
  std::map<String, std::vector<std::pair<String, String>>> children;
  int endReads = 0;

  void EndRead() override { ++endReads; }
  void ReadProperties(const String& AObjectName, const String&, rtl::TStrings* AProperties) override {
    for (const auto& p : props[AObjectName]) AProperties->Add(p.first);
  }
  Variant ReadProperty(const String& AObjectName, const String&, const String& AName) override {
    for (const auto& p : props[AObjectName])
      if (p.first == AName) return p.second;
    return rtl::Null();
  }
  void ReadChildren(const String& AObjectName, const String&, rtl::TStrings* AChildrenNames,
                    rtl::TStrings* AChildrenClassNames) override {
    for (const auto& c : children[AObjectName]) {
      AChildrenNames->Add(c.first);
      AChildrenClassNames->Add(c.second);
    }
  }
};

TEST(StorageEngine, NamesPrefixAndChildPathsReachTheWriter) {
  TTestContainer layout;
  layout.name = u"Grid1View";
  layout.title = u"Main";
  layout.Add(u"Column1", u"A", 1);
  layout.Add(u"", u"unnamed", 2);  // an empty name is completed by the child itself
  TRecordingWriter writer;
  TcxStorage storage(u"");
  storage.SetNamePrefix(u"Form1");
  storage.StoreWithExistingWriter(&layout, &writer);
  const std::vector<std::string> expected = {
      "clear Form1.Grid1View TTestContainer",
      "begin Form1.Grid1View TTestContainer",
      "prop Form1.Grid1View Title=Main:UnicodeString",
      "begin Form1.Grid1View/Column1 TTestItem",
      "prop Form1.Grid1View/Column1 Text=A:UnicodeString",
      "prop Form1.Grid1View/Column1 Size=1:Integer",
      "end Form1.Grid1View/Column1",
      "begin Form1.Grid1View/ TTestItem",
      "prop Form1.Grid1View/ Text=unnamed:UnicodeString",
      "prop Form1.Grid1View/ Size=2:Integer",
      "end Form1.Grid1View/",
      "end Form1.Grid1View",
  };
  EXPECT_EQ(writer.calls, expected);
  EXPECT_EQ(writer.endWrites, 1);
}

TEST(StorageEngine, PublishedPropertiesAreStoredByKind) {
  rtl::TComponent owner(nullptr);
  TTestView view(&owner);
  view.SetName(u"View");
  view.width = 300;
  view.ratio = 0.5;
  view.caption = u"Fuel";
  view.visible = true;
  view.align = TViewAlign::vaClient;
  view.options = {TViewOption::voGrid, TViewOption::voFooter};
  view.serial = 1LL << 40;
  // extra stays Empty: not written; an event is never a stored property.
  TRecordingWriter writer;
  TcxStorage storage(u"");
  storage.StoreWithExistingWriter(&view, &writer);
  const std::vector<std::string> expected = {
      "clear View TTestView",
      "begin View TTestView",
      "prop View Name=View:UnicodeString",
      "prop View Tag=0:Integer",
      "prop View Width=300:Integer",
      "prop View Ratio=0.5:Double",
      "prop View Caption=Fuel:UnicodeString",
      "prop View Visible=True:UnicodeString",
      "prop View Align=vaClient:UnicodeString",
      "prop View Options=[voGrid,voFooter]:UnicodeString",
      "prop View Serial=1099511627776:Int64",
      "end View",
  };
  EXPECT_EQ(writer.calls, expected);
}

TEST(StorageEngine, NullAndEmptyValuesAreSkippedBothWays) {
  TTestView view(nullptr);
  view.SetName(u"View");
  view.extra = rtl::Null();
  TRecordingWriter writer;
  TcxStorage(u"").StoreWithExistingWriter(&view, &writer);
  for (const auto& call : writer.calls) EXPECT_EQ(call.find("Extra"), std::string::npos) << call;

  TTableReader reader;
  view.width = 7;
  view.extra = 5;
  reader.props[u"View"] = {{u"Width", rtl::Null()}, {u"Extra", rtl::Null()}, {u"Caption", String(u"x")}};
  TcxStorage(u"").RestoreWithExistingReader(&view, &reader);
  EXPECT_EQ(view.width, 7);
  EXPECT_EQ(view.extra.AsInteger(), 5);
  EXPECT_EQ(view.caption, u"x");
}

TEST(StorageEngine, StoredTextsAreAppliedByPropertyKind) {
  TTestView view(nullptr);
  view.SetName(u"View");
  TTableReader reader;
  reader.props[u"View"] = {
      {u"Width", String(u"120")},       {u"Ratio", 2.25},
      {u"Visible", String(u"True")},    {u"Align", String(u"vaLeft")},
      {u"Options", String(u"[voHeader]")}, {u"Serial", String(u"-5000000000")},
      {u"Extra", String(u"kept as text")},
  };
  TcxStorage(u"").RestoreWithExistingReader(&view, &reader);
  EXPECT_EQ(view.width, 120);
  EXPECT_DOUBLE_EQ(view.ratio, 2.25);
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.align, TViewAlign::vaLeft);
  EXPECT_EQ(view.options, TViewOptions{TViewOption::voHeader});
  EXPECT_EQ(view.serial, -5000000000LL);
  EXPECT_EQ(rtl::VarToStr(view.extra), u"kept as text");
  EXPECT_EQ(reader.endReads, 1);
}

// Eleven items: the names 0..10 come back in the storage's (alphabetical)
// order and must be applied in numeric order.
TEST(StorageEngine, CollectionItemsAreRestoredInNumericOrder) {
  TTestView view(nullptr);
  view.SetName(u"View");
  TTableReader reader;
  const char16_t* alphabetical[] = {u"0", u"1", u"10", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
  for (const char16_t* name : alphabetical) {
    reader.children[u"View/Columns"].push_back({name, u"TTestColumn"});
    reader.props[String(u"View/Columns/") + name] = {{u"Width", rtl::StrToInt(name) * 10}};
  }
  reader.children[u"View"] = {{u"Columns", u"TTestColumns"}};
  TcxStorage storage(u"");
  storage.SetModes({TcxStorageMode::smSavePublishedClassProperties, TcxStorageMode::smChildrenCreating});
  storage.RestoreWithExistingReader(&view, &reader);
  ASSERT_EQ(view.columns->Count(), 11);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(view.columns->Column(i)->width, i * 10) << i;

  // Storing names the items by index.
  TRecordingWriter writer;
  storage.StoreWithExistingWriter(&view, &writer);
  EXPECT_NE(std::find(writer.calls.begin(), writer.calls.end(), "begin View/Columns/10 TTestColumn"),
            writer.calls.end());
}

TEST(StorageEngine, ChildrenAreCreatedAndDeletedOnlyInTheirModes) {
  struct Case {
    TcxStorageModes modes;
    std::vector<std::string> afterRestore;  // item names, in order
    std::vector<std::string> created, deleted;
  };
  const Case cases[] = {
      {{}, {"A", "Stale"}, {}, {}},
      {{TcxStorageMode::smChildrenCreating}, {"A", "Stale", "New"}, {"New"}, {}},
      {{TcxStorageMode::smChildrenDeleting}, {"A"}, {}, {"Stale"}},
      {{TcxStorageMode::smChildrenCreating, TcxStorageMode::smChildrenDeleting}, {"A", "New"}, {"New"}, {"Stale"}},
  };
  for (const Case& c : cases) {
    TTestContainer layout;
    layout.Add(u"A");
    layout.Add(u"Stale");
    TTableReader reader;
    reader.children[u"Layout"] = {{u"a", u"TTestItem"}, {u"New", u"TTestItem"}};
    reader.props[u"Layout/New"] = {{u"Text", String(u"made")}};
    reader.props[u"Layout/a"] = {{u"Size", 4}};
    TcxStorage storage(u"");
    storage.SetModes(c.modes);
    storage.RestoreWithExistingReader(&layout, &reader);
    std::vector<std::string> names;
    for (const auto& item : layout.items) names.push_back(U8(item->name));
    std::vector<std::string> created, deleted;
    for (const auto& n : layout.created) created.push_back(U8(n));
    for (const auto& n : layout.deleted) deleted.push_back(U8(n));
    EXPECT_EQ(names, c.afterRestore);
    EXPECT_EQ(created, c.created);
    EXPECT_EQ(deleted, c.deleted);
    EXPECT_EQ(layout.items[0]->size, 4) << "matched ignoring case";
    if (c.modes.contains(TcxStorageMode::smChildrenCreating)) { EXPECT_EQ(layout.items.back()->text, u"made"); }
  }
}

TEST(StorageEngine, SurplusCollectionItemsAreFreedOnlyWhenDeleting) {
  for (bool deleting : {false, true}) {
    TTestView view(nullptr);
    view.SetName(u"View");
    for (int i = 0; i < 3; ++i) view.columns->Add();
    TTableReader reader;
    reader.children[u"View"] = {{u"Columns", u"TTestColumns"}};
    reader.children[u"View/Columns"] = {{u"0", u"TTestColumn"}};
    TcxStorage storage(u"");
    TcxStorageModes modes{TcxStorageMode::smSavePublishedClassProperties};
    if (deleting) modes += TcxStorageMode::smChildrenDeleting;
    storage.SetModes(modes);
    storage.RestoreWithExistingReader(&view, &reader);
    EXPECT_EQ(view.columns->Count(), deleting ? 1 : 3);
  }
}

TEST(StorageEngine, ComponentLinksAreStoredByNameAndFoundOnRestore) {
  rtl::TComponent form(nullptr);
  TTestView view(&form);
  view.SetName(u"View");
  auto* target = rtl::Create<rtl::TComponent>(&form);
  target->SetName(u"Target");
  view.link = target;

  TRecordingWriter writer;
  TcxStorage storage(u"");
  storage.SetSaveComponentPropertiesByName(true);
  storage.StoreWithExistingWriter(&view, &writer);
  EXPECT_NE(std::find(writer.calls.begin(), writer.calls.end(), "prop View Link=Target:UnicodeString"),
            writer.calls.end());

  storage.OnGetComponentByName = rtl::Method<rtl::TComponent*(const String&)>::fromClosure(
      &form, [&form](const String& name) { return form.FindComponent(name); });
  struct Case {
    const char16_t* stored;
    rtl::TComponent* expected;
  };
  auto* other = rtl::Create<rtl::TComponent>(&form);
  other->SetName(u"Other");
  const Case cases[] = {{u"Other", other}, {u"Missing", other}, {u"Target", target}};
  view.link = nullptr;
  for (const Case& c : cases) {
    TTableReader reader;
    reader.props[u"View"] = {{u"Link", String(c.stored)}};
    storage.RestoreWithExistingReader(&view, &reader);
    EXPECT_EQ(view.link, c.expected) << U8(c.stored);
  }
}

TEST(StorageEngine, PropertyErrorsGoToTheErrorEvent) {
  enum class Outcome { Handled, Unhandled, NoHandler };
  struct Case {
    Outcome outcome;
    bool abort;  // the setter raises the silent abort instead
    bool expectThrow;
    int expectedWidth;
  };
  const Case cases[] = {
      {Outcome::Handled, false, false, 9},
      {Outcome::Unhandled, false, true, 0},
      {Outcome::NoHandler, false, true, 0},
      {Outcome::Handled, true, true, 0},
  };
  class TFailingItem : public TTestItem {
   public:
    bool abort = false;
    void SetPropertyValue(const String& AName, const Variant& AValue) override {
      if (AName == u"Bad") {
        if (abort) throw rtl::EAbort(u"");
        throw rtl::EConvertError(u"bad value");
      }
      TTestItem::SetPropertyValue(AName, AValue);
    }
  };
  for (const Case& c : cases) {
    TFailingItem item;
    item.name = u"Item";
    item.abort = c.abort;
    TTableReader reader;
    reader.props[u"Item"] = {{u"Bad", 1}, {u"Size", 9}};
    TcxStorage storage(u"");
    std::vector<std::string> asked;
    if (c.outcome != Outcome::NoHandler) {
      storage.OnSetStoredPropertyValueError = core::TcxSetStoredPropertyValueErrorEvent::fromClosure(
          &asked, [&](TcxStorage* s, const String& name, const Variant&) {
            EXPECT_EQ(s, &storage);
            asked.push_back(U8(name));
            return c.outcome == Outcome::Handled;
          });
    }
    if (c.expectThrow)
      EXPECT_ANY_THROW(storage.RestoreWithExistingReader(&item, &reader));
    else
      storage.RestoreWithExistingReader(&item, &reader);
    EXPECT_EQ(item.size, c.expectedWidth);
    EXPECT_EQ(reader.endReads, 1) << "EndRead runs also when an error passes";
    if (c.abort) { EXPECT_TRUE(asked.empty()) << "the silent abort is never offered"; }
  }
}

TEST(StorageEngine, WriterErrorsPassAfterEndWrite) {
  TTestContainer layout;
  layout.title = u"x";
  TRecordingWriter writer;
  writer.failOn = u"Title";
  EXPECT_THROW(TcxStorage(u"").StoreWithExistingWriter(&layout, &writer), rtl::EWriteError);
  EXPECT_EQ(writer.endWrites, 1);
}

TEST(StorageEngine, InterfaceOnlyIgnoresPublishedProperties) {
  class TViewWithInterface : public TTestView, public core::IcxStoredObject {
   public:
    TViewWithInterface() : TTestView(nullptr) {}
    String GetObjectName() override { return u"V"; }
    bool GetProperties(rtl::TStrings* AProperties) override {
      AProperties->Add(u"Width");
      return true;
    }
    void GetPropertyValue(const String& AName, Variant& AValue) override { AValue = 42; }
    void SetPropertyValue(const String&, const Variant& AValue) override { fromInterface = AValue.AsInteger(); }
    int fromInterface = 0;
  };
  for (bool interfaceOnly : {false, true}) {
    TViewWithInterface view;
    view.width = 5;
    TRecordingWriter writer;
    TcxStorage storage(u"");
    storage.OnGetUseInterfaceOnly = core::TcxGetUseInterfaceOnlyEvent::fromClosure(
        &view, [interfaceOnly] { return interfaceOnly; });
    storage.StoreWithExistingWriter(&view, &writer);
    ASSERT_EQ(writer.calls.size(), 4u);
    EXPECT_EQ(writer.calls[2], interfaceOnly ? "prop V Width=42:Integer" : "prop V Width=5:Integer");
    TTableReader reader;
    reader.props[u"V"] = {{u"Width", 77}};
    storage.RestoreWithExistingReader(&view, &reader);
    EXPECT_EQ(view.width, interfaceOnly ? 5 : 77);
    EXPECT_EQ(view.fromInterface, interfaceOnly ? 77 : 0);
  }
}

}  // namespace
