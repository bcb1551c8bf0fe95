#include "kvcore/snotify.h"

#include <algorithm>
#include <mutex>

namespace {
struct NotifyState {
  std::recursive_mutex lock;
  std::vector<ISNotificationSink*> sinks;
  std::vector<SNotificationRecord> log;
  // Bumped by every removal, so a dispatch in progress re-checks its sinks.
  unsigned long generation = 0;
};
// Never destroyed: libraries send notifications from their own unload, which
// may come after this library's static objects are gone.
NotifyState& State() {
  static NotifyState* s = new NotifyState;
  return *s;
}
}  // namespace

void SNotificationManager::Notify(int code, void* ptr, unsigned long num) {
  NotifyState& s = State();
  std::vector<ISNotificationSink*> snapshot;
  unsigned long generation;
  {
    std::lock_guard<std::recursive_mutex> g(s.lock);
    // The log keeps the newest records only (see the header), trimmed in
    // batches so that a notification stays cheap.
    if (s.log.size() >= 2 * SNotificationManager::kLogKept)
      s.log.erase(s.log.begin(), s.log.end() - static_cast<std::ptrdiff_t>(SNotificationManager::kLogKept));
    s.log.push_back({code, ptr, num});
    snapshot = s.sinks;
    generation = s.generation;
  }
  for (ISNotificationSink* sink : snapshot) {
    {
      std::lock_guard<std::recursive_mutex> g(s.lock);
      if (generation != s.generation && std::find(s.sinks.begin(), s.sinks.end(), sink) == s.sinks.end())
        continue;
    }
    sink->OnNotify(code, ptr, num);
  }
}

void SNotificationManager::Advise(ISNotificationSink* sink) {
  if (!sink) return;
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.sinks.push_back(sink);
}

bool SNotificationManager::Unadvise(ISNotificationSink* sink) {
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  auto it = std::find(s.sinks.begin(), s.sinks.end(), sink);
  if (it == s.sinks.end()) return false;
  s.sinks.erase(it);
  ++s.generation;
  return true;
}

void SNotificationManager::UnadviseAll(ISNotificationSink* sink) {
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  auto end = std::remove(s.sinks.begin(), s.sinks.end(), sink);
  if (end != s.sinks.end()) {
    s.sinks.erase(end, s.sinks.end());
    ++s.generation;
  }
}

int SNotificationManager::GetSinkCount() {
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  return static_cast<int>(s.sinks.size());
}

std::vector<SNotificationRecord> SNotificationManager::Log() {
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  return s.log;
}

void SNotificationManager::ClearLog() {
  NotifyState& s = State();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.log.clear();
}
