#include "kvcore/sexceptionhook.h"

#include <new>

#include "kvcore/sexceptiondlg.h"

SString VectoredExceptionHook::FormatException(const std::exception_ptr& e) {
  if (!e) return SString();
  try {
    std::rethrow_exception(e);
  } catch (const SException& x) {
    return x.GetDescription();
  } catch (const std::exception& x) {
    return SString(x.what());
  } catch (...) {
  }
  return SString("Unknown exception");
}

bool VectoredExceptionHook::IsPassedOn(const std::exception_ptr& e) {
  if (!e) return false;
  try {
    std::rethrow_exception(e);
  } catch (const STargetedException& x) {
    return x.HasTarget();
  } catch (...) {
  }
  return false;
}

HRESULT VectoredExceptionHook::ResultOf(const std::exception_ptr& e) {
  if (!e) return S_OK;
  try {
    std::rethrow_exception(e);
  } catch (const SEIOAbortedException&) {
    return E_ABORT;
  } catch (const SEIOException& x) {
    const auto v = static_cast<HRESULT>(x.GetValue());
    return FAILED(v) ? v : STG_E_READFAULT;
  } catch (const SECOMException& x) {
    return x.GetResult();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
  }
  return E_UNEXPECTED;
}

HRESULT VectoredExceptionReporter::Report(const char* function, const char* file, int line,
                                          const std::function<SString(const SString& text)>& message) {
  const std::exception_ptr e = std::current_exception();
  if (VectoredExceptionHook::IsPassedOn(e)) std::rethrow_exception(e);
  const SString text = message ? message(VectoredExceptionHook::FormatException(e))
                               : VectoredExceptionHook::FormatException(e);
  bool aborted = false;
  try {
    std::rethrow_exception(e);
  } catch (const SEIOAbortedException&) {
    aborted = true;
  } catch (...) {
  }
  if (aborted) {
    SExceptionActivateDialog off(false);
    SExceptionDialog::Show(function, file, line, text);
  } else {
    SExceptionDialog::Show(function, file, line, text);
  }
  return VectoredExceptionHook::ResultOf(e);
}
