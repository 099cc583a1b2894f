#pragma once
// The data navigator: a row of small buttons (first, prior page, prior,
// next, next page, last, insert, append, delete, edit, post, cancel,
// refresh, save and go to bookmark, filter, then the user's own) with an
// optional info panel showing "record N of M".
//
// The model (buttons, their settings, default hints, the enabling rules, the
// click actions with the delete confirmation, the info panel's text) talks to
// its host through interfaces: the host's data state and actions come through
// `IcxNavigator`, its geometry, canvas and change reports through
// `IcxNavigatorOwner`. The view info (`TcxNavigatorViewInfo`) measures and
// places the buttons inside the host's bounds, paints them through the
// look-and-feel painter and tracks the mouse, repeating Prior and Next while
// they are held. The in-place variant sizes itself from its buttons and sits
// beside its host control's horizontal scroll bar.
#include <array>
#include <memory>
#include <vector>

#include "lib/core/cxClasses.h"
#include "lib/core/dxCore.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/rtl/classes.h"
#include "platform/ui/controls.h"
#include "platform/ui/forms.h"
#include "platform/ui/image_list.h"

namespace core {
class TcxCanvas;
class TcxTimer;
}  // namespace core
namespace lookandfeel {
class TcxControl;
class TcxLookAndFeel;
}  // namespace lookandfeel

