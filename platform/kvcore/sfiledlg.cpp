// The file dialogs' record and the reading of the chosen path.
#include "kvcore/sfiledlg.h"

#include <algorithm>

#include "kvcore/swnd.h"

namespace {
constexpr std::size_t kPathChars = 1024;
}

SFileDlg::SFileDlg(BOOL openFileDialog, LPCWSTR defExt, LPCWSTR fileName, DWORD flags, LPCWSTR filter, SWnd* parent)
    : m_bOpen(openFileDialog != FALSE), m_file(kPathChars, u'\0') {
  if (fileName) {
    const std::u16string name(fileName);
    std::copy_n(name.begin(), std::min(name.size(), kPathChars - 1), m_file.begin());
  }
  if (filter) {
    // '|' separates the texts; the list ends with two nulls.
    m_filter = filter;
    std::replace(m_filter.begin(), m_filter.end(), u'|', u'\0');
    m_filter.push_back(u'\0');
    m_filter.push_back(u'\0');
  }
  if (defExt) m_defExt = defExt;
  m_ofn.lStructSize = sizeof m_ofn;
  m_ofn.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
  m_ofn.lpstrFilter = filter ? m_filter.c_str() : nullptr;
  m_ofn.nFilterIndex = 1;
  m_ofn.lpstrFile = m_file.data();
  m_ofn.nMaxFile = DWORD(m_file.size());
  m_ofn.lpstrDefExt = defExt ? m_defExt.c_str() : nullptr;
  m_ofn.Flags = flags | OFN_EXPLORER;
}

int SFileDlg::DoModal() {
  const BOOL ok = m_bOpen ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  return ok ? IDOK : IDCANCEL;
}

SString SFileDlg::GetPathName() const { return SString(m_ofn.lpstrFile); }

SString SFileDlg::GetFileName() const {
  const std::u16string path(m_ofn.lpstrFile);
  const std::size_t slash = path.find_last_of(u"/\\");
  return SString(path.substr(slash == std::u16string::npos ? 0 : slash + 1).c_str());
}

SString SFileDlg::GetFileExt() const {
  const std::u16string name(GetFileName().c_str());
  const std::size_t dot = name.find_last_of(u'.');
  return dot == std::u16string::npos ? SString() : SString(name.substr(dot + 1).c_str());
}

SString SFileDlg::GetFileTitle() const {
  const std::u16string name(GetFileName().c_str());
  return SString(name.substr(0, name.find_last_of(u'.')).c_str());
}

SPictureDlg::SPictureDlg(LPCWSTR fileName, SWnd* parent)
    : SFileDlg(TRUE, nullptr, fileName, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, Filter(), parent) {}

LPCWSTR SPictureDlg::Filter() {
  return u"Pictures (*.bmp;*.png;*.emf;*.wmf)|*.bmp;*.png;*.emf;*.wmf|All Files (*.*)|*.*||";
}
