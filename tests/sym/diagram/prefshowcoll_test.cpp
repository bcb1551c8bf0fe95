#include <gtest/gtest.h>

#include <tuple>

#include "kvcore/sinteraction.h"
#include "kvrep/srepextras.h"
#include "support/diagram_fixture.h"
#include "support/repfixture.h"
#include "support/symtest.h"
#include "sym/diagram/symprefshowcoll.h"

namespace {
struct FormatCase {
  std::string name;
  const char16_t* value;
  const char16_t* written;
};
class FormatValueTest : public ::testing::TestWithParam<FormatCase> {};
}  // namespace

TEST_P(FormatValueTest, WritesAndReadsBack) {
  const FormatCase& c = GetParam();
  const SString written = SPrefShowColl::FormatValue(SString(c.value));
  EXPECT_EQ(written, SString(c.written));
  // Between other values, the written form reads back as the value.
  bool damaged = false;
  const std::vector<SString> read = SPrefShowColl::ReadValues(SString(u"a ") + written + u" z", &damaged);
  EXPECT_FALSE(damaged);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1], SString(c.value));
  EXPECT_EQ(read[2], SString(u"z"));
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatValueTest,
    ::testing::Values(FormatCase{"Empty", u"", u"\"\""}, FormatCase{"Plain", u"Name", u"Name"},
                      FormatCase{"QuoteNoBlank", u"a\"b", u"a\\\"b"},
                      FormatCase{"Blank", u"Two Words", u"\"Two Words\""},
                      FormatCase{"BlankAndQuote", u"say \"hi\"", u"\"say \\\"hi\\\"\""},
                      FormatCase{"TabIsNoBlank", u"a\tb", u"a\tb"},
                      FormatCase{"LeadingQuote", u"\"x", u"\\\"x"},
                      FormatCase{"BackslashStays", u"a\\b c", u"\"a\\b c\""},
                      FormatCase{"BackslashBeforeQuote", u"a\\\" b", u"\"a\\\\\" b\""},
                      FormatCase{"OnlyQuotes", u"\"\"", u"\\\"\\\""}),
    CaseName());

TEST(PrefValues, UnclosedQuoteTakesTheRestAndIsDamaged) {
  bool damaged = false;
  const std::vector<SString> read = SPrefShowColl::ReadValues(SString(u"a \"b c \\\" d"), &damaged);
  EXPECT_TRUE(damaged);
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[1], SString(u"b c \" d"));
}

// ---- the attribute, filter and option operations ---------------------------------------------

namespace {
constexpr long kColl = 0x02010100;
constexpr long kACode = 0x101, kAName = 0x102, kANameX = 0x103, kAComment = 0x104, kAExt = 0x040E0001,
               kUnknown = 0x1FF;
constexpr GUID kExtGuid = MakeGUID("{0A1B2C3D-0000-4000-8000-00000000E001}");
const char16_t* const kExtGuidText = u"{0A1B2C3D-0000-4000-8000-00000000E001}";

// The attribute definitions of the items of one collection: four class
// attributes and one extended attribute defined by a repository object.
class PrefCollTest : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    SRepExaIntf& exa = SRepExaIntf::Instance();
    exa.Clear();
    exa.AddClassAttr(kColl, kACode, SString(u"Code"), SString(u"Code"));
    exa.AddClassAttr(kColl, kAName, SString(u"Name"), SString(u"The Name"));
    exa.AddClassAttr(kColl, kANameX, SString(u"NameX"), SString(u"Name X"));
    exa.AddClassAttr(kColl, kAComment, SString(u"Comment"), SString(u"Comment"));
    exa.AddObjectAttr(kColl, kAExt, static_cast<ISRepObjectBase*>(new TNode()), kExtGuid, SString(u"Ext"),
                      SString(u"Extended"));
  }
  void TearDown() override {
    SRepExaIntf::Instance().Clear();
    DiagramFixture::TearDown();
  }
  static std::vector<long> Selected(const SPrefShowColl& p) { return {p.m_selAttrs.begin(), p.m_selAttrs.end()}; }
  ISRepObject* Context() { return m_diagram->RepObject(); }
};

SString Crlf(std::initializer_list<const char16_t*> lines) {
  SString s;
  for (const char16_t* l : lines) {
    if (!s.IsEmpty()) s += u"\r\n";
    s += l;
  }
  return s;
}
}  // namespace

