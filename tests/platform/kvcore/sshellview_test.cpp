// The host's shell view as the library calls it: the status bar of its
// frame, the window its sites give, and the class records that make it.
#include "kvcore/sshellview.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kvcore/sexception.h"

namespace {

// A host frame; with a status bar it answers that face too. A query for the
// status bar can be made to fail with a given code.
class FakeFrame final : public ISShellHostFrame, public ISShellHostStatusBar {
 public:
  bool hasBar = true;
  HRESULT barQuery = S_OK;    // a failure code to answer the status-bar query with
  HRESULT barAnswer = S_OK;   // what SetText answers
  int refs = 1;
  struct Call {
    IUnknown* site;
    DWORD flags;
    std::string text;
  };
  std::vector<Call> calls;

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_ISShellHostFrame) {
      *ppv = static_cast<ISShellHostFrame*>(this);
    } else if (iid == IID_ISShellHostStatusBar) {
      if (FAILED(barQuery)) return barQuery;
      if (hasBar) *ppv = static_cast<ISShellHostStatusBar*>(this);
    }
    if (!*ppv) return E_NOINTERFACE;
    ++refs;
    return S_OK;
  }
  ULONG AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG Release() override { return static_cast<ULONG>(--refs); }
  HRESULT SetText(IUnknown* site, DWORD flags, const SString& text) override {
    calls.push_back({site, flags, text.ToUtf8()});
    return barAnswer;
  }
};

}  // namespace

TEST(ShellView, StatusBarTextReachesTheFramesBarOnBehalfOfTheSite) {
  struct Case {
    const char* what;
    bool frame, hasBar;
    HRESULT answer;
    bool shown;   // what SetStatusBarText answers
    bool called;  // whether the bar was asked
  };
  const Case cases[] = {
      {"no frame", false, true, S_OK, false, false},
      {"a frame without a status bar", true, false, S_OK, false, false},
      {"the bar takes the text", true, true, S_OK, true, true},
      {"the bar takes it with a warning", true, true, S_FALSE, true, true},
      {"the bar refuses the text", true, true, E_FAIL, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFrame frame, site;
    frame.hasBar = c.hasBar;
    frame.barAnswer = c.answer;
    {
      SShellView view(c.frame ? &frame : nullptr);
      view.SetSite(static_cast<ISShellHostFrame*>(&site));
      EXPECT_EQ(view.SetStatusBarText(SString("Customer")), c.shown);
      ASSERT_EQ(frame.calls.size(), c.called ? 1u : 0u);
      if (c.called) {
        EXPECT_EQ(frame.calls[0].site, static_cast<ISShellHostFrame*>(&site));
        EXPECT_EQ(frame.calls[0].flags, 0u);
        EXPECT_EQ(frame.calls[0].text, "Customer");
      }
    }
    EXPECT_EQ(frame.refs, 1) << "the view and the query gave back what they took";
    EXPECT_EQ(site.refs, 1);
  }
}

// A query of the frame that fails for another reason than a missing
// interface is an error of the host, reported with its code.
TEST(ShellView, AFailedQueryOfTheFrameThrowsWithItsCode) {
  FakeFrame frame;
  frame.barQuery = E_UNEXPECTED;
  SShellView view(&frame);
  try {
    view.SetStatusBarText(SString("x"));
    FAIL() << "no exception";
  } catch (const SECOMException& e) {
    EXPECT_EQ(e.GetResult(), E_UNEXPECTED);
  }
  EXPECT_TRUE(frame.calls.empty());
  frame.barQuery = E_NOINTERFACE;
  EXPECT_FALSE(view.SetStatusBarText(SString("x")));
}

TEST(ShellView, TheSitesGiveTheFrameWindowBeforeTheViewWindow) {
  SShellView view;
  EXPECT_EQ(view.GetSiteWindow(), nullptr);
  HWND frameWnd = reinterpret_cast<HWND>(0x10), viewWnd = reinterpret_cast<HWND>(0x20);
  view.SetSiteWindows(nullptr, viewWnd);
  EXPECT_EQ(view.GetSiteWindow(), viewWnd);
  view.SetSiteWindows(frameWnd, viewWnd);
  EXPECT_EQ(view.GetSiteWindow(), frameWnd);
}

// The host makes its shell views through their class records.
TEST(ShellView, ClassRecordsMakeTheClassObjectAndItsViews) {
  const SClassInfo* viewInfo = SClassInfo::Find("SShellView");
  const SClassInfo* classInfo = SClassInfo::Find("SShellViewClass");
  ASSERT_NE(viewInfo, nullptr);
  ASSERT_NE(classInfo, nullptr);
  EXPECT_TRUE(viewInfo->IsDerivedFrom(&SCmdTarget::__clsinf));
  EXPECT_FALSE(classInfo->IsDerivedFrom(&SCmdTarget::__clsinf));

  std::unique_ptr<SObject> made(classInfo->CreateObject());
  auto* factory = dynamic_cast<SShellViewClass*>(made.get());
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(factory->GetClassInfo(), classInfo);

  FakeFrame frame;
  {
    std::unique_ptr<SShellView> view(factory->CreateView(&frame));
    EXPECT_EQ(view->GetClassInfo(), viewInfo);
    EXPECT_EQ(view->GetHostFrame(), static_cast<ISShellHostFrame*>(&frame));
    EXPECT_TRUE(view->SetStatusBarText(SString("made")));
    std::unique_ptr<SObject> bare(viewInfo->CreateObject());
    ASSERT_TRUE(bare->IsKindOf(viewInfo));
    EXPECT_FALSE(static_cast<SShellView*>(bare.get())->SetStatusBarText(SString("none")));
  }
  EXPECT_EQ(frame.refs, 1);
}
