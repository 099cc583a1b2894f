#pragma once
// Objects whose layouts the storage tests store and restore: a view with
// published properties of every kind, a collection of columns, a linked
// component, and a container that names its own children through the stored
// interfaces.
#include <memory>
#include <vector>

#include "lib/core/cxStorage.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/stringlist.h"
#include "platform/rtl/variant.h"

namespace storage_test {

using rtl::String;
using rtl::Variant;

enum class TViewAlign { vaNone, vaLeft, vaClient };
inline const rtl::EnumInfo kViewAlignInfo{u"TViewAlign", {u"vaNone", u"vaLeft", u"vaClient"}};
enum class TViewOption { voGrid, voHeader, voFooter };
using TViewOptions = rtl::Set<TViewOption, 3>;
inline const rtl::EnumInfo kViewOptionInfo{u"TViewOption", {u"voGrid", u"voHeader", u"voFooter"}};

class TTestColumn : public rtl::TCollectionItem {
  RTL_CLASS(TTestColumn, rtl::TCollectionItem)

 public:
  explicit TTestColumn(rtl::TCollection* collection) : rtl::TCollectionItem(collection) {}
  static void Published(rtl::PropTable<TTestColumn>& p) {
    p.Int("Width", &TTestColumn::width, &TTestColumn::width);
    p.Str("Caption", &TTestColumn::caption, &TTestColumn::caption);
  }
  int width = 0;
  String caption;
};

class TTestColumns : public rtl::TCollection {
  RTL_CLASS(TTestColumns, rtl::TCollection)

 public:
  TTestColumns() : rtl::TCollection(rtl::ClassRef<rtl::TCollectionItem>::of<TTestColumn>()) {}
  TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(Items(i)); }
};

class TTestView : public rtl::TComponent {
  RTL_CLASS(TTestView, rtl::TComponent)

 public:
  explicit TTestView(rtl::TComponent* owner) : rtl::TComponent(owner) {}
  ~TTestView() override = default;

  static void Published(rtl::PropTable<TTestView>& p) {
    p.Int("Width", &TTestView::width, &TTestView::width);
    p.Float("Ratio", &TTestView::ratio, &TTestView::ratio);
    p.Str("Caption", &TTestView::caption, &TTestView::caption);
    p.Bool("Visible", &TTestView::visible, &TTestView::visible);
    p.Enum("Align", &TTestView::align, &TTestView::align, kViewAlignInfo);
    p.SetOf("Options", &TTestView::options, &TTestView::options, kViewOptionInfo);
    p.Int64("Serial", &TTestView::serial, &TTestView::serial);
    p.Var("Extra", &TTestView::extra, &TTestView::extra);
    p.Object("Columns", &TTestView::GetColumns);
    p.Object("Link", &TTestView::link, &TTestView::SetLink);
    p.Event("OnChange", &TTestView::onChange, &TTestView::onChange);
  }

  TTestColumns* GetColumns() const { return columns.get(); }
  void SetLink(rtl::TComponent* value) { link = value; }

  int width = 0;
  double ratio = 0;
  String caption;
  bool visible = false;
  TViewAlign align = TViewAlign::vaNone;
  TViewOptions options;
  rtl::Int64 serial = 0;
  Variant extra;
  std::unique_ptr<TTestColumns> columns{rtl::Create<TTestColumns>()};
  rtl::TComponent* link = nullptr;
  rtl::TNotifyEvent onChange;
};

// An item of the container: stored through the interface only.
class TTestItem : public rtl::TObject, public core::IcxStoredObject {
  RTL_CLASS(TTestItem, rtl::TObject)

 public:
  String name;
  String text;
  int size = 0;

  String GetObjectName() override { return name; }
  bool GetProperties(rtl::TStrings* AProperties) override {
    AProperties->Add(u"Text");
    AProperties->Add(u"Size");
    return true;
  }
  void GetPropertyValue(const String& AName, Variant& AValue) override {
    if (AName == u"Text") AValue = text;
    if (AName == u"Size") AValue = size;
  }
  void SetPropertyValue(const String& AName, const Variant& AValue) override {
    if (AName == u"Text") text = rtl::VarToStr(AValue);
    if (AName == u"Size") size = AValue.AsInteger();
  }
};

// A container that lists, creates and deletes its items itself.
class TTestContainer : public rtl::TObject, public core::IcxStoredObject, public core::IcxStoredParent {
  RTL_CLASS(TTestContainer, rtl::TObject)

 public:
  String name = u"Layout";
  String title;
  std::vector<std::unique_ptr<TTestItem>> items;
  std::vector<String> created, deleted;

  TTestItem* Add(const String& itemName, const String& text = String(), int size = 0) {
    auto item = std::unique_ptr<TTestItem>(rtl::Create<TTestItem>());
    item->name = itemName;
    item->text = text;
    item->size = size;
    items.push_back(std::move(item));
    return items.back().get();
  }

  String GetObjectName() override { return name; }
  bool GetProperties(rtl::TStrings* AProperties) override {
    AProperties->Add(u"Title");
    return true;
  }
  void GetPropertyValue(const String& AName, Variant& AValue) override {
    if (AName == u"Title") AValue = title;
  }
  void SetPropertyValue(const String& AName, const Variant& AValue) override {
    if (AName == u"Title") title = rtl::VarToStr(AValue);
  }
  rtl::TObject* CreateChild(const String& AObjectName, const String& AClassName) override {
    if (AClassName != u"TTestItem") return nullptr;
    created.push_back(AObjectName);
    return Add(AObjectName);
  }
  void DeleteChild(const String& AObjectName, rtl::TObject* AObject) override {
    deleted.push_back(AObjectName);
    std::erase_if(items, [&](const auto& item) { return item.get() == AObject; });
  }
  void GetChildren(rtl::TStringList* AChildren) override {
    for (const auto& item : items) AChildren->AddObject(String(), item.get());
  }
};

}  // namespace storage_test
