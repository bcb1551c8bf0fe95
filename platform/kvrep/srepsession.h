// Sessions, change contexts and undo.
//
// A creation context (SRepCreateContext) is one user step: its records hold
// the state before each change and become one undo step when the outermost
// creation context closes. A lockout context (SRepLockoutContext) defers
// changes: its records hold the new state; Apply runs them and makes them
// one undo step. Undo and Redo run whole steps; a record whose objects are
// gone is skipped, and a step whose record fails is rolled back.
//
// A lockout context keeps, per object and facet, the positions of its
// pending records: readers of an object's pending state (OverlayPending)
// visit only that object's records, so reading every object once while N
// changes are pending costs time linear in N.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

#include "kvrep/srepobject.h"

class SRepSession;

class SRepContext final : public ISRepContext {
 public:
  enum class Kind { Create, Lockout, Applying };
  SRepContext(SRepSession* session, Kind kind) : m_session(session), m_kind(kind) {}
  ~SRepContext();
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;
  BOOL IsRecording() override { return m_kind == Kind::Create; }
  BOOL IsLockout() override { return m_kind == Kind::Lockout; }
  BOOL IsApplying() override { return m_kind == Kind::Applying; }
  // A record that holds the new state (pending in a lockout context) or, in
  // a creation context, the state before the change.
  HRESULT AddAction(SRepActionPtr action) override;
  // A record of a change already made (holds the state before it).
  void AddDone(SRepActionPtr action);
  // A record of a change already made that follows from the recorded
  // change whose collection callbacks run now (a group fitting its members
  // again when one comes or goes): it goes in just before that change's
  // record, so that an undo runs it once that change is taken back, and a
  // redo before the change is made again. Appended when no recorded
  // change's callbacks run.
  void AddDoneBeforeCause(SRepActionPtr action);
  // Names the record whose collection callbacks run now (its position, -1
  // for none); answers the one named before, to be named again after.
  int SetCause(int position) {
    const int was = m_cause;
    m_cause = position;
    return was;
  }
  SRepActionBase* GetLastAction() override { return m_actions.empty() ? nullptr : m_actions.back().get(); }
  int GetActionCount() override { return static_cast<int>(m_actions.size()); }
  SRepActionBase* GetAction(int index) override;
  BOOL IsObjectInContext(ISRepObject* obj) override;
  HRESULT LockObject(ISRepObject* obj) override;
  BOOL IsObjectLocked(ISRepObject* obj) override;
  HRESULT GetSession(ISRepSession** out) override;

  // The pending state of one object: lays the pending records that change
  // any of the given facets of obj over value, in the order the records
  // were added (a record that names several of the facets once). Costs
  // only what obj's own records cost. Answers how many records were laid.
  int OverlayPending(const SRepObject* obj, std::initializer_list<SRepFacet> facets, SRepVariant& value) const;
  // The positions of the pending records that change a facet of obj, in order.
  std::vector<int> GetPendingPositions(const SRepObject* obj, const SRepFacet& facet) const;

  Kind GetKind() const { return m_kind; }
  // Non-zero while the context's records are being run.
  int GetState() override { return m_state; }
  void SetState(int state) { m_state = state; }
  // Marks an object that must outlive the step though emptied (not counted:
  // the mark is dropped with the context, and asking about a gone object
  // only compares addresses).
  void KeepObject(ISRepObject* obj) {
    if (obj) m_kept.insert(Identity(obj));
  }
  BOOL IsKeepObject(ISRepObject* obj) override { return obj && m_kept.count(Identity(obj)) ? TRUE : FALSE; }
  void AddNewObject(SRepObject* obj) { m_newObjects.insert(obj); }
  std::vector<SRepActionPtr> TakeActions();
  bool IsDone(int index) const { return m_done[static_cast<std::size_t>(index)]; }
  // After the pending records ran: none is pending any more.
  void MarkAllDone();

