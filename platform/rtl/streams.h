#pragma once
// Byte streams: the abstract TStream and its memory, file, bytes, string and
// read-only pointer kinds. Sizes and positions are Int64; multi-byte helpers
// read and write little-endian whatever the host order.
#include <cstddef>
#include <vector>

#include "platform/rtl/types.h"

namespace rtl {

using TBytes = std::vector<Byte>;

enum class TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };
inline constexpr TSeekOrigin soBeginning = TSeekOrigin::soBeginning;
inline constexpr TSeekOrigin soCurrent = TSeekOrigin::soCurrent;
inline constexpr TSeekOrigin soEnd = TSeekOrigin::soEnd;

class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream();

  // Transfer up to `count` bytes and return how many moved; never raise for a
  // short transfer (ReadBuffer/WriteBuffer do).
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Returns the new position.
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 value) { Seek(value, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 newSize);
  // Bytes between the position and the end (0 when positioned beyond it).
  Int64 Remaining();

  // Raise EReadError "Stream read error" / EWriteError "Stream write error"
  // when fewer than `count` bytes move.
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  // Copies `count` bytes from the source's position; count <= 0 copies the
  // whole source from its start. Returns the number of bytes copied.
  Int64 CopyFrom(TStream& source, Int64 count);
  Int64 CopyFrom(TStream* source, Int64 count) { return CopyFrom(*source, count); }

  // Little-endian helpers over ReadBuffer/WriteBuffer.
  Byte ReadByte();
  ShortInt ReadInt8() { return static_cast<ShortInt>(ReadByte()); }
  Word ReadWord();
  SmallInt ReadInt16() { return static_cast<SmallInt>(ReadWord()); }
  Cardinal ReadUInt32();
  Integer ReadInt32() { return static_cast<Integer>(ReadUInt32()); }
  UInt64 ReadUInt64();
  Int64 ReadInt64() { return static_cast<Int64>(ReadUInt64()); }
  float ReadSingle();
  double ReadDouble();

  void WriteByte(Byte value);
  void WriteInt8(ShortInt value) { WriteByte(static_cast<Byte>(value)); }
  void WriteWord(Word value);
  void WriteInt16(SmallInt value) { WriteWord(static_cast<Word>(value)); }
  void WriteUInt32(Cardinal value);
  void WriteInt32(Integer value) { WriteUInt32(static_cast<Cardinal>(value)); }
  void WriteUInt64(UInt64 value);
  void WriteInt64(Int64 value) { WriteUInt64(static_cast<UInt64>(value)); }
  void WriteSingle(float value);
  void WriteDouble(double value);
};

// Reads everything from the position to the end.
TBytes ReadAllBytes(TStream& stream);

// A stream over one block of memory; Write is left to the kinds that own it.
class TCustomMemoryStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return size_; }

  void* Memory() const { return memory_; }
  void SaveToStream(TStream& stream);
  void SaveToStream(TStream* stream) { SaveToStream(*stream); }
  void SaveToFile(const String& fileName);

 protected:
  void SetPointer(void* memory, Int64 size);
  Int64 memorySize() const { return size_; }
  Int64 position_ = 0;

 private:
  Byte* memory_ = nullptr;
  Int64 size_ = 0;
};

// Owns its memory and grows it in blocks as data is written.
class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;

  Int64 Write(const void* buffer, Int64 count) override;
  void SetSize(Int64 newSize) override;

  void Clear();
  // Replaces the contents with the whole of `stream` (read from its start).
  void LoadFromStream(TStream& stream);
  void LoadFromStream(TStream* stream) { LoadFromStream(*stream); }
  void LoadFromFile(const String& fileName);

  Int64 Capacity() const { return static_cast<Int64>(buffer_.size()); }
  void SetCapacity(Int64 newCapacity);

 protected:
  // The storage; its size is the capacity, Size() may be smaller.
  TBytes buffer_;

 private:
  void growFor(Int64 newSize);
};

// A memory stream whose storage is a TBytes the caller can take back.
class TBytesStream : public TMemoryStream {
 public:
  TBytesStream() = default;
  explicit TBytesStream(TBytes bytes);
  // The storage; it may be longer than Size() after growth.
  const TBytes& Bytes() const { return buffer_; }
};

class TEncoding;

// Text kept as bytes in an encoding (UTF-8 unless given; no preamble written).
class TStringStream : public TBytesStream {
 public:
  explicit TStringStream(StringView text = {}, TEncoding* encoding = nullptr);
  explicit TStringStream(TBytes bytes, TEncoding* encoding = nullptr);

  TEncoding* Encoding() const { return encoding_; }
  // The whole contents decoded, whatever the position.
  String DataString() const;
  // Decodes up to `count` bytes from the position.
  String ReadString(Int64 count);
  void WriteString(StringView text);

 private:
  TEncoding* encoding_;
};

// Read-only view of memory that someone else keeps alive (compiled-in
// resources, buffers of libraries). Writing raises EStreamError.
class TPointerStream : public TCustomMemoryStream {
 public:
  TPointerStream(const void* data, Int64 size);
  Int64 Write(const void* buffer, Int64 count) override;
  void SetSize(Int64 newSize) override;
};

// A compiled-in resource (resources.h) by name and type; EResNotFound
// "Resource %s not found" when there is none.
class TResourceStream : public TPointerStream {
 public:
  TResourceStream(StringView resName, StringView resType);
};

// --- handle and file streams -----------------------------------------------
using THandle = int;  // a POSIX file descriptor

inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

// A stream over a descriptor it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(THandle handle) : handle_(handle) {}

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;

  THandle Handle() const { return handle_; }

 protected:
  THandle handle_;
};

// Opens (or with fmCreate creates or truncates) a file by its name; the share
// flags are accepted and not enforced, as POSIX has no mandatory sharing.
// Raises EFOpenError / EFCreateError with the system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const String& fileName, Word mode);
  TFileStream(const String& fileName, Word mode, Cardinal rights);
  ~TFileStream() override;

  const String& FileName() const { return fileName_; }

 private:
  String fileName_;
};

}  // namespace rtl
