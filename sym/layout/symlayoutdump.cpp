#include "sym/layout/symlayoutdump.h"

#include <string>

#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"

namespace {
bool TracingOn() {
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  long value = 0;
  return settings.GetProfile(SString(u"LogAutoLayout"), &value, 0) == ERROR_SUCCESS && value != 0;
}
}  // namespace

SString SSymAutoLayoutDumpFile::PathOf(const SString& fileName) {
  SString folder = SRepOption::m_sOutputLogPath;
  if (folder.IsEmpty()) return SString();
  const char16_t last = folder.GetAt(folder.GetLength() - 1);
  if (last != u'/' && last != u'\\') folder += u'/';
  return folder + fileName;
}

SSymAutoLayoutDumpFile::SSymAutoLayoutDumpFile(int level, const SString& fileName) : m_nLevel(level) {
  if (!TracingOn()) return;
  const SString path = PathOf(fileName);
  if (path.IsEmpty()) return;
  // "w" truncates: the trace of this object replaces the previous one whole.
  m_file = std::fopen(path.ToUtf8().c_str(), "w");
}

SSymAutoLayoutDumpFile::SSymAutoLayoutDumpFile() : SSymAutoLayoutDumpFile(0, SString(kDefaultName)) {}

SSymAutoLayoutDumpFile::~SSymAutoLayoutDumpFile() {
  if (m_file) std::fclose(m_file);
}

void SSymAutoLayoutDumpFile::Output(const SString& text) {
  if (!m_file) return;
  const std::string bytes = text.ToUtf8();
  std::fwrite(bytes.data(), 1, bytes.size(), m_file);
}

SSymAutoLayoutDumpFile& SSymAutoLayoutDumpFile::operator<<(const SString& text) {
  Output(text);
  return *this;
}

SSymAutoLayoutDumpFile& SSymAutoLayoutDumpFile::operator<<(const char* text) {
  if (m_file && text) Output(SString(text));
  return *this;
}

SSymAutoLayoutDumpFile& SSymAutoLayoutDumpFile::operator<<(long long number) {
  if (m_file) Output(SString(std::to_string(number)));
  return *this;
}

void SSymAutoLayoutDumpFile::EndLine() { Output(SString("\n")); }
