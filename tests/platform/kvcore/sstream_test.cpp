#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "kvcore/sblob.h"
#include "kvcore/sstream.h"
#include "support/temp_files.h"

TEST(SStream, LittleEndianWordsRoundTrip) {
  SOutputGlobal mem;
  SOutputBinaryStream out(mem);
  out << BYTE(0xAB) << SHORT(-2) << LONG(-3) << DWORD(0x01020304u) << LONGLONG(-5) << 1.5 << true;
  const std::vector<BYTE> expected = {0xAB, 0xFE, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01,
                                      0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,
                                      0,    0,    0,    0xF8, 0x3F, 0x01};
  EXPECT_EQ(mem.GetBytes(), expected);

  SInputGlobal src(mem.GetBytes());
  SInputBinaryStream in(src);
  EXPECT_EQ(in.GetAvailable(), expected.size());
  BYTE b;
  SHORT s;
  LONG l;
  DWORD d;
  LONGLONG q;
  double f;
  bool t;
  in >> b >> s >> l >> d >> q >> f >> t;
  EXPECT_EQ(b, 0xAB);
  EXPECT_EQ(s, -2);
  EXPECT_EQ(l, -3);
  EXPECT_EQ(d, 0x01020304u);
  EXPECT_EQ(q, -5);
  EXPECT_EQ(f, 1.5);
  EXPECT_TRUE(t);
  EXPECT_EQ(in.GetAvailable(), 0u);
}

TEST(SStream, ShortReadsThrowEndOfStreamWithTheOperatorText) {
  const BYTE three[3] = {1, 2, 3};
  struct {
    int kind;
    const char* function;
    int line;
  } cases[] = {
      {0, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(unsigned long &)", 1221},
      {1, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(long &)", 1220},
      {2, "class SInputBinaryStream &__thiscall SInputBinaryStream::operator >>(unsigned char &)", 1218},
  };
  for (const auto& c : cases) {
    SInputBuffer buf(three, c.kind == 2 ? 0 : 3);
    SInputBinaryStream in(buf);
    try {
      if (c.kind == 0) {
        DWORD v;
        in >> v;
      } else if (c.kind == 1) {
        LONG v;
        in >> v;
      } else {
        BYTE v;
        in >> v;
      }
      ADD_FAILURE() << "no exception for kind " << c.kind;
    } catch (const SEEOFException& e) {
      EXPECT_EQ(e.GetFunction(), c.function);
      EXPECT_EQ(e.GetFile(), "core/h/sstream");
      EXPECT_EQ(e.GetLine(), c.line);
    }
  }
}

TEST(SStream, MemoryPositionsAndNullBuffers) {
  SInputBuffer none(nullptr, 10);
  EXPECT_EQ(none.GetAvailable(), 0u);
  const BYTE data[4] = {1, 2, 3, 4};
  SInputBuffer in(data, 4);
  BYTE two[2];
  EXPECT_EQ(in.Read(two, 2), 2u);
  EXPECT_EQ(in.GetAvailable(), 2u);
  EXPECT_FALSE(in.SetPosition(5));
  EXPECT_TRUE(in.SetPosition(1));
  BYTE rest[9];
  EXPECT_EQ(in.Read(rest, sizeof rest), 3u);  // reads only what is left
  EXPECT_EQ(rest[0], 2);
}

TEST(SStream, TextStreamEncodingsAndFiles) {
  SOutputGlobal wide;
  SOutputStringStream s16(wide, SOutputStringStream::EncodingUtf16);
  s16 << "A\xC3\xA9";
  EXPECT_EQ(wide.GetBytes(), (std::vector<BYTE>{'A', 0, 0xE9, 0}));
  EXPECT_EQ(s16.GetText(), "A\xC3\xA9");

  kvtest::TempDir dir("kv_sstream");
  const auto path = dir.path / "kv_sstream_test.bin";
  {
    SOutputFile file(SString(path.string()), 1);
    SOutputStringStream s8(file);
    s8 << "A\xC3\xA9";
  }
  SBlob blob;
  ASSERT_TRUE(blob.ReadFromFile(SString(path.string())));
  EXPECT_EQ(blob.GetBytes(), (std::vector<BYTE>{'A', 0xC3, 0xA9}));
  EXPECT_FALSE(blob.ReadFromFile(SString("/nonexistent/kv/file")));
  EXPECT_EQ(blob.GetSize(), 3u);  // unchanged by the failed read
  EXPECT_THROW(SInputFile(SString("/nonexistent/kv/file")), SEIOException);
  EXPECT_THROW(SOutputFile(SString("/nonexistent/kv/file"), 1), SEIOException);
}

TEST(SBlob, CompareOrdersBytesThenLength) {
  const BYTE a[] = {1, 2, 3}, b[] = {1, 2, 4};
  struct {
    SBlob x, y;
    int result;
  } cases[] = {{SBlob(a, 3), SBlob(a, 3), 0}, {SBlob(a, 3), SBlob(b, 3), -1}, {SBlob(b, 3), SBlob(a, 3), 1},
               {SBlob(a, 2), SBlob(a, 3), -1}, {SBlob(), SBlob(), 0},        {SBlob(a, 1), SBlob(), 1}};
  for (const auto& c : cases) EXPECT_EQ(c.x.Compare(c.y), c.result);
  EXPECT_EQ(SBlob().LockForRead(), nullptr);
  SOutputGlobal mem;
  mem.Write(a, 3);
  SInputGlobal in(mem.GetBlob());
  EXPECT_EQ(in.GetAvailable(), 3u);
}
