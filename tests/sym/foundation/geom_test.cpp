#include <gtest/gtest.h>

#include <vector>

#include "kvcore/spicture.h"
#include "sym/foundation/symgeom.h"
#include "win/gdiplus.h"

static std::ostream& operator<<(std::ostream& os, const SSymRect& r) {
  return os << "(" << r.x1 << ", " << r.y1 << ", " << r.x2 << ", " << r.y2 << ")";
}
static std::ostream& operator<<(std::ostream& os, const SSymPoint& p) { return os << "(" << p.x << ", " << p.y << ")"; }

TEST(SSymRect, NormalisationAndInclusiveSizes) {
  struct {
    SSymRect r, norm;
    LONG w, h;
  } cases[] = {{{0, 10, 9, 0}, {0, 10, 9, 0}, 10, 11},
               {{9, 0, 0, 10}, {0, 10, 9, 0}, 10, 11},
               {{-5, -5, -5, -5}, {-5, -5, -5, -5}, 1, 1},
               {{INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN}, INT32_MAX,
                INT32_MAX}};
  for (const auto& c : cases) {
    SSymRect r = c.r;
    EXPECT_EQ(r.Width(), c.w) << c.r;
    EXPECT_EQ(r.Height(), c.h) << c.r;
    EXPECT_EQ(r.Normalize(), c.norm) << c.r;
    EXPECT_TRUE(c.r.PtInRect({c.norm.x2, c.norm.y2}));  // bounds inclusive, either order
  }
  EXPECT_FALSE(SSymRect(0, 10, 9, 0).PtInRect({10, 5}));
}

TEST(SSymRect, SetWidthHeightAndCenter) {
  struct {
    SSymRect r;
    LONG w;
    LONG x1, x2;
  } widths[] = {{{0, 0, 9, 0}, 5, 2, 6},   {{0, 0, 9, 0}, -5, 2, 6}, {{0, 0, 9, 0}, 11, 0, 10},
                {{0, 0, 9, 0}, 12, -1, 10}, {{0, 0, 9, 0}, 10, 0, 9}, {{9, 0, 0, 0}, 5, 6, 2}};
  for (const auto& c : widths) {
    SSymRect r = c.r;
    r.SetWidth(c.w);
    EXPECT_EQ(r.x1, c.x1) << c.r << " w " << c.w;
    EXPECT_EQ(r.x2, c.x2) << c.r << " w " << c.w;
  }
  SSymRect z(0, 0, 9, 0);
  z.SetWidth(0);
  EXPECT_EQ(z.x1, z.x2);
  SSymRect h(0, 9, 0, 0);
  h.SetHeight(5);  // the lower edge moves by half, the upper takes the rest
  EXPECT_EQ(h, SSymRect(0, 6, 0, 2));
  SSymRect c(0, 10, 10, 0);
  c.SetCenter({100, -100});
  EXPECT_EQ(c, SSymRect(95, -95, 105, -105));
  SSymRect odd(-3, 0, 0, -3);  // centre (-1, -1): toward zero
  odd.SetCenter({0, 0});
  EXPECT_EQ(odd, SSymRect(-2, 1, 1, -2));
}

TEST(SSymRect, InflateCollapsesAFailingAxis) {
  struct {
    SSymRect r;
    LONG dx, dy;
    SSymRect out;
  } cases[] = {
      {{0, 20, 14, 0}, -10, 5, {7, 20, 7, 0}},     // 15 wide, -10: x collapses, y untouched
      {{0, 20, 14, 0}, 2, 3, {-2, 23, 16, -3}},    // plain growth
      {{14, 0, 0, 20}, 2, 3, {16, -3, -2, 23}},    // other corner order grows too
      {{0, 20, 14, 0}, -7, -10, {7, 10, 7, 10}},   // -7 leaves 1 wide, -10 leaves 1 high
      {{0, 20, 15, 0}, -8, 0, {7, 20, 7, 0}},      // 16 wide would turn over
      {{-15, 0, 0, -10}, -8, 0, {-8, 0, -8, -10}}, // centre rounds toward minus infinity
      {{0, 10, 10, 0}, -6, -6, {5, 5, 5, 5}},      // both fail
      {{0, 10, 10, 0}, 0, 0, {0, 10, 10, 0}},
  };
  for (const auto& c : cases) {
    SSymRect r = c.r;
    EXPECT_EQ(r.Inflate(c.dx, c.dy), c.out) << c.r << " by " << c.dx << ", " << c.dy;
  }
  SSymRect ok(0, 20, 14, 0);
  EXPECT_EQ(ok.Inflate(-7, 0), SSymRect(7, 20, 7, 0));  // width 15 - 14 = 1
}