 private:
  friend class SRepActionBase;
  // The pending records of one object, per facet, and its lock.
  struct FacetPositions {
    SRepFacet facet;
    std::vector<int> positions;  // ascending
  };
  struct ObjectEntry {
    std::vector<FacetPositions> facets;
    bool locked = false;  // the context holds a reference (LockObject)
  };
  class IndexSink;
  static const void* Identity(ISRepObject* obj) {
    SRepObject* o = SRepObject::FromInterface(obj);
    return o ? static_cast<const void*>(o) : obj;
  }
  void Index(SRepActionBase* action, IUnknown* object, const SRepFacet& facet);
  void ClearIndex();

  ULONG m_cRef = 0;
  SRepSession* m_session;
  Kind m_kind;
  int m_state = 0;
  int m_cause = -1;  // see SetCause
  std::vector<SRepActionPtr> m_actions;
  std::vector<bool> m_done;
  std::set<SRepObject*> m_newObjects;
  std::set<const void*> m_kept;
  std::unordered_map<const SRepObject*, ObjectEntry> m_index;
};

class SRepSession final : public ISRepSession {
 public:
  SRepSession();
  ~SRepSession();
  SRepSession(const SRepSession&) = delete;
  SRepSession& operator=(const SRepSession&) = delete;

  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;
  HRESULT CreateObject(REFCLSID clsid, REFIID iid, void** out) override;
  HRESULT GetCurrentContext(ISRepContext** out) override;
  HRESULT GetLockoutContext(ISRepContext** out) override;
  BOOL IsReadOnly() override { return m_bReadOnly; }
  BOOL IsBusy() override { return m_bBusy; }
  BOOL IsArrangeSuppressed() override { return m_bSuppressArrange; }
  BOOL IsHandlingSuppressed() override { return m_bSuppressHandling; }
  BOOL IsModified() override { return m_bModified; }
  void SetModified(BOOL modified) override { m_bModified = modified; }
  DWORD GetOptions() override { return m_options; }
  HRESULT Undo() override;
  HRESULT Redo() override;
  BOOL CanUndo() override { return !m_undo.empty(); }
  BOOL CanRedo() override { return !m_redo.empty(); }

  // Settings the host and tests change.
  void SetReadOnly(BOOL v) { m_bReadOnly = v; }
  void SetBusy(BOOL v) { m_bBusy = v; }
  void SetSuppressions(BOOL arrange, BOOL handling) {
    m_bSuppressArrange = arrange;
    m_bSuppressHandling = handling;
  }
  void SetOptions(DWORD options) { m_options = options; }
  int GetUndoCount() const { return static_cast<int>(m_undo.size()); }
  int GetRedoCount() const { return static_cast<int>(m_redo.size()); }
  int GetObjectCount() const { return static_cast<int>(m_objects.size()); }

  // The session's live-symbol counter: the symbol classes count each symbol
  // made in the session when it is built and again when it goes; the
  // counter never goes below 0.
  void AddLiveSymbol() { ++m_nLiveSymbols; }
  void RemoveLiveSymbol() {
    if (m_nLiveSymbols > 0) --m_nLiveSymbols;
  }
  int GetLiveSymbolCount() const { return m_nLiveSymbols; }
  // True while pictures read from the older per-symbol storage must wait for
  // the session's fix-up (set by the host while it opens the session).
  BOOL IsDeferringPictures() const { return m_bDeferPictures; }
  void SetDeferPictures(BOOL defer) { m_bDeferPictures = defer; }
  // True while the session exists (a symbol may outlive the session it was
  // counted in).
  static bool IsAlive(const SRepSession* session);

