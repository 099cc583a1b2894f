// The skin object model and its versioned stream: what each version carries,
// change sets and update brackets, sorting by name, and damaged data.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"

namespace {

using namespace core;
using rtl::Byte;
using rtl::String;

class SkinModel : public ::testing::Test {
 protected:
  void SetUp() override { dxSkinsCoreInitialization(); }
  void TearDown() override { dxSkinsCoreFinalization(); }
};

// Little-endian pieces of a skin stream.
struct Bytes {
  rtl::TMemoryStream s;
  Bytes& i32(rtl::Integer v) {
    dxSkinWriteInteger(&s, v);
    return *this;
  }
  Bytes& u8(Byte v) {
    dxSkinWriteByte(&s, v);
    return *this;
  }
  Bytes& str(const char* v) {
    dxSkinWriteStringToStream(&s, rtl::Utf8ToString(v));
    return *this;
  }
  Bytes& rect(int l, int t, int r, int b) { return i32(l).i32(t).i32(r).i32(b); }
  Bytes& raw(std::initializer_list<Byte> v) {
    for (Byte b : v) u8(b);
    return *this;
  }
  rtl::TMemoryStream* rewind() {
    s.SetPosition(0);
    return &s;
  }
};

// The data of one skin image as a given version stores it.
void imageData(Bytes& b, double version, int count, std::initializer_list<Byte> texture = {}) {
  b.rect(1, 2, 3, 4).u8(1);
  if (version >= 1.1) b.i32(count);
  b.u8(0x07).u8(0x00);  // Normal, Hot, Pressed
  b.u8(1);              // tile
  if (version >= 1.02) b.i32(0x112233).i32(0x445566).u8(2);
  b.i32(static_cast<rtl::Integer>(texture.size())).raw(texture);
}

void bordersData(Bytes& b, double version) {
  for (int i = 0; i < 4; ++i) {
    if (version < 1.09) b.str("TdxSkinBorder").str("Side");
    b.i32(0x100 + i).i32(i + 1);
  }
}

TEST_F(SkinModel, ElementDataFollowTheVersionRules) {
  struct Case {
    double version;
    int oldCount;     // the older layout's element count (below 1.1)
    int imageCount;   // stored in each image from 1.1
    int expectedCount;
    bool gradient;
  };
  const Case cases[] = {
      {1.0, 3, 0, 3, false},  {1.01, 2, 0, 2, false}, {1.02, 2, 0, 2, true},
      {1.03, 4, 0, 4, true},  {1.08, 1, 0, 1, true},  {1.09, 5, 0, 5, true},
      {1.1, 0, 6, 6, true},   {1.1, 0, 0, 0, true},   {1.1, 0, -3, -3, true},
  };
  for (const Case& c : cases) {
    Bytes b;
    b.i32(0x00ABCDEF).u8(200);
    if (c.version < 1.1) b.i32(c.oldCount);
    b.rect(5, 6, 7, 8);
    imageData(b, c.version, c.imageCount);  // glyph
    imageData(b, c.version, c.imageCount);  // image
    bordersData(b, c.version);
    b.i32(0x0000FF).i32(16).i32(20);
    b.i32(1).str("TdxSkinIntegerProperty").str("Offset").i32(-9);
    TdxSkinElement element(nullptr, u"Button");
    rtl::TMemoryStream* s = b.rewind();
    element.DataRead(s, c.version);
    SCOPED_TRACE(c.version);
    EXPECT_EQ(s->Position(), s->Size()) << "every byte read, no more";
    EXPECT_EQ(element.Color(), 0x00ABCDEFu);
    EXPECT_EQ(element.Alpha(), 200);
    EXPECT_EQ(element.ContentOffset(), (ui::TRect{5, 6, 7, 8}));
    EXPECT_EQ(element.Image()->ImageCount(), c.expectedCount) << "kept as read";
    EXPECT_EQ(element.Glyph()->ImageCount(), c.expectedCount);
    EXPECT_EQ(element.Image()->Margins(), (ui::TRect{1, 2, 3, 4}));
    EXPECT_EQ(element.Image()->ImageLayout(), TdxSkinImageLayout::ilVertical);
    EXPECT_EQ(element.Image()->Stretch(), TdxSkinStretchMode::smTile);
    EXPECT_EQ(element.Image()->States(), (TdxSkinElementStates{TdxSkinElementState::esNormal, TdxSkinElementState::esHot,
                                                               TdxSkinElementState::esPressed}));
    EXPECT_EQ(element.Image()->GradientBeginColor(), c.gradient ? 0x112233u : kSkinClNone);
    EXPECT_EQ(element.Image()->Gradient(),
              c.gradient ? TdxSkinGradientMode::gmForwardDiagonal : TdxSkinGradientMode::gmHorizontal);
    EXPECT_EQ(element.Borders()->Items(2)->Color(), 0x102u);
    EXPECT_EQ(element.Borders()->GetContentMargins(), (ui::TRect{1, 2, 3, 4}));
    EXPECT_EQ(element.TextColor(), 0x0000FFu);
    EXPECT_EQ(element.MinWidth(), 16);
    EXPECT_EQ(element.MinHeight(), 20);
    auto* offset = dynamic_cast<TdxSkinIntegerProperty*>(element.GetPropertyByName(u"Offset"));
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->Value(), -9);
  }
  TdxSkinImage image(nullptr);
  image.SetImageCount(0);
  EXPECT_EQ(image.ImageCount(), 1) << "the setter raises to 1";
}

