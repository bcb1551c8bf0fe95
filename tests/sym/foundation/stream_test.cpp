#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sym/foundation/symstream.h"

namespace {
using Bytes = std::vector<BYTE>;

template <class F>
Bytes Written(F&& write) {
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  write(out);
  return mem.GetBytes();
}

Bytes Hex(const char* text) {
  Bytes b;
  for (const char* p = text; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    b.push_back(static_cast<BYTE>(std::stoi(std::string(p, 2), nullptr, 16)));
    p += 2;
  }
  return b;
}

// A picture record of a 2 x 1 bitmap: a red pixel and a transparent one.
SPictureInfo* TwoPixelPicture() {
  auto* bitmap = new Gdiplus::Bitmap(2, 1);
  bitmap->SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
  bitmap->SetPixel(1, 0, Gdiplus::Color(0, 0, 0, 0));
  return SPictureManager().AddBitmap(bitmap, SString(), 0, SString(), SBlob());
}
}  // namespace

TEST(SSymStream, BytesOfEachValue) {
  struct {
    Bytes bytes;
    const char* hex;
    const char* what;
  } cases[] = {
      {Written([](auto& o) { o << SString(); }), "01 00", "empty string"},
      {Written([](auto& o) { o << SString("ab\xC3\xA9"); }), "05 61 62 C3 A9 00", "UTF-8 string"},
      {Written([](auto& o) { o << SSymPen(2, 15, SSymColor(0x0000FF)); }), "FF 00 00 02 0F 00 00 00", "pen"},
      {Written([](auto& o) { o << SSymBrush(3, SSymColor(0x123456)); }), "56 34 12 23", "hatched brush"},
      {Written([](auto& o) { o << SSymBrush(); }), "FF FF FF 10", "solid brush"},
      {Written([](auto& o) { o << SSymBrush(4, 0, SSymColor(0xFFFFFF)); }), "FF FF FF 40", "hollow brush"},
      {Written([](auto& o) { o << SSymBrush(6, 0, SSymColor(0x01000002)); }), "02 00 00 60", "gradient"},
      {Written([](auto& o) { o << SSymBrush(3, 0, SSymColor(0x10)); }), "10 00 00 30", "pattern, no picture"},
      {Written([](auto& o) { o << SSymColor(0x00332211); }), "11 22 33 00", "colour"},
      {Written([](auto& o) { o << SSymFont(SString("Arial"), 8, 6); }), "0B 41 72 69 61 6C 2C 38 2C 42 49 00",
       "font"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.bytes, Hex(c.hex)) << c.what;

  // A pattern brush with a picture: the word, then the picture as a bitmap file.
  const Bytes pic = Written([](auto& o) {
    SSymBrush b(3, 0, SSymColor(0x10));
    b.SetPicture(TwoPixelPicture());
    o << b;
  });
  ASSERT_GT(pic.size(), 4u + 54u);
  EXPECT_EQ(Bytes(pic.begin(), pic.begin() + 6), Hex("10 00 00 30 42 4D"));
  EXPECT_EQ(pic[6] | (pic[7] << 8), static_cast<int>(pic.size() - 4));  // the file's own size
}

TEST(SSymStream, NamedValueBytes) {
  SOutputGlobal mem;
  SSymOutputStreamBinary bin(mem);
  bin.Write(SString("Rect"), SSymRect(10, 20, 30, 5));
  bin.Write(SString("Rect"), SSymRect(30, 5, 10, 20));  // any corner order writes the same
  bin.Write(SString("Pen"), SSymPen(2, 15, SSymColor(0x0000FF)));
  bin.Write(SString("Color"), SSymColor(0x123456));
  bin.Write(SString("Flag"), true);
  bin.Write(SString("Flag"), false);
  EXPECT_EQ(mem.GetBytes(), Hex("0A000000 14000000 1E000000 05000000 0A000000 14000000 1E000000 05000000"
                                "02000000 0F000000 FF000000 56341200 01 00"));

  SOutputGlobal text;
  SSymOutputStreamText txt(text);
  txt.Write(SString("Rect"), SSymRect(30, 5, 10, 20));
  txt.Write(SString("Pen"), SSymPen(2, 15, SSymColor(0x0000FF)));
  txt.Write(SString("Color"), SSymColor(0x123456));
  txt.Write(SString("Flag"), true);
  const std::string s(text.GetBytes().begin(), text.GetBytes().end());
  EXPECT_EQ(s, "(Rect (10, 20) (30, 5))\r\n2 15 255, 0, 0\r\n86, 52, 18\r\n1\r\n");
}

TEST(SSymStream, NamedValuesComeBackAsWritten) {
  for (int text = 0; text < 2; ++text) {
    SOutputGlobal mem;
    std::unique_ptr<SSymOutputStreamNamed> out;
    if (text)
      out = std::make_unique<SSymOutputStreamText>(mem);
    else
      out = std::make_unique<SSymOutputStreamBinary>(mem);
    out->Write(SString("Rect"), SSymRect(10, 20, 30, 5));
    out->Write(SString("Pen"), SSymPen(5, 300, SSymColor(0x00A0B0C0)));
    out->Write(SString("Color"), SSymColor(0x123456));
    out->Write(SString("On"), true);
    out->Write(SString("Off"), false);

    SInputGlobal src(mem.GetBytes());
    std::unique_ptr<SSymInputStreamNamed> in;
    if (text)
      in = std::make_unique<SSymInputStreamText>(src);
    else
      in = std::make_unique<SSymInputStreamBinary>(src);
    SSymRect r;
    SSymPen p;
    SSymColor c;
    bool on = false, off = true;
    in->Read(SString("Rect"), r);
    in->Read(SString("Pen"), p);
    in->Read(SString("Color"), c);
    in->Read(SString("On"), on);
    in->Read(SString("Off"), off);
    EXPECT_EQ(r, SSymRect(10, 20, 30, 5)) << "text " << text;  // not upside down
    EXPECT_EQ(p, SSymPen(5, 300, SSymColor(0x00A0B0C0))) << "text " << text;
    EXPECT_EQ(c.GetColor(), 0x123456u) << "text " << text;
    EXPECT_TRUE(on) << "text " << text;
    EXPECT_FALSE(off) << "text " << text;
    EXPECT_EQ(src.GetAvailable(), 0u) << "text " << text;  // each reader consumed its value
    EXPECT_THROW(in->Read(SString("More"), on), SEEOFException);
  }
}

TEST(SSymStream, TextReaderLeavesValuesOnForeignLines) {
  const char lines[] = "(Other (1, 2) (3, 4))\r\nnot a colour\r\nmaybe\r\n(Rect (1, 2) (3))\n";
  SInputBuffer src(lines, sizeof lines - 1);
  SSymInputStreamText in(src);
  SSymRect r(7, 7, 7, 7);
  SSymColor c(0x42);
  bool b = true;
  in.Read(SString("Rect"), r);
  in.Read(SString("Color"), c);
  in.Read(SString("Flag"), b);
  in.Read(SString("Rect"), r);
  EXPECT_EQ(r, SSymRect(7, 7, 7, 7));
  EXPECT_EQ(c.GetColor(), 0x42u);
  EXPECT_TRUE(b);
}

TEST(SSymStream, EveryValueRoundTrips) {
  SSymFont font(SString("Times New Roman"), 14, 1 | 2 | 16);
  std::vector<SSymBrush> brushes;
  for (LONG style : {1, 2, 4, 5, 6, 7, 8}) brushes.emplace_back(style, style == 2 ? 6 : 0, SSymColor(0x00ABCDEF));
  const SString texts[] = {SString(), SString("x"), SString(u"\u00E9\u4E2D\U0001F600"), SString(std::string(254, 'a')),
                           SString(std::string(255, 'b')), SString(std::string(300, 'c')),
                           SString(std::string(511, 'd')), SString(std::string(70000, 'e'))};
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << SSymPen(7, 0, SSymColor(0xFFFFFF)) << SSymColor(0x010203) << font;
  for (const auto& b : brushes) out << b;
  for (const auto& t : texts) out << t << DWORD(0xCAFEF00D);

  SInputGlobal src(mem.GetBytes());
  SSymInputStream in(src);
  SSymPen pen;
  SSymColor color;
  SSymFont f;
  in >> pen >> color >> f;
  EXPECT_EQ(pen, SSymPen(7, 0, SSymColor(0xFFFFFF)));
  EXPECT_EQ(color.GetColor(), 0x010203u);
  EXPECT_EQ(f, font);
  for (const auto& b : brushes) {
    SSymBrush r(0, 0, SSymColor(0));
    in >> r;
    EXPECT_EQ(r.GetStyle(), b.GetStyle());
    EXPECT_EQ(r.GetHatch(), b.GetHatch());  // hatched brushes keep their hatch
    EXPECT_EQ(r.GetColor().GetColor(), b.GetColor().GetColor());
  }
  for (const auto& t : texts) {
    SString r(u"stale");
    DWORD next = 0;
    in >> r >> next;
    EXPECT_EQ(r, t) << t.GetLength();
    EXPECT_EQ(next, 0xCAFEF00Du) << "the field after a text of " << t.GetLength();
  }
  EXPECT_EQ(in.GetAvailable(), 0u);
}

TEST(SSymStream, BrushKindsAndPatternPictures) {
  struct {
    BYTE top;
    LONG style, hatch;
  } kinds[] = {{0x00, 1, 9}, {0x90, 1, 9}, {0xF0, 1, 9}, {0x80, 8, 9}, {0x23, 2, 3}, {0x2F, 2, 15}, {0x45, 4, 9}};
  for (const auto& k : kinds) {
    const BYTE bytes[4] = {0x11, 0x22, 0x33, k.top};
    SInputBuffer src(bytes, 4);
    SSymInputStream in(src);
    SSymBrush b(7, 9, SSymColor(0));
    in >> b;
    EXPECT_EQ(b.GetStyle(), k.style) << int(k.top);
    EXPECT_EQ(b.GetHatch(), k.hatch) << int(k.top);
    EXPECT_EQ(b.GetColor().GetColor(), 0x332211u);
  }

  SSymBrush withPicture(3, 0, SSymColor(0x102030));
  withPicture.SetPicture(TwoPixelPicture());
  const SSymBrush without(3, 0, SSymColor(0x20));
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << withPicture << without << DWORD(0xCAFEF00D);
  SInputGlobal src(mem.GetBytes());
  SSymInputStream in(src);
  SSymBrush a, b;
  DWORD next = 0;
  in >> a >> b >> next;
  EXPECT_EQ(a.GetStyle(), 3);
  ASSERT_TRUE(a.HasPicture());
  Gdiplus::Bitmap* bitmap = a.GetPicture()->GetBitmap();
  ASSERT_NE(bitmap, nullptr);
  Gdiplus::Color left, right;
  bitmap->GetPixel(0, 0, &left);
  bitmap->GetPixel(1, 0, &right);
  EXPECT_EQ(left.GetValue(), 0xFFFF0000u);
  EXPECT_EQ(right.GetValue(), 0xFF302010u);  // the brush colour shows through, opaque
  EXPECT_EQ(b.GetStyle(), 1);  // written without a picture: nothing of the next field is taken
  EXPECT_FALSE(b.HasPicture());
  EXPECT_EQ(next, 0xCAFEF00Du);

  // A bitmap file that claims more bytes than there are, or is no bitmap:
  // a solid brush, and the bytes stay for the next field.
  struct {
    Bytes bytes;
    const char* what;
  } bad[] = {{Hex("10000030 424D FFFF0000 00000000 36000000 CDAB"), "file larger than the stream"},
             {Hex("10000030 424D 10000000 00000000 36000000 CDAB"), "file smaller than its header"},
             {Hex("10000030 CDAB"), "no bitmap at all"}};
  for (const auto& c : bad) {
    SInputGlobal s2(c.bytes);
    SSymInputStream in2(s2);
    SSymBrush r;
    in2 >> r;
    EXPECT_EQ(r.GetStyle(), 1) << c.what;
    EXPECT_EQ(s2.GetPosition(), 4u) << c.what;
  }
}

// What the stream form carries of a brush and a pen beyond their kind and
// colour: a brush's bitmap mode in the bits older readers ignore; not its
// gradient mode or end colour, nor a pen's cap and join bits (the named
// value writers keep those).
TEST(SSymStream, BitmapModeTravelsInTheBrushWordOthersDoNot) {
  struct {
    LONG style, mode;
    BYTE top;
  } cases[] = {{5, 0, 0x51}, {5, 8, 0x59}, {7, 11, 0x7C}, {1, 12, 0x10}, {6, 3, 0x64}, {5, 13, 0x50}, {5, -1, 0x50}};
  for (const auto& c : cases) {
    SSymBrush b(c.style, 0, SSymColor(0x123456));
    b.SetBitmapMode(c.mode);
    b.SetGradientMode(0x1004);
    b.SetEndColor(SSymColor(0x00FF00));
    SOutputGlobal mem;
    SSymOutputStream out(mem);
    out << b;
    ASSERT_EQ(mem.GetSize(), 4u);
    EXPECT_EQ(mem.GetBytes()[3], c.top) << c.mode;
    SInputGlobal src(mem.GetBytes());
    SSymInputStream in(src);
    SSymBrush r;
    in >> r;
    EXPECT_EQ(r.GetStyle(), c.style);
    EXPECT_EQ(r.GetBitmapMode(), c.mode >= 0 && c.mode <= 12 ? c.mode : 12) << c.mode;
    EXPECT_EQ(r.GetGradientMode(), 0);  // not in the stream form
    EXPECT_EQ(r.GetEndColor().GetColor(), 0x767676u);
  }
  // A pen's cap and join bits: dropped by the stream form, kept by the named values.
  const SSymPen capped(0x0202, 15, SSymColor(0xFF));
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << capped;
  SInputGlobal src(mem.GetBytes());
  SSymInputStream in(src);
  SSymPen r;
  in >> r;
  EXPECT_EQ(r.m_style, 2);
  SOutputGlobal named;
  SSymOutputStreamBinary bin(named);
  bin.Write(SString("Pen"), capped);
  SInputGlobal namedSrc(named.GetBytes());
  SSymInputStreamBinary binIn(namedSrc);
  binIn.Read(SString("Pen"), r);
  EXPECT_EQ(r, capped);
}

TEST(SSymStream, WrappedCountBytes) {
  const SString long300(std::string(300, 'x'));
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << long300;
  ASSERT_EQ(mem.GetSize(), 302u);
  EXPECT_EQ(mem.GetBytes()[0], 45);  // 301 modulo 256

  SInputGlobal a(mem.GetBytes());
  SSymInputStream inA(a);
  SString viaText;
  inA.ReadSymText(viaText);
  EXPECT_EQ(viaText, long300);

  // A count of 0 with too few bytes for a wrapped text: the older form reads empty.
  const BYTE zero[3] = {0, 'a', 0};
  SInputBuffer b(zero, 3);
  SSymInputStream inB(b);
  SString t(u"stale");
  inB.ReadSymText(t);
  EXPECT_TRUE(t.IsEmpty());
  SInputBuffer c(zero, 3);
  SSymInputStream inC(c);
  EXPECT_THROW(inC >> t, SEEOFException);

  // A text cut short, or a count larger than what is there, throws; the
  // older form takes a text whose zero is missing at the end as it is.
  struct {
    Bytes bytes;
    const char* symText;  // null: throws
    const char* what;
  } shorts[] = {{Hex("05 61 62"), nullptr, "count beyond the end"},
                {Hex("2D 78 78 78"), nullptr, "wrapped text cut short"},
                {Hex(""), nullptr, "no count byte"},
                {Hex("02 61 62"), "ab", "no zero where the count ends, and no more bytes"}};
  for (const auto& s : shorts) {
    SInputGlobal src(s.bytes);
    SSymInputStream in(src);
    SString x;
    EXPECT_THROW(in >> x, SEEOFException) << s.what;
    SInputGlobal src2(s.bytes);
    SSymInputStream in2(src2);
    if (s.symText) {
      in2.ReadSymText(x);
      EXPECT_EQ(x, s.symText) << s.what;
    } else {
      EXPECT_THROW(in2.ReadSymText(x), SEEOFException) << s.what;
    }
  }
}

TEST(SSymStream, ShortReadsThrowForEveryReader) {
  SOutputGlobal mem;
  SSymOutputStream out(mem);
  out << SSymPen(2, 15, SSymColor(0xFF)) << SSymBrush(3, SSymColor(1)) << SSymColor(5)
      << SSymFont(SString("Arial"), 9, 1) << SString("text");
  const Bytes all = mem.GetBytes();
  for (std::size_t n = 0; n < all.size(); ++n) {
    SInputBuffer src(all.data(), n);
    SSymInputStream in(src);
    SSymPen p;
    SSymBrush b;
    SSymColor c;
    SSymFont f;
    SString s;
    EXPECT_THROW(in >> p >> b >> c >> f >> s, SEEOFException) << n;
  }
  const Bytes named = Hex("0A000000 14000000 1E000000 05000000 02000000 0F000000 FF000000 01");
  for (std::size_t n = 0; n < named.size(); ++n) {
    SInputBuffer src(named.data(), n);
    SSymInputStreamBinary in(src);
    SSymRect r;
    SSymPen p;
    bool b;
    try {
      in.Read(SString("R"), r);
      in.Read(SString("P"), p);
      in.Read(SString("B"), b);
      ADD_FAILURE() << n;
    } catch (const SEEOFException& e) {
      const bool inLongs = n < 24;
      EXPECT_EQ(e.GetLine(), inLongs ? 1220 : n < 28 ? 1221 : 1218) << n;
    }
  }
}
