// The built-in message box: its buttons for each box type, the answers
// clicks, Enter, Esc and the close button give, its size and place, how it
// looks, and that headless programs keep answering at once.
#include "platform/ui/dialogs.h"

#include <algorithm>

#include "platform/rtl/ustring.h"
#include "platform/ui/stdctrls.h"
#include "tests/support/golden.h"
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class Dialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    InstallMessageBoxDialog();
    script = Make<TScriptForm>(nullptr);
    script->HandleNeeded();
  }
  void TearDown() override {
    win::SetMessageBoxProvider(nullptr);
    script.reset();
    UiTest::TearDown();
  }

  // Runs `step` on the box once its modal loop runs, then answers what the
  // box answered.
  int Box(const String& text, win::UINT type, std::function<void(TCustomForm*)> step,
          win::HWND owner = nullptr) {
    script->steps.push_back([step](TScriptForm*) {
      TCustomForm* box = Screen->ActiveForm();
      ASSERT_NE(box, nullptr);
      ASSERT_TRUE(box->Modal());
      step(box);
    });
    win::PostMessageW(script->Handle(), WM_SCRIPT, 0, 0);
    return win::MessageBoxW(owner, text.c_str(), u"Integrador", type);
  }

  Owned<TScriptForm> script;
};

std::vector<TButton*> buttonsOf(TCustomForm* form) {
  std::vector<TButton*> result;
  for (int i = 0; i < form->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(form->Components(i))) result.push_back(b);
  std::sort(result.begin(), result.end(),
            [](TButton* a, TButton* b) { return a->Left() < b->Left(); });
  return result;
}

TPoint centreOf(TControl* c) { return c->ClientToScreen(TPoint{c->Width() / 2, c->Height() / 2}); }

}  // namespace

