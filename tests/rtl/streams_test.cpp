#include "platform/rtl/streams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/rtl/encoding.h"
#include "platform/rtl/except.h"
#include "platform/rtl/ustring.h"
#include "tests/support/test_support.h"

namespace rtl {
namespace {

using testing_support::TempDir;

String PathString(const std::filesystem::path& p) { return Utf8ToString(p.string()); }

std::string Contents(TCustomMemoryStream& s) {
  return std::string(static_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

template <class E>
String MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  ADD_FAILURE() << "no exception";
  return {};
}

// --- memory streams ----------------------------------------------------------

TEST(MemoryStream, WriteSeekReadRoundTrip) {
  TMemoryStream s;
  s.WriteBuffer("hello world", 11);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Position(), 11);
  EXPECT_EQ(s.Seek(-5, soEnd), 6);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 5);  // short read returns the count, no error
  EXPECT_EQ(std::string(buf, 5), "world");
  EXPECT_EQ(s.Read(buf, 8), 0);
  EXPECT_EQ(s.Seek(-3, soCurrent), 8);
  s.SetPosition(0);
  EXPECT_EQ(s.Remaining(), 11);
}

TEST(MemoryStream, SeekBeyondEndThenWriteFillsGapWithZeros) {
  TMemoryStream s;
  s.WriteBuffer("ab", 2);
  EXPECT_EQ(s.Seek(10, soBeginning), 10);
  EXPECT_EQ(s.Size(), 2);  // seeking alone does not grow the stream
  char b;
  EXPECT_EQ(s.Read(&b, 1), 0);
  EXPECT_EQ(s.Remaining(), 0);
  s.WriteBuffer("z", 1);
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(Contents(s), std::string("ab") + std::string(8, '\0') + "z");
}

TEST(MemoryStream, SetSizeShrinksAndGrowsWithZeros) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);  // position follows a shrink
  EXPECT_EQ(Contents(s), "ab");
  s.SetSize(5);  // old bytes "cde" must not reappear
  EXPECT_EQ(Contents(s), std::string("ab\0\0\0", 5));
  EXPECT_THROW(s.SetSize(-1), EStreamError);
}

TEST(MemoryStream, GrowsAcrossManySmallWritesAndClears) {
  TMemoryStream s;
  for (int i = 0; i < 100000; ++i) s.WriteByte(static_cast<Byte>(i));
  EXPECT_EQ(s.Size(), 100000);
  EXPECT_GE(s.Capacity(), 100000);
  s.SetPosition(99999);
  EXPECT_EQ(s.ReadByte(), static_cast<Byte>(99999));
  s.Clear();
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.Capacity(), 0);
}

TEST(MemoryStream, ReadBufferAndWriteBufferRaiseOnShortTransfer) {
  TMemoryStream s;
  s.WriteBuffer("abc", 3);
  s.SetPosition(1);
  char buf[4];
  EXPECT_EQ(MessageOf<EReadError>([&] { s.ReadBuffer(buf, 3); }), u"Stream read error");
  TPointerStream ro("xyz", 3);
  EXPECT_THROW(ro.WriteBuffer("q", 1), EStreamError);
  EXPECT_THROW(ro.SetSize(1), EStreamError);
}

TEST(MemoryStream, SaveAndLoadThroughStreamsAndFiles) {
  TempDir dir;
  TMemoryStream a;
  a.WriteBuffer("payload", 7);
  a.SetPosition(3);  // saving ignores the position
  const String file = PathString(dir / "m.bin");
  a.SaveToFile(file);
  EXPECT_EQ(testing_support::ReadFile(dir / "m.bin"), "payload");

  TMemoryStream b;
  b.WriteBuffer("old contents that are longer", 28);
  b.LoadFromFile(file);
  EXPECT_EQ(Contents(b), "payload");
  EXPECT_EQ(b.Position(), 0);

  TMemoryStream c;
  a.SetPosition(5);  // loading reads the source from its start
  c.LoadFromStream(a);
  EXPECT_EQ(Contents(c), "payload");
  TMemoryStream d;
  c.SaveToStream(d);
  EXPECT_EQ(Contents(d), "payload");
}

// --- little-endian helpers --------------------------------------------------

