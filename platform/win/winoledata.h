// OLE data transfer, in process: data objects with their formats and
// storage media, streams on memory blocks, the OLE clipboard over the
// clipboard, and drag and drop played from the input script.
//
// The OLE clipboard is owned by a hidden window of this layer: every format
// the data object lists is set delayed, and rendered by asking the object
// (GetData) when a reader of the clipboard wants it. OleGetClipboard answers
// the object itself while it is on the clipboard, else an object that reads
// the clipboard.
//
// DoDragDrop is a modal loop over the window system's messages. It holds the
// mouse capture; each mouse and key message of the script is one step: the
// source is asked whether the drag goes on (QueryContinueDrag, with Esc when
// the step is an Esc press, and the keys and buttons down), the registered
// target under the point (the window or its nearest registered ancestor) is
// entered, moved over or left, and the source is given the effect the target
// answered (GiveFeedback). The first step happens at the cursor's position
// before any message. Other messages are dispatched as usual; the end of the
// script (WM_CANCELMODE) or WM_QUIT (posted again) cancels the drag.
#pragma once

#include <cstddef>

#include "win/winclip.h"
#include "win/winole.h"

// ---- result codes ----
constexpr HRESULT DATA_S_SAMEFORMATETC = 0x00040130;
constexpr HRESULT DV_E_LINDEX = static_cast<HRESULT>(0x80040068u);
constexpr HRESULT DV_E_TYMED = static_cast<HRESULT>(0x80040069u);
constexpr HRESULT DV_E_DVASPECT = static_cast<HRESULT>(0x8004006Bu);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);
constexpr HRESULT CLIPBRD_E_CANT_OPEN = static_cast<HRESULT>(0x800401D0u);
constexpr HRESULT CLIPBRD_E_CANT_EMPTY = static_cast<HRESULT>(0x800401D1u);
constexpr HRESULT CLIPBRD_E_CANT_SET = static_cast<HRESULT>(0x800401D2u);
constexpr HRESULT CLIPBRD_E_BAD_DATA = static_cast<HRESULT>(0x800401D3u);
constexpr HRESULT CLIPBRD_E_CANT_CLOSE = static_cast<HRESULT>(0x800401D4u);

// ---- storage media (STGMEDIUM::tymed) ----
constexpr DWORD TYMED_NULL = 0;
constexpr DWORD TYMED_HGLOBAL = 1;
constexpr DWORD TYMED_FILE = 2;
constexpr DWORD TYMED_ISTREAM = 4;
constexpr DWORD TYMED_ISTORAGE = 8;
constexpr DWORD TYMED_GDI = 16;
constexpr DWORD TYMED_MFPICT = 32;
// TYMED_ENHMF (64) comes with win/winole.h.

constexpr DWORD DATADIR_GET = 1;
constexpr DWORD DATADIR_SET = 2;

// ---- drop effects and the extra key of grfKeyState ----
constexpr DWORD DROPEFFECT_NONE = 0;
constexpr DWORD DROPEFFECT_COPY = 1;
constexpr DWORD DROPEFFECT_MOVE = 2;
constexpr DWORD DROPEFFECT_LINK = 4;
constexpr DWORD DROPEFFECT_SCROLL = 0x80000000u;
constexpr DWORD MK_ALT = 0x20;

constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

inline constexpr IID IID_IStream = MakeGUID("{0000000C-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumFORMATETC = MakeGUID("{00000103-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDataObject = MakeGUID("{0000010E-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDropSource = MakeGUID("{00000121-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDropTarget = MakeGUID("{00000122-0000-0000-C000-000000000046}");

// ---- interfaces ----
// Bytes with a position, here always over one global memory block.
struct IStream : IUnknown {
  static constexpr IID iid = IID_IStream;
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* read) = 0;
  // Grows the stream when writing past its end.
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* written) = 0;
  // STG_E_INVALIDFUNCTION for a position before the start.
  virtual HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) = 0;
  virtual HRESULT SetSize(ULONGLONG size) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);

struct IEnumFORMATETC : IUnknown {
  static constexpr IID iid = IID_IEnumFORMATETC;
  // S_FALSE once fewer than `count` were left.
  virtual HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumFORMATETC** out) = 0;
};

struct IEnumSTATDATA;
struct IDataObject : IUnknown {
  static constexpr IID iid = IID_IDataObject;
  // The medium is the caller's to release (ReleaseStgMedium).
  virtual HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT GetDataHere(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT QueryGetData(FORMATETC* format) = 0;
  virtual HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) = 0;
  // With `release` the object takes the medium over, else it copies it.
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
  virtual HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) = 0;
  virtual HRESULT DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT DUnadvise(DWORD connection) = 0;
  virtual HRESULT EnumDAdvise(IEnumSTATDATA** out) = 0;
};

struct IDropSource : IUnknown {
  static constexpr IID iid = IID_IDropSource;
  // S_OK goes on, DRAGDROP_S_DROP drops, DRAGDROP_S_CANCEL cancels.
  virtual HRESULT QueryContinueDrag(BOOL escapePressed, DWORD keyState) = 0;
  // S_OK when the source set the cursor itself, DRAGDROP_S_USEDEFAULTCURSORS
  // for the default cursor of the effect.
  virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// Points are in screen coordinates; `effect` comes in as the effects the
// source allows and goes out as the one the target would take.
struct IDropTarget : IUnknown {
  static constexpr IID iid = IID_IDropTarget;
  virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) = 0;
  virtual HRESULT DragLeave() = 0;
  virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) = 0;
};

