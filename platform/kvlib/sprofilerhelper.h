// SProfilerHelper: a labelled scope for a profiler. No profiler is part of
// this platform, so the scope does nothing; callers keep their labels so that
// one can be plugged in without touching them.
#pragma once

class SProfilerHelper {
 public:
  explicit SProfilerHelper(const char* label) { (void)label; }
  SProfilerHelper(const SProfilerHelper&) = delete;
  SProfilerHelper& operator=(const SProfilerHelper&) = delete;
};
