#include "platform/rtl/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <system_error>

#include "platform/rtl/encoding.h"
#include "platform/rtl/except.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/ustring.h"

namespace rtl {

namespace {

constexpr Int64 kInt64Max = std::numeric_limits<Int64>::max();
constexpr Int64 kCopyChunk = 64 * 1024;
constexpr Int64 kMemoryDelta = 8192;  // memory streams grow in blocks of this

[[noreturn]] void raiseReadError() { throw EReadError(u"Stream read error"); }
[[noreturn]] void raiseWriteError() { throw EWriteError(u"Stream write error"); }

String osMessage(int error) {
  return Utf8ToString(std::error_code(error, std::generic_category()).message());
}

}  // namespace

// --- TStream ---------------------------------------------------------------

TStream::~TStream() = default;

Int64 TStream::Size() {
  const Int64 pos = Seek(0, soCurrent);
  const Int64 end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(Int64) { throw EStreamError(u"Stream size cannot be changed"); }

Int64 TStream::Remaining() {
  const Int64 pos = Position();
  const Int64 size = Size();
  return pos >= 0 && pos < size ? size - pos : 0;
}

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count < 0) raiseReadError();
  if (count > 0 && Read(buffer, count) != count) raiseReadError();
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count < 0) raiseWriteError();
  if (count > 0 && Write(buffer, count) != count) raiseWriteError();
}

