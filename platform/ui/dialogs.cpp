#include "platform/ui/dialogs.h"

#include <algorithm>
#include <vector>

#include "platform/rtl/scoped.h"
#include "platform/ui/stdctrls.h"
#include "platform/win/win.h"

namespace ui {

namespace {

struct BoxButton {
  int id;
  const char16_t* caption;
};

std::vector<BoxButton> buttonsOf(win::UINT type) {
  switch (type & win::MB_TYPEMASK) {
    case win::MB_OKCANCEL: return {{win::IDOK, u"OK"}, {win::IDCANCEL, u"Cancel"}};
    case win::MB_ABORTRETRYIGNORE:
      return {{win::IDABORT, u"&Abort"}, {win::IDRETRY, u"&Retry"}, {win::IDIGNORE, u"&Ignore"}};
    case win::MB_YESNOCANCEL:
      return {{win::IDYES, u"&Yes"}, {win::IDNO, u"&No"}, {win::IDCANCEL, u"Cancel"}};
    case win::MB_YESNO: return {{win::IDYES, u"&Yes"}, {win::IDNO, u"&No"}};
    case win::MB_RETRYCANCEL: return {{win::IDRETRY, u"&Retry"}, {win::IDCANCEL, u"Cancel"}};
    case win::MB_CANCELTRYCONTINUE:
      return {{win::IDCANCEL, u"Cancel"}, {win::IDTRYAGAIN, u"&Try Again"},
              {win::IDCONTINUE, u"&Continue"}};
    default: return {{win::IDOK, u"OK"}};
  }
}

// The answer a box gives when it is closed rather than answered: its Cancel
// button, the OK of a lone OK button, none otherwise.
int closeAnswer(win::UINT type) {
  for (const auto& b : buttonsOf(type))
    if (b.id == win::IDCANCEL) return win::IDCANCEL;
  return (type & win::MB_TYPEMASK) == win::MB_OK ? win::IDOK : 0;
}

enum class IconKind { None, Error, Question, Warning, Information };

IconKind iconOf(win::UINT type) {
  switch (type & 0xF0) {
    case win::MB_ICONERROR: return IconKind::Error;
    case win::MB_ICONQUESTION: return IconKind::Question;
    case win::MB_ICONWARNING: return IconKind::Warning;
    case win::MB_ICONINFORMATION: return IconKind::Information;
    default: return IconKind::None;
  }
}

constexpr int kIconSize = 32;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

// Our own drawing of the four box icons, 32 x 32.
class TMessageBoxIcon : public TGraphicControl {
  RTL_CLASS(TMessageBoxIcon, TGraphicControl)

 public:
  TMessageBoxIcon(rtl::TComponent* owner, IconKind kind) : TGraphicControl(owner), kind_(kind) {
    SetBounds(0, 0, kIconSize, kIconSize);
  }

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    const TColor red = TColor(0x2020D0), blue = TColor(0xC06020), yellow = TColor(0x20D0F8);
    c->Pen()->SetWidth(1);
    switch (kind_) {
      case IconKind::None: return;
      case IconKind::Error:
        c->Pen()->SetColor(TColor(0x101080));
        c->Brush()->SetColor(red);
        c->Ellipse(1, 1, 31, 31);
        c->Pen()->SetColor(clWhite);
        c->Pen()->SetWidth(3);
        c->MoveTo(10, 10);
        c->LineTo(22, 22);
        c->MoveTo(22, 10);
        c->LineTo(10, 22);
        return;
      case IconKind::Warning:
        c->Pen()->SetColor(TColor(0x206080));
        c->Brush()->SetColor(yellow);
        c->Polygon({{16, 1}, {31, 29}, {1, 29}});
        c->Pen()->SetColor(clBlack);
        c->Brush()->SetColor(clBlack);
        c->Rectangle(15, 9, 18, 21);
        c->Rectangle(15, 23, 18, 26);
        return;
      case IconKind::Information:
        c->Pen()->SetColor(TColor(0x803010));
        c->Brush()->SetColor(blue);
        c->Ellipse(1, 1, 31, 31);
        c->Pen()->SetColor(clWhite);
        c->Brush()->SetColor(clWhite);
        c->Rectangle(14, 7, 18, 11);
        c->Rectangle(14, 13, 18, 25);
        return;
      case IconKind::Question: {
        c->Pen()->SetColor(TColor(0x803010));
        c->Brush()->SetColor(blue);
        c->Ellipse(1, 1, 31, 31);
        c->Brush()->SetStyle(TBrushStyle::bsClear);
        c->Font()->SetName(u"DejaVu Sans");
        c->Font()->SetHeight(-22);
        c->Font()->SetStyle({fsBold});
        c->Font()->SetColor(clWhite);
        const String q = u"?";
        const TSize s = c->TextExtent(q);
        c->TextOut((kIconSize - s.cx) / 2, (kIconSize - s.cy) / 2, q);
        return;
      }
    }
  }

 private:
  IconKind kind_;
};

}  // namespace

