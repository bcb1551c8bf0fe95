#include "kvlib/sliboptlist.h"

#include <gtest/gtest.h>

#include "kvcore/sexception.h"
#include "kvcore/sregistry.h"
#include "kvlib/slibitemmanager.h"
#include "kvlib/srelaycache.h"

namespace {
class OptListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    m_list.InitOpts(SString(u"Opts"), SString(u"Software\\Test\\Opts"));
    m_list.AddOptSection(SString(u"General"));
    m_list.AddBoolOptProfile(u"General", u"Snap", 0, 1, 2);
    m_list.AddLongOptProfile(u"General", u"Size", 0, 40, 2);
    m_list.AddOptProfile(u"General", u"Colour", 0, SString(u"255, 255, 255"), 2);
    m_list.AddOptProfile(u"Object", u"Words", 0, SString(u""), 0);
  }
  void TearDown() override { KvRegReset(); }
  SLibOptList m_list;
};

long LongAt(const SLibOptList& l, const char16_t* key, unsigned long loc) {
  long v = -99;
  l.GetLongOptProfile(u"General", key, v, -1, loc);
  return v;
}
}  // namespace

// The three read locations over a key with a list value, a registry default, both or neither.
TEST_F(OptListTest, ReadsTakeValueDefaultOrDeclaredByLocation) {
  EXPECT_EQ(LongAt(m_list, u"Size", 0), 40);
  EXPECT_EQ(LongAt(m_list, u"Size", 1), 40);
  EXPECT_EQ(LongAt(m_list, u"Size", 2), 40);
  ASSERT_EQ(m_list.WriteLongOptProfile(u"General", u"Size", 70, 1), 0);  // the user's default
  EXPECT_EQ(LongAt(m_list, u"Size", 0), 40);
  EXPECT_EQ(LongAt(m_list, u"Size", 1), 70);
  EXPECT_EQ(LongAt(m_list, u"Size", 2), 70);
  SRegistry reg(HKEY_CURRENT_USER, SString(u"Software\\Test\\Opts\\General"));
  SString stored;
  EXPECT_EQ(reg.GetProfile(SString(u"Size"), stored, SString()), ERROR_SUCCESS);
  EXPECT_EQ(stored, u"70");
  ASSERT_EQ(m_list.WriteLongOptProfile(u"General", u"Size", 5, 0), 0);  // the list's own
  EXPECT_EQ(LongAt(m_list, u"Size", 0), 5);
  EXPECT_EQ(LongAt(m_list, u"Size", 1), 70);
  EXPECT_EQ(LongAt(m_list, u"Size", 2), 5);
  // An undeclared key answers the caller's default.
  long v = 0;
  EXPECT_EQ(m_list.GetLongOptProfile(u"General", u"Nothing", v, 123, 2), 1);
  EXPECT_EQ(v, 123);
  // A registry value that does not fit the key's type is no default.
  SRegistry(HKEY_CURRENT_USER, SString(u"Software\\Test\\Opts\\General"), 1).WriteProfile(SString(u"Snap"),
                                                                                       SString(u"perhaps"));
  int b = -1;
  m_list.GetBoolOptProfile(u"General", u"Snap", b, 0, 2);
  EXPECT_EQ(b, 1);
}

TEST_F(OptListTest, TextRoundTripsEveryKindOfValue) {
  m_list.WriteBoolOptProfile(u"General", u"Snap", 0, 0);
  m_list.WriteLongOptProfile(u"General", u"Size", -12, 0);
  m_list.WriteOptProfile(u"Object", u"Words", SString(u" a\\b \"c\"\nline2\t"), 0);
  SString text;
  m_list.SaveOptions(text);
  SLibOptList copy;
  copy.AddBoolOptProfile(u"General", u"Snap", 0, 1, 2);
  copy.AddLongOptProfile(u"General", u"Size", 0, 40, 2);
  copy.FillFromINI(text);
  int b = 1;
  copy.GetBoolOptProfile(u"General", u"Snap", b, 1, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(LongAt(copy, u"Size", 0), -12);
  SString words;
  copy.GetOptProfile(u"Object", u"Words", words, SString(), 0);
  EXPECT_EQ(words, u" a\\b \"c\"\nline2\t");
  SString again;
  copy.SaveOptions(again);
  EXPECT_EQ(again, text);
}

// A damaged text raises after the lines before the damage were taken.
TEST_F(OptListTest, DamagedTextsRaiseAfterTheEarlierLines) {
  const struct {
    const char16_t* text;
  } cases[] = {{u"[General]\nSize=7\nSnap=maybe\n"},
               {u"[General]\nSize=7\nthis is no key\n"},
               {u"[General]\nSize=7\nColour=\"unclosed\n"},
               {u"[General]\nSize=7\nSnap=1\n[Obj"},
               {u"[General]\nSize=7\nSize=12abc\n"}};
  for (const auto& c : cases) {
    SetUp();
    EXPECT_THROW(m_list.FillFromINI(SString(c.text)), SEIOException) << SString(c.text).ToUtf8();
    EXPECT_EQ(LongAt(m_list, u"Size", 0), 7) << SString(c.text).ToUtf8();
  }
  // Keys nobody declared are kept and written back.
  m_list.FillFromINI(SString(u"; comment\n\n[Extra]\nKey=Value\n"));
  SString v;
  EXPECT_EQ(m_list.GetOptProfile(u"Extra", u"Key", v, SString(), 2), 0);
  EXPECT_EQ(v, u"Value");
}

TEST(LibItemManager, ReplacesKnownFieldsAndKeepsTheRest) {
  SLibItemManager items;
  items.SetItem(SString(u"PAGE"), SString(u"3"));
  items.SetItem(SString(u"TOTALPAGE"), SString(u"9"));
  items.SetItem(SString(u"LOOP"), SString(u"%PAGE%"));
  const struct {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"%PAGE% / %TOTALPAGE%", u"3 / 9"}, {u"%NUMBER%", u"%NUMBER%"},   {u"100% done %PAGE%", u"100% done 3"},
      {u"%%PAGE%", u"%3"},                 {u"50%", u"50%"},             {u"%page%", u"%page%"},
      {u"%LOOP%", u"%PAGE%"},              {u"%UNKNOWN%PAGE%", u"%UNKNOWN3"}, {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(items.Translate(SString(c.in)), SString(c.out)) << SString(c.in).ToUtf8();
}

TEST(RelayCache, OneSlotPerOwnerAndFreeForgetsIt) {
  SRelayCache& cache = SRelayCache::Instance();
  int ownerA = 0, ownerB = 0;
  const std::size_t before = cache.GetCount();
  void*& slot = cache.GetEntry(&ownerA);
  EXPECT_EQ(slot, nullptr);
  slot = cache.Alloc(32);
  ASSERT_NE(slot, nullptr);
  EXPECT_EQ(cache.Find(&ownerA), slot);
  EXPECT_EQ(cache.Find(&ownerB), nullptr);
  cache.Free(&ownerA, cache.Find(&ownerA));
  EXPECT_EQ(cache.Find(&ownerA), nullptr);
  EXPECT_EQ(cache.GetCount(), before);
}