TEST(SSymRect, UnionIntersectAndSharing) {
  const SSymRect a(0, 10, 10, 0), unnorm(30, 0, 20, 40), dot(5, 5, 5, 5);
  EXPECT_EQ(Union(dot, unnorm), unnorm);  // unchanged, not normalised
  EXPECT_EQ(Union(unnorm, dot), unnorm);
  EXPECT_EQ(Union(a, unnorm), SSymRect(0, 40, 30, 0));
  struct {
    SSymRect b, inter;
    bool intersects;
  } cases[] = {
      {{10, 10, 20, 0}, {10, 10, 10, 0}, true},     // shared edge
      {{0, 20, 10, 10}, {0, 10, 10, 10}, true},     // shared horizontal edge
      {{10, 20, 20, 10}, {10, 10, 10, 10}, false},  // a single corner
      {{11, 10, 20, 0}, {0, 0, 0, 0}, false},       // apart
      {{5, 0, 15, 5}, {5, 5, 10, 0}, true},         // overlap, other corner order
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Intersect(a, c.b), c.inter) << c.b;
    EXPECT_EQ(a.Intersects(c.b), c.intersects) << c.b;
  }
  SSymRect x = a;
  x &= SSymRect(5, 5, 15, -5);
  EXPECT_EQ(x, SSymRect(5, 5, 10, 0));
  x |= SSymRect(-5, 0, 0, -5);
  EXPECT_EQ(x, SSymRect(-5, 5, 10, -5));
  EXPECT_TRUE(a.ContainsRect(SSymRect(8, 2, 2, 8)));
  EXPECT_FALSE(a.ContainsRect(SSymRect(8, 2, 2, 11)));
}

TEST(SSymRect, GetPointNormalisesInPlace) {
  const SSymPoint expected[] = {{-1, 10}, {4, 10}, {9, 10}, {9, 4}, {9, -1}, {4, -1}, {-1, -1}, {-1, 4}, {4, 4}};
  for (int i = 0; i <= 8; ++i) {
    SSymRect r(9, -1, -1, 10);
    EXPECT_EQ(r.GetPoint(i == 0 ? 99 : i), expected[i]) << i;
    EXPECT_EQ(r, SSymRect(-1, 10, 9, -1));
  }
}

