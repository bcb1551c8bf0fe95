#include "kvcore/sfile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "kvcore/sstring.h"
#include "support/temp_files.h"

namespace fs = std::filesystem;

TEST(SFile, CreateFilePathMakesTheMissingFolders) {
  kvtest::TempDir dir("sfile");
  SString out;
  const SString name = SString(dir.path.string()) + u"\\a/b\\pic.png";
  ASSERT_EQ(SFile::CreateFilePath(name, out, 1), S_OK);
  EXPECT_TRUE(fs::is_directory(dir.path / "a" / "b"));
  EXPECT_EQ(fs::path(out.ToUtf8()), dir.path / "a" / "b" / "pic.png");
  // Without creating, nothing is made.
  ASSERT_EQ(SFile::CreateFilePath(SString(dir.path.string()) + u"/c/x.emf", out, 0), S_OK);
  EXPECT_FALSE(fs::exists(dir.path / "c"));
}

TEST(SFile, CreateFilePathRefusesWhatNamesNoFile) {
  SString out(u"kept?");
  EXPECT_EQ(SFile::CreateFilePath(SString(), out, 1), E_INVALIDARG);
  EXPECT_TRUE(out.IsEmpty());
  EXPECT_EQ(SFile::CreateFilePath(SString(u"folder/"), out, 1), E_INVALIDARG);
  // A name without a folder is a file of the current folder.
  ASSERT_EQ(SFile::CreateFilePath(SString(u"plain.bmp"), out, 0), S_OK);
  EXPECT_EQ(fs::path(out.ToUtf8()), fs::current_path() / "plain.bmp");
  // A folder that cannot be made: a file stands in its way.
  kvtest::TempDir dir("sfile");
  const fs::path blocker = dir.path / "blocker";
  { std::FILE* f = std::fopen(blocker.c_str(), "w"); std::fclose(f); }
  EXPECT_TRUE(FAILED(SFile::CreateFilePath(SString((blocker / "sub" / "x.png").string()), out, 1)));
  EXPECT_TRUE(out.IsEmpty());
}

TEST(SStringTokenizerQuoted, QuotedTokensWithEscapes) {
  const struct {
    const char16_t* text;
    std::vector<std::u16string> tokens;
    bool damaged;
  } cases[] = {
      {u"a b  c", {u"a", u"b", u"c"}, false},
      {u"\"two words\" x", {u"two words", u"x"}, false},
      {u"\"say \\\"hi\\\"\"", {u"say \"hi\""}, false},
      {u"\"\" next", {u"", u"next"}, false},
      {u"back\\\\slash", {u"back\\slash"}, false},
      {u"\"cut short", {u"cut short"}, true},
  };
  for (const auto& c : cases) {
    SStringTokenizer t(SString(c.text), SString(u" "), SStringTokenizer::Quoted);
    std::vector<std::u16string> got;
    while (t.HasMoreTokens()) got.push_back(t.NextToken().str());
    EXPECT_EQ(got, c.tokens) << SString(c.text).ToUtf8();
    EXPECT_EQ(t.IsDamaged(), c.damaged) << SString(c.text).ToUtf8();
  }
}
