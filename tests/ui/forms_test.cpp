// Forms, the application and the screen: modal forms and their results,
// closing with free inside the form's own handler, errors reaching the
// standard error box instead of ending the loop, window styles and position.
#include "tests/ui/ui_fixture.h"

using namespace ui;
using namespace uitest;

namespace {

class Forms : public UiTest {};

}  // namespace

TEST_F(Forms, ShowModalEndsWhenModalResultIsSetAndHidesTheForm) {
  auto owner = Make<TForm>(nullptr);
  owner->Show();
  auto dialog = Make<TScriptForm>(nullptr);
  std::vector<std::string> seen;
  bool ownerEnabledDuringModal = true;
  dialog->SetOnShow(TNotifyEvent::fromClosure(&seen, [&](rtl::TObject*) {
    seen.push_back("show");
    // The question is answered by the script.
    const int answer = MessageDlg(u"Salvar as alterações?", mtConfirmation, mbYesNo);
    seen.push_back("answer " + std::to_string(answer));
    // A result set before the modal loop starts would be cleared by it.
    win::PostMessageW(dialog->Handle(), WM_SCRIPT, 0, 0);
  }));
  dialog->SetOnClose(TCloseEvent::fromClosure(&seen + 1, [&](rtl::TObject*, TCloseAction& a) {
    seen.push_back(a == caHide ? "close hide" : "close ?");
  }));
  dialog->steps.push_back([&](TScriptForm* f) {
    ownerEnabledDuringModal = win::IsWindowEnabled(owner->Handle());
    f->SetModalResult(mrYes);
  });
  win::headless::QueueMessageBoxAnswer(win::IDNO);

  EXPECT_EQ(dialog->ShowModal(), mrYes);
  EXPECT_EQ(seen, (std::vector<std::string>{"show", "answer 7", "close hide"}));
  EXPECT_FALSE(ownerEnabledDuringModal);
  EXPECT_TRUE(win::IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(win::IsWindowVisible(dialog->Handle()));
  EXPECT_FALSE(dialog->Modal());
  auto boxes = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Confirm");
  EXPECT_EQ(boxes[0].type, win::MB_YESNO | win::MB_ICONQUESTION);

  // Visible forms cannot go modal.
  dialog->SetOnShow(nullptr);
  dialog->Show();
  EXPECT_THROW(dialog->ShowModal(), rtl::EInvalidOperation);
}

TEST_F(Forms, CloseQueryCanRefuseAndCloseInsideAModalFormCancels) {
  auto dialog = Make<TScriptForm>(nullptr);
  int asked = 0;
  dialog->SetOnCloseQuery(TCloseQueryEvent::fromClosure(&asked, [&](rtl::TObject*, bool& can) {
    can = ++asked > 1;  // the first request is refused
  }));
  dialog->steps.push_back([](TScriptForm* f) { f->SetModalResult(mrOk); });
  dialog->steps.push_back([](TScriptForm* f) { f->Close(); });
  win::PostMessageW(dialog->Handle(), WM_SCRIPT, 0, 0);
  win::PostMessageW(dialog->Handle(), WM_SCRIPT, 0, 0);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
}

TEST_F(Forms, CloseWithCaFreeInsideTheFormsOwnHandlerFreesItAfterwards) {
  bool destroyed = false;
  auto* form = rtl::Create<TScriptForm>(nullptr);
  form->destroyed = &destroyed;
  form->SetOnClose(TCloseEvent::fromClosure(form, [](rtl::TObject*, TCloseAction& a) { a = caFree; }));
  form->steps.push_back([&](TScriptForm* f) {
    f->Close();
    EXPECT_FALSE(destroyed) << "freed only once the handler is done";
  });
  form->Show();
  const win::HWND h = form->Handle();
  win::PostMessageW(h, WM_SCRIPT, 0, 0);
  Process();
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(win::IsWindow(h));
  for (int i = 0; i < Screen->FormCount(); ++i) EXPECT_NE(Screen->Forms(i), form);
}

TEST_F(Forms, AnErrorInAHandlerShowsTheErrorBoxAndTheLoopGoesOn) {
  auto form = Make<TScriptForm>(nullptr);
  form->steps.push_back([](TScriptForm*) { throw rtl::EConvertError(u"'abc' is not a valid integer value"); });
  form->steps.push_back([](TScriptForm*) { rtl::Abort(); });  // silent
  form->steps.push_back([](TScriptForm*) { throw std::runtime_error("disk full"); });
  int after = 0;
  form->steps.push_back([&](TScriptForm*) { ++after; });
  form->Show();
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  // One at a time: an open box serves the queue, so a later error would
  // open its box inside the first one.
  for (int i = 0; i < 4; ++i) {
    win::PostMessageW(form->Handle(), WM_SCRIPT, 0, 0);
    Process();
  }
  EXPECT_EQ(after, 1);
  auto boxes = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, u"Integrador");
  EXPECT_EQ(boxes[0].text, u"'abc' is not a valid integer value.");
  EXPECT_EQ(boxes[0].type, win::MB_OK | win::MB_ICONSTOP);
  EXPECT_EQ(boxes[1].text, u"disk full.");

  // With OnException the handler decides instead of the box.
  std::vector<std::u16string> reported;
  Application->SetOnException(TExceptionEvent::fromClosure(&reported, [&](rtl::TObject*, rtl::Exception* e) {
    reported.push_back(e->Message());
  }));
  form->steps.push_back([](TScriptForm*) { throw rtl::Exception(u"Sem conexão."); });
  win::PostMessageW(form->Handle(), WM_SCRIPT, 0, 0);
  Process();
  EXPECT_EQ(reported, (std::vector<std::u16string>{u"Sem conexão."}));
  EXPECT_TRUE(win::headless::TakeShownMessageBoxes().empty());
}

