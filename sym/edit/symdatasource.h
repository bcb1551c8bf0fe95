// SSymDataSource: the data that leaves an editing window when its selected
// symbols are dragged. One object is at the same time
//   - an OLE data object (IDataObject) whose formats are those it was
//     given (kept by an inner SDataObject),
//   - a repository data source (ISRepDataSrc): the repository objects of
//     the symbols, the window the drag started in, the start point and the
//     bounding rectangle of the dragged symbols (GetDescriptor),
//   - a symbol data source (ISSymDataSrc): the dragged symbols themselves,
//     through which a receiving editing window of the same process reaches
//     them, and the word that window leaves for the dragging selection.
//
// It always offers the window system's "Object Descriptor" and a private
// format of this library that marks data dragged out of an editing window
// of this process (a block of two words: a mark of the process and the
// window).
#pragma once

#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/sdataobject.h"
#include "kvrep/srepextras.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfdrag.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection;
class SWnd;

class SSymDataSource final : public SRepDataSource, public IDataObject, public ISSymDataSrc {
 public:
  // The registered name of the private format.
  static constexpr const char16_t* DragFormatName = u"KvSymbol Selection Drag";
  // The block of the private format.
  struct DragMark {
    const void* process;
    HWND window;
  };
  // This process's mark.
  static const void* ProcessMark();

  // The data of `symbols` (each held once more, order kept) dragged from
  // `window` at `start` (diagram units). With a selection, the bounding
  // rectangle is its clip rectangle, else all zero. The repository objects
  // carried are those of the symbols, each once. Starts with one reference.
  SSymDataSource(HWND window, ISRepSession* session, const SComTable<ISSymbol>& symbols, const SSymPoint& start,
                 SSymSelection* selection);
  // Allocation failure throws SEOutOfMemory.
  static void* operator new(std::size_t size);
  static void operator delete(void* p);

  const SComTable<ISSymbol>& GetSymbols() const { return m_tblSymbols; }
  const SSymPoint& GetStartPoint() const { return m_ptStart; }
  const SSymRect& GetBoundRect() const { return m_rcBound; }
  LONG GetDropResult() const { return m_nDropResult; }

  // ---- offering formats (the OLE part)
  // Offers a format whose data is made when a reader asks for it.
  HRESULT RegisterFormat(const FORMATETC& format, SDataObject::Render render);
  // Offers bytes in global memory.
  HRESULT RegisterGlobalData(CLIPFORMAT format, const void* bytes, std::size_t size);
  std::size_t FormatCount() const { return m_pData->FormatCount(); }

  // Runs the drag of this data from `window` with the allowed effects and
  // the drop source (null: the library's default source). The drag starts
  // only when the pointer, with the button that pressed it still down,
  // leaves the drag rectangle around the press or the drag delay passes; a
  // release, the other button, Esc or a lost capture before that ends it
  // with no effect and leaves the message for the window. Answers the
  // effect the drop ended with (DROPEFFECT_NONE for a cancel or a drop
  // nowhere).
  DWORD DoDragDrop(SWnd* window, DWORD okEffects, IDropSource* source);

  // ---- IUnknown (one count for every face)
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return SRepDataSource::AddRef(); }
  ULONG Release() override { return SRepDataSource::Release(); }

  // ---- ISRepDataSrc: the start point and the bounding rectangle
  HRESULT GetDescriptor(_SREPDATADESCRIPTOR* out) override;

  // ---- ISSymDataSrc
  int GetSymbolCount() override { return m_tblSymbols.GetCount(); }
  ISSymbol* GetSymbolAt(int index) override { return m_tblSymbols.GetAt(index); }
  void SetDropResult(LONG result) override { m_nDropResult = result; }

  // ---- IDataObject, answered by the formats offered
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override { return m_pData->GetData(format, medium); }
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override { return m_pData->GetDataHere(format, medium); }
  HRESULT QueryGetData(FORMATETC* format) override { return m_pData->QueryGetData(format); }
  HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    return m_pData->GetCanonicalFormatEtc(in, out);
  }
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    return m_pData->SetData(format, medium, release);
  }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    return m_pData->EnumFormatEtc(direction, out);
  }
  HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override {
    return m_pData->DAdvise(format, advf, sink, connection);
  }
  HRESULT DUnadvise(DWORD connection) override { return m_pData->DUnadvise(connection); }
  HRESULT EnumDAdvise(IEnumSTATDATA** out) override { return m_pData->EnumDAdvise(out); }

 private:
  ~SSymDataSource() override;
  // The objects to carry: each symbol's, in the table's order.
  std::vector<ISRepObject*> CarriedObjects() const;
  void RegisterFormats(HWND window);

  SComTable<ISSymbol> m_tblSymbols;
  SSymPoint m_ptStart;
  SSymRect m_rcBound;
  SSymSelection* m_pSelection;  // not owned; may be null
  LONG m_nDropResult = 0;
  SDataObject* m_pData;  // one reference
};

// The private format's number (registered on first use).
UINT SSymDragFormat();
