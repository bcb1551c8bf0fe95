// The OLE convert dialog, headless: each showing takes the next answer of a
// script (no script: the user cancels) and logs what it was shown.
#pragma once

#include <string>
#include <vector>

#include "win/winole.h"
#include "win/winoledata.h"

constexpr UINT OLEUI_OK = 1;
constexpr UINT OLEUI_CANCEL = 2;
constexpr UINT OLEUI_ERR_STANDARDMIN = 100;
// Flags: what the user chose (set by the dialog) and how it is shown.
constexpr DWORD CF_SELECTCONVERTTO = 0x1;
constexpr DWORD CF_SELECTACTIVATEAS = 0x2;
constexpr DWORD CF_SETCONVERTDEFAULT = 0x4;
constexpr DWORD CF_SETACTIVATEDEFAULT = 0x8;

struct OLEUICONVERTW {
  DWORD cbStruct;
  DWORD dwFlags;
  HWND hWndOwner;
  CLSID clsid;  // the object's class
  CLSID clsidConvertDefault;
  CLSID clsidActivateDefault;
  CLSID clsidNew;  // the class chosen
  DWORD dvAspect;  // in: the shown aspect; out: the one chosen
  WORD wFormat;
  BOOL fIsLinkedObject;
  HENHMETAFILE hMetaPict;  // the object's picture, may be null
  LPWSTR lpszUserType;  // the object's user type; out: task memory of the chosen class's type
  BOOL fObjectsIconChanged;
};

// Shows the dialog: OLEUI_OK with the chosen class, selection flag and
// aspect; OLEUI_CANCEL; OLEUI_ERR_STANDARDMIN for a null or short record.
UINT OleUIConvertW(OLEUICONVERTW* convert);

// One answer of the user.
struct KvOleConvertAnswer {
  UINT result = OLEUI_CANCEL;
  DWORD selection = CF_SELECTCONVERTTO;  // CF_SELECTCONVERTTO or CF_SELECTACTIVATEAS
  CLSID clsidNew = CLSID_NULL;
  DWORD aspect = DVASPECT_CONTENT;
  const char16_t* userType = nullptr;  // the chosen class's user type (null: none)
};
void KvOleConvertScript(const std::vector<KvOleConvertAnswer>& answers);
// What each showing was given, in order.
const std::vector<OLEUICONVERTW>& KvOleConvertLog();
// Forgets the scripts and logs of the convert and paste-special dialogs.
void KvOleConvertReset();

// ---- the paste-special dialog ----
constexpr UINT OLEUI_IOERR_ARRPASTEENTRIESINVALID = 117;
constexpr DWORD PSF_SHOWHELP = 0x1;
constexpr DWORD PSF_SELECTPASTE = 0x2;
constexpr DWORD PSF_SELECTPASTELINK = 0x4;
// One format the dialog offers.
struct OLEUIPASTEENTRYW {
  FORMATETC fmtetc;
  LPCWSTR lpstrFormatName;
  LPCWSTR lpstrResultText;
  DWORD dwFlags;
  DWORD dwScratchSpace;
};
struct OLEUIPASTESPECIALW {
  DWORD cbStruct;
  DWORD dwFlags;  // out: PSF_SELECTPASTE or PSF_SELECTPASTELINK
  HWND hWndOwner;
  LPCWSTR lpszCaption;
  IDataObject* lpSrcDataObj;  // null: the clipboard's
  OLEUIPASTEENTRYW* arrPasteEntries;
  int cPasteEntries;
  int nSelectedIndex;  // out: the chosen entry
  BOOL fLink;          // out: paste as a link
};
// Shows the dialog: OLEUI_OK with the chosen entry; OLEUI_CANCEL;
// OLEUI_ERR_STANDARDMIN for a null or short record;
// OLEUI_IOERR_ARRPASTEENTRIESINVALID without entries. An answer naming an
// entry the dialog does not offer is a user who cancels.
UINT OleUIPasteSpecialW(OLEUIPASTESPECIALW* paste);
struct KvOlePasteSpecialAnswer {
  UINT result = OLEUI_CANCEL;
  int index = 0;
  bool link = false;
};
void KvOlePasteSpecialScript(const std::vector<KvOlePasteSpecialAnswer>& answers);
// The caption and format names each showing offered, in order.
struct KvOlePasteSpecialCall {
  HWND owner;
  std::u16string caption;
  std::vector<std::u16string> formats;
};
const std::vector<KvOlePasteSpecialCall>& KvOlePasteSpecialLog();
