#include "sym/foundation/symstream.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// ---- stream bitmaps ------------------------------------------------------------------

namespace {
// The picture of a pattern brush as a bitmap file over an opaque background
// of the brush colour; nothing when no bitmap can be made of it.
void WritePatternPicture(SOutputStream& out, SPictureInfo* info, COLORREF color) {
  try {
    Gdiplus::Bitmap* bitmap = info->GetType() == SPictureInfo::ptBitmap ? info->GetBitmap(1) : nullptr;
    std::unique_ptr<Gdiplus::Bitmap> own;
    if (!bitmap) {
      const SBlob& data = info->GetOriginalData();
      if (data.IsEmpty()) return;
      own.reset(Gdiplus::Bitmap::FromMemory(data.GetData(), data.GetSize()));
      bitmap = own.get();
    }
    if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return;
    HBITMAP handle = nullptr;
    if (bitmap->GetHBITMAP(Gdiplus::Color(255, GetRValue(color), GetGValue(color), GetBValue(color)), &handle) !=
            Gdiplus::Ok ||
        !handle)
      return;
    SBitmap stream(handle);
    stream.GetStreamBitmap(out);
  } catch (const std::bad_alloc&) {
  }
}

// A bitmap file at the stream's position made into a picture record; null
// (and the position unchanged) when the bytes there are not one.
SPictureInfo* ReadPatternPicture(SInputStream& in) {
  const std::size_t mark = in.GetPosition();
  BYTE head[14];
  if (in.GetAvailable() < sizeof head || in.Read(head, sizeof head) != sizeof head || head[0] != 'B' ||
      head[1] != 'M') {
    in.SetPosition(mark);
    return nullptr;
  }
  const DWORD size = head[2] | (DWORD(head[3]) << 8) | (DWORD(head[4]) << 16) | (DWORD(head[5]) << 24);
  in.SetPosition(mark);
  // The whole file must be there before anything is made of it.
  if (size < 54 || size > in.GetAvailable()) return nullptr;
  SPictureInfo* picture = nullptr;
  try {
    SBitmap bitmap;
    if (bitmap.CreateBitmap(in)) {
      if (Gdiplus::Bitmap* plus = SBitmapPlus::CreateBitmap(static_cast<HBITMAP>(bitmap)))
        picture = SPictureManager().AddBitmap(plus, SString(), 0, SString(), SBlob());
    }
  } catch (const SException&) {
    picture = nullptr;
  } catch (const std::bad_alloc&) {
    picture = nullptr;
  }
  in.SetPosition(picture ? mark + size : mark);
  return picture;
}
}  // namespace

// ---- writing -----------------------------------------------------------------------------

SSymOutputStream& SSymOutputStream::operator<<(const SSymPen& pen) {
  *this << static_cast<DWORD>((static_cast<DWORD>(pen.m_style) << 24) | (pen.m_color.GetColor() & 0xFFFFFFu));
  *this << static_cast<DWORD>(pen.m_width);
  return *this;
}

SSymOutputStream& SSymOutputStream::operator<<(const SSymBrush& brush) {
  DWORD top;
  if (brush.m_style == SSymBrush::Hatched) {
    top = 0x20u | (static_cast<DWORD>(brush.m_hatch) & 0x0Fu);
  } else {
    top = (static_cast<DWORD>(brush.m_style) << 4) & 0xF0u;
    if (brush.m_bitmapMode >= 0 && brush.m_bitmapMode < 12) top |= static_cast<DWORD>(brush.m_bitmapMode) + 1;
  }
  *this << static_cast<DWORD>((top << 24) | (brush.m_color.GetColor() & 0xFFFFFFu));
  if (brush.m_style == SSymBrush::Pattern && brush.GetPicture())
    WritePatternPicture(*this, brush.GetPicture(), brush.m_color.GetColor() & 0xFFFFFFu);
  return *this;
}

SSymOutputStream& SSymOutputStream::operator<<(const SSymColor& color) {
  *this << color.GetColor();
  return *this;
}

SSymOutputStream& SSymOutputStream::operator<<(const SSymFont& font) { return *this << font.GetAsString(); }

SSymOutputStream& SSymOutputStream::operator<<(const SString& text) {
  // The characters up to the first zero, then the zero.
  const std::u16string& s = text.str();
  const std::size_t end = s.find(u'\0');
  std::string utf8 = KvUtf16ToUtf8(std::u16string_view(s).substr(0, end == std::u16string::npos ? s.size() : end));
  const std::size_t n = utf8.size() + 1;
  *this << static_cast<BYTE>(n & 0xFF);
  Write(utf8.c_str(), n);
  return *this;
}