  // ---- used by objects and contexts
  SRepContext* Current() const { return m_current; }
  void SetCurrent(SRepContext* ctx) { m_current = ctx; }
  SRepContext* Applying() const { return m_applying; }
  // Adds obj to the session (a reference is kept until the session ends).
  void Adopt(SRepObject* obj);
  // Opens or joins a creation context; Close ends it (the outermost close
  // makes the step).
  SRepContext* OpenCreate();
  void CloseCreate(SRepContext* ctx);
  SRepContext* OpenLockout();
  // Runs one record at once, as undo runs it: no context records what it
  // changes. The record's result.
  HRESULT RunOutsideContexts(SRepActionBase* action);
  // Keeps the record of a change made directly while creation scopes are
  // joined to a lockout context; when the outermost of them closes, the
  // kept records take their changes back and become pending records.
  void DeferDone(SRepActionPtr action);
  HRESULT ApplyLockout(SRepContext* ctx);
  void CloseLockout(SRepContext* ctx);

  static SRepSession* FromInterface(IUnknown* unk);
  BOOL IsObjInSession(ISRepObject* obj) const;
  // The context of the undo or redo being applied in any session (null
  // otherwise); its state is non-zero while its records run.
  static SRepContext* m_pUndoContext;

  // Views of the session; drawing of all of them is locked while whole
  // steps are applied.
  void AddView(ISRepSessionView* view);
  void RemoveView(ISRepSessionView* view);
  class LockDrawAllViews {
   public:
    class ObjectBase {
     public:
      virtual ~ObjectBase() = default;
    };
    // Installed by the library that owns the views; given the views of the
    // session, answers an object whose destruction unlocks them.
    static std::function<ObjectBase*(SComTable<ISRepSessionView>& views)> CreateObject;
    explicit LockDrawAllViews(SRepSession* session);
    ~LockDrawAllViews();
    LockDrawAllViews(const LockDrawAllViews&) = delete;
    LockDrawAllViews& operator=(const LockDrawAllViews&) = delete;

   private:
    ObjectBase* m_lock = nullptr;
  };

 private:
  using Step = std::vector<SRepActionPtr>;
  HRESULT RunStep(Step& step, bool backward);
  // Undo and redo: runs the last step of `from` and moves it to `to`; a
  // step that fails stays where it was.
  HRESULT ReplayLast(std::vector<Step>& from, std::vector<Step>& to, bool backward);
  void PushStep(Step step);
  void TakeBackDeferred(SRepContext* lockout);
  // Tells the listeners that ctx ends.
  void NotifyEnded(SRepContext* ctx);

  ULONG m_cRef = 0;
  BOOL m_bReadOnly = FALSE, m_bBusy = FALSE, m_bSuppressArrange = FALSE, m_bSuppressHandling = FALSE;
  BOOL m_bModified = FALSE;
  DWORD m_options = 0;
  int m_nLiveSymbols = 0;
  BOOL m_bDeferPictures = FALSE;
  SRepContext* m_current = nullptr;
  SRepContext* m_applying = nullptr;
  SRepContext* m_create = nullptr;  // the outermost open creation context
  int m_createDepth = 0;
  std::vector<Step> m_undo, m_redo;
  std::vector<SRepActionPtr> m_deferred;  // see DeferDone
  std::vector<SRepObject*> m_objects;  // counted
  SComTable<ISRepSessionView> m_views;
  std::unique_ptr<class SRepPictureHolderImpl> m_pictures;
};

// One user step on a session (or on an object's session). The three
// integers are accepted for the callers' sake and carry no meaning here.
class SRepCreateContext {
 public:
  explicit SRepCreateContext(ISRepSession* session, int a = 0, int b = 0, int c = 0);
  explicit SRepCreateContext(ISRepObject* obj, int a = 0, int b = 0, int c = 0);
  ~SRepCreateContext();
  SRepCreateContext(const SRepCreateContext&) = delete;
  SRepCreateContext& operator=(const SRepCreateContext&) = delete;
  // Hands over for good the record of a change already made (it holds the
  // state before); dropped at once without an open session. Joined to a
  // lockout context, the record takes the change back when the outermost
  // joined scope closes and stays pending until the context is applied.
  HRESULT AddRepAction(SRepActionPtr action);
  ISRepContext* GetContext() const { return m_ctx; }