namespace data {

using rtl::String;
using ui::TPoint;
using ui::TRect;
using ui::TSize;

// --- texts ---------------------------------------------------------------------------------
inline constexpr core::TcxResourceString cxNavigatorHint_First{u"First record"};
inline constexpr core::TcxResourceString cxNavigatorHint_PriorPage{u"Prior page"};
inline constexpr core::TcxResourceString cxNavigatorHint_Prior{u"Prior record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Next{u"Next record"};
inline constexpr core::TcxResourceString cxNavigatorHint_NextPage{u"Next page"};
inline constexpr core::TcxResourceString cxNavigatorHint_Last{u"Last record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Insert{u"Insert record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Append{u"Append record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Delete{u"Delete record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Edit{u"Edit record"};
inline constexpr core::TcxResourceString cxNavigatorHint_Post{u"Post edit"};
inline constexpr core::TcxResourceString cxNavigatorHint_Cancel{u"Cancel edit"};
inline constexpr core::TcxResourceString cxNavigatorHint_Refresh{u"Refresh data"};
inline constexpr core::TcxResourceString cxNavigatorHint_SaveBookmark{u"Save Bookmark"};
inline constexpr core::TcxResourceString cxNavigatorHint_GotoBookmark{u"Goto Bookmark"};
inline constexpr core::TcxResourceString cxNavigatorHint_Filter{u"Filter data"};
inline constexpr core::TcxResourceString cxNavigator_DeleteRecordQuestion{u"Delete record?"};
inline constexpr core::TcxResourceString cxNavigatorInfoPanelDefaultDisplayMask{u"[RecordIndex] of [RecordCount]"};

// --- button indexes ------------------------------------------------------------------------
inline constexpr int NBDI_FIRST = 0;
inline constexpr int NBDI_PRIORPAGE = 1;
inline constexpr int NBDI_PRIOR = 2;
inline constexpr int NBDI_NEXT = 3;
inline constexpr int NBDI_NEXTPAGE = 4;
inline constexpr int NBDI_LAST = 5;
inline constexpr int NBDI_INSERT = 6;
inline constexpr int NBDI_APPEND = 7;
inline constexpr int NBDI_DELETE = 8;
inline constexpr int NBDI_EDIT = 9;
inline constexpr int NBDI_POST = 10;
inline constexpr int NBDI_CANCEL = 11;
inline constexpr int NBDI_REFRESH = 12;
inline constexpr int NBDI_SAVEBOOKMARK = 13;
inline constexpr int NBDI_GOTOBOOKMARK = 14;
inline constexpr int NBDI_FILTER = 15;
inline constexpr int NavigatorButtonCount = 16;

enum class TcxNavigatorChangeType { nctProperties, nctSize, nctLayout };

class TcxCustomNavigatorButtons;
class TcxCustomNavigatorInfoPanel;
class TcxNavigatorControlNotifier;

// --- interfaces ----------------------------------------------------------------------------
// The host's data state and actions.
class IcxNavigator {
 public:
  virtual bool IsActive() = 0;
  virtual bool IsBof() = 0;
  virtual bool IsEof() = 0;
  virtual bool CanInsert() = 0;
  virtual bool CanAppend() = 0;
  virtual bool CanDelete() = 0;
  virtual bool CanEdit() = 0;
  virtual bool IsEditing() = 0;
  virtual bool IsBookmarkAvailable() = 0;
  virtual void ClearBookmark() = 0;
  virtual void DoAction(int AButtonIndex) = 0;
  // Asked by hosts that share one notifier or support only some actions;
  // the navigator itself does not use them.
  virtual TcxNavigatorControlNotifier* GetNotifier() { return nullptr; }
  virtual bool IsActionSupported(int AButtonIndex) { return true; }

 protected:
  ~IcxNavigator() = default;
};

class IcxNavigatorRecordPosition {
 public:
  // 0-based.
  virtual int GetRecordIndex() = 0;
  virtual int GetRecordCount() = 0;

 protected:
  ~IcxNavigatorRecordPosition() = default;
};

// The host of the navigator's picture.
class IcxNavigatorOwner {
 public:
  virtual TRect GetNavigatorBounds() = 0;
  virtual TcxCustomNavigatorButtons* GetNavigatorButtons() = 0;
  virtual ui::TCanvas* GetNavigatorCanvas() = 0;
  virtual ui::TWinControl* GetNavigatorControl() = 0;
  virtual bool GetNavigatorFocused() = 0;
  virtual lookandfeel::TcxLookAndFeel* GetNavigatorLookAndFeel() = 0;
  virtual rtl::TComponent* GetNavigatorOwner() = 0;
  virtual bool GetNavigatorShowHint() = 0;
  virtual bool GetNavigatorTabStop() = 0;
  virtual void NavigatorChanged(TcxNavigatorChangeType AChangeType) = 0;
  virtual void NavigatorStateChanged() = 0;
  virtual void RefreshNavigator() = 0;

 protected:
  ~IcxNavigatorOwner() = default;
};

class IcxNavigatorOwner2 : public IcxNavigatorOwner {
 public:
  virtual TcxCustomNavigatorInfoPanel* GetNavigatorInfoPanel() = 0;

 protected:
  ~IcxNavigatorOwner2() = default;
};

// --- the model -----------------------------------------------------------------------------
class TcxNavigatorChildComponent : public rtl::TPersistent {
  RTL_CLASS(TcxNavigatorChildComponent, rtl::TPersistent)

 public:
  explicit TcxNavigatorChildComponent(IcxNavigatorOwner* ANavigator) : FNavigator(ANavigator) {}
  IcxNavigatorOwner* Navigator() const { return FNavigator; }
  rtl::TPersistent* GetOwner() const override;

 protected:
  // With ANeedRefresh the owner recalculates first; the owner hears the
  // change either way.
  void Changed(TcxNavigatorChangeType AChangeType, bool ANeedRefresh);
  bool IsNavigatorEnabled() const;

  IcxNavigatorOwner* FNavigator;
};

using TcxNavigatorButtonClickEvent = rtl::Method<void(rtl::TObject* Sender, int AButtonIndex, bool& ADone)>;

class TcxNavigatorButton : public rtl::TPersistent {
  RTL_CLASS(TcxNavigatorButton, rtl::TPersistent)

 public:
  TcxNavigatorButton(TcxCustomNavigatorButtons* AButtons, bool ADefaultVisible);
  void Assign(rtl::TPersistent* ASource) override;
  rtl::TPersistent* GetOwner() const override;

  // OnClick when assigned; otherwise the set's OnButtonClick and, unless
  // that says done, the set's own action.
  void DoClick();

  bool GetInternalEnabled() const;
  String GetInternalHint() const;
  ui::TCustomImageList* GetInternalImages() const;
  int GetInternalImageIndex() const;
  TSize GetImageSize() const;
  bool HasImage() const;
  bool IsCustomButton() const { return FDefaultIndex > NBDI_FILTER; }
  bool IsUserImageListUsed() const;

  TcxCustomNavigatorButtons* Buttons() const { return FButtons; }
  int DefaultIndex() const { return FDefaultIndex; }
  void SetDefaultIndex(int AValue) { FDefaultIndex = AValue; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool AValue);
  const String& Hint() const { return FHint; }
  void SetHint(const String& AValue);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int AValue);
  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  bool IsVisibleStored() const { return FIsVisibleAssigned; }
  const rtl::TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const rtl::TNotifyEvent& AValue);

 protected:
  void Changed(TcxNavigatorChangeType AChangeType, bool ANeedRefresh);

  TcxCustomNavigatorButtons* FButtons;
  int FDefaultIndex = -1;
  bool FDefaultVisible;
  bool FEnabled = true;
  String FHint;
  int FImageIndex = -1;
  bool FIsVisibleAssigned = false;
  bool FVisible;
  rtl::TNotifyEvent FOnClick;
};

class TcxNavigatorCustomButtons;

class TcxNavigatorCustomButton : public rtl::TCollectionItem {
  RTL_CLASS(TcxNavigatorCustomButton, rtl::TCollectionItem)

 public:
  explicit TcxNavigatorCustomButton(rtl::TCollection* ACollection);
  ~TcxNavigatorCustomButton() override;
  void Assign(rtl::TPersistent* ASource) override;

  TcxNavigatorButton* Button() const { return FButton.get(); }
  bool Enabled() const { return FButton->Enabled(); }
  void SetEnabled(bool AValue) { FButton->SetEnabled(AValue); }
  const String& Hint() const { return FButton->Hint(); }
  void SetHint(const String& AValue) { FButton->SetHint(AValue); }
  int ImageIndex() const { return FButton->ImageIndex(); }
  void SetImageIndex(int AValue) { FButton->SetImageIndex(AValue); }
  bool Visible() const { return FButton->Visible(); }
  void SetVisible(bool AValue) { FButton->SetVisible(AValue); }

 private:
  std::unique_ptr<TcxNavigatorButton> FButton;
};

class TcxNavigatorCustomButtons : public rtl::TOwnedCollection {
  RTL_CLASS(TcxNavigatorCustomButtons, rtl::TOwnedCollection)

 public:
  explicit TcxNavigatorCustomButtons(TcxCustomNavigatorButtons* AOwner);
  TcxNavigatorCustomButton* Add() { return static_cast<TcxNavigatorCustomButton*>(rtl::TCollection::Add()); }
  TcxNavigatorCustomButton* Items(int AIndex) const {
    return static_cast<TcxNavigatorCustomButton*>(rtl::TCollection::Items(AIndex));
  }
  TcxCustomNavigatorButtons* Buttons() const { return FButtons; }

 protected:
  void Update(rtl::TCollectionItem* AItem) override;

 private:
  TcxCustomNavigatorButtons* FButtons;
};

class TcxCustomNavigatorButtons : public TcxNavigatorChildComponent {
  RTL_CLASS(TcxCustomNavigatorButtons, TcxNavigatorChildComponent)

 public:
  explicit TcxCustomNavigatorButtons(IcxNavigatorOwner* ANavigator);
  ~TcxCustomNavigatorButtons() override;
  void Assign(rtl::TPersistent* ASource) override;

  virtual void DoButtonClick(int ADefaultIndex) {}
  virtual bool GetButtonEnabled(int ADefaultIndex);
  virtual String GetButtonHint(int ADefaultIndex);
  virtual int GetButtonImageOffset() { return 2; }
  virtual bool IsButtonVisibleByDefault(int AIndex) { return AIndex != NBDI_APPEND; }
  virtual void ReleaseBookmark() {}

  // The custom buttons' collection changed: rebuild the list after index 15.
  void CustomButtonsChanged();
  // Reports a change inside the user image list.
  void ImageListChanged();

  // Every button: the 16 standard ones, then the custom ones.
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TcxNavigatorButton* Buttons(int AIndex) const { return FButtons.at(static_cast<size_t>(AIndex)); }
  TcxNavigatorButton* StandardButton(int AIndex) const { return FStandardButtons.at(static_cast<size_t>(AIndex)).get(); }
  TcxNavigatorButton* First() const { return StandardButton(NBDI_FIRST); }
  TcxNavigatorButton* Prior() const { return StandardButton(NBDI_PRIOR); }
  TcxNavigatorButton* Next() const { return StandardButton(NBDI_NEXT); }
  TcxNavigatorButton* Append() const { return StandardButton(NBDI_APPEND); }
  TcxNavigatorButton* Delete() const { return StandardButton(NBDI_DELETE); }
  TcxNavigatorButton* Filter() const { return StandardButton(NBDI_FILTER); }
  bool ConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(bool AValue);
  TcxNavigatorCustomButtons* CustomButtons() const { return FCustomButtons.get(); }
  ui::TCustomImageList* Images() const { return FImages; }
  void SetImages(ui::TCustomImageList* AValue);
  const TcxNavigatorButtonClickEvent& OnButtonClick() const { return FOnButtonClick; }
  void SetOnButtonClick(const TcxNavigatorButtonClickEvent& AValue);

 protected:
  virtual void CreateButtons();
  virtual void DestroyButtons();

  std::vector<TcxNavigatorButton*> FButtons;
  std::array<std::unique_ptr<TcxNavigatorButton>, NavigatorButtonCount> FStandardButtons;
  ui::TCustomImageList* FImages = nullptr;
  bool FConfirmDelete = true;
  std::unique_ptr<TcxNavigatorCustomButtons> FCustomButtons;
  TcxNavigatorButtonClickEvent FOnButtonClick;
};

using TcxNavigatorGetControlEvent = rtl::Method<IcxNavigator*()>;

class TcxNavigatorControlButtons : public TcxCustomNavigatorButtons {
  RTL_CLASS(TcxNavigatorControlButtons, TcxCustomNavigatorButtons)

 public:
  using TcxCustomNavigatorButtons::TcxCustomNavigatorButtons;

  void DoButtonClick(int ADefaultIndex) override;
  bool GetButtonEnabled(int ADefaultIndex) override;
  void ReleaseBookmark() override;

  const TcxNavigatorGetControlEvent& OnGetControl() const { return FOnGetControl; }
  void SetOnGetControl(const TcxNavigatorGetControlEvent& AValue) { FOnGetControl = AValue; }

 protected:
  IcxNavigator* GetNavigator() const { return FOnGetControl ? FOnGetControl() : nullptr; }

 private:
  TcxNavigatorGetControlEvent FOnGetControl;
};

using TcxNavigatorInfoPanelClickEvent = rtl::Method<void(rtl::TObject* Sender, ui::TMouseButton Button)>;
using TcxNavigatorGetRecordPositionEvent = rtl::Method<IcxNavigatorRecordPosition*()>;

// The format of a display mask: every "%" doubled, "[RecordIndex]" becomes
// "%0:s" and "[RecordCount]" "%1:s" (any letter case, once the exact
// spelling occurs); the flags tell which markers occur.
String cxGetNavigatorFormatString(const String& ADisplayMask, bool& AIsNeedRecordIndex, bool& AIsNeedRecordCount);

class TcxCustomNavigatorInfoPanel : public TcxNavigatorChildComponent {
  RTL_CLASS(TcxCustomNavigatorInfoPanel, TcxNavigatorChildComponent)

 public:
  explicit TcxCustomNavigatorInfoPanel(IcxNavigatorOwner* ANavigator);
  void Assign(rtl::TPersistent* ASource) override;

  virtual void DoClick(ui::TMouseButton AButton);
  // The host's colour, font and text colour for the panel.
  virtual core::TcxViewParams GetViewParams() = 0;
  // Empty without a record position.
  virtual String GetFormattedText();
  IcxNavigatorRecordPosition* GetIRecordPosition() const {
    return FOnGetIRecordPosition ? FOnGetIRecordPosition() : nullptr;
  }

  const String& DisplayMask() const { return FDisplayMask; }
  void SetDisplayMask(const String& AValue);
  bool IsDisplayMaskStored() const;
  bool Visible() const { return FVisible; }
  void SetVisible(bool AValue);
  int Width() const { return FWidth; }
  void SetWidth(int AValue);
  const TcxNavigatorInfoPanelClickEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TcxNavigatorInfoPanelClickEvent& AValue) { FOnClick = AValue; }
  void SetOnGetIRecordPosition(const TcxNavigatorGetRecordPositionEvent& AValue) { FOnGetIRecordPosition = AValue; }

 private:
  String FDisplayMask;
  String FFormatString;
  bool FIsNeedRecordCount = false;
  bool FIsNeedRecordIndex = false;
  bool FVisible = false;
  TcxNavigatorInfoPanelClickEvent FOnClick;
  TcxNavigatorGetRecordPositionEvent FOnGetIRecordPosition;
  int FWidth = 0;
};

// The navigators of one host, refreshed together when its data state changes.
class TcxNavigatorControlNotifier : public rtl::TObject {
  RTL_CLASS(TcxNavigatorControlNotifier, rtl::TObject)

