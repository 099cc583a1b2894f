#pragma once
// Actions: commands with a caption, state and a shortcut, kept in action
// lists and shared by the controls linked to them. A control holds a
// TActionLink; the action tells its links when a property changes, and the
// link passes it on to the control (ActionChange).
#include <vector>

#include "platform/rtl/classes.h"
#include "platform/ui/shortcuts.h"

namespace ui {

using rtl::String;
using rtl::TNotifyEvent;

class TBasicAction;
class TBasicActionLink;
class TCustomActionList;

class TBasicActionLink : public rtl::TObject {
  RTL_CLASS(TBasicActionLink, rtl::TObject)

 public:
  // `client` is the control the link serves (not owned).
  explicit TBasicActionLink(rtl::TObject* client) : client_(client) {}
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return action_; }
  // Leaves the old action and joins the new one; the action forgets the
  // link when either goes.
  virtual void SetAction(TBasicAction* value);
  rtl::TObject* Client() const { return client_; }

  virtual bool Execute(rtl::TComponent* target = nullptr);
  virtual bool Update();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent& value) {}

  // Told after every change of the action (the client's ActionChange).
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

 protected:
  friend class TBasicAction;
  virtual void Change();

 private:
  rtl::TObject* client_;
  TBasicAction* action_ = nullptr;
  TNotifyEvent onChange_;
};

class TBasicAction : public rtl::TComponent {
  RTL_CLASS(TBasicAction, rtl::TComponent)

 public:
  explicit TBasicAction(rtl::TComponent* owner) : TComponent(owner) {}
  // Detaches every link first, so no control keeps a dangling action.
  ~TBasicAction() override;

  // OnExecute when assigned; returns whether something handled it.
  virtual bool Execute();
  // OnUpdate when assigned; returns whether something handled it.
  virtual bool Update();
  virtual bool HandlesTarget(rtl::TObject* target) { return false; }
  virtual void ExecuteTarget(rtl::TObject* target) {}
  virtual void UpdateTarget(rtl::TObject* target) {}

  // The component that caused the current Execute (a button), if any.
  rtl::TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(rtl::TComponent* value);

  const TNotifyEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TNotifyEvent& value);
  const TNotifyEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TNotifyEvent& value) { onUpdate_ = value; }

  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);
  int ClientCount() const { return static_cast<int>(clients_.size()); }

 protected:
  // Tells OnChange and every link.
  virtual void Change();
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;
  // The links, for descendants that pass on single properties.
  const std::vector<TBasicActionLink*>& Clients() const { return clients_; }

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

 private:
  std::vector<TBasicActionLink*> clients_;  // not owned
  rtl::TComponent* actionComponent_ = nullptr;
  TNotifyEvent onExecute_;
  TNotifyEvent onUpdate_;
  TNotifyEvent onChange_;
};

class TContainedAction : public TBasicAction {
  RTL_CLASS(TContainedAction, TBasicAction)

 public:
  explicit TContainedAction(rtl::TComponent* owner) : TBasicAction(owner) {}
  ~TContainedAction() override;

  // The list's OnExecute first; then the action's own.
  bool Execute() override;
  bool Update() override;

  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* value);
  const String& Category() const { return category_; }
  void SetCategory(const String& value);
  int Index() const;
  void SetIndex(int value);

  bool HasParent() const override { return actionList_ != nullptr; }
  rtl::TComponent* GetParentComponent() const override;
  void SetParentComponent(rtl::TComponent* value) override;

 private:
  friend class TCustomActionList;
  TCustomActionList* actionList_ = nullptr;
  String category_;
};

class TCustomAction : public TContainedAction {
  RTL_CLASS(TCustomAction, TContainedAction)

 public:
  explicit TCustomAction(rtl::TComponent* owner);

  // Update first; runs only when enabled (hidden actions run too, so their
  // shortcuts work). AutoCheck flips Checked before the handler.
  bool Execute() override;
  // Runs Execute for a shortcut; true when it was handled.
  virtual bool HandleShortCut() { return Execute(); }

