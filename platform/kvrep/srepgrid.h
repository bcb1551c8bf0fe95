// Grid bases over repository collections: one row per member object, one
// column per attribute (shown through the attribute's editor). The rows
// follow the collection through its notifications.
#pragma once

#include <memory>
#include <vector>

#include "kvrep/srepextras.h"

// Describes the listed collection.
class SRepStdLCtrlrHelper {
 public:
  virtual ~SRepStdLCtrlrHelper() = default;
  virtual CLSID GetCLSID() const { return m_clsid; }  // the class of listed objects
  virtual LONG GetDISPID() const { return m_dispid; }  // the collection's member id
  virtual BOOL GetIncShortcuts() const { return m_bShortcuts; }
  void SetListed(const CLSID& clsid, LONG dispid, BOOL shortcuts) {
    m_clsid = clsid;
    m_dispid = dispid;
    m_bShortcuts = shortcuts;
  }

 private:
  CLSID m_clsid = GUID_NULL;
  LONG m_dispid = 0;
  BOOL m_bShortcuts = FALSE;
};

class SRepGridRow {
 public:
  explicit SRepGridRow(ISRepObject* obj);
  virtual ~SRepGridRow();
  SRepGridRow(const SRepGridRow&) = delete;
  SRepGridRow& operator=(const SRepGridRow&) = delete;
  ISRepObject* GetObject() const { return m_obj; }

 private:
  ISRepObject* m_obj;  // counted
};

class SRepGridCol {
 public:
  explicit SRepGridCol(SRepAttrEditor* editor) : m_editor(editor) {}
  virtual ~SRepGridCol() = default;
  SRepAttrEditor* GetEditor() const { return m_editor; }
  LONG GetAttrId() const { return m_editor ? m_editor->GetAttrId() : 0; }
  // The cell text of a row: the editor's text of the row object's value.
  virtual SString OnGetValue(const SRepGridRow& row) const;

 private:
  SRepAttrEditor* m_editor;
};

// Cell control types by editor kind.
enum SRepColCtrl { SRepCtrl_Edit = 0, SRepCtrl_Color = 1, SRepCtrl_ObjectList = 2 };

class SRepGridColFactory : public SRepStdLCtrlrHelper {
 public:
  virtual int GetColCtrlType(const SRepAttrEditor* editor) const;
  SRepGridCol* AddCol(std::unique_ptr<SRepGridCol> col);
  int GetColCount() const { return static_cast<int>(m_cols.size()); }
  SRepGridCol* GetCol(int i) const {
    return i >= 0 && i < GetColCount() ? m_cols[static_cast<std::size_t>(i)].get() : nullptr;
  }

 private:
  std::vector<std::unique_ptr<SRepGridCol>> m_cols;
};

class SRepGridRowFactory : public SRepStdLCtrlrHelper, public ISRepClassColSink, public ISRepObjSink {
 public:
  SRepGridRowFactory() = default;
  ~SRepGridRowFactory() override;
  SRepGridRowFactory(const SRepGridRowFactory&) = delete;
  SRepGridRowFactory& operator=(const SRepGridRowFactory&) = delete;

  // Lists the members of obj's collection (GetDISPID) that pass the filter
  // and follows the collection. E_POINTER for null.
  HRESULT Init(ISRepObject* obj);
  void Detach();

  virtual std::unique_ptr<SRepGridRow> CreateNewRow(ISRepObject* obj) { return std::make_unique<SRepGridRow>(obj); }
  virtual bool HasRowFilter() const { return false; }
  virtual bool ObjectMatchFilter(ISRepObject* obj) const { (void)obj; return true; }
  virtual void OnRowChanged(int row, LONG id) { (void)row, (void)id; }

  int GetRowCount() const { return static_cast<int>(m_rows.size()); }
  SRepGridRow* GetRow(int i) const {
    return i >= 0 && i < GetRowCount() ? m_rows[static_cast<std::size_t>(i)].get() : nullptr;
  }
  int FindObjPosByRows(ISRepObject* obj) const;
  void AddRow(std::unique_ptr<SRepGridRow> row, int at = -1);
  void RemoveRow(int i);
  void MoveRowTo(int from, int to);

  // ISRepClassColSink, ISRepObjSink
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override { return --m_cRef; }  // owned by its grid
  HRESULT OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) override;
  HRESULT OnObjColMove(ISRepClassCol* col, int from, int to) override;
  HRESULT OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) override;
  HRESULT OnObjColDelete(ISRepClassCol* col) override;
  HRESULT OnChange(ISRepObject* obj, LONG id) override;
  HRESULT OnDelete(ISRepObject*, int) override { return S_OK; }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }

 private:
  bool Accepts(ISRepObject* obj) const;
  ULONG m_cRef = 1;
  ISRepClassCol* m_col = nullptr;  // counted
  std::vector<std::unique_ptr<SRepGridRow>> m_rows;
};
