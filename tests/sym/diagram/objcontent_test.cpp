#include <gtest/gtest.h>

#include <memory>

#include "kvrep/srepextras.h"
#include "support/symtest.h"
#include "sym/diagram/symobjcontent.h"
#include "sym/diagram/symprefshowcoll.h"

namespace {
using H = SObjSymContentHelper;

SString Lines(std::initializer_list<const char*> lines) {
  SString s;
  for (const char* l : lines) {
    if (!s.IsEmpty()) s += u"\r\n";
    s += l;
  }
  return s;
}

struct ShowCase {
  std::string name;
  const char* content;
  const char* key;
  int found;
  int show;
};
class ShowKeyTest : public ::testing::TestWithParam<ShowCase> {};
}  // namespace

TEST_P(ShowKeyTest, FindsTheAnchoredLine) {
  const ShowCase& c = GetParam();
  int show = 7;
  EXPECT_EQ(H::IsShowKey(SString(c.content), SString(c.key), show), c.found);
  EXPECT_EQ(show, c.found ? c.show : 7);  // untouched without a line
}

INSTANTIATE_TEST_SUITE_P(
    Content, ShowKeyTest,
    ::testing::Values(ShowCase{"FirstLine", "Name 1\r\nCode 0", "Name", 1, 1},
                      ShowCase{"AfterLineFeed", "Name 1\r\nCode 0", "Code", 1, 0},
                      // the blank after the key is part of the match
                      ShowCase{"PrefixOfLongerKey", "NameX 1", "Name", 0, 0},
                      ShowCase{"LongerKeyFirst", "NameX 0\r\nName 1", "Name", 1, 1},
                      ShowCase{"KeyInsideALine", "Other 1 0 \"\" \"\" Name 1", "Name", 0, 0},
                      ShowCase{"QuotedKey", "\"Two Words\" 1", "Two Words", 1, 1},
                      ShowCase{"OnlyOneMeaning", "Name 10", "Name", 1, 1},
                      ShowCase{"EmptyContent", "", "Name", 0, 0}),
    CaseName());

TEST(ObjContent, ParsesEveryFieldOfALine) {
  const SString content = Lines({"Attrs 1 20 \"My Filter\" Filter-1 Code \"_Ext {X}\"", "Other 0"});
  int show = 0, limit = 0;
  SString filter, sel;
  ASSERT_EQ(H::ParseContentLine(&content, SString(u"Attrs"), &show, &limit, &filter, &sel), 1);
  EXPECT_EQ(show, 1);
  EXPECT_EQ(limit, 20);
  EXPECT_EQ(filter, SString(u"\"My Filter\" Filter-1"));
  EXPECT_EQ(sel, SString(u"Code \"_Ext {X}\""));

  // Outputs are reset; a missing line and a null content answer 0.
  ASSERT_EQ(H::ParseContentLine(&content, SString(u"Other"), &show, &limit, &filter, &sel), 1);
  EXPECT_EQ(show, 0);
  EXPECT_EQ(limit, 0);
  EXPECT_TRUE(filter.IsEmpty());
  EXPECT_TRUE(sel.IsEmpty());
  limit = 5;
  EXPECT_EQ(H::ParseContentLine(&content, SString(u"None"), nullptr, &limit, nullptr, nullptr), 0);
  EXPECT_EQ(limit, 0);
  EXPECT_EQ(H::ParseContentLine(nullptr, SString(u"Attrs"), &show, nullptr, nullptr, nullptr), 0);

  int lim = 0;
  SString f;
  EXPECT_EQ(H::GetLimitKey(&content, SString(u"Attrs"), lim), 1);
  EXPECT_EQ(lim, 20);
  EXPECT_EQ(H::GetFilterKey(&content, SString(u"Attrs"), f), 1);
  EXPECT_EQ(f, SString(u"\"My Filter\" Filter-1"));
}

TEST(ObjContent, EmptyFilterAndNoAttrMarker) {
  const SString content(u"Attrs 1 0 \"\" \"\" <No Attr>");
  int show = 0, limit = 9;
  SString filter(u"x"), sel;
  ASSERT_EQ(H::ParseContentLine(&content, SString(u"Attrs"), &show, &limit, &filter, &sel), 1);
  EXPECT_EQ(show, 1);
  EXPECT_EQ(limit, 0);
  EXPECT_TRUE(filter.IsEmpty());
  EXPECT_EQ(sel, SString(u"<No Attr>"));
}

