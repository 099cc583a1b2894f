#include "platform/db/dbtypes.h"

#include "platform/rtl/classes.h"
#include "platform/rtl/format.h"

namespace db {

void DatabaseError(StringView message, const rtl::TComponent* component) {
  if (component && !component->Name().empty())
    throw EDatabaseError(component->Name() + u": " + String(message));
  throw EDatabaseError(String(message));
}

void DatabaseErrorFmt(StringView fmt, std::initializer_list<rtl::FormatArg> args,
                      const rtl::TComponent* component) {
  DatabaseError(rtl::Format(fmt, args), component);
}

const rtl::EnumInfo& FieldTypeEnumInfo() {
  static const rtl::EnumInfo info{
      u"TFieldType",
      {u"ftUnknown", u"ftString", u"ftSmallint", u"ftInteger", u"ftWord", u"ftBoolean",
       u"ftFloat", u"ftCurrency", u"ftBCD", u"ftDate", u"ftTime", u"ftDateTime", u"ftBytes",
       u"ftVarBytes", u"ftAutoInc", u"ftBlob", u"ftMemo", u"ftGraphic", u"ftFmtMemo",
       u"ftParadoxOle", u"ftDBaseOle", u"ftTypedBinary", u"ftCursor", u"ftFixedChar",
       u"ftWideString", u"ftLargeint", u"ftADT", u"ftArray", u"ftReference", u"ftDataSet",
       u"ftOraBlob", u"ftOraClob", u"ftVariant", u"ftInterface", u"ftIDispatch", u"ftGuid",
       u"ftTimeStamp", u"ftFMTBcd", u"ftFixedWideChar", u"ftWideMemo", u"ftOraTimeStamp",
       u"ftOraInterval", u"ftLongWord", u"ftShortint", u"ftByte", u"ftExtended",
       u"ftConnection", u"ftParams", u"ftStream", u"ftTimeStampOffset", u"ftObject",
       u"ftSingle"},
      0,
      false};
  return info;
}

String FieldTypeName(TFieldType type) {
  return rtl::GetEnumName(FieldTypeEnumInfo(), static_cast<int>(type));
}

}  // namespace db
