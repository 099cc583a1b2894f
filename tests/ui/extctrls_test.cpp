// Image, shape and speed button: where a picture goes, PNG alpha over the
// parent, each shape's outline, grouped buttons staying down, hot tracking;
// and controls following their actions.
#include <gtest/gtest.h>

#include "platform/gdiplus/codecs/codecs.h"
#include "platform/rtl/format.h"
#include "platform/rtl/streams.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/stdctrls.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;
namespace codecs = gdiplus::codecs;

namespace {

class ExtCtrls : public UiTest {
 protected:
  Owned<TForm> form = Make<TForm>(nullptr);
  void SetUp() override {
    UiTest::SetUp();
    form->SetBounds(50, 50, 360, 260);
    form->SetColor(clWhite);
  }
  void TearDown() override {
    form.reset();
    UiTest::TearDown();
  }
  template <class T>
  T* Add(int x, int y, int w, int h) {
    T* c = rtl::Create<T>(form.get());
    c->SetParent(form.get());
    c->SetBounds(x, y, w, h);
    return c;
  }
  // The colour on the screen at a client point of `control`, as 0xRRGGBB.
  std::uint32_t PixelAt(TControl* control, int x, int y) {
    const auto shot = screen->Screenshot(form->Handle());
    win::RECT wr{};
    win::GetWindowRect(form->Handle(), &wr);
    const TPoint p = control->ClientToScreen(TPoint{x, y});
    return shot.at(p.x - wr.left, p.y - wr.top) & 0xFFFFFFu;
  }
  static std::uint32_t Rgb(TColor c) {
    const auto ref = ColorToRGB(c);  // 0x00BBGGRR
    return ((ref & 0xFF) << 16) | (ref & 0xFF00) | ((ref >> 16) & 0xFF);
  }
  void Click(TControl* c, int x = 5, int y = 5) {
    const TPoint p = c->ClientToScreen(TPoint{x, y});
    win::headless::Click(p.x, p.y);
    Process();
  }
};

// A PNG of `w` x `h` in one colour (0xAARRGGBB).
void LoadPng(TPicture* picture, int w, int h, std::uint32_t argb) {
  codecs::Raster r(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r.at(x, y) = argb;
  const auto bytes = codecs::encodePng(r);
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  s.SetPosition(0);
  picture->LoadFromStream(&s);
}

}  // namespace

// ---- image -------------------------------------------------------------------------------

TEST_F(ExtCtrls, ImagePlacesItsPicture) {
  struct Case {
    const char* name;
    int pw, ph;
    bool stretch, proportional, center;
    TRect expected;
  };
  const Case cases[] = {
      {"as it is", 40, 20, false, false, false, {0, 0, 40, 20}},
      {"centred", 40, 20, false, false, true, {30, 40, 70, 60}},
      {"stretched", 40, 20, true, false, false, {0, 0, 100, 100}},
      {"stretched in proportion", 40, 20, true, true, false, {0, 0, 100, 50}},
      {"stretched in proportion, centred", 40, 20, true, true, true, {0, 25, 100, 75}},
      {"small in proportion stays small", 40, 20, false, true, false, {0, 0, 40, 20}},
      {"large in proportion shrinks", 100, 400, false, true, true, {37, 0, 62, 100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* image = Add<TImage>(0, 0, 100, 100);
    LoadPng(image->Picture(), c.pw, c.ph, 0xFF336699u);
    image->SetStretch(c.stretch);
    image->SetProportional(c.proportional);
    image->SetCenter(c.center);
    const TRect r = image->DestRect();
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
    image->Free();
  }
}

TEST_F(ExtCtrls, ImageBlendsPngAlphaOverItsParent) {
  form->SetColor(clBlue);
  auto* image = Add<TImage>(10, 10, 40, 40);
  LoadPng(image->Picture(), 20, 20, 0x80FF0000u);  // half red
  image->SetStretch(true);
  form->Show();
  Process();
  const std::uint32_t p = PixelAt(image, 20, 20);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 128, 4) << std::hex << p;
  EXPECT_NEAR(int(p & 0xFF), 127, 4) << "the blue shows through";
  // Outside the picture's rectangle (not stretched) the parent shows.
  image->SetStretch(false);
  Process();
  EXPECT_EQ(PixelAt(image, 30, 30), Rgb(clBlue));
  // A new picture repaints.
  LoadPng(image->Picture(), 40, 40, 0xFF00FF00u);
  Process();
  EXPECT_EQ(PixelAt(image, 30, 30), 0x00FF00u);
}

// ---- shape -------------------------------------------------------------------------------

TEST_F(ExtCtrls, ShapesDrawTheirOutlineAndFill) {
  struct Case {
    TShapeType type;
    bool cornerFilled;  // (1, 1) inside the outline
    bool sideFilled;    // (4, 30): left of a centred square
  };
  const Case cases[] = {
      {stRectangle, true, true},  {stSquare, false, false},    {stRoundRect, false, true},
      {stRoundSquare, false, false}, {stEllipse, false, true}, {stCircle, false, false},
  };
  form->Show();
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.type));
    auto* shape = Add<TShape>(10, 10, 120, 60);
    shape->SetShape(c.type);
    shape->Brush()->SetColor(clYellow);
    shape->Pen()->SetColor(clRed);
    Process();
    EXPECT_EQ(PixelAt(shape, 60, 30), Rgb(clYellow)) << "middle";
    EXPECT_EQ(PixelAt(shape, 1, 1), c.cornerFilled ? Rgb(clYellow) : Rgb(clWhite)) << "corner";
    EXPECT_EQ(PixelAt(shape, 4, 30), c.sideFilled ? Rgb(clYellow) : Rgb(clWhite)) << "side";
    shape->Free();
    Process();
  }
}