 public:
  void AddNavigator(IcxNavigatorOwner* ANavigator);
  void RemoveNavigator(IcxNavigatorOwner* ANavigator);
  void RefreshNavigatorButtons();

 private:
  std::vector<IcxNavigatorOwner*> FList;
};

// The built-in glyphs: 22 images of 11 x 11 from the bitmap resource
// "CXNAVIGATORBUTTONS", made on first use.
ui::TCustomImageList* NavigatorImages();
// Frees the glyphs (the data library's stop); the next use makes them again.
void cxNavigatorUnitStop();

// --- the picture ---------------------------------------------------------------------------
class TcxNavigatorViewInfo;

class TcxNavigatorButtonViewInfo : public rtl::TObject {
  RTL_CLASS(TcxNavigatorButtonViewInfo, rtl::TObject)

 public:
  TcxNavigatorButtonViewInfo(TcxNavigatorViewInfo* AOwner, TcxNavigatorButton* AButton);

  virtual void Calculate();
  virtual void Draw(core::TcxCanvas* ACanvas);
  // Recomputes the state; a change repaints the button.
  void UpdateState();

  TcxNavigatorButton* Button;
  TRect Bounds;
  bool Enabled = false;
  String Hint;
  int Width() const { return FSize; }
  int Height() const { return FHeight; }
  void SetSize(const TSize& ASize) {
    FSize = ASize.cx;
    FHeight = ASize.cy;
  }
  lookandfeel::TcxButtonState State() const { return FState; }

