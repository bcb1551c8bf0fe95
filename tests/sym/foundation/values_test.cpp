#include <gtest/gtest.h>

#include "sym/foundation/symvalues.h"

namespace {
// Pretends a screen of the given colour depth for the life of the scope.
struct ScreenBits {
  explicit ScreenBits(int bits) { SSymNearestColor::SetScreenColorBits(bits); }
  ~ScreenBits() { SSymNearestColor::SetScreenColorBits(0); }
};

// A picture record of a small bitmap.
SPictureInfo* BitmapPicture() {
  return SPictureManager().AddBitmap(new Gdiplus::Bitmap(2, 2), SString(), 0, SString(), SBlob());
}
}  // namespace

TEST(SSymNearestColor, ReductionOnAn8BitScreen) {
  ScreenBits screen(8);
  struct {
    DWORD in, out;
    const char* why;
  } cases[] = {
      {0x00FF00, 0x00FF00, "green stays"},
      {0x00FFE0, 0x00FF00, "r 224, g 255 snaps to green"},
      {0x00FFF0, 0x00FFFF, "r 240, g 255 is not snapped: yellow"},
      {0x0080FF, 0x0000FF, "r 255, g 128 snaps to red"},
      {0x7F8080, 0x008080, "128, 128, 127 snaps to olive"},
      {0xA0A0A0, 0x808080, "tie between grey and silver keeps grey"},
      {0xC0C0FF, 0xFFFFFF, "silver is never chosen beside a 255 component"},
      {0xE0E0E0, 0xFFFFFF, "224 grey is white"},
      {0xC0C0C0, 0xC0C0C0, "silver itself"},
      {0xFFFF80, 0xFFFF00, "r 128 g 255 b 255: r cleared, cyan"},
      {0x80FFFF, 0x00FFFF, "r 255 g 255: b cleared unless 255"},
      {0xFF90C8, 0xFFFF00, "b 255, g 144: g 255 and r 0"},
      {0xFF4020, 0xFF0000, "b 255, g 64, r 32: blue"},
      {0x000001, 0x000000, "near black"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SSymNearestColor(c.in).GetColor(), c.out) << c.why;
    EXPECT_EQ(SSymNearestColor::GetNearestColor(c.in, 0), c.out) << c.why;
  }
  EXPECT_EQ(SSymNearestColor(SString("224, 255, 0")).GetColor(), 0x00FF00u);
  EXPECT_EQ(SSymNearestColor().GetColor(), 0xFFFFFFu);
}

TEST(SSymNearestColor, HighColorScreenKeepsTheWordUnlessForced) {
  ScreenBits screen(32);
  EXPECT_TRUE(SSymNearestColor::UseHighColor());
  EXPECT_EQ(SSymNearestColor(0x123456u).GetColor(), 0x123456u);
  EXPECT_EQ(SSymNearestColor(SString("1, 2, 3")).GetColor(), 0x030201u);
  EXPECT_EQ(SSymNearestColor::GetNearestColor(0x00FFE0, 1), 0x00FF00u);
  SSymNearestColor::SetScreenColorBits(0);
  EXPECT_TRUE(SSymNearestColor::UseHighColor());  // the screen context is a 32-bit one
}