// ---- reading ------------------------------------------------------------------------------

SSymInputStream& SSymInputStream::operator>>(SSymPen& pen) {
  DWORD w = 0, width = 0;
  *this >> w;
  *this >> width;
  pen.m_color = w & 0xFFFFFFu;
  pen.m_style = static_cast<LONG>(w >> 24);
  pen.m_width = static_cast<LONG>(width);
  return *this;
}

SSymInputStream& SSymInputStream::operator>>(SSymBrush& brush) {
  DWORD w = 0;
  *this >> w;
  const DWORD kind = w >> 28;
  brush.m_color = w & 0xFFFFFFu;
  if (kind == SSymBrush::Hatched) {
    brush.m_style = SSymBrush::Hatched;
    brush.m_hatch = static_cast<LONG>((w >> 24) & 0x0Fu);
  } else {
    brush.m_style = kind == 0 || kind > 8 ? SSymBrush::Solid : static_cast<LONG>(kind);
    const DWORD mode = (w >> 24) & 0x0Fu;
    brush.m_bitmapMode = mode ? static_cast<LONG>(mode) - 1 : 12;
  }
  if (kind == SSymBrush::Pattern) {
    // A bitmap follows when the writer had a picture. When none can be made,
    // the brush is solid and the bytes stay for the next field.
    if (SPictureInfo* picture = ReadPatternPicture(*this))
      brush.SetPicture(picture);
    else
      brush.m_style = SSymBrush::Solid;
  }
  return *this;
}

SSymInputStream& SSymInputStream::operator>>(SSymColor& color) {
  DWORD w = 0;
  *this >> w;
  color = w;
  return *this;
}

SSymInputStream& SSymInputStream::operator>>(SSymFont& font) {
  SString text;
  *this >> text;
  font.SetAsString(text);
  return *this;
}

void SSymInputStream::ReadCountedText(BYTE count, SString& text, bool lenient) {
  // The count byte holds the length with its zero modulo 256: read that many
  // bytes (256 for a count of 0), then on in steps of 256 until the zero has
  // come. Every step must be there in full; a lenient reader takes a text
  // without its zero when no further step is there.
  std::vector<BYTE> bytes;
  std::size_t chunk = count ? count : 256;
  std::size_t zero = std::string::npos;
  for (;;) {
    const std::size_t start = bytes.size();
    if (lenient && start > 0 && GetAvailable() < chunk) {
      zero = start;
      break;
    }
    bytes.resize(start + chunk);
    ReadExact(bytes.data() + start, chunk);
    const void* z = std::memchr(bytes.data() + start, 0, chunk);
    if (z) {
      zero = static_cast<std::size_t>(static_cast<const BYTE*>(z) - bytes.data());
      break;
    }
    chunk = 256;
  }
  text = SString(KvUtf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), zero)));
}

SSymInputStream& SSymInputStream::operator>>(SString& text) {
  BYTE c = 0;
  *this >> c;
  try {
    ReadCountedText(c, text, false);
  } catch (const std::bad_alloc&) {
    throw SEOutOfMemory("class SSymInputStream &__thiscall SSymInputStream::operator >>(class SString &)",
                        "sym/src/symtypes", 2623);
  }
  return *this;
}

void SSymInputStream::ReadSymText(SString& text) {
  BYTE c = 0;
  *this >> c;
  if (c == 0 && GetAvailable() < 256) {
    text.Empty();
    return;
  }
  try {
    ReadCountedText(c, text, true);
  } catch (const std::bad_alloc&) {
    throw SEOutOfMemory("void __thiscall SSymInputStream::ReadSymText(class SString &)", "sym/src/symtypes", 2666);
  }
}

// ---- named values, binary ---------------------------------------------------------------

void SSymOutputStreamBinary::Write(const SString&, const SSymRect& rect) {
  m_out << rect.GetMinX() << rect.GetMaxY() << rect.GetMaxX() << rect.GetMinY();
}

void SSymOutputStreamBinary::Write(const SString& name, const SSymPen& pen) {
  m_out << static_cast<LONG>(pen.m_style) << static_cast<LONG>(pen.m_width);
  Write(name, pen.m_color);
}