TEST_F(SkinModel, ImageBytesAreAWindowTheStreamLeavesBehind) {
  // Five bytes that are no image, then the next field.
  Bytes b;
  imageData(b, 1.1, 1, {0x89, 'P', 'N', 'G', 0});
  b.i32(0x5EED);
  TdxSkinImage image(nullptr);
  rtl::TMemoryStream* s = b.rewind();
  image.DataRead(s, 1.1);
  EXPECT_TRUE(image.Empty());
  EXPECT_EQ(dxSkinReadInteger(s), 0x5EED);

  // A window counts from its start and clamps.
  rtl::TMemoryStream source;
  const Byte data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  source.WriteBuffer(data, 10);
  TdxSkinPartStream window(&source, 4, 3);
  struct Case {
    rtl::Int64 offset;
    rtl::TSeekOrigin origin;
    rtl::Int64 result;
  };
  const Case cases[] = {{0, rtl::soBeginning, 0}, {2, rtl::soBeginning, 2}, {9, rtl::soBeginning, 4},
                        {-1, rtl::soEnd, 3},      {-9, rtl::soEnd, 0},      {1, rtl::soCurrent, 1}};
  for (const Case& c : cases) {
    if (c.origin == rtl::soCurrent) window.Seek(0, rtl::soBeginning);
    EXPECT_EQ(window.Seek(c.offset, c.origin), c.result);
  }
  window.Seek(2, rtl::soBeginning);
  Byte got[8] = {};
  EXPECT_EQ(window.Read(got, 8), 2) << "reads stop at the window's end";
  EXPECT_EQ(got[0], 5);
  EXPECT_EQ(window.Size(), 4);
}

TEST_F(SkinModel, DetailsBefore104CarryOnlyTheName) {
  for (double version : {1.03, 1.04}) {
    Bytes b;
    b.str("Office");
    if (version >= 1.04) {
      b.str("Office 2003").str("Classic");
      dxSkinWriteWideStringToStream(&b.s, u"Notes \u00e7");
      b.i32(0).i32(0);
    }
    TdxSkinDetails details;
    details.SetNotes(u"old");
    int changes = 0;
    details.OnChange = rtl::TNotifyEvent::fromClosure(&changes, [&](rtl::TObject*) { ++changes; });
    rtl::TMemoryStream* s = b.rewind();
    details.DataRead(s, version);
    EXPECT_EQ(s->Position(), s->Size());
    EXPECT_EQ(details.Name(), u"Office");
    EXPECT_EQ(details.DisplayName(), version >= 1.04 ? u"Office 2003" : u"");
    EXPECT_EQ(details.Notes(), version >= 1.04 ? u"Notes \u00e7" : u"");
    EXPECT_EQ(changes, 1) << "one notification for the whole read";
    // Both versions leave the icons empty in the data, so both get the defaults.
    for (auto [size, px] : {std::pair{TdxSkinIconSize::sis16, 16}, std::pair{TdxSkinIconSize::sis48, 48}}) {
      EXPECT_FALSE(details.GetIcon(size)->Empty()) << version;
      EXPECT_EQ(details.GetIcon(size)->Width(), px) << version;
      EXPECT_EQ(details.GetIcon(size)->Height(), px) << version;
    }
  }
}

