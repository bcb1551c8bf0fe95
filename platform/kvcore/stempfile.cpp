#include "kvcore/stempfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sstream.h"

SString STempFile::GetTempFolder() {
  const char* env = std::getenv("TMPDIR");
  return SString(env && *env ? env : "/tmp");
}

STempFile::STempFile(const SString& prefix, const SString& folder) {
  std::string pattern = KvNativePath(folder.IsEmpty() ? GetTempFolder() : folder);
  if (!pattern.empty() && pattern.back() != '/') pattern += '/';
  pattern += KvNativePath(prefix) + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0)
    throw SEIOException(SString("Cannot create a temporary file ") + SString(pattern.c_str()), __PRETTY_FUNCTION__,
                        __FILE__, __LINE__);
  ::close(fd);
  m_path = SString(name.data());
}

bool STempFile::Delete() {
  if (m_path.IsEmpty()) return true;
  const bool ok = std::remove(KvNativePath(m_path).c_str()) == 0;
  m_path = SString();
  return ok;
}
