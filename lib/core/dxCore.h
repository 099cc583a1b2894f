#pragma once
// The library's base unit: the lookup of library texts and the repository of
// products that name them, the units loader for ordered start and stop, the
// platform flags, the six-byte text markers of streams with the stream
// wrapper, and small conversion and event helpers.
#include <cstddef>
#include <string>
#include <vector>

#include "lib/core/forward.h"
#include "platform/rtl/except.h"
#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/types.h"
#include "platform/rtl/variant.h"
#include "platform/gdi/types.h"
#include "platform/win/types.h"

namespace rtl {
class TList;
}

namespace core {

using rtl::String;
using rtl::StringView;
// 8-bit text in some code page, as bytes.
using AnsiString = std::string;

// --- library texts ----------------------------------------------------------------
// One entry of the program's string table: the text a resource reference
// names. References are compared by address, so each text has one entry.
struct TcxResourceString {
  const char16_t* Text;
};
using TcxResourceStringID = const TcxResourceString*;

enum class TcxResourceStringsModificationMode { rmmByResStringValue, rmmByResStringID, rmmUndefined };

// The text of a library resource string: a replacement when a localizer
// replaced it, otherwise the string table's text.
String cxGetResourceString(TcxResourceStringID resString);

// Told when the translation of the library texts changes.
class IdxLocalizerListener {
 public:
  virtual void TranslationChanged() = 0;

 protected:
  ~IdxLocalizerListener() = default;
};

using TdxLocalizerInitializeProc = void (*)(TdxProductResourceStrings* product);

// The texts one product of the library registers by name.
class TdxProductResourceStrings : public rtl::TObject {
 public:
  TdxProductResourceStrings(const String& name, TdxLocalizerInitializeProc initializeProc);
  ~TdxProductResourceStrings() override;

  // Ignored when nil or already listed; otherwise listed and run at once.
  void AddProcedure(TdxLocalizerInitializeProc proc);
  void RemoveProcedure(TdxLocalizerInitializeProc proc);
  int ProcedureCount() const { return static_cast<int>(FInitializeProcedures.size()); }
  // A name already present keeps its first reference.
  void Add(const String& name, TcxResourceStringID resString);

  const String& Name() const { return FName; }
  int ResStringsCount() const { return static_cast<int>(FResStringNames.size()); }
  // Ordered by name, case-insensitively.
  const String& Names(int index) const { return FResStringNames[index].name; }
  TcxResourceStringID ResStrings(int index) const { return FResStringNames[index].resString; }
  // nullptr when the name is unknown (case-insensitive).
  TcxResourceStringID FindResString(StringView name) const;

 private:
  struct Entry {
    String name;
    TcxResourceStringID resString;
  };
  String FName;
  std::vector<TdxLocalizerInitializeProc> FInitializeProcedures;
  std::vector<Entry> FResStringNames;
};

class TdxResourceStringsRepository : public rtl::TObject {
 public:
  TdxResourceStringsRepository() = default;
  ~TdxResourceStringsRepository() override;

  void RegisterProduct(const String& productName, TdxLocalizerInitializeProc initializeProc);
  // Without a procedure (or when the last one goes) the product is freed.
  void UnRegisterProduct(const String& productName,
                         TdxLocalizerInitializeProc initializeProc = nullptr);
  int GetProductIndexByName(StringView name) const;  // exact, case-sensitive; -1 when absent
  TdxProductResourceStrings* Products(int index) const { return FProducts.at(index); }
  int ProductsCount() const { return static_cast<int>(FProducts.size()); }

  void AddListener(IdxLocalizerListener* listener);
  void RemoveListener(IdxLocalizerListener* listener);
  int ListenerCount() const { return static_cast<int>(FListeners.size()); }
  IdxLocalizerListener* Listeners(int index) const { return FListeners.at(index); }

  const rtl::TNotifyEvent& OnTranslateResString() const { return FOnTranslateResString; }
  void SetOnTranslateResString(const rtl::TNotifyEvent& value) { FOnTranslateResString = value; }

 private:
  std::vector<IdxLocalizerListener*> FListeners;
  std::vector<TdxProductResourceStrings*> FProducts;  // owned
  rtl::TNotifyEvent FOnTranslateResString;
};

// Created on first use, freed by the unit's stop.
TdxResourceStringsRepository* dxResourceStringsRepository();

// --- units loader ------------------------------------------------------------------
using TdxUnitProc = void (*)();

class TdxUnitsLoader : public rtl::TObject {
 public:
  TdxUnitsLoader() = default;
  ~TdxUnitsLoader() override;  // Finalize

  // In an executable `initializeProc` runs at once; in a library it waits.
  void AddUnit(TdxUnitProc initializeProc, TdxUnitProc finalizeProc);
  // Runs `finalizeProc` now when it was listed and the units are started.
  void RemoveUnit(TdxUnitProc finalizeProc);
  // Runs the stop procedures newest first.
  void Finalize();
  static void CallProc(TdxUnitProc proc) {
    if (proc) proc();
  }

  static bool IsInitialized();
  int FinalizeCount() const { return static_cast<int>(FinalizeList.size()); }
  int InitializeCount() const { return static_cast<int>(InitializeList.size()); }