TEST_F(SkinModel, ResetIconLoadsTheDefaultOfItsSize) {
  TdxSkinDetails details;
  for (auto [size, px] : {std::pair{TdxSkinIconSize::sis16, 16}, std::pair{TdxSkinIconSize::sis48, 48}}) {
    ASSERT_TRUE(details.GetIcon(size)->Empty());
    details.ResetIcon(size);
    EXPECT_EQ(details.GetIcon(size)->Width(), px);
    EXPECT_EQ(details.GetIcon(size)->Height(), px);
  }
  details.Clear();
  EXPECT_TRUE(details.GetIcon(TdxSkinIconSize::sis16)->Empty()) << "clearing drops the defaults too";
}

TEST_F(SkinModel, GroupWrittenAndReadBackCompares) {
  TdxSkinControlGroup group(nullptr, u"Editors");
  TdxSkinElement* button = group.AddElement(u"EditorButton");
  button->SetColor(0x123456);
  button->SetMinSize(10, 12);
  button->Borders()->Items(1)->SetColor(0xFF);
  button->Image()->SetImageCount(3);
  static_cast<TdxSkinStringProperty*>(button->AddProperty(u"Caption", &dxSkinCreateProperty<TdxSkinWideStringProperty>))
      ->SetValue(u"\u00e9t\u00e9");
  static_cast<TdxSkinSizeProperty*>(button->AddProperty(u"Gap", &dxSkinCreateProperty<TdxSkinSizeProperty>))
      ->SetValue(3, 4);
  auto* alt = static_cast<TdxSkinAlternateImageAttributes*>(
      button->AddProperty(u"AlternateImage1Normal", &dxSkinCreateProperty<TdxSkinAlternateImageAttributes>));
  alt->SetAlpha(128);
  alt->BordersInner()->Items(3)->SetThin(2);
  group.AddElement(u"Checkbox");
  static_cast<TdxSkinColor*>(group.AddProperty(u"TextColor", &dxSkinCreateProperty<TdxSkinColor>))->SetValue(7);

  rtl::TMemoryStream s;
  group.DataWrite(&s);
  s.SetPosition(0);
  TdxSkinControlGroup back(nullptr, dxSkinReadStringFromStream(&s));
  back.DataRead(&s, 1.1);
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(back.Name(), u"Editors");
  ASSERT_EQ(back.Elements()->Count(), 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(back.Elements()->Items(i)->Compare(group.Elements()->Items(i))) << i;
  EXPECT_TRUE(back.Properties()->Compare(*group.Properties()));
  alt->SetAlpha(127);
  EXPECT_FALSE(back.Elements()->Items(0)->Compare(button));
}

TEST_F(SkinModel, DamagedDataStopWithTheStreamError) {
  auto element = [](Bytes& b, const std::function<void(Bytes&)>& tail) {
    b.i32(0).u8(255).rect(0, 0, 0, 0);
    imageData(b, 1.1, 1);
    imageData(b, 1.1, 1);
    bordersData(b, 1.1);
    b.i32(0).i32(0).i32(0);
    tail(b);
  };
  struct Case {
    const char* what;
    std::function<void(Bytes&)> tail;
    bool classError;
  };
  const Case cases[] = {
      {"no property count", [](Bytes&) {}, false},
      {"huge property count", [](Bytes& b) { b.i32(0x7FFFFFFF); }, false},
      {"negative property count", [](Bytes& b) { b.i32(-1); }, false},
      {"string past the end", [](Bytes& b) { b.i32(1).i32(1000).raw({'a'}); }, false},
      {"unknown property class", [](Bytes& b) { b.i32(1).str("TNoSuchProperty").str("X").i32(0).i32(0); }, true},
      {"registered class that is no property", [](Bytes& b) { b.i32(1).str("TdxSkinElement").str("X").i32(0).i32(0); }, true},
      {"truncated value", [](Bytes& b) { b.i32(1).str("TdxSkinRectProperty").str("R").i32(1); }, false},
  };
  for (const Case& c : cases) {
    Bytes b;
    element(b, c.tail);
    TdxSkinElement target(nullptr, u"E");
    if (c.classError)
      EXPECT_THROW(target.DataRead(b.rewind(), 1.1), rtl::EClassNotFound) << c.what;
    else
      EXPECT_THROW(target.DataRead(b.rewind(), 1.1), rtl::EReadError) << c.what;
  }
  // Counts of elements and texture sizes beyond the data.
  Bytes elements;
  elements.i32(1 << 30);
  TdxSkinControlGroup group(nullptr, u"G");
  EXPECT_THROW(group.DataRead(elements.rewind(), 1.1), rtl::EReadError);
  Bytes image;
  imageData(image, 1.1, 1);
  image.s.SetSize(image.s.Size() - 4);
  image.i32(1 << 30);
  TdxSkinImage target(nullptr);
  EXPECT_THROW(target.DataRead(image.rewind(), 1.1), rtl::EReadError);
}

TEST_F(SkinModel, ChangesTravelUpAndBracketsAnnounceOnce) {
  TdxSkinControlGroup group(nullptr, u"G");
  std::vector<TdxSkinChanges> heard;
  group.OnChange = TdxSkinChangeNotify::fromClosure(
      &heard, [&](rtl::TObject*, TdxSkinChanges c) { heard.push_back(c); });
  TdxSkinElement* element = group.AddElement(u"E");
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], TdxSkinChanges{TdxSkinChange::scStruct});
  auto* size = static_cast<TdxSkinSizeProperty*>(element->AddProperty(u"S", &dxSkinCreateProperty<TdxSkinSizeProperty>));
  heard.clear();
  size->SetValue(2, 3);
  size->SetValue(2, 3);  // the same size: nothing
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], TdxSkinChanges{TdxSkinChange::scContent});

  heard.clear();
  group.BeginUpdate();
  element->SetColor(1);
  element->SetName(u"F");
  EXPECT_TRUE(heard.empty());
  group.EndUpdate();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], (TdxSkinChanges{TdxSkinChange::scStruct, TdxSkinChange::scContent}));

  // An empty bracket marks the object modified and announces nothing.
  TdxSkinElement quiet(nullptr, u"Q");
  int announced = 0;
  quiet.OnChange = TdxSkinChangeNotify::fromClosure(&announced, [&](rtl::TObject*, TdxSkinChanges) { ++announced; });
  EXPECT_FALSE(quiet.Modified());
  quiet.BeginUpdate();
  quiet.EndUpdate();
  EXPECT_TRUE(quiet.Modified());
  EXPECT_EQ(announced, 0);
}