 protected:
  virtual lookandfeel::TcxButtonState CalculateState();
  virtual void CorrectButtonBounds(TRect& ABounds);
  virtual void DrawContent(core::TcxCanvas* ACanvas, const TRect& ABounds);
  virtual void DrawGlyph(core::TcxCanvas* ACanvas, const TRect& AGlyphRect);

  TcxNavigatorViewInfo* FOwner;
  int FSize = 0;
  int FHeight = 0;
  lookandfeel::TcxButtonState FState = lookandfeel::TcxButtonState::cxbsNormal;
};

class TcxCustomNavigatorInfoPanelViewInfo : public rtl::TObject {
  RTL_CLASS(TcxCustomNavigatorInfoPanelViewInfo, rtl::TObject)

 public:
  explicit TcxCustomNavigatorInfoPanelViewInfo(TcxNavigatorViewInfo* ANavigatorViewInfo)
      : FNavigatorViewInfo(ANavigatorViewInfo) {}
  void Calculate(const TRect& ABounds, const String& AText) {
    FBounds = ABounds;
    FText = AText;
  }
  void Paint(core::TcxCanvas* ACanvas);
  const TRect& Bounds() const { return FBounds; }
  const String& Text() const { return FText; }
  void SetText(const String& AText) { FText = AText; }

