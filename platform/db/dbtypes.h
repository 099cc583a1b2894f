#pragma once
// The dataset framework's enumerations, sets, event types and errors, kept
// with the platform's names and ordinal values (stored layouts and range
// tests such as ftBlob..ftCursor rely on the order).
#include <vector>

#include "platform/rtl/except.h"
#include "platform/rtl/format.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/rtl/types.h"
#include "platform/rtl/variant.h"

namespace rtl {
class TComponent;
}

namespace db {

using rtl::Byte;
using rtl::Char;
using rtl::Currency;
using rtl::Int64;
using rtl::Integer;
using rtl::NativeInt;
using rtl::String;
using rtl::StringView;
using rtl::TDateTime;
using rtl::Variant;
using rtl::Word;

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TParam;
class TParams;

// --- errors -------------------------------------------------------------------
using rtl::Exception;
RTL_DECLARE_EXCEPTION(EDatabaseError, Exception);

// Raises EDatabaseError; with a named component the message is "<Name>: <message>".
[[noreturn]] void DatabaseError(StringView message, const rtl::TComponent* component = nullptr);
[[noreturn]] void DatabaseErrorFmt(StringView fmt, std::initializer_list<rtl::FormatArg> args,
                                   const rtl::TComponent* component = nullptr);

// --- field types ------------------------------------------------------------------
enum class TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
  ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
  ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
  ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
  ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};
using enum TFieldType;
// "ftString", "ftFMTBcd"... ("" out of range).
String FieldTypeName(TFieldType type);
const rtl::EnumInfo& FieldTypeEnumInfo();

enum class TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using enum TFieldKind;

enum class TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
  dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
using enum TDataSetState;
// The states in which a record is being edited (dsEdit, dsInsert, dsSetKey).
inline bool IsEditState(TDataSetState state) {
  return state == dsEdit || state == dsInsert || state == dsSetKey;
}

enum class TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
  deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
  deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};
using enum TDataEvent;

enum class TLocateOption { loCaseInsensitive, loPartialKey };
using enum TLocateOption;
using TLocateOptions = rtl::Set<TLocateOption, 2>;

enum class TFilterOption { foCaseInsensitive, foNoPartialCompare };
using enum TFilterOption;
using TFilterOptions = rtl::Set<TFilterOption, 2>;

enum class TDataAction { daFail, daAbort, daRetry };
using enum TDataAction;

enum class TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
using enum TUpdateStatus;

enum class TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
using enum TParamType;

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

// A bookmark: opaque bytes naming a record; empty means "no bookmark".
using TBookmark = std::vector<Byte>;
using TBookmarkStr = TBookmark;

// --- events -------------------------------------------------------------------------
using TDataSetNotifyEvent = rtl::Method<void(TDataSet* dataSet)>;
using TFilterRecordEvent = rtl::Method<void(TDataSet* dataSet, bool& accept)>;
using TDataSetErrorEvent =
    rtl::Method<void(TDataSet* dataSet, EDatabaseError& e, TDataAction& action)>;
using TFieldNotifyEvent = rtl::Method<void(TField* sender)>;
using TFieldGetTextEvent = rtl::Method<void(TField* sender, String& text, bool displayText)>;
using TFieldSetTextEvent = rtl::Method<void(TField* sender, const String& text)>;
using TDataChangeEvent = rtl::Method<void(rtl::TObject* sender, TField* field)>;

}  // namespace db