// ---- media ----
// Frees the medium's data (or releases pUnkForRelease instead, which then
// owns it) and leaves it TYMED_NULL. A null pointer is ignored.
void ReleaseStgMedium(STGMEDIUM* medium);
// A medium of the caller's own with the same data: blocks, metafiles and
// bitmaps copied, streams and storages shared (a reference added).
// DV_E_TYMED for a medium of another kind, E_OUTOFMEMORY when a copy fails.
HRESULT KvCopyStgMedium(const STGMEDIUM* source, STGMEDIUM* copy);
// The format descriptors given, enumerated (copied; `count` 0 enumerates none).
HRESULT CreateFormatEnumerator(UINT count, const FORMATETC* formats, IEnumFORMATETC** out);

// ---- streams ----
// A stream over `mem` (null: a new empty block) at position 0; with
// `deleteOnRelease` the block is freed with the last reference. A stream
// that grows moves its bytes to a new block (GetHGlobalFromStream answers it).
HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** out);
HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* out);

// ---- the OLE clipboard ----
// Puts the object on the clipboard (a reference is held; null empties it).
// CLIPBRD_E_CANT_OPEN while another window holds the clipboard open; the
// object's enumeration error when its formats cannot be listed (the clipboard
// is left empty).
HRESULT OleSetClipboard(IDataObject* data);
// E_INVALIDARG for a null out; else a counted object (see above).
HRESULT OleGetClipboard(IDataObject** out);
// Renders every format of the object on the clipboard and lets the object
// go; the data stays on the clipboard. A format the object fails to render
// is left out.
HRESULT OleFlushClipboard();
// S_OK when `data` is the object on the clipboard, else S_FALSE.
HRESULT OleIsCurrentClipboard(IDataObject* data);

// ---- objects made from data ----
constexpr HRESULT OLE_S_STATIC = 0x00040001;
// The class of the static pictures OleCreateStaticFromData makes; served by
// this layer, so that a saved static picture loads again (OleLoad).
inline constexpr CLSID CLSID_Picture_EnhMetafile = MakeGUID("{00000319-0000-0000-C000-000000000046}");
// S_OK when the data holds an embeddable object ("Embed Source" as a
// storage), OLE_S_STATIC when it holds only a picture (CF_ENHMETAFILE,
// CF_METAFILEPICT, CF_DIB, CF_BITMAP), else S_FALSE.
HRESULT OleQueryCreateFromData(IDataObject* data);
// The embedded object of "Embed Source" (TYMED_ISTORAGE): loaded from the
// data's storage by its class's server, saved into `storage` and loaded from
// it. DV_E_FORMATETC without that format; REGDB_E_CLASSNOTREG when the class
// is not served here (nothing is made then).
HRESULT OleCreateFromData(IDataObject* data, REFIID iid, DWORD render, FORMATETC* format, IOleClientSite* site,
                          IStorage* storage, void** out);
// There are no link sources here: DV_E_FORMATETC without "Link Source",
// REGDB_E_CLASSNOTREG with it (no link can be bound).
HRESULT OleCreateLinkFromData(IDataObject* data, REFIID iid, DWORD render, FORMATETC* format,
                              IOleClientSite* site, IStorage* storage, void** out);
// A static picture of the data's CF_ENHMETAFILE (TYMED_ENHMF): an object
// with no verbs (OLEMISC_STATIC) that draws the picture and saves it into
// `storage` (class CLSID_Picture_EnhMetafile). The data's error when it
// gives no picture.
HRESULT OleCreateStaticFromData(IDataObject* data, REFIID iid, DWORD render, FORMATETC* format,
                                IOleClientSite* site, IStorage* storage, void** out);

// ---- drag and drop ----
// DRAGDROP_E_INVALIDHWND for a stale window, E_INVALIDARG for a null
// target, DRAGDROP_E_ALREADYREGISTERED; the target is held (a reference)
// until revoked or until its window is destroyed.
HRESULT RegisterDragDrop(HWND hwnd, IDropTarget* target);
// DRAGDROP_E_INVALIDHWND, DRAGDROP_E_NOTREGISTERED.
HRESULT RevokeDragDrop(HWND hwnd);
// DRAGDROP_S_DROP (effect: what the target's Drop answered, limited to the
// allowed effects; DROPEFFECT_NONE when dropped where nothing was accepted)
// or DRAGDROP_S_CANCEL (effect none). A source answer that is neither
// S_OK, a drop nor a cancel ends the drag as a cancel and is answered.
// E_INVALIDARG for a null argument. A source or target that throws ends
// the drag: the target under the point is left (DragLeave), the effect is
// none and the answer E_UNEXPECTED. The cursor is what it was before when
// the drag ends.
HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);
// The default cursors of a drag (DRAGDROP_S_USEDEFAULTCURSORS), as tokens:
// one for no drop, then copy, move, link (the first of those in `effect`),
// and the scroll forms of each (DROPEFFECT_SCROLL).
HCURSOR KvOleDragCursor(DWORD effect);
// The hidden window of this layer: owner of the OLE clipboard, holder of
// the capture during a drag (made again when destroyed).
HWND KvOleWindow();
// Windows registered as drop targets, for leak checks.
std::size_t KvDropTargetCount();
