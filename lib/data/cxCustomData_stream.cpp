// The controller's records as a stream: a signature, the class names of the
// stored value types in item order, the record count and the record bodies
// (written and read by the record storage). Loading reads outside bytes: the
// names are checked against the controller's items, the record count against
// the bytes left, and a load that fails puts the previous records back.
#include <functional>

#include "lib/core/dxCore.h"
#include "lib/data/cxCustomData.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxVariants.h"
#include "lib/data/data_brackets.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"

namespace data {

namespace {
const AnsiString kSignature = "DataController1";

// "Tcx" + caption + "ValueType": the names are plain ASCII.
AnsiString valueTypeClassName(TcxValueTypeClass AType) {
  AnsiString result = "Tcx";
  for (char16_t c : AType->Caption()) result += static_cast<char>(c);
  return result + "ValueType";
}

int fieldIndexOf(const TcxValueDef* AValueDef) {
  const auto* field = dynamic_cast<const TcxCustomDataField*>(AValueDef->GetLinkObject());
  return field != nullptr ? field->GetIndex() : -1;
}

// The storage walks the definitions in the order of their fields' items.
int compareByLinkObject(const TcxValueDef* A, const TcxValueDef* B) { return fieldIndexOf(A) - fieldIndexOf(B); }

// Marks which definitions travel in the stream and answers how many do.
int markStreamStored(TcxValueDefs* AValueDefs) {
  int count = 0;
  for (int i = 0; i < AValueDefs->Count(); ++i) {
    TcxValueDef* def = AValueDefs->Items(i);
    def->SetStreamStored(!IsValueDefInternal(def));
    if (def->StreamStored()) ++count;
  }
  return count;
}

[[noreturn]] void invalidStreamFormat() {
  TcxCustomDataController::InvalidOperation(core::cxGetResourceString(&cxSDataInvalidStreamFormat));
}

using ControllerUpdate =
    BracketScope<TcxCustomDataController, &TcxCustomDataController::BeginUpdate, &TcxCustomDataController::EndUpdate>;
using StreamingScope = rtl::ScopeExit<std::function<void()>>;
}  // namespace

void TcxCustomDataController::SaveToStream(rtl::TStream* AStream) {
  WriteAnsiStringProc(AStream, kSignature);
  TcxValueDefs* defs = FDataStorage->ValueDefs();
  const int storedCount = IsProviderMode() ? 0 : markStreamStored(defs);
  AStream->WriteInt32(storedCount);
  FDataStorage->BeginStreaming(compareByLinkObject);
  StreamingScope streaming([this] { FDataStorage->EndStreaming(); });
  for (int i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (def->StreamStored()) WriteAnsiStringProc(AStream, valueTypeClassName(def->ValueTypeClass()));
  }
  const int recordCount = GetRecordCount();
  AStream->WriteInt32(recordCount);
  for (int i = 0; i < recordCount; ++i) FDataStorage->WriteData(i, AStream);
}

void TcxCustomDataController::LoadFromStream(rtl::TStream* AStream) {
  if (IsProviderMode()) InvalidOperation(core::cxGetResourceString(&cxSDataProviderModeError));
  if (ReadAnsiStringFunc(AStream) != kSignature) invalidStreamFormat();
  const rtl::Integer typeCount = AStream->ReadInt32();
  TcxValueDefs* defs = FDataStorage->ValueDefs();
  if (typeCount != markStreamStored(defs)) invalidStreamFormat();
  FDataStorage->BeginStreaming(compareByLinkObject);
  StreamingScope streaming([this] { FDataStorage->EndStreaming(); });
  for (int i = 0; i < defs->Count(); ++i)
    if (defs->Items(i)->StreamStored() &&
        ReadAnsiStringFunc(AStream) != valueTypeClassName(defs->Items(i)->ValueTypeClass()))
      invalidStreamFormat();
  rtl::Integer recordCount = AStream->ReadInt32();
  if (recordCount < 0) recordCount = 0;
  // Every record body takes at least one byte: a larger count cannot be
  // right, and is refused before anything is allocated for it.
  if (recordCount > AStream->Size() - AStream->Position()) cxDataReadError();

  // The records as they are, to put back when the stream turns out bad.
  rtl::TMemoryStream previous;
  const int previousCount = GetRecordCount();
  for (int i = 0; i < previousCount; ++i) FDataStorage->WriteData(i, &previous);

  ControllerUpdate update(*this);
  rtl::ScopeExit restore([&] {
    SetRecordCount(previousCount);
    previous.SetPosition(0);
    for (int i = 0; i < previousCount; ++i) FDataStorage->ReadData(i, &previous);
    FDataControllerInfo->Refresh();
  });
  SetRecordCount(recordCount);
  for (int i = 0; i < GetRecordCount(); ++i) FDataStorage->ReadData(i, AStream);
  restore.Release();
  ClearSelection();
  FDataControllerInfo->Refresh();
}

}  // namespace data
