// Profiling counters of the user-interface library. A count helper is a
// scope opened with a label: it reads a process-wide count when it opens and
// again when it closes, and adds the change to the label's totals, so that
// a run can tell which labelled operations made (or freed) resources.
// SHandleCountHelper counts the process's GDI objects.
#pragma once

#include <string>

class SBaseCountHelper {
 public:
  SBaseCountHelper(const SBaseCountHelper&) = delete;
  SBaseCountHelper& operator=(const SBaseCountHelper&) = delete;
  virtual ~SBaseCountHelper() = default;

  const std::string& GetLabel() const { return m_label; }

  // The totals of a label: the sum of the changes its closed scopes saw, and
  // how many scopes closed. 0 for a label never used.
  static long GetTotal(const std::string& label);
  static long GetCalls(const std::string& label);
  static void ResetTotals();

 protected:
  // A null label counts as the empty label.
  explicit SBaseCountHelper(const char* label) : m_label(label ? label : "") {}
  // The count the helper follows.
  virtual long Current() const = 0;
  // Called by the derived class once it can answer Current: at its opening,
  // and at its closing (before the base's destructor, which could no longer
  // reach the derived Current).
  void Start() { m_start = Current(); }
  void Stop();

 private:
  std::string m_label;
  long m_start = 0;
  bool m_stopped = false;
};

class SHandleCountHelper : public SBaseCountHelper {
 public:
  explicit SHandleCountHelper(const char* label) : SBaseCountHelper(label) { Start(); }
  ~SHandleCountHelper() override { Stop(); }

 protected:
  long Current() const override;
};
