// Process-wide switches of cascaded work: g_IsCascadeAllowed (links follow
// the symbols they attach, owners hear of their children) and
// g_IsDefaultAllowed (default placements and values). Both are true at start.
// They change only through their scopes, which save the value, store the new
// one (off unless told otherwise) and restore the saved value once.
#pragma once

bool g_IsCascadeAllowed();
bool g_IsDefaultAllowed();

class SetCascadeAllowed {
 public:
  explicit SetCascadeAllowed(bool value = false);
  ~SetCascadeAllowed() { Restore(); }
  SetCascadeAllowed(const SetCascadeAllowed&) = delete;
  SetCascadeAllowed& operator=(const SetCascadeAllowed&) = delete;

  // Restores the saved value unless already done.
  virtual void Restore();
  virtual bool GetOldValue() const { return m_bOld; }

 protected:
  virtual void Set(bool value);

 private:
  bool m_bOld;
  bool m_bRestored;
};

class SetDefaultAllowed {
 public:
  explicit SetDefaultAllowed(bool value = false);
  ~SetDefaultAllowed() { Restore(); }
  SetDefaultAllowed(const SetDefaultAllowed&) = delete;
  SetDefaultAllowed& operator=(const SetDefaultAllowed&) = delete;

  virtual void Restore();
  virtual bool GetOldValue() const { return m_bOld; }

 protected:
  virtual void Set(bool value);

 private:
  bool m_bOld;
  bool m_bRestored;
};
