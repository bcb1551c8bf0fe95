// SShellView: the host's view object in which an editing window is shown,
// in the least form the library calls: the host frame it lives in, whose
// status bar shows texts for the view, its own site interface, which
// the status bar is told the text comes from, and the windows of its sites,
// to which the commands the library does not handle are routed.
// SShellViewClass is the class object through which the host makes them.
//
// Both are the host's; the library only calls them. Their class records
// ("SShellView", "SShellViewClass") are built at start-up.
#pragma once

#include "kvcore/scmdtarget.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "win/windef.h"

inline constexpr IID IID_ISShellHostStatusBar = MakeGUID("{C69CBB8A-6A51-11D0-90A3-444553540000}");
inline constexpr IID IID_ISShellHostFrame = MakeGUID("{C69CBB89-6A51-11D0-90A3-444553540000}");

// The status bar of the host's frame.
struct ISShellHostStatusBar : IUnknown {
  static constexpr IID iid = IID_ISShellHostStatusBar;
  // Shows `text` for the site that sends it (flags 0); an empty text clears
  // the bar.
  virtual HRESULT SetText(IUnknown* site, DWORD flags, const SString& text) = 0;

 protected:
  ~ISShellHostStatusBar() = default;
};

// The host's frame; the library asks it for its status bar only.
struct ISShellHostFrame : IUnknown {
  static constexpr IID iid = IID_ISShellHostFrame;

 protected:
  ~ISShellHostFrame() = default;
};

class SShellView : public SCmdTarget {
  KV_DECLARE_CLASSINFO()

 public:
  SShellView() = default;
  explicit SShellView(ISShellHostFrame* frame) : m_frame(frame) {}

  // The frame the view lives in (counted; null while it has none).
  ISShellHostFrame* GetHostFrame() const { return m_frame.Get(); }
  void SetHostFrame(ISShellHostFrame* frame) { m_frame = frame; }
  // The view's own site interface (counted; may be null).
  IUnknown* GetSite() const { return m_site.Get(); }
  void SetSite(IUnknown* site) { m_site = site; }
  // The windows of the view's sites: the host's frame window and its view
  // window, either of them null.
  void SetSiteWindows(HWND frame, HWND view) {
    m_frameWnd = frame;
    m_viewWnd = view;
  }
  // The first window the sites give (the frame's before the view's), null
  // when they give none.
  HWND GetSiteWindow() const { return m_frameWnd ? m_frameWnd : m_viewWnd; }

  // Shows the text in the host frame's status bar, on behalf of the view's
  // site. False without a frame, when the frame has no status bar, or when
  // the bar refuses the text. A query of the frame that fails otherwise than
  // for want of the interface throws SECOMException.
  bool SetStatusBarText(const SString& text);

 private:
  SComWrap<ISShellHostFrame> m_frame;
  SComWrap<IUnknown> m_site;
  HWND m_frameWnd = nullptr;
  HWND m_viewWnd = nullptr;
};

class SShellViewClass : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  // A new shell view in the host frame (null allowed); the caller owns it.
  SShellView* CreateView(ISShellHostFrame* frame) const { return new SShellView(frame); }
};
