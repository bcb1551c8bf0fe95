// SFileDlg: the file open and save dialogs. The filter is given as pairs of
// texts separated by '|' ("Pictures (*.png)|*.png|All Files (*.*)|*.*||").
// DoModal shows the dialog (GetOpenFileNameW or GetSaveFileNameW, scripted:
// see win/commdlg.h) and answers IDOK or IDCANCEL; the getters read the
// chosen path. SPictureDlg is the picture picker: an open dialog for the
// picture files a symbol can show.
#pragma once

#include <string>

#include "kvcore/sstring.h"
#include "win/commdlg.h"

class SWnd;

class SFileDlg {
 public:
  SFileDlg(BOOL openFileDialog, LPCWSTR defExt = nullptr, LPCWSTR fileName = nullptr,
           DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR filter = nullptr, SWnd* parent = nullptr);
  virtual ~SFileDlg() = default;
  SFileDlg(const SFileDlg&) = delete;
  SFileDlg& operator=(const SFileDlg&) = delete;

  virtual int DoModal();
  SString GetPathName() const;
  SString GetFileName() const;  // the name with its extension
  SString GetFileExt() const;   // without the dot
  SString GetFileTitle() const;  // the name without its extension
  BOOL IsOpenDialog() const { return m_bOpen ? TRUE : FALSE; }
  OPENFILENAMEW m_ofn{};

 private:
  bool m_bOpen;
  std::u16string m_file;
  std::u16string m_filter;
  std::u16string m_defExt;
};

class SPictureDlg : public SFileDlg {
 public:
  explicit SPictureDlg(LPCWSTR fileName = nullptr, SWnd* parent = nullptr);
  static LPCWSTR Filter();
};
