// Container styles, style controllers and containers through the component
// stream: what a style assigns comes back, nothing it resolves from elsewhere
// is written, and a state style leaves out what belongs to the normal style
// or what its container does not publish for that state.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lib/lookandfeel/cxContainer.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"
#include "tests/lookandfeel/control_fixture.h"

namespace lookandfeel {
namespace {

using testing::Owned;
using V = TcxContainerStyleValue;
using St = TcxContainerStateItem;
using B = TcxContainerBorderStyle;

const char* const kContainerStreamStyleNames[] = {"Style", "StyleFocused", "StyleDisabled", "StyleHot"};
const char* const kContainerStreamPropertyNames[] = {
    "BorderColor", "BorderStyle", "Color",     "Edges",     "Font",              "HotTrack",      "LookAndFeel",
    "Shadow",      "StyleController", "TextColor", "TextStyle", "TransparentBorder", "IsFontAssigned"};

// The bytes of a root written to a stream; property names appear in them as
// a length byte and the ANSI text.
struct ContainerStreamBytes {
  std::string bytes;

  // `path` is written as a property, or as the object holding one
  // ("Style.LookAndFeel" for "Style.LookAndFeel.Kind").
  bool Has(const std::string& path) const {
    const std::string exact = std::string(1, char(path.size())) + path;
    return bytes.find(exact) != std::string::npos || bytes.find(path + ".") != std::string::npos;
  }
  // Every style property path of the four styles that the stream holds.
  std::vector<std::string> StylePaths() const {
    std::vector<std::string> found;
    for (const char* style : kContainerStreamStyleNames)
      for (const char* property : kContainerStreamPropertyNames) {
        const std::string path = std::string(style) + "." + property;
        if (Has(path)) found.push_back(path);
      }
    return found;
  }
};

// Writes `root`, then reads the stream into `fresh`.
ContainerStreamBytes containerStreamRoundTrip(rtl::TComponent* root, rtl::TComponent* fresh) {
  rtl::TMemoryStream stream;
  {
    rtl::TWriter writer(&stream);
    writer.WriteRootComponent(root);
  }
  ContainerStreamBytes result;
  result.bytes.assign(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
  stream.SetPosition(0);
  rtl::TReader reader(&stream);
  reader.ReadRootComponent(fresh);
  return result;
}

class ContainerStream : public testing::ControlTest {
 protected:
  // A data module named "Root" owning the controllers named in `names`.
  static Owned<rtl::TDataModule> MakeRoot(std::initializer_list<const char16_t*> names) {
    Owned<rtl::TDataModule> root(rtl::Create<rtl::TDataModule>(nullptr));
    root->SetName(u"Root");
    for (const char16_t* name : names) rtl::Create<TcxStyleController>(root.get())->SetName(name);
    return root;
  }
  static TcxStyleController* Controller(rtl::TComponent* root, const char16_t* name) {
    return dynamic_cast<TcxStyleController*>(root->FindComponent(name));
  }
};

struct StreamedValueCase {
  const char* what;
  St state;
  std::function<void(TcxContainerStyle*)> assign;
  std::function<int(TcxContainerStyle*)> read;
  int expected;
  const char* path;  // the one style property the stream must hold...
  const char* alsoPath = nullptr;  // ...or two: a font's values and its flag
};

int containerStreamBorders(core::TcxBorders b) { return int(b.Bits()); }
int containerStreamFontStyles(ui::TFontStyles s) { return int(s.Bits()); }
// A name the default font does not have, so that it must be written.
constexpr const char16_t* kContainerStreamFontName = u"DejaVu Sans Mono";

TEST_F(ContainerStream, EachAssignedValueComesBackAndNothingElseIsWritten) {
  using core::TcxBorder;
  using ui::TFontStyle;
  const StreamedValueCase cases[] = {
      {"border colour", St::csNormal, [](TcxContainerStyle* s) { s->SetBorderColor(ui::clRed); },
       [](TcxContainerStyle* s) { return int(s->GetBorderColor()); }, int(ui::clRed), "Style.BorderColor"},
      {"border style", St::csNormal, [](TcxContainerStyle* s) { s->SetBorderStyle(B::cbsThick); },
       [](TcxContainerStyle* s) { return int(s->GetBorderStyle()); }, int(B::cbsThick), "Style.BorderStyle"},
      {"colour", St::csNormal, [](TcxContainerStyle* s) { s->SetColor(ui::clYellow); },
       [](TcxContainerStyle* s) { return int(s->GetColor()); }, int(ui::clYellow), "Style.Color"},
      {"two edges", St::csNormal, [](TcxContainerStyle* s) { s->SetEdges({TcxBorder::bLeft, TcxBorder::bTop}); },
       [](TcxContainerStyle* s) { return containerStreamBorders(s->GetEdges()); },
       containerStreamBorders({TcxBorder::bLeft, TcxBorder::bTop}), "Style.Edges"},
      // Assigned but empty still differs from the default (all four edges).
      {"no edges", St::csNormal, [](TcxContainerStyle* s) { s->SetEdges({}); },
       [](TcxContainerStyle* s) { return containerStreamBorders(s->GetEdges()); }, 0, "Style.Edges"},
      {"hot tracking off", St::csNormal, [](TcxContainerStyle* s) { s->SetHotTrack(false); },
       [](TcxContainerStyle* s) { return int(s->GetHotTrack()); }, 0, "Style.HotTrack"},
      {"shadow", St::csNormal, [](TcxContainerStyle* s) { s->SetShadow(true); },
       [](TcxContainerStyle* s) { return int(s->GetShadow()); }, 1, "Style.Shadow"},
      {"text colour", St::csNormal, [](TcxContainerStyle* s) { s->SetTextColor(ui::clBlue); },
       [](TcxContainerStyle* s) { return int(s->GetTextColor()); }, int(ui::clBlue), "Style.TextColor"},
      {"text style", St::csNormal,
       [](TcxContainerStyle* s) { s->SetTextStyle({TFontStyle::fsBold, TFontStyle::fsItalic}); },
       [](TcxContainerStyle* s) { return containerStreamFontStyles(s->GetTextStyle()); },
       containerStreamFontStyles({TFontStyle::fsBold, TFontStyle::fsItalic}), "Style.TextStyle"},
      {"opaque border", St::csNormal, [](TcxContainerStyle* s) { s->SetTransparentBorder(false); },
       [](TcxContainerStyle* s) { return int(s->GetTransparentBorder()); }, 0, "Style.TransparentBorder"},
      // A font at the defaults has nothing of its own to write: the flag
      // alone carries the assignment.
      {"font", St::csNormal,
       [](TcxContainerStyle* s) {
         ui::TFont font;
         s->SetFont(&font);
       },
       [](TcxContainerStyle* s) { return int(s->AssignedValues().contains(V::csvFont)); }, 1,
       "Style.IsFontAssigned"},
      // A font's own values travel as a sub-object of the style.
      {"font name", St::csNormal,
       [](TcxContainerStyle* s) {
         ui::TFont font;
         font.SetName(kContainerStreamFontName);
         s->SetFont(&font);
       },
       [](TcxContainerStyle* s) { return int(s->GetFont()->Name() == kContainerStreamFontName); }, 1, "Style.Font",
       "Style.IsFontAssigned"},
      {"font size", St::csNormal, [](TcxContainerStyle* s) { s->GetFont()->SetSize(14); },
       [](TcxContainerStyle* s) { return s->GetFont()->Size(); }, 14, "Style.Font", "Style.IsFontAssigned"},
      {"font style", St::csNormal,
       [](TcxContainerStyle* s) { s->GetFont()->SetStyle({TFontStyle::fsBold, TFontStyle::fsStrikeOut}); },
       [](TcxContainerStyle* s) { return containerStreamFontStyles(s->GetFont()->Style()); },
       containerStreamFontStyles({TFontStyle::fsBold, TFontStyle::fsStrikeOut}), "Style.Font",
       "Style.IsFontAssigned"},
      {"font colour", St::csNormal, [](TcxContainerStyle* s) { s->GetFont()->SetColor(ui::clNavy); },
       [](TcxContainerStyle* s) { return int(s->GetFont()->Color()); }, int(ui::clNavy), "Style.Font",
       "Style.IsFontAssigned"},
      // A state style's font is the normal style's: written once, there.
      {"hot font size", St::csHotTrack, [](TcxContainerStyle* s) { s->GetFont()->SetSize(20); },
       [](TcxContainerStyle* s) { return s->GetFont()->Size(); }, 20, "Style.Font", "Style.IsFontAssigned"},
      {"focused border colour", St::csActive, [](TcxContainerStyle* s) { s->SetBorderColor(ui::clGreen); },
       [](TcxContainerStyle* s) { return int(s->GetBorderColor()); }, int(ui::clGreen), "StyleFocused.BorderColor"},
      {"disabled colour", St::csDisabled, [](TcxContainerStyle* s) { s->SetColor(ui::clGray); },
       [](TcxContainerStyle* s) { return int(s->GetColor()); }, int(ui::clGray), "StyleDisabled.Color"},
      {"hot text style", St::csHotTrack, [](TcxContainerStyle* s) { s->SetTextStyle({TFontStyle::fsUnderline}); },
       [](TcxContainerStyle* s) { return containerStreamFontStyles(s->GetTextStyle()); },
       containerStreamFontStyles({TFontStyle::fsUnderline}), "StyleHot.TextStyle"},
      {"hot border style", St::csHotTrack, [](TcxContainerStyle* s) { s->SetBorderStyle(B::cbsUltraFlat); },
       [](TcxContainerStyle* s) { return int(s->GetBorderStyle()); }, int(B::cbsUltraFlat), "StyleHot.BorderStyle"},
      {"hot text colour", St::csHotTrack, [](TcxContainerStyle* s) { s->SetTextColor(ui::clMaroon); },
       [](TcxContainerStyle* s) { return int(s->GetTextColor()); }, int(ui::clMaroon), "StyleHot.TextColor"},
  };
  for (const StreamedValueCase& c : cases) {
    SCOPED_TRACE(c.what);
    Owned<rtl::TDataModule> root = MakeRoot({u"Ctl"});
    TcxStyleController* original = Controller(root.get(), u"Ctl");
    c.assign(original->Styles()->Style(c.state));
    Owned<rtl::TDataModule> fresh(rtl::Create<rtl::TDataModule>(nullptr));
    const ContainerStreamBytes stream = containerStreamRoundTrip(root.get(), fresh.get());

    std::vector<std::string> paths{c.path};
    if (c.alsoPath) paths.push_back(c.alsoPath);
    EXPECT_EQ(stream.StylePaths(), paths);
    TcxStyleController* loaded = Controller(fresh.get(), u"Ctl");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(c.read(loaded->Styles()->Style(c.state)), c.expected);
    // What was not written stays unassigned: no style gained a value.
    for (St state : {St::csNormal, St::csActive, St::csDisabled, St::csHotTrack})
      EXPECT_EQ(loaded->Styles()->Style(state)->AssignedValues(), original->Styles()->Style(state)->AssignedValues())
          << "state " << int(state);
  }
}

// The controller link and the look-and-feel live on the normal style; the
// state styles forward both and must not write them a second time.
TEST_F(ContainerStream, ALinkAndALookAndFeelAreWrittenOnceOnTheNormalStyle) {
  Owned<rtl::TDataModule> root = MakeRoot({u"A", u"B"});
  TcxStyleController* a = Controller(root.get(), u"A");
  TcxStyleController* b = Controller(root.get(), u"B");
  b->Style()->SetColor(ui::clYellow);
  a->Style()->SetStyleController(b);
  a->Style()->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfFlat);
  Owned<rtl::TDataModule> fresh(rtl::Create<rtl::TDataModule>(nullptr));
  const ContainerStreamBytes stream = containerStreamRoundTrip(root.get(), fresh.get());

  // A's style properties, then B's (Color only).
  EXPECT_EQ(stream.StylePaths(),
            (std::vector<std::string>{"Style.Color", "Style.LookAndFeel", "Style.StyleController"}));
  EXPECT_FALSE(stream.Has("FakeStyleController"));
  TcxStyleController* loadedA = Controller(fresh.get(), u"A");
  TcxStyleController* loadedB = Controller(fresh.get(), u"B");
  ASSERT_TRUE(loadedA && loadedB);
  EXPECT_EQ(loadedA->Style()->StyleController(), loadedB);
  EXPECT_EQ(loadedA->FakeStyleController(), loadedB);
  EXPECT_EQ(loadedB->Style()->StyleController(), nullptr);
  EXPECT_EQ(loadedA->Style()->LookAndFeel()->Kind(), TcxLookAndFeelKind::lfFlat);
  EXPECT_EQ(loadedA->Style()->LookAndFeel()->AssignedValues(), TcxLookAndFeelValues{TcxLookAndFeelValue::lfvKind});
  // The colour comes through the restored link, not from a copy in A.
  EXPECT_FALSE(loadedA->Style()->AssignedValues().contains(V::csvColor));
  EXPECT_EQ(loadedA->Style()->GetColor(), ui::clYellow);
  EXPECT_EQ(loadedA->StyleFocused()->StyleController(), loadedB);
}

// A style that takes its font through a link holds a copy of the linked
// font, but the copy is not its own assignment: only the linked style writes
// the font's values, and the loaded style is left unassigned to follow it.
TEST_F(ContainerStream, AFontCopiedThroughALinkIsNotWritten) {
  Owned<rtl::TDataModule> root = MakeRoot({u"A", u"B"});
  TcxStyleController* a = Controller(root.get(), u"A");
  TcxStyleController* b = Controller(root.get(), u"B");
  b->Style()->GetFont()->SetName(kContainerStreamFontName);
  b->Style()->GetFont()->SetSize(16);
  a->Style()->SetStyleController(b);
  ASSERT_EQ(a->Style()->GetFont()->Name(), kContainerStreamFontName);  // the copy differs from the defaults
  ASSERT_FALSE(a->Style()->AssignedValues().contains(V::csvFont));
  Owned<rtl::TDataModule> fresh(rtl::Create<rtl::TDataModule>(nullptr));
  const ContainerStreamBytes stream = containerStreamRoundTrip(root.get(), fresh.get());

  const auto count = [&](const std::string& path) {
    const std::string exact = std::string(1, char(path.size())) + path;
    int n = 0;
    for (std::size_t at = stream.bytes.find(exact); at != std::string::npos; at = stream.bytes.find(exact, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("Style.Font.Name"), 1);
  EXPECT_EQ(count("Style.Font.Height"), 1);
  EXPECT_EQ(count("Style.IsFontAssigned"), 1);
  TcxStyleController* loadedA = Controller(fresh.get(), u"A");
  TcxStyleController* loadedB = Controller(fresh.get(), u"B");
  ASSERT_TRUE(loadedA && loadedB);
  EXPECT_TRUE(loadedB->Style()->AssignedValues().contains(V::csvFont));
  EXPECT_EQ(loadedB->Style()->GetFont()->Size(), 16);
  EXPECT_FALSE(loadedA->Style()->AssignedValues().contains(V::csvFont));
  EXPECT_EQ(loadedA->Style()->GetFont()->Name(), kContainerStreamFontName);
  // Still following: a later change to the linked font reaches it.
  loadedB->Style()->GetFont()->SetSize(9);
  EXPECT_EQ(loadedA->Style()->GetFont()->Size(), 9);
}

// The default controller is where an unlinked style points; a form never
// names it.
TEST_F(ContainerStream, ALinkToTheDefaultControllerIsNotStored) {
  Owned<TcxStyleController> defaults(rtl::Create<TcxStyleController>(nullptr));
  Owned<TcxStyleController> other(rtl::Create<TcxStyleController>(nullptr));
  cxContainerDefaultStyleController = defaults.get();
  {
    TcxContainerStyles styles(nullptr);
    EXPECT_EQ(styles.StyleNormal()->ActiveStyleController(), defaults.get());
    EXPECT_FALSE(rtl::IsStoredProp(styles.StyleNormal(), u"StyleController"));
    styles.StyleNormal()->SetStyleController(other.get());
    EXPECT_TRUE(rtl::IsStoredProp(styles.StyleNormal(), u"StyleController"));
    EXPECT_FALSE(rtl::IsStoredProp(styles.StyleHot(), u"StyleController"));
  }
  cxContainerDefaultStyleController = nullptr;
}

// A container that keeps two values to itself.
class ContainerStreamEditor : public TcxContainer {
  RTL_CLASS(ContainerStreamEditor, TcxContainer)

 public:
  using TcxContainer::TcxContainer;

 protected:
  TcxContainerStyleValues InternalGetNotPublishedStyleValues() override { return {V::csvShadow, V::csvTextColor}; }
};

TEST_F(ContainerStream, AContainerWritesOnlyWhatItPublishesForEachState) {
  Owned<ContainerStreamEditor> editor(rtl::Create<ContainerStreamEditor>(nullptr));
  editor->SetName(u"Editor");
  editor->Style()->SetColor(ui::clYellow);
  editor->Style()->SetShadow(true);
  editor->Style()->SetTextColor(ui::clRed);
  editor->StyleFocused()->SetTextColor(ui::clBlue);
  editor->StyleFocused()->SetBorderColor(ui::clGreen);
  editor->StyleDisabled()->SetEdges({});  // lands on the normal style
  editor->Style()->LookAndFeel()->SetKind(TcxLookAndFeelKind::lfUltraFlat);
  Owned<ContainerStreamEditor> fresh(rtl::Create<ContainerStreamEditor>(nullptr));
  const ContainerStreamBytes stream = containerStreamRoundTrip(editor.get(), fresh.get());

  EXPECT_EQ(stream.StylePaths(), (std::vector<std::string>{"Style.Color", "Style.Edges", "Style.LookAndFeel",
                                                           "StyleFocused.BorderColor"}));
  EXPECT_EQ(fresh->Style()->AssignedValues(), (TcxContainerStyleValues{V::csvColor, V::csvEdges}));
  EXPECT_EQ(fresh->StyleFocused()->AssignedValues(), TcxContainerStyleValues{V::csvBorderColor});
  EXPECT_EQ(fresh->Style()->GetColor(), ui::clYellow);
  EXPECT_EQ(fresh->Style()->GetEdges(), core::TcxBorders{});
  EXPECT_EQ(fresh->StyleFocused()->GetBorderColor(), ui::clGreen);
  EXPECT_EQ(fresh->Style()->LookAndFeel()->Kind(), TcxLookAndFeelKind::lfUltraFlat);
}

}  // namespace
}  // namespace lookandfeel
