// The two stored forms of filter criteria: the binary condition tree and the
// component form that wraps it. Readers treat their bytes as untrusted:
// counts are checked against the bytes left, kinds against their ranges and
// nesting against a limit, each with the data read error.
#include <algorithm>

#include "lib/core/dxCore.h"
#include "lib/data/cxDataStrs.h"
#include "lib/data/cxFilter.h"
#include "lib/data/cxVariants.h"
#include "lib/data/data_brackets.h"
#include "platform/rtl/filer.h"
#include "platform/rtl/scoped.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/ustring.h"

namespace data {

namespace {
// Closes the bracket however the scope is left; a failure while closing
// during unwinding does not hide the first one.
using CriteriaUpdate =
    BracketScope<TcxFilterCriteria, &TcxFilterCriteria::BeginUpdate, &TcxFilterCriteria::EndUpdate>;

constexpr rtl::Byte kListTag = 1;
constexpr rtl::Byte kConditionTag = 0;

const rtl::EnumInfo& OptionNames() {
  static const rtl::EnumInfo info{u"TcxFilterCriteriaOption",
                                  {u"fcoCaseInsensitive", u"fcoShowOperatorDescription", u"fcoSoftNull",
                                   u"fcoSoftCompare", u"fcoIgnoreNull"}};
  return info;
}

// A count read from a stream: every entry takes at least one byte.
int CheckedCount(rtl::TStream* AStream, rtl::Integer ACount) {
  if (ACount < 0 || ACount > AStream->Size() - AStream->Position()) cxDataReadError();
  return ACount;
}

String ReadText(rtl::TStream* AStream, bool AUnicode) {
  if (AUnicode) return ReadWideStringFunc(AStream);
  return rtl::AnsiToString(ReadAnsiStringFunc(AStream));
}
}  // namespace

int GetFilterVersionID(int AVersion) {
  switch (AVersion) {
    case 2: return -1;
    case 3: return -2;
    default: return 0;
  }
}

int GetFilterVersion(int AID) {
  switch (AID) {
    case -2: return 3;
    case -1: return 2;
    default: return 1;
  }
}

void TcxFilterCriteria::Published(rtl::PropTable<TcxFilterCriteria>& p) {
  p.Int("MaxValueListCount", &TcxFilterCriteria::MaxValueListCount, &TcxFilterCriteria::SetMaxValueListCount)
      .Default(0);
  p.SetOf("Options", &TcxFilterCriteria::Options, &TcxFilterCriteria::SetOptions, OptionNames())
      .Default(TcxFilterCriteriaOptions{});
  p.WChar("PercentWildcard", &TcxFilterCriteria::PercentWildcard, &TcxFilterCriteria::SetPercentWildcard)
      .Default(u'%');
  p.WChar("UnderscoreWildcard", &TcxFilterCriteria::UnderscoreWildcard, &TcxFilterCriteria::SetUnderscoreWildcard)
      .Default(u'_');
}

void TFilterWrapper::Published(rtl::PropTable<TFilterWrapper>& p) {
  p.Object("Filter", &TFilterWrapper::Filter, &TFilterWrapper::SetFilter);
}

// The wrapper only points at the criteria; the reader fills them in place.
void TFilterWrapper::SetFilter(TcxFilterCriteria* AValue) {
  if (AValue != nullptr && FFilter != nullptr && AValue != FFilter) FFilter->Assign(AValue);
}

// --- binary form ----------------------------------------------------------------------

void TcxFilterCriteria::WriteData(rtl::TStream* AStream, int AVersion) {
  FSavedVersion = AVersion != 0 ? std::min(FVersion, AVersion) : FVersion;
  FSavedVersion = std::max(FSavedVersion, cxFilterVersionPlain);  // no writer of version 1
  WriteIntegerProc(AStream, GetFilterVersionID(FSavedVersion));
  WriteList(AStream, FRoot.get());
}

void TcxFilterCriteria::WriteList(rtl::TStream* AStream, TcxFilterCriteriaItemList* AList) {
  WriteByteProc(AStream, static_cast<rtl::Byte>(AList->BoolOperatorKind()));
  WriteIntegerProc(AStream, AList->Count());
  for (int i = 0; i < AList->Count(); ++i) {
    TcxCustomFilterCriteriaItem* item = AList->Items(i);
    if (item->GetIsItemList()) {
      WriteByteProc(AStream, kListTag);
      WriteList(AStream, static_cast<TcxFilterCriteriaItemList*>(item));
    } else {
      WriteByteProc(AStream, kConditionTag);
      WriteCondition(AStream, static_cast<TcxFilterCriteriaItem*>(item));
    }
  }
}

void TcxFilterCriteria::WriteCondition(rtl::TStream* AStream, TcxFilterCriteriaItem* AItem) {
  core::dxWriteStreamType(AStream);
  WriteByteProc(AStream, static_cast<rtl::Byte>(AItem->OperatorKind()));
  WriteWideStringProc(AStream, AItem->DisplayValue());
  WriteIntegerProc(AStream, GetIDByItemLink(AItem->ItemLink()));
  if (FSavedVersion >= cxDataFilterVersion) WriteWideStringProc(AStream, GetNameByItemLink(AItem->ItemLink()));
  WriteVariantProc(AStream, AItem->Value());
}

void TcxFilterCriteria::ReadData(rtl::TStream* AStream) {
  CriteriaUpdate update(*this);
  FRoot->Clear();
  FRoot->SetBoolOperatorKind(TcxFilterBoolOperatorKind::fboAnd);
  Changed();
  const rtl::Integer first = ReadIntegerFunc(AStream);
  FLoadedVersion = GetFilterVersion(first);
  if (FLoadedVersion == 1)
    ReadList(AStream, FRoot.get(), false, CheckedCount(AStream, first), 0);
  else
    ReadList(AStream, FRoot.get(), true, 0, 0);
}

void TcxFilterCriteria::ReadList(rtl::TStream* AStream, TcxFilterCriteriaItemList* AList, bool AWithOperator,
                                 int ACount, int ADepth) {
  if (ADepth > cxFilterMaxStreamNesting) cxDataReadError();
  if (AWithOperator) {
    const rtl::Byte kind = ReadByteFunc(AStream);
    if (kind > static_cast<rtl::Byte>(TcxFilterBoolOperatorKind::fboNotOr)) cxDataReadError();
    AList->SetBoolOperatorKind(static_cast<TcxFilterBoolOperatorKind>(kind));
    ACount = CheckedCount(AStream, ReadIntegerFunc(AStream));
  }
  for (int i = 0; i < ACount; ++i) {
    const rtl::Byte tag = ReadByteFunc(AStream);
    if (tag == kListTag) {
      TcxFilterCriteriaItemList* list = AList->AddItemList(TcxFilterBoolOperatorKind::fboAnd);
      ReadList(AStream, list, true, 0, ADepth + 1);
      if (list->IsEmpty()) AList->RemoveItem(list);
    } else if (tag == kConditionTag) {
      TcxFilterCriteriaItem* item = AList->AddItem(nullptr, TcxFilterOperatorKind::foEqual, Variant(), String());
      ReadCondition(AStream, item);
      if (item->IsEmpty()) AList->RemoveItem(item);
    } else {
      cxDataReadError();
    }
  }
}

void TcxFilterCriteria::ReadCondition(rtl::TStream* AStream, TcxFilterCriteriaItem* AItem) {
  const bool unicode = core::dxIsUnicodeStream(AStream);
  const rtl::Byte kind = ReadByteFunc(AStream);
  if (kind >= cxFilterOperatorKindCount) cxDataReadError();
  const String displayValue = ReadText(AStream, unicode);
  const rtl::Integer id = ReadIntegerFunc(AStream);
  const String name = FLoadedVersion >= cxDataFilterVersion ? ReadText(AStream, unicode) : String();
  const Variant value = ReadVariantFunc(AStream);

  rtl::TObject* link = nullptr;
  if (!name.empty()) link = GetItemLinkByName(name);
  if (link == nullptr) {
    link = GetItemLinkByID(id);
    // An identifier stands for the item only when it was not renamed away:
    // with a name in the stream, only a nameless item may take its place.
    if (link != nullptr && !name.empty() && !GetNameByItemLink(link).empty()) link = nullptr;
  }
  AItem->SetItemLink(link);
  AItem->SetOperatorKind(static_cast<TcxFilterOperatorKind>(kind));
  AItem->SetValue(value);
  AItem->SetDisplayValue(displayValue);
  if (AItem->Operator()->IsNullOperator() && AItem->DisplayValue().empty())
    AItem->SetDisplayValue(core::cxGetResourceString(&cxSFilterBlankCaption));
}

// --- component form ---------------------------------------------------------------------

void TcxFilterCriteria::SaveToStream(rtl::TStream* AStream) {
  TFilterWrapper wrapper;
  wrapper.Attach(this);
  FSavingToStream = true;
  rtl::ScopeExit done([this] { FSavingToStream = false; });
  rtl::TWriter writer(AStream);
  writer.WriteRootComponent(&wrapper);
}

void TcxFilterCriteria::LoadFromStream(rtl::TStream* AStream) {
  CriteriaUpdate update(*this);
  TFilterWrapper wrapper;
  wrapper.Attach(this);
  rtl::TReader reader(AStream);
  reader.ReadRootComponent(&wrapper);
}

// --- comparing and copying ------------------------------------------------------------------

bool TcxFilterCriteria::StreamsEqual(rtl::TMemoryStream* AStream1, rtl::TMemoryStream* AStream2) {
  if (AStream1->Size() != AStream2->Size()) return false;
  const auto* bytes1 = static_cast<const unsigned char*>(AStream1->Memory());
  const auto* bytes2 = static_cast<const unsigned char*>(AStream2->Memory());
  return std::equal(bytes1, bytes1 + AStream1->Size(), bytes2);
}

bool TcxFilterCriteria::EqualItems(TcxFilterCriteria* ACriteria, bool AIgnoreItemNames) {
  const int version =
      std::min({FVersion, ACriteria->FVersion, AIgnoreItemNames ? cxFilterVersionPlain : cxDataFilterVersion});
  rtl::TMemoryStream mine, theirs;
  WriteData(&mine, version);
  ACriteria->WriteData(&theirs, version);
  return StreamsEqual(&mine, &theirs);
}

void TcxFilterCriteria::AssignItems(TcxFilterCriteria* ACriteria, bool AIgnoreItemNames) {
  if (EqualItems(ACriteria, AIgnoreItemNames)) return;
  CriteriaUpdate update(*this);
  FRoot->Clear();
  rtl::TMemoryStream stream;
  const int version = std::min(FVersion, AIgnoreItemNames ? cxFilterVersionPlain : ACriteria->FVersion);
  ACriteria->WriteData(&stream, version);
  stream.SetPosition(0);
  ReadData(&stream);
}

}  // namespace data