TEST_F(Forms, RunEndsWhenTheMainFormCloses) {
  TScriptForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  bool shown = false;
  main->SetOnShow(TNotifyEvent::fromClosure(&shown, [&](rtl::TObject*) {
    shown = true;
    win::PostMessageW(main->Handle(), WM_SCRIPT, 0, 0);
  }));
  main->steps.push_back([](TScriptForm* f) { f->Close(); });
  Application->Run();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(Application->Terminated());
  main->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST_F(Forms, BorderStylesGiveTheirWindowStyles) {
  struct Case {
    TFormBorderStyle style;
    win::DWORD has, hasNot, exHas;
  };
  const Case cases[] = {
      {bsSizeable, win::WS_CAPTION | win::WS_THICKFRAME | win::WS_SYSMENU | win::WS_MAXIMIZEBOX, win::WS_POPUP, 0},
      {bsSingle, win::WS_CAPTION | win::WS_SYSMENU | win::WS_MINIMIZEBOX, win::WS_THICKFRAME, 0},
      {bsDialog, win::WS_POPUP | win::WS_CAPTION | win::WS_SYSMENU, win::WS_THICKFRAME | win::WS_MINIMIZEBOX,
       win::WS_EX_DLGMODALFRAME},
      {bsToolWindow, win::WS_CAPTION, win::WS_THICKFRAME | win::WS_MAXIMIZEBOX, win::WS_EX_TOOLWINDOW},
      {bsSizeToolWin, win::WS_CAPTION | win::WS_THICKFRAME, win::WS_MAXIMIZEBOX, win::WS_EX_TOOLWINDOW},
      {bsNone, win::WS_POPUP, win::WS_CAPTION | win::WS_THICKFRAME | win::WS_SYSMENU, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.style));
    auto form = Make<TForm>(nullptr);
    form->SetBorderStyle(c.style);
    const auto style = win::DWORD(win::GetWindowLongPtrW(form->Handle(), win::GWL_STYLE));
    const auto ex = win::DWORD(win::GetWindowLongPtrW(form->Handle(), win::GWL_EXSTYLE));
    EXPECT_EQ(style & c.has, c.has);
    EXPECT_EQ(style & c.hasNot, 0u);
    EXPECT_EQ(ex & c.exHas, c.exHas);
    EXPECT_EQ(style & win::WS_CHILD, 0u);
    // The client area known before the window exists is the window's.
    auto other = Make<TForm>(nullptr);
    other->SetBorderStyle(c.style);
    const TRect before = other->ClientRect();
    other->HandleNeeded();
    const TRect after = other->ClientRect();
    EXPECT_EQ(before.right, after.right);
    EXPECT_EQ(before.bottom, after.bottom);
  }
}

TEST_F(Forms, ScreenCenterPlacesTheFormOnceThenItStaysWherePut) {
  auto form = Make<TForm>(nullptr);
  form->SetBounds(0, 0, 400, 300);
  form->SetPosition(poScreenCenter);
  form->Show();
  EXPECT_EQ(form->Left(), (1280 - 400) / 2);
  EXPECT_EQ(form->Top(), (1024 - 300) / 2);
  win::RECT r;
  win::GetWindowRect(form->Handle(), &r);
  EXPECT_EQ(r.left, form->Left());
  form->Hide();
  form->SetLeft(10);
  form->Show();
  EXPECT_EQ(form->Left(), 10);

  auto child = Make<TForm>(form.get());
  child->SetBounds(0, 0, 100, 50);
  child->SetPosition(poOwnerFormCenter);
  child->Show();
  EXPECT_EQ(child->Left(), 10 + (400 - 100) / 2);
  EXPECT_EQ(child->Top(), form->Top() + (300 - 50) / 2);
}

