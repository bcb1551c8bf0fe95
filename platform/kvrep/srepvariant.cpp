#include "kvrep/srepvariant.h"

#include <algorithm>

#include "kvrep/srepintf.h"

SRepOID_::SRepOID_(const SString& text) {
  if (!GuidFromString(text.str(), &id)) id = GUID_NULL;
}

SString SRepOID_::ToString() const { return SString(GuidToString16(id).c_str()); }

SRepVariant::SRepVariant(const SRepVariant& o) : m_type(o.m_type), m_value(o.m_value) { AddRefObject(); }

SRepVariant::SRepVariant(SRepVariant&& o) noexcept : m_type(o.m_type), m_value(std::move(o.m_value)) {
  o.m_type = SRepVT_EMPTY;
  o.m_value = std::monostate{};
}

SRepVariant& SRepVariant::operator=(const SRepVariant& o) {
  if (this != &o) {
    SRepVariant copy(o);
    *this = std::move(copy);
  }
  return *this;
}

SRepVariant& SRepVariant::operator=(SRepVariant&& o) noexcept {
  if (this != &o) {
    ReleaseData();
    m_type = o.m_type;
    m_value = std::move(o.m_value);
    o.m_type = SRepVT_EMPTY;
    o.m_value = std::monostate{};
  }
  return *this;
}

void SRepVariant::AddRefObject() {
  if (auto* p = std::get_if<ISRepObject*>(&m_value))
    if (*p) (*p)->AddRef();
}

void SRepVariant::ReleaseData() {
  if (auto* p = std::get_if<ISRepObject*>(&m_value)) {
    ISRepObject* obj = *p;
    m_value = std::monostate{};
    if (obj) obj->Release();
  }
  m_value = std::monostate{};
  m_type = SRepVT_EMPTY;
}

void SRepVariant::SetSTRING(const SString& v) { Set(SRepVT_STRING, v.GetLength() > 254 ? v.Left(254) : v); }

void SRepVariant::SetIOBJECT(ISRepObject* obj) {
  if (obj) obj->AddRef();
  ReleaseData();
  m_type = SRepVT_IOBJECT;
  m_value = obj;
}

bool SRepVariant::IsIntegerKind() const { return std::holds_alternative<std::int64_t>(m_value); }

std::int64_t SRepVariant::GetINT64() const {
  if (auto* p = std::get_if<std::int64_t>(&m_value)) return *p;
  return 0;
}

LONG SRepVariant::GetLONG() const { return static_cast<LONG>(GetINT64()); }

const SString& SRepVariant::GetSTRING() const {
  static const SString empty;
  if (auto* p = std::get_if<SString>(&m_value)) return *p;
  return empty;
}

const std::vector<std::uint8_t>& SRepVariant::GetBINARY() const {
  static const std::vector<std::uint8_t> empty;
  if (auto* p = std::get_if<std::vector<std::uint8_t>>(&m_value)) return *p;
  return empty;
}

SRep_Point SRepVariant::GetPOINT() const {
  if (auto* p = std::get_if<SRep_Point>(&m_value)) return *p;
  return {};
}

SRep_Rect SRepVariant::GetRECT() const {
  if (auto* p = std::get_if<SRep_Rect>(&m_value)) return *p;
  return {};
}

const SRep_PtList& SRepVariant::GetPLst() const {
  static const SRep_PtList empty;
  if (auto* p = std::get_if<SRep_PtList>(&m_value)) return *p;
  return empty;
}

SRepOID_ SRepVariant::GetOID() const {
  if (auto* p = std::get_if<SRepOID_>(&m_value)) return *p;
  return {};
}

ISRepObject* SRepVariant::GetIOBJECT() const {
  if (auto* p = std::get_if<ISRepObject*>(&m_value)) return *p;
  return nullptr;
}

HRESULT SRepVariant::GetIOBJECT(REFIID iid, void** out) const {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (m_type != SRepVT_IOBJECT) return E_INVALIDARG;
  ISRepObject* obj = GetIOBJECT();
  if (!obj) return S_FALSE;
  return obj->QueryInterface(iid, out);
}

SString SRepVariant::GetAsText() const {
  switch (m_type) {
    case SRepVT_EMPTY: return SString();
    case SRepVT_BOOL: return SString(GetBOOL() ? "True" : "False");
    case SRepVT_STRING:
    case SRepVT_TEXT: return GetSTRING();
    case SRepVT_POINT: {
      SRep_Point p = GetPOINT();
      return SString::Format("%d, %d", static_cast<int>(p.x), static_cast<int>(p.y));
    }
    case SRepVT_RECT: {
      SRep_Rect r = GetRECT();
      return SString::Format("%d, %d, %d, %d", static_cast<int>(r.x1), static_cast<int>(r.y1), static_cast<int>(r.x2),
                             static_cast<int>(r.y2));
    }
    case SRepVT_PTLIST: {
      SString s;
      for (const SRep_Point& p : GetPLst().pts) {
        if (!s.IsEmpty()) s += "; ";
        s += SString::Format("%d, %d", static_cast<int>(p.x), static_cast<int>(p.y));
      }
      return s;
    }
    case SRepVT_OID: return GetOID().ToString();
    case SRepVT_BINARY: return SString::Format("<%zu bytes>", GetBINARY().size());
    case SRepVT_IOBJECT: {
      ISRepObject* obj = GetIOBJECT();
      if (!obj) return SString();
      SRepVariant name;
      if (obj->GetAttribute(0x01000002, &name) == S_OK) return name.GetAsText();
      return SString();
    }
    case SRepVT_FLAGS: return SString::Format("0x%08X", static_cast<unsigned>(GetFLAGS()));
    default: return SString::FromInt(GetINT64());
  }
}

bool operator==(const SRepVariant& a, const SRepVariant& b) { return a.m_type == b.m_type && a.m_value == b.m_value; }

