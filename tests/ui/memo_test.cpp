// The memo: Lines and Text kept in step, typing across line breaks, the
// log pane's append-and-follow, word wrap and scrolling by rows.
#include <gtest/gtest.h>

#include "platform/rtl/format.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class Memo : public UiTest {};

struct MemoForm {
  Owned<TForm> form = Make<TForm>(nullptr);
  TMemo* memo;
  std::vector<std::u16string> changes;
  MemoForm(int width = 200, int height = 80) {
    form->SetBounds(100, 100, 320, 240);
    memo = rtl::Create<TMemo>(form.get());
    memo->SetParent(form.get());
    memo->SetBounds(10, 10, width, height);
    memo->SetOnChange(TNotifyEvent::fromClosure(this, [this](rtl::TObject*) {
      changes.push_back(memo->Text());
    }));
    form->Show();
    win::headless::ProcessMessages();
  }
};

}  // namespace

TEST_F(Memo, LinesAndTextStayInStep) {
  struct Case {
    const char* name;
    std::function<void(rtl::TStrings*)> change;
    std::u16string text;
    int count;
  };
  const Case cases[] = {
      {"add to empty", [](rtl::TStrings* l) { l->Add(u"um"); }, u"um\r\n", 1},
      {"add twice", [](rtl::TStrings* l) { l->Add(u"um"); l->Add(u"dois"); }, u"um\r\ndois\r\n", 2},
      {"insert first",
       [](rtl::TStrings* l) { l->Add(u"dois"); l->Insert(0, u"um"); }, u"um\r\ndois\r\n", 2},
      {"put", [](rtl::TStrings* l) { l->Add(u"um"); l->Add(u"x"); l->SetStrings(1, u"dois"); },
       u"um\r\ndois\r\n", 2},
      {"delete middle",
       [](rtl::TStrings* l) { l->Add(u"a"); l->Add(u"b"); l->Add(u"c"); l->Delete(1); },
       u"a\r\nc\r\n", 2},
      {"delete last", [](rtl::TStrings* l) { l->Add(u"a"); l->Add(u"b"); l->Delete(1); }, u"a\r\n", 1},
      {"text with bare line feeds", [](rtl::TStrings* l) { l->SetText(u"a\nb\n"); }, u"a\r\nb\r\n", 2},
      {"clear", [](rtl::TStrings* l) { l->Add(u"a"); l->Clear(); }, u"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoForm f;
    c.change(f.memo->Lines());
    EXPECT_EQ(f.memo->Text(), c.text);
    EXPECT_EQ(f.memo->Lines()->Count(), c.count);
  }
}

TEST_F(Memo, TextSetByCodeShowsInLines) {
  MemoForm f;
  f.memo->SetText(u"linha 1\r\nlinha 2");
  ASSERT_EQ(f.memo->Lines()->Count(), 2);
  EXPECT_EQ(f.memo->Lines()->Strings(0), u"linha 1");
  EXPECT_EQ(f.memo->Lines()->Strings(1), u"linha 2");
  // Appending to a text without a final break starts a new line.
  f.memo->Lines()->Add(u"linha 3");
  EXPECT_EQ(f.memo->Text(), u"linha 1\r\nlinha 2\r\nlinha 3\r\n");
  EXPECT_THROW(f.memo->Lines()->Strings(7), rtl::EStringListError);
  EXPECT_THROW(f.memo->Lines()->Delete(3), rtl::EStringListError);
}

TEST_F(Memo, TypingBreaksLinesAndBackspaceJoinsThem) {
  MemoForm f;
  f.memo->SetFocus();
  Process();
  win::headless::TypeText(u"abc");
  win::headless::PressKey(win::VK_RETURN);
  win::headless::TypeText(u"de");
  Process();
  EXPECT_EQ(f.memo->Text(), u"abc\r\nde");
  EXPECT_EQ(f.memo->Lines()->Count(), 2);
  EXPECT_EQ(f.memo->CaretPos().y, 1);
  EXPECT_EQ(f.memo->CaretPos().x, 2);
  // Home, then one backspace removes the whole break.
  win::headless::PressKey(win::VK_HOME);
  win::headless::PressKey(win::VK_BACK);
  Process();
  EXPECT_EQ(f.memo->Text(), u"abcde");
  EXPECT_EQ(f.memo->SelStart(), 3);
  f.memo->Undo();
  EXPECT_EQ(f.memo->Text(), u"abc\r\nde");
  // Up keeps the column; Delete at a line's end removes the break.
  f.memo->SetCaretPos(TPoint{2, 1});
  win::headless::PressKey(win::VK_UP);
  Process();
  EXPECT_EQ(f.memo->CaretPos().y, 0);
  EXPECT_EQ(f.memo->CaretPos().x, 2);
  win::headless::PressKey(win::VK_END);
  win::headless::PressKey(win::VK_DELETE);
  Process();
  EXPECT_EQ(f.memo->Text(), u"abcde");
  // Right steps over a break in one go.
  f.memo->SetText(u"a\r\nb");
  f.memo->SetSelStart(1);
  win::headless::PressKey(win::VK_RIGHT);
  Process();
  EXPECT_EQ(f.memo->SelStart(), 3);
}

TEST_F(Memo, EnterBreaksTheLineInsteadOfPressingTheDefaultButton) {
  MemoForm f;
  TButton* ok = rtl::Create<TButton>(f.form.get());
  ok->SetParent(f.form.get());
  ok->SetBounds(10, 150, 75, 25);
  ok->SetDefault(true);
  int clicks = 0;
  ok->SetOnClick(TNotifyEvent::fromClosure(this, [&](rtl::TObject*) { ++clicks; }));
  f.memo->SetFocus();
  Process();
  win::headless::PressKey(win::VK_RETURN);
  Process();
  EXPECT_EQ(f.memo->Text(), u"\r\n");
  EXPECT_EQ(clicks, 0);
}

TEST_F(Memo, ReadOnlyKeepsItsTextButSelects) {
  MemoForm f;
  f.memo->SetText(u"fixo\r\ntexto");
  f.memo->SetReadOnly(true);
  f.memo->SetFocus();
  Process();
  win::headless::TypeText(u"x");
  win::headless::PressKey(win::VK_RETURN);
  win::headless::PressKey(win::VK_BACK);
  win::headless::PressKey(win::VK_DELETE);
  Process();
  EXPECT_EQ(f.memo->Text(), u"fixo\r\ntexto");
  win::SendMessageW(f.memo->Handle(), win::WM_PASTE, 0, 0);
  EXPECT_EQ(f.memo->Text(), u"fixo\r\ntexto");
  win::headless::KeyDown(win::VK_CONTROL);
  win::headless::PressKey('A');
  win::headless::KeyUp(win::VK_CONTROL);
  Process();
  EXPECT_EQ(f.memo->SelLength(), 11);
}

TEST_F(Memo, PasteKeepsLineBreaks) {
  MemoForm f;
  f.memo->SetText(u"um\r\ndois");
  f.memo->SelectAll();
  f.memo->CopyToClipboard();
  f.memo->SetText(u"");
  win::SendMessageW(f.memo->Handle(), win::WM_PASTE, 0, 0);
  EXPECT_EQ(f.memo->Text(), u"um\r\ndois");
  EXPECT_EQ(f.memo->Lines()->Count(), 2);
}

TEST_F(Memo, LogPaneFollowsTheEndWhenAsked) {
  MemoForm f(200, 60);
  f.memo->SetScrollBars(ssVertical);
  const int visible = f.memo->VisibleRowCount();
  ASSERT_GT(visible, 0);
  for (int i = 0; i < 20; ++i) f.memo->Lines()->Add(rtl::Format(u"entrega %d", {i}));
  // Adding alone does not move the view.
  EXPECT_EQ(f.memo->TopRow(), 0);
  f.memo->ScrollToEnd();
  EXPECT_EQ(f.memo->CaretPos().y, 20);
  EXPECT_EQ(f.memo->TopRow(), 21 - visible);
  EXPECT_EQ(win::SendMessageW(f.memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 21 - visible);
  // Scrolled by messages and the wheel, within bounds.
  win::SendMessageW(f.memo->Handle(), EM_LINESCROLL, 0, -100);
  EXPECT_EQ(f.memo->TopRow(), 0);
  const TPoint p = f.memo->ClientToScreen(TPoint{20, 20});
  win::headless::Wheel(-120, p.x, p.y);
  Process();
  EXPECT_EQ(f.memo->TopRow(), 3);
}

TEST_F(Memo, WordWrapBreaksLongLinesIntoRows) {
  struct Case {
    const char* name;
    bool wrap;
    TScrollStyle bars;
    bool moreRowsThanLines;
  };
  const Case cases[] = {
      {"wrapped", true, ssNone, true},
      {"wrapped with a vertical bar", true, ssVertical, true},
      {"not wrapped", false, ssBoth, false},
  };
  const std::u16string longLine =
      u"uma linha bem comprida que nao cabe na largura estreita do memo";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoForm f(120, 80);
    f.memo->SetWordWrap(c.wrap);
    f.memo->SetScrollBars(c.bars);
    f.memo->SetText(longLine + u"\r\ncurta");
    const int rows = int(win::SendMessageW(f.memo->Handle(), EM_GETLINECOUNT, 0, 0));
    if (c.moreRowsThanLines) {
      EXPECT_GT(rows, 2);
      // No row starts inside a word when it could break at a space.
      for (int r = 1; r < rows - 1; ++r) {
        const auto start =
            win::SendMessageW(f.memo->Handle(), EM_LINEINDEX, win::WPARAM(r), 0);
        EXPECT_EQ(longLine[size_t(start) - 1], u' ') << "row " << r;
      }
    } else {
      EXPECT_EQ(rows, 2);
    }
    EXPECT_EQ(f.memo->Lines()->Count(), 2) << "wrapping is only for the eye";
    // End of text keeps the caret in view; without wrap, scrolled sideways.
    f.memo->SetSelStart(int(longLine.size()));
    f.memo->Perform(EM_SCROLLCARET, 0, 0);
    EXPECT_EQ(win::SendMessageW(f.memo->Handle(), EM_LINEFROMCHAR, win::WPARAM(longLine.size()), 0),
              c.wrap ? rows - 2 : 0);
  }
}