TEST(SSymMatrix, TransformsRoundHalfAwayFromZero) {
  struct {
    double v;
    LONG r;
  } rounds[] = {{2.5, 3}, {-2.5, -3}, {1.4999, 1}, {-0.5, -1}, {-0.4999, 0}, {0, 0}, {1e12, INT32_MAX}, {-1e12, INT32_MIN}};
  for (const auto& c : rounds) EXPECT_EQ(SSymRoundAway(c.v), c.r) << c.v;
  EXPECT_EQ(SSymTruncate(-2.9), -2);

  SSymMatrix half;
  half[0][0] = 0.5;
  half[1][1] = 0.5;
  EXPECT_EQ(half.Transform(SSymPoint(5, -5)), SSymPoint(3, -3));
  EXPECT_EQ(half.Transform(SSymPoint(3, -1)), SSymPoint(2, -1));

  SSymMatrix m;
  m.SetTransform(SSymRect(0, 100, 100, 0), SSymRect(1000, 2100, 1100, 2000));
  EXPECT_EQ(m.Transform(SSymRect(0, 100, 100, 0)), SSymRect(1000, 2100, 1100, 2000));
  m.SetTransform(SSymRect(0, 100, 100, 0), SSymRect(0, 201, 201, 0));  // twice the inclusive size
  EXPECT_EQ(m.Get(0, 0), 2.0);
  EXPECT_EQ(m.Transform(SSymRect(0, 100, 100, 0)), SSymRect(0, 200, 200, 0));
  m.SetTransform(SSymRect(0, 100, 100, 0), SSymRect(100, 100, 0, 0));  // mirrored in x
  EXPECT_EQ(m.Get(0, 0), -1.0);
  EXPECT_EQ(m.Transform(SSymRect(0, 100, 100, 0)), SSymRect(100, 100, 0, 0));

  SSymMatrix rot;
  rot.SetRotatePt({10, 10}, {20, 10}, {10, 20});  // a quarter turn about (10, 10)
  EXPECT_EQ(rot.Transform(SSymPoint(20, 10)), SSymPoint(10, 20));
  EXPECT_EQ(rot.Transform(SSymPoint(10, 0)), SSymPoint(20, 10));
  rot.SetRotatePt({0, 0}, {-10, 0}, {0, -10});  // from pi to 3 pi / 2
  EXPECT_EQ(rot.Transform(SSymPoint(-100, 0)), SSymPoint(0, -100));

  SSymMatrix scaled;
  scaled.SetScaleX(3);
  scaled.SetTranslationY(-7);
  EXPECT_EQ(scaled.Transform(SSymPoint(2, 2)), SSymPoint(6, -5));
  EXPECT_TRUE(SSymMatrix::identity.IsIdentity());
}

TEST(Geometry, SegmentCrossings) {
  struct {
    SSymSegment a, b;
    bool hit;
    SSymPoint at;
    const char* why;
  } cases[] = {
      {{0, 0, 100, 100}, {0, 100, 100, 0}, true, {50, 50}, "plain crossing"},
      {{0, 0, 100, 0}, {0, 10, 100, 10}, false, {}, "parallel"},
      {{0, 0, 0, 100}, {10, 0, 10, 100}, false, {}, "both vertical"},
      {{0, 0, 3, 100}, {-50, 50, 50, 50}, true, {3, 50}, "3 off vertical is vertical"},
      {{0, 0, 100, 0}, {104, -50, 104, 50}, true, {104, 0}, "within 5 beyond the end"},
      {{0, 0, 100, 0}, {106, -50, 106, 50}, false, {106, 0}, "6 beyond the end"},
      {{0, 0, 10, 10}, {0, 5, 10, -5}, true, {3, 3}, "2.5 rounds to 3"},
      {{0, 0, -10, 10}, {0, 5, -10, -5}, true, {-3, 3}, "-2.5 rounds to -3"},
  };
  for (const auto& c : cases) {
    SSymPoint p(-999, -999);
    EXPECT_EQ(Intersects(c.a, c.b, &p), c.hit) << c.why;
    if (c.hit || c.at != SSymPoint()) {
      EXPECT_EQ(p, c.at) << c.why;  // written before the range test
    }
  }
  EXPECT_TRUE(Intersects(SSymSegment(0, 0, 100, 100), SSymSegment(0, 100, 100, 0), nullptr));
}