TEST(StreamHelpers, IntegersAreLittleEndian) {
  TMemoryStream s;
  s.WriteInt8(-2);
  s.WriteWord(0x1234);
  s.WriteInt16(-32768);
  s.WriteUInt32(0xA1B2C3D4u);
  s.WriteInt64(-2);
  s.WriteDouble(1.0);
  s.WriteSingle(-1.5f);
  const std::string expected = std::string("\xFE", 1) + "\x34\x12" + std::string("\x00\x80", 2) +
                               "\xD4\xC3\xB2\xA1" + std::string(8, '\xFF').replace(0, 1, "\xFE") +
                               std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8) +
                               std::string("\x00\x00\xC0\xBF", 4);
  EXPECT_EQ(Contents(s), expected);
  s.SetPosition(0);
  EXPECT_EQ(s.ReadInt8(), -2);
  EXPECT_EQ(s.ReadWord(), 0x1234);
  EXPECT_EQ(s.ReadInt16(), -32768);
  EXPECT_EQ(s.ReadUInt32(), 0xA1B2C3D4u);
  EXPECT_EQ(s.ReadInt64(), -2);
  EXPECT_EQ(s.ReadDouble(), 1.0);
  EXPECT_EQ(s.ReadSingle(), -1.5f);
  EXPECT_THROW(s.ReadByte(), EReadError);
}

// --- CopyFrom ------------------------------------------------------------------

TEST(StreamCopy, CountZeroCopiesWholeSourceFromItsStart) {
  TStringStream src(u"0123456789");
  src.SetPosition(7);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(src, 0), 10);
  EXPECT_EQ(Contents(dst), "0123456789");
}

TEST(StreamCopy, CountCopiesFromThePositionAndRaisesWhenSourceIsShort) {
  TStringStream src(u"0123456789");
  src.SetPosition(2);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 3), 3);
  EXPECT_EQ(Contents(dst), "234");
  EXPECT_EQ(src.Position(), 5);
  EXPECT_THROW(dst.CopyFrom(src, 6), EReadError);
}

TEST(StreamCopy, LargeCopySpansSeveralChunks) {
  TMemoryStream src;
  std::string data(300000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  src.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
  TMemoryStream dst;
  dst.CopyFrom(src, 0);
  EXPECT_EQ(Contents(dst), data);
}

// --- bytes, string and pointer streams ---------------------------------------

TEST(BytesStream, StartsWithTheGivenBytesAndGrows) {
  TBytesStream s(TBytes{1, 2, 3});
  EXPECT_EQ(s.Size(), 3);
  EXPECT_EQ(s.Position(), 0);
  EXPECT_EQ(s.ReadByte(), 1);
  s.Seek(0, soEnd);
  s.WriteByte(4);
  EXPECT_EQ(s.Size(), 4);
  ASSERT_GE(s.Bytes().size(), 4u);
  EXPECT_EQ(s.Bytes()[3], 4);
}

TEST(StringStream, EncodesTextInItsEncoding) {
  const String text = u"A\u00E7\u20AC";  // "Aç€"
  struct Case {
    TEncoding* encoding;
    std::string bytes;
  } cases[] = {
      {nullptr, "A\xC3\xA7\xE2\x82\xAC"},  // UTF-8 unless told otherwise
      {TEncoding::UTF8(), "A\xC3\xA7\xE2\x82\xAC"},
      {TEncoding::ANSI(), "A\xE7\x80"},
      {TEncoding::Unicode(), std::string("A\0\xE7\0\xAC\x20", 6)},
      {TEncoding::BigEndianUnicode(), std::string("\0A\0\xE7\x20\xAC", 6)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    TStringStream s(text, c.encoding);
    EXPECT_EQ(Contents(s), c.bytes);
    EXPECT_EQ(s.DataString(), text);
    EXPECT_EQ(s.Position(), 0);
  }
}

TEST(StringStream, ReadStringAndWriteStringMoveThePosition) {
  TStringStream s(u"hello");
  EXPECT_EQ(s.ReadString(2), u"he");
  EXPECT_EQ(s.ReadString(100), u"llo");
  EXPECT_EQ(s.ReadString(1), u"");
  s.WriteString(u" w\u00F6rld");
  EXPECT_EQ(s.DataString(), u"hello w\u00F6rld");
  EXPECT_EQ(s.Size(), 12);  // ö takes two bytes in UTF-8
}

TEST(PointerStream, ReadsExternalMemoryWithoutCopying) {
  static const char data[] = "resource";
  TPointerStream s(data, 8);
  EXPECT_EQ(s.Memory(), static_cast<const void*>(data));
  EXPECT_EQ(s.Size(), 8);
  s.Seek(4, soBeginning);
  char buf[4];
  s.ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "urce");
  EXPECT_EQ(ReadAllBytes(s).size(), 0u);
  s.SetPosition(6);
  EXPECT_EQ(ReadAllBytes(s), (TBytes{'c', 'e'}));
}

// --- file streams ---------------------------------------------------------------

TEST(FileStream, CreateWriteReopenAndRead) {
  TempDir dir;
  const String file = PathString(dir / "f.dat");
  {
    TFileStream out(file, fmCreate);
    EXPECT_EQ(out.FileName(), file);
    out.WriteUInt32(0xCAFEBABE);
    out.WriteBuffer("tail", 4);
    EXPECT_EQ(out.Size(), 8);
  }
  TFileStream in(file, fmOpenRead | fmShareDenyWrite);
  EXPECT_EQ(in.Size(), 8);
  EXPECT_EQ(in.ReadUInt32(), 0xCAFEBABEu);
  EXPECT_EQ(in.Remaining(), 4);
  EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);  // opened for reading only
  char buf[8];
  EXPECT_EQ(in.Read(buf, 8), 4);
}