 private:
  String FText;
  TRect FBounds{};
  TcxNavigatorViewInfo* FNavigatorViewInfo;
};

// The hint of the hot button: its short text (before "|") over its bounds.
// The host's hint window shows it; this keeps what is to be shown.
class TcxNavigatorHintHelper : public rtl::TObject {
  RTL_CLASS(TcxNavigatorHintHelper, rtl::TObject)

 public:
  explicit TcxNavigatorHintHelper(TcxNavigatorViewInfo* ANavigatorViewInfo)
      : FNavigatorViewInfo(ANavigatorViewInfo) {}
  // Shows AText for ABounds, or hides the hint for an empty text.
  void ShowHint(const String& AText, const TRect& ABounds);
  void CancelHint() { ShowHint(String(), TRect{}); }
  const String& HintText() const { return FText; }
  const TRect& HintBounds() const { return FBounds; }
  bool Showing() const { return !FText.empty(); }

 private:
  TcxNavigatorViewInfo* FNavigatorViewInfo;
  String FText;
  TRect FBounds{};
};

class TcxNavigatorViewInfo : public rtl::TObject {
  RTL_CLASS(TcxNavigatorViewInfo, rtl::TObject)

 public:
  TcxNavigatorViewInfo(IcxNavigatorOwner* ANavigatorOwner, bool AIsInplace);
  ~TcxNavigatorViewInfo() override;