TForm* CreateMessageBoxForm(win::HWND owner, const String& text, const String& caption,
                            win::UINT type) {
  TForm* form = rtl::Create<TForm>(nullptr);
  // The half-built form goes if anything below fails.
  rtl::ScopeExit freeOnFailure([form] { form->Free(); });
  form->SetBorderStyle(bsDialog);
  form->SetBorderIcons({biSystemMenu});
  form->SetCaption(caption);

  const IconKind kind = iconOf(type);
  int textLeft = kMargin;
  int iconBottom = kMargin;
  if (kind != IconKind::None) {
    auto* icon = rtl::Create<TMessageBoxIcon>(form, kind);
    icon->SetParent(form);
    icon->SetBounds(kMargin, kMargin, kIconSize, kIconSize);
    textLeft = kMargin + kIconSize + kMargin;
    iconBottom = kMargin + kIconSize;
  }

  // Sized by the label itself: wrapped at the max width, then shrunk to
  // the widest line.
  TLabel* label = rtl::Create<TLabel>(form);
  label->SetParent(form);
  label->SetShowAccelChar(false);
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  label->SetBounds(textLeft, kMargin, kMessageBoxMaxTextWidth, 0);
  label->SetCaption(text);
  label->SetAutoSize(true);
  // A short text sits level with the middle of the icon.
  if (kind != IconKind::None && label->Height() < kIconSize)
    label->SetTop(kMargin + (kIconSize - label->Height()) / 2);

  const auto buttons = buttonsOf(type);
  const int count = int(buttons.size());
  const int rowWidth = count * kButtonWidth + (count - 1) * kButtonGap;
  const int clientWidth =
      std::max(label->Left() + label->Width() + kMargin, rowWidth + 2 * kMargin);
  const int buttonsTop = std::max(label->Top() + label->Height(), iconBottom) + kMargin + 4;

  int def = int((type & win::MB_DEFMASK) >> 8);
  if (def < 0 || def >= count) def = 0;
  const int cancelId = closeAnswer(type);
  int x = (clientWidth - rowWidth) / 2;
  TButton* defaultButton = nullptr;
  for (int i = 0; i < count; ++i) {
    TButton* b = rtl::Create<TButton>(form);
    b->SetParent(form);
    b->SetBounds(x, buttonsTop, kButtonWidth, kButtonHeight);
    b->SetCaption(buttons[i].caption);
    b->SetModalResult(buttons[i].id);
    b->SetTabOrder(i);
    if (buttons[i].id == cancelId) b->SetCancel(true);
    if (i == def) {
      b->SetDefault(true);
      defaultButton = b;
    }
    x += kButtonWidth + kButtonGap;
  }
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(buttonsTop + kButtonHeight + kMargin);
  form->SetActiveControl(defaultButton);

  // Centred on the owner when there is one to see, else on its screen.
  win::RECT area{};
  if (owner && win::IsWindow(owner) && win::IsWindowVisible(owner)) {
    win::GetWindowRect(owner, &area);
  } else {
    win::MONITORINFO info{};
    info.cbSize = sizeof info;
    win::GetMonitorInfoW(win::MonitorFromWindow(owner, win::MONITOR_DEFAULTTONEAREST), &info);
    area = info.rcWork;
  }
  int left = area.left + (area.right - area.left - form->Width()) / 2;
  int top = area.top + (area.bottom - area.top - form->Height()) / 2;
  // Kept on the owner's screen even when the owner hangs off it.
  win::MONITORINFO info{};
  info.cbSize = sizeof info;
  win::GetMonitorInfoW(win::MonitorFromRect(&area, win::MONITOR_DEFAULTTONEAREST), &info);
  left = std::max<int>(info.rcWork.left, std::min<int>(left, info.rcWork.right - form->Width()));
  top = std::max<int>(info.rcWork.top, std::min<int>(top, info.rcWork.bottom - form->Height()));
  form->SetBounds(left, top, form->Width(), form->Height());
  freeOnFailure.Release();
  return form;
}

int ShowMessageBoxDialog(win::HWND owner, const String& text, const String& caption,
                         win::UINT type) {
  struct Freeing {
    TForm* form;
    ~Freeing() { form->Free(); }
  } box{CreateMessageBoxForm(owner, text, caption, type)};
  const int closeId = closeAnswer(type);
  // Closing asks a modal form for mrCancel; a box with no way out refuses.
  TForm* form = box.form;
  box.form->SetOnCloseQuery(TCloseQueryEvent::fromClosure(
      box.form, [closeId, form](rtl::TObject*, bool& canClose) {
        canClose = closeId != 0 || form->ModalResult() != mrCancel;
      }));
  const TModalResult result = box.form->ShowModal();
  for (const auto& b : buttonsOf(type))
    if (b.id == result) return result;
  // Ended from outside (the program quitting): the box's way out.
  return closeId ? closeId : win::DefaultMessageBoxAnswer(type);
}

void InstallMessageBoxDialog() {
  win::SetMessageBoxProvider([](win::HWND owner, const rtl::String& text,
                                const rtl::String& caption, win::UINT type) {
    return ShowMessageBoxDialog(owner, text, caption, type);
  });
}

}  // namespace ui
