#include "platform/ui/actions.h"

#include <algorithm>

#include "platform/rtl/except.h"

namespace ui {

// ---- TBasicActionLink ----------------------------------------------------------------

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = nullptr;
  if (value) value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(rtl::TComponent* target) {
  if (!action_) return false;
  action_->SetActionComponent(target);
  struct Reset {
    TBasicActionLink* link;
    // The action may have gone inside its handler; then it is null here.
    ~Reset() {
      if (link->action_) link->action_->SetActionComponent(nullptr);
    }
  } reset{this};
  return action_->Execute();
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() {
  if (onChange_) onChange_(this);
}

// ---- TBasicAction ------------------------------------------------------------------------

TBasicAction::~TBasicAction() {
  while (!clients_.empty()) clients_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!onExecute_) return false;
  onExecute_(this);
  return true;
}

bool TBasicAction::Update() {
  if (!onUpdate_) return false;
  onUpdate_(this);
  return true;
}

void TBasicAction::SetActionComponent(rtl::TComponent* value) {
  if (value == actionComponent_) return;
  if (actionComponent_) actionComponent_->RemoveFreeNotification(this);
  actionComponent_ = value;
  if (value) value->FreeNotification(this);
}

void TBasicAction::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove && component == actionComponent_) actionComponent_ = nullptr;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& value) {
  if (value == onExecute_) return;
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients_)) link->SetOnExecute(value);
  onExecute_ = value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) {
  if (!link) return;
  if (std::find(clients_.begin(), clients_.end(), link) == clients_.end()) clients_.push_back(link);
  link->action_ = this;
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  std::erase(clients_, link);
  if (link && link->action_ == this) link->action_ = nullptr;
}

void TBasicAction::Change() {
  if (onChange_) onChange_(this);
  // A copy: a client may leave the action while it hears of the change.
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients_))
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

// ---- TContainedAction ------------------------------------------------------------------------

TContainedAction::~TContainedAction() {
  if (actionList_) actionList_->RemoveAction(this);
}

bool TContainedAction::Execute() {
  if (actionList_ && actionList_->ExecuteAction(this)) return true;
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->UpdateAction(this)) return true;
  return TBasicAction::Update();
}

void TContainedAction::SetActionList(TCustomActionList* value) {
  if (value == actionList_) return;
  if (actionList_) actionList_->RemoveAction(this);
  if (value) value->AddAction(this);
}

void TContainedAction::SetCategory(const String& value) {
  if (value == category_) return;
  category_ = value;
  Change();
  if (actionList_) actionList_->Change();
}

int TContainedAction::Index() const {
  if (!actionList_) return -1;
  const auto& list = actionList_->actions_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TContainedAction::SetIndex(int value) {
  const int current = Index();
  if (current < 0 || value == current) return;
  auto& list = actionList_->actions_;
  value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
  actionList_->Change();
}

rtl::TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(rtl::TComponent* value) {
  if (auto* list = dynamic_cast<TCustomActionList*>(value)) SetActionList(list);
}

// ---- TCustomAction ------------------------------------------------------------------------------

TCustomAction::TCustomAction(rtl::TComponent* owner) : TContainedAction(owner) {}

bool TCustomAction::Execute() {
  TCustomActionList* list = ActionList();
  if (list && list->State() != TActionListState::asNormal) return false;
  Update();
  if (!enabled_) return false;
  if (autoCheck_ && (!checked_ || groupIndex_ == 0)) SetChecked(!checked_);
  return TContainedAction::Execute();
}

namespace {
// Calls `set` on every client link that is a TActionLink.
template <class F>
void forEachActionLink(const std::vector<TBasicActionLink*>& clients, F set) {
  for (TBasicActionLink* link : std::vector<TBasicActionLink*>(clients))
    if (auto* al = dynamic_cast<TActionLink*>(link)) set(al);
}
}  // namespace

void TCustomAction::SetCaption(const String& value) {
  if (value == caption_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetCaption(value); });
  caption_ = value;
  Change();
}

void TCustomAction::SetChecked(bool value) {
  if (checking_ || value == checked_) return;
  checking_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{checking_};
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetChecked(value); });
  checked_ = value;
  if (value && groupIndex_ > 0 && ActionList()) {
    for (int i = 0; i < ActionList()->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetEnabled(bool value) {
  if (value == enabled_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetEnabled(value); });
  enabled_ = value;
  Change();
}

void TCustomAction::SetVisible(bool value) {
  if (value == visible_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetVisible(value); });
  visible_ = value;
  Change();
}