TEST_F(Forms, OnCreateRunsAfterTheControlsAreLoadedAndOnDestroyBeforeTheyGo) {
  struct TFormWithBox : TForm {
    TWinControl* box;
    std::vector<std::string> log;
    explicit TFormWithBox(rtl::TComponent* owner) : TForm(owner) {
      box = rtl::Create<TWinControl>(this);
      box->SetParent(this);
      box->SetAlign(alClient);
      SetOnCreate(TNotifyEvent::fromClosure(this, [this](rtl::TObject*) {
        log.push_back("create " + std::to_string(box->Width()));
      }));
    }
  };
  auto form = Make<TFormWithBox>(nullptr);
  // Aligned at Loaded, before OnCreate, to the client area the frame leaves.
  EXPECT_EQ(form->log, (std::vector<std::string>{"create " + std::to_string(form->ClientWidth())}));
  EXPECT_LT(form->ClientWidth(), form->Width());
  bool boxSeen = false;
  form->SetOnDestroy(TNotifyEvent::fromClosure(&boxSeen, [&](rtl::TObject* s) {
    boxSeen = static_cast<TFormWithBox*>(s)->ControlCount() == 1;
  }));
  form.reset();
  EXPECT_TRUE(boxSeen);
}

TEST_F(Forms, ScreenReportsTheHeadlessDisplay) {
  EXPECT_EQ(Screen->Width(), 1280);
  EXPECT_EQ(Screen->Height(), 1024);
  const TRect work = Screen->WorkAreaRect();
  EXPECT_EQ(work.bottom, 1024 - 40);
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
  EXPECT_EQ(Screen->MonitorCount(), 1);
  EXPECT_EQ(Screen->Cursors(crIBeam), win::LoadCursorW(nullptr, win::IDC_IBEAM));
  EXPECT_EQ(Screen->Cursors(12345), win::LoadCursorW(nullptr, win::IDC_ARROW));
  Screen->SetCursors(12345, win::LoadCursorW(nullptr, win::IDC_HAND));
  EXPECT_EQ(Screen->Cursors(12345), win::LoadCursorW(nullptr, win::IDC_HAND));
  Screen->SetCursors(12345, nullptr);

  auto form = Make<TForm>(nullptr);
  EXPECT_EQ(Screen->Forms(Screen->FormCount() - 1), form.get());
  form->Show();
  Process();
  EXPECT_EQ(Screen->ActiveForm(), form.get());
}

TEST_F(Forms, MessageDialogsMapTypeAndButtonsToTheBox) {
  struct Case {
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    int answer;
    const char16_t* caption;
    win::UINT flags;
  };
  const Case cases[] = {
      {mtWarning, {mbOK}, win::IDOK, u"Warning", win::MB_OK | win::MB_ICONWARNING},
      {mtError, {mbOK}, win::IDOK, u"Error", win::MB_OK | win::MB_ICONERROR},
      {mtInformation, mbOKCancel, win::IDCANCEL, u"Information", win::MB_OKCANCEL | win::MB_ICONINFORMATION},
      {mtConfirmation, mbYesNoCancel, win::IDNO, u"Confirm", win::MB_YESNOCANCEL | win::MB_ICONQUESTION},
      {mtCustom, mbAbortRetryIgnore, win::IDRETRY, u"Integrador", win::MB_ABORTRETRYIGNORE},
      {mtWarning, {mbRetry, mbCancel}, win::IDRETRY, u"Warning", win::MB_RETRYCANCEL | win::MB_ICONWARNING},
  };
  for (const auto& c : cases) {
    win::headless::QueueMessageBoxAnswer(c.answer);
    EXPECT_EQ(MessageDlg(u"Texto", c.type, c.buttons), c.answer);
    auto boxes = win::headless::TakeShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, c.caption);
    EXPECT_EQ(boxes[0].text, u"Texto");
    EXPECT_EQ(boxes[0].type, c.flags);
  }
  win::headless::QueueMessageBoxAnswer(win::IDOK);
  ShowMessage(u"Concluído");
  auto boxes = win::headless::TakeShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Integrador");
  EXPECT_EQ(boxes[0].type, win::MB_OK);
}
