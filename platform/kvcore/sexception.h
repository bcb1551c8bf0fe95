// The core library's exception family. Every exception carries a message text
// and a location text made from the function text, source file and line.
#pragma once

#include "kvcore/sstring.h"

class SException {
 public:
  SException() = default;
  SException(const SString& message, const SString& location) : m_message(message), m_location(location) {}
  // (function text, source file, line): fills the location, message empty.
  SException(const char* function, const char* file, int line) { FmtDbgFileLine(function, file, line); }
  SException(const SString& message, const char* function, const char* file, int line) : m_message(message) {
    FmtDbgFileLine(function, file, line);
  }
  virtual ~SException() = default;

  // The message text (result-code texts for the COM family).
  virtual SString GetText() const { return m_message; }
  virtual const char* GetClassName() const { return "SException"; }
  // Class name, then ": " and GetText() when that is not empty, then the location.
  virtual SString GetDescription() const;

  // Fills the location text from (function, file, line).
  void FmtDbgFileLine(const char* function, const char* file, int line);

  const SString& GetMessage() const { return m_message; }
  const SString& GetLocation() const { return m_location; }
  const SString& GetFunction() const { return m_function; }
  const SString& GetFile() const { return m_file; }
  int GetLine() const { return m_line; }

 protected:
  SString m_message;
  SString m_location;
  SString m_function;
  SString m_file;
  int m_line = 0;
};

class SECOMException : public SException {
 public:
  explicit SECOMException(HRESULT hr) : m_hr(hr) {}
  SECOMException(const char* function, const char* file, int line, HRESULT hr)
      : SException(function, file, line), m_hr(hr) {}
  SString GetText() const override { return TextOf(m_hr); }
  const char* GetClassName() const override { return "SECOMException"; }
  HRESULT GetResult() const { return m_hr; }
  // The text of a result code, as the exception dialog shows it.
  static SString TextOf(HRESULT hr);

 protected:
  HRESULT m_hr;
};

class SEOutOfMemory : public SECOMException {
 public:
  SEOutOfMemory() : SECOMException(E_OUTOFMEMORY) {}
  SEOutOfMemory(const char* function, const char* file, int line)
      : SECOMException(function, file, line, E_OUTOFMEMORY) {}
  const char* GetClassName() const override { return "SEOutOfMemory"; }
};

class SEConstructor : public SException {
 public:
  SEConstructor() : SException(SString("Constructor exception"), SString()) {}
  SEConstructor(const char* function, const char* file, int line)
      : SException(SString("Constructor exception"), function, file, line) {}
  const char* GetClassName() const override { return "SEConstructor"; }
};

class SEIOException : public SException {
 public:
  SEIOException() = default;
  SEIOException(const char* function, const char* file, int line, DWORD value = 0)
      : SException(function, file, line), m_value(value) {}
  SEIOException(const SString& message, const char* function, const char* file, int line, DWORD value = 0)
      : SException(message, function, file, line), m_value(value) {}
  const char* GetClassName() const override { return "SEIOException"; }
  DWORD GetValue() const { return m_value; }

 protected:
  DWORD m_value = 0;
};

class SEEOFException : public SEIOException {
 public:
  using SEIOException::SEIOException;
  const char* GetClassName() const override { return "SEEOFException"; }
};

// Throws an SECOMException at the call site when hr failed.
#define KV_THROW_IF_FAILED(hr)                                                   \
  do {                                                                           \
    HRESULT kv_hr_ = (hr);                                                       \
    if (FAILED(kv_hr_)) throw SECOMException(__PRETTY_FUNCTION__, __FILE__, __LINE__, kv_hr_); \
  } while (0)
