#include "lib/data/cxDataBinding.h"

namespace data {

void TcxCustomDataBinding::SetReadOnly(bool Value) {
  if (FReadOnly == Value) return;
  FReadOnly = Value;
  DataSetChange();
}

void TcxCustomDataBinding::SetVisualControl(rtl::TComponent* Value) {
  if (FVisualControl == Value) return;
  FVisualControl = Value;
  VisualControlChanged();
}

}  // namespace data
