// Grid bases over repository collections, on the grid model of the
// user-interface library: one row per member object of a collection (the
// row holds the object), one column per attribute (shown through the
// attribute's editor). The row factory listens to its collection and to the
// objects of its rows, so that the rows follow insertions, moves, removals,
// the deletion of the collection and attribute changes.
//
// A row filter keeps rows whose objects match it: its text holds entries
// "attribute=pattern" separated by ";" (the attribute as a number, decimal
// or 0x hexadecimal; the pattern compared case-insensitively with the
// attribute's text, "*" and "?" as wildcards); every entry must match.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/stable.h"
#include "kvlib/slibgrid.h"
#include "kvrep/srepextras.h"

// Describes the listed collection.
class SRepStdLCtrlrHelper {
 public:
  virtual ~SRepStdLCtrlrHelper() = default;
  virtual CLSID GetCLSID() const { return m_clsid; }  // the class of listed objects
  virtual LONG GetDISPID() const { return m_dispid; }  // the collection's member id
  virtual BOOL GetIncShortcuts() const { return m_bShortcuts; }
  // The class of the object whose collection is listed.
  CLSID GetObjCLSID() const { return m_objClsid; }
  void SetListed(const CLSID& clsid, LONG dispid, BOOL shortcuts) {
    m_clsid = clsid;
    m_dispid = dispid;
    m_bShortcuts = shortcuts;
  }
  void SetObjCLSID(const CLSID& clsid) { m_objClsid = clsid; }

 private:
  CLSID m_clsid = GUID_NULL;
  CLSID m_objClsid = GUID_NULL;
  LONG m_dispid = 0;
  BOOL m_bShortcuts = FALSE;
};

class SRepGridRow : public SLibGridRow {
 public:
  explicit SRepGridRow(ISRepObject* obj);
  ~SRepGridRow() override;
  ISRepObject* GetObject() const { return m_obj; }

  // The text of the row object's attribute of a repository column, through
  // the column's editor. S_FALSE (empty) without object, editor or value.
  HRESULT GetValue(const SLibGridCol* col, SString& text) const override;
  // The row object's value of the column's attribute; S_FALSE without
  // object or editor.
  virtual HRESULT GetValue(const SLibGridCol* col, SRepVariant& value) const;

 private:
  ISRepObject* m_obj;  // counted
};

class SRepGridCol : public SLibGridCol {
 public:
  explicit SRepGridCol(SRepAttrEditor* editor) : m_editor(editor) {}
  SRepAttrEditor* GetEditor() const { return m_editor; }
  LONG GetAttrId() const { return m_editor ? m_editor->GetAttrId() : 0; }
  using SLibGridCol::OnGetValue;
  // The cell text of a row (empty when it cannot be read).
  SString OnGetValue(const SRepGridRow& row) const;

 private:
  SRepAttrEditor* m_editor;  // the registry's
};

// Cell control types by editor kind.
enum SRepColCtrl { SRepCtrl_Edit = 0, SRepCtrl_Color = 1, SRepCtrl_ObjectList = 2 };

// The definition of an extended attribute that a grid lists beside the
// metamodel's own attributes: its member id, six texts (its names and the
// texts of its editor) and twelve display words. It owns its texts; copies
// are whole and independent.
struct _ExaAttrDef {
  LONG m_nId = 0;
  SString m_texts[6];
  LONG m_words[12] = {};
};

// The extended attributes of a column factory, in column order.
class ExaAttrDefLst : public STable<_ExaAttrDef> {};

class SRepGridColFactory : public SLibGridColFactory, public SRepStdLCtrlrHelper {
 public:
  SRepGridColFactory() = default;
  // A factory for the columns of the objects of class `listed` in the
  // collection `colId` of objects of class objClsid. The text is a title
  // kept for the grid window.
  SRepGridColFactory(SLibGrid* grid, const CLSID& objClsid, LONG colId, const CLSID& listed, const SString& text);

  virtual int GetColCtrlType(const SRepAttrEditor* editor) const;
  using SLibGridColFactory::AddCol;
  // Appends a column with a default configuration.
  SRepGridCol* AddCol(std::unique_ptr<SRepGridCol> col);
  // The column at an index when it is a repository column, else null.
  SRepGridCol* GetCol(int i) const { return dynamic_cast<SRepGridCol*>(SLibGridColFactory::GetCol(i)); }
  const SString& GetTitle() const { return m_title; }
  // The extended attributes the factory's columns may show.
  ExaAttrDefLst& GetExaAttrDefLst() { return m_exaAttrDefs; }
  const ExaAttrDefLst& GetExaAttrDefLst() const { return m_exaAttrDefs; }

 private:
  SString m_title;
  ExaAttrDefLst m_exaAttrDefs;
};

// One entry of a row filter.
struct SRepRowFilterEntry {
  LONG m_nAttr = 0;
  SString m_sPattern;
};
using SRepRowFilter = std::vector<SRepRowFilterEntry>;

