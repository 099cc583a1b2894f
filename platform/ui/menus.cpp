// Menus and the popup menu's window and modal loop.
//
// The loop takes every mouse and key message of the thread while the menu
// is up, whatever window it was addressed to: pointer events are judged by
// their screen point against the menu's windows, so a click anywhere else
// closes the menu (and is swallowed, as a context menu's outside click is),
// and keys drive the selection. Everything else is dispatched as usual.
#include "platform/ui/menus.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/canvas.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/system.h"
#include "platform/win/window.h"

namespace ui {

// ---- TMenuItem --------------------------------------------------------------------------

TMenuItem::TMenuItem(rtl::TComponent* owner) : rtl::TComponent(owner) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  std::vector<TMenuItem*> items;
  items.swap(items_);
  for (TMenuItem* item : items) {
    item->parent_ = nullptr;
    item->Free();
  }
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count())
    throw rtl::EListError(u"List index out of bounds (" + rtl::IntToStr(index) + u")");
  return items_[size_t(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (index < 0 || index > Count())
    throw rtl::EListError(u"List index out of bounds (" + rtl::IntToStr(index) + u")");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw rtl::EListError(u"Menu item inserted into itself");
  if (item->parent_) item->parent_->Remove(item);
  if (index > Count()) index = Count();
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  const auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

String TMenuItem::DisplayCaption() const {
  String result;
  result.reserve(caption_.size());
  for (size_t i = 0; i < caption_.size(); ++i) {
    if (caption_[i] == u'&') {
      if (i + 1 < caption_.size() && caption_[i + 1] == u'&') {
        result += u'&';
        ++i;
      }
      continue;
    }
    result += caption_[i];
  }
  return result;
}

char16_t TMenuItem::Accelerator() const {
  for (size_t i = 0; i + 1 < caption_.size(); ++i) {
    if (caption_[i] != u'&') continue;
    if (caption_[i + 1] == u'&') {
      ++i;
      continue;
    }
    const char16_t c = caption_[i + 1];
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
  }
  return 0;
}

void TMenuItem::Click() {
  if (enabled_ && onClick_) onClick_(this);
}

namespace {
// Gutter left of the caption (the check mark) and right of the short cut
// (the sub-menu arrow); the gap between caption and short cut.
constexpr int kCheckGutter = 20;
constexpr int kArrowGutter = 16;
constexpr int kShortCutGap = 16;
}  // namespace

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
  if (IsLine()) {
    width = kCheckGutter;
    height = MenuLineHeight();
    return;
  }
  width = kCheckGutter + canvas->TextWidth(DisplayCaption()) + kArrowGutter;
  if (shortCut_ != 0) width += kShortCutGap + canvas->TextWidth(ShortCutToText(shortCut_));
  height = canvas->TextHeight(u"Qg") + 4;
}

// ---- TMenu ------------------------------------------------------------------------------

TMenu::TMenu(rtl::TComponent* owner) : rtl::TComponent(owner), items_(rtl::Create<TMenuItem>(nullptr)) {
  items_->menu_ = this;
}

TMenu::~TMenu() { items_->Free(); }

namespace {
TMenuItem* findShortCut(TMenuItem* parent, TShortCut shortCut) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Enabled() || !item->Visible()) continue;
    if (item->ShortCut() == shortCut) return item;
    if (TMenuItem* found = findShortCut(item, shortCut)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindShortCut(const TMessage& message) const {
  const win::UINT msg = message.Msg;
  if (msg != win::WM_KEYDOWN && msg != win::WM_SYSKEYDOWN && msg != CN_KEYDOWN && msg != CN_SYSKEYDOWN)
    return nullptr;
  TShiftState shift = KeyboardStateToShiftState();
  if (message.LParam & (win::LPARAM(1) << 29)) shift.Include(ssAlt);
  const TShortCut shortCut = ui::ShortCut(rtl::Word(message.WParam & 0xFFFF), shift);
  return shortCut == 0 ? nullptr : findShortCut(items_, shortCut);
}

bool TMenu::IsShortCut(TMessage& message) {
  TMenuItem* item = FindShortCut(message);
  if (!item) return false;
  item->Click();
  return true;
}

// ---- measures -----------------------------------------------------------------------------

gdi::LOGFONTW MenuLogFont() {
  win::NONCLIENTMETRICSW metrics{};
  win::SystemParametersInfoW(win::SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  return metrics.lfMenuFont;
}

namespace {
// A canvas over a memory context with the menu font selected.
class MenuCanvas {
 public:
  MenuCanvas() : dc_(gdi::CreateCompatibleDC(nullptr)) {
    canvas_.SetHandle(dc_);
    const gdi::LOGFONTW lf = MenuLogFont();
    canvas_.Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
  }
  ~MenuCanvas() {
    canvas_.SetHandle(nullptr);
    gdi::DeleteDC(dc_);
  }
  MenuCanvas(const MenuCanvas&) = delete;
  MenuCanvas& operator=(const MenuCanvas&) = delete;
  TCanvas* get() { return &canvas_; }

 private:
  gdi::HDC dc_;
  TCanvas canvas_;
};
}  // namespace

int MenuItemHeight() {
  MenuCanvas canvas;
  return canvas.get()->TextHeight(u"Qg") + 4;
}

int MenuLineHeight() { return 9; }

// ---- the popup window and its loop ------------------------------------------------------------

namespace {

const char16_t kPopupMenuClass[] = u"uiPopupMenuWindow";

struct LaidItem {
  TMenuItem* item;
  TRect rect;  // client coordinates
};

// One open level: the top-level menu or a sub-menu.
struct MenuLevel {
  TMenuItem* parent = nullptr;
  std::vector<LaidItem> items;
  TSize size{};
  TRect bounds{};  // screen
  win::HWND wnd = nullptr;
  int selected = -1;
};

bool contains(const TRect& r, const TPoint& p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool selectable(const LaidItem& laid) { return !laid.item->IsLine() && laid.item->Enabled(); }

// Columns side by side; a break starts a new one at the top.
void layOut(MenuLevel& level) {
  MenuCanvas canvas;
  struct Measured {
    TMenuItem* item;
    int width, height;
  };
  std::vector<std::vector<Measured>> columns(1);
  for (int i = 0; i < level.parent->Count(); ++i) {
    TMenuItem* item = level.parent->Items(i);
    if (!item->Visible()) continue;
    if (item->Break() != TMenuBreak::mbNone && !columns.back().empty()) columns.emplace_back();
    int w = 0, h = 0;
    item->MeasureItem(canvas.get(), w, h);
    columns.back().push_back({item, w, h});
  }
  int x = kMenuFrame, height = 0;
  for (const auto& column : columns) {
    int width = 0, y = kMenuFrame;
    for (const Measured& m : column) width = std::max(width, m.width);
    for (const Measured& m : column) {
      level.items.push_back({m.item, TRect{x, y, x + width, y + m.height}});
      y += m.height;
    }
    height = std::max(height, y - kMenuFrame);
    x += width;
  }
  level.size = TSize{x + kMenuFrame, height + 2 * kMenuFrame};
}

void drawCheck(TCanvas* canvas, const TRect& r) {
  const int cx = r.left + kCheckGutter / 2, cy = (r.top + r.bottom) / 2;
  for (int d = 0; d < 2; ++d) {
    canvas->MoveTo(cx - 4, cy - 1 + d);
    canvas->LineTo(cx - 2, cy + 1 + d);
    canvas->LineTo(cx + 3, cy - 4 + d);
  }
}

void drawArrow(TCanvas* canvas, const TRect& r) {
  const int x = r.right - kArrowGutter / 2 - 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 4; ++i) {
    canvas->MoveTo(x + i, cy - 3 + i);
    canvas->LineTo(x + i, cy + 4 - i);
  }
}

void paintLevel(const MenuLevel& level, gdi::HDC dc) {
  TCanvas canvas;
  canvas.SetHandle(dc);
  rtl::ScopeExit release([&] { canvas.SetHandle(nullptr); });
  const gdi::LOGFONTW lf = MenuLogFont();
  canvas.Font()->SetHandle(gdi::CreateFontIndirectW(&lf));
  const TRect all{0, 0, level.size.cx, level.size.cy};
  canvas.Brush()->SetColor(clMenu);
  canvas.FillRect(all);
  canvas.Brush()->SetColor(clBtnShadow);
  canvas.FrameRect(all);
  canvas.Brush()->SetStyle(bsClear);
  for (size_t i = 0; i < level.items.size(); ++i) {
    const LaidItem& laid = level.items[i];
    const TRect& r = laid.rect;
    if (laid.item->IsLine()) {
      const int y = (r.top + r.bottom) / 2;
      canvas.Pen()->SetColor(clBtnShadow);
      canvas.MoveTo(r.left + 2, y);
      canvas.LineTo(r.right - 2, y);
      continue;
    }
    const bool hot = int(i) == level.selected;
    if (hot) {
      canvas.Brush()->SetColor(clHighlight);
      canvas.Brush()->SetStyle(bsSolid);
      canvas.FillRect(r);
      canvas.Brush()->SetStyle(bsClear);
    }
    const TColor text = !laid.item->Enabled() ? clGrayText : hot ? clHighlightText : clMenuText;
    canvas.Font()->SetColor(text);
    canvas.Pen()->SetColor(text);
    const int ty = r.top + (r.bottom - r.top - canvas.TextHeight(u"Qg")) / 2;
    canvas.TextOut(r.left + kCheckGutter, ty, laid.item->DisplayCaption());
    if (laid.item->ShortCut() != 0) {
      const String s = ShortCutToText(laid.item->ShortCut());
      canvas.TextOut(r.right - kArrowGutter - canvas.TextWidth(s), ty, s);
    }
    if (laid.item->Checked()) drawCheck(&canvas, r);
    if (laid.item->Count() > 0) drawArrow(&canvas, r);
  }
}

win::LRESULT popupMenuWindowProc(win::HWND hwnd, win::UINT msg, win::WPARAM wParam, win::LPARAM lParam) {
  switch (msg) {
    case win::WM_PAINT: {
      win::PAINTSTRUCT ps{};
      gdi::HDC dc = win::BeginPaint(hwnd, &ps);
      if (auto* level = reinterpret_cast<const MenuLevel*>(win::GetWindowLongPtrW(hwnd, win::GWLP_USERDATA)))
        paintLevel(*level, dc);
      win::EndPaint(hwnd, &ps);
      return 0;
    }
    case win::WM_ERASEBKGND: return 1;
    case win::WM_MOUSEACTIVATE: return win::MA_NOACTIVATE;
    default: return win::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void registerPopupMenuClass() {
  win::WNDCLASSW wc{};
  if (win::GetClassInfoW(nullptr, kPopupMenuClass, &wc)) return;
  wc.lpfnWndProc = &popupMenuWindowProc;
  wc.lpszClassName = kPopupMenuClass;
  win::RegisterClassW(&wc);
}

TRect workAreaAt(const TPoint& p) {
  win::MONITORINFO info{};
  info.cbSize = sizeof info;
  win::GetMonitorInfoW(win::MonitorFromPoint(win::POINT{p.x, p.y}, win::MONITOR_DEFAULTTONEAREST), &info);
  return TRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

// Keeps the window on the work area: past the bottom it opens upwards from
// `flipY`, past the right edge it moves left to `flipX` (or the edge).
TRect placeOnScreen(TRect r, int flipX, int flipY) {
  const TRect work = workAreaAt(TPoint{r.left, r.top});
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (r.bottom > work.bottom) {
    r.top = std::max(work.top, flipY - h);
    r.bottom = r.top + h;
  }
  if (r.right > work.right) {
    r.left = std::max(work.left, std::min(flipX, work.right) - w);
    r.right = r.left + w;
  }
  if (r.left < work.left) {
    r.left = work.left;
    r.right = r.left + w;
  }
  return r;
}

bool isMouseMessage(win::UINT msg) { return msg >= win::WM_MOUSEFIRST && msg <= win::WM_MOUSELAST; }
bool isButtonDown(win::UINT msg) {
  return msg == win::WM_LBUTTONDOWN || msg == win::WM_RBUTTONDOWN || msg == win::WM_MBUTTONDOWN ||
         msg == win::WM_LBUTTONDBLCLK || msg == win::WM_RBUTTONDBLCLK || msg == win::WM_MBUTTONDBLCLK;
}
bool isButtonUp(win::UINT msg) {
  return msg == win::WM_LBUTTONUP || msg == win::WM_RBUTTONUP || msg == win::WM_MBUTTONUP;
}

}  // namespace

// The modal part of TPopupMenu::Popup: the open levels, the selection and
// the outcome.
class PopupMenuLoop {
 public:
  explicit PopupMenuLoop(TPopupMenu* menu) : menu_(menu) {}
  ~PopupMenuLoop() {
    while (!levels_.empty()) closeLevel();
  }
  PopupMenuLoop(const PopupMenuLoop&) = delete;
  PopupMenuLoop& operator=(const PopupMenuLoop&) = delete;

  // Runs until an item is chosen or the menu is dismissed; the chosen item.
  TMenuItem* Run(int x, int y) {
    registerPopupMenuClass();
    if (!openLevel(menu_->Items(), TPoint{x, y}, menu_->Alignment())) return nullptr;
    menu_->window_ = levels_.front()->wnd;
    menu_->lastBounds_ = levels_.front()->bounds;
    rtl::ScopeExit clear([this] { menu_->window_ = nullptr; });
    win::MSG msg{};
    while (!done_) {
      const win::BOOL got = win::GetMessageW(&msg, nullptr, 0, 0);
      if (got == 0) {
        win::PostQuitMessage(int(msg.wParam));
        break;
      }
      if (got < 0) break;
      if (isMouseMessage(msg.message)) {
        mouse(msg);
      } else if (msg.message == win::WM_KEYDOWN || msg.message == win::WM_SYSKEYDOWN) {
        key(msg.wParam);
      } else if (msg.message == win::WM_KEYUP || msg.message == win::WM_SYSKEYUP || msg.message == win::WM_CHAR ||
                 msg.message == win::WM_SYSCHAR) {
        // Consumed: the keys belong to the menu while it is up.
      } else {
        win::TranslateMessage(&msg);
        win::DispatchMessageW(&msg);
      }
    }
    return chosen_;
  }

 private:
  bool openLevel(TMenuItem* parent, TPoint at, TPopupAlignment alignment, int flipX = 0, int flipY = 0) {
    auto level = std::make_unique<MenuLevel>();
    level->parent = parent;
    layOut(*level);
    if (level->items.empty()) return false;
    const int w = level->size.cx, h = level->size.cy;
    int left = at.x;
    if (alignment == paRight) left = at.x - w;
    if (alignment == paCenter) left = at.x - w / 2;
    level->bounds = placeOnScreen(TRect{left, at.y, left + w, at.y + h}, levels_.empty() ? at.x : flipX,
                                  levels_.empty() ? at.y : flipY);
    const win::HWND owner = levels_.empty() ? nullptr : levels_.back()->wnd;
    level->wnd = win::CreateWindowExW(win::WS_EX_TOPMOST | win::WS_EX_TOOLWINDOW | win::WS_EX_NOACTIVATE,
                                      kPopupMenuClass, u"", win::WS_POPUP, level->bounds.left, level->bounds.top, w,
                                      h, owner, nullptr, nullptr, nullptr);
    if (!level->wnd) return false;
    win::SetWindowLongPtrW(level->wnd, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(level.get()));
    win::ShowWindow(level->wnd, win::SW_SHOWNOACTIVATE);
    win::UpdateWindow(level->wnd);
    levels_.push_back(std::move(level));
    return true;
  }

  void closeLevel() {
    win::HWND wnd = levels_.back()->wnd;
    levels_.pop_back();
    if (wnd) win::DestroyWindow(wnd);
  }

  void closeLevelsAbove(size_t depth) {
    while (levels_.size() > depth + 1) closeLevel();
  }

  void select(size_t depth, int index) {
    MenuLevel& level = *levels_[depth];
    if (level.selected == index) return;
    level.selected = index;
    win::InvalidateRect(level.wnd, nullptr, false);
  }

  // Opens the sub-menu of the level's selected item, to the right of it.
  void openSubMenu(size_t depth, bool selectFirst) {
    closeLevelsAbove(depth);
    MenuLevel& level = *levels_[depth];
    if (level.selected < 0) return;
    const LaidItem& laid = level.items[size_t(level.selected)];
    if (laid.item->Count() == 0 || !laid.item->Enabled()) return;
    const TPoint at{level.bounds.left + laid.rect.right + kMenuFrame, level.bounds.top + laid.rect.top - kMenuFrame};
    if (!openLevel(laid.item, at, paLeft, level.bounds.left, level.bounds.top + laid.rect.bottom + kMenuFrame))
      return;
    if (selectFirst) moveSelection(levels_.size() - 1, +1);
  }

  void choose(TMenuItem* item) {
    chosen_ = item;
    done_ = true;
  }

  // Index of the level under the screen point (innermost first), -1 when none.
  int levelAt(const TPoint& p) const {
    for (size_t i = levels_.size(); i-- > 0;)
      if (contains(levels_[i]->bounds, p)) return int(i);
    return -1;
  }

  static int itemAt(const MenuLevel& level, const TPoint& client) {
    for (size_t i = 0; i < level.items.size(); ++i)
      if (contains(level.items[i].rect, client)) return int(i);
    return -1;
  }

  void mouse(const win::MSG& msg) {
    win::POINT sp{win::GET_X_LPARAM(msg.lParam), win::GET_Y_LPARAM(msg.lParam)};
    if (msg.message != win::WM_MOUSEWHEEL && msg.message != win::WM_MOUSEHWHEEL && msg.hwnd)
      win::ClientToScreen(msg.hwnd, &sp);
    const TPoint p{sp.x, sp.y};
    const int depth = levelAt(p);
    if (depth < 0) {
      if (isButtonDown(msg.message)) done_ = true;  // a click outside dismisses the menu
      return;
    }
    MenuLevel& level = *levels_[size_t(depth)];
    const int index = itemAt(level, TPoint{p.x - level.bounds.left, p.y - level.bounds.top});
    if (msg.message == win::WM_MOUSEMOVE) {
      if (index < 0 || !selectable(level.items[size_t(index)])) return;
      if (level.selected != index || levels_.size() > size_t(depth) + 1) {
        select(size_t(depth), index);
        openSubMenu(size_t(depth), false);
      }
      return;
    }
    if (isButtonUp(msg.message) && index >= 0) {
      const LaidItem& laid = level.items[size_t(index)];
      if (selectable(laid) && laid.item->Count() == 0) choose(laid.item);
    }
  }

  // Next selectable item in the direction, wrapping; none: unchanged.
  void moveSelection(size_t depth, int step) {
    MenuLevel& level = *levels_[depth];
    const int n = int(level.items.size());
    int i = level.selected;
    for (int tries = 0; tries < n; ++tries) {
      i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
      if (selectable(level.items[size_t(i)])) {
        select(depth, i);
        return;
      }
    }
  }

  void activate(size_t depth) {
    MenuLevel& level = *levels_[depth];
    if (level.selected < 0) return;
    const LaidItem& laid = level.items[size_t(level.selected)];
    if (!selectable(laid)) return;
    if (laid.item->Count() > 0)
      openSubMenu(depth, true);
    else
      choose(laid.item);
  }

  void key(win::WPARAM vk) {
    const size_t depth = levels_.size() - 1;
    switch (vk) {
      case win::VK_DOWN: moveSelection(depth, +1); return;
      case win::VK_UP: moveSelection(depth, -1); return;
      case win::VK_RIGHT: openSubMenu(depth, true); return;
      case win::VK_LEFT:
        if (depth > 0) closeLevel();
        return;
      case win::VK_ESCAPE:
        if (depth > 0)
          closeLevel();
        else
          done_ = true;
        return;
      case win::VK_RETURN:
      case win::VK_SPACE: activate(depth); return;
      case win::VK_MENU: done_ = true; return;
      default: break;
    }
    // An accelerator letter picks its item.
    MenuLevel& level = *levels_[depth];
    for (size_t i = 0; i < level.items.size(); ++i) {
      if (selectable(level.items[i]) && level.items[i].item->Accelerator() == char16_t(vk)) {
        select(depth, int(i));
        activate(depth);
        return;
      }
    }
  }

  TPopupMenu* menu_;
  std::vector<std::unique_ptr<MenuLevel>> levels_;
  TMenuItem* chosen_ = nullptr;
  bool done_ = false;
};

// ---- TPopupMenu ---------------------------------------------------------------------------

TPopupMenu::TPopupMenu(rtl::TComponent* owner) : TMenu(owner) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int x, int y) {
  popupPoint_ = TPoint{x, y};
  if (onPopup_) onPopup_(this);
  TMenuItem* chosen = nullptr;
  {
    PopupMenuLoop loop(this);
    chosen = loop.Run(x, y);
  }
  // After the windows are gone: the handler may show dialogs or free the menu.
  if (chosen) chosen->Click();
}

}  // namespace ui
