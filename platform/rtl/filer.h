#pragma once
// The binary component stream: tagged property values, TFiler/TWriter/TReader,
// DefineProperty/DefineBinaryProperty, and whole components ("TPF0", class
// name, name, properties, children). Readers treat the bytes as untrusted:
// every length is checked against what remains before anything is read or
// allocated, nesting is bounded, and bad input raises EReadError.
#include <functional>
#include <vector>

#include "platform/rtl/streams.h"
#include "platform/rtl/types.h"

namespace rtl {

class TStream;
class TObject;
class TPersistent;
class TComponent;
class TCollection;
class ClassInfo;
class Variant;
struct PropInfo;

// Stored tag values; never renumber.
enum class TValueType : Byte {
  vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaExtended = 5,
  vaString = 6, vaIdent = 7, vaFalse = 8, vaTrue = 9, vaBinary = 10, vaSet = 11,
  vaLString = 12, vaNil = 13, vaCollection = 14, vaSingle = 15, vaCurrency = 16,
  vaDate = 17, vaWString = 18, vaInt64 = 19, vaUTF8String = 20, vaDouble = 21
};
inline constexpr Byte kMaxValueType = 21;

// The signature that starts a streamed root component.
inline constexpr Byte kFilerSignature[4] = {'T', 'P', 'F', '0'};

// Prefix flags of a streamed component (written as 0xF0 | flags).
enum class TFilerFlag { ffInherited = 0, ffChildPos = 1, ffInline = 2 };

// 80-bit x87 extended values, converted by hand so hosts without that type
// read and write them alike. Finite values outside double's range become
// infinities; the conversion to extended is exact.
void doubleToExtended(double value, Byte out[10]);
double extendedToDouble(const Byte in[10]);

class TReader;
class TWriter;
class TFiler;

using TReaderProc = std::function<void(TReader* reader)>;
using TWriterProc = std::function<void(TWriter* writer)>;
using TStreamProc = std::function<void(TStream* stream)>;

class TFiler {
 public:
  explicit TFiler(TStream* stream);
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  virtual ~TFiler();

  TStream* Stream() const { return stream_; }
  TComponent* Root() const { return root_; }
  void SetRoot(TComponent* value) { root_ = value; }
  TComponent* LookupRoot() const { return lookupRoot_; }
  // The object whose values a descendant is compared with (WriteDescendent).
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* value) { ancestor_ = value; }
  bool IgnoreChildren() const { return ignoreChildren_; }
  void SetIgnoreChildren(bool value) { ignoreChildren_ = value; }

  // Called from TPersistent::DefineProperties: values that are not published
  // properties. The writer stores them when `hasData`; the reader calls the
  // read procedure when the stream names the property.
  virtual void DefineProperty(const String& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // Same, for raw bytes (stored as vaBinary).
  virtual void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;

 protected:
  TStream* stream_;
  TComponent* root_ = nullptr;
  TComponent* lookupRoot_ = nullptr;
  TPersistent* ancestor_ = nullptr;
  bool ignoreChildren_ = false;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream* stream, int bufSize = 4096);
  ~TWriter() override;

  void DefineProperty(const String& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // --- values -----------------------------------------------------------------
  void WriteValue(TValueType value);
  // The smallest of vaInt8/vaInt16/vaInt32 that holds the value (vaInt64 for
  // the Int64 overload when 32 bits do not).
  void WriteInteger(Integer value);
  void WriteInteger(Int64 value);
  void WriteInt64(Int64 value) { WriteInteger(value); }
  void WriteBoolean(bool value);
  void WriteFloat(Extended value);  // vaExtended, 10 bytes
  void WriteDouble(double value);
  void WriteSingle(float value);
  void WriteCurrency(Currency value);
  void WriteDate(TDateTime value);
  // vaString (up to 255 bytes) or vaLString when code page 1252 holds the
  // text exactly, else vaWString.
  void WriteString(StringView value);
  void WriteWideString(StringView value);  // always vaWString
  void WriteUTF8Str(StringView value);     // always vaUTF8String
  void WriteChar(Char value) { WriteString(StringView(&value, 1)); }
  // vaFalse/vaTrue/vaNil/vaNull for those words (any case), else vaIdent.
  void WriteIdent(StringView ident);
  // A set as the names of its members (bit n = element n of `elements`).
  void WriteSet(const std::vector<String>& elementNames, UInt64 bits);
  void WriteBinary(const void* data, Integer size);
  void WriteBinary(const TStreamProc& writeData);
  void WriteListBegin() { WriteValue(TValueType::vaList); }
  void WriteListEnd() { WriteValue(TValueType::vaNull); }
  // A length-prefixed (one byte) ANSI text without a tag: names in the stream.
  void WriteStr(StringView value);
  void WriteVariant(const Variant& value);

  // --- objects ----------------------------------------------------------------
  void WriteSignature();
  // Published properties (stored, not at their default) and DefineProperties.
  void WriteProperties(TPersistent* instance);
  void WriteProperty(TPersistent* instance, const PropInfo* prop);
  void WriteCollection(TCollection* value);
  // Prefix, class name, name, WriteState (properties, end, children, end).
  void WriteComponent(TComponent* component);
  // What TComponent::WriteState does: properties, list end, children, list end.
  void WriteData(TComponent* instance);
  void WriteRootComponent(TComponent* root);
  // Writes only the values that differ from `ancestor` (which may be null).
  void WriteDescendent(TComponent* root, TComponent* ancestor);

  Int64 Position() const;

 private:
  void writePropName(StringView name);
  void writeBytes(const void* data, Int64 count);
  void writeProperties(TPersistent* instance, TPersistent* ancestor);
  void writeProperty(TPersistent* instance, const PropInfo* prop, TPersistent* ancestor);
  void writeObjectProperty(TPersistent* instance, const PropInfo* prop, TPersistent* ancestor);

  String propPath_;  // "Font." while writing the nested properties of Font
  TComponent* rootAncestor_ = nullptr;  // WriteDescendent: finds inherited children
  int depth_ = 0;
};

class TReader : public TFiler {
 public:
  explicit TReader(TStream* stream, int bufSize = 4096);
  ~TReader() override;

