// SObject and SClassInfo: run-time class information and creation by class
// information, for windows, tools, trackers, editors and dialogs.
#pragma once

#include <vector>

class SObject;

struct SClassInfo {
  using CreateFn = SObject* (*)();

  // Registers the record in the process-wide list (start-up order is kept).
  SClassInfo(const char* name, int objectSize, const SClassInfo* base, CreateFn create);
  ~SClassInfo();
  SClassInfo(const SClassInfo&) = delete;
  SClassInfo& operator=(const SClassInfo&) = delete;

  const char* GetName() const { return m_name; }
  int GetObjectSize() const { return m_size; }
  const SClassInfo* GetBase() const { return m_base; }
  bool CanCreate() const { return m_create != nullptr; }
  // A new object, or null for a class without a creation function.
  SObject* CreateObject() const { return m_create ? m_create() : nullptr; }
  // True for this record and every record up its base chain.
  bool IsDerivedFrom(const SClassInfo* base) const;

  // Looks a record up by class name; null when none is registered.
  static const SClassInfo* Find(const char* name);
  static std::vector<const SClassInfo*> All();

  const char* m_name;
  int m_size;
  const SClassInfo* m_base;
  CreateFn m_create;
};

class SObject {
 public:
  virtual ~SObject() = default;
  virtual const SClassInfo* GetClassInfo() const { return &__clsinf; }
  bool IsKindOf(const SClassInfo* info) const { return GetClassInfo()->IsDerivedFrom(info); }

  static SClassInfo __clsinf;
};

// In a class body: the class's record and its virtual accessor.
#define KV_DECLARE_CLASSINFO()                                        \
 public:                                                              \
  static SClassInfo __clsinf;                                         \
  const SClassInfo* GetClassInfo() const override { return &__clsinf; }

// In a source file: the record of a class that cannot be created by record.
#define KV_IMPLEMENT_CLASSINFO(cls, base) SClassInfo cls::__clsinf(#cls, sizeof(cls), &base::__clsinf, nullptr)
// The record of a class created by record through its default constructor.
#define KV_IMPLEMENT_DYNCREATE(cls, base)                                    \
  SClassInfo cls::__clsinf(#cls, sizeof(cls), &base::__clsinf,              \
                           []() -> SObject* { return new cls(); })
