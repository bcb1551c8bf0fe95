// The black-fill flag of black-and-white output, and the measuring canvas's
// Lock and Unlock.
#include <gtest/gtest.h>

#include "support/canvas_fixture.h"
#include "sym/render/symdeftcanv.h"

TEST(CanvasBlackFill, EveryNonHollowBrushIsBlackInBlackAndWhite) {
  RecordingDC rec;
  TestCanvas c;
  c.LockOn(rec.dc);
  EXPECT_EQ(c.m_bBlackFill, 0);
  EXPECT_EQ(c.m_nFlags, 0);
  SSymBrush hollow(SSymColor(0x0000FF));
  hollow.m_style = SSymBrush::Hollow;
  struct {
    int color, blackFill;
    SSymBrush brush;
    int stock;
  } cases[] = {
      {0, 1, SSymBrush(SSymColor(0x0000FF)), BLACK_BRUSH},
      {0, 1, SSymBrush(SSymBrush::Cross, SSymColor(0x00FF00)), BLACK_BRUSH},
      {0, 1, hollow, NULL_BRUSH},
      {0, 0, SSymBrush(SSymColor(0x0000FF)), WHITE_BRUSH},
      {1, 1, hollow, NULL_BRUSH},
  };
  for (const auto& k : cases) {
    c.m_bColor = k.color;
    c.m_bBlackFill = k.blackFill;
    c.SetBrush(k.brush, 0);
    EXPECT_EQ(CurrentStockBrush(rec.dc), k.stock) << k.color << k.blackFill << k.brush.m_style;
  }
  // In colour the flag changes nothing: a solid brush is the brush's own.
  c.m_bColor = 1;
  c.SetBrush(SSymBrush(SSymColor(0x0000FF)), 0);
  LOGBRUSH lb{};
  ::GetObjectW(rec.dc.GetCurrentBrush(), sizeof lb, &lb);
  EXPECT_EQ(lb.lbColor, 0x0000FFu);
  c.Unlock();
}

TEST(DeftCanvas, UnlockAndLockAgain) {
  SSymDeftCanvas c;
  EXPECT_TRUE(c.IsLocked());
  const SSymSize before = c.GetTextExtent(SString(u"measure"));
  c.Unlock();
  EXPECT_FALSE(c.IsLocked());
  c.Unlock();  // twice is harmless
  c.Lock();
  EXPECT_TRUE(c.IsLocked());
  c.Lock();  // locked already: nothing
  EXPECT_EQ(c.GetTextExtent(SString(u"measure")), before);
  c.Unlock();  // the destructor finds it unlocked
}
