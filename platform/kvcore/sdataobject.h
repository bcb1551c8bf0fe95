// SDataObject: a data object to fill with formats, for the clipboard
// (OleSetClipboard) and for drags (DoDragDrop). Each format is offered either
// with data already made (the object owns the medium and hands out copies)
// or delayed: a render callback is asked each time a reader wants the data.
//
// SDropSource: the usual rule of a drag's source: Esc cancels, pressing the
// other mouse button cancels, releasing the button the drag started with
// drops; the default cursors show the effect.
#pragma once

#include <functional>
#include <vector>

#include "win/comobject.h"
#include "win/winoledata.h"

class SDataObject final : public KvComObject<IDataObject> {
 public:
  // Fills `medium` with the data of `format` (whose tymed holds the media
  // the reader takes); a failure is handed to the reader as it is.
  using Render = std::function<HRESULT(const FORMATETC& format, STGMEDIUM* medium)>;

  // A new object with one reference.
  static SDataObject* Create();

  // Offers data already made: the object takes the medium over (it is left
  // TYMED_NULL). Replaces what the format offered before. E_INVALIDARG for a
  // null medium, format 0 or a medium without data.
  HRESULT SetMedium(const FORMATETC& format, STGMEDIUM* medium);
  // Offers `bytes` in a new global memory block (TYMED_HGLOBAL).
  HRESULT SetGlobal(CLIPFORMAT format, const void* bytes, std::size_t size);
  // Offers the format in the media of `format.tymed`, made by `render` when
  // asked.
  HRESULT SetDelayed(const FORMATETC& format, Render render);
  // Takes every format back.
  void Clear();
  std::size_t FormatCount() const { return m_entries.size(); }

  // ---- IDataObject
  // DV_E_FORMATETC for a format not offered (or another aspect), DV_E_TYMED
  // when none of the media asked for is offered. A render callback that
  // fails answers its error, one that throws E_UNEXPECTED, and one that
  // answers a medium not asked for DV_E_TYMED; the reader's medium is empty
  // then (what the callback left there is freed).
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT QueryGetData(FORMATETC* format) override;
  HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) override;
  HRESULT DUnadvise(DWORD connection) override;
  HRESULT EnumDAdvise(IEnumSTATDATA** out) override;

 private:
  struct Entry {
    FORMATETC format;
    STGMEDIUM medium;  // TYMED_NULL when delayed
    Render render;
  };
  SDataObject() = default;
  ~SDataObject() override;
  Entry* Find(CLIPFORMAT format);
  HRESULT Match(const FORMATETC* format, Entry** found);
  void Put(Entry entry);

  std::vector<Entry> m_entries;  // in the order offered
};

class SDropSource : public KvComObject<IDropSource> {
 public:
  // A new source with one reference.
  static SDropSource* Create();

  // ---- IDropSource
  HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT GiveFeedback(DWORD effect) override;

 protected:
  SDropSource() = default;

 private:
  DWORD m_button = 0;  // the button the drag started with, known at the first question
};
