// The drop-target holder of a window: registers the window as an OLE drop
// target and hands each drag that passes over it to a plain callback class
// (ISDropTarget, no reference counting), with the drag's data wrapped in an
// SOleDataObject and the points in the window's client coordinates.
//
// The holder is a member object of the window's C++ object: the OLE layer's
// references to it are counted but never delete it. Revoke (or the holder's
// destruction) ends the registration; a window destroyed first ends it too.
#pragma once

#include "kvcore/swnd.h"
#include "win/winoledata.h"

// The data of a drag or of the clipboard, as a drop target reads it.
class SOleDataObject {
 public:
  // Holds a reference to `data` (null allowed).
  explicit SOleDataObject(IDataObject* data = nullptr);
  ~SOleDataObject();
  SOleDataObject(const SOleDataObject&) = delete;
  SOleDataObject& operator=(const SOleDataObject&) = delete;

  // The wrapped object, with a reference added when `addRef` is set; null
  // when there is none.
  IDataObject* GetIDataObject(BOOL addRef) const;
  // Whether the data offers the clipboard format in global memory.
  BOOL IsDataAvailable(CLIPFORMAT format) const;
  // Whether an embedded object or a static picture can be made from the data.
  BOOL CanCreateObject() const;

 private:
  IDataObject* m_pData;
};

// The callbacks of a drop target. Points are client coordinates of the
// registered window; key states are MK_* bits. The answers are drop
// effects (DROPEFFECT_*).
class ISDropTarget {
 public:
  virtual DWORD DropEnter(SOleDataObject& data, DWORD keyState, POINT point) = 0;
  virtual void DropExit(SOleDataObject& data) = 0;
  virtual DWORD DropOver(SOleDataObject& data, DWORD keyState, POINT point) = 0;
  // An automatic scroll request: Windows scroll-bar codes per axis,
  // SB_ENDSCROLL for no scroll on that axis.
  virtual void DropScroll(UINT horizontal, UINT vertical) = 0;
  // The data dropped with `effect`; TRUE when the target took it.
  virtual BOOL Drop(SOleDataObject& data, DWORD effect, POINT point) = 0;

 protected:
  ~ISDropTarget() = default;
};

class SOleDropTarget final : public IDropTarget {
 public:
  SOleDropTarget() = default;
  ~SOleDropTarget();
  SOleDropTarget(const SOleDropTarget&) = delete;
  SOleDropTarget& operator=(const SOleDropTarget&) = delete;

  // Registers the window with the callbacks. FALSE for a missing window or
  // callbacks, a window registered already (by this holder or another), or
  // while this holder serves another window.
  BOOL Register(SWnd* wnd, ISDropTarget* callbacks);
  // Ends the registration; nothing when there is none.
  void Revoke();
  // Whether the holder serves a live window.
  BOOL IsRegistered() const;

  // ---- IDropTarget (screen points in, client points out to the callbacks)
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override { return m_refs > 0 ? --m_refs : 0; }
  HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  HRESULT DragLeave() override;
  HRESULT Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

 private:
  POINT ToClient(POINTL pt) const;
  // The data of the drag in progress (made by DragEnter, ended by
  // DragLeave or Drop).
  void EndDrag();

  HWND m_hWnd = nullptr;
  ISDropTarget* m_pCallbacks = nullptr;
  SOleDataObject* m_pDrag = nullptr;
  DWORD m_lastEffect = DROPEFFECT_NONE;  // the callbacks' last answer in this drag
  ULONG m_refs = 0;
};