TEST(Geometry, EveryIntersectsKind) {
  const SSymRect box(-100, 100, 100, -100);
  SSymPoint p;
  struct {
    SSymSegment s;
    bool hit;
    SSymPoint at;
    const char* why;
  } rects[] = {
      {{0, 0, 0, -300}, true, {0, -100}, "down through the bottom"},
      {{0, 0, 300, 0}, true, {100, 0}, "right"},
      {{-300, 50, 300, 50}, true, {100, 50}, "through: the right side is tried before the left"},
      {{-10, 10, 10, -10}, false, {}, "inside"},
      {{150, -300, 150, 300}, false, {}, "beyond one side"},
  };
  for (const auto& c : rects) {
    EXPECT_EQ(Intersects(c.s, box, &p), c.hit) << c.why;
    if (c.hit) {
      EXPECT_EQ(p, c.at) << c.why;
    }
  }

  struct {
    SSymSegment s;
    SSymRect e;
    bool hit;
    SSymPoint at;
    const char* why;
  } ellipses[] = {
      {{0, 0, 200, 0}, box, true, {100, 0}, "out to the right"},
      {{0, 0, 0, -300}, box, true, {0, -100}, "vertical, lower crossing"},
      {{0, 0, 0, 300}, box, true, {0, 100}, "vertical, upper crossing"},
      {{10, 10, 20, 20}, box, false, {}, "both inside"},
      {{200, 200, 300, 300}, box, false, {}, "both outside"},
      {{1, 1, 50, 50}, {0, 2, 2, 0}, true, {1, 1}, "tiny ellipse answers its centre"},
      {{0, 0, 2000, 1}, box, true, {100, 0}, "near flat segment is snapped"},
      {{0, 0, 1000, 1}, box, true, {99, 0}, "not flat enough to snap"},
  };
  for (const auto& c : ellipses) {
    EXPECT_EQ(IntersectsEllipse(c.s, c.e, &p), c.hit) << c.why;
    if (c.hit) {
      EXPECT_EQ(p, c.at) << c.why;
    }
  }

  ASSERT_TRUE(IntersectsEllipse(SSymRect(0, 50, 200, -50), box, &p));
  EXPECT_EQ(p, SSymPoint(86, -50));  // the bottom side, after the left one found nothing
  // Arc: the crossing at (86, -50) lies at about -30 degrees.
  EXPECT_TRUE(IntersectsEllipse(SSymRect(0, 50, 200, -50), box, &p, {0, -100}, {100, 0}));
  EXPECT_FALSE(IntersectsEllipse(SSymRect(0, 50, 200, -50), box, &p, {100, 0}, {0, 100}));

  const std::vector<SSymPoint> square = {{-100, -100}, {100, -100}, {100, 100}, {-100, 100}};
  EXPECT_TRUE(IntersectsPolygon({0, 0, 300, 0}, square, &p));
  EXPECT_EQ(p, SSymPoint(100, 0));
  EXPECT_TRUE(IntersectsPolygon({-300, 0, 300, 0}, square, &p));
  EXPECT_EQ(p, SSymPoint(-100, 0));  // the crossing nearest the start
  EXPECT_FALSE(IntersectsPolygon({0, 0, 10, 0}, square, &p));
  EXPECT_FALSE(IntersectsPolygon({0, 0, 300, 0}, std::vector<SSymPoint>{{1, 1}}, &p));

  const SSymRect rr(-7200, 7200, 7200, -7200);
  EXPECT_TRUE(IntersectsRoundRect({0, 0, 20000, 0}, rr, &p, SSymSize()));
  EXPECT_EQ(p, SSymPoint(7200, 0));
  EXPECT_TRUE(IntersectsRoundRect({20000, 0, 0, 0}, rr, &p, SSymSize()));  // started inside: reversed
  EXPECT_EQ(p, SSymPoint(7200, 0));
  ASSERT_TRUE(IntersectsRoundRect({0, 0, 20000, 20000}, rr, &p, SSymSize(3600, 3600)));
  EXPECT_GT(p.x, 7200 - 1800);  // on the rounded corner, inside its quarter
  EXPECT_LT(p.x, 7200);
  EXPECT_EQ(p.x, p.y);
  EXPECT_FALSE(IntersectsRoundRect({0, 0, 10, 10}, rr, &p, SSymSize()));
}