class SRepGridRowFactory : public SLibGridRowFactory,
                           public SRepStdLCtrlrHelper,
                           public ISRepClassColSink,
                           public ISRepObjSink {
 public:
  SRepGridRowFactory() = default;
  // A factory for the grid listing the objects of class `listed` (null: any)
  // in the collection colId of obj; it is attached to obj's collection at
  // once (the rows are loaded by Initialize).
  SRepGridRowFactory(SLibGrid* grid, ISRepObject* obj, const CLSID& objClsid, LONG colId, const CLSID* listed);
  ~SRepGridRowFactory() override;

  // Attaches to obj's collection (GetDISPID) and lists its members that pass
  // the class test and the filter. E_POINTER for null.
  HRESULT Init(ISRepObject* obj);
  // Attaches to obj's collection without loading rows. E_POINTER for null,
  // the repository's code when the collection cannot be had.
  HRESULT Attach(ISRepObject* obj);
  // Stops listening, drops the rows and lets go of the object.
  void Detach();
  // Whether the factory holds a repository object.
  bool IsAttached() const { return m_obj != nullptr; }
  ISRepObject* GetRepObject() const { return m_obj; }
  // The session of the listed object (not counted), asked of the object
  // each time; null without one, and once the session has let go of the
  // object. The factory holds no reference on the session: it lives in a
  // symbol of that session, which would otherwise keep its own session
  // alive for ever.
  ISRepSession* GetSession() const;
  // Drops the rows and stops listening (the grid is going).
  void Terminate() override;

  // The row made for a new member object.
  virtual std::unique_ptr<SRepGridRow> CreateNewRow(ISRepObject* obj) { return std::make_unique<SRepGridRow>(obj); }
  // Whether objects of the listed class (or shortcuts to them when
  // shortcuts are listed) pass the class test.
  bool AcceptsClass(ISRepObject* obj) const;

  // ---- the row filter
  // The filter text; empty here.
  virtual SString GetRowFilterString() const { return SString(); }
  // Builds the filter from GetRowFilterString.
  void InitRowFilter();
  // Whether there is a filter entry, or one for the attribute id.
  bool HasRowFilter() const { return !m_filter.empty(); }
  bool HasRowFilter(LONG id) const;
  // Whether the object matches the factory's filter (always without one).
  virtual bool ObjectMatchFilter(ISRepObject* obj) const { return MatchFilter(obj, m_filter); }
  static bool MatchFilter(ISRepObject* obj, const SRepRowFilter& filter);
  static SRepRowFilter ParseRowFilter(const SString& text);
  const SRepRowFilter& GetRowFilter() const { return m_filter; }

  // Called by OnChange for the row of a changed object; nothing here.
  virtual void OnRowChanged(int row, LONG id) { (void)row, (void)id; }

  // ---- rows
  using SLibGridRowFactory::AddRow;
  // Appends (or inserts at `at`) a row.
  void AddRow(std::unique_ptr<SRepGridRow> row, int at = -1) { AddRow(at, std::move(row)); }
  // The row at an index when it is a repository row, else null.
  SRepGridRow* GetRow(int i) const { return dynamic_cast<SRepGridRow*>(SLibGridRowFactory::GetRow(i)); }
  // The index of the row of obj, or -1.
  int FindObjPosByRows(ISRepObject* obj) const;

  // ---- ISRepClassColSink, ISRepObjSink
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override { return --m_cRef; }  // owned by its grid
  // Adds the row of an accepted object at the place that keeps the
  // collection's order among the rows.
  HRESULT OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) override;
  // Moves the row of the object now at `to` to the matching row position.
  HRESULT OnObjColMove(ISRepClassCol* col, int from, int to) override;
  HRESULT OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) override;
  // The collection is gone: stops listening to it and drops every row.
  HRESULT OnObjColDelete(ISRepClassCol* col) override;
  HRESULT OnChange(ISRepObject* obj, LONG id) override;
  HRESULT OnDelete(ISRepObject*, int) override { return S_OK; }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }

 protected:
  // Adds the row of obj where the collection order puts it (pos: its
  // position in col); answers the row index, or -1 when nothing was added
  // (null object, or a row for it exists).
  int InsertObjectRow(ISRepClassCol* col, ISRepObject* obj, int pos);
  // Moves the row of the object at collection position `to`; answers the
  // row's new index, or -1.
  int MoveObjectRow(ISRepClassCol* col, int to);
  // Removes the row of obj (the factory stops listening to it); answers
  // the former index, or -1.
  int RemoveObjectRow(ISRepObject* obj);
  // Stops listening to the collection and lets it go.
  void ReleaseCollection();

  SRepRowFilter m_filter;

 private:
  ULONG m_cRef = 1;
  ISRepObject* m_obj = nullptr;    // counted
  ISRepClassCol* m_col = nullptr;  // counted
};