  const String& Caption() const { return caption_; }
  void SetCaption(const String& value);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the others of
  // that group in the same list.
  void SetChecked(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut value);
  // Further shortcuts that run the action.
  const std::vector<TShortCut>& SecondaryShortCuts() const { return secondaryShortCuts_; }
  void SetSecondaryShortCuts(std::vector<TShortCut> value) { secondaryShortCuts_ = std::move(value); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int value);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool value) { autoCheck_ = value; }

  // Set while Execute runs OnExecute.
  bool Executing() const { return executing_; }

 private:
  String caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  String hint_;
  TShortCut shortCut_ = scNone;
  std::vector<TShortCut> secondaryShortCuts_;
  int imageIndex_ = -1;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  bool autoCheck_ = false;
  bool checking_ = false;
  bool executing_ = false;
};

class TAction : public TCustomAction {
  RTL_CLASS(TAction, TCustomAction)

 public:
  explicit TAction(rtl::TComponent* owner) : TCustomAction(owner) {}
};

// The client side of a TCustomAction: which properties the client takes
// from the action, and how it takes them. A control's link overrides the
// setters; the base ignores them.
class TActionLink : public TBasicActionLink {
  RTL_CLASS(TActionLink, TBasicActionLink)

 public:
  explicit TActionLink(rtl::TObject* client) : TBasicActionLink(client) {}

  virtual bool IsCaptionLinked();
  virtual bool IsCheckedLinked();
  virtual bool IsEnabledLinked();
  virtual bool IsGroupIndexLinked();
  virtual bool IsHelpContextLinked();
  virtual bool IsHintLinked();
  virtual bool IsImageIndexLinked();
  virtual bool IsShortCutLinked();
  virtual bool IsVisibleLinked();

  virtual void SetCaption(const String& value) {}
  virtual void SetChecked(bool value) {}
  virtual void SetEnabled(bool value) {}
  virtual void SetGroupIndex(int value) {}
  virtual void SetHelpContext(int value) {}
  virtual void SetHint(const String& value) {}
  virtual void SetImageIndex(int value) {}
  virtual void SetShortCut(TShortCut value) {}
  virtual void SetVisible(bool value) {}

 protected:
  TCustomAction* customAction() const;
};

using TActionEvent = rtl::Method<void(TBasicAction* action, bool& handled)>;

enum class TActionListState { asNormal, asSuspended, asSuspendedEnabled };

class TCustomActionList : public rtl::TComponent {
  RTL_CLASS(TCustomActionList, rtl::TComponent)

 public:
  explicit TCustomActionList(rtl::TComponent* owner) : TComponent(owner) {}
  ~TCustomActionList() override;

  int ActionCount() const { return static_cast<int>(actions_.size()); }
  TContainedAction* Actions(int index) const;  // EListError out of range
  // OnExecute/OnUpdate of the list; `handled` stops the action's own.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);
  // Runs the action whose ShortCut (or secondary shortcut) is `key` with
  // `shift`; true when one handled it. A suspended list handles nothing.
  bool IsShortCut(rtl::Word key, TShiftState shift);
  bool IsShortCut(TShortCut shortCut);

  TActionListState State() const { return state_; }
  void SetState(TActionListState value);

  const TActionEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TActionEvent& value) { onExecute_ = value; }
  const TActionEvent& OnUpdate() const { return onUpdate_; }
  void SetOnUpdate(const TActionEvent& value) { onUpdate_ = value; }
  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& value) { onChange_ = value; }

  void GetChildren(rtl::TGetChildProc proc, rtl::TComponent* root) override;

 protected:
  friend class TContainedAction;
  void AddAction(TContainedAction* action);
  void RemoveAction(TContainedAction* action);
  virtual void Change();
  void Notification(rtl::TComponent* component, rtl::TOperation operation) override;

 private:
  std::vector<TContainedAction*> actions_;  // owned by their owner, not the list
  TActionListState state_ = TActionListState::asNormal;
  TActionEvent onExecute_;
  TActionEvent onUpdate_;
  TNotifyEvent onChange_;
};

class TActionList : public TCustomActionList {
  RTL_CLASS(TActionList, TCustomActionList)

 public:
  explicit TActionList(rtl::TComponent* owner) : TCustomActionList(owner) {}
};

}  // namespace ui
