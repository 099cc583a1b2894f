// Object model: metaclasses, the class registry, method pointers and the
// published-property table with its accessors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/variant.h"

namespace {

using namespace rtl;

// --- a small hierarchy ----------------------------------------------------------

class TAnimal : public TObject {
  RTL_CLASS(TAnimal, TObject)

 public:
  virtual String Sound() const = 0;
};

class TDog : public TAnimal {
  RTL_CLASS(TDog, TAnimal)

 public:
  TDog() = default;
  String Sound() const override { return u"woof"; }
  void AfterConstruction() override { constructed = true; }
  bool constructed = false;
};

class TPuppy : public TDog {
  RTL_CLASS(TPuppy, TDog)
};

class TCat : public TAnimal {
  RTL_CLASS(TCat, TAnimal)

 public:
  String Sound() const override { return u"meow"; }
};

struct IBarks {
  virtual String Bark() = 0;

 protected:
  virtual ~IBarks() = default;
};

class TBarkingDog : public TDog, public IBarks {
  RTL_CLASS(TBarkingDog, TDog)

 public:
  String Bark() override { return u"WOOF"; }
};

TEST(ClassInfo, NamesAndParents) {
  EXPECT_EQ(TPuppy::classInfo().ClassName(), u"TPuppy");
  EXPECT_EQ(TPuppy::classInfo().ClassParent(), &TDog::classInfo());
  EXPECT_EQ(TObject::classInfo().ClassParent(), nullptr);

  TPuppy puppy;
  TObject& asObject = puppy;
  EXPECT_EQ(asObject.ClassType(), &TPuppy::classInfo());
  EXPECT_EQ(asObject.ClassName(), u"TPuppy");
  EXPECT_EQ(asObject.ClassParent(), &TDog::classInfo());
}

TEST(ClassInfo, InheritsFromWalksTheParentChain) {
  struct Case {
    const ClassInfo* cls;
    const ClassInfo* ancestor;
    bool expected;
  } cases[] = {
      {&TPuppy::classInfo(), &TPuppy::classInfo(), true},
      {&TPuppy::classInfo(), &TDog::classInfo(), true},
      {&TPuppy::classInfo(), &TAnimal::classInfo(), true},
      {&TPuppy::classInfo(), &TObject::classInfo(), true},
      {&TDog::classInfo(), &TPuppy::classInfo(), false},
      {&TCat::classInfo(), &TDog::classInfo(), false},
      {&TPuppy::classInfo(), nullptr, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.cls->InheritsFrom(c.ancestor), c.expected)
        << c.cls->ClassName().size() << " vs " << (c.ancestor ? c.ancestor->ClassName().size() : 0);

  TPuppy puppy;
  EXPECT_TRUE(puppy.InheritsFrom(TAnimal::classInfo()));
  EXPECT_TRUE(puppy.Is<TDog>());
  EXPECT_FALSE(puppy.Is<TCat>());
}

TEST(ClassInfo, VirtualConstructorsRunAfterConstruction) {
  ClassRef<TAnimal> cls = TDog::classInfo();
  ASSERT_TRUE(cls->CanCreateDefault());
  TAnimal* animal = cls.Create();
  ASSERT_NE(animal, nullptr);
  EXPECT_EQ(animal->Sound(), u"woof");
  EXPECT_TRUE(static_cast<TDog*>(animal)->constructed);
  animal->Free();

  auto* viaHelper = rtl::Create<TDog>();
  EXPECT_TRUE(viaHelper->constructed);
  FreeAndNil(viaHelper);
  EXPECT_EQ(viaHelper, nullptr);
}

TEST(ClassInfo, AbstractClassesHaveNoFactory) {
  EXPECT_FALSE(TAnimal::classInfo().CanCreateDefault());
  EXPECT_THROW(TAnimal::classInfo().Create(), EInvalidOperation);
  EXPECT_FALSE(TDog::classInfo().CanCreateComponent());
}

TEST(ClassInfo, ClassRefRejectsUnrelatedClasses) {
  EXPECT_THROW(ClassRef<TDog>{TCat::classInfo()}, EInvalidCast);
  ClassRef<TAnimal> widened = ClassRef<TDog>::of<TPuppy>();
  EXPECT_EQ(widened.get(), &TPuppy::classInfo());
}

// --- the registry ------------------------------------------------------------------

class TRegWidget : public TObject {
  RTL_CLASS(TRegWidget, TObject)
};
class TRegGadget : public TRegWidget {
  RTL_CLASS(TRegGadget, TRegWidget)
};

TEST(ClassRegistry, FindsRegisteredClassesByNameIgnoringCase) {
  RegisterClasses({&TRegWidget::classInfo(), &TRegGadget::classInfo()});
  EXPECT_EQ(GetClass(u"TRegWidget"), &TRegWidget::classInfo());
  EXPECT_EQ(&FindClass(u"tregGADGET"), &TRegGadget::classInfo());
  RegisterClass(TRegWidget::classInfo());  // twice is harmless

  UnRegisterClasses({&TRegWidget::classInfo(), &TRegGadget::classInfo()});
  EXPECT_EQ(GetClass(u"TRegWidget"), nullptr);
}

TEST(ClassRegistry, UnknownNameRaisesClassNotFound) {
  EXPECT_EQ(GetClass(u"TNoSuchThing"), nullptr);
  try {
    FindClass(u"TNoSuchThing");
    FAIL() << "no exception";
  } catch (const EClassNotFound& e) {
    EXPECT_EQ(e.Message(), u"Class TNoSuchThing not found");
  }
}

TEST(ClassRegistry, AnotherClassUnderATakenNameIsRefused) {
  RegisterClass(TRegWidget::classInfo());
  ClassInfo impostor("TRegWidget", &TObject::classInfo(), nullptr, nullptr, nullptr, nullptr);
  EXPECT_THROW(RegisterClass(impostor), EFilerError);
  UnRegisterClass(impostor);  // not the registered one: no effect
  EXPECT_EQ(GetClass(u"TRegWidget"), &TRegWidget::classInfo());
  UnRegisterClass(TRegWidget::classInfo());
}

TEST(ObjectCasts, SupportsAndAs) {
  TBarkingDog barker;
  TCat cat;
  IBarks* intf = nullptr;
  EXPECT_TRUE(Supports(static_cast<TObject*>(&barker), intf));
  EXPECT_EQ(intf->Bark(), u"WOOF");
  EXPECT_FALSE(Supports(static_cast<TObject*>(&cat), intf));
  EXPECT_EQ(intf, nullptr);

  EXPECT_EQ(As<TDog>(static_cast<TObject*>(&barker)), &barker);
  EXPECT_EQ(As<TDog>(nullptr), nullptr);
  EXPECT_THROW(As<TDog>(static_cast<TObject*>(&cat)), EInvalidCast);
}

// --- method pointers -------------------------------------------------------------------

struct Listener {
  void OnA(TObject*) { ++a; }
  void OnB(TObject*) { ++b; }
  int a = 0;
  int b = 0;
};

int freeCalls = 0;
void FreeHandler(TObject*) { ++freeCalls; }
void OtherFreeHandler(TObject*) {}

TEST(Method, EqualityMeansSameCodeAndSameObject) {
  Listener x, y;
  TNotifyEvent xa = TNotifyEvent::bind<&Listener::OnA>(&x);
  EXPECT_EQ(xa, TNotifyEvent::bind<&Listener::OnA>(&x));
  EXPECT_NE(xa, TNotifyEvent::bind<&Listener::OnB>(&x));
  EXPECT_NE(xa, TNotifyEvent::bind<&Listener::OnA>(&y));
  EXPECT_NE(xa, TNotifyEvent());
  EXPECT_EQ(TNotifyEvent(), TNotifyEvent(nullptr));

  EXPECT_EQ(TNotifyEvent::fromFunction(&FreeHandler), TNotifyEvent::fromFunction(&FreeHandler));
  EXPECT_NE(TNotifyEvent::fromFunction(&FreeHandler),
            TNotifyEvent::fromFunction(&OtherFreeHandler));

  int token1 = 0, token2 = 0;
  auto c1 = TNotifyEvent::fromClosure(&token1, [](TObject*) {});
  EXPECT_EQ(c1, TNotifyEvent::fromClosure(&token1, [](TObject*) {}));
  EXPECT_NE(c1, TNotifyEvent::fromClosure(&token2, [](TObject*) {}));
}

TEST(Method, CallsAndAssigned) {
  Listener x;
  TNotifyEvent ev;
  EXPECT_FALSE(Assigned(ev));
  ev = TNotifyEvent::bind<&Listener::OnB>(&x);
  ASSERT_TRUE(Assigned(ev));
  ev(nullptr);
  EXPECT_EQ(x.b, 1);
  EXPECT_EQ(x.a, 0);

  freeCalls = 0;
  TNotifyEvent::fromFunction(&FreeHandler)(nullptr);
  EXPECT_EQ(freeCalls, 1);

  int seen = 0;
  TNotifyEvent::fromClosure(&seen, [&](TObject*) { ++seen; })(nullptr);
  EXPECT_EQ(seen, 1);
}

TEST(Method, RawPairRoundTrips) {
  Listener x;
  TNotifyEvent ev = TNotifyEvent::bind<&Listener::OnA>(&x);
  TMethod raw = ev.toRaw();
  EXPECT_EQ(raw.Data, &x);
  EXPECT_TRUE(SameMethods(raw, TNotifyEvent::bind<&Listener::OnA>(&x).toRaw()));
  EXPECT_FALSE(SameMethods(raw, TNotifyEvent::bind<&Listener::OnB>(&x).toRaw()));
  TNotifyEvent back = TNotifyEvent::fromRaw(raw);
  EXPECT_EQ(back, ev);
  back(nullptr);
  EXPECT_EQ(x.a, 1);
}

// --- published properties ------------------------------------------------------------

enum class TShapeKind { skRectangle, skCircle, skTriangle };
const EnumInfo kShapeKindInfo{u"TShapeKind", {u"skRectangle", u"skCircle", u"skTriangle"}};

enum class TBorder { bLeft, bTop, bRight, bBottom };
using TBorders = Set<TBorder, 4>;
const EnumInfo kBorderInfo{u"TBorder", {u"bLeft", u"bTop", u"bRight", u"bBottom"}};

class TPen : public TObject {
  RTL_CLASS(TPen, TObject)
};
class TThickPen : public TPen {
  RTL_CLASS(TThickPen, TPen)
};

class TShape : public TObject {
  RTL_CLASS(TShape, TObject)

 public:
  static void Published(PropTable<TShape>& p) {
    p.Int("Width", &TShape::GetWidth, &TShape::SetWidth).Default(100);
    p.Enum("Kind", &TShape::kind, &TShape::kind, kShapeKindInfo).Default(TShapeKind::skCircle);
    p.SetOf("Borders", &TShape::borders, &TShape::borders, kBorderInfo)
        .Default(TBorders{TBorder::bLeft, TBorder::bTop});
    p.Str("Caption", &TShape::GetCaption, &TShape::SetCaption);
    p.Float("Ratio", &TShape::ratio, &TShape::ratio);
    p.Bool("Visible", &TShape::visible, &TShape::visible).Default(true);
    p.Object("Pen", &TShape::GetPen, &TShape::SetPen);
    p.Int("Area", &TShape::Area);  // read-only
    p.Event("OnClick", &TShape::onClick, &TShape::onClick);
    p.Int64("Serial", &TShape::serial, &TShape::serial).Stored(&TShape::IsSerialStored);
  }

  int GetWidth() const { return width; }
  void SetWidth(int value) { width = value; }
  const String& GetCaption() const { return caption; }
  void SetCaption(const String& value) { caption = value; }
  TPen* GetPen() const { return pen; }
  void SetPen(TPen* value) { pen = value; }
  int Area() const { return width * width; }
  bool IsSerialStored() const { return serial != 7; }

  int width = 100;
  TShapeKind kind = TShapeKind::skCircle;
  TBorders borders = {TBorder::bLeft, TBorder::bTop};
  String caption;
  double ratio = 0;
  bool visible = true;
  TPen* pen = nullptr;
  TNotifyEvent onClick;
  Int64 serial = 0;
};

class TSquare : public TShape {
  RTL_CLASS(TSquare, TShape)

 public:
  TSquare() { width = 10; }
  static void Published(PropTable<TSquare>& p) {
    p.Int("Depth", &TSquare::depth, &TSquare::depth).Default(1);
    p.Int("Width", &TSquare::GetWidth, &TSquare::SetWidth).Default(10);  // new default
  }
  int depth = 1;
};

class TPlainSquare : public TSquare {
  RTL_CLASS(TPlainSquare, TSquare)
};

std::vector<String> names(const PropList& list) {
  std::vector<String> result;
  for (const PropInfo* p : list) result.push_back(p->Name);
  return result;
}

TEST(PropertyTable, ListsInDeclarationOrderWithInheritedFirst) {
  std::vector<String> base = {u"Width",   u"Kind", u"Borders", u"Caption", u"Ratio",
                              u"Visible", u"Pen",  u"Area",    u"OnClick", u"Serial"};
  EXPECT_EQ(names(GetPropList(TShape::classInfo())), base);

  // A redeclared property keeps its place; new ones follow the parent's.
  std::vector<String> derived = base;
  derived.push_back(u"Depth");
  EXPECT_EQ(names(GetPropList(TSquare::classInfo())), derived);
  EXPECT_EQ(GetPropInfo(TSquare::classInfo(), u"width")->Default, 10);
  EXPECT_EQ(GetPropInfo(TSquare::classInfo(), u"width")->Declarer, &TSquare::classInfo());

  // A class without its own table shows its parent's.
  EXPECT_EQ(names(GetPropList(TPlainSquare::classInfo())), derived);
  EXPECT_TRUE(GetPropList(TPen::classInfo()).empty());
}

TEST(PropertyTable, FiltersByKind) {
  EXPECT_EQ(names(GetPropList(TShape::classInfo(), tkMethods)), std::vector<String>{u"OnClick"});
  PropList props = GetPropList(TShape::classInfo(), tkProperties);
  EXPECT_EQ(props.size(), 9u);
  EXPECT_EQ(names(GetPropList(TShape::classInfo(), TTypeKinds{TTypeKind::tkClass})),
            std::vector<String>{u"Pen"});
}

TEST(PropertyTable, KindsAndTypeData) {
  struct Case {
    const char16_t* name;
    TTypeKind kind;
    const EnumInfo* names;
  } cases[] = {
      {u"Width", TTypeKind::tkInteger, nullptr},
      {u"Kind", TTypeKind::tkEnumeration, &kShapeKindInfo},
      {u"Borders", TTypeKind::tkSet, &kBorderInfo},
      {u"Caption", TTypeKind::tkUString, nullptr},
      {u"Ratio", TTypeKind::tkFloat, nullptr},
      {u"Visible", TTypeKind::tkEnumeration, &BooleanEnumInfo()},
      {u"Pen", TTypeKind::tkClass, nullptr},
      {u"OnClick", TTypeKind::tkMethod, nullptr},
      {u"Serial", TTypeKind::tkInt64, nullptr},
  };
  TShape shape;
  for (const Case& c : cases) {
    const PropInfo* p = GetPropInfo(&shape, c.name);
    ASSERT_NE(p, nullptr) << std::u16string(c.name).size();
    EXPECT_EQ(p->Kind, c.kind);
    EXPECT_EQ(p->Enum, c.names);
  }
  EXPECT_EQ(GetObjectPropClass(GetPropInfo(&shape, u"Pen")), &TPen::classInfo());
  EXPECT_EQ(PropType(&shape, u"Ratio"), TTypeKind::tkFloat);
  EXPECT_FALSE(IsPublishedProp(&shape, u"Nope"));
}

TEST(PropertyAccess, ReadsAndWritesByKind) {
  TShape shape;
  SetOrdProp(&shape, u"Width", 42);
  EXPECT_EQ(shape.width, 42);
  EXPECT_EQ(GetOrdProp(&shape, u"WIDTH"), 42);
  EXPECT_EQ(GetOrdProp(&shape, u"Area"), 42 * 42);

  SetStrProp(&shape, u"Caption", u"Olá");
  EXPECT_EQ(GetStrProp(&shape, u"Caption"), u"Olá");

  SetFloatProp(&shape, u"Ratio", 1.5);
  EXPECT_DOUBLE_EQ(GetFloatProp(&shape, u"Ratio"), 1.5);

  SetInt64Prop(&shape, GetPropInfo(&shape, u"Serial"), Int64{1} << 40);
  EXPECT_EQ(shape.serial, Int64{1} << 40);

  SetEnumProp(&shape, u"Kind", u"SKTRIANGLE");
  EXPECT_EQ(shape.kind, TShapeKind::skTriangle);
  EXPECT_EQ(GetEnumProp(&shape, u"Kind"), u"skTriangle");

  SetEnumProp(&shape, u"Visible", u"False");
  EXPECT_FALSE(shape.visible);
  EXPECT_EQ(GetEnumProp(&shape, u"Visible"), u"False");
  SetOrdProp(&shape, u"Visible", 1);
  EXPECT_TRUE(shape.visible);

  SetSetProp(&shape, u"Borders", u"[bRight, bBottom]");
  EXPECT_EQ(shape.borders, (TBorders{TBorder::bRight, TBorder::bBottom}));
  EXPECT_EQ(GetSetProp(&shape, u"Borders"), u"bRight,bBottom");
  EXPECT_EQ(GetSetProp(&shape, u"Borders", true), u"[bRight,bBottom]");
  EXPECT_EQ(GetOrdProp(&shape, u"Borders"), 0b1100);
}

TEST(PropertyAccess, ObjectPropertiesCheckTheClass) {
  TShape shape;
  TThickPen pen;
  TDog dog;
  SetObjectProp(&shape, u"Pen", &pen);
  EXPECT_EQ(shape.pen, &pen);
  EXPECT_EQ(GetObjectProp(&shape, u"Pen"), &pen);
  EXPECT_EQ(GetObjectProp(&shape, u"Pen", &TThickPen::classInfo()), &pen);
  EXPECT_EQ(GetObjectProp(&shape, u"Pen", &TDog::classInfo()), nullptr);
  EXPECT_THROW(SetObjectProp(&shape, u"Pen", &dog), EInvalidCast);
  EXPECT_EQ(shape.pen, &pen);
  SetObjectProp(&shape, u"Pen", nullptr);
  EXPECT_EQ(shape.pen, nullptr);
}

TEST(PropertyAccess, EventsGoThroughTheRawPair) {
  TShape shape;
  Listener x;
  const PropInfo* prop = GetPropInfo(&shape, u"OnClick");
  SetMethodProp(&shape, prop, TNotifyEvent::bind<&Listener::OnA>(&x).toRaw());
  EXPECT_EQ(shape.onClick, TNotifyEvent::bind<&Listener::OnA>(&x));
  shape.onClick(&shape);
  EXPECT_EQ(x.a, 1);
  EXPECT_TRUE(SameMethods(GetMethodProp(&shape, prop), shape.onClick.toRaw()));
}

TEST(PropertyAccess, ErrorsNameTheProblem) {
  TShape shape;
  struct Case {
    const char* what;
    std::function<void()> call;
    std::u16string message;
  } cases[] = {
      {"unknown", [&] { GetOrdProp(&shape, u"Height"); }, u"Property Height does not exist"},
      {"wrong kind", [&] { GetStrProp(&shape, u"Width"); }, u"Invalid property type: Width"},
      {"read-only", [&] { SetOrdProp(&shape, u"Area", 1); }, u"Property is read-only"},
      {"bad enum", [&] { SetEnumProp(&shape, u"Kind", u"skSquare"); },
       u"Invalid property element: skSquare"},
      {"bad set element", [&] { SetSetProp(&shape, u"Borders", u"[bLeft,bMiddle]"); },
       u"Invalid property element: bMiddle"},
  };
  for (const Case& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const EPropertyError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
}

TEST(EnumText, NamesValuesAndSetTexts) {
  EXPECT_EQ(GetEnumName(kShapeKindInfo, 1), u"skCircle");
  EXPECT_EQ(GetEnumName(kShapeKindInfo, 3), u"");
  EXPECT_EQ(GetEnumValue(kShapeKindInfo, u"skcircle"), 1);
  EXPECT_EQ(GetEnumValue(kShapeKindInfo, u"nope"), -1);
  EXPECT_EQ(GetEnumValue(BooleanEnumInfo(), u"true"), 1);

  struct Case {
    std::u16string text;
    Int64 bits;
  } cases[] = {
      {u"[]", 0}, {u"", 0}, {u"[bLeft]", 1}, {u"bTop,bBottom", 0b1010}, {u" [ bLeft , bRight ] ", 0b101},
  };
  for (const Case& c : cases) EXPECT_EQ(StringToSet(kBorderInfo, c.text), c.bits) << c.bits;
  EXPECT_EQ(SetToString(kBorderInfo, 0, true), u"[]");
  EXPECT_EQ(SetToString(kBorderInfo, 0b1111, true), u"[bLeft,bTop,bRight,bBottom]");
  EXPECT_THROW(StringToSet(kBorderInfo, u"[bLeft,,bTop]"), EPropertyError);
}

TEST(PropertyStorage, DefaultValuesPerKind) {
  TShape shape;
  TPen pen;
  Listener x;
  struct Case {
    const char16_t* prop;
    std::function<void()> change;
  } cases[] = {
      {u"Width", [&] { shape.width = 99; }},
      {u"Kind", [&] { shape.kind = TShapeKind::skRectangle; }},
      {u"Borders", [&] { shape.borders = {}; }},
      {u"Caption", [&] { shape.caption.push_back(u'x'); }},
      {u"Ratio", [&] { shape.ratio = 0.1; }},
      {u"Visible", [&] { shape.visible = false; }},
      {u"Pen", [&] { shape.pen = &pen; }},
      {u"OnClick", [&] { shape.onClick = TNotifyEvent::bind<&Listener::OnA>(&x); }},
  };
  for (const Case& c : cases) {
    const PropInfo* p = GetPropInfo(&shape, c.prop);
    EXPECT_TRUE(IsDefaultPropValue(&shape, p)) << p->Name.size();
    c.change();
    EXPECT_FALSE(IsDefaultPropValue(&shape, p)) << p->Name.size();
  }
  // Without a declared default an ordinal is never "default".
  EXPECT_FALSE(IsDefaultPropValue(&shape, GetPropInfo(&shape, u"Serial")));
  // The redeclared default applies to the descendant.
  TSquare square;
  EXPECT_TRUE(IsDefaultPropValue(&square, GetPropInfo(&square, u"Width")));
  square.width = 100;
  EXPECT_FALSE(IsDefaultPropValue(&square, GetPropInfo(&square, u"Width")));
}

TEST(PropertyStorage, StoredPredicate) {
  TShape shape;
  EXPECT_TRUE(IsStoredProp(&shape, u"Width"));
  EXPECT_TRUE(IsStoredProp(&shape, u"Serial"));
  shape.serial = 7;
  EXPECT_FALSE(IsStoredProp(&shape, u"Serial"));
}

class TCell : public TObject {
  RTL_CLASS(TCell, TObject)

 public:
  static void Published(PropTable<TCell>& p) { p.Var("Value", &TCell::value, &TCell::value); }
  Variant value;
};

TEST(PropertyAccess, VariantProperties) {
  TCell cell;
  const PropInfo* prop = GetPropInfo(&cell, u"Value");
  ASSERT_EQ(prop->Kind, TTypeKind::tkVariant);
  EXPECT_TRUE(IsDefaultPropValue(&cell, prop));
  SetVariantProp(&cell, prop, Variant(42));
  EXPECT_EQ(cell.value.Type(), varInteger);
  EXPECT_EQ(GetVariantProp(&cell, prop).Type(), varInteger);
  EXPECT_FALSE(IsDefaultPropValue(&cell, prop));
  EXPECT_THROW(GetOrdProp(&cell, prop), EPropertyError);
}

}  // namespace