 private:
  void Open(SRepSession* session);
  SRepSession* m_session = nullptr;
  SRepContext* m_ctx = nullptr;
};

// A creation context that joins the step already open, if any.
class SRepCreateOrReuseContext : public SRepCreateContext {
 public:
  using SRepCreateContext::SRepCreateContext;
};

// The open sessions of the process, in order of opening.
class SRepSessionManager {
 public:
  int GetCount() const { return static_cast<int>(m_sessions.size()); }
  SRepSession* GetAt(int i) const {
    return i >= 0 && i < GetCount() ? m_sessions[static_cast<std::size_t>(i)] : nullptr;
  }
  // The session that holds obj, or null.
  SRepSession* FindSession(ISRepObject* obj) const;
  void Add(SRepSession* s) { m_sessions.push_back(s); }
  void Remove(SRepSession* s);

 private:
  std::vector<SRepSession*> m_sessions;
};
extern SRepSessionManager g_sessionMng;

// A lockout on a session: changes become pending records until Apply.
// Closing without Apply drops the pending records (objects created inside
// the lockout are deleted).
class SRepLockoutContext {
 public:
  explicit SRepLockoutContext(ISRepSession* session);
  ~SRepLockoutContext();
  SRepLockoutContext(const SRepLockoutContext&) = delete;
  SRepLockoutContext& operator=(const SRepLockoutContext&) = delete;
  HRESULT Apply();
  ISRepContext* GetContext() const { return m_ctx; }

 private:
  SRepSession* m_session = nullptr;
  SRepContext* m_ctx = nullptr;
};

// Makes ctx (null for none) the current context of a session or of an
// object's session and restores the previous one at its end.
class SCurrentContextChange {
 public:
  SCurrentContextChange(ISRepSession* session, ISRepContext* ctx);
  SCurrentContextChange(ISRepObject* obj, ISRepContext* ctx);
  ~SCurrentContextChange();
  SCurrentContextChange(const SCurrentContextChange&) = delete;
  SCurrentContextChange& operator=(const SCurrentContextChange&) = delete;

 private:
  void Set(SRepSession* s, ISRepContext* ctx);
  SRepSession* m_session = nullptr;
  SRepContext* m_prev = nullptr;
};

// The relationship-check mode: a process-wide switch (on at start) that
// object creation turns off while it places a new object.
int g_GetRlshCheckMode();
// Sets the mode and puts the earlier one back once: at its end or at Set.
class SetRlshCheckMode {
 public:
  explicit SetRlshCheckMode(int mode);
  ~SetRlshCheckMode() { Set(); }
  SetRlshCheckMode(const SetRlshCheckMode&) = delete;
  SetRlshCheckMode& operator=(const SetRlshCheckMode&) = delete;
  // Restores the earlier mode now (only the first call does).
  void Set();

 private:
  int m_prev;
  bool m_done = false;
};

// Notifications a session sends through the core notification manager
// (SNotificationManager). A change context ended: the pointer is the session
// (ISRepSession*), the number the context (ISRepContext*, alive for the
// call; its records are not yet taken, so changes a listener makes in it
// join its step). A session goes away: the pointer is the session, the
// number the object whose diagrams are forgotten (0 for the whole session);
// listeners let go of whatever they hold of it.
constexpr int SRepNotifyContextEnded = 11;
constexpr int SRepNotifyForgetObject = 6;
// The kind number listeners see: 0 creation, 1 lockout, 2 applying (undo,
// redo or a lockout being applied).
int SRepGetContextKind(ISRepContext* ctx);

// The recording context of the session (null outside undo recording).
ISRepContext* SRepGetUndoContext(ISRepSession* session);
// The context of an undo, redo or lockout being applied (null otherwise).
ISRepContext* SRepGetApplyingContext(ISRepSession* session);
BOOL SRepIsSessionReadOnly(ISRepSession* session);
