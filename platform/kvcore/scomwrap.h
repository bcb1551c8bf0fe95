// SComWrap<I, &IID>: a counted interface reference. The wrapper owns one
// reference to what it holds; converting from another interface queries the
// source for IID (E_NOINTERFACE leaves the wrapper empty, any other failure
// throws SECOMException naming the member, "lib/h/scomwrap" and its line).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "kvcore/sexception.h"
#include "win/windef.h"

// The identifier an interface is queried by when SComWrap is written with one
// argument. An interface may carry it as a static constexpr member `iid`, or
// specialise this traits class.
template <class I>
struct SComTraits {
  static constexpr const IID* DefaultIID() {
    if constexpr (requires { I::iid; })
      return &I::iid;
    else
      return nullptr;
  }
  static constexpr const IID* piid = DefaultIID();
};
template <>
struct SComTraits<IUnknown> {
  static constexpr const IID* piid = &IID_IUnknown;
};

namespace kvcom_detail {
inline constexpr const char* kScomwrapFile = "lib/h/scomwrap";

// How many type names have been demangled: messages are built only on
// failure paths, and tests hold successful paths to that.
inline std::atomic<long> g_typeNamesBuilt{0};

// The source-level name of an interface type ("ISRepObject").
template <class T>
std::string TypeName() {
  g_typeNamesBuilt.fetch_add(1, std::memory_order_relaxed);
  int status = 0;
  char* d = abi::__cxa_demangle(typeid(T).name(), nullptr, nullptr, &status);
  std::string s = (status == 0 && d) ? d : typeid(T).name();
  std::free(d);
  const std::string anon = "(anonymous namespace)::";
  for (std::size_t at; (at = s.find(anon)) != std::string::npos;) s.erase(at, anon.size());
  return s;
}

// "SComWrap<struct I,&struct __s_GUID const _GUID_xxxxxxxx_xxxx_xxxx_xxxx_xxxxxxxxxxxx>"
inline std::string WrapClassText(const std::string& iname, const IID* iid) {
  std::string g;
  if (iid) {
    std::string t = GuidToString(*iid);  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    for (char c : t) {
      if (c == '{' || c == '}') continue;
      if (c == '-')
        g += '_';
      else
        g += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    }
  }
  return "SComWrap<struct " + iname + ",&struct __s_GUID const _GUID_" + g + ">";
}

// Throws the interface failure of a wrapper member.
[[noreturn]] inline void ThrowCom(const std::string& function, int line, HRESULT hr) {
  throw SECOMException(function.c_str(), kScomwrapFile, line, hr);
}
}  // namespace kvcom_detail

template <class I, const IID* piid = SComTraits<I>::piid>
class SComWrap {
  static_assert(std::is_base_of_v<IUnknown, I>, "SComWrap holds interfaces");
  static_assert(!std::is_same_v<std::integral_constant<const IID*, piid>, std::integral_constant<const IID*, nullptr>>,
                "no interface identifier: give the interface a static constexpr IID iid");

 public:
  using Interface = I;
  static const IID& GetIID() { return *piid; }