  virtual bool CanButtonOverlapBorder() { return false; }
  virtual TSize GetMinButtonSize(int AButtonIndex);
  virtual void Calculate();

  void CheckCalculate();
  void MakeDirty() { FIsDirty = true; }
  bool IsDirty() const { return FIsDirty; }
  void Paint();
  // After a change of the host's data state: the info panel, then every
  // button's enabled state.
  void Update();
  void UpdateInfoPanel();
  void MouseDown(int X, int Y);
  void MouseMove(int X, int Y);
  void MouseUp(ui::TMouseButton AButton, int X, int Y);
  void MouseLeave();
  // The natural size of the navigator.
  TSize CalculateMinSize();

  TcxNavigatorButtonViewInfo* GetButtonViewInfoAt(const TPoint& APoint) const;
  TcxNavigatorButtonViewInfo* GetButtonViewInfoByButton(TcxNavigatorButton* AButton) const;
  TcxNavigatorButton* GetFocusedButton();
  void SetFocusedButton(TcxNavigatorButton* AButton);
  void InvalidateButton(TcxNavigatorButtonViewInfo* AButton);

  IcxNavigatorOwner* NavigatorOwner() const { return FNavigatorOwner; }
  lookandfeel::TcxCustomLookAndFeelPainter* Painter();
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  TcxNavigatorButtonViewInfo* Buttons(int AIndex) const { return FButtons.at(static_cast<size_t>(AIndex)).get(); }
  TcxNavigatorButtonViewInfo* HotTrackButtonViewInfo() const { return FHotTrackButtonViewInfo; }
  TcxNavigatorButtonViewInfo* PressedButtonViewInfo() const { return FPressedButtonViewInfo; }
  TcxCustomNavigatorInfoPanelViewInfo* InfoPanelViewInfo() const { return FInfoPanelViewInfo.get(); }
  TcxNavigatorHintHelper* HintHelper() const { return FHintHelper.get(); }
  core::TcxTimer* ButtonPressTimer() const { return FButtonPressTimer; }
  bool HasInfoPanel() { return !GetInfoPanelText().empty(); }
  bool IsInplace() const { return FIsInplace; }
  bool IsSelected() const { return FIsSelected; }

