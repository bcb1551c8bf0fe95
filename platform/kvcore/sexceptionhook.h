// Reporting scopes for operations that must turn any exception into a result
// code: the exception is described, shown once through the exception dialog
// and mapped to a code by its kind. An I/O abort is passed over silently (the
// user stopped it), and a targeted exception that names a target is not ours
// to report: it is thrown on to whoever waits for it.
#pragma once

#include <exception>
#include <functional>

#include "kvcore/sexception.h"

// An I/O operation that the user or a caller stopped.
class SEIOAbortedException : public SEIOException {
 public:
  using SEIOException::SEIOException;
  const char* GetClassName() const override { return "SEIOAbortedException"; }
};

// An exception addressed to a handler further up (a target), which reporting
// scopes let through; one without a target is reported like any other.
class STargetedException : public SException {
 public:
  explicit STargetedException(const void* target = nullptr, const SString& message = SString())
      : SException(message, SString()), m_target(target) {}
  const char* GetClassName() const override { return "STargetedException"; }
  bool HasTarget() const { return m_target != nullptr; }
  const void* GetTarget() const { return m_target; }

 private:
  const void* m_target;
};

class VectoredExceptionHook {
 public:
  // The text of an exception for messages: the description of an
  // SException, what() of a standard exception, else "Unknown exception".
  static SString FormatException(const std::exception_ptr& e);
  // True for an exception that reporting scopes must throw on.
  static bool IsPassedOn(const std::exception_ptr& e);
  // The result code of an exception: an I/O abort E_ABORT, an I/O exception
  // its value when that is a failure code else STG_E_READFAULT, a COM
  // exception its code, anything else E_UNEXPECTED.
  static HRESULT ResultOf(const std::exception_ptr& e);
};

class VectoredExceptionReporter {
 public:
  // Call inside a catch block. Throws a targeted exception with a target on;
  // otherwise shows `message(exception text)` through the exception dialog at
  // (function, file, line), with the dialog switched off for an I/O abort,
  // and answers the exception's result code.
  static HRESULT Report(const char* function, const char* file, int line,
                        const std::function<SString(const SString& text)>& message);
};

// Runs body (answering an HRESULT) and reports what it throws as above.
template <class Body>
HRESULT KvReportingScope(const char* function, const char* file, int line,
                         const std::function<SString(const SString&)>& message, Body&& body) {
  try {
    return body();
  } catch (...) {
    return VectoredExceptionReporter::Report(function, file, line, message);
  }
}