TEST_F(SkinModel, ListsSortLazilyByNameWithCase) {
  TdxSkinElement element(nullptr, u"E");
  for (const char16_t* name : {u"b", u"B", u"a", u"c"})
    element.AddProperty(name, &dxSkinCreateProperty<TdxSkinIntegerProperty>);
  TdxSkinProperties* props = element.Properties();
  EXPECT_FALSE(props->Sorted());
  ASSERT_NE(element.GetPropertyByName(u"B"), nullptr);
  EXPECT_EQ(element.GetPropertyByName(u"B")->Name(), u"B") << "case counts";
  EXPECT_EQ(element.GetPropertyByName(u"d"), nullptr);
  EXPECT_TRUE(props->Sorted());
  static_cast<TdxSkinIntegerProperty*>(element.GetPropertyByName(u"a"))->SetValue(5);
  EXPECT_FALSE(props->Sorted()) << "a content change unsorts";
  EXPECT_NE(element.GetPropertyByName(u"c"), nullptr);
  EXPECT_TRUE(props->Sorted());
}

TEST_F(SkinModel, PropertyDescriptionsAndComparison) {
  struct Case {
    TdxSkinPropertyClass make;
    const char16_t* description;
  };
  const Case cases[] = {
      {&dxSkinCreateProperty<TdxSkinIntegerProperty>, u"Integer"},
      {&dxSkinCreateProperty<TdxSkinColor>, u"Color"},
      {&dxSkinCreateProperty<TdxSkinWideStringProperty>, u"WideString"},
      {&dxSkinCreateProperty<TdxSkinAlternateImageAttributes>, u"AlternateImageAttributes"},
      {&dxSkinCreateProperty<TdxSkinRectProperty>, u"Rect"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TdxSkinProperty> p(c.make(nullptr, u"Name"));
    std::unique_ptr<TdxSkinProperty> q(c.make(nullptr, u"NAME"));
    EXPECT_EQ(p->Description(), c.description);
    EXPECT_TRUE(p->Compare(q.get())) << "names compare without case";
  }
  TdxSkinStringProperty a(nullptr, u"S"), b(nullptr, u"S");
  a.SetValue(u"Text");
  b.SetValue(u"text");
  EXPECT_FALSE(a.Compare(&b)) << "values compare with case";
  TdxSkinWideStringProperty wide(nullptr, u"S");
  wide.Assign(&a);
  EXPECT_EQ(wide.Value(), u"Text");
  TdxSkinIntegerProperty i(nullptr, u"S");
  EXPECT_FALSE(a.Compare(&i)) << "another class";
  EXPECT_ANY_THROW(i.Assign(&a));
  EXPECT_EQ(TdxSkinProperty::RegisteredCount(), 8);
}

TEST_F(SkinModel, OldBorderDataCarryNamesBeforeEachBorder) {
  for (double version : {1.08, 1.09}) {
    Bytes b;
    bordersData(b, version);
    TdxSkinBorders borders(nullptr, u"Borders");
    rtl::TMemoryStream* s = b.rewind();
    borders.DataRead(s, version);
    EXPECT_EQ(s->Position(), s->Size()) << version;
    EXPECT_EQ(borders.Items(3)->Thin(), 4) << version;
    EXPECT_EQ(borders.Items(3)->Kind(), 3);
  }
}

}  // namespace

