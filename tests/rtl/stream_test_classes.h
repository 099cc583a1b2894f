#pragma once
// Classes with one published property of each kind, a collection, a nested
// persistent, children and defined (binary and list) properties: what the
// component streaming tests write and read, and what its fuzz target reads
// untrusted streams into.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/types.h"
#include "platform/rtl/variant.h"

namespace rtl::stream_test {

enum class TTestAlign { alNone, alTop, alClient };
inline const EnumInfo kAlignInfo{u"TTestAlign", {u"alNone", u"alTop", u"alClient"}};
enum class TTestFontStyle { fsBold, fsItalic, fsUnderline };
using TTestFontStyles = Set<TTestFontStyle, 3>;
inline const EnumInfo kFontStyleInfo{u"TTestFontStyle", {u"fsBold", u"fsItalic", u"fsUnderline"}};

class TTestFont : public TPersistent {
  RTL_CLASS(TTestFont, TPersistent)

 public:
  static void Published(PropTable<TTestFont>& p) {
    p.Str("Name", &TTestFont::name, &TTestFont::name);
    p.Int("Size", &TTestFont::size, &TTestFont::size).Default(8);
    p.SetOf("Style", &TTestFont::style, &TTestFont::style, kFontStyleInfo).Default(TTestFontStyles{});
  }
  String name;
  int size = 8;
  TTestFontStyles style;
};

class TTestItem : public TCollectionItem {
  RTL_CLASS(TTestItem, TCollectionItem)

 public:
  explicit TTestItem(TCollection* collection) : TCollectionItem(collection) {}
  static void Published(PropTable<TTestItem>& p) {
    p.Str("Caption", &TTestItem::caption, &TTestItem::caption);
    p.Int("Width", &TTestItem::width, &TTestItem::width).Default(64);
  }
  String caption;
  int width = 64;
};

class TTestComponent : public TComponent {
  RTL_CLASS(TTestComponent, TComponent)

 public:
  explicit TTestComponent(TComponent* owner)
      : TComponent(owner), font(std::make_unique<TTestFont>()),
        items(std::make_unique<TCollection>(TTestItem::classInfo())) {}
  ~TTestComponent() override {
    for (TTestComponent* c : children) c->parent = nullptr;
    if (parent) std::erase(parent->children, this);
  }

  static void Published(PropTable<TTestComponent>& p) {
    p.Int("Count", &TTestComponent::count, &TTestComponent::count).Default(0);
    p.Int64("Big", &TTestComponent::big, &TTestComponent::big).Default(0);
    p.Bool("Enabled", &TTestComponent::enabled, &TTestComponent::enabled).Default(true);
    p.Enum("Align", &TTestComponent::align, &TTestComponent::align, kAlignInfo)
        .Default(TTestAlign::alNone);
    p.Float("Ratio", &TTestComponent::ratio, &TTestComponent::ratio);
    p.Str("Caption", &TTestComponent::caption, &TTestComponent::caption);
    p.WChar("Accel", &TTestComponent::accel, &TTestComponent::accel).Default(0);
    p.Object("Font", &TTestComponent::GetFont);
    p.Object("Items", &TTestComponent::GetItems);
    p.Object("Buddy", &TTestComponent::buddy, &TTestComponent::buddy);
    p.Var("Value", &TTestComponent::value, &TTestComponent::value);
  }

  TTestFont* GetFont() const { return font.get(); }
  TCollection* GetItems() const { return items.get(); }

  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (TTestComponent* c : children) proc(c);
  }
  bool HasParent() const override { return parent != nullptr; }
  TComponent* GetParentComponent() const override { return parent; }
  void SetParentComponent(TComponent* value) override {
    if (parent) std::erase(parent->children, this);
    parent = dynamic_cast<TTestComponent*>(value);
    if (parent) parent->children.push_back(this);
  }

  int count = 0;
  Int64 big = 0;
  bool enabled = true;
  TTestAlign align = TTestAlign::alNone;
  double ratio = 0;
  String caption;
  Char accel = 0;
  std::unique_ptr<TTestFont> font;
  std::unique_ptr<TCollection> items;
  TTestComponent* buddy = nullptr;
  Variant value;
  TBytes data;                // DefineBinaryProperty "Data"
  std::vector<int> numbers;   // DefineProperty "Numbers"
  TTestComponent* parent = nullptr;
  std::vector<TTestComponent*> children;
  int loadedCalls = 0;
  bool readingDuringRead = false;

 protected:
  void DefineProperties(TFiler* filer) override {
    TComponent::DefineProperties(filer);
    filer->DefineBinaryProperty(
        u"Data", [this](TStream* s) { data = ReadAllBytes(*s); },
        [this](TStream* s) { s->WriteBuffer(data.data(), static_cast<Int64>(data.size())); },
        !data.empty());
    filer->DefineProperty(
        u"Numbers",
        [this](TReader* r) {
          numbers.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) numbers.push_back(r->ReadInteger());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (int n : numbers) w->WriteInteger(n);
          w->WriteListEnd();
        },
        !numbers.empty());
  }
  void Loaded() override {
    ++loadedCalls;
    TComponent::Loaded();
  }
};

class TTestPanel : public TTestComponent {
  RTL_CLASS(TTestPanel, TTestComponent)

 public:
  using TTestComponent::TTestComponent;
};

inline void registerTestClasses() {
  RegisterClasses({&TTestComponent::classInfo(), &TTestPanel::classInfo()});
}

// Components go through Free, as their owners free them.
struct FreeObject {
  void operator()(TObject* obj) const { obj->Free(); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;

}  // namespace rtl::stream_test