TEST_F(ExtCtrls, ShapeRepaintsWhenPenOrBrushChange) {
  auto* shape = Add<TShape>(10, 10, 50, 50);
  form->Show();
  Process();
  EXPECT_EQ(PixelAt(shape, 25, 25), Rgb(clWhite));
  shape->Brush()->SetColor(clGreen);
  Process();
  EXPECT_EQ(PixelAt(shape, 25, 25), Rgb(clGreen));
  shape->Pen()->SetWidth(5);
  shape->Pen()->SetColor(clMaroon);
  Process();
  EXPECT_EQ(PixelAt(shape, 1, 25), Rgb(clMaroon)) << "a wide pen stays inside";
  shape->Brush()->SetStyle(TBrushStyle::bsClear);
  Process();
  EXPECT_EQ(PixelAt(shape, 25, 25), Rgb(clWhite));
}

// ---- speed button ----------------------------------------------------------------------------

TEST_F(ExtCtrls, SpeedButtonsInAGroupStayDownOneAtATime) {
  struct Case {
    const char* name;
    bool allowAllUp;
    std::vector<int> clicks;
    std::vector<bool> down;
  };
  const Case cases[] = {
      {"first", false, {0}, {true, false, false}},
      {"second raises the first", false, {0, 1}, {false, true, false}},
      {"down one stays down", false, {1, 1}, {false, true, false}},
      {"all up when allowed", true, {1, 1}, {false, false, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TSpeedButton*> buttons;
    int clicks = 0;
    for (int i = 0; i < 3; ++i) {
      auto* b = Add<TSpeedButton>(10 + 30 * i, 10, 25, 25);
      b->SetGroupIndex(1);
      b->SetOnClick(TNotifyEvent::fromClosure(this, [&](rtl::TObject*) { ++clicks; }));
      buttons.push_back(b);
    }
    buttons[2]->SetAllowAllUp(c.allowAllUp);
    EXPECT_EQ(buttons[0]->AllowAllUp(), c.allowAllUp) << "the group shares AllowAllUp";
    form->Show();
    Process();
    for (int i : c.clicks) Click(buttons[size_t(i)]);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(buttons[size_t(i)]->Down(), c.down[size_t(i)]) << i;
    EXPECT_EQ(clicks, int(c.clicks.size()));
    for (auto* b : buttons) b->Free();
    form->Hide();
  }
}

TEST_F(ExtCtrls, SpeedButtonClicksOnlyWhenReleasedOnIt) {
  auto* b = Add<TSpeedButton>(10, 10, 25, 25);
  int clicks = 0;
  b->SetOnClick(TNotifyEvent::fromClosure(this, [&](rtl::TObject*) { ++clicks; }));
  b->SetDown(true);
  EXPECT_FALSE(b->Down()) << "a button outside a group does not stay down";
  form->Show();
  Process();
  const TPoint in = b->ClientToScreen(TPoint{5, 5});
  const TPoint out = b->ClientToScreen(TPoint{80, 80});
  win::headless::MouseDown(win::MouseButton::Left, in.x, in.y);
  Process();
  EXPECT_EQ(b->State(), TButtonState::bsDown);
  win::headless::MouseMove(out.x, out.y);
  Process();
  EXPECT_EQ(b->State(), TButtonState::bsUp) << "dragged off: shown up";
  win::headless::MouseUp(win::MouseButton::Left, out.x, out.y);
  Process();
  EXPECT_EQ(clicks, 0);
  Click(b);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ExtCtrls, FlatSpeedButtonShowsItsFrameWhileTheMouseIsOver) {
  auto* b = Add<TSpeedButton>(10, 10, 40, 25);
  b->SetFlat(true);
  b->SetCaption(u"Ir");
  form->Show();
  Process();
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(clWhite)) << "flat: the parent shows";
  const TPoint in = b->ClientToScreen(TPoint{5, 5});
  win::headless::MouseMove(in.x, in.y);
  Process();
  EXPECT_TRUE(b->MouseInControl());
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(clBtnHighlight));
  win::headless::MouseMove(in.x + 200, in.y + 100);
  Process();
  EXPECT_FALSE(b->MouseInControl());
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(clWhite));
}

