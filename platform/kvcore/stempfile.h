// A temporary file: created empty with a unique name in the temporary folder
// and removed when its holder goes, so that work files never outlive the
// operation that needed them.
#pragma once

#include "kvcore/sstring.h"

class STempFile {
 public:
  // Creates "<folder>/<prefix>XXXXXX"; the folder defaults to the temporary
  // folder. Throws SEIOException when the file cannot be created.
  explicit STempFile(const SString& prefix, const SString& folder = SString());
  ~STempFile() { Delete(); }
  STempFile(const STempFile&) = delete;
  STempFile& operator=(const STempFile&) = delete;

  const SString& GetPath() const { return m_path; }
  // Removes the file now (again: nothing); false when it could not be removed.
  bool Delete();

  // $TMPDIR when set and not empty, else /tmp.
  static SString GetTempFolder();

 private:
  SString m_path;
};
