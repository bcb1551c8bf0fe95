// The font entry of a sub-object: finding, replacing and copying it by
// name, its colour, its place in font lists, verbs through the parent, and
// the stream of the font (byte for byte, and refused when unreadable).
#include <gtest/gtest.h>

#include "kvcore/sexception.h"
#include "support/subs_fixture.h"
#include "sym/foundation/symstream.h"

namespace {

class SubsFonts : public SymFixture {};

SSymFonts Entry(const char16_t* name, const char16_t* face, LONG size, DWORD color) {
  SSymFonts e;
  e.m_name = SString(name);
  e.m_font.m_faceName = SString(face);
  e.m_font.m_size = size;
  e.m_color = SSymColor(color);
  e.m_label = SString(u"label of ") + SString(name);
  return e;
}

TEST_F(SubsFonts, FindsReplacesAndCopiesTheEntryByItsExactName) {
  TSubHolder* h = Place<TSubHolder>(DiagramOwner());
  SubRef<TSub> s(new TSub(SSymRect(0, 100, 100, 0)));
  s->SetParent(h->Sink());
  const SSymFonts title = Entry(u"Title", u"Arial", 10, 0x0000FF);
  s->_SetFonts(title);
  ISSymFonts* f = s->FontsFace();
  SSymFonts out;
  EXPECT_EQ(f->GetFont(SString(u"title"), &out), 0);  // letter case counts
  EXPECT_EQ(f->GetFont(SString(), &out), 0);
  EXPECT_EQ(f->GetFont(SString(u"Title"), &out), 1);
  EXPECT_EQ(out, title);

  // Replacing takes the given record whole, its name included.
  const SSymFonts other = Entry(u"Other", u"Courier New", 12, 0x00FF00);
  EXPECT_EQ(f->SetFont(SString(u"Body"), other, 1), 0);
  EXPECT_EQ(h->m_subRedraws, 0);
  EXPECT_EQ(f->SetFont(SString(u"Title"), other, 1), 1);
  EXPECT_EQ(s->GetFontsEntry(), other);
  EXPECT_EQ(h->m_subRedraws, 1);
  EXPECT_EQ(f->SetFont(SString(u"Other"), title, 0), 1);
  EXPECT_EQ(h->m_subRedraws, 1);

  // Copying takes only the font and its colour.
  EXPECT_EQ(f->CopyFont(SString(u"Other"), other, 1), 0);
  EXPECT_EQ(f->CopyFont(SString(u"Title"), other, 1), 1);
  EXPECT_EQ(s->GetFontsEntry().m_name, SString(u"Title"));
  EXPECT_EQ(s->GetFontsEntry().m_label, title.m_label);
  EXPECT_EQ(s->GetSubFont(), other.m_font);
  EXPECT_EQ(s->GetSubFontColor().GetColor(), 0x00FF00u);
  EXPECT_EQ(h->m_subRedraws, 2);

  // An empty name matches only an empty name.
  s->_SetFonts(Entry(u"", u"Arial", 8, 0));
  EXPECT_EQ(f->GetFont(SString(), &out), 1);
  EXPECT_EQ(f->GetFont(SString(u" "), &out), 0);
}

TEST_F(SubsFonts, ColourChangesQuietlyAndOnlyWhenDifferent) {
  TSubHolder* h = Place<TSubHolder>(DiagramOwner());
  SubRef<TSub> s(new TSub());
  s->SetParent(h->Sink());
  s->_SetFontColor(SSymColor(0x123456));
  EXPECT_EQ(s->FontsFace()->SetFontsColor(SSymColor(0x123456)), 0);
  EXPECT_EQ(s->FontsFace()->SetFontsColor(SSymColor(0x654321)), 1);
  EXPECT_EQ(s->GetSubFontColor().GetColor(), 0x654321u);
  s->_SetFontStyle(SSymFont::Bold);
  s->_SetFont(SSymFont(SString(u"Courier New"), 11));
  EXPECT_EQ(s->GetSubFont().m_faceName, SString(u"Courier New"));
  EXPECT_EQ(h->m_subRedraws, 0);  // none of these redraws
}

TEST(SubsFontsList, AppendsItsEntryToFontLists) {
  SubRef<TSub> s(new TSub());
  s->_SetFonts(Entry(u"Body", u"Arial", 9, 0));
  s->AddFonts(nullptr);  // nothing to append to
  SSymLstFonts list;
  list.Add(Entry(u"First", u"Arial", 8, 0));
  s->AddFonts(&list);
  s->FontsFace()->GetFonts(&list);
  s->FontsFace()->GetAllFonts(&list);
  s->FontsFace()->GetAllFonts(nullptr);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list.GetAt(0).m_name, SString(u"First"));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(list.GetAt(i), s->GetFontsEntry());
  EXPECT_EQ(s->FontsFace()->GetFontCount(), 1);
  STable<SSymSubsFonts*> subs;
  s->GetParentSubSymList(subs);  // no parent to list them: itself alone
  ASSERT_EQ(subs.GetCount(), 1);
  EXPECT_EQ(subs.GetAt(0), s.t);
}

// A holder that lists its compartments (flattened on request).
class TListing : public SRepFaces<TListing, TSubHolder, ISSymSubSym> {
 public:
  explicit TListing(ISRepSession* s) : SRepFaces(s) {}
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG*, LONG*, LONG*, LONG*) override { return 0; }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>& list, int nested) override {
    m_nested = nested;
    for (SSymSubsFonts* s : m_subs) list.Add(s);
    return static_cast<int>(m_subs.size());
  }
  int GetSubSymCount(int) override { return static_cast<int>(m_subs.size()); }
  SSymSubsFonts* GetSubSymbol(int i, int) override {
    return i >= 0 && i < GetSubSymCount(0) ? m_subs[static_cast<size_t>(i)] : nullptr;
  }
  int GetSubSymSize(LONG*, LONG*) override { return 0; }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }
  std::vector<SSymSubsFonts*> m_subs;
  int m_nested = -1;
};

