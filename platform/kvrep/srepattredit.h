// The attribute-editor services that texts bound to the model call: the
// type word, the value text, the picture of a value, relays that hear of
// changes beyond the object, the list of values and the free-text test
// (declared on SRepAttrEditor in kvrep/sreppropmap.h), and the editors
// beyond the plain, colour and object ones:
//
//   SRepAttrEditorBool   booleans: "True" or "False", a two-entry list
//   SRepAttrEditorList   coded values: each value has a label and may have
//                        a picture; unknown values show their raw text
//
// The object editor (SRepAttrEditorObject) relays: its relay is advised on
// the referenced object and tells the text's sink when that object's name
// changes, as a change of the attribute itself.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/sstringtable.h"
#include "kvrep/sreppropmap.h"

class SMetaFile;
class SIcon;

// The high half of a type word that marks a boolean attribute.
inline constexpr DWORD SRepAttrType_Bool = 0x0004;
inline constexpr DWORD SRepAttrTypeKind(DWORD typeWord) { return typeWord >> 16; }

// The picture of a value: a metafile, an icon, either may be null. Neither
// is owned: the editor keeps them.
struct SRepAttrPicture {
  SMetaFile* metafile = nullptr;
  SIcon* icon = nullptr;
};

// An object an attribute editor makes for one text and one value. The text
// owns it; Detach stops it telling the text before the text deletes it.
class SRepValueRelay {
 public:
  virtual ~SRepValueRelay() = default;
  virtual void Detach() = 0;
};

class SRepAttrEditorBool : public SRepAttrEditor {
  KV_DECLARE_CLASSINFO()
 public:
  int GetKind() const override { return SRepEditor_Bool; }
  DWORD GetAttrType() const override;
  // "True" for a non-zero value, "False" otherwise.
  SString GetText(const SRepVariant& value) const override;
  HRESULT GetValueList(ISRepObject* obj, SStringTable& out) const override;
  BOOL IsFreeText(int, int) const override { return 0; }
};

// Coded values: a class's editor derives from it and adds its values in
// its constructor. Values are matched by their text (SRepVariant::GetAsText).
class SRepAttrEditorList : public SRepAttrEditor {
  KV_DECLARE_CLASSINFO()
 public:
  SRepAttrEditorList() = default;
  ~SRepAttrEditorList() override;
  int GetKind() const override { return SRepEditor_List; }
  // The label of the value; the raw text of a value the list does not hold.
  SString GetText(const SRepVariant& value) const override;
  // The value's picture; negative (E_FAIL) when it has none or is not listed.
  HRESULT GetValuePicture(ISRepObject* obj, SRepAttrPicture& out) const override;
  // The labels in order.
  HRESULT GetValueList(ISRepObject* obj, SStringTable& out) const override;
  BOOL IsFreeText(int, int) const override { return m_bFreeText ? 1 : 0; }

  // A value, its label and its picture (the editor takes the icon and the
  // metafile over; both may be null).
  void AddValue(const SString& value, const SString& label, SIcon* icon = nullptr, SMetaFile* metafile = nullptr);
  void SetFreeText(bool on) { m_bFreeText = on; }
  int GetValueCount() const { return static_cast<int>(m_values.size()); }

 private:
  struct Entry {
    SString value;
    SString label;
    std::unique_ptr<SIcon> icon;
    std::unique_ptr<SMetaFile> metafile;
  };
  const Entry* Find(const SString& value) const;
  std::vector<Entry> m_values;
  bool m_bFreeText = false;
};