TEST_F(Dialogs, YesNoCancelBoxHasItsButtonsAndTheSecondAsDefault) {
  std::vector<std::string> captions;
  std::vector<int> results;
  std::vector<bool> defaults, cancels;
  TControl* active = nullptr;
  TButton* no = nullptr;
  const int answer = Box(u"Salvar as alterações?", win::MB_YESNOCANCEL | win::MB_DEFBUTTON2 |
                                                      win::MB_ICONQUESTION,
                         [&](TCustomForm* box) {
                           EXPECT_EQ(box->Caption(), u"Integrador");
                           for (TButton* b : buttonsOf(box)) {
                             captions.push_back(rtl::StringToUtf8(b->Caption()));
                             results.push_back(b->ModalResult());
                             defaults.push_back(b->Default());
                             cancels.push_back(b->Cancel());
                           }
                           active = box->ActiveControl();
                           if (buttonsOf(box).size() == 3) no = buttonsOf(box)[1];
                           win::headless::PressKey(win::VK_RETURN);
                         });
  EXPECT_EQ(captions, (std::vector<std::string>{"&Yes", "&No", "Cancel"}));
  EXPECT_EQ(results, (std::vector<int>{win::IDYES, win::IDNO, win::IDCANCEL}));
  EXPECT_EQ(defaults, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(cancels, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(active, no);
  EXPECT_EQ(answer, win::IDNO);
  // The box is gone with its answer.
  EXPECT_EQ(Screen->ActiveForm(), nullptr);
}

TEST_F(Dialogs, InputAnswersTheButtonsIds) {
  struct Case {
    const char* name;
    win::UINT type;
    std::function<void(TCustomForm*)> act;
    int expected;
    std::vector<int> buttons;
  };
  auto click = [](int index) {
    return [index](TCustomForm* box) {
      const TPoint p = centreOf(buttonsOf(box).at(index));
      win::headless::Click(p.x, p.y);
    };
  };
  auto key = [](win::UINT vk) { return [vk](TCustomForm*) { win::headless::PressKey(vk); }; };
  const Case cases[] = {
      {"click yes", win::MB_YESNOCANCEL | win::MB_DEFBUTTON2, click(0), win::IDYES,
       {win::IDYES, win::IDNO, win::IDCANCEL}},
      {"esc cancels", win::MB_YESNOCANCEL | win::MB_DEFBUTTON2, key(win::VK_ESCAPE), win::IDCANCEL,
       {win::IDYES, win::IDNO, win::IDCANCEL}},
      {"close button cancels", win::MB_YESNOCANCEL,
       [](TCustomForm* box) { win::headless::CloseRequest(box->Handle()); }, win::IDCANCEL,
       {win::IDYES, win::IDNO, win::IDCANCEL}},
      {"ok box: esc is ok", win::MB_OK, key(win::VK_ESCAPE), win::IDOK, {win::IDOK}},
      {"ok cancel: enter", win::MB_OKCANCEL, key(win::VK_RETURN), win::IDOK,
       {win::IDOK, win::IDCANCEL}},
      {"ok cancel: default cancel", win::MB_OKCANCEL | win::MB_DEFBUTTON2, key(win::VK_RETURN),
       win::IDCANCEL, {win::IDOK, win::IDCANCEL}},
      // Neither Esc nor the close button end a box without a way out.
      {"yes no: esc and close do nothing", win::MB_YESNO | win::MB_DEFBUTTON2,
       [](TCustomForm* box) {
         win::headless::PressKey(win::VK_ESCAPE);
         win::headless::CloseRequest(box->Handle());
         win::headless::ProcessMessages();
         EXPECT_TRUE(box->Visible());
         win::headless::PressKey(win::VK_RETURN);
       },
       win::IDNO, {win::IDYES, win::IDNO}},
      {"retry cancel: click cancel", win::MB_RETRYCANCEL, click(1), win::IDCANCEL,
       {win::IDRETRY, win::IDCANCEL}},
      {"abort retry ignore: third default", win::MB_ABORTRETRYIGNORE | win::MB_DEFBUTTON3,
       key(win::VK_RETURN), win::IDIGNORE, {win::IDABORT, win::IDRETRY, win::IDIGNORE}},
      {"abort retry ignore: click abort", win::MB_ABORTRETRYIGNORE, click(0), win::IDABORT,
       {win::IDABORT, win::IDRETRY, win::IDIGNORE}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> buttons;
    const int answer = Box(u"Texto", c.type, [&](TCustomForm* box) {
      for (TButton* b : buttonsOf(box)) buttons.push_back(b->ModalResult());
      c.act(box);
    });
    EXPECT_EQ(answer, c.expected);
    EXPECT_EQ(buttons, c.buttons);
  }
}

TEST_F(Dialogs, MessageDlgTypesShowTheirCaptionsAndButtons) {
  script->steps.push_back([](TScriptForm*) {
    TCustomForm* box = Screen->ActiveForm();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->Caption(), u"Warning");
    ASSERT_EQ(buttonsOf(box).size(), 2u);
    EXPECT_EQ(buttonsOf(box)[1]->ModalResult(), mrCancel);
    win::headless::PressKey(win::VK_ESCAPE);
  });
  win::PostMessageW(script->Handle(), WM_SCRIPT, 0, 0);
  EXPECT_EQ(MessageDlg(u"Excluir o registro?", mtWarning, mbOKCancel), mrCancel);
}

TEST_F(Dialogs, LongTextWrapsWithinTheMaxWidthAndTheBoxIsCentred) {
  auto owner = Make<TForm>(nullptr);
  owner->SetBounds(100, 80, 600, 500);
  owner->Show();
  Process();
  const String longText =
      u"Não foi possível gravar o pedido porque o cliente está bloqueado por falta de "
      u"pagamento. Procure o departamento financeiro para liberar o cadastro.";
  TRect shortBox{}, longBox{}, longLabel{};
  int lineHeight = 0;
  auto measure = [&](TRect& boxRect, TRect* labelRect) {
    return [&boxRect, labelRect](TCustomForm* box) {
      boxRect = box->BoundsRect();
      for (int i = 0; i < box->ComponentCount(); ++i)
        if (auto* l = dynamic_cast<TLabel*>(box->Components(i)); l && labelRect)
          *labelRect = l->BoundsRect();
      win::headless::PressKey(win::VK_RETURN);
    };
  };
  Box(u"Gravado.", win::MB_OK | win::MB_ICONINFORMATION, measure(shortBox, nullptr));
  Box(longText, win::MB_OK | win::MB_ICONERROR, measure(longBox, &longLabel), owner->Handle());
  {
    auto probe = Make<TLabel>(nullptr);
    probe->SetParent(owner.get());
    probe->SetCaption(u"Xg");
    lineHeight = probe->Height();
  }
  // Short text: a small box centred on the work area.
  EXPECT_LT(int(shortBox.right - shortBox.left), 300);
  const int workW = win::headless::kScreenWidth;
  const int workH = win::headless::kScreenHeight - win::headless::kTaskBarHeight;
  EXPECT_NEAR(shortBox.left + int(shortBox.right - shortBox.left) / 2, workW / 2, 1);
  EXPECT_NEAR(shortBox.top + int(shortBox.bottom - shortBox.top) / 2, workH / 2, 1);
  // Long text: wrapped to several lines no wider than the max.
  EXPECT_LE(int(longLabel.right - longLabel.left), kMessageBoxMaxTextWidth);
  EXPECT_GT(int(longLabel.right - longLabel.left), kMessageBoxMaxTextWidth / 2);
  EXPECT_GE(int(longLabel.bottom - longLabel.top), 2 * lineHeight);
  EXPECT_LE(longLabel.right, int(longBox.right - longBox.left));
  // Centred on its owner.
  EXPECT_NEAR(longBox.left + int(longBox.right - longBox.left) / 2, 100 + 300, 1);
  EXPECT_NEAR(longBox.top + int(longBox.bottom - longBox.top) / 2, 80 + 250, 1);
}

TEST_F(Dialogs, BoxMatchesItsReference) {
  gdi::ImageBGRA shot;
  Box(u"O arquivo de configuração foi alterado por outro usuário. Deseja gravar as suas "
      u"alterações mesmo assim?",
      win::MB_YESNOCANCEL | win::MB_DEFBUTTON2 | win::MB_ICONQUESTION, [&](TCustomForm* box) {
        shot = screen->Screenshot(box->Handle());
        win::headless::PressKey(win::VK_ESCAPE);
      });
  testing_support::GoldenOptions fuzzy;
  fuzzy.channelTolerance = 48;
  fuzzy.maxDifferingPixels = 80;
  EXPECT_GOLDEN(shot, "ui", "message_box", fuzzy);
}

TEST_F(Dialogs, InitializeLeavesTheHeadlessBoxAnsweringAtOnce) {
  win::SetMessageBoxProvider(nullptr);
  Application->Initialize();
  // Were our dialog installed, this would end it and the check below fail.
  bool dialogOpened = false;
  script->steps.push_back([&](TScriptForm*) {
    if (TCustomForm* box = Screen->ActiveForm(); box && box->Modal()) {
      dialogOpened = true;
      box->SetModalResult(mrCancel);
    }
  });
  win::PostMessageW(script->Handle(), WM_SCRIPT, 0, 0);
  const int formsBefore = Screen->FormCount();
  EXPECT_EQ(win::MessageBoxW(nullptr, u"Sem janela", u"Teste", win::MB_YESNO | win::MB_DEFBUTTON2),
            win::IDNO);
  EXPECT_FALSE(dialogOpened);
  EXPECT_EQ(Screen->FormCount(), formsBefore);
  const auto shown = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, u"Teste");
  // Scripted answers still reach the code under test.
  win::headless::QueueMessageBoxAnswer(win::IDYES);
  EXPECT_EQ(MessageDlg(u"Continuar?", mtConfirmation, mbYesNo), mrYes);
}