// ---- actions -----------------------------------------------------------------------------

TEST_F(ExtCtrls, ControlsTakeAndFollowTheirAction) {
  auto* action = rtl::Create<TAction>(form.get());
  int executed = 0;
  action->SetCaption(u"Enviar");
  action->SetHint(u"Envia a remessa");
  action->SetOnExecute(TNotifyEvent::fromClosure(this, [&](rtl::TObject*) { ++executed; }));
  auto* button = Add<TButton>(10, 10, 75, 25);
  auto* speed = Add<TSpeedButton>(100, 10, 60, 25);
  form->Show();
  Process();
  for (TControl* c : std::vector<TControl*>{button, speed}) {
    c->SetAction(action);
    EXPECT_EQ(c->Action(), action);
    EXPECT_EQ(c->Caption(), u"Enviar");
    EXPECT_EQ(c->Hint(), u"Envia a remessa");
  }
  Click(button);
  Click(speed);
  EXPECT_EQ(executed, 2);
  // Changes of the action reach the controls.
  action->SetCaption(u"Reenviar");
  action->SetEnabled(false);
  for (TControl* c : std::vector<TControl*>{button, speed}) {
    EXPECT_EQ(c->Caption(), u"Reenviar");
    EXPECT_FALSE(c->Enabled());
  }
  Click(button);
  EXPECT_EQ(executed, 2) << "disabled";
  action->SetEnabled(true);
  action->SetVisible(false);
  EXPECT_FALSE(button->Visible());
  action->SetVisible(true);
  // A control's own OnClick wins over the action.
  int own = 0;
  button->SetOnClick(TNotifyEvent::fromClosure(&own, [&](rtl::TObject*) { ++own; }));
  Click(button);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, 2);
  // Freed action: the controls let go and keep working.
  action->Free();
  EXPECT_EQ(button->Action(), nullptr);
  EXPECT_EQ(speed->Action(), nullptr);
  Click(speed);
  EXPECT_EQ(speed->Caption(), u"Reenviar");
}

TEST_F(ExtCtrls, FreedControlLeavesItsAction) {
  auto* action = rtl::Create<TAction>(form.get());
  auto* button = Add<TButton>(10, 10, 75, 25);
  button->SetAction(action);
  TControlActionLink* link = button->ActionLink();
  ASSERT_NE(link, nullptr);
  button->Free();
  // Under the sanitizers a link left behind would be used after its free here.
  action->SetCaption(u"ok");
  action->SetEnabled(false);
  action->Free();
}

// ---- how they look -------------------------------------------------------------------------

TEST_F(ExtCtrls, FormWithAllOfThemMatchesItsReference) {
  form->SetColor(clBtnFace);
  form->SetCaption(u"Controles");
  auto* memo = Add<TMemo>(10, 10, 160, 90);
  memo->SetScrollBars(ssVertical);
  for (int i = 1; i <= 8; ++i) memo->Lines()->Add(rtl::Format(u"Entrega %d recebida", {i}));
  memo->ScrollToEnd();
  auto* wide = Add<TMemo>(10, 108, 160, 60);
  wide->SetWordWrap(false);
  wide->SetScrollBars(ssBoth);
  wide->SetText(u"uma linha longa sem quebra nenhuma\r\ncurta");
  auto* image = Add<TImage>(185, 10, 48, 48);
  codecs::Raster r(24, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x)
      r.at(x, y) = (std::uint32_t(x * 10) << 24) | ((x / 6 + y / 6) % 2 ? 0x00C03020u : 0x002060C0u);
  const auto bytes = codecs::encodePng(r);
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  s.SetPosition(0);
  image->Picture()->LoadFromStream(&s);
  image->SetStretch(true);
  const TShapeType types[] = {stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle};
  for (int i = 0; i < 6; ++i) {
    auto* shape = Add<TShape>(245 + (i % 2) * 50, 10 + (i / 2) * 36, 44, 30);
    shape->SetShape(types[i]);
    shape->Brush()->SetColor(i % 2 ? clAqua : clYellow);
  }
  auto* a = Add<TSpeedButton>(185, 120, 50, 25);
  a->SetCaption(u"Um");
  a->SetGroupIndex(1);
  a->SetDown(true);
  auto* b = Add<TSpeedButton>(240, 120, 50, 25);
  b->SetCaption(u"Dois");
  b->SetGroupIndex(1);
  auto* f = Add<TSpeedButton>(295, 120, 50, 25);
  f->SetCaption(u"Plano");
  f->SetFlat(true);
  form->Show();
  Process();
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 80;
  EXPECT_GOLDEN(screen->Screenshot(form->Handle()), "ui", "extctrls_form", fuzzy);
}
