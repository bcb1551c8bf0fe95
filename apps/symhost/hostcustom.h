// The host's custom symbol formats, in the least form the library asks for:
// a model object that may keep a custom-symbol object, the custom-symbol
// object holding one format with its texts, and a rectangle symbol that
// shows the model object (ISSymObject) and carries the custom symbol text.
#pragma once

#include "kvrep/srepfaces.h"
#include "kvrep/srepobject.h"
#include "sym/shapes/symrectfamily.h"
#include "sym/symbol/symintfhost.h"

// The custom-symbol object of a model object.
class SHostCustomFormat : public SRepObjectMem, public ISSymCustomSymbol {
 public:
  explicit SHostCustomFormat(ISRepSession* session) : SRepObjectMem(CLSID_SRepObject, session) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return SRepObjectMem::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return SRepObjectMem::AddRef(); }
  ULONG Release() override { return SRepObjectMem::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;

  // ---- ISSymCustomSymbol
  // S_FALSE while no format is kept; E_FAIL, with nothing filled, when a
  // text is asked for that the format lacks.
  HRESULT GetCustomFormat(ISSymbol* symbol, SSymFormat& format, SString* text, SString* option) override;
  HRESULT RegisterSymbol(ISSymObject* object) override;

  // Keeps a format; a format without texts leaves both missing.
  void Keep(const SSymFormat& format, const SString* text, const SString* option);
  int GetRegisteredCount() const { return m_nRegistered; }

 private:
  bool m_bHasFormat = false, m_bHasTexts = false;
  SSymFormat m_format;
  SString m_text, m_option;
  int m_nRegistered = 0;
};

// A model object: its modification date, and its custom-symbol object when
// it keeps one.
class SHostCustomObject : public SRepObjectMem {
 public:
  explicit SHostCustomObject(ISRepSession* session) : SRepObjectMem(CLSID_SRepObject, session) {}
  ~SHostCustomObject() override;
  HRESULT GetAttribute(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT HasAttribute(LONG id) override;
  // Takes a custom-symbol object (counted; null drops it).
  void SetCustomFormat(SHostCustomFormat* format);
  SHostCustomFormat* GetCustomFormat() const { return m_pFormat; }
  std::int64_t m_modified = 0;

 private:
  SHostCustomFormat* m_pFormat = nullptr;
};

// A rectangle that shows a model object and carries its custom symbol text.
class SHostCustomRect : public SRepFaces<SHostCustomRect, SSymRectangle, ISSymObject> {
 public:
  SHostCustomRect(ISRepSession* session, const SSymRect& rect, SHostCustomObject* model);
  ~SHostCustomRect() override;
  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(m_pModel); }
  HRESULT GetCustomSymbolObject(ISRepObject** out) override;
  // Neither joins composites nor completes links.
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  // ---- the custom symbol text
  HRESULT GetAttribute(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT HasAttribute(LONG id) override;
  SString m_customText;

 private:
  SHostCustomObject* m_pModel;  // counted
};
