// A scope over one process-wide flag: opening it saves the flag and stores a
// new value; Restore (also run when the scope closes) puts the saved value
// back, once.
#pragma once

class SFlagScope {
 public:
  virtual ~SFlagScope() { Restore(); }
  SFlagScope(const SFlagScope&) = delete;
  SFlagScope& operator=(const SFlagScope&) = delete;

  // Restores the saved value unless already done.
  virtual void Restore();
  virtual bool GetOldValue() const { return m_bOld; }

 protected:
  SFlagScope(bool& flag, bool value);
  virtual void Set(bool value) { m_flag = value; }

 private:
  bool& m_flag;
  bool m_bOld;
  bool m_bRestored;
};