TEST(Geometry, RegionTests) {
  const SSymRect r(0, 7200, 7200, 0);  // 100 x 100 at 1/72
  struct {
    SSymPoint pt;
    bool ellipse, round;
  } cases[] = {{{3600, 3600}, true, true}, {{100, 100}, false, false}, {{0, 3600}, true, true},
               {{7199, 3600}, true, true}, {{7200, 3600}, false, false}, {{-72, 3600}, false, false},
               {{-71, 3600}, true, true}};  // division truncates toward zero
  for (const auto& c : cases) {
    EXPECT_EQ(IsPtInEllipse(c.pt, r), c.ellipse) << c.pt.x << "," << c.pt.y;
    EXPECT_EQ(IsPtInRoundRect(c.pt, r, SSymSize()), c.round) << c.pt.x << "," << c.pt.y;
  }
  EXPECT_TRUE(IsPtInEllipse({-3600, -3600}, SSymRect(-7200, 0, 0, -7200)));
  EXPECT_FALSE(IsPtInEllipse({0, 0}, SSymRect(0, 0, 71, 71)));  // nothing left at 1/72
  EXPECT_TRUE(IsPtInRoundRect({100, 100}, r, SSymSize(72, 72)));  // tiny corners
  EXPECT_FALSE(IsPtInEllipse({INT32_MAX, INT32_MIN}, SSymRect(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN)));

  // A pentagram: its centre turns twice, inside under the winding rule.
  const std::vector<SSymPoint> star = {{0, 7200}, {4230, -5820}, {-6840, 2220}, {6840, 2220}, {-4230, -5820}};
  EXPECT_TRUE(IsPtInPolygon({0, 0}, star));
  EXPECT_FALSE(IsPtInPolygon({7000, 7000}, star));
  EXPECT_FALSE(IsPtInPolygon({0, 0}, std::vector<SSymPoint>{{0, 0}, {7200, 0}}));
  const std::vector<SSymPoint> tri = {{0, 0}, {7200, 0}, {0, 7200}};
  EXPECT_TRUE(IsPtInPolygon({1000, 1000}, tri));
  EXPECT_FALSE(IsPtInPolygon({5000, 5000}, tri));
}