TEST(SSymPen, TextFormsAndPlatformRecords) {
  EXPECT_EQ(SSymPen(2, 15, SSymColor(0x0000FF)).GetAsString(), "2 15 255, 0, 0");
  struct {
    const char* text;
    LONG style, width;
    DWORD color;
  } cases[] = {{"  3 7 1, 2, 3 \r\n", 3, 7, 0x030201}, {"5", 5, 0, 0xFF000000}, {"", 0, 0, 0xFF000000},
               {"1 x 0, 0, 0", 1, 0, 0}, {"1 2 nonsense", 1, 2, 0xFF000000}};
  for (const auto& c : cases) {
    SSymPen p;
    p.SetAsString(SString(c.text));
    EXPECT_EQ(p.m_style, c.style) << c.text;
    EXPECT_EQ(p.m_width, c.width) << c.text;
    EXPECT_EQ(p.m_color.GetColor(), c.color) << c.text;
  }
  struct {
    LONG style;
    UINT platform;
  } styles[] = {{1, PS_SOLID},          {2, PS_DASH},      {3, PS_DOT},  {4, PS_DASHDOT},
                {5, PS_DASHDOTDOT},     {6, PS_ALTERNATE}, {7, PS_NULL}, {0x201, PS_SOLID | PS_ENDCAP_FLAT},
                {0x1002, PS_DASH | PS_JOIN_BEVEL}};
  for (const auto& s : styles) {
    const LOGPEN lp = SSymPen(s.style, 30, SSymColor(0x112233)).GetLOGPEN();
    EXPECT_EQ(lp.lopnStyle, s.platform) << s.style;
    EXPECT_EQ(lp.lopnWidth.x, 30);
    EXPECT_EQ(lp.lopnColor, 0x112233u);
    SSymPen back;
    back.SetLOGPEN(lp);
    EXPECT_EQ(back.m_style, s.style & 0xFF0F) << s.style;
  }
  SSymPen fromOdd;
  fromOdd.SetLOGPEN(LOGPEN{PS_INSIDEFRAME, {4, 0}, 0});
  EXPECT_EQ(fromOdd.m_style, 1);
}

TEST(SSymBrush, StylesAndGradientRules) {
  SSymBrush b;
  EXPECT_EQ(b.GetStyle(), 1);
  EXPECT_EQ(b.GetColor().GetColor(), 0xFFFFFFu);
  EXPECT_EQ(b.GetBitmapMode(), 12);
  EXPECT_EQ(b.GetEndColor().GetColor(), 0x767676u);
  struct {
    LONG in, out;
  } styles[] = {{9, 1}, {8, 8}, {0, 1}, {-3, 1}, {4, 4}};
  for (const auto& s : styles) {
    b.SetStyle(s.in);
    EXPECT_EQ(b.GetStyle(), s.out) << s.in;
  }
  b.SetHatch(3);
  EXPECT_EQ(b.GetStyle(), 2);
  EXPECT_EQ(SSymBrush(20, 0, SSymColor(0)).GetStyle(), 20);  // the three-word constructor does not check

  struct {
    LONG style, mode;
    DWORD fill, end;
    bool gradient;
  } grads[] = {{6, 1, 0x10, 0x10, false},     {6, 0x401, 0x10, 0x10, true}, {7, 1, 0x10, 0x20, true},
               {6, 0, 0x10, 0x20, false},     {1, 1, 0x10, 0x20, false},    {5, 1, 0x10, 0x20, false}};
  for (const auto& g : grads) {
    SSymBrush br(g.style, 0, SSymColor(g.fill));
    br.SetGradientMode(g.mode);
    br.SetEndColor(g.end);
    EXPECT_EQ(br.UseGradient(), g.gradient) << g.style << " " << g.mode;
    EXPECT_EQ(br.GetDispColor().GetColor(), g.gradient ? g.end : g.fill);
    br.SetDispColor(0x99);
    EXPECT_EQ((g.gradient ? br.GetEndColor() : br.GetColor()).GetColor(), 0x99u);
  }

  struct {
    LONG style, hatch;
    UINT platform;
    ULONG_PTR hatchOut;
  } logs[] = {{1, 0, BS_SOLID, 0}, {2, 1, BS_HATCHED, 0}, {2, 6, BS_HATCHED, 5}, {2, 7, BS_HATCHED, 0},
              {3, 4, BS_PATTERN, 0}, {4, 0, BS_HOLLOW, 0}, {6, 0, BS_SOLID, 0}};
  for (const auto& l : logs) {
    const LOGBRUSH lb = SSymBrush(l.style, l.hatch, SSymColor(0x123)).GetLOGBRUSH();
    EXPECT_EQ(lb.lbStyle, l.platform) << l.style;
    EXPECT_EQ(lb.lbHatch, l.hatchOut) << l.style << " " << l.hatch;
    EXPECT_EQ(lb.lbColor, l.style == 4 ? 0u : 0x123u);
  }
}

