// The notification manager: a process-wide broadcast of (code, pointer,
// number) notifications to advised sinks.
#pragma once

#include <cstddef>
#include <vector>

#include "win/windef.h"

inline constexpr IID IID_ISNotificationSink = MakeGUID("{C13788F7-9D6C-47F0-B2C9-A8579C173A63}");

struct ISNotificationSink : public IUnknown {
  // Hears one notification. The result is the sink's own; the manager ignores it.
  virtual HRESULT OnNotify(int code, void* ptr, unsigned long num) = 0;

 protected:
  ~ISNotificationSink() = default;
};

struct SNotificationRecord {
  int code;
  void* ptr;
  unsigned long num;
  bool operator==(const SNotificationRecord&) const = default;
};

class SNotificationManager {
 public:
  // Sends a notification to every advised sink, in the order of advising.
  // A sink advised or unadvised while a notification is being sent takes part
  // from the next notification on (a sink removed meanwhile is not called).
  static void Notify(int code, void* ptr, unsigned long num);

  // Registers a sink (null is ignored). A sink advised twice hears every
  // notification twice, until unadvised twice.
  static void Advise(ISNotificationSink* sink);
  // Removes one registration of the sink; false when it had none.
  static bool Unadvise(ISNotificationSink* sink);
  // Removes every registration of the sink.
  static void UnadviseAll(ISNotificationSink* sink);
  static int GetSinkCount();

  // The notifications sent since the process started (or since ClearLog),
  // in order: at least the newest kLogKept of them (older ones are dropped
  // in batches, so a long-running process keeps at most twice that). The
  // log lives as long as the process, so notifications sent while a library
  // unloads can still be read afterwards.
  static constexpr std::size_t kLogKept = 4096;
  static std::vector<SNotificationRecord> Log();
  static void ClearLog();
};