TEST(ObjContent, DamagedLinesAreUnreadableAndLeftAlone) {
  for (const char* text : {"Attrs ", "Attrs  \t", "Attrs 1 0 \"open filter Filter-1 Code"}) {
    SString content = Lines({"Head 1", text, "Tail 0"});
    const SString before = content;
    int show = 0;
    EXPECT_EQ(H::ParseContentLine(&content, SString(u"Attrs"), &show, nullptr, nullptr, nullptr), 0) << text;
    const int zero = 0;
    EXPECT_EQ(H::AddContentLine(&content, SString(u"Attrs"), &zero, nullptr, nullptr, nullptr), 0) << text;
    EXPECT_EQ(content, before) << text;
  }
}

struct BuildCase {
  std::string name;
  int show;
  int limit;
  const char* filter;
  const char* selection;
  const char* line;
};
class BuildLineTest : public ::testing::TestWithParam<BuildCase> {};

TEST_P(BuildLineTest, WritesOnlyWhatIsNeeded) {
  const BuildCase& c = GetParam();
  SString content;
  const SString filter(c.filter), sel(c.selection);
  ASSERT_EQ(H::AddContentLine(&content, SString(u"K"), &c.show, &c.limit, &filter, &sel), 1);
  EXPECT_EQ(content, SString(c.line));
}

INSTANTIATE_TEST_SUITE_P(
    Content, BuildLineTest,
    ::testing::Values(BuildCase{"ShowOnly", 1, 0, "", "", "K 1"}, BuildCase{"Hidden", 0, 0, "", "", "K 0"},
                      BuildCase{"Limit", 1, 20, "", "", "K 1 20"},
                      BuildCase{"FilterNeedsLimit", 1, 0, "F Filter-1", "", "K 1 0 F Filter-1"},
                      BuildCase{"SelectionNeedsAll", 1, 0, "", "Code Name", "K 1 0 \"\" \"\" Code Name"},
                      BuildCase{"Everything", 0, 3, "F Filter-1", "<No Attr>", "K 0 3 F Filter-1 <No Attr>"},
                      BuildCase{"TrailingBlanksGo", 1, 0, "", "Code \t", "K 1 0 \"\" \"\" Code"}),
    CaseName());