TEST(FileStream, CreateTruncatesAndSeekBeyondEndExtends) {
  TempDir dir;
  testing_support::WriteFile(dir / "g.dat", "previous contents");
  const String file = PathString(dir / "g.dat");
  {
    TFileStream f(file, fmCreate);
    EXPECT_EQ(f.Size(), 0);
    f.Seek(4, soBeginning);
    f.WriteBuffer("x", 1);
  }
  EXPECT_EQ(testing_support::ReadFile(dir / "g.dat"), std::string("\0\0\0\0x", 5));
  TFileStream rw(file, fmOpenReadWrite);
  rw.SetSize(2);
  EXPECT_EQ(rw.Size(), 2);
  rw.Seek(0, soEnd);
  rw.WriteBuffer("yz", 2);
  EXPECT_EQ(rw.Size(), 4);
}

TEST(FileStream, NonAsciiNamesAreUtf8OnDisk) {
  TempDir dir;
  const String file = PathString(dir.path()) + u"/rel\u00F3gio \u20AC.txt";
  TFileStream(file, fmCreate).WriteBuffer("ok", 2);
  EXPECT_EQ(testing_support::ReadFile(dir / "rel\xC3\xB3gio \xE2\x82\xAC.txt"), "ok");
}

TEST(FileStream, OpenAndCreateErrorsNameTheFileAndTheReason) {
  TempDir dir;
  const String missing = PathString(dir / "missing.dat");
  const String openMsg = MessageOf<EFOpenError>([&] { TFileStream f(missing, fmOpenRead); });
  EXPECT_EQ(openMsg.rfind(u"Cannot open file \"" + missing + u"\". ", 0), 0u);
  EXPECT_GT(openMsg.size(), missing.size() + 21);  // the OS reason follows

  const String badDir = PathString(dir / "no" / "such" / "x.dat");
  const String createMsg = MessageOf<EFCreateError>([&] { TFileStream f(badDir, fmCreate); });
  EXPECT_EQ(createMsg.rfind(u"Cannot create file \"" + badDir + u"\". ", 0), 0u);

  EXPECT_THROW(TFileStream(PathString(dir.path()), fmOpenRead), EFOpenError);
  // Both are stream errors, so callers may catch them together.
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST(FileStream, MemoryStreamLoadFromMissingFileRaisesOpenError) {
  TempDir dir;
  TMemoryStream s;
  s.WriteBuffer("keep", 4);
  EXPECT_THROW(s.LoadFromFile(PathString(dir / "none")), EFOpenError);
  EXPECT_EQ(Contents(s), "keep");  // a failed load loses nothing
}

}  // namespace
}  // namespace rtl

namespace rtl {
namespace {

TEST(ResourceStream, ReadsACompiledInResourceOrRaises) {
  TResourceStream s(u"hello", u"TEXT");
  const TBytes bytes = ReadAllBytes(s);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind("Hello, resources!", 0), 0u);
  EXPECT_THROW(s.WriteBuffer("x", 1), EStreamError);
  EXPECT_THROW(TResourceStream(u"no-such-resource", u"TEXT"), EResNotFound);
}

}  // namespace
}  // namespace rtl