 protected:
  void ValidateButtonsViewInfos();
  // The width used; AHeight grows to the panel's and the buttons' height.
  int CalculateSize(int AAvailableWidth, int& AHeight, int& AInfoWidth, int& AExtra, const String& AText);
  void CalculateBounds(const String& AText, int AInfoWidth, int AExtra, int AHeight);
  void CalculateButtons();
  virtual TRect GetNavigatorBoundsForLayout() { return FNavigatorOwner->GetNavigatorBounds(); }
  TSize GetInfoPanelSize(const String& AText);
  String GetInfoPanelText();
  TcxCustomNavigatorInfoPanel* InfoPanel() const;
  ui::TFont* InfoPanelFont();
  void CheckHint();
  void UpdateSelected();
  void DoButtonPressTimer(rtl::TObject* Sender);
  virtual bool IsLeftMouseButtonDown();
  void InvalidateRect(const TRect& R);

  core::TcxTimer* FButtonPressTimer = nullptr;  // owned through FTimerOwner
  std::unique_ptr<rtl::TComponent> FTimerOwner;
  std::vector<std::unique_ptr<TcxNavigatorButtonViewInfo>> FButtons;
  int FButtonsWidth = 0;
  int FButtonsHeight = 0;
  std::unique_ptr<core::TcxCanvas> FCanvas;
  TcxNavigatorButton* FFocusedButton = nullptr;
  std::unique_ptr<TcxNavigatorHintHelper> FHintHelper;
  TcxNavigatorButtonViewInfo* FHotTrackButtonViewInfo = nullptr;
  bool FInfoPanelPressed = false;
  std::unique_ptr<TcxCustomNavigatorInfoPanelViewInfo> FInfoPanelViewInfo;
  bool FIsDirty = true;
  bool FIsInplace;
  bool FIsSelected = false;
  IcxNavigatorOwner* FNavigatorOwner;
  IcxNavigatorOwner2* FNavigatorOwner2;
  TcxNavigatorButtonViewInfo* FPressedButtonViewInfo = nullptr;

 private:
  // The buttons behind the hot and pressed view infos, found again after
  // the view infos are rebuilt.
  TcxNavigatorButton* hotButton_ = nullptr;
  TcxNavigatorButton* pressedButton_ = nullptr;
  TPoint lastMouse_{-1, -1};
};

// The navigator inside a host control's scroll-bar area.
class TcxInplaceNavigatorViewInfo : public TcxNavigatorViewInfo {
  RTL_CLASS(TcxInplaceNavigatorViewInfo, TcxNavigatorViewInfo)

 public:
  explicit TcxInplaceNavigatorViewInfo(IcxNavigatorOwner* ANavigatorOwner)
      : TcxNavigatorViewInfo(ANavigatorOwner, true) {}

  virtual lookandfeel::TcxControl* GetControl() = 0;
  virtual lookandfeel::TcxCustomLookAndFeelPainter* GetLookAndFeelPainter();
  virtual int GetNavigatorOffset() = 0;
  virtual void UpdateNavigatorSiteBounds(const TRect& ABounds) = 0;
  virtual TRect GetNavigatorBounds();
  void Calculate() override;
  TSize GetMinButtonSize(int AButtonIndex) override;

  TRect GetNavigatorSiteBounds();
  int GetWidth();
  int GetHeight();
  bool IsNavigatorSizeChanged();
  const TSize& NavigatorSize() const { return FNavigatorSize; }

 protected:
  TRect GetNavigatorBoundsForLayout() override { return GetNavigatorBounds(); }

 private:
  TSize FNavigatorSize{};
};

}  // namespace data
