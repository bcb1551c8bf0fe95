// Repository values: points, rectangles, point lists, object identifiers and
// the tagged variant that carries every attribute value.
#pragma once

#include <compare>
#include <cstdint>
#include <variant>
#include <vector>

#include "kvcore/sstring.h"
#include "win/windef.h"

struct ISRepObject;

struct SRep_Point {
  LONG x = 0;
  LONG y = 0;
  friend bool operator==(const SRep_Point&, const SRep_Point&) = default;
};
inline constexpr SRep_Point SRep_Point_null{0, 0};

struct SRep_Rect {
  LONG x1 = 0;
  LONG y1 = 0;
  LONG x2 = 0;
  LONG y2 = 0;
  friend bool operator==(const SRep_Rect&, const SRep_Rect&) = default;
};
inline constexpr SRep_Rect SRep_Rect_null{0, 0, 0, 0};

// An ordered list of points (the path of a polyline).
struct SRep_PtList {
  std::vector<SRep_Point> pts;
  int GetCount() const { return static_cast<int>(pts.size()); }
  // 0 when both lists hold the same points in the same order, else 1.
  int Compare(const SRep_PtList& other) const { return pts == other.pts ? 0 : 1; }
  friend bool operator==(const SRep_PtList&, const SRep_PtList&) = default;
};

// The identifier of a repository object (a GUID; the null one means none).
struct SRepOID_ {
  GUID id = GUID_NULL;
  SRepOID_() = default;
  explicit SRepOID_(const GUID& g) : id(g) {}
  // Parses the registry text form; a bad text gives the null identifier.
  explicit SRepOID_(const SString& text);
  bool IsNull() const { return id == GUID_NULL; }
  SString ToString() const;
  friend bool operator==(const SRepOID_& a, const SRepOID_& b) { return a.id == b.id; }
  friend bool operator<(const SRepOID_& a, const SRepOID_& b) { return a.id < b.id; }
};

// Kinds of values; the numbers are the type codes of the metamodel.
enum SRepVarType : std::uint16_t {
  SRepVT_EMPTY = 0,
  SRepVT_OID = 0x1,
  SRepVT_SHORT = 0x2,
  SRepVT_LONG = 0x3,
  SRepVT_BOOL = 0x4,
  SRepVT_FLAGS = 0x6,
  SRepVT_DATE = 0x8,
  SRepVT_STRING = 0x9,  // bounded string (254 characters)
  SRepVT_TEXT = 0xA,
  SRepVT_BINARY = 0xB,
  SRepVT_POINT = 0xE,
  SRepVT_RECT = 0xF,
  SRepVT_PTLIST = 0x10,
  SRepVT_BYTE = 0x11,
  SRepVT_IOBJECT = 0x8003,  // counted object reference
};

// A tagged value. Copies share nothing but object references, which are
// counted. Getters of the wrong kind answer the kind's zero value; the
// checked form Get(kind, ...) reports E_INVALIDARG (DISP_E_TYPEMISMATCH-like).
class SRepVariant {
 public:
  SRepVariant() = default;
  SRepVariant(const SRepVariant& o);
  SRepVariant(SRepVariant&& o) noexcept;
  SRepVariant& operator=(const SRepVariant& o);
  SRepVariant& operator=(SRepVariant&& o) noexcept;
  ~SRepVariant() { ReleaseData(); }

  static SRepVariant Long(LONG v) { SRepVariant r; r.SetLONG(v); return r; }
  static SRepVariant Text(const SString& v) { SRepVariant r; r.SetTEXT(v); return r; }
  static SRepVariant Bool(bool v) { SRepVariant r; r.SetBOOL(v); return r; }

  SRepVarType GetType() const { return m_type; }
  bool IsEmpty() const { return m_type == SRepVT_EMPTY; }
  // Drops the value (and its object reference) and leaves the variant empty.
  void ReleaseData();

  void SetLONG(LONG v) { Set(SRepVT_LONG, static_cast<std::int64_t>(v)); }
  void SetSHORT(SHORT v) { Set(SRepVT_SHORT, static_cast<std::int64_t>(v)); }
  void SetBYTE(BYTE v) { Set(SRepVT_BYTE, static_cast<std::int64_t>(v)); }
  void SetBOOL(bool v) { Set(SRepVT_BOOL, static_cast<std::int64_t>(v ? 1 : 0)); }
  void SetFLAGS(DWORD v) { Set(SRepVT_FLAGS, static_cast<std::int64_t>(v)); }
  void SetDATE(std::int64_t v) { Set(SRepVT_DATE, v); }
  // A bounded string: longer texts are cut to 254 characters.
  void SetSTRING(const SString& v);
  void SetTEXT(const SString& v) { Set(SRepVT_TEXT, v); }
  void SetBINARY(std::vector<std::uint8_t> v) { Set(SRepVT_BINARY, std::move(v)); }
  void SetPOINT(const SRep_Point& v) { Set(SRepVT_POINT, v); }
  void SetRECT(const SRep_Rect& v) { Set(SRepVT_RECT, v); }
  void SetRECT(const RECT& v) { SetRECT(SRep_Rect{v.left, v.top, v.right, v.bottom}); }
  void SetPLst(const SRep_PtList& v) { Set(SRepVT_PTLIST, v); }
  void SetOID(const SRepOID_& v) { Set(SRepVT_OID, v); }
  // Holds a counted reference (null allowed).
  void SetIOBJECT(ISRepObject* obj);

  // Integer view of every integer-like kind (short, long, byte, bool, flags, date).
  LONG GetLONG() const;
  std::int64_t GetINT64() const;
  bool GetBOOL() const { return GetINT64() != 0; }
  DWORD GetFLAGS() const { return static_cast<DWORD>(GetINT64()); }
  std::int64_t GetDATE() const { return GetINT64(); }
  // The text of a string or text kind; empty otherwise.
  const SString& GetSTRING() const;
  const SString& GetTEXT() const { return GetSTRING(); }
  const std::vector<std::uint8_t>& GetBINARY() const;
  SRep_Point GetPOINT() const;
  SRep_Rect GetRECT() const;
  const SRep_PtList& GetPLst() const;
  SRepOID_ GetOID() const;
  // The held object (no reference added), null for none or another kind.
  ISRepObject* GetIOBJECT() const;
  // Queries the held object for iid into *out (reference added). E_POINTER
  // for a null out, E_INVALIDARG when the variant holds no object reference.
  HRESULT GetIOBJECT(REFIID iid, void** out) const;

  // The value as display text: integers in decimal, booleans "True"/"False",
  // points "x, y", rectangles "x1, y1, x2, y2", identifiers in registry form.
  SString GetAsText() const;
  void GetAsText(SString& out) const { out = GetAsText(); }

  bool IsIntegerKind() const;
  friend bool operator==(const SRepVariant& a, const SRepVariant& b);

 private:
  using Value = std::variant<std::monostate, std::int64_t, SString, std::vector<std::uint8_t>, SRep_Point,
                             SRep_Rect, SRep_PtList, SRepOID_, ISRepObject*>;
  template <class T>
  void Set(SRepVarType t, T&& v) {
    ReleaseData();
    m_type = t;
    m_value = std::forward<T>(v);
  }
  void AddRefObject();

  SRepVarType m_type = SRepVT_EMPTY;
  Value m_value;
};
