#pragma once
// The class library's list box over the native "LISTBOX" window: items as a
// TStrings (kept by the window, so a parent window is needed to fill it),
// single, multiple or extended selection, owner drawing through OnDrawItem,
// virtual (owner-data) styles with OnData, and the auto-complete settings
// that incremental search of derived list boxes reads.
#include <memory>
#include <vector>

#include "platform/rtl/stringlist.h"
#include "platform/ui/controls.h"

namespace ui {

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

enum class TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault };
using TOwnerDrawState = rtl::Set<TOwnerDrawStateItem, 6>;

class TCustomListBox;
using TDrawItemEvent =
    rtl::Method<void(TWinControl* control, int index, const TRect& rect, TOwnerDrawState state)>;
using TLBGetDataEvent = rtl::Method<void(TWinControl* control, int index, String& data)>;
using TLBFindDataEvent = rtl::Method<int(TWinControl* control, const String& findString)>;

class TListBoxStrings : public rtl::TStrings {
  RTL_CLASS(TListBoxStrings, rtl::TStrings)

 public:
  explicit TListBoxStrings(TCustomListBox* listBox) : listBox_(listBox) {}
  int Add(const String& s) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const String& s) override;
  int IndexOf(rtl::StringView s) const override;

 protected:
  String Get(int index) const override;
  int GetCount() const override;
  rtl::TObject* GetObject(int index) const override;
  void PutObject(int index, rtl::TObject* object) override;
  void SetUpdateState(bool updating) override;

 private:
  TCustomListBox* listBox_;
};

class TCustomListBox : public TWinControl {
  RTL_CLASS(TCustomListBox, TWinControl)

 public:
  explicit TCustomListBox(rtl::TComponent* owner);
  ~TCustomListBox() override;

  rtl::TStrings* Items() const { return items_.get(); }
  void SetItems(rtl::TStrings* value) { items_->Assign(value); }
  TCanvas* Canvas() const { return canvas_.get(); }

  // -1: none. With several selected, the current (caret) item.
  int ItemIndex();
  void SetItemIndex(int value);
  int TopIndex();
  void SetTopIndex(int value);
  int Count();
  void SetCount(int value);  // virtual styles only
  int ItemHeight();
  void SetItemHeight(int value);
  bool Selected(int index);
  void SetSelected(int index, bool value);
  int SelCount();
  void ClearSelection();
  void SelectAll();
  // The item under a client point; `existing`: -1 below the last item.
  int ItemAtPos(TPoint pos, bool existing);
  TRect ItemRect(int index);

  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle value);
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool value) { autoComplete_ = value; }
  // Milliseconds after which typing starts a new search.
  int AutoCompleteDelay() const { return autoCompleteDelay_; }
  void SetAutoCompleteDelay(int value) { autoCompleteDelay_ = value; }

  const TDrawItemEvent& OnDrawItem() const { return onDrawItem_; }
  void SetOnDrawItem(const TDrawItemEvent& v) { onDrawItem_ = v; }
  const TLBGetDataEvent& OnData() const { return onData_; }
  void SetOnData(const TLBGetDataEvent& v) { onData_ = v; }
  const TLBFindDataEvent& OnDataFind() const { return onDataFind_; }
  void SetOnDataFind(const TLBFindDataEvent& v) { onDataFind_ = v; }

  bool IsVirtual() const {
    return style_ == TListBoxStyle::lbVirtual || style_ == TListBoxStyle::lbVirtualOwnerDraw;
  }
  // The text of an item, asked of OnData in the virtual styles.
  String ItemText(int index);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void WndProc(TMessage& message) override;
  void DefaultHandler(void* message) override;
  void PaintWindow(win::HDC dc) override;
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // Virtual styles: the index of the item whose text starts with `text` (-1: none).
  virtual int DoFindData(const String& text);
  void CNCommand(TMessage& m);
  void CNDrawItem(TMessage& m);

 private:
  friend class TListBoxStrings;
  win::LRESULT send(win::UINT msg, win::WPARAM wParam, win::LPARAM lParam);

  struct SavedItem {
    String text;
    win::LPARAM data = 0;
  };
  std::vector<SavedItem> saved_;
  std::unique_ptr<TListBoxStrings> items_;
  std::unique_ptr<TControlCanvas> canvas_;
  TListBoxStyle style_ = TListBoxStyle::lbStandard;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  bool sorted_ = false;
  bool autoComplete_ = true;
  int autoCompleteDelay_ = 500;
  int itemHeight_ = 16;
  int itemIndexWanted_ = -1;
  TDrawItemEvent onDrawItem_;
  TLBGetDataEvent onData_;
  TLBFindDataEvent onDataFind_;
};

class TListBox : public TCustomListBox {
  RTL_CLASS(TListBox, TCustomListBox)

 public:
  using TCustomListBox::TCustomListBox;
};

}  // namespace ui
