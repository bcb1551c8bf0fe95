// Recursive walks through owners and nested Symbols collections count their
// depth here and stop at a fixed limit, so a damaged repository that closes
// a cycle cannot recurse without end. One counter per thread for the whole
// library: a walk that passes through several kinds of container counts
// every level once.
#pragma once

class SSymDepthGuard {
 public:
  static constexpr int kLimit = 256;

  SSymDepthGuard() : ok(Depth() < kLimit) { ++Depth(); }
  ~SSymDepthGuard() { --Depth(); }
  SSymDepthGuard(const SSymDepthGuard&) = delete;
  SSymDepthGuard& operator=(const SSymDepthGuard&) = delete;

  const bool ok;  // false past the limit: the walk goes no deeper

 private:
  static int& Depth() {
    thread_local int depth = 0;
    return depth;
  }
};