void SSymOutputStreamBinary::Write(const SString&, const SSymColor& color) { m_out << color.GetColor(); }

void SSymOutputStreamBinary::Write(const SString&, bool value) { m_out << static_cast<BYTE>(value ? 1 : 0); }

void SSymInputStreamBinary::Read(const SString&, SSymRect& rect) {
  LONG v[4];
  for (LONG& x : v) m_in >> x;
  rect = SSymRect(v[0], v[1], v[2], v[3]);
}

void SSymInputStreamBinary::Read(const SString& name, SSymPen& pen) {
  LONG style = 0, width = 0;
  m_in >> style >> width;
  SSymColor color;
  Read(name, color);
  pen = SSymPen(style, width, color);
}

void SSymInputStreamBinary::Read(const SString&, SSymColor& color) {
  DWORD w = 0;
  m_in >> w;
  color = w;
}

void SSymInputStreamBinary::Read(const SString&, bool& value) {
  BYTE b = 0;
  m_in >> b;
  value = b != 0;
}

// ---- named values, text -----------------------------------------------------------------

SString SSymOutputStreamText::RectText(const SString& name, const SSymRect& rect) {
  return SString("(") + name +
         SString::Format(" (%ld, %ld) (%ld, %ld))", static_cast<long>(rect.GetMinX()), static_cast<long>(rect.GetMaxY()),
                         static_cast<long>(rect.GetMaxX()), static_cast<long>(rect.GetMinY()));
}

void SSymOutputStreamText::WriteLine(const SString& text) {
  std::string u = text.ToUtf8();
  u += "\r\n";
  m_out.Write(u.data(), u.size());
}

void SSymOutputStreamText::Write(const SString& name, const SSymRect& rect) { WriteLine(RectText(name, rect)); }
void SSymOutputStreamText::Write(const SString&, const SSymPen& pen) { WriteLine(pen.GetAsString()); }
void SSymOutputStreamText::Write(const SString&, const SSymColor& color) { WriteLine(color.GetAsString()); }
void SSymOutputStreamText::Write(const SString&, bool value) { WriteLine(SString::FromInt(value ? 1 : 0)); }

SString SSymInputStreamText::ReadLine() {
  std::string line;
  bool any = false;
  char c;
  while (m_in.Read(&c, 1) == 1) {
    any = true;
    if (c == '\n') break;
    line += c;
  }
  if (!any) throw SEEOFException(KV_SSTREAM_FN_BYTE, KV_SSTREAM_FILE, KV_SSTREAM_LINE_BYTE);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return SString::FromUtf8(line);
}

namespace {
// Signed decimal numbers of a text, in order, saturated to 32 bits.
std::vector<LONG> NumbersOf(const std::u16string& s) {
  std::vector<LONG> out;
  std::size_t i = 0;
  while (i < s.size()) {
    bool neg = false;
    if ((s[i] == u'-' || s[i] == u'+') && i + 1 < s.size() && s[i + 1] >= u'0' && s[i + 1] <= u'9') {
      neg = s[i] == u'-';
      ++i;
    }
    if (s[i] >= u'0' && s[i] <= u'9') {
      long long v = 0;
      while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        v = std::min(v * 10 + (s[i] - u'0'), 0x80000000LL);
        ++i;
      }
      if (neg) v = -v;
      out.push_back(static_cast<LONG>(std::clamp(v, -0x80000000LL, 0x7FFFFFFFLL)));
    } else {
      ++i;
    }
  }
  return out;
}
}  // namespace

void SSymInputStreamText::Read(const SString& name, SSymRect& rect) {
  const SString line = ReadLine();
  const SString prefix = SString("(") + name + " (";
  if (line.Left(prefix.GetLength()) != prefix) return;
  const std::vector<LONG> v = NumbersOf(line.Mid(prefix.GetLength() - 1).str());
  if (v.size() != 4) return;
  rect = SSymRect(v[0], v[1], v[2], v[3]);
}

void SSymInputStreamText::Read(const SString&, SSymPen& pen) { pen.SetAsString(ReadLine()); }

void SSymInputStreamText::Read(const SString&, SSymColor& color) {
  const SString line = ReadLine();
  color.SetAsString(line, color.GetColor());
}

void SSymInputStreamText::Read(const SString&, bool& value) {
  SString line = ReadLine();
  line.Trim();
  if (line == "0")
    value = false;
  else if (line == "1")
    value = true;
}
