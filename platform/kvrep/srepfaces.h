// Interface faces of repository objects. A class states the interfaces it
// answers beyond its base in its base clause, and SRepFaces answers them
// through the repository's query table (SRepQueryTable) with the one
// IUnknown of the object behind every face; SRepFromInterface goes from any
// face back to the implementing object.
//
//   class SSymSolid : public SRepFaces<SSymSolid, SSymStd, ISSymBrush, ISSymAdjust, ISSymCustomShape,
//                                      SRepFaceSelf<IID_SSymSolid>> {
//
// Each entry of the list is one of
//   I                  the interface I, answered for I::iid;
//   SRepFaceAs<id, I>  the interface I answered for another identifier (IUnknown);
//   SRepFaceIf<I>      I, answered only while the class's public
//                      `bool AnswersFace(SRepFaceTag<I>) const` says so;
//   SRepFaceSelf<id>   the class itself, for id: it gives Self::FromInterface;
//   SRepFaceImpl<C>    no face: a base C that implements listed interfaces.
//
// SRepFaces derives from Base and from every listed interface (or
// implementation) that neither Base nor another entry already derives from,
// so an interface listed with the interfaces it extends is one subobject.
// Its own faces are answered first, in list order, then Base's. A face whose
// test fails is refused on this level and asked of Base. Constructors are
// Base's: a class initialises its base as SRepFaces(...).
#pragma once

#include <array>
#include <cstddef>
#include <type_traits>

#include "kvcore/scomwrap.h"
#include "kvrep/srepobject.h"

template <class I>
struct SRepFaceTag {};
template <const IID& Iid, class I>
struct SRepFaceAs {};
template <class I>
struct SRepFaceIf {};
template <const IID& Iid>
struct SRepFaceSelf {};
template <class C>
struct SRepFaceImpl {};

// The implementation behind an interface of an object that answers identity
// with a pointer to its T, or null (no object, or another class). No
// reference is kept: the caller's reference keeps the object.
template <class T>
T* SRepFromInterface(IUnknown* unk, REFIID identity) {
  if (!unk) return nullptr;
  SComOut<T> t;
  if (unk->QueryInterface(identity, t.Void()) != S_OK || !t) return nullptr;
  return t.Get();  // the holder gives its reference back; the caller's keeps the object
}

namespace srep_faces {

// What one entry of the list means: the type it derives from (void for
// none), whether it is answered and how.
template <class F>
struct Entry {
  using Derive = F;
  static constexpr bool answered = true;
  template <class Self>
  static SRepIntfEntry Make(Self* self) {
    return {&F::iid, OffsetOf<F>(self), nullptr};
  }
  template <class I, class Self>
  static std::ptrdiff_t OffsetOf(Self* self) {
    return reinterpret_cast<char*>(static_cast<I*>(self)) - reinterpret_cast<char*>(self);
  }
};
template <const IID& Iid, class I>
struct Entry<SRepFaceAs<Iid, I>> : Entry<I> {
  template <class Self>
  static SRepIntfEntry Make(Self* self) {
    return {&Iid, Entry<I>::template OffsetOf<I>(self), nullptr};
  }
};
template <class I>
struct Entry<SRepFaceIf<I>> : Entry<I> {
  template <class Self>
  static bool Test(void* object) {
    return static_cast<const Self*>(object)->AnswersFace(SRepFaceTag<I>{});
  }
  template <class Self>
  static SRepIntfEntry Make(Self* self) {
    return {&I::iid, Entry<I>::template OffsetOf<I>(self), &Test<Self>};
  }
};
template <const IID& Iid>
struct Entry<SRepFaceSelf<Iid>> {
  using Derive = void;
  static constexpr bool answered = true;
  static constexpr const IID* identity = &Iid;
  template <class Self>
  static SRepIntfEntry Make(Self*) {
    return {&Iid, 0, nullptr};
  }
};
template <class C>
struct Entry<SRepFaceImpl<C>> {
  using Derive = C;
  static constexpr bool answered = false;
};

template <class... T>
struct Types {};

// The types to derive from: each entry's, unless void, a base of Base,
// already taken, or a base of a later entry's type.
template <class Base, class Taken, class... Rest>
struct Bases {
  using type = Taken;
};
template <class Base, class... Taken, class X, class... Rest>
struct Bases<Base, Types<Taken...>, X, Rest...> {
  static constexpr bool keep = !std::is_void_v<X> && !std::is_base_of_v<X, Base> &&
                               !(std::is_base_of_v<X, Taken> || ...) &&
                               !((std::is_base_of_v<X, Rest> && !std::is_same_v<X, Rest>) || ...);
  using type = typename Bases<Base, std::conditional_t<keep, Types<Taken..., X>, Types<Taken...>>, Rest...>::type;
};

template <class Base, class List>
struct Derive;
template <class Base, class... X>
struct Derive<Base, Types<X...>> : Base, X... {
  using Base::Base;
};

// The class identity among the entries, or null.
template <class F>
constexpr const IID* IdentityOf() {
  if constexpr (requires { Entry<F>::identity; })
    return Entry<F>::identity;
  else
    return nullptr;
}
template <class... F>
constexpr const IID* Identity() {
  const IID* found = nullptr;
  ((found = found ? found : IdentityOf<F>()), ...);
  return found;
}

// Gives Self::FromInterface to a class that states its identity.
template <class Self, class D, const IID* Id>
struct FromLayer : D {
  using D::D;
  static Self* FromInterface(IUnknown* unk) { return SRepFromInterface<Self>(unk, *Id); }
};
template <class Self, class D>
struct FromLayer<Self, D, nullptr> : D {
  using D::D;
};

template <class Self, class Base, class... F>
using Layers = FromLayer<Self, Derive<Base, typename Bases<Base, Types<>, typename Entry<F>::Derive...>::type>,
                         Identity<F...>()>;

}  // namespace srep_faces

template <class Self, class Base, class... Faces>
class SRepFaces : public srep_faces::Layers<Self, Base, Faces...> {
  static_assert(std::is_base_of_v<SRepObject, Base>, "faces are answered by repository objects");
  using Layers = srep_faces::Layers<Self, Base, Faces...>;

 public:
  using Layers::Layers;

  // One IUnknown behind every face: the base's.
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return Base::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return Base::AddRef(); }
  ULONG Release() override { return Base::Release(); }

  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    Self* self = static_cast<Self*>(this);
    const HRESULT hr = SRepQueryTable(self, static_cast<SRepObject*>(this), Table(self), iid, ppv);
    if (hr != E_NOINTERFACE) return hr;
    return Base::InternalQueryInterface(iid, ppv);
  }

 private:
  static constexpr std::size_t kAnswered = (std::size_t{0} + ... + (srep_faces::Entry<Faces>::answered ? 1 : 0));

  // The table of the class, ended by a null identifier. The offsets of the
  // faces are those of every object of the class (no virtual bases), taken
  // from the first object asked rather than from storage that holds none.
  static const SRepIntfEntry* Table(Self* self) {
    static const std::array<SRepIntfEntry, kAnswered + 1> table = [self] {
      (void)self;  // a class that answers no face of its own leaves it unused
      std::array<SRepIntfEntry, kAnswered + 1> t{};
      std::size_t i = 0;
      (
          [&] {
            if constexpr (srep_faces::Entry<Faces>::answered) t[i++] = srep_faces::Entry<Faces>::Make(self);
          }(),
          ...);
      t[i] = {nullptr, 0, nullptr};
      return t;
    }();
    return table.data();
  }
};