  SComWrap() = default;
  SComWrap(I* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  SComWrap(const SComWrap& other) : m_p(other.m_p) {
    if (m_p) m_p->AddRef();
  }
  SComWrap(SComWrap&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}

  // From another interface pointer: queried for IID. (A pointer to a class
  // that derives from I converts without a query.)
  template <class J>
    requires(std::is_base_of_v<IUnknown, J> && !std::is_convertible_v<J*, I*>)
  SComWrap(J* source) {
    HRESULT hr = _QueryFrom(static_cast<IUnknown*>(source));
    if (FAILED(hr) && hr != E_NOINTERFACE) ThrowCom("__thiscall " + ClassText() + "::" + ClassText() + "(struct " + Name<J>() + " *)", 53, hr);
  }
  // From a wrapper of another interface: queried for IID.
  template <class J, const IID* pj>
    requires(!std::is_same_v<SComWrap<J, pj>, SComWrap>)
  SComWrap(const SComWrap<J, pj>& source) {
    HRESULT hr = source.IsNull() ? Clear() : _QueryFrom(static_cast<IUnknown*>(source.Get()));
    if (FAILED(hr) && hr != E_NOINTERFACE)
      ThrowCom("__thiscall " + ClassText() + "::" + ClassText() + "(const class " + SComWrap<J, pj>::ClassText() + " &)",
               53, hr);
  }

  ~SComWrap() {
    I* old = m_p;
    m_p = nullptr;
    if (old) old->Release();
  }

  // Same interface: no query; the new pointer gains a reference before the
  // old one loses its own, so re-assigning a shared object is safe.
  SComWrap& operator=(I* p) {
    if (p != m_p) {
      if (p) p->AddRef();
      I* old = m_p;
      m_p = p;
      if (old) old->Release();
    }
    return *this;
  }
  SComWrap& operator=(const SComWrap& other) { return *this = other.m_p; }
  SComWrap& operator=(SComWrap&& other) noexcept {
    if (this != std::addressof(other)) {
      I* old = m_p;
      m_p = std::exchange(other.m_p, nullptr);
      if (old) old->Release();
    }
    return *this;
  }
  template <class J, const IID* pj>
    requires(!std::is_same_v<SComWrap<J, pj>, SComWrap>)
  SComWrap& operator=(const SComWrap<J, pj>& source) {
    HRESULT hr = source.IsNull() ? Clear() : _QueryFrom(static_cast<IUnknown*>(source.Get()));
    if (FAILED(hr) && hr != E_NOINTERFACE)
      ThrowCom("class " + ClassText() + " &__thiscall " + ClassText() + "::operator =(const class " +
                   SComWrap<J, pj>::ClassText() + " &)",
               70, hr);
    return *this;
  }
  template <class J>
    requires(std::is_base_of_v<IUnknown, J> && !std::is_convertible_v<J*, I*>)
  SComWrap& operator=(J* source) {
    HRESULT hr = _QueryFrom(static_cast<IUnknown*>(source));
    if (FAILED(hr) && hr != E_NOINTERFACE)
      ThrowCom("class " + ClassText() + " &__thiscall " + ClassText() + "::operator =(struct " + Name<J>() + " *)",
               73, hr);
    return *this;
  }

  I* operator->() const {
    if (!m_p)
      ThrowCom("struct " + Name<I>() + " *__thiscall " + ClassText() + "::operator ->(void) const", 87, E_POINTER);
    return m_p;
  }
  operator I*() const { return m_p; }
  I* Get() const { return m_p; }
  bool IsNull() const { return m_p == nullptr; }

  // Gives up the held reference; an empty wrapper is an error.
  void Release() {
    if (!m_p) ThrowCom("void __thiscall " + ClassText() + "::Release(void)", 112, E_POINTER);
    I* old = m_p;
    m_p = nullptr;
    old->Release();
  }
  // Gives up the held reference if any.
  SComWrap& Reset() {
    if (m_p) {
      I* old = m_p;
      m_p = nullptr;
      old->Release();
    }
    return *this;
  }
  // For out-parameters of interface calls: the wrapper is emptied first.
  I** operator&() {
    Reset();
    return &m_p;
  }
  // Takes over a pointer whose reference the caller hands on (no AddRef).
  void Attach(I* p) {
    Reset();
    m_p = p;
  }
  // Hands the held reference on to the caller.
  I* Detach() { return std::exchange(m_p, nullptr); }

  // Queries the source for IID into this wrapper; answers the query's code
  // (E_NOINTERFACE for a null source). The old pointer is released after the
  // query, and the wrapper is left empty when the query failed.
  HRESULT _QueryFrom(IUnknown* source) {
    if (!source) return Clear();
    I* p = nullptr;
    HRESULT hr = source->QueryInterface(*piid, reinterpret_cast<void**>(&p));
    I* old = m_p;
    m_p = SUCCEEDED(hr) ? p : nullptr;
    if (old) old->Release();
    return hr;
  }

  // Identity order: the IUnknown faces of both sides compared as unsigned
  // addresses; -1, 0 or 1. An empty side counts as identity 0.
  int _CompareUnknown(IUnknown* other) const {
    const std::uintptr_t mine = IdentityOf(m_p, 169);
    const std::uintptr_t theirs = IdentityOf(other, 177);
    return mine < theirs ? -1 : (mine > theirs ? 1 : 0);
  }
  template <class J, const IID* pj>
  int _CompareUnknown(SComWrap<J, pj> other) const {
    return _CompareUnknown(static_cast<IUnknown*>(other.Get()));
  }

  template <class J, const IID* pj>
  bool operator==(SComWrap<J, pj> other) const {
    return _CompareUnknown(static_cast<IUnknown*>(other.Get())) == 0;
  }
  template <class J, const IID* pj>
  bool operator!=(SComWrap<J, pj> other) const {
    return _CompareUnknown(static_cast<IUnknown*>(other.Get())) != 0;
  }
  bool operator!=(I* p) const {
    if (p == m_p) return false;
    return _CompareUnknown(static_cast<IUnknown*>(p)) != 0;
  }
  bool operator==(I* p) const { return !(*this != p); }
  bool operator<(const SComWrap& other) const { return _CompareUnknown(static_cast<IUnknown*>(other.m_p)) < 0; }

  static std::string ClassText() { return kvcom_detail::WrapClassText(Name<I>(), piid); }

 private:
  template <class T>
  static std::string Name() {
    return kvcom_detail::TypeName<T>();
  }
  [[noreturn]] static void ThrowCom(const std::string& function, int line, HRESULT hr) {
    kvcom_detail::ThrowCom(function, line, hr);
  }
  HRESULT Clear() {
    Reset();
    return E_NOINTERFACE;
  }
  // The IUnknown face of p as an unsigned address; the reference the query
  // gave is dropped at once.
  static std::uintptr_t IdentityOf(IUnknown* p, int line) {
    if (!p) return 0;
    IUnknown* unk = nullptr;
    HRESULT hr = p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk));
    if (FAILED(hr))
      ThrowCom("int __thiscall " + ClassText() + "::_CompareUnknown(class SComWrap<struct IUnknown,&struct __s_GUID "
                   "const _GUID_00000000_0000_0000_c000_000000000046>) const",
               line, hr);
    const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(unk);
    if (unk) unk->Release();
    return id;
  }

  I* m_p = nullptr;
};

