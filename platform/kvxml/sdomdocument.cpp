#include "kvxml/sdomdocument.h"

#include <cstdio>
#include <string>

#include "kvxml/domimpl.h"

namespace {

struct StringWriter : pugi::xml_writer {
  std::string& out;
  explicit StringWriter(std::string& o) : out(o) {}
  void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

// A quoted literal of the document type declaration: double quotes unless
// the text holds one.
std::string Literal(const SString& s) {
  const std::string t = DOMString(s).ToXmlUtf8();
  const char q = t.find('"') == std::string::npos ? '"' : '\'';
  std::string out(1, q);
  for (char c : t)
    if (c != q) out += c;  // a literal cannot hold both quotes: the other one is left out
  out += q;
  return out;
}

}  // namespace

std::string SDOMDocument::Serialize(int options, const char* encodingName) const {
  if (!m_pDocument || m_pDocument->isNull())
    DOMThrow(DOM_DOMException::INVALID_STATE_ERR, "no document to write");
  const DOMDocImpl& d = *DOMDocOf(*m_pDocument);
  const bool indent = (options & WriteIndent) != 0;
  const unsigned flags = (indent ? pugi::format_indent : pugi::format_raw) | pugi::format_no_declaration;
  std::string out;
  StringWriter w(out);
  bool beforeRoot = true;
  for (pugi::xml_node n = d.doc.first_child(); n; n = n.next_sibling()) {
    if (d.IsHidden(n)) continue;
    const bool prolog = beforeRoot && n.type() != pugi::node_element;
    if (n.type() == pugi::node_element) beforeRoot = false;
    if (prolog && !(options & WriteProlog)) continue;
    if (n.type() == pugi::node_declaration) {
      out += "<?xml version=\"";
      out += n.attribute("version").value();
      out += "\" encoding=\"";
      out += encodingName;
      out += '"';
      if (pugi::xml_attribute s = n.attribute("standalone")) {
        out += " standalone=\"";
        out += s.value();
        out += '"';
      }
      out += "?>\n";
    } else if (n.type() == pugi::node_doctype) {
      out += "<!DOCTYPE ";
      out += DOMString(d.doctypeName).ToXmlUtf8();
      if (!d.publicId.IsEmpty()) {
        out += " PUBLIC " + Literal(d.publicId) + " " + Literal(d.systemId);
      } else if (!d.systemId.IsEmpty()) {
        out += " SYSTEM " + Literal(d.systemId);
      }
      out += ">\n";
    } else {
      n.print(w, "  ", flags, pugi::encoding_utf8);
      if (!indent) out += '\n';
    }
  }
  return out;
}

SString SDOMDocument::ToString(int options) const { return SString::FromUtf8(Serialize(options, "UTF-8")); }

void SDOMDocument::Write(SOutputStringStream& out, int options) const {
  const bool utf16 = out.GetEncoding() == SOutputStringStream::EncodingUtf16;
  out.WriteString(SString::FromUtf8(Serialize(options, utf16 ? "UTF-16" : "UTF-8")));
}

BOOL SDOMDocument::Write(const SString& path, DWORD encoding, int options) const {
  std::string bytes;
  try {
    const bool utf16 = encoding == SOutputStringStream::EncodingUtf16;
    bytes = Serialize(options, utf16 ? "UTF-16" : "UTF-8");
    if (utf16) {
      const std::u16string u = KvUtf8ToUtf16(bytes);
      bytes.assign("\xFF\xFE");
      for (char16_t c : u) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
      }
    }
  } catch (const SException&) {
    return FALSE;
  }
  if (path.IsEmpty()) return FALSE;
  // Written beside the target and renamed over it once complete, so that a
  // failed write leaves neither a partial file nor a damaged older one.
  const std::string target = KvNativePath(path);
  const std::string part = target + ".part";
  std::FILE* f = std::fopen(part.c_str(), "wb");
  if (!f) return FALSE;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = std::rename(part.c_str(), target.c_str()) == 0;
  if (!ok) std::remove(part.c_str());
  return ok ? TRUE : FALSE;
}
