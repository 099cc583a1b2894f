#include "lib/core/dxCore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "lib/core/dxThemeEngine.h"
#include "platform/rtl/codepage.h"
#include "platform/rtl/except.h"
#include "platform/rtl/hex.h"
#include "platform/rtl/lists.h"
#include "platform/rtl/locale.h"
#include "platform/rtl/ustring.h"
#include "platform/win/shell.h"

namespace core {

// --- library texts ----------------------------------------------------------------
namespace {

// A localizer would fill these; nothing in the program does, so every text
// comes from the string table. The lookup keeps its order all the same:
// replacement by the chosen mode first, then the table.
struct ResourceOverrides {
  TcxResourceStringsModificationMode mode = TcxResourceStringsModificationMode::rmmUndefined;
  std::vector<String> originalTexts;
  std::vector<TcxResourceStringID> originalIDs;  // index for index with originalTexts
  std::vector<String> replacements;
};
ResourceOverrides& overrides() {
  static ResourceOverrides state;
  return state;
}

String loadResString(TcxResourceStringID resString) {
  return resString && resString->Text ? String(resString->Text) : String();
}

int overrideIndex(TcxResourceStringID resString) {
  const ResourceOverrides& o = overrides();
  switch (o.mode) {
    case TcxResourceStringsModificationMode::rmmByResStringValue: {
      const String text = loadResString(resString);
      auto it = std::find(o.originalTexts.begin(), o.originalTexts.end(), text);
      return it == o.originalTexts.end() ? -1 : static_cast<int>(it - o.originalTexts.begin());
    }
    case TcxResourceStringsModificationMode::rmmByResStringID: {
      auto it = std::find(o.originalIDs.begin(), o.originalIDs.end(), resString);
      return it == o.originalIDs.end() ? -1 : static_cast<int>(it - o.originalIDs.begin());
    }
    default:
      return -1;
  }
}

}  // namespace

String cxGetResourceString(TcxResourceStringID resString) {
  const int index = overrideIndex(resString);
  if (index < 0 || index >= static_cast<int>(overrides().replacements.size()))
    return loadResString(resString);
  return overrides().replacements[index];
}

// --- products ------------------------------------------------------------------------
TdxProductResourceStrings::TdxProductResourceStrings(const String& name,
                                                     TdxLocalizerInitializeProc initializeProc)
    : FName(name) {
  AddProcedure(initializeProc);
}

TdxProductResourceStrings::~TdxProductResourceStrings() = default;

void TdxProductResourceStrings::AddProcedure(TdxLocalizerInitializeProc proc) {
  if (!proc) return;
  if (std::find(FInitializeProcedures.begin(), FInitializeProcedures.end(), proc) !=
      FInitializeProcedures.end())
    return;
  FInitializeProcedures.push_back(proc);
  proc(this);
}

void TdxProductResourceStrings::RemoveProcedure(TdxLocalizerInitializeProc proc) {
  auto it = std::find(FInitializeProcedures.begin(), FInitializeProcedures.end(), proc);
  if (it != FInitializeProcedures.end()) FInitializeProcedures.erase(it);
}

namespace {
bool nameLess(StringView a, StringView b) { return rtl::CompareText(a, b) < 0; }
}  // namespace

void TdxProductResourceStrings::Add(const String& name, TcxResourceStringID resString) {
  auto it = std::lower_bound(FResStringNames.begin(), FResStringNames.end(), name,
                             [](const Entry& e, const String& n) { return nameLess(e.name, n); });
  if (it != FResStringNames.end() && rtl::CompareText(it->name, name) == 0) return;
  FResStringNames.insert(it, Entry{name, resString});
}

TcxResourceStringID TdxProductResourceStrings::FindResString(StringView name) const {
  auto it = std::lower_bound(FResStringNames.begin(), FResStringNames.end(), name,
                             [](const Entry& e, StringView n) { return nameLess(e.name, n); });
  if (it != FResStringNames.end() && rtl::CompareText(it->name, name) == 0) return it->resString;
  return nullptr;
}

// --- repository ------------------------------------------------------------------------
TdxResourceStringsRepository::~TdxResourceStringsRepository() {
  for (auto it = FProducts.rbegin(); it != FProducts.rend(); ++it) delete *it;
}

void TdxResourceStringsRepository::RegisterProduct(const String& productName,
                                                   TdxLocalizerInitializeProc initializeProc) {
  const int index = GetProductIndexByName(productName);
  if (index >= 0) {
    FProducts[index]->AddProcedure(initializeProc);
    return;
  }
  auto product = std::make_unique<TdxProductResourceStrings>(productName, initializeProc);
  FProducts.push_back(product.release());
}

void TdxResourceStringsRepository::UnRegisterProduct(const String& productName,
                                                     TdxLocalizerInitializeProc initializeProc) {
  const int index = GetProductIndexByName(productName);
  if (index < 0) return;
  TdxProductResourceStrings* product = FProducts[index];
  if (initializeProc) {
    product->RemoveProcedure(initializeProc);
    if (product->ProcedureCount() > 0) return;
  }
  FProducts.erase(FProducts.begin() + index);
  delete product;
}

int TdxResourceStringsRepository::GetProductIndexByName(StringView name) const {
  for (std::size_t i = 0; i < FProducts.size(); ++i)
    if (FProducts[i]->Name() == name) return static_cast<int>(i);
  return -1;
}

void TdxResourceStringsRepository::AddListener(IdxLocalizerListener* listener) {
  if (std::find(FListeners.begin(), FListeners.end(), listener) == FListeners.end())
    FListeners.push_back(listener);
}

void TdxResourceStringsRepository::RemoveListener(IdxLocalizerListener* listener) {
  auto it = std::find(FListeners.begin(), FListeners.end(), listener);
  if (it != FListeners.end()) FListeners.erase(it);
}

namespace {
std::unique_ptr<TdxResourceStringsRepository>& repositoryInstance() {
  static std::unique_ptr<TdxResourceStringsRepository> instance;
  return instance;
}
std::unique_ptr<TdxUnitsLoader>& loaderInstance() {
  static std::unique_ptr<TdxUnitsLoader> instance;
  return instance;
}
bool unitsInitialized = false;
}  // namespace

TdxResourceStringsRepository* dxResourceStringsRepository() {
  auto& instance = repositoryInstance();
  if (!instance) instance = std::make_unique<TdxResourceStringsRepository>();
  return instance.get();
}

// --- units loader -------------------------------------------------------------------------
TdxUnitsLoader::~TdxUnitsLoader() { Finalize(); }

bool TdxUnitsLoader::IsInitialized() { return unitsInitialized; }

void TdxUnitsLoader::AddUnit(TdxUnitProc initializeProc, TdxUnitProc finalizeProc) {
  if (initializeProc) {
    if (dxIsDLL()) {
      InitializeList.push_back(initializeProc);
    } else {
      unitsInitialized = true;
      initializeProc();
    }
  }
  if (finalizeProc) FinalizeList.push_back(finalizeProc);
}

void TdxUnitsLoader::RemoveUnit(TdxUnitProc finalizeProc) {
  auto it = std::find(FinalizeList.begin(), FinalizeList.end(), finalizeProc);
  if (it == FinalizeList.end()) return;
  FinalizeList.erase(it);
  if (unitsInitialized) CallProc(finalizeProc);
}

void TdxUnitsLoader::Finalize() {
  if (unitsInitialized) {
    // A stop procedure may remove further units; walk by index from the end.
    for (int i = static_cast<int>(FinalizeList.size()) - 1; i >= 0; --i) {
      if (i >= static_cast<int>(FinalizeList.size())) continue;
      CallProc(FinalizeList[i]);
    }
  }
  unitsInitialized = false;
  FinalizeList.clear();
}

TdxUnitsLoader* dxUnitsLoader() {
  auto& instance = loaderInstance();
  if (!instance) instance = std::make_unique<TdxUnitsLoader>();
  return instance.get();
}

// --- streams ---------------------------------------------------------------------------------
namespace {
constexpr char kUnicodeMarker[6] = {'D', 'X', 'U', 'F', 'M', 'T'};
constexpr char kAnsiMarker[6] = {'D', 'X', 'A', 'F', 'M', 'T'};
}  // namespace

bool dxIsUnicodeStream(rtl::TStream* stream) {
  if (stream->Remaining() < 6) return false;
  char marker[6];
  const rtl::Int64 got = stream->Read(marker, 6);
  if (got == 6 && std::memcmp(marker, kUnicodeMarker, 6) == 0) return true;
  if (got == 6 && std::memcmp(marker, kAnsiMarker, 6) == 0) return false;
  stream->Seek(-got, rtl::soCurrent);
  return false;
}

void dxWriteStreamType(rtl::TStream* stream) { stream->WriteBuffer(kUnicodeMarker, 6); }

TdxStream::TdxStream(rtl::TStream* stream) : FIsUnicode(dxIsUnicodeStream(stream)), FStream(stream) {}

rtl::Int64 TdxStream::Read(void* buffer, rtl::Int64 count) { return FStream->Read(buffer, count); }
rtl::Int64 TdxStream::Write(const void* buffer, rtl::Int64 count) {
  return FStream->Write(buffer, count);
}
rtl::Int64 TdxStream::Seek(rtl::Int64 offset, rtl::TSeekOrigin origin) {
  return FStream->Seek(offset, origin);
}
rtl::Int64 TdxStream::Size() { return FStream->Size(); }

void WriteIntegerToStream(rtl::TStream* stream, rtl::Integer value) { stream->WriteInt32(value); }

void WriteStringToStream(rtl::TStream* stream, const AnsiString& s) {
  if (!s.empty()) stream->WriteBuffer(s.data(), static_cast<rtl::Int64>(s.size()));
}

AnsiString ReadStringFromStream(rtl::TStream* stream) {
  // Only what lies after the position: asking for the whole size from a
  // later position would read past the end.
  const rtl::Int64 left = stream->Remaining();
  AnsiString result(static_cast<std::size_t>(left), '\0');
  if (left > 0) stream->ReadBuffer(result.data(), left);
  return result;
}

rtl::Variant dxStreamToVariant(rtl::TStream* stream) {
  const rtl::Int64 saved = stream->Position();
  stream->SetPosition(0);
  AnsiString bytes = ReadStringFromStream(stream);
  stream->SetPosition(saved);
  return rtl::Variant::FromAnsiString(std::move(bytes));
}

rtl::Variant dxStreamToVariant(rtl::TStream* stream, rtl::Int64 count) {
  count = std::min(count, stream->Remaining());
  if (count <= 0) return rtl::Variant();
  const rtl::Int64 start = stream->Position();
  AnsiString bytes(static_cast<std::size_t>(count), '\0');
  stream->ReadBuffer(bytes.data(), count);
  stream->SetPosition(start);
  return rtl::Variant::FromAnsiString(std::move(bytes));
}

bool dxVarIsBlob(const rtl::Variant& v) {
  return rtl::VarIsStr(v) || (rtl::VarIsArray(v) && rtl::VarArrayDimCount(v) == 1);
}

// --- text and variants -------------------------------------------------------------------------
namespace {
unsigned conversionFlags(unsigned codePage) {
  return codePage == rtl::CP_UTF8 ? 0 : rtl::MB_PRECOMPOSED;
}
}  // namespace

String dxAnsiStringToString(const AnsiString& s, unsigned codePage) {
  if (s.empty()) return {};
  return rtl::MultiByteToWideChar(codePage, conversionFlags(codePage), s);
}

AnsiString dxStringToAnsiString(StringView s, unsigned codePage) {
  if (s.empty()) return {};
  return rtl::WideCharToMultiByte(codePage, conversionFlags(codePage), s);
}

AnsiString dxVariantToAnsiString(const rtl::Variant& v) {
  if (rtl::VarIsArray(v) && rtl::VarArrayDimCount(v) == 1) {
    const int low = rtl::VarArrayLowBound(v, 1);
    const int high = rtl::VarArrayHighBound(v, 1);
    AnsiString bytes;
    bytes.reserve(high >= low ? static_cast<std::size_t>(high - low + 1) : 0);
    for (int i = low; i <= high; ++i)
      bytes.push_back(static_cast<char>(rtl::VarArrayGet(v, i).AsInteger() & 0xFF));
    return bytes;
  }
  if (rtl::VarIsType(v, rtl::varString)) return v.AsAnsiString();
  return dxStringToAnsiString(rtl::VarToStr(v), 0);
}

String dxVariantToString(const rtl::Variant& v) {
  if (const String* text = v.StringPtr()) return *text;
  return dxAnsiStringToString(dxVariantToAnsiString(v), 0);
}

String dxShortStringToString(const AnsiString& s) { return dxAnsiStringToString(s, 0); }

bool dxCharInSet(rtl::Char c, StringView set) { return set.find(c) != StringView::npos; }

bool dxGetStringTypeW(unsigned infoType, const rtl::Char* text, int count, rtl::Word* charType) {
  return rtl::GetStringTypeW(infoType, text, count, charType);
}

rtl::Word dxGetWideCharCType1(rtl::Char c) {
  rtl::Word type = 0;
  if (!rtl::GetStringTypeW(rtl::CT_CTYPE1, &c, 1, &type)) return 0;
  return type;
}

bool dxWideIsAlpha(rtl::Char c) { return (dxGetWideCharCType1(c) & rtl::C1_ALPHA) != 0; }
bool dxCharIsAlpha(rtl::Char c) { return dxWideIsAlpha(c); }
bool dxWideIsNumeric(rtl::Char c) { return (dxGetWideCharCType1(c) & rtl::C1_DIGIT) != 0; }
bool dxCharIsNumeric(rtl::Char c) { return dxWideIsNumeric(c); }

String dxBinToHex(const void* buffer, int size) {
  if (size <= 0) return {};
  String text(static_cast<std::size_t>(size) * 2, u'0');
  rtl::BinToHex(buffer, text.data(), size);
  return text;
}

String dxBinToHex(const AnsiString& s) { return dxBinToHex(s.data(), static_cast<int>(s.size())); }

String dxGetLocaleInfo(std::uint32_t locale, std::uint32_t localeType, StringView defaultValue) {
  const int size = rtl::GetLocaleInfoW(locale, localeType, nullptr, 0);
  if (size <= 0) return String(defaultValue);
  String text(static_cast<std::size_t>(size), u'\0');
  const int got = rtl::GetLocaleInfoW(locale, localeType, text.data(), size);
  if (got <= 0) return String(defaultValue);
  text.resize(static_cast<std::size_t>(got - 1));
  return text;
}

AnsiString dxHexToBin(StringView text) {
  AnsiString bytes(text.size() / 2, '\0');
  const int got = rtl::HexToBin(text.data(), text.size(), bytes.data(), static_cast<int>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

AnsiString dxHexToBin(const AnsiString& text) {
  AnsiString bytes(text.size() / 2, '\0');
  const int got = rtl::HexToBin(text.data(), text.size(), bytes.data(), static_cast<int>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

// --- small helpers -------------------------------------------------------------------------------
void dxCallNotify(const rtl::TNotifyEvent& notify, rtl::TObject* sender) {
  if (notify.assigned()) notify(sender);
}

bool dxDefaultBooleanToBoolean(TdxDefaultBoolean value, bool defaultValue) {
  switch (value) {
    case TdxDefaultBoolean::bFalse: return false;
    case TdxDefaultBoolean::bTrue: return true;
    default: return defaultValue;
  }
}

int dxCompareValues(rtl::Int64 a, rtl::Int64 b) { return a < b ? -1 : (a > b ? 1 : 0); }

int dxCompareValues(const void* a, const void* b) {
  const auto x = reinterpret_cast<std::uintptr_t>(a);
  const auto y = reinterpret_cast<std::uintptr_t>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

void ExchangeLongWords(rtl::LongWord& a, rtl::LongWord& b) { std::swap(a, b); }
void ExchangeLongWords(rtl::Integer& a, rtl::Integer& b) { std::swap(a, b); }

win::LPARAM dxPointToLParam(const gdi::POINT& p) {
  const auto low = static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.x));
  const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(p.y));
  return static_cast<win::LPARAM>(low | (high << 16));
}

bool dxShellExecute(win::HWND handle, const String& fileName, int showCmd) {
  const win::HINSTANCE r = win::ShellExecuteW(handle, u"open", fileName.c_str(), nullptr, nullptr,
                                              showCmd);
  return reinterpret_cast<win::UINT_PTR>(r) >= 32;
}

bool dxShellExecute(const String& fileName, int showCmd) {
  return dxShellExecute(nullptr, fileName, showCmd);
}

void cxZeroMemory(void* destination, int count) {
  if (count > 0) std::memset(destination, 0, static_cast<std::size_t>(count));
}

void* cxAllocMem(int size) {
  return std::calloc(static_cast<std::size_t>(std::max(size, 1)), 1);
}

void cxFreeMem(void* p) { std::free(p); }

void cxCopyData(const void* source, void* destination, int count) {
  if (count > 0) std::memmove(destination, source, static_cast<std::size_t>(count));
}

void dxCopyList(const rtl::TList* source, rtl::TList* destination) {
  destination->SetCount(source->Count());
  for (int i = 0; i < source->Count(); ++i) destination->Put(i, source->Get(i));
}

void dxTestCheck(bool, const String&) {}

void dxAbstractError() { dxTestCheck(false, rtl::S("Abstract Error")); }

// --- unit start and stop ---------------------------------------------------------------------------
void dxCoreInitialization() {
  // The platform flags are constants here. The visual-styles binding gets
  // our own engine, so "themes active" follows the engine's switch.
  dxInstallThemeEngine();
}

void dxCoreFinalization() {
  repositoryInstance().reset();
  ResourceOverrides& o = overrides();
  o = ResourceOverrides{};
  auto& loader = loaderInstance();
  if (dxIsDLL() && loader && loader->FinalizeCount() > 0)
    throw rtl::Exception(rtl::S("Need call dxFinalize before free library!"));
  loader.reset();
}

}  // namespace core