// SComOut<I>: the holder of one counted interface pointer that a call fills
// through an out-parameter (`&holder` for an I**, `holder.Void()` for a
// void**). It releases what it holds at its end, so that the caller writes
// no Release of its own. Unlike SComWrap it never queries: it needs no
// interface identifier and holds exactly what the call gave.
template <class I>
class SComOut {
 public:
  SComOut() = default;
  // Takes over a reference the caller hands on (no AddRef).
  explicit SComOut(I* owned) : m_p(owned) {}
  ~SComOut() { Reset(); }
  SComOut(const SComOut&) = delete;
  SComOut& operator=(const SComOut&) = delete;
  SComOut(SComOut&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
  SComOut& operator=(SComOut&& other) noexcept {
    if (this != std::addressof(other)) {
      Reset();
      m_p = std::exchange(other.m_p, nullptr);
    }
    return *this;
  }

  // The out-parameter; whatever the holder held is released first.
  I** operator&() {
    Reset();
    return &m_p;
  }
  void** Void() {
    Reset();
    return reinterpret_cast<void**>(&m_p);
  }
  I* operator->() const { return m_p; }
  operator I*() const { return m_p; }
  I* Get() const { return m_p; }
  bool IsNull() const { return m_p == nullptr; }
  // Hands the held reference on to the caller.
  I* Detach() { return std::exchange(m_p, nullptr); }
  // Releases the held reference, if any.
  void Reset() {
    if (I* old = std::exchange(m_p, nullptr)) old->Release();
  }
  // Holds p with a reference of its own (AddRef), releasing the old one after.
  void Assign(I* p) {
    if (p) p->AddRef();
    I* old = std::exchange(m_p, p);
    if (old) old->Release();
  }

 private:
  I* m_p = nullptr;
};
