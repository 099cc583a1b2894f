#pragma once
// The base of the list controls' data bindings: what connects a visual
// control to a data component and carries the hooks through which the data
// side reports changes and the control writes its value back. The base is
// unbound: it stores nothing and allows editing unless it is read-only.
#include "lib/data/cxCustomData.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/variant.h"

namespace data {

class TcxCustomDataBinding : public rtl::TPersistent {
  RTL_CLASS(TcxCustomDataBinding, rtl::TPersistent)

 public:
  // Neither is owned.
  TcxCustomDataBinding(rtl::TComponent* AOwner, rtl::TComponent* ADataComponent)
      : FDataComponent(ADataComponent), FOwner(AOwner) {}

  rtl::TPersistent* GetOwner() const override { return FOwner; }

  virtual void DataChange() { fire(OnDataChange); }
  virtual void DataSetChange() { fire(OnDataSetChange); }
  virtual bool GetModified() const { return false; }
  virtual bool GetReadOnly() const { return FReadOnly; }
  virtual void SetReadOnly(bool Value);
  virtual void UpdateData() { fire(OnUpdateData); }
  virtual void VisualControlChanged() {}
  virtual bool CanModify() const { return !GetReadOnly(); }
  virtual bool ExecuteAction(rtl::TObject* Action) { return false; }
  virtual rtl::Variant GetStoredValue(TcxDataEditValueSource AValueSource, bool AFocused) { return rtl::Null(); }
  virtual bool IsControlReadOnly() const { return GetReadOnly(); }
  virtual bool IsDataSourceLive() const { return true; }
  virtual bool IsDataStorage() const { return false; }
  virtual void Reset() {}
  virtual bool SetEditMode() { return CanModify(); }
  virtual void SetStoredValue(TcxDataEditValueSource AValueSource, const rtl::Variant& Value) {}
  virtual bool UpdateAction(rtl::TObject* Action) { return false; }
  virtual void UpdateDataSource() {}

  rtl::TComponent* DataComponent() const { return FDataComponent; }
  rtl::TComponent* VisualControl() const { return FVisualControl; }
  void SetVisualControl(rtl::TComponent* Value);
  bool ReadOnly() const { return GetReadOnly(); }
  bool Modified() const { return GetModified(); }

  rtl::TNotifyEvent OnDataChange;
  rtl::TNotifyEvent OnDataSetChange;
  rtl::TNotifyEvent OnUpdateData;

 private:
  void fire(const rtl::TNotifyEvent& AEvent) {
    if (AEvent) AEvent(this);
  }

  rtl::TComponent* FDataComponent;
  rtl::TComponent* FOwner;
  bool FReadOnly = false;
  rtl::TComponent* FVisualControl = nullptr;
};

}  // namespace data