TEST(Geometry, BezierSegmentsAndDistances) {
  const std::vector<SSymPoint> curve = {{0, 0}, {1000, 2000}, {2000, 0}};
  int index = -1;
  EXPECT_TRUE(IsPtOnBezier({1000, 1500}, curve, SSymRect(950, 1550, 1050, 1450), &index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(IsPtOnBezier({1000, 0}, curve, SSymRect(950, 50, 1050, -50), &index));
  EXPECT_FALSE(IsPtOnBezier({1000, 1500}, std::vector<SSymPoint>(curve.begin(), curve.begin() + 2),
                            SSymRect(950, 1550, 1050, 1450), &index));
  const std::vector<SSymPoint> two = {{0, 0}, {1000, 2000}, {2000, 0}, {3000, 2000}};
  EXPECT_TRUE(IsPtOnBezier({2500, 500}, two, SSymRect(2300, 900, 2700, 100), &index));
  EXPECT_EQ(index, 5);  // the second piece

  const SSymSegment s(0, 0, 1000, 0);
  EXPECT_TRUE(s.Contains({500, 10}));
  EXPECT_FALSE(SSymSegment(490, 0, 510, 0).Contains({500, 0}));  // wholly inside the square
  EXPECT_FALSE(s.Contains({500, 100}));
  struct {
    SSymSegment s;
    SSymPoint pt;
    DWORD d;
  } dists[] = {{s, {500, 30}, 30},   {s, {1100, 0}, 100}, {{0, 0, 1000, 1000}, {0, 1000}, 707},
               {{0, 0, 0, 1000}, {-40, 500}, 40}, {s, {500, 0}, 0}};
  for (const auto& c : dists) EXPECT_EQ(c.s.Distance(c.pt), c.d);
  EXPECT_EQ(SSymPoint(0, 0).Distance({3, 4}), 5u);
  EXPECT_EQ(SSymPoint(INT32_MIN, INT32_MIN).Distance({INT32_MAX, INT32_MAX}), 4294967295u);
}

namespace {
struct PerPixel75 : ISSymPixelScale {
  SSymSize PixelsToUnits(const SSymSize& p) const override { return {p.cx * 75, p.cy * 75}; }
};

struct FakePicture : ISSymHitPicture {
  int kind;
  SSymPixelImage image;
  bool available = true;
  int GetKind() const override { return kind; }
  bool GetBitmap(SSymPixelImage& out) const override {
    if (available) out = image;
    return available;
  }
  bool GetMask(int, int, SSymPixelImage& out) const override { return GetBitmap(out); }
};

// One device pixel per 10 units, device y downward from 1000.
struct TenUnits : ISSymHitCanvas {
  POINT ToDevice(const SSymPoint& p) const override { return {p.x / 10, (1000 - p.y) / 10}; }
  SSymPoint ToDiagram(const POINT& p) const override { return {p.x * 10, 1000 - p.y * 10}; }
  RECT ToDevice(const SSymRect& r) const override {
    return {r.GetMinX() / 10, (1000 - r.GetMaxY()) / 10, r.GetMaxX() / 10 + 1, (1000 - r.GetMinY()) / 10 + 1};
  }
};
}  // namespace

TEST(Geometry, ComputePictureSymbolSize) {
  const PerPixel75 scale;
  struct {
    SSymSize size, picture, result;
    const char* why;
  } cases[] = {
      {{3000, 3000}, {100, 50}, {9600, 4800}, "covers the 4800 box"},
      {{3000, 3000}, {32, 32}, {2400, 2400}, "small pictures keep their size"},
      {{3000, 3000}, {0, 10}, {3000, 3000}, "empty picture"},
      {{0, 3000}, {100, 50}, {0, 3000}, "empty size"},
      {{10000, 3000}, {100, 50}, {10000, 5000}, "large size is the box"},
      {{10000, 1000}, {100, 50}, {10000, 5000}, "sides below 2400 grow to 2400"},
      {{20000, 1000}, {10, 1000}, {9797, 979700}, "far aspects cap the box"},
  };
  for (const auto& c : cases) EXPECT_EQ(ComputePictureSymbolSize(scale, c.size, c.picture), c.result) << c.why;
}

TEST(Geometry, PictureHitTests) {
  FakePicture bmp;
  bmp.kind = ISSymHitPicture::Bitmap;
  bmp.image.width = 2;
  bmp.image.height = 2;
  bmp.image.argb = {0xFF000000u, 0x00FFFFFFu, 0xFF000000u, 0x00FFFFFFu};  // left half opaque
  const SSymRect big(0, 999, 999, 0), small(0, 100, 100, 0);
  const TenUnits canvas;
  EXPECT_TRUE(IsPtInPicture(&canvas, &bmp, big, {100, 900}));
  EXPECT_FALSE(IsPtInPicture(&canvas, &bmp, big, {900, 900}));
  EXPECT_FALSE(IsPtInPicture(&canvas, &bmp, big, {1000, 900}));
  EXPECT_TRUE(IsPtInPicture(&canvas, &bmp, small, {170, 50}));  // small: 75 around the rectangle
  EXPECT_FALSE(IsPtInPicture(&canvas, &bmp, small, {180, 50}));
  EXPECT_TRUE(IsPtInPicture(&canvas, static_cast<const ISSymHitPicture*>(nullptr), big, {1070, 500}));
  bmp.available = false;
  EXPECT_TRUE(IsPtInPicture(&canvas, &bmp, big, {900, 900}));  // no bitmap: the rectangle test
  bmp.available = true;

  FakePicture icon = bmp;
  icon.kind = ISSymHitPicture::Icon;
  icon.image.argb = {0xFFFFFFFFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF000000u};  // white is a miss
  EXPECT_FALSE(IsPtInPicture(&canvas, &icon, big, {100, 900}));
  EXPECT_TRUE(IsPtInPicture(&canvas, &icon, big, {900, 900}));
  icon.available = false;
  EXPECT_FALSE(IsPtInIcon(&canvas, &icon, big, {900, 900}));
  FakePicture meta = bmp;
  meta.kind = ISSymHitPicture::MetaFile;
  EXPECT_TRUE(IsPtInPicture(nullptr, &meta, big, {100, 100}));
  EXPECT_FALSE(IsPtInMetaFile(&bmp, big, {100, 100}));

  // A line from the opaque left half to the right leaves it at the middle.
  SSymPoint p;
  ASSERT_TRUE(IntersectsPicture(&canvas, &bmp, big, SSymSegment(100, 500, 900, 500), &p));
  EXPECT_EQ(p.y, 500);  // the end's exact coordinate
  EXPECT_GE(p.x, 490);
  EXPECT_LE(p.x, 510);
  EXPECT_FALSE(IntersectsPicture(&canvas, &bmp, big, SSymSegment(100, 500, 200, 600), &p));  // both opaque
  EXPECT_FALSE(IntersectsPicture(nullptr, &bmp, big, SSymSegment(100, 500, 900, 500), &p));
  EXPECT_TRUE(IntersectsPicture(&canvas, static_cast<const ISSymHitPicture*>(nullptr), big, SSymSegment(500, 500, 1500, 500), &p));
  EXPECT_EQ(p, SSymPoint(999, 500));

  // Icons test their mask without alpha (white misses); metafiles with it.
  icon.available = true;
  ASSERT_TRUE(IntersectsPicture(&canvas, &icon, big, SSymSegment(900, 300, 100, 300), &p));
  EXPECT_EQ(p.y, 300);
  EXPECT_GE(p.x, 490);
  EXPECT_LE(p.x, 510);
  ASSERT_TRUE(IntersectsPicture(&canvas, &meta, big, SSymSegment(100, 300, 900, 300), &p));
  EXPECT_GE(p.x, 490);
  EXPECT_LE(p.x, 510);
  meta.available = false;
  EXPECT_FALSE(IntersectsMetaFile(&canvas, &meta, big, SSymSegment(100, 300, 900, 300), &p));
  EXPECT_FALSE(IntersectsIcon(&canvas, &bmp, big, SSymSegment(100, 300, 900, 300), &p));  // not an icon
}

TEST(Geometry, PictureRecordHitTests) {
  auto* bitmap = new Gdiplus::Bitmap(2, 2);
  for (int y = 0; y < 2; ++y) {
    bitmap->SetPixel(0, y, Gdiplus::Color(255, 0, 0, 0));
    bitmap->SetPixel(1, y, Gdiplus::Color(0, 255, 255, 255));
  }
  SPictureInfo* info = SPictureManager().AddBitmap(bitmap, SString(), 0, SString(), SBlob());
  ASSERT_NE(info, nullptr);
  const SSymRect big(0, 999, 999, 0);
  const TenUnits canvas;
  EXPECT_TRUE(IsPtInPicture(&canvas, info, big, {100, 900}));
  EXPECT_FALSE(IsPtInPicture(&canvas, info, big, {900, 900}));
  EXPECT_TRUE(IsPtInBitmap(info->GetBitmap(), big, {100, 100}, true));
  EXPECT_FALSE(IsPtInBitmap(info->GetBitmap(), big, {900, 100}, true));
  EXPECT_FALSE(IsPtInIcon(&canvas, info, big, {100, 900}));  // not an icon
  SSymPoint p;
  ASSERT_TRUE(IntersectsPicture(&canvas, info, big, SSymSegment(100, 500, 900, 500), &p));
  EXPECT_GE(p.x, 490);
  EXPECT_LE(p.x, 510);
  EXPECT_TRUE(IsPtInPicture(&canvas, static_cast<SPictureInfo*>(nullptr), big, {1070, 500}));
}