TEST(SSymBrush, PictureUseEqualityAndOrder) {
  SSymBrush b(5, 0, SSymColor(0));
  b.SetPicture(BitmapPicture());
  EXPECT_FALSE(b.UsePicture());  // bitmap mode 12: no picture
  b.SetBitmapMode(1);
  EXPECT_TRUE(b.UseBitmap());
  EXPECT_TRUE(b.UsePicture());
  EXPECT_FALSE(b.UseMetaFile());
  b.SetStyle(7);
  EXPECT_TRUE(b.UsePicture());
  b.SetStyle(1);
  EXPECT_FALSE(b.UsePicture());
  SSymBrush none(5, 0, SSymColor(0));
  none.SetBitmapMode(1);
  EXPECT_FALSE(none.UsePicture());

  b.SetStyle(6);
  b.SetGradientMode(3);
  b.SetEndColor(0x222222);
  SDrawBackground bg;
  b.GetBackgroundInfo(bg);
  EXPECT_EQ(bg.GetDrawMode(), 1);
  EXPECT_EQ(bg.GetPicture(), b.GetPicture());
  EXPECT_EQ(bg.GetBackColor(), 0u);
  EXPECT_EQ(bg.GetGradientMode(), 3);
  EXPECT_EQ(bg.GetEndColor(), 0x222222u);

  SSymBrush x(SSymColor(0x10)), y(SSymColor(0x10));
  EXPECT_EQ(x, y);
  y.SetEndColor(0x1);
  EXPECT_NE(x, y);
  EXPECT_FALSE(x < y);
  EXPECT_FALSE(y < x);
  SSymBrush z(x);
  z.SetPicture(BitmapPicture());
  EXPECT_NE(x, z);  // picture identity takes part
  EXPECT_TRUE(SSymBrush(SSymColor(0xFFFFFFFF)) < SSymBrush(2, 0, SSymColor(0)));
  EXPECT_TRUE(SSymBrush(2, -1, SSymColor(0)) < SSymBrush(2, 0, SSymColor(0)));  // signed hatch
  EXPECT_TRUE(SSymBrush(SSymColor(0x1)) < SSymBrush(SSymColor(0x80000000)));     // unsigned colour
}

TEST(SSymFont, TextFormsBothWays) {
  struct {
    LONG size, style;
    const char* text;
  } out[] = {{8, 1, "Arial,8,N"},   {8, 0, "Arial,8,"},  {8, 6, "Arial,8,BI"},
             {12, 11, "Arial,12,BU"}, {0, 31, "Arial,0,BIUS"}, {-3, 16, "Arial,-3,S"}};
  for (const auto& o : out) EXPECT_EQ(SSymFont(SString("Arial"), o.size, o.style).GetAsString(), o.text);

  struct {
    const char* text;
    const char* face;
    LONG size, style;
  } in[] = {
      {"Arial,10", "Arial", 10, 1},
      {"Arial,12,BU", "Arial", 12, 11},
      {"  Tahoma,9,IS \r\n", "Tahoma", 9, 21},
      {"Arial,,N", "Arial", 8, 1},
      {"Arial, 14 ,NB", "Arial", 14, 1},
      {"Arial,12abc,B", "Arial", 12, 3},
      {"Arial,x9,B", "Arial", 0, 3},
      {"Arial,9,bxq", "Arial", 9, 1},
      {"Arial,9,BB", "Arial", 9, 3},  // a repeated letter sets its bit once
      {"Ab,1", "Keep", 5, 4},         // shorter than 6 characters: ignored
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345,9,B", "Keep", 5, 4},  // face of 32 characters
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234,9,B", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 9, 3},
  };
  for (const auto& c : in) {
    SSymFont f(SString("Keep"), 5, 4);
    f.m_family = 0x20;
    f.m_pitch = 2;
    f.m_angle = 900;
    f.SetAsString(SString(c.text));
    EXPECT_EQ(f.m_faceName, c.face) << c.text;
    EXPECT_EQ(f.m_size, c.size) << c.text;
    EXPECT_EQ(f.m_style, c.style) << c.text;
    EXPECT_EQ(f.m_family, 0x20);
    EXPECT_EQ(f.m_pitch, 2);
    EXPECT_EQ(f.m_angle, 900);
  }
}

