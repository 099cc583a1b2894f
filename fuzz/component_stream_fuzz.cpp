// Feeds untrusted bytes to TReader: streams starting with "TPF0" are read as a
// root component (created by class name, and into an existing root); other
// bytes as a run of tagged values. Read errors are expected; crashes, leaks
// and reads past the end are not.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/rtl/classes.h"
#include "platform/rtl/except.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/variant.h"

namespace fuzzing {

using namespace rtl;

enum class TFuzzKind { fkOne, fkTwo, fkThree };
const EnumInfo kKindInfo{u"TFuzzKind", {u"fkOne", u"fkTwo", u"fkThree"}};
using TFuzzKinds = Set<TFuzzKind, 3>;

class TFuzzFont : public TPersistent {
  RTL_CLASS(TFuzzFont, TPersistent)

 public:
  static void Published(PropTable<TFuzzFont>& p) {
    p.Str("Name", &TFuzzFont::name, &TFuzzFont::name);
    p.Int("Size", &TFuzzFont::size, &TFuzzFont::size).Default(8);
    p.SetOf("Style", &TFuzzFont::style, &TFuzzFont::style, kKindInfo);
  }
  String name;
  int size = 8;
  TFuzzKinds style;
};

class TFuzzItem : public TCollectionItem {
  RTL_CLASS(TFuzzItem, TCollectionItem)

 public:
  explicit TFuzzItem(TCollection* collection) : TCollectionItem(collection) {}
  static void Published(PropTable<TFuzzItem>& p) {
    p.Str("Caption", &TFuzzItem::caption, &TFuzzItem::caption);
    p.Int("Width", &TFuzzItem::width, &TFuzzItem::width);
  }
  String caption;
  int width = 0;
};

class TFuzzComponent : public TComponent {
  RTL_CLASS(TFuzzComponent, TComponent)

 public:
  explicit TFuzzComponent(TComponent* owner)
      : TComponent(owner), font(std::make_unique<TFuzzFont>()),
        items(std::make_unique<TCollection>(TFuzzItem::classInfo())) {}
  ~TFuzzComponent() override {
    for (TFuzzComponent* c : children) c->parent = nullptr;
    if (parent) std::erase(parent->children, this);
  }

  static void Published(PropTable<TFuzzComponent>& p) {
    p.Int("Count", &TFuzzComponent::count, &TFuzzComponent::count);
    p.Int64("Big", &TFuzzComponent::big, &TFuzzComponent::big);
    p.Bool("Enabled", &TFuzzComponent::enabled, &TFuzzComponent::enabled).Default(true);
    p.Enum("Kind", &TFuzzComponent::kind, &TFuzzComponent::kind, kKindInfo);
    p.Float("Ratio", &TFuzzComponent::ratio, &TFuzzComponent::ratio);
    p.Str("Caption", &TFuzzComponent::caption, &TFuzzComponent::caption);
    p.WChar("Accel", &TFuzzComponent::accel, &TFuzzComponent::accel);
    p.Object("Font", &TFuzzComponent::GetFont);
    p.Object("Items", &TFuzzComponent::GetItems);
    p.Object("Buddy", &TFuzzComponent::buddy, &TFuzzComponent::buddy);
    p.Var("Value", &TFuzzComponent::value, &TFuzzComponent::value);
  }
  TFuzzFont* GetFont() const { return font.get(); }
  TCollection* GetItems() const { return items.get(); }

  void GetChildren(TGetChildProc proc, TComponent*) override {
    for (TFuzzComponent* c : children) proc(c);
  }
  bool HasParent() const override { return parent != nullptr; }
  TComponent* GetParentComponent() const override { return parent; }
  void SetParentComponent(TComponent* value) override {
    if (parent) std::erase(parent->children, this);
    parent = dynamic_cast<TFuzzComponent*>(value);
    if (parent) parent->children.push_back(this);
  }

  int count = 0;
  Int64 big = 0;
  bool enabled = true;
  TFuzzKind kind = TFuzzKind::fkOne;
  double ratio = 0;
  String caption;
  Char accel = 0;
  std::unique_ptr<TFuzzFont> font;
  std::unique_ptr<TCollection> items;
  TFuzzComponent* buddy = nullptr;
  Variant value;
  TBytes data;
  std::vector<Int64> numbers;
  TFuzzComponent* parent = nullptr;
  std::vector<TFuzzComponent*> children;

 protected:
  void DefineProperties(TFiler* filer) override {
    filer->DefineBinaryProperty(
        u"Data", [this](TStream* s) { data = ReadAllBytes(*s); },
        [this](TStream* s) { s->WriteBuffer(data.data(), static_cast<Int64>(data.size())); },
        !data.empty());
    filer->DefineProperty(
        u"Numbers",
        [this](TReader* r) {
          numbers.clear();
          r->ReadListBegin();
          while (!r->EndOfList()) numbers.push_back(r->ReadInt64());
          r->ReadListEnd();
        },
        [this](TWriter* w) {
          w->WriteListBegin();
          for (Int64 n : numbers) w->WriteInteger(n);
          w->WriteListEnd();
        },
        !numbers.empty());
  }
};

// A root class of its own, so that streams can name a class that is not the
// existing root's.
class TFuzzRoot : public TFuzzComponent {
  RTL_CLASS(TFuzzRoot, TFuzzComponent)

 public:
  using TFuzzComponent::TFuzzComponent;
};

struct FreeObject {
  void operator()(TObject* obj) const { obj->Free(); }
};

void registerClasses() {
  static const bool done = [] {
    RegisterClasses({&TFuzzComponent::classInfo(), &TFuzzRoot::classInfo()});
    return true;
  }();
  (void)done;
}

// Buddy references are only resolved inside the tree just read, and every
// component of it is owned by the root, so freeing the root frees them all.
void clearBuddies(TComponent* root) {
  if (auto* c = dynamic_cast<TFuzzComponent*>(root)) c->buddy = nullptr;
  for (int i = 0; i < root->ComponentCount(); ++i) clearBuddies(root->Components(i));
}

void readValues(TStream& stream) {
  TReader reader(&stream);
  bool variant = false;
  while (reader.Remaining() > 0) {
    if (variant)
      reader.ReadVariant();
    else
      reader.SkipValue();
    variant = !variant;
  }
}

void readRoots(TStream& stream) {
  try {
    TReader reader(&stream);
    std::unique_ptr<TComponent, FreeObject> root(reader.ReadRootComponent(nullptr));
    clearBuddies(root.get());
  } catch (const Exception&) {
  }
  stream.SetPosition(0);
  std::unique_ptr<TFuzzRoot, FreeObject> existing(Create<TFuzzRoot>(nullptr));
  TReader reader(&stream);
  try {
    reader.ReadRootComponent(existing.get());
  } catch (const Exception&) {
  }
  clearBuddies(existing.get());
}

}  // namespace fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzzing;
  registerClasses();
  TPointerStream stream(data, static_cast<Int64>(size));
  try {
    if (size >= 4 && data[0] == 'T' && data[1] == 'P' && data[2] == 'F' && data[3] == '0')
      readRoots(stream);
    else
      readValues(stream);
  } catch (const Exception&) {
    // Refusing bad input is the expected outcome.
  }
  return 0;
}