  void DefineProperty(const String& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const String& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // The owner given to components created while reading, and their parent.
  TComponent* Owner() const { return owner_; }
  void SetOwner(TComponent* value) { owner_ = value; }
  TComponent* Parent() const { return parent_; }
  void SetParent(TComponent* value) { parent_ = value; }

  // Asked about an unknown property (and other read errors of a property):
  // setting `handled` skips the value and goes on.
  std::function<void(TReader* reader, const String& message, bool& handled)> OnError;

  // --- values -----------------------------------------------------------------
  // ReadValue raises EReadError "Invalid property value" for unknown tags;
  // NextValue peeks at the next byte as it is.
  TValueType ReadValue();
  TValueType NextValue();
  bool EndOfList();
  void CheckValue(TValueType value);
  // Any integer tag (an Int64 that does not fit raises EReadError).
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  // From vaExtended, vaDouble, vaSingle, vaCurrency, vaDate or an integer.
  Extended ReadFloat();
  double ReadDouble() { return ReadFloat(); }
  float ReadSingle();
  Currency ReadCurrency();
  TDateTime ReadDate();
  // Any string tag.
  String ReadString();
  String ReadWideString() { return ReadString(); }
  Char ReadChar();
  // vaIdent, or "False"/"True"/"nil"/"Null" for those tags.
  String ReadIdent();
  // After vaSet has been read by the caller's CheckValue: the member bits.
  UInt64 ReadSetBits(const std::vector<String>& elementNames);
  TBytes ReadBinary();
  void ReadListBegin() { CheckValue(TValueType::vaList); }
  void ReadListEnd() { CheckValue(TValueType::vaNull); }
  String ReadStr();
  void SkipValue();
  Variant ReadVariant();

  // --- objects ----------------------------------------------------------------
  void ReadSignature();
  // Reads one "name value" pair into `instance`.
  void ReadProperty(TPersistent* instance);
  void ReadCollection(TCollection* collection);
  // Reads a component; with `component` null creates it by class name
  // (FindClass) with Owner() as owner and Parent() as parent.
  TComponent* ReadComponent(TComponent* component);
  // What TComponent::ReadState does: properties, list end, children, list end.
  void ReadData(TComponent* instance);
  // Reads the signature and the root; with `root` null creates it.
  TComponent* ReadRootComponent(TComponent* root);
  // The component list of a stream of sibling components.
  void ReadComponents(TComponent* owner, TComponent* parent,
                      const std::function<void(TComponent*)>& proc);

  Int64 Position() const;
  Int64 Remaining() const;

 private:
  struct DepthGuard;
  struct Fixup;
  struct Session;
  void need(Int64 count) const;
  void readBytes(void* data, Int64 count);
  Byte readByte();
  Int64 readIntegerBody(TValueType tag);
  Integer readLength();
  String readAnsi(Int64 length);
  void skipBytes(Int64 count);
  void skipSetBody();
  void skipProperty();
  void readPropValue(TPersistent* instance, const PropInfo* prop);
  bool readDefinedProperty(TPersistent* instance, const String& name);
  void unknownProperty(const String& path);
  void readPrefix(int& flags, Integer& childPos);
  TComponent* readComponent(TComponent* component);
  TComponent* createComponent(const String& className);
  void markLoading(TComponent* component);
  void forgetComponent(TComponent* component);
  void finishSession(Session& session);
  void abandonSession(Session& session);

  Int64 end_;
  int depth_ = 0;
  TComponent* owner_ = nullptr;
  TComponent* parent_ = nullptr;
  String propName_;  // the name DefineProperty is asked about
  bool propHandled_ = false;
  TComponent* reading_ = nullptr;  // the component whose values are being read
  Session* session_ = nullptr;     // fixups and Loaded list of the outermost read
};

}  // namespace rtl
