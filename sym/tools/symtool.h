// The editing window's tools, in their least form until the tools subsystem
// brings the real ones: the base every tool derives from, with the calls the
// window makes on it (activation, the symbol kind it makes, the mouse), and
// the pointer tool, the window's default tool, made by its class record.
//
// The base keeps what the window reads back: the view it was activated on,
// the symbol kind given to it and the point of the last right-button press
// (the page the window zooms to is the one under that point).
#pragma once

#include "kvcore/sobject.h"
#include "sym/foundation/symgeom.h"

class SSymViewEdit;

class SSymToolBase : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  SSymToolBase() = default;
  ~SSymToolBase() override = default;
  SSymToolBase(const SSymToolBase&) = delete;
  SSymToolBase& operator=(const SSymToolBase&) = delete;

  // Data the host gives a tool; no tool of the library keeps any.
  virtual void SetToolData(unsigned long) {}
  virtual void SetSymbolType(int type) { m_nSymbolType = type; }
  virtual int GetSymbolType() const { return m_nSymbolType; }
  // The tool starts (again) serving the view (not owned).
  virtual void Activate(SSymViewEdit* view) {
    m_pView = view;
    ++m_nActivations;
  }
  // The tool stops serving its view.
  virtual void Disactivate() { m_pView = nullptr; }
  // Whether the tool set a cursor for the point; the least tools set none.
  virtual int SetCursor(const SSymPoint&, UINT) { return 0; }

  virtual void MouseMove(UINT, const SSymPoint&) {}
  virtual void MouseLBtnDown(UINT, const SSymPoint&) {}
  virtual void MouseLBtnUp(UINT, const SSymPoint&) {}
  virtual void MouseLBtnDblClk(UINT, const SSymPoint&) {}
  // The base keeps the point of the press.
  virtual void MouseRBtnDown(UINT, const SSymPoint& point) { m_lastRightPoint = point; }
  virtual void MouseRBtnUp(UINT, const SSymPoint&) {}
  virtual void MouseRBtnDblClk(UINT, const SSymPoint&) {}

  SSymViewEdit* GetView() const { return m_pView; }
  bool IsActive() const { return m_pView != nullptr; }
  int GetActivationCount() const { return m_nActivations; }
  // The point of the last right-button press; (0, 0) before any.
  const SSymPoint& GetLastRightPoint() const { return m_lastRightPoint; }

 private:
  SSymViewEdit* m_pView = nullptr;
  int m_nSymbolType = 0;
  int m_nActivations = 0;
  SSymPoint m_lastRightPoint;
};

// The tool that selects and moves symbols: the window's default tool.
class SSymToolPointer : public SSymToolBase {
  KV_DECLARE_CLASSINFO()
};
