#pragma once
// Menus: TMenuItem (a caption with its short cut, enabled and checked
// marks, an OnClick and sub-items), TMenu (the tree's root and its short-cut
// test) and TPopupMenu, which pops up at a screen point as a window of ours:
// items drawn and measured with the system menu font, chosen with the mouse
// or the keyboard, closed by a click outside. Popup runs a modal loop and
// returns after the menu closed; the chosen item's OnClick runs last.
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/ui/controls.h"
#include "platform/ui/shortcuts.h"

namespace ui {

enum class TMenuBreak { mbNone, mbBreak, mbBarBreak };
enum class TPopupAlignment { paLeft, paRight, paCenter };
constexpr TPopupAlignment paLeft = TPopupAlignment::paLeft;
constexpr TPopupAlignment paRight = TPopupAlignment::paRight;
constexpr TPopupAlignment paCenter = TPopupAlignment::paCenter;

class TMenu;

// A menu entry. A parent item owns its sub-items and frees them with itself.
// The caption "-" makes a separator line; "&" marks the accelerator letter
// ("&&" is an ampersand).
class TMenuItem : public rtl::TComponent {
  RTL_CLASS(TMenuItem, rtl::TComponent)

 public:
  explicit TMenuItem(rtl::TComponent* owner);
  ~TMenuItem() override;

  const String& Caption() const { return caption_; }
  void SetCaption(const String& value) { caption_ = value; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value) { shortCut_ = value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value) { enabled_ = value; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { checked_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  // mbBreak / mbBarBreak: this item starts a new column.
  TMenuBreak Break() const { return break_; }
  void SetBreak(TMenuBreak value) { break_ = value; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(const TNotifyEvent& value) { onClick_ = value; }

  // ---- sub-items
  int Count() const { return int(items_.size()); }
  // EListError "List index out of bounds (%d)" outside 0..Count-1.
  TMenuItem* Items(int index) const;
  // Takes ownership; an item already under another parent leaves it first.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Gives the item back without freeing it.
  void Remove(TMenuItem* item);
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  // The menu whose tree holds the item (nil for a loose item).
  TMenu* GetParentMenu() const;

  bool IsLine() const { return caption_ == u"-"; }
  // The caption as drawn: accelerator marks removed.
  String DisplayCaption() const;
  // The accelerator letter (upper case), 0 when the caption has none.
  char16_t Accelerator() const;
  // Fires OnClick when enabled.
  virtual void Click();
  // Sizes of the item as the popup window lays it out with the canvas's
  // current font (the menu font there): a text item is "Qg" + 4 high, a
  // line MenuLineHeight; owner-measured menus override it.
  virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
  // No pictures in our menus yet: drawing and measuring treat every item as
  // text only.
  virtual bool HasBitmap() const { return false; }

 private:
  String caption_;
  TShortCut shortCut_ = 0;
  bool enabled_ = true;
  bool checked_ = false;
  bool visible_ = true;
  TMenuBreak break_ = TMenuBreak::mbNone;
  TNotifyEvent onClick_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item only
  friend class TMenu;
};

class TMenu : public rtl::TComponent {
  RTL_CLASS(TMenu, rtl::TComponent)

 public:
  explicit TMenu(rtl::TComponent* owner);
  ~TMenu() override;

  // The invisible root whose sub-items are the menu's top level.
  TMenuItem* Items() const { return items_; }
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool value) { ownerDraw_ = value; }
  // The enabled item (at any depth) whose ShortCut the key message
  // (WM_KEYDOWN / WM_SYSKEYDOWN / CN_KEYDOWN) gives; nil when none.
  TMenuItem* FindShortCut(const TMessage& message) const;
  // Clicks the item FindShortCut finds; true when there was one.
  bool IsShortCut(TMessage& message);

 private:
  TMenuItem* items_;
  bool ownerDraw_ = false;
};

class TPopupMenu : public TMenu {
  RTL_CLASS(TPopupMenu, TMenu)

 public:
  explicit TPopupMenu(rtl::TComponent* owner);
  ~TPopupMenu() override;

  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool value) { autoPopup_ = value; }
  // Where the window stands against the popup point: paLeft puts its left
  // edge there, paRight its right edge, paCenter its middle.
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment value) { alignment_ = value; }
  // The control whose context request showed the menu.
  rtl::TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(rtl::TComponent* value) { popupComponent_ = value; }
  TPoint PopupPoint() const { return popupPoint_; }
  // Before the window appears (items may still change).
  const TNotifyEvent& OnPopup() const { return onPopup_; }
  void SetOnPopup(const TNotifyEvent& value) { onPopup_ = value; }

  // Shows the menu at the screen point and runs until it closes. Without a
  // visible item nothing is shown.
  virtual void Popup(int x, int y);
  // The top-level window while Popup runs (nil otherwise).
  win::HWND WindowHandle() const { return window_; }
  // Bounds (screen) of the top-level window the last Popup showed.
  TRect LastBounds() const { return lastBounds_; }

 private:
  friend class PopupMenuLoop;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
  rtl::TComponent* popupComponent_ = nullptr;
  TPoint popupPoint_{};
  TNotifyEvent onPopup_;
  win::HWND window_ = nullptr;
  TRect lastBounds_{};
};

// ---- measures the popup window uses -----------------------------------------------------
// The system menu font (non-client metrics).
gdi::LOGFONTW MenuLogFont();
// Height of a text item: the menu font's "Qg" height + 4.
int MenuItemHeight();
// Height of a separator item.
int MenuLineHeight();
// Frame around the items, on each side.
constexpr int kMenuFrame = 2;

}  // namespace ui