namespace {

TEST_F(SkinModel, TexturesTravelAsPng) {
  TdxSkinImage image(nullptr);
  image.Texture()->LoadFromBits(3, 2, {0xFF0000FF, 0xFF00FF00, 0xFFFF0000, 0x80000000, 0xFFFFFFFF, 0x00000000}, true);
  image.SetImageCount(2);
  rtl::TMemoryStream s;
  image.DataWrite(&s);
  const auto* bytes = static_cast<const Byte*>(s.Memory());
  // Margins 16, layout 1, count 4, states 2, stretch 1, gradient 9, then the size and "\x89PNG".
  EXPECT_EQ(bytes[33 + 4 + 1], 'P');
  s.SetPosition(0);
  TdxSkinImage back(nullptr);
  back.DataRead(&s, 1.1);
  EXPECT_EQ(s.Position(), s.Size());
  ASSERT_FALSE(back.Empty());
  EXPECT_EQ(back.Texture()->Width(), 3);
  EXPECT_EQ(back.Texture()->Height(), 2);
  EXPECT_EQ(back.ImageCount(), 2);
  EXPECT_EQ(back.Texture()->GetBitmapBits()[1], 0xFF00FF00u);
}

}  // namespace

namespace {

TEST_F(SkinModel, TextColorsByButtonStateFallBackToNormal) {
  TdxSkinElement element(nullptr, u"Button");
  element.SetTextColor(0x10);
  auto color = [&](const char16_t* name, rtl::Cardinal value) {
    static_cast<TdxSkinColor*>(element.AddProperty(name, &dxSkinCreateProperty<TdxSkinColor>))->SetValue(value);
  };
  color(u"TextColorHot", 0x20);
  color(u"TextColorPressed", kSkinClDefault);  // assigned nothing
  color(u"TabTextColor", 0x30);
  struct Case {
    int state;  // default, normal, hot, pressed, disabled
    const char16_t* prefix;
    rtl::Cardinal expected;
  };
  const Case cases[] = {{1, u"", 0x10}, {2, u"", 0x20}, {3, u"", 0x10}, {4, u"", 0x10},
                        {0, u"", 0x10}, {1, u"Tab", 0x30}, {2, u"Tab", 0x30}};
  for (const Case& c : cases) EXPECT_EQ(element.GetTextColor(c.state, c.prefix), c.expected) << c.state;
  element.AddProperty(u"TextColorDisabled", &dxSkinCreateProperty<TdxSkinIntegerProperty>);
  EXPECT_THROW(element.GetTextColor(4), rtl::EInvalidCast);
}

}  // namespace