Int64 TStream::CopyFrom(TStream& source, Int64 count) {
  if (count <= 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  const Int64 total = count;
  std::vector<Byte> chunk(static_cast<std::size_t>(std::min(count, kCopyChunk)));
  while (count > 0) {
    const Int64 n = std::min(count, kCopyChunk);
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    count -= n;
  }
  return total;
}

Byte TStream::ReadByte() {
  Byte b;
  ReadBuffer(&b, 1);
  return b;
}

Word TStream::ReadWord() {
  Byte b[2];
  ReadBuffer(b, 2);
  return static_cast<Word>(b[0] | (b[1] << 8));
}

Cardinal TStream::ReadUInt32() {
  Byte b[4];
  ReadBuffer(b, 4);
  return Cardinal{b[0]} | (Cardinal{b[1]} << 8) | (Cardinal{b[2]} << 16) | (Cardinal{b[3]} << 24);
}

UInt64 TStream::ReadUInt64() {
  Byte b[8];
  ReadBuffer(b, 8);
  UInt64 v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
  return v;
}

float TStream::ReadSingle() {
  const Cardinal bits = ReadUInt32();
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

double TStream::ReadDouble() {
  const UInt64 bits = ReadUInt64();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

void TStream::WriteByte(Byte value) { WriteBuffer(&value, 1); }

void TStream::WriteWord(Word value) {
  const Byte b[2] = {static_cast<Byte>(value), static_cast<Byte>(value >> 8)};
  WriteBuffer(b, 2);
}

void TStream::WriteUInt32(Cardinal value) {
  Byte b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<Byte>(value >> (8 * i));
  WriteBuffer(b, 4);
}

void TStream::WriteUInt64(UInt64 value) {
  Byte b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<Byte>(value >> (8 * i));
  WriteBuffer(b, 8);
}

void TStream::WriteSingle(float value) {
  Cardinal bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteUInt32(bits);
}

void TStream::WriteDouble(double value) {
  UInt64 bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteUInt64(bits);
}

TBytes ReadAllBytes(TStream& stream) {
  TBytes bytes(static_cast<std::size_t>(stream.Remaining()));
  stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  return bytes;
}

// --- TCustomMemoryStream -----------------------------------------------------

void TCustomMemoryStream::SetPointer(void* memory, Int64 size) {
  memory_ = static_cast<Byte*>(memory);
  size_ = size;
}

Int64 TCustomMemoryStream::Read(void* buffer, Int64 count) {
  if (position_ < 0 || count <= 0 || position_ >= size_) return 0;
  const Int64 n = std::min(count, size_ - position_);
  std::memcpy(buffer, memory_ + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

Int64 TCustomMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  // Positions beyond the end are allowed: a later write fills the gap.
  Int64 base = 0;
  switch (origin) {
    case soBeginning: base = 0; break;
    case soCurrent: base = position_; break;
    case soEnd: base = size_; break;
  }
  if ((offset > 0 && base > kInt64Max - offset)) throw EStreamError(u"Invalid stream position");
  position_ = base + offset;
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
  if (size_ > 0) stream.WriteBuffer(memory_, size_);
}

void TCustomMemoryStream::SaveToFile(const String& fileName) {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

// --- TMemoryStream -----------------------------------------------------------

TMemoryStream::~TMemoryStream() = default;

void TMemoryStream::SetCapacity(Int64 newCapacity) {
  if (newCapacity < Size()) newCapacity = Size();
  try {
    if (static_cast<UInt64>(newCapacity) > buffer_.max_size()) throw std::length_error("capacity");
    buffer_.resize(static_cast<std::size_t>(newCapacity));
    buffer_.shrink_to_fit();
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
  SetPointer(buffer_.data(), Size());
}

void TMemoryStream::growFor(Int64 newSize) {
  const Int64 capacity = Capacity();
  if (newSize <= capacity) return;
  Int64 wanted = newSize;
  if (wanted <= kInt64Max - kMemoryDelta) wanted = (wanted + kMemoryDelta - 1) / kMemoryDelta * kMemoryDelta;
  // Geometric growth keeps a long run of small writes linear.
  wanted = std::max(wanted, capacity + capacity / 2);
  try {
    if (static_cast<UInt64>(wanted) > buffer_.max_size()) throw std::length_error("capacity");
    buffer_.resize(static_cast<std::size_t>(wanted));
  } catch (const std::bad_alloc&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EStreamError(u"Out of memory while expanding memory stream");
  }
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) throw EStreamError(u"Invalid stream size");
  const Int64 oldSize = Size();
  growFor(newSize);
  // Bytes exposed by growing read as zero, even after an earlier shrink.
  if (newSize > oldSize)
    std::fill(buffer_.begin() + oldSize, buffer_.begin() + newSize, Byte{0});
  SetPointer(buffer_.data(), newSize);
  if (position_ > newSize) position_ = newSize;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (position_ < 0 || count <= 0) return 0;
  if (count > kInt64Max - position_) return 0;
  const Int64 end = position_ + count;
  if (end > Size()) {
    const Int64 pos = position_;
    SetSize(end);
    position_ = pos;
  }
  std::memcpy(buffer_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::Clear() {
  buffer_.clear();
  buffer_.shrink_to_fit();
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  const Int64 count = stream.Size();
  SetSize(count);
  if (count > 0) stream.ReadBuffer(buffer_.data(), count);
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// --- TBytesStream ------------------------------------------------------------

TBytesStream::TBytesStream(TBytes bytes) {
  buffer_ = std::move(bytes);
  SetPointer(buffer_.data(), static_cast<Int64>(buffer_.size()));
}

// --- TStringStream -----------------------------------------------------------

TStringStream::TStringStream(StringView text, TEncoding* encoding)
    : encoding_(encoding ? encoding : TEncoding::UTF8()) {
  buffer_ = encoding_->GetBytes(text);
  SetPointer(buffer_.data(), static_cast<Int64>(buffer_.size()));
}

TStringStream::TStringStream(TBytes bytes, TEncoding* encoding)
    : TBytesStream(std::move(bytes)), encoding_(encoding ? encoding : TEncoding::UTF8()) {}

String TStringStream::DataString() const {
  return encoding_->GetString(buffer_.data(), static_cast<std::size_t>(memorySize()));
}

String TStringStream::ReadString(Int64 count) {
  const Int64 n = std::clamp<Int64>(count, 0, Remaining());
  if (n == 0) return {};
  const Byte* start = static_cast<const Byte*>(Memory()) + position_;
  position_ += n;
  return encoding_->GetString(start, static_cast<std::size_t>(n));
}

void TStringStream::WriteString(StringView text) {
  const TBytes bytes = encoding_->GetBytes(text);
  WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

// --- TPointerStream ----------------------------------------------------------

TPointerStream::TPointerStream(const void* data, Int64 size) {
  // The memory is never written through: Write and SetSize refuse.
  SetPointer(const_cast<void*>(data), data ? std::max<Int64>(size, 0) : 0);
}

Int64 TPointerStream::Write(const void*, Int64) {
  throw EStreamError(u"Can't write to a read-only memory stream");
}

void TPointerStream::SetSize(Int64) {
  throw EStreamError(u"Can't write to a read-only memory stream");
}

// --- TResourceStream ---------------------------------------------------------

namespace {
const TResourceEntry& findResourceOrRaise(StringView resName, StringView resType) {
  const TResourceEntry* entry = FindResource(resType, resName);
  if (!entry) throw EResNotFound(u"Resource " + String(resName) + u" not found");
  return *entry;
}
}  // namespace

TResourceStream::TResourceStream(StringView resName, StringView resType)
    : TPointerStream(findResourceOrRaise(resName, resType).Data,
                     static_cast<Int64>(findResourceOrRaise(resName, resType).Size)) {}

// --- THandleStream / TFileStream ---------------------------------------------

Int64 THandleStream::Read(void* buffer, Int64 count) {
  Int64 done = 0;
  auto* out = static_cast<char*>(buffer);
  while (done < count) {
    const ssize_t n = ::read(handle_, out + done, static_cast<std::size_t>(std::min<Int64>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
  Int64 done = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (done < count) {
    const ssize_t n = ::write(handle_, in + done, static_cast<std::size_t>(std::min<Int64>(count - done, 1 << 30)));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
  int whence = SEEK_SET;
  if (origin == soCurrent) whence = SEEK_CUR;
  if (origin == soEnd) whence = SEEK_END;
  const off_t pos = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (pos < 0) throw EStreamError(u"Invalid stream position. " + osMessage(errno));
  return static_cast<Int64>(pos);
}

void THandleStream::SetSize(Int64 newSize) {
  if (newSize < 0 || ::ftruncate(handle_, static_cast<off_t>(newSize)) != 0)
    throw EStreamError(u"Stream size cannot be changed. " + osMessage(newSize < 0 ? EINVAL : errno));
  // Keep the position inside the file, as shrinking a file does elsewhere.
  if (Position() > newSize) Seek(newSize, soBeginning);
}

TFileStream::TFileStream(const String& fileName, Word mode) : TFileStream(fileName, mode, 0666) {}

TFileStream::TFileStream(const String& fileName, Word mode, Cardinal rights)
    : THandleStream(-1), fileName_(fileName) {
  const std::string path = StringToUtf8(fileName);
  if ((mode & fmCreate) == fmCreate) {
    handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(rights));
    if (handle_ < 0)
      throw EFCreateError(u"Cannot create file \"" + fileName + u"\". " + osMessage(errno));
    return;
  }
  int flags = O_RDONLY;
  switch (mode & 0x3) {
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    default: flags = O_RDONLY; break;
  }
  handle_ = ::open(path.c_str(), flags | O_CLOEXEC);
  if (handle_ >= 0) {
    // Opening a folder succeeds on POSIX but is no file to stream.
    struct stat st {};
    if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(handle_);
      handle_ = -1;
      errno = EISDIR;
    }
  }
  if (handle_ < 0) throw EFOpenError(u"Cannot open file \"" + fileName + u"\". " + osMessage(errno));
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

}  // namespace rtl