TEST(ObjContent, AddingALineAppendsAfterCrLf) {
  SString content;
  const int hidden = 0;
  ASSERT_EQ(H::AddContentLine(&content, SString(u"Two Words"), &hidden, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(content, SString(u"\"Two Words\" 0"));
  ASSERT_EQ(H::AddContentLine(&content, SString(u"Code"), nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(content, SString(u"\"Two Words\" 0\r\nCode 1"));
  EXPECT_EQ(H::AddContentLine(nullptr, SString(u"Code"), nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(ObjContent, SettingTheShowFlagKeepsTheOtherValues) {
  SString content = Lines({"Attrs 1 20 F Filter-1 Code Name", "Ops 1"});
  ASSERT_EQ(H::AddContentsInString(content, SString(u"Attrs"), 0), 1);
  EXPECT_EQ(content, Lines({"Attrs 0 20 F Filter-1 Code Name", "Ops 1"}));
  const int limit = 0;
  ASSERT_EQ(H::AddContentLine(&content, SString(u"Attrs"), nullptr, &limit, nullptr, nullptr), 1);
  EXPECT_EQ(content, Lines({"Attrs 0 0 F Filter-1 Code Name", "Ops 1"}));
}

TEST(ObjContent, ReplacesTheLineOfItsOwnKeyOnly) {
  // The first text equal to "Name 1" stands inside another key's line; the
  // change goes to the line of the key itself.
  SString content = Lines({"Attrs 1 0 \"\" \"\" Name 1", "Name 1"});
  ASSERT_EQ(H::AddContentsInString(content, SString(u"Name"), 0), 1);
  EXPECT_EQ(content, Lines({"Attrs 1 0 \"\" \"\" Name 1", "Name 0"}));
  // A longer key that begins with the key is not touched either.
  content = Lines({"NameX 1", "Name 1"});
  ASSERT_EQ(H::AddContentsInString(content, SString(u"Name"), 0), 1);
  EXPECT_EQ(content, Lines({"NameX 1", "Name 0"}));
  // A line with untidy blanks is rewritten as a whole.
  content = Lines({"Name  1   ", "Ops 1"});
  ASSERT_EQ(H::AddContentsInString(content, SString(u"Name"), 0), 1);
  EXPECT_EQ(content, Lines({"Name 0", "Ops 1"}));
}

TEST(ObjContent, LineBreaksInValuesAreRefused) {
  SString content(u"A 1");
  const SString bad(u"Code\r\nB 1");
  EXPECT_EQ(H::AddContentLine(&content, SString(u"A"), nullptr, nullptr, nullptr, &bad), 0);
  EXPECT_EQ(H::AddContentLine(&content, SString(u"X\nY"), nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(H::AddContentLine(&content, SString(u"A"), nullptr, nullptr, &bad, nullptr), 0);
  EXPECT_EQ(content, SString(u"A 1"));
}

TEST(ObjContent, MergeReplacesKnownKeysAndSkipsOthers) {
  SString content = Lines({"Attrs 1 20", "Ops 1", "Name 1"});
  EXPECT_EQ(H::MergeContent(content, Lines({"Unknown 0", "Ops 1"})), 0);
  EXPECT_EQ(content, Lines({"Attrs 1 20", "Ops 1", "Name 1"}));
  EXPECT_EQ(H::MergeContent(content, Lines({"  Name 0 ", "", "Attrs 1 0 F Filter-1 Code", "Other 1"})), 1);
  EXPECT_EQ(content, Lines({"Attrs 1 0 F Filter-1 Code", "Ops 1", "Name 0"}));
  // A damaged update line spoils the whole update.
  const SString before = content;
  EXPECT_EQ(H::MergeContent(content, Lines({"Ops 0", "Name"})), 0);
  EXPECT_EQ(content, before);
}

// ---- content built from data classes, and the walk over nested lists ----------------------------

namespace {
constexpr long kColl = 0x02010100;
constexpr long kCode = 0x101, kName = 0x102, kComment = 0x104;

std::unique_ptr<SSymDataClass> Key(const char* name, int value = 1) {
  return std::make_unique<SSymDataClass>(SString(name), value);
}

std::vector<std::string> Walk(SSymRecursiveDataListIterator it) {
  std::vector<std::string> names;
  for (; !it.IsEnd(); it.GetNext()) names.push_back(it.GetCurrent()->m_strKeyName.ToUtf8());
  return names;
}

class ContentDataTest : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    SRepExaIntf& exa = SRepExaIntf::Instance();
    exa.Clear();
    exa.AddClassAttr(kColl, kCode, SString(u"Code"), SString(u"Code"));
    exa.AddClassAttr(kColl, kName, SString(u"Name"), SString(u"Name"));
    exa.AddClassAttr(kColl, kComment, SString(u"Comment"), SString(u"Comment"));
  }
  void TearDown() override {
    SRepExaIntf::Instance().Clear();
    SymFixture::TearDown();
  }
  ISRepObject* Context() { return m_diagram->RepObject(); }
};
}  // namespace

TEST(DataListIterator, WalksLeavesDepthFirstAndPassesEmptyLists) {
  SPtrOwnTable<SSymDataClass> root;
  root.Add(Key("A").release());
  auto empty = std::make_unique<SSymDataList>();
  root.Add(empty.release());
  auto outer = std::make_unique<SSymDataList>();
  outer->m_list.Add(Key("B").release());
  auto inner = std::make_unique<SSymDataList>();
  inner->m_list.Add(Key("C").release());
  outer->m_list.Add(inner.release());
  outer->m_list.Add(Key("D").release());
  root.Add(outer.release());
  root.Add(Key("E").release());

  SSymRecursiveDataListIterator it(&root);
  EXPECT_EQ(Walk(it), (std::vector<std::string>{"A", "B", "C", "D", "E"}));

  // A copy advances on its own.
  it += 2;
  ASSERT_FALSE(it.IsEnd());
  EXPECT_EQ(it.GetCurrent()->m_strKeyName, SString(u"C"));
  SSymRecursiveDataListIterator copy(&root);
  copy = it;
  copy.GetNext();
  EXPECT_EQ(copy.GetCurrent()->m_strKeyName, SString(u"D"));
  EXPECT_EQ(it.GetCurrent()->m_strKeyName, SString(u"C"));
  it += 0;
  it += -3;
  EXPECT_EQ(it.GetCurrent()->m_strKeyName, SString(u"C"));
  it += 10;
  EXPECT_TRUE(it.IsEnd());
  it.reset();
  EXPECT_EQ(it.GetCurrent()->m_strKeyName, SString(u"A"));

  SPtrOwnTable<SSymDataClass> none;
  EXPECT_TRUE(SSymRecursiveDataListIterator(&none).IsEnd());
  EXPECT_TRUE(SSymRecursiveDataListIterator(nullptr).IsEnd());
}

TEST_F(ContentDataTest, InitSymContentWritesEveryLeaf) {
  SPtrOwnTable<SSymDataClass> list;
  list.Add(Key("Stereotype", 0).release());
  auto group = std::make_unique<SSymDataKeyGroup>();
  group->m_keys.emplace_back(SString(u"Icon"), 1);
  group->m_keys.emplace_back(SString(u"Unused"), 1, 0);  // not in use
  group->m_keys.emplace_back(SString(), 1);               // no name
  list.Add(group.release());
  auto nested = std::make_unique<SSymDataList>();
  auto attrs = std::make_unique<SSymDataCollClass>(SString(u"Attributes"), 1, kColl);
  attrs->m_prefColl.AddAttribute(kCode, 0, 1, SString(), -1);
  attrs->m_prefColl.AddAttribute(kName, 1, 0, SString(), -1);
  attrs->m_prefColl.m_nLimit = 10;
  attrs->m_prefColl.m_filterRef = SString(u"All Filter-A");
  nested->m_list.Add(attrs.release());
  auto ops = std::make_unique<SSymDataCollClass>(SString(u"Operations"), 0, kColl);
  ops->m_prefColl.AddAttribute(kCode, 0, 1, SString(), -1);  // nothing to choose
  nested->m_list.Add(ops.release());
  auto off = Key("Disabled");
  off->m_nEnabled = 0;  // no options
  nested->m_list.Add(off.release());
  list.Add(nested.release());

  SString content(u"Icon 0");
  SObjSymContentHelper::InitSymContent(&list, content, Context());
  EXPECT_EQ(content, SString(u"Icon 1\r\nStereotype 0\r\nAttributes 1 10 All Filter-A Name\r\nOperations 0"));

  SString none;
  SObjSymContentHelper::InitSymContent(nullptr, none, Context());
  EXPECT_TRUE(none.IsEmpty());
}

TEST_F(ContentDataTest, EmptySelectionIsWrittenAsNoAttr) {
  SSymDataCollClass attrs(SString(u"Attributes"), 1, kColl);
  attrs.m_prefColl.AddAttribute(kName, 0, 0, SString(), -1);
  SString content;
  ASSERT_EQ(SObjSymContentHelper::AddContentsInString(content, attrs, Context()), 1);
  EXPECT_EQ(content, SString(u"Attributes 1 0 \"\" \"\" <No Attr>"));
}

TEST_F(ContentDataTest, GridSelectionsReadAndWritten) {
  SSubSymGridData grid(SString(u"Grid"), 1, kColl);
  grid.m_prefColl.AddAttribute(kCode, 0, 1, SString(), -1);
  grid.m_prefColl.AddAttribute(kName, 1, 0, SString(), -1);
  grid.m_prefColl.AddAttribute(kComment, 0, 0, SString(), -1);
  auto ids = [](const STableDumb<long>& t) { return std::vector<long>(t.begin(), t.end()); };

  STableDumb<long> got;
  SString content(u"Other 1");
  EXPECT_EQ(SObjSymContentHelper::GetAttrSelList(&content, grid, Context(), &got), 0);  // no line

  content = SString(u"Grid 1 5");  // a line without a selection: the grid's own
  ASSERT_EQ(SObjSymContentHelper::GetAttrSelList(&content, grid, Context(), &got), 1);
  EXPECT_EQ(ids(got), (std::vector<long>{kCode, kName}));

  content = SString(u"Grid 1 0 \"\" \"\" Comment");
  ASSERT_EQ(SObjSymContentHelper::GetAttrSelList(&content, grid, Context(), &got), 1);
  EXPECT_EQ(ids(got), (std::vector<long>{kCode, kComment}));
  EXPECT_EQ(ids(grid.m_prefColl.m_selAttrs), (std::vector<long>{kCode, kName}));  // the grid keeps its own

  content = SString(u"Grid 1 0 \"\" \"\" <No Attr>");
  ASSERT_EQ(SObjSymContentHelper::GetAttrSelList(&content, grid, Context(), &got), 1);
  EXPECT_EQ(ids(got), (std::vector<long>{kCode}));  // only what is mandatory

  content = SString(u"Grid 0 7 F Filter-F Comment");
  ASSERT_EQ(SObjSymContentHelper::AddAttrSelList(&content, grid, Context()), 1);
  EXPECT_EQ(content, SString(u"Grid 0 7 F Filter-F Name"));
}
