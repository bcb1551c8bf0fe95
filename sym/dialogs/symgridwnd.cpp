#include "sym/dialogs/symgridwnd.h"

#include <new>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sfontdlg.h"
#include "kvcore/smodulestate.h"
#include "kvcore/spropertypage.h"
#include "sym/dialogs/symdlgfrmtobjt.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "sym/subobjects/symsubgrid.h"
#include "win/wingdi.h"

namespace {

const char16_t kClassName[] = u"SSymGridWnd";

// The objects the class procedure made: PostNcDestroy deletes exactly those.
SWndBag& HookBag() {
  static SWndBag bag;
  return bag;
}

// Flags of the font dialog: screen fonts, opened on the given font, with
// the effects (underline, strike-out, colour).
constexpr DWORD kFontDlgFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;

int ScreenPixelsPerInchY() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

SClassInfo SSymGridWnd::__clsinf("SSymGridWnd", sizeof(SSymGridWnd), &SLibGridWndTB::__clsinf,
                                 &SSymGridWnd::CreateObject);

SSymGridWnd::~SSymGridWnd() {
  // An object deleted by its owner before its window's end leaves the bag,
  // so the bag never holds a freed object.
  HookBag().Remove(this);
}

// ---- the window class ----------------------------------------------------------------

LPCWSTR SSymGridWnd::RegisterClassW() { return RegisterClassW(SSymGetModuleState()->GetInstanceHandle()); }

LPCWSTR SSymGridWnd::RegisterClassW(HINSTANCE instance) {
  WNDCLASSW wc{};
  if (::GetClassInfoW(instance, kClassName, &wc)) return kClassName;
  wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
  wc.lpfnWndProc = &SSymGridWnd::WndProcHook;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!::RegisterClassW(&wc))
    throw SException(SString(u"Unable to register class"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
  return kClassName;
}

void SSymGridWnd::UnregisterClassW() { UnregisterClassW(SSymGetModuleState()->GetInstanceHandle()); }

void SSymGridWnd::UnregisterClassW(HINSTANCE instance) { ::UnregisterClassW(kClassName, instance); }

LRESULT SSymGridWnd::WndProcHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SSymGridWnd* wnd = new (std::nothrow) SSymGridWnd();
  if (!wnd) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  // The object takes the window over from here: the procedure it calls for
  // what its map leaves is the default one, not this hook again.
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&::DefWindowProcW));
  if (!wnd->SubclassWindow(hwnd)) {
    delete wnd;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
  }
  HookBag().Add(wnd);
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

SObject* SSymGridWnd::CreateObject() {
  SSymGridWnd* wnd = new (std::nothrow) SSymGridWnd();
  if (!wnd) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  return wnd;
}

int SSymGridWnd::GetHookedCount() { return HookBag().GetCount(); }

void SSymGridWnd::PostNcDestroy() {
  if (HookBag().Remove(this)) delete this;
}

// ---- cells ---------------------------------------------------------------------------

HRESULT SSymGridWnd::SetCellValue(unsigned long row, unsigned long col, const SString& text, int flag) {
  const HRESULT hr = SLibGridWndTB::SetCellValue(row, col, text, flag);
  // The grid sits in a frame on a property page: the page holds a change.
  if (SWnd* parent = GetParent())
    if (auto* page = dynamic_cast<SPropertyPage*>(parent->GetParent())) page->SetModified(TRUE);
  return hr;
}

int SSymGridWnd::OnGridRowColClick(unsigned long row, unsigned long col, UINT) {
  if (col != FontCol) return 0;
  SString text;
  if (FAILED(GetCellValue(row, col, text))) return 0;
  if (text.IsEmpty() && m_pSymGrid) text = SSymDlgFrmtObjt::FontToString(m_pSymGrid->GetFontsEntry());
  if (!EditFont(text, this)) return 0;
  if (SUCCEEDED(SetCellValue(row, FontCol, text, 1))) SetGridCellText(row, FontCol, text);
  return 1;
}

int SSymGridWnd::OnValidateRow(unsigned long& row, unsigned long& col) {
  if (col != FontCol) return 1;
  SSetModuleState scope(SSymGetModuleState());
  SString text;
  GetCellValue(row, col, text);
  SSymFonts font;
  if (text.IsEmpty() || SSymDlgFrmtObjt::StringToFont(text, &font)) return 1;
  SetWarning(SSymLoadString(InvalidFontString), -1, -1);
  return 0;
}

int SSymGridWnd::CanMassChange(unsigned long col, int flag, int* out) {
  if (col == FontCol) {
    if (out) *out = 1;
    return 0;
  }
  return SLibGridWndTB::CanMassChange(col, flag, out);
}

// ---- the font cell editor --------------------------------------------------------------

int SSymGridWnd::EditFont(SString& fontText, SWnd* parent) {
  // The dialog opens on the cell's font; a text that cannot be read opens
  // it on the default entry.
  SSymFonts shown;
  SSymDlgFrmtObjt::StringToFont(fontText, &shown);
  LOGFONTW lf = shown.m_font.GetLOGFONT();
  lf.lfHeight = -::MulDiv(int(shown.m_font.GetSize()), ScreenPixelsPerInchY(), 72);

  SFontDlg dlg(&lf, kFontDlgFlags, nullptr, parent);
  dlg.m_cf.rgbColors = shown.m_color.GetColor();
  if (dlg.DoModal() != IDOK) return 0;

  SSymFonts chosen;
  chosen.m_font.SetFaceName(dlg.GetFaceName());
  chosen.m_font.SetSize(dlg.GetSize() / 10);
  // Every weight from semi-bold up reads as bold.
  LONG style = (dlg.GetWeight() >= 600 ? SSymFont::Bold : 0) | (dlg.IsItalic() ? SSymFont::Italic : 0);
  if (style == 0) style = SSymFont::Normal;
  if (dlg.IsUnderline()) style |= SSymFont::Underline;
  if (dlg.IsStrikeOut()) style |= SSymFont::StrikeOut;
  chosen.m_font.SetStyle(style);
  chosen.m_color = dlg.GetColor();
  fontText = SSymDlgFrmtObjt::FontToString(chosen);
  return 1;
}