void TCustomAction::SetHint(const String& value) {
  if (value == hint_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetHint(value); });
  hint_ = value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut value) {
  if (value == shortCut_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetShortCut(value); });
  shortCut_ = value;
  Change();
}

void TCustomAction::SetImageIndex(int value) {
  if (value == imageIndex_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetImageIndex(value); });
  imageIndex_ = value;
  Change();
}

void TCustomAction::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetGroupIndex(value); });
  groupIndex_ = value;
  Change();
}

void TCustomAction::SetHelpContext(int value) {
  if (value == helpContext_) return;
  forEachActionLink(Clients(), [&](TActionLink* l) { l->SetHelpContext(value); });
  helpContext_ = value;
  Change();
}

// ---- TActionLink ----------------------------------------------------------------------------------

TCustomAction* TActionLink::customAction() const { return dynamic_cast<TCustomAction*>(Action()); }

bool TActionLink::IsCaptionLinked() { return customAction() != nullptr; }
bool TActionLink::IsCheckedLinked() { return customAction() != nullptr; }
bool TActionLink::IsEnabledLinked() { return customAction() != nullptr; }
bool TActionLink::IsGroupIndexLinked() { return customAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() { return customAction() != nullptr; }
bool TActionLink::IsHintLinked() { return customAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() { return customAction() != nullptr; }
bool TActionLink::IsShortCutLinked() { return customAction() != nullptr; }
bool TActionLink::IsVisibleLinked() { return customAction() != nullptr; }

// ---- TCustomActionList ----------------------------------------------------------------------------

TCustomActionList::~TCustomActionList() {
  // The list frees its actions, as on the platform (they leave their owner).
  while (!actions_.empty()) {
    TContainedAction* victim = actions_.back();
    victim->Free();
    if (!actions_.empty() && actions_.back() == victim) actions_.pop_back();
  }
}

TContainedAction* TCustomActionList::Actions(int index) const {
  if (index < 0 || index >= ActionCount()) rtl::ListIndexError(index);
  return actions_[static_cast<std::size_t>(index)];
}

bool TCustomActionList::ExecuteAction(TBasicAction* action) {
  bool handled = false;
  if (onExecute_) onExecute_(action, handled);
  return handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* action) {
  bool handled = false;
  if (onUpdate_) onUpdate_(action, handled);
  return handled;
}

bool TCustomActionList::IsShortCut(rtl::Word key, TShiftState shift) { return IsShortCut(ui::ShortCut(key, shift)); }

bool TCustomActionList::IsShortCut(TShortCut shortCut) {
  if (shortCut == scNone || state_ == TActionListState::asSuspended) return false;
  for (TContainedAction* contained : std::vector<TContainedAction*>(actions_)) {
    auto* action = dynamic_cast<TCustomAction*>(contained);
    if (!action) continue;
    const auto& more = action->SecondaryShortCuts();
    if (action->ShortCut() == shortCut || std::find(more.begin(), more.end(), shortCut) != more.end())
      return action->HandleShortCut();
  }
  return false;
}

void TCustomActionList::SetState(TActionListState value) {
  if (value == state_) return;
  state_ = value;
  Change();
}

void TCustomActionList::GetChildren(rtl::TGetChildProc proc, rtl::TComponent* root) {
  for (TContainedAction* action : actions_)
    if (action->Owner() == root) proc(action);
}

void TCustomActionList::AddAction(TContainedAction* action) {
  actions_.push_back(action);
  action->actionList_ = this;
  action->FreeNotification(this);
  Change();
}

void TCustomActionList::RemoveAction(TContainedAction* action) {
  auto it = std::find(actions_.begin(), actions_.end(), action);
  if (it == actions_.end()) return;
  actions_.erase(it);
  action->actionList_ = nullptr;
  action->RemoveFreeNotification(this);
  Change();
}

void TCustomActionList::Change() {
  if (onChange_) onChange_(this);
}

void TCustomActionList::Notification(rtl::TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == rtl::TOperation::opRemove) {
    if (auto* action = dynamic_cast<TContainedAction*>(component)) std::erase(actions_, action);
  }
}

}  // namespace ui
