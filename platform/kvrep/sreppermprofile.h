// The repository's permission profile: while one is active, the objects it
// names are read-only for the user, and so are the symbols that show them.
// g_pPermProfileIntf is null while no profile is active (the usual case):
// nothing is then protected by a profile.
#pragma once

#include "kvrep/srepobject.h"

inline constexpr IID IID_ISRepPermProfile = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D0E}");

struct ISRepPermProfile : IUnknown {
  static constexpr IID iid = IID_ISRepPermProfile;
  // The object test: non-zero when the profile forbids changing the object
  // (0 for null).
  virtual int IsObjectReadOnly(ISRepObject* obj) = 0;

 protected:
  ~ISRepPermProfile() = default;
};

// The active profile (not counted), or null.
extern ISRepPermProfile* g_pPermProfileIntf;

// A profile that names its read-only objects one by one, or makes every
// object read-only. The objects are kept by counted references, so a test
// never answers for an address that a later object reuses.
class SRepPermProfile final : public ISRepPermProfile {
 public:
  SRepPermProfile() = default;
  SRepPermProfile(const SRepPermProfile&) = delete;
  SRepPermProfile& operator=(const SRepPermProfile&) = delete;
  ~SRepPermProfile();

  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  // Owned by whoever made it: the counts are not kept.
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  int IsObjectReadOnly(ISRepObject* obj) override;

  // Adds or removes one object (null does nothing).
  void SetReadOnly(ISRepObject* obj, bool readOnly);
  void SetAllReadOnly(bool all) { m_bAll = all; }

 private:
  SRepBagObject m_objects;
  bool m_bAll = false;
};

// Makes a profile the active one for the scope's lifetime and puts the
// earlier one back at its end (null: no profile inside the scope).
class SRepPermProfileScope {
 public:
  explicit SRepPermProfileScope(ISRepPermProfile* profile) : m_prev(g_pPermProfileIntf) {
    g_pPermProfileIntf = profile;
  }
  ~SRepPermProfileScope() { g_pPermProfileIntf = m_prev; }
  SRepPermProfileScope(const SRepPermProfileScope&) = delete;
  SRepPermProfileScope& operator=(const SRepPermProfileScope&) = delete;

 private:
  ISRepPermProfile* m_prev;
};