TEST(SSymFont, PlatformRecordsCopyEqualityAndOrder) {
  LOGFONTW lf{};
  lf.lfHeight = -13;
  lf.lfWeight = 700;
  lf.lfItalic = 1;
  lf.lfOrientation = 450;
  lf.lfPitchAndFamily = 0x22;  // swiss, variable
  const char16_t face[] = u"Liberation Sans";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  SSymFont f(lf);
  EXPECT_EQ(f.m_faceName, "Liberation Sans");
  EXPECT_EQ(f.m_size, 13);
  EXPECT_EQ(f.m_style, 6);
  EXPECT_EQ(f.m_family, 0x20);
  EXPECT_EQ(f.m_pitch, 2);  // the family bits beside the pitch keep it known
  EXPECT_EQ(f.m_angle, 450);
  EXPECT_EQ(f.GetLOGFONT().lfPitchAndFamily, 0x22);
  lf.lfWeight = 400;
  lf.lfItalic = 0;
  lf.lfPitchAndFamily = 0x63;
  SSymFont plain(lf);
  EXPECT_EQ(plain.m_style, 0);
  EXPECT_EQ(plain.m_family, -1);
  EXPECT_EQ(plain.m_pitch, -1);
  EXPECT_EQ(plain.GetLOGFONT().lfPitchAndFamily, 0);  // unknown adds no bits

  SSymFont g(SString(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), 0, 2 | 8 | 16);
  const LOGFONTW out = g.GetLOGFONT();
  EXPECT_EQ(out.lfHeight, -8);
  EXPECT_EQ(out.lfWeight, 700);
  EXPECT_EQ(out.lfUnderline, 1);
  EXPECT_EQ(out.lfStrikeOut, 1);
  EXPECT_EQ(out.lfCharSet, 1);
  EXPECT_EQ(out.lfOutPrecision, 5);
  EXPECT_EQ(out.lfQuality, 2);
  EXPECT_EQ(SString(out.lfFaceName).GetLength(), 31);

  SSymFont c;
  c.Copy(g);
  EXPECT_EQ(c.m_size, 8);
  EXPECT_EQ(g.GetSize(), 8);
  SSymFont a(SString("Arial"), 8), b(SString("Arial"), 8);
  b.m_angle = 10;
  EXPECT_NE(a, b);
  EXPECT_FALSE(a < b);
  EXPECT_FALSE(b < a);
  EXPECT_TRUE(SSymFont(SString("Arial"), 9) < SSymFont(SString("arial"), 8));  // by character code
  EXPECT_TRUE(SSymFont(SString("Arial"), 8) < SSymFont(SString("Arial"), 9));
}

TEST(SSymLstFonts, EqualityByPositionThenByName) {
  auto entry = [](const char* name, LONG size) {
    SSymFonts e;
    e.m_name = SString(name);
    e.m_font.m_size = size;
    return e;
  };
  SSymLstFonts a, b, c, empty1, empty2;
  a.Add(entry("Title", 10));
  a.Add(entry("Body", 8));
  b.Add(entry("Body", 8));
  b.Add(entry("Title", 10));
  EXPECT_TRUE(a == b);  // same entries, other order, different names at each position
  c.Add(entry("Title", 12));
  c.Add(entry("Body", 8));
  EXPECT_FALSE(a == c);  // same name at a position, different font
  EXPECT_TRUE(empty1 == empty2);
  EXPECT_FALSE(a == empty1);
  SSymLstFonts d;
  d = a;
  EXPECT_TRUE(d == a);
  EXPECT_EQ(d.Find(SString("Body"))->m_font.m_size, 8);
  EXPECT_EQ(d.Find(SString("None")), nullptr);

  SSymFonts e = entry("Name", 9), f;
  e.m_label = SString("L");
  e.m_extra = 7;
  f.Copy(e);
  EXPECT_EQ(f.m_font.m_size, 9);
  EXPECT_TRUE(f.m_name.IsEmpty());
  EXPECT_EQ(f.m_extra, 0);
  EXPECT_EQ(SSymFonts().m_font.m_faceName, "Arial");
}