TEST_F(PrefCollTest, AddAttributeWritesLinesAndRefusesItsOwnKeyOnly) {
  SPrefShowColl p(kColl);
  EXPECT_EQ(p.AddAttribute(kANameX, 1, 0, SString(), -1), 1);
  // "Name" only begins the line of NameX: it is an attribute of its own.
  EXPECT_EQ(p.AddAttribute(kAName, 0, 0, SString(u"Short name"), -1), 1);
  EXPECT_EQ(p.AddAttribute(kAName, 1, 0, SString(), -1), 0);  // twice: one line
  EXPECT_EQ(p.AddAttribute(kACode, 0, 1, SString(), 0), 1);   // mandatory, selected in front
  EXPECT_EQ(p.AddAttribute(kAExt, 1, 0, SString(), 7), 1);    // index past the end: appended
  EXPECT_EQ(p.AddAttribute(kUnknown, 1, 0, SString(), -1), 0);
  EXPECT_EQ(p.m_attrList, SString(u"NameX 0\r\nName 0 \"Short name\"\r\nCode 1\r\nExt ") + kExtGuidText + u" 0");
  EXPECT_EQ(Selected(p), (std::vector<long>{kACode, kANameX, kAExt}));

  // Enumeration gives every line with its id, flags and label.
  std::vector<std::tuple<long, int, int, std::string>> seen;
  long id = 0;
  int sel = 0, mand = 0;
  SString label;
  for (int pos = 0; p.GetAttribute(pos, &id, &sel, &mand, &label, Context());)
    seen.emplace_back(id, sel, mand, label.ToUtf8());
  EXPECT_EQ(seen, (std::vector<std::tuple<long, int, int, std::string>>{{kANameX, 1, 0, ""},
                                                                      {kAName, 0, 0, "Short name"},
                                                                      {kACode, 1, 1, ""},
                                                                      {kAExt, 1, 0, ""}}));
  int pos = -1;
  EXPECT_EQ(p.GetAttribute(pos, &id, nullptr, nullptr, nullptr, nullptr), 0);
  pos = 4;
  EXPECT_EQ(p.GetAttribute(pos, &id, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(pos, 4);
}

TEST_F(PrefCollTest, SetAttributeReplacesRemovesAndAppends) {
  SPrefShowColl p(kColl);
  p.AddAttribute(kAName, 1, 0, SString(u"Label"), -1);
  p.AddAttribute(kACode, 1, 0, SString(), -1);
  EXPECT_EQ(p.SetAttribute(kAName, 1), 1);  // mandatory now; the label goes
  EXPECT_EQ(p.m_attrList, Crlf({u"Name 1", u"Code 0"}));
  EXPECT_EQ(p.SetAttribute(kACode, 0), 1);  // removed with its selection
  EXPECT_EQ(p.m_attrList, SString(u"Name 1"));
  EXPECT_EQ(Selected(p), (std::vector<long>{kAName}));
  EXPECT_EQ(p.SetAttribute(kAComment, 1), 1);  // a definition but no line
  EXPECT_EQ(p.m_attrList, Crlf({u"Name 1", u"Comment 1"}));
  EXPECT_EQ(Selected(p), (std::vector<long>{kAName, kAComment}));
  EXPECT_EQ(p.SetAttribute(kUnknown, 1), 0);
  EXPECT_EQ(p.m_attrList, Crlf({u"Name 1", u"Comment 1"}));
}

TEST_F(PrefCollTest, SelectionTextsKeepAttributeOrderAndSkipMandatory) {
  SPrefShowColl p(kColl);
  p.AddAttribute(kACode, 0, 1, SString(), -1);
  p.AddAttribute(kAName, 0, 0, SString(), -1);
  p.AddAttribute(kAExt, 0, 0, SString(), -1);
  p.AddAttribute(kAComment, 0, 0, SString(), -1);
  p.m_selAttrs.Clear();
  for (long id : {kAComment, kAExt, kACode}) p.m_selAttrs.Add(id);
  const SString text = p.GetSelAttrList(Context());
  EXPECT_EQ(text, SString(u"_Ext ") + kExtGuidText + u" Comment");

  // Read back: mandatory and listed ones in attribute order; an id without
  // a line goes last; unknown tokens are dropped.
  EXPECT_EQ(p.SetSelAttrList(SString(u"Comment NameX Bogus _Ext ") + kExtGuidText + u" Name", Context()), 1);
  EXPECT_EQ(Selected(p), (std::vector<long>{kACode, kAName, kAExt, kAComment, kANameX}));
  // "_" without a GUID after it: the next token is an item of its own.
  EXPECT_EQ(p.SetSelAttrList(SString(u"_Ext Name"), Context()), 1);
  EXPECT_EQ(Selected(p), (std::vector<long>{kACode, kAName}));

  EXPECT_EQ(p.GetAttributeListDescription(Context()),
            SString(u"Code (Mandatory)\r\nThe Name\r\nExtended\r\nComment"));

  SPrefShowColl empty(kColl);
  empty.m_selAttrs.Add(kAName);
  EXPECT_EQ(empty.SetSelAttrList(SString(u"Name"), Context()), 0);
  EXPECT_TRUE(empty.m_selAttrs.IsEmpty());
  EXPECT_EQ(empty.SetSelAttrList(SString(), Context()), 1);
}

TEST_F(PrefCollTest, WithoutTheRepositoryInterfaceNothingChanges) {
  SPrefShowColl p(kColl);
  p.AddAttribute(kAName, 1, 0, SString(), -1);
  SRepExaIntf::Instance().Clear();
  ASSERT_EQ(SRepExaIntf::GetExaIntf(), nullptr);
  const SString before = p.m_attrList;
  EXPECT_EQ(p.AddAttribute(kACode, 1, 0, SString(), -1), 0);
  EXPECT_EQ(p.SetAttribute(kAName, 0), 0);
  EXPECT_EQ(p.m_attrList, before);
  EXPECT_EQ(Selected(p), (std::vector<long>{kAName}));
  EXPECT_TRUE(p.GetSelAttrList(Context()).IsEmpty());
  EXPECT_TRUE(p.GetAttributeListDescription(Context()).IsEmpty());
  EXPECT_EQ(p.SetSelAttrList(SString(u"Name"), Context()), 0);
  EXPECT_EQ(Selected(p), (std::vector<long>{kAName}));
  // Reading flags needs no repository.
  int selectable = 0;
  EXPECT_EQ(p.HasCollOptions(nullptr, &selectable, nullptr, nullptr), 1);
  EXPECT_EQ(selectable, 1);
}

TEST_F(PrefCollTest, FiltersAreAddedReadAndResolved) {
  SPrefShowColl p(kColl);
  EXPECT_EQ(p.AddFilter(SString(u"All"), SString(), SString(u"Filter-A")), 1);
  EXPECT_EQ(p.AddFilter(SString(u"Big Ones"), SString(u"Size > 3"), SString(u"Filter-B")), 1);
  EXPECT_EQ(p.AddFilter(SString(u"All"), SString(u"x"), SString(u"Filter-C")), 0);  // same code
  EXPECT_EQ(p.AddFilter(SString(u"Other"), SString(u"x"), SString(u"Filter-B")), 0);  // same id
  EXPECT_EQ(p.AddFilter(SString(u"Al"), SString(u"y"), SString(u"Filter-D")), 1);  // a prefix is a code of its own
  EXPECT_EQ(p.m_filterList,
            Crlf({u"All  Filter-A \"\"", u"\"Big Ones\"  Filter-B \"Size > 3\"", u"Al  Filter-D y"}));
  EXPECT_EQ(p.GetFilterListDescription(), Crlf({u"All", u"Big Ones", u"Al"}));

  SString code, value, id;
  int pos = 1;
  ASSERT_EQ(p.GetFilter(pos, &code, &value, &id), 1);
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(code, SString(u"Big Ones"));
  EXPECT_EQ(value, SString(u"Size > 3"));
  EXPECT_EQ(id, SString(u"Filter-B"));

  SString ref;
  EXPECT_EQ(p.GetFilterIdFromCode(SString(u"Filter-B"), &ref), 1);
  EXPECT_EQ(ref, SString(u"\"Big Ones\" Filter-B"));
  EXPECT_EQ(p.GetFilterIdFromCode(SString(u"Filter-Z"), &ref), 0);

  // By id first; else by code, ignoring case.
  EXPECT_EQ(p.GetFilterFromId(SString(u"Whatever Filter-D"), &code, nullptr, nullptr), 1);
  EXPECT_EQ(code, SString(u"Al"));
  EXPECT_EQ(p.GetFilterFromId(SString(u"\"big ones\" Filter-Old"), &code, nullptr, &id), 1);
  EXPECT_EQ(id, SString(u"Filter-B"));
  EXPECT_EQ(p.GetFilterFromId(SString(u"OnlyOneToken"), &code, nullptr, nullptr), 0);

  SString stale(u"\"BIG ONES\" Filter-Old");
  EXPECT_EQ(p.UpdateFilterIdFromList(stale), 1);
  EXPECT_EQ(stale, SString(u"\"Big Ones\" Filter-B"));
  EXPECT_EQ(p.UpdateFilterIdFromList(stale), 0);  // already canonical
  SString gone(u"Gone Filter-Gone");
  EXPECT_EQ(p.UpdateFilterIdFromList(gone), 1);  // falls back to the first filter
  EXPECT_EQ(gone, SString(u"All Filter-A"));
  SString none;
  EXPECT_EQ(p.UpdateFilterIdFromList(none), 1);
  EXPECT_TRUE(none.IsEmpty());

  SPrefShowColl one(kColl);
  one.AddFilter(SString(u"All"), SString(), SString(u"Filter-A"));
  SString r(u"All Filter-A");
  EXPECT_EQ(one.UpdateFilterIdFromList(r), 1);  // a single filter is no choice
  EXPECT_TRUE(r.IsEmpty());
}

TEST_F(PrefCollTest, NewFilterIdsUnderAutomationAndOtherwise) {
  SPrefShowColl p(kColl);
  {
    SetAutomating automating(true);
    SPrefShowColl::s_nAutomationCount = 0;
    EXPECT_EQ(p.AddFilter(SString(u"A"), SString(), SPrefShowColl::g_szNewCodeRequest), 1);
    EXPECT_EQ(p.AddFilter(SString(u"B"), SString(), SPrefShowColl::g_szNewCodeRequest), 1);
  }
  EXPECT_EQ(p.AddFilter(SString(u"C"), SString(), SPrefShowColl::g_szNewCodeRequest), 1);
  int pos = 0;
  SString id;
  p.GetFilter(pos, nullptr, nullptr, &id);
  EXPECT_EQ(id, SString(u"Filter-11111111-2222-3333-4444-000000000001"));
  p.GetFilter(pos, nullptr, nullptr, &id);
  EXPECT_EQ(id, SString(u"Filter-11111111-2222-3333-4444-000000000002"));
  p.GetFilter(pos, nullptr, nullptr, &id);
  ASSERT_EQ(id.GetLength(), 7 + 36);
  EXPECT_EQ(id.Left(7), SString(u"Filter-"));
  GUID g;
  EXPECT_TRUE(GuidFromString(id.Mid(7).str(), &g));
  EXPECT_NE(g, GUID_NULL);
}

TEST_F(PrefCollTest, OptionsCountFiltersAndSelectableAttributes) {
  SPrefShowColl p(kColl);
  int filters = -1, selectable = -1, limit = -1, word = -1;
  EXPECT_EQ(p.HasCollOptions(&filters, &selectable, &limit, &word), 0);
  EXPECT_EQ(filters, 0);
  p.AddFilter(SString(u"All"), SString(), SString(u"Filter-A"));
  EXPECT_EQ(p.HasCollOptions(&filters, &selectable, nullptr, nullptr), 0);  // one filter: no choice
  EXPECT_EQ(filters, 1);
  p.AddFilter(SString(u"Some"), SString(u"x"), SString(u"Filter-B"));
  EXPECT_EQ(p.HasCollOptions(&filters, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(filters, 2);
  p.AddAttribute(kACode, 0, 1, SString(), -1);
  p.AddAttribute(kAName, 0, 0, SString(), -1);
  p.AddAttribute(kAComment, 0, 0, SString(), -1);
  EXPECT_EQ(p.HasCollOptions(nullptr, &selectable, nullptr, nullptr), 1);
  EXPECT_EQ(selectable, 2);
  SPrefShowColl limited(kColl);
  limited.m_bLimitAllowed = 1;
  limited.m_nOptionWord = 5;
  EXPECT_EQ(limited.HasCollOptions(nullptr, nullptr, &limit, &word), 1);
  EXPECT_EQ(limit, 1);
  EXPECT_EQ(word, 5);
}

TEST_F(PrefCollTest, InitCollOptsFromRegReadsFilterColumnsAndLimit) {
  TDispPref prefs(Context(), SString(u"TST"), 0);
  prefs.Initialize();
  const SString obj = SSymDispPref::GetObjectPath();
  SPrefShowColl p(kColl);
  EXPECT_EQ(p.AddAttribute(kAName, 1, 0, SString(), -1), 1);
  EXPECT_EQ(p.AddAttribute(kAComment, 0, 0, SString(), -1), 1);
  p.AddFilter(SString(u"All"), SString(), SString(u"Filter-A"));
  p.AddFilter(SString(u"Some"), SString(u"x"), SString(u"Filter-B"));
  p.m_filterRef = SString(u"All Filter-A");

  // Nothing stored: the filter stays, "._Columns" is missing (the selection
  // stays but changed is raised).
  int changed = 0;
  EXPECT_EQ(p.InitCollOptsFromReg(SString(u"K"), prefs, changed), 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(p.m_filterRef, SString(u"All Filter-A"));
  EXPECT_EQ(Selected(p), (std::vector<long>{kAName}));

  ASSERT_EQ(prefs.WriteOptProfile(obj, SString(u"K._Filter"), SString(u"Some Filter-B"), 1), 0);
  ASSERT_EQ(prefs.WriteOptProfile(obj, SString(u"K._Columns"), SString(u"Comment"), 1), 0);
  changed = 0;
  EXPECT_EQ(p.InitCollOptsFromReg(SString(u"K"), prefs, changed), 1);
  EXPECT_EQ(changed, 1);
  EXPECT_EQ(p.m_filterRef, SString(u"Some Filter-B"));
  EXPECT_EQ(Selected(p), (std::vector<long>{kAComment}));
  changed = 0;
  EXPECT_EQ(p.InitCollOptsFromReg(SString(u"K"), prefs, changed), 1);
  EXPECT_EQ(changed, 0);  // the same again

  p.m_bLimitAllowed = 1;
  p.m_nLimit = 5;
  ASSERT_EQ(prefs.WriteOptProfile(obj, SString(u"K._Limit"), SString(u"12"), 1), 0);
  EXPECT_EQ(p.InitCollOptsFromReg(SString(u"K"), prefs, changed), 1);
  EXPECT_EQ(p.m_nLimit, 12);
  EXPECT_EQ(changed, 1);

  SPrefShowColl bare(kColl);
  EXPECT_EQ(bare.InitCollOptsFromReg(SString(u"K"), prefs, changed), 0);  // no options
}

TEST_F(PrefCollTest, ShowKeysAndDataClasses) {
  TDispPref prefs(Context(), SString(u"TST"), 0);
  prefs.Initialize();
  SObjPrefShowKey key(SString(u"Show Attrs"), 1);
  int changed = 1;
  EXPECT_EQ(key.InitOptsFromReg(prefs, changed), 0);  // nothing stored: the value stays
  EXPECT_EQ(changed, 1);  // was set
  changed = 0;
  ASSERT_EQ(prefs.WriteBoolOptProfile(SSymDispPref::GetObjectPath(), SString(u"Show Attrs"), 0, 1), 0);
  EXPECT_EQ(key.InitOptsFromReg(prefs, changed), 1);
  EXPECT_EQ(key.m_bValue, 0);
  EXPECT_EQ(changed, 1);
  key.m_nEnabled = 0;
  EXPECT_EQ(key.InitOptsFromReg(prefs, changed), 0);

  SSymDataClass dc(SString(u"Class"), 1);
  SSymDataApplicability restricted{0};
  TSym* sym = Make<TSym>();
  EXPECT_EQ(dc.HasOptions(sym->Obj()), 1);  // applies everywhere
  dc.m_pApplicability = &restricted;
  EXPECT_EQ(dc.HasOptions(nullptr), 1);
  EXPECT_EQ(dc.HasOptions(sym->Obj()), 0);  // a symbol
  EXPECT_EQ(dc.HasOptions(Context()), 1);   // a diagram
  TNode* node = new TNode();
  node->AddRef();
  EXPECT_EQ(dc.HasOptions(static_cast<ISRepObjectBase*>(node)), 1);
  node->Release();
  dc.m_nEnabled = 0;
  EXPECT_EQ(dc.HasOptions(nullptr), 0);
}
