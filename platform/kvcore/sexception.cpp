#include "kvcore/sexception.h"

#include <cstdio>

SString SException::GetDescription() const {
  SString d(GetClassName());
  SString text = GetText();
  if (!text.IsEmpty()) {
    d += ": ";
    d += text;
  }
  d += m_location;
  return d;
}

void SException::FmtDbgFileLine(const char* function, const char* file, int line) {
  m_function = SString(function ? function : "");
  m_file = SString(file ? file : "");
  m_line = line;
  m_location = SString("\nFunction: ") + m_function + "\nFile: " + m_file + "\nLine: " + SString::FromInt(line);
}

SString SECOMException::TextOf(HRESULT hr) {
  const char* text = nullptr;
  switch (static_cast<std::uint32_t>(hr)) {
    case 0x00000000u: text = "The operation completed successfully."; break;
    case 0x00000001u: text = "The operation was not done."; break;
    case 0x80004001u: text = "Not implemented."; break;
    case 0x80004002u: text = "No such interface supported."; break;
    case 0x80004003u: text = "Invalid pointer."; break;
    case 0x80004004u: text = "Operation aborted."; break;
    case 0x80004005u: text = "Unspecified error."; break;
    case 0x8000FFFFu: text = "Catastrophic failure."; break;
    case 0x80070005u: text = "Access is denied."; break;
    case 0x80070006u: text = "The handle is invalid."; break;
    case 0x8007000Eu: text = "Not enough storage is available to complete this operation."; break;
    case 0x80070057u: text = "The parameter is incorrect."; break;
    case 0x80040154u: text = "Class not registered."; break;
    case 0x80040110u: text = "Class does not support aggregation."; break;
    case 0x80030002u: text = "The file could not be found."; break;
    default: break;
  }
  char code[32];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  if (!text) return SString("Error ") + code;
  return SString(text) + " (" + code + ")";
}
