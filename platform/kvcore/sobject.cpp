#include "kvcore/sobject.h"

#include <algorithm>
#include <cstring>

namespace {
std::vector<const SClassInfo*>& Registry() {
  static std::vector<const SClassInfo*> list;
  return list;
}
}  // namespace

SClassInfo SObject::__clsinf("SObject", sizeof(SObject), nullptr, nullptr);

SClassInfo::SClassInfo(const char* name, int objectSize, const SClassInfo* base, CreateFn create)
    : m_name(name), m_size(objectSize), m_base(base), m_create(create) {
  Registry().push_back(this);
}

SClassInfo::~SClassInfo() {
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

bool SClassInfo::IsDerivedFrom(const SClassInfo* base) const {
  for (const SClassInfo* p = this; p; p = p->m_base)
    if (p == base) return true;
  return false;
}

const SClassInfo* SClassInfo::Find(const char* name) {
  if (!name) return nullptr;
  for (const SClassInfo* p : Registry())
    if (std::strcmp(p->m_name, name) == 0) return p;
  return nullptr;
}

std::vector<const SClassInfo*> SClassInfo::All() { return Registry(); }
