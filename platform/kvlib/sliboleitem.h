// The user-interface library's wrappers of an OLE item's storage and of the
// convert dialog.
//
// SOleStorage holds one counted storage; copies share it. OpenStorage takes
// a memory block over for good: the block is freed with the lock bytes made
// on it, also when it holds no storage that opens.
//
// SOleConvertDialog shows the convert dialog for an item's storage (its class
// and user type are read from it) and answers what the user chose.
#pragma once

#include "win/oledlg.h"
#include "win/winole.h"

class SOleStorage {
 public:
  SOleStorage() = default;
  SOleStorage(const SOleStorage& other);
  SOleStorage& operator=(const SOleStorage& other);
  ~SOleStorage() { Release(); }

  // Lock bytes on `mem` in *bytes (counted; also when the storage does not
  // open) and the storage on them; answers the open's result.
  HRESULT OpenStorage(HGLOBAL mem, DWORD mode, ILockBytes** bytes);
  // A new empty storage on new lock bytes (counted, in *bytes).
  HRESULT CreateStorage(DWORD mode, ILockBytes** bytes);
  // Holds `storage` (a reference is added) in place of its own.
  void Attach(IStorage* storage);
  // E_POINTER without a storage.
  HRESULT Commit(DWORD flags);
  void Release();
  IStorage* Get() const { return m_storage; }
  operator IStorage*() const { return m_storage; }
  bool IsEmpty() const { return m_storage == nullptr; }

 private:
  IStorage* m_storage = nullptr;
};

class SOleConvertDialog {
 public:
  // `picture` is shown as the object's (may be null, not owned); `flags`
  // adds dialog flags, `format` is the object's clipboard format when the
  // storage records none.
  SOleConvertDialog(IStorage* storage, HENHMETAFILE picture, BOOL linked, DWORD aspect, DWORD flags, WORD format);
  ~SOleConvertDialog();
  SOleConvertDialog(const SOleConvertDialog&) = delete;
  SOleConvertDialog& operator=(const SOleConvertDialog&) = delete;

  // IDOK or IDCANCEL.
  int DoModal();
  CLSID GetClassID() const { return m_convert.clsidNew; }
  // 1 convert to the chosen class, 2 activate as it, 0 before OK.
  int GetSelectionType() const;
  DWORD GetDrawAspect() const { return m_convert.dvAspect; }
  // The chosen class's user type (empty when none).
  const char16_t* GetUserType() const { return m_chosenType ? m_chosenType : u""; }

 private:
  OLEUICONVERTW m_convert{};
  LPWSTR m_userType = nullptr;  // the object's, task memory
  LPWSTR m_chosenType = nullptr;  // the chosen class's, task memory
  bool m_ok = false;
};
