// The reporting scopes (exception kinds to result codes, the dialog shown
// once, targeted exceptions passed on), temporary files and named jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvcore/sjob.h"
#include "kvcore/stempfile.h"
#include "support/temp_files.h"

namespace {

class Reporting : public ::testing::Test {
 protected:
  void SetUp() override {
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
  }
  void TearDown() override { SExceptionDialog::ClearLog(); }
};

TEST_F(Reporting, EachKindGivesItsCodeAndIsShownOnce) {
  struct Case {
    const char* name;
    std::function<void()> raise;
    HRESULT code;
    bool shown;
  } cases[] = {
      {"aborted", [] { throw SEIOAbortedException("f", "file", 1); }, E_ABORT, false},
      {"io with code", [] { throw SEIOException("f", "file", 1, static_cast<DWORD>(STG_E_FILENOTFOUND)); },
       STG_E_FILENOTFOUND, true},
      {"io without code", [] { throw SEEOFException("f", "file", 1); }, STG_E_READFAULT, true},
      {"com", [] { throw SECOMException(E_INVALIDARG); }, E_INVALIDARG, true},
      {"other core", [] { throw SEConstructor(); }, E_UNEXPECTED, true},
      {"targeted without target", [] { throw STargetedException(); }, E_UNEXPECTED, true},
      {"standard", [] { throw std::runtime_error("boom"); }, E_UNEXPECTED, true},
      {"anything", [] { throw 42; }, E_UNEXPECTED, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SExceptionDialog::ClearLog();
    const HRESULT hr = KvReportingScope("fn", "src", 7, [](const SString& t) { return SString("Doing it: ") + t; },
                                        [&]() -> HRESULT {
                                          c.raise();
                                          return S_OK;
                                        });
    EXPECT_EQ(hr, c.code);
    ASSERT_EQ(SExceptionDialog::Log().size(), c.shown ? 1u : 0u);
    if (c.shown) {
      EXPECT_EQ(SExceptionDialog::Log()[0].text.Left(10), SString("Doing it: "));
    }
  }
  // The abort switched the dialog off only around its own report.
  EXPECT_TRUE(SExceptionDialog::IsActive());
}

TEST_F(Reporting, TargetedExceptionWithTargetIsThrownOn) {
  int target = 0;
  EXPECT_THROW(KvReportingScope("fn", "src", 1, nullptr,
                                [&]() -> HRESULT { throw STargetedException(&target, SString("to the caller")); }),
               STargetedException);
  EXPECT_TRUE(SExceptionDialog::Log().empty());
  EXPECT_EQ(KvReportingScope("fn", "src", 1, nullptr, [] { return S_FALSE; }), S_FALSE);
}

TEST(TempFile, CreatedInTheTemporaryFolderAndRemovedWithItsHolder) {
  kvtest::TempDir dir("tempfile");
  SString path;
  {
    STempFile file(SString("png"), SString(dir.path.string()));
    path = file.GetPath();
    EXPECT_TRUE(std::filesystem::exists(path.ToUtf8()));
    EXPECT_EQ(std::filesystem::path(path.ToUtf8()).filename().string().rfind("png", 0), 0u);
    STempFile other(SString("png"), SString(dir.path.string()));
    EXPECT_NE(other.GetPath(), path);
  }
  EXPECT_TRUE(dir.Files().empty());
  EXPECT_THROW(STempFile(SString("png"), SString("/nonexistent/folder")), SEIOException);
}

TEST(Job, RunsTheHandlerOfItsName) {
  SString seen;
  SJob::Register(SString("7:{X}"), [&](const SString& text) {
    seen = text;
    return true;
  });
  EXPECT_TRUE(SJob(SString("7:{X}"), SString("t")).Run());
  EXPECT_EQ(seen, SString("t"));
  EXPECT_FALSE(SJob(SString("8:{X}"), SString()).Run());
  SJob::Register(SString("7:{X}"), nullptr);
  EXPECT_FALSE(SJob(SString("7:{X}"), SString()).Run());
}

// A host that runs for days keeps reporting refusals: the log holds the
// newest ones, in order, and stays bounded.
TEST_F(Reporting, TheDialogLogKeepsTheNewestAndStaysBounded) {
  const std::size_t kept = SExceptionDialog::kLogKept;
  for (std::size_t i = 0; i < 5 * kept + 3; ++i)
    SExceptionDialog::Show("f", "file", static_cast<int>(i), SString("refused"));
  const auto& log = SExceptionDialog::Log();
  ASSERT_GE(log.size(), kept);
  EXPECT_LT(log.size(), 2 * kept);
  for (std::size_t i = 1; i < log.size(); ++i) ASSERT_EQ(log[i].line, log[i - 1].line + 1);
  EXPECT_EQ(log.back().line, static_cast<int>(5 * kept + 2));
}

}  // namespace
