#include "kvcore/sjob.h"

#include <map>
#include <string>

namespace {
std::map<std::u16string, SJob::Handler>& Handlers() {
  static auto* handlers = new std::map<std::u16string, SJob::Handler>;
  return *handlers;
}
}  // namespace

bool SJob::Run() const {
  auto& h = Handlers();
  auto it = h.find(std::u16string(m_name.c_str()));
  if (it == h.end() || !it->second) return false;
  const Handler handler = it->second;  // the handler may unregister itself
  return handler(m_text);
}

void SJob::Register(const SString& name, Handler handler) {
  auto& h = Handlers();
  if (handler) h[std::u16string(name.c_str())] = std::move(handler);
  else h.erase(std::u16string(name.c_str()));
}
