#pragma once
// The library's own ordering and equality of variant values, the arrays of
// BETWEEN and IN conditions, the tagged encoding of one variant (a tag byte
// of the component stream's value types, then the payload) and the
// little-endian primitives and small filers the data streams are made of.
// Readers treat their bytes as untrusted: every count and length is checked
// against the bytes left before anything is allocated, nesting is bounded,
// and bad input raises EReadError "Stream read error".
#include <string>

#include "platform/rtl/object.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/types.h"
#include "platform/rtl/variant.h"

namespace data {

using rtl::Integer;
using rtl::String;
using rtl::TStream;
using rtl::TVarType;
using rtl::Variant;
using AnsiString = std::string;

// --- comparison and tests ----------------------------------------------------------
// Negative, zero or positive. Empty sorts first, then Null, then values in
// the platform's order; arrays sort after scalars and by length, then item by
// item. Values the platform cannot compare give -1 (in both directions: the
// result is not a total order, so callers must not feed it to algorithms
// that rely on one).
int VarCompare(const Variant& a, const Variant& b);
inline bool VarEquals(const Variant& a, const Variant& b) { return VarCompare(a, b) == 0; }
// As VarEquals, except that a Boolean equals only the texts "True"/"False"
// (and another Boolean), never the number 1.
bool VarEqualsExact(const Variant& a, const Variant& b);
// Null, or a text variant holding the empty string.
bool VarIsSoftNull(const Variant& v);
bool VarIsDate(const Variant& v);
bool VarTypeIsDate(TVarType varType);
bool VarIsNumericEx(const Variant& v);
bool VarTypeIsCurrency(TVarType varType);
// The type code of the value a by-reference variant points to (the variant's
// own code otherwise).
TVarType VarBaseType(const Variant& v);

// --- condition arrays ----------------------------------------------------------------
Variant VarBetweenArrayCreate(const Variant& low, const Variant& high);  // bounds 0..1
Variant VarListArrayCreate(const Variant& v);                            // bounds 0..0
// Replaces `list` by an array one item longer ending with `v`.
void VarListArrayAddValue(Variant& list, const Variant& v);

// --- tagged encoding -----------------------------------------------------------------
// Arrays nested deeper than this are refused by the reader (EReadError) and
// the writer (EWriteError).
inline constexpr int kMaxVariantNesting = 64;

void WriteVariantProc(TStream* stream, const Variant& v);
void ReadVariantProc(TStream* stream, Variant& v);
Variant ReadVariantFunc(TStream* stream);

// --- primitives (little-endian, no tag) ------------------------------------------------
bool ReadBooleanFunc(TStream* stream);
void ReadBooleanProc(TStream* stream, bool& value);
void WriteBooleanProc(TStream* stream, bool value);
rtl::Byte ReadByteFunc(TStream* stream);
void ReadByteProc(TStream* stream, rtl::Byte& value);
void WriteByteProc(TStream* stream, rtl::Byte value);
rtl::SmallInt ReadSmallIntFunc(TStream* stream);
void ReadSmallIntProc(TStream* stream, rtl::SmallInt& value);
void WriteSmallIntProc(TStream* stream, rtl::SmallInt value);
rtl::Word ReadWordFunc(TStream* stream);
void ReadWordProc(TStream* stream, rtl::Word& value);
void WriteWordProc(TStream* stream, rtl::Word value);
Integer ReadIntegerFunc(TStream* stream);
void ReadIntegerProc(TStream* stream, Integer& value);
void WriteIntegerProc(TStream* stream, Integer value);
rtl::Int64 ReadLargeIntFunc(TStream* stream);
void ReadLargeIntProc(TStream* stream, rtl::Int64& value);
void WriteLargeIntProc(TStream* stream, rtl::Int64 value);
void ReadSingleProc(TStream* stream, float& value);
void WriteSingleProc(TStream* stream, float value);
// 10-byte extended on the stream, a double in memory.
void ReadFloatProc(TStream* stream, double& value);
void WriteFloatProc(TStream* stream, double value);
rtl::Currency ReadCurrencyFunc(TStream* stream);
void ReadCurrencyProc(TStream* stream, rtl::Currency& value);
void WriteCurrencyProc(TStream* stream, rtl::Currency value);
rtl::TDateTime ReadDateTimeFunc(TStream* stream);
void ReadDateTimeProc(TStream* stream, rtl::TDateTime& value);
void WriteDateTimeProc(TStream* stream, rtl::TDateTime value);
// 4-byte signed byte count, then the bytes.
AnsiString ReadAnsiStringFunc(TStream* stream);
void ReadAnsiStringProc(TStream* stream, AnsiString& value);
void WriteAnsiStringProc(TStream* stream, const AnsiString& value);
// 4-byte signed count of UTF-16 units, then the units.
String ReadWideStringFunc(TStream* stream);
void ReadWideStringProc(TStream* stream, String& value);
void WriteWideStringProc(TStream* stream, rtl::StringView value);

// Raise EReadError / EWriteError with the data texts.
[[noreturn]] void cxDataReadError();
[[noreturn]] void cxDataWriteError();

// --- filers ------------------------------------------------------------------------------
// A stream (not owned) with a format version; creating one consumes a
// "DXUFMT" (Unicode) or "DXAFMT" (ANSI) marker at the stream's position.
class TcxFiler : public rtl::TObject {
 public:
  explicit TcxFiler(TStream* stream, Integer version = 0);
  TcxFiler(const TcxFiler&) = delete;
  TcxFiler& operator=(const TcxFiler&) = delete;

  TStream* Stream() const { return FStream; }
  Integer Version() const { return FVersion; }
  bool IsUnicode() const { return FIsUnicode; }

 protected:
  TStream* FStream;
  Integer FVersion;
  bool FIsUnicode;
};

class TcxReader : public TcxFiler {
 public:
  using TcxFiler::TcxFiler;
  AnsiString ReadAnsiString() { return ReadAnsiStringFunc(FStream); }
  Integer ReadInteger() { return ReadIntegerFunc(FStream); }
};

class TcxWriter : public TcxFiler {
 public:
  using TcxFiler::TcxFiler;
  void WriteAnsiString(const AnsiString& s) { WriteAnsiStringProc(FStream, s); }
  void WriteInteger(Integer value) { WriteIntegerProc(FStream, value); }
};

}  // namespace data
