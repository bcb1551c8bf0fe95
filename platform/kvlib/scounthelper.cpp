#include "kvlib/scounthelper.h"

#include <map>

#include "win/wingdi.h"

namespace {
struct Totals {
  long change = 0;
  long calls = 0;
};
std::map<std::string, Totals>& Table() {
  static std::map<std::string, Totals> table;
  return table;
}
}  // namespace

void SBaseCountHelper::Stop() {
  if (m_stopped) return;
  m_stopped = true;
  Totals& t = Table()[m_label];
  t.change += Current() - m_start;
  t.calls += 1;
}

long SBaseCountHelper::GetTotal(const std::string& label) {
  auto it = Table().find(label);
  return it == Table().end() ? 0 : it->second.change;
}

long SBaseCountHelper::GetCalls(const std::string& label) {
  auto it = Table().find(label);
  return it == Table().end() ? 0 : it->second.calls;
}

void SBaseCountHelper::ResetTotals() { Table().clear(); }

long SHandleCountHelper::Current() const { return static_cast<long>(KvGdiObjectCount()); }
