// Component bases: fake links, object links, free notifications and the
// rescaling of a component stored at another screen resolution.
#include <gtest/gtest.h>

#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/screen_dpi.h"
#include "platform/gdi/dc.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"

namespace core {
namespace {

class Listener : public TComponent {
 public:
  explicit Listener(TComponent* owner = nullptr) : TComponent(owner) {}
  std::vector<TComponent*> removed;

 protected:
  void Notification(TComponent* component, rtl::TOperation operation) override {
    if (operation == rtl::TOperation::opRemove) removed.push_back(component);
    TComponent::Notification(component, operation);
  }
};

class Plain : public TcxComponent {
  RTL_CLASS(Plain, TcxComponent)

 public:
  using TcxComponent::TcxComponent;
};

TEST(Components, PartnersAndOwnerHearOfTheRemovalBeforeDestruction) {
  Listener owner;
  Listener partner;
  auto* component = rtl::Create<Plain>(&owner);
  cxAddFreeNotification(&partner, component);
  cxAddFreeNotification(&partner, nullptr);  // ignored
  component->Free();
  EXPECT_EQ(partner.removed, (std::vector<TComponent*>{component}));
  ASSERT_FALSE(owner.removed.empty());
  EXPECT_EQ(owner.removed.front(), component);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(Components, AWithdrawnFreeNotificationIsNotSent) {
  Listener partner;
  auto* component = rtl::Create<Plain>(nullptr);
  cxAddFreeNotification(&partner, component);
  cxRemoveFreeNotification(&partner, component);
  component->Free();
  EXPECT_TRUE(partner.removed.empty());
}

class WithFakeLinks : public TcxComponent {
  RTL_CLASS(WithFakeLinks, TcxComponent)

 public:
  using TcxComponent::TcxComponent;
  std::vector<TComponent*> offered;
  void designing() { SetDesigning(true, false); }
  void load() { Loaded(); }

 protected:
  void GetFakeComponentLinks(std::vector<TComponent*>& list) override { list = offered; }
};

TEST(Components, FakeLinksFollowTheListOnlyWhileDesigningWithAnOwner) {
  TComponent owner(nullptr);
  TComponent x(nullptr), y(nullptr);
  auto* c = rtl::Create<WithFakeLinks>(&owner);
  c->offered = {&x, &y};
  c->load();
  EXPECT_EQ(c->FakeComponentLink1(), nullptr);  // not designing
  c->designing();
  c->load();
  EXPECT_EQ(c->FakeComponentLink1(), &x);
  EXPECT_EQ(c->FakeComponentLink2(), &y);
  EXPECT_EQ(c->FakeComponentLink3(), nullptr);
  EXPECT_EQ(c->GetFakeComponentLinkCount(), 3);
  // Never written to a stream.
  const rtl::PropInfo* prop = rtl::GetPropInfo(c, u"FakeComponentLink1");
  ASSERT_NE(prop, nullptr);
  EXPECT_FALSE(rtl::IsStoredProp(c, prop));
}

// --- scalable components -------------------------------------------------------

class Scaled : public TcxScalableComponent {
  RTL_CLASS(Scaled, TcxScalableComponent)

 public:
  using TcxScalableComponent::TcxScalableComponent;
  std::vector<std::pair<int, int>> scales;

 protected:
  void ChangeScale(int m, int d) override { scales.emplace_back(m, d); }
};

// A scalable component as a stream holds it, made at the present resolution.
void storeScaled(rtl::TMemoryStream& stream) {
  auto* made = rtl::Create<Scaled>(nullptr);
  made->SetName(u"Made");
  {
    rtl::TWriter writer(&stream);
    writer.WriteRootComponent(made);
  }
  made->Free();
  stream.SetPosition(0);
}

// Restores the screen resolution a test changed.
struct ScreenDpiScope {
  explicit ScreenDpiScope(int dpi) { gdi::SetScreenLogPixels(dpi); }
  ~ScreenDpiScope() { gdi::SetScreenLogPixels(96); }
};

TEST(ScalableComponent, StoredAt96AndLoadedAt144ScalesOnceAndTakesTheNewValue) {
  rtl::TMemoryStream stream;
  EXPECT_EQ(cxGetCurrentDPI(), 96);
  storeScaled(stream);
  ScreenDpiScope screen(144);
  EXPECT_EQ(cxGetCurrentDPI(), 144);
  auto* loaded = rtl::Create<Scaled>(nullptr);
  rtl::TReader reader(&stream);
  reader.ReadRootComponent(loaded);
  EXPECT_EQ(loaded->scales, (std::vector<std::pair<int, int>>{{144, 96}}));
  EXPECT_EQ(loaded->PixelsPerInch(), 144);
  loaded->Free();
}

TEST(ScalableComponent, LoadedAtTheSameResolutionOrNotScalableDoesNotScale) {
  ScreenDpiScope screen(96);
  struct Case {
    bool scalable;
    int screenDpi;
  };
  for (const Case& c : {Case{true, 96}, Case{false, 144}}) {
    rtl::TMemoryStream stream;
    storeScaled(stream);
    gdi::SetScreenLogPixels(c.screenDpi);
    auto* loaded = rtl::Create<Scaled>(nullptr);
    loaded->SetScalable(c.scalable);
    rtl::TReader reader(&stream);
    reader.ReadRootComponent(loaded);
    EXPECT_TRUE(loaded->scales.empty()) << c.scalable << " " << c.screenDpi;
    EXPECT_EQ(loaded->PixelsPerInch(), c.screenDpi);
    loaded->Free();
    gdi::SetScreenLogPixels(96);
  }
}

}  // namespace
}  // namespace core