 private:
  std::vector<TdxUnitProc> FinalizeList;
  std::vector<TdxUnitProc> InitializeList;
};

TdxUnitsLoader* dxUnitsLoader();
// The program is an executable, never a library.
constexpr bool dxIsDLL() { return false; }

// --- platform flags -------------------------------------------------------------------
// The library runs on our own platform layer, which stands for a current
// 32-bit-mode NT system: version 10.0, no 64-bit emulation.
inline constexpr bool IsWin9X = false;
inline constexpr bool IsWin95 = false;
inline constexpr bool IsWin98 = false;
inline constexpr bool IsWinMe = false;
inline constexpr bool IsWinNT = true;
inline constexpr bool IsWin2K = false;
inline constexpr bool IsWin2KOrLater = true;
inline constexpr bool IsWinXP = false;
inline constexpr bool IsWinXPOrLater = true;
inline constexpr bool IsWin2KOrXP = false;
inline constexpr bool IsWinVista = false;
inline constexpr bool IsWinVistaOrLater = true;
inline constexpr bool IsWinSeven = false;
inline constexpr bool IsWinSevenOrLater = true;
inline constexpr bool IsWin8 = false;
inline constexpr bool IsWin8OrLater = true;
inline constexpr bool IsWin10OrLater = true;
inline constexpr bool IsWin10 = true;
inline constexpr bool IsWin64Bit = false;

// --- streams ---------------------------------------------------------------------------
// True after consuming "DXUFMT"; false after consuming "DXAFMT"; false with
// the position unchanged for anything else, or when fewer than 6 bytes are left.
bool dxIsUnicodeStream(rtl::TStream* stream);
void dxWriteStreamType(rtl::TStream* stream);  // "DXUFMT"

// A stream that reads the text marker of the stream it wraps (not owned) once
// and then passes everything through.
class TdxStream : public rtl::TStream {
 public:
  explicit TdxStream(rtl::TStream* stream);

  rtl::Int64 Read(void* buffer, rtl::Int64 count) override;
  rtl::Int64 Write(const void* buffer, rtl::Int64 count) override;
  rtl::Int64 Seek(rtl::Int64 offset, rtl::TSeekOrigin origin) override;
  rtl::Int64 Size() override;

  bool IsUnicode() const { return FIsUnicode; }
  rtl::TStream* Stream() const { return FStream; }

 private:
  bool FIsUnicode;
  rtl::TStream* FStream;
};

void WriteIntegerToStream(rtl::TStream* stream, rtl::Integer value);  // 4 bytes LE
void WriteStringToStream(rtl::TStream* stream, const AnsiString& s);  // bytes only
// The bytes from the position to the end.
AnsiString ReadStringFromStream(rtl::TStream* stream);
// The whole stream as an 8-bit string variant; the position is kept.
rtl::Variant dxStreamToVariant(rtl::TStream* stream);
// Up to `count` bytes from the position (cut to what is left); Empty for
// count <= 0; the position is kept.
rtl::Variant dxStreamToVariant(rtl::TStream* stream, rtl::Int64 count);
bool dxVarIsBlob(const rtl::Variant& v);

// --- text and variants -------------------------------------------------------------------
String dxAnsiStringToString(const AnsiString& s, unsigned codePage = 0);
AnsiString dxStringToAnsiString(StringView s, unsigned codePage = 0);
AnsiString dxVariantToAnsiString(const rtl::Variant& v);
String dxVariantToString(const rtl::Variant& v);
String dxShortStringToString(const AnsiString& s);
bool dxCharInSet(rtl::Char c, StringView set);
bool dxGetStringTypeW(unsigned infoType, const rtl::Char* text, int count, rtl::Word* charType);
rtl::Word dxGetWideCharCType1(rtl::Char c);
bool dxWideIsAlpha(rtl::Char c);
bool dxCharIsAlpha(rtl::Char c);
bool dxWideIsNumeric(rtl::Char c);
bool dxCharIsNumeric(rtl::Char c);
String dxBinToHex(const void* buffer, int size);
String dxBinToHex(const AnsiString& s);
// Half the text's length in bytes, rounded down; shorter when a pair is not
// hexadecimal (the bytes read until then).
AnsiString dxHexToBin(StringView text);
AnsiString dxHexToBin(const AnsiString& text);
// The locale item's text (possibly empty); `defaultValue` when the locale has no such item.
String dxGetLocaleInfo(std::uint32_t locale, std::uint32_t localeType, StringView defaultValue = {});

// --- small helpers -------------------------------------------------------------------------
template <class Sig>
bool dxSameMethods(const rtl::Method<Sig>& m1, const rtl::Method<Sig>& m2) {
  return m1 == m2;
}
inline bool dxSameMethods(const rtl::TMethod& m1, const rtl::TMethod& m2) { return m1 == m2; }
void dxCallNotify(const rtl::TNotifyEvent& notify, rtl::TObject* sender);

// The base class of the library's own exceptions.
class EdxException : public rtl::Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EdxException"; }
};

enum class TdxDefaultBoolean { bFalse, bTrue, bDefault };
bool dxDefaultBooleanToBoolean(TdxDefaultBoolean value, bool defaultValue);

int dxCompareValues(rtl::Int64 a, rtl::Int64 b);
int dxCompareValues(const void* a, const void* b);  // by unsigned address
void ExchangeLongWords(rtl::LongWord& a, rtl::LongWord& b);
void ExchangeLongWords(rtl::Integer& a, rtl::Integer& b);
win::LPARAM dxPointToLParam(const gdi::POINT& p);

bool dxShellExecute(const String& fileName, int showCmd = 1);
bool dxShellExecute(win::HWND handle, const String& fileName, int showCmd = 1);

void cxZeroMemory(void* destination, int count);
void* cxAllocMem(int size);  // zero-filled; release with cxFreeMem
void cxFreeMem(void* p);
void cxCopyData(const void* source, void* destination, int count);
void dxCopyList(const rtl::TList* source, rtl::TList* destination);

void dxTestCheck(bool value, const String& message);
void dxAbstractError();

// --- unit start and stop (called in the program's unit order) ---------------------------
void dxCoreInitialization();
void dxCoreFinalization();  // EInvalidOperation in a library with stops pending

}  // namespace core