TEST_F(SubsFonts, TheParentListsAllItsCompartments) {
  TListing* h = Make<TListing>();
  SubRef<TSub> a(new TSub()), b(new TSub());
  a->SetParent(h->Sink());
  b->SetParent(h->Sink());
  h->m_subs = {a.t, b.t};
  STable<SSymSubsFonts*> list;
  b->GetParentSubSymList(list);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetAt(0), a.t);
  EXPECT_EQ(list.GetAt(1), b.t);
  EXPECT_EQ(h->m_nested, 1);  // nested layouts flattened
  // A holder that cannot list them: the compartment alone.
  TSubHolder* plain = Make<TSubHolder>();
  SubRef<TSub> c(new TSub());
  c->SetParent(plain->Sink());
  STable<SSymSubsFonts*> alone;
  c->GetParentSubSymList(alone);
  ASSERT_EQ(alone.GetCount(), 1);
  EXPECT_EQ(alone.GetAt(0), c.t);
}

TEST_F(SubsFonts, VerbsGoToTheParentSymbol) {
  SubRef<TSub> s(new TSub());
  EXPECT_EQ(s->FontsFace()->DoVerb(3, nullptr, nullptr, nullptr), E_FAIL);  // no parent
  EXPECT_EQ(s->FontsFace()->EnumVerbs(), static_cast<LONG>(E_NOTIMPL));
  TSubHolder* h = Make<TSubHolder>();
  s->SetParent(h->Sink());
  EXPECT_EQ(s->FontsFace()->DoVerb(3, nullptr, nullptr, nullptr), 7);
  EXPECT_EQ(h->m_verbs, std::vector<LONG>{3});
  SubRef<TSub> copy(new TSub(*s.t));  // the copy keeps parent, entry and kind
  EXPECT_EQ(copy->FontsFace()->DoVerb(4, nullptr, nullptr, nullptr), 7);
  EXPECT_EQ(copy->GetKind(), 2);
}

std::vector<BYTE> Written(const SSymSubsFonts& s) {
  SOutputGlobal g;
  EXPECT_EQ(s.OnGetBlobData(g), S_OK);
  return g.GetBytes();
}

TEST(SubsFontsStream, TheFontStreamIsOneStringAndRoundTripsByteForByte) {
  struct {
    const char16_t* face;
    LONG size;
    LONG style;
    const char* text;
  } cases[] = {{u"Arial", 8, SSymFont::Bold, "Arial,8,B"},
               {u"Times New Roman", 12, SSymFont::Bold | SSymFont::Italic | SSymFont::Underline | SSymFont::StrikeOut,
                "Times New Roman,12,BIUS"},
               {u"Courier New", 10, SSymFont::Normal, "Courier New,10,N"},
               {u"\u00c4rial", 9, SSymFont::Italic, "\xc3\x84rial,9,I"}};
  for (const auto& c : cases) {
    SubRef<TSub> s(new TSub());
    SSymFont f(SString(c.face), c.size);
    f.m_style = c.style;
    s->_SetFont(f);
    const std::vector<BYTE> bytes = Written(*s.t);
    std::vector<BYTE> expected{static_cast<BYTE>(std::string(c.text).size() + 1)};
    for (const char* p = c.text; *p; ++p) expected.push_back(static_cast<BYTE>(*p));
    expected.push_back(0);
    EXPECT_EQ(bytes, expected) << c.text;
    SubRef<TSub> back(new TSub());
    SInputGlobal in(bytes);
    EXPECT_EQ(back->OnSetBlobData(in), S_OK);
    EXPECT_EQ(in.GetAvailable(), 0u);
    EXPECT_EQ(back->GetSubFont().GetAsString(), f.GetAsString()) << c.text;
    EXPECT_EQ(Written(*back.t), bytes) << c.text;
  }
}

TEST(SubsFontsStream, AnUnreadableStreamLeavesTheFontAsItWas) {
  const std::string longFace(40, 'F');
  struct {
    const char* name;
    std::vector<BYTE> bytes;
    bool eof;
  } cases[] = {
      {"empty", {}, true},
      {"count beyond the end", {20, 'A', 'r', 'i'}, true},
      {"no terminating zero", {4, 'A', 'B', 'C', 'D'}, true},
      {"not a font text", {3, 'x', 'y', 0}, false},
      {"face too long", {}, false},
  };
  const std::string longText = longFace + ",8,B";
  cases[4].bytes.push_back(static_cast<BYTE>(longText.size() + 1));
  for (char ch : longText) cases[4].bytes.push_back(static_cast<BYTE>(ch));
  cases[4].bytes.push_back(0);
  for (const auto& c : cases) {
    SubRef<TSub> s(new TSub());
    SSymFont before(SString(u"Courier New"), 11);
    s->_SetFont(before);
    SInputGlobal in(c.bytes);
    bool threw = false;
    try {
      s->OnSetBlobData(in);
    } catch (const SEEOFException&) {
      threw = true;
    }
    EXPECT_EQ(threw, c.eof) << c.name;
    EXPECT_EQ(s->GetSubFont(), before) << c.name;
  }
}

}  // namespace
