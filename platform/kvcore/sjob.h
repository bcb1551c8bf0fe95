// Named jobs: a job is looked up by name among the handlers that parts of the
// program registered, and run with a text. Objects offer their commands to a
// job before handling them themselves, so that a plug-in can take a command
// over without the object knowing it.
#pragma once

#include <functional>

#include "kvcore/sstring.h"

class SJob {
 public:
  using Handler = std::function<bool(const SString& text)>;
  SJob(const SString& name, const SString& text) : m_name(name), m_text(text) {}
  // True when a handler is registered under the name and handled the job.
  bool Run() const;
  const SString& GetName() const { return m_name; }

  // Registers (or, with an empty handler, removes) the handler of a name.
  static void Register(const SString& name, Handler handler);

 private:
  SString m_name;
  SString m_text;
};
