// The trace file of automatic layout, switched on by the user's numeric
// value "LogAutoLayout" (application general section): writers stream texts
// and numbers into it, and they are dropped while tracing is off. The file
// lies in the repository's log folder (SRepOption::m_sOutputLogPath).
#pragma once

#include <cstdio>

#include "kvcore/sstring.h"

class SSymAutoLayoutDumpFile {
 public:
  static constexpr const char* kDefaultName = "kv15_autolayout.log";

  // Opens the trace when tracing is on. Every new object starts the file
  // afresh: a shorter trace never leaves the tail of an older one behind.
  SSymAutoLayoutDumpFile(int level, const SString& fileName);
  SSymAutoLayoutDumpFile();
  virtual ~SSymAutoLayoutDumpFile();
  SSymAutoLayoutDumpFile(const SSymAutoLayoutDumpFile&) = delete;
  SSymAutoLayoutDumpFile& operator=(const SSymAutoLayoutDumpFile&) = delete;

  bool IsEnabled() const { return m_file != nullptr; }
  int GetLevel() const { return m_nLevel; }
  // The file a trace of this name goes to: the log folder with a separator
  // added when it has none at its end; empty without a log folder.
  static SString PathOf(const SString& fileName);

  SSymAutoLayoutDumpFile& operator<<(const SString& text);
  SSymAutoLayoutDumpFile& operator<<(const char* text);
  SSymAutoLayoutDumpFile& operator<<(long long number);
  SSymAutoLayoutDumpFile& operator<<(int number) { return *this << static_cast<long long>(number); }
  SSymAutoLayoutDumpFile& operator<<(long number) { return *this << static_cast<long long>(number); }
  // Ends the line ("\n").
  void EndLine();

 protected:
  // Writes the text unchanged when the file is open.
  virtual void Output(const SString& text);

 private:
  std::FILE* m_file = nullptr;
  int m_nLevel = 0;
};
