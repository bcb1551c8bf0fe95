// Symbol streams: the library's value types on the core binary streams, and
// the writers and readers of named values in binary and as text. Every byte
// order is little-endian.
#pragma once

#include "kvcore/spicture.h"
#include "kvcore/sstream.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symvalues.h"

class SSymOutputStream : public SOutputBinaryStream {
 public:
  explicit SSymOutputStream(SOutputStream& out) : SOutputBinaryStream(out) {}
  using SOutputBinaryStream::operator<<;

  // style << 24 | colour, then the width.
  // Not carried: the pen's end-cap and join bits (bits 8-15 of its style).
  // Older readers take the whole top byte as the style and the whole second
  // word as the width (a width above 225 is dropped), so neither word has
  // room for them; they come back as 0. The named-value writers keep them.
  SSymOutputStream& operator<<(const SSymPen& pen);
  // The kind byte (kind << 4, or 0x20 | hatch for a hatched brush) << 24 |
  // colour; a pattern brush with a picture adds the picture as a bitmap file
  // over its colour (the stream form of bitmaps).
  // Besides a hatched brush, the low four bits of the kind byte, which older
  // readers ignore, carry the bitmap mode: 0 for mode 12 (no picture, the
  // default, and what older writers wrote), mode + 1 for modes 0 to 11.
  // Not carried: the gradient mode and the end colour (and a bitmap mode
  // outside 0 to 12, which reads back as 12): older readers take the next
  // field right after the word, so nothing can be added to it. They come
  // back as the reading brush's defaults (0 and 0x767676).
  SSymOutputStream& operator<<(const SSymBrush& brush);
  SSymOutputStream& operator<<(const SSymColor& color);
  // The font's text form as a string.
  SSymOutputStream& operator<<(const SSymFont& font);
  // A count byte (UTF-8 length with its zero, modulo 256), then the UTF-8
  // text and its zero.
  SSymOutputStream& operator<<(const SString& text);
};

class SSymInputStream : public SInputBinaryStream {
 public:
  explicit SSymInputStream(SInputStream& in) : SInputBinaryStream(in) {}
  using SInputBinaryStream::operator>>;

  SSymInputStream& operator>>(SSymPen& pen);
  // Style, hatch (hatched brushes), colour, bitmap mode and, for a pattern,
  // its picture; the gradient mode and the end colour are not in the stream
  // and are left as they are.
  SSymInputStream& operator>>(SSymBrush& brush);
  SSymInputStream& operator>>(SSymColor& color);
  SSymInputStream& operator>>(SSymFont& font);
  // A string as the writer makes it. A text whose length wrapped the count
  // byte is read on to its terminating zero, so it never leaves its tail to
  // the next field; a short read throws SEEOFException.
  SSymInputStream& operator>>(SString& text);
  // The text of the older blob form: as a string, except that a count byte
  // of 0 with fewer than 256 bytes left gives the empty text, and a text
  // whose zero is missing at the end of the stream is taken as it is.
  void ReadSymText(SString& text);

 private:
  void ReadCountedText(BYTE count, SString& text, bool lenient);
};

// ---- named values -----------------------------------------------------------------

class SSymOutputStreamNamed {
 public:
  virtual ~SSymOutputStreamNamed() = default;
  virtual void Write(const SString& name, const SSymRect& rect) = 0;
  virtual void Write(const SString& name, const SSymPen& pen) = 0;
  virtual void Write(const SString& name, const SSymColor& color) = 0;
  virtual void Write(const SString& name, bool value) = 0;
};

class SSymInputStreamNamed {
 public:
  virtual ~SSymInputStreamNamed() = default;
  virtual void Read(const SString& name, SSymRect& rect) = 0;
  virtual void Read(const SString& name, SSymPen& pen) = 0;
  virtual void Read(const SString& name, SSymColor& color) = 0;
  virtual void Read(const SString& name, bool& value) = 0;
};

// Binary: a rectangle as (smaller x, larger y, larger x, smaller y); a pen as
// style, width and the colour word; a colour as one word; a boolean as one byte.
class SSymOutputStreamBinary : public SSymOutputStreamNamed {
 public:
  explicit SSymOutputStreamBinary(SOutputStream& out) : m_out(out) {}
  void Write(const SString& name, const SSymRect& rect) override;
  void Write(const SString& name, const SSymPen& pen) override;
  void Write(const SString& name, const SSymColor& color) override;
  void Write(const SString& name, bool value) override;

 private:
  SOutputBinaryStream m_out;
};

class SSymInputStreamBinary : public SSymInputStreamNamed {
 public:
  explicit SSymInputStreamBinary(SInputStream& in) : m_in(in) {}
  // Reads the four words in the order written: the rectangle comes back
  // normalised as it was written.
  void Read(const SString& name, SSymRect& rect) override;
  void Read(const SString& name, SSymPen& pen) override;
  void Read(const SString& name, SSymColor& color) override;
  void Read(const SString& name, bool& value) override;

 private:
  SInputBinaryStream m_in;
};

// Text, one value a line (UTF-8, lines ended by CR LF): a rectangle as
// "(name (x, y) (x, y))", a pen and a colour as their text forms, a boolean
// as 0 or 1.
class SSymOutputStreamText : public SSymOutputStreamNamed {
 public:
  explicit SSymOutputStreamText(SOutputStream& out) : m_out(out) {}
  void Write(const SString& name, const SSymRect& rect) override;
  void Write(const SString& name, const SSymPen& pen) override;
  void Write(const SString& name, const SSymColor& color) override;
  void Write(const SString& name, bool value) override;

  static SString RectText(const SString& name, const SSymRect& rect);

 private:
  void WriteLine(const SString& text);
  SOutputStream& m_out;
};

// Reads one line a value. A line that does not hold a value of the kind
// asked for leaves the value as it was; a stream at its end throws
// SEEOFException.
class SSymInputStreamText : public SSymInputStreamNamed {
 public:
  explicit SSymInputStreamText(SInputStream& in) : m_in(in) {}
  void Read(const SString& name, SSymRect& rect) override;
  void Read(const SString& name, SSymPen& pen) override;
  void Read(const SString& name, SSymColor& color) override;
  void Read(const SString& name, bool& value) override;

 private:
  SString ReadLine();
  SInputStream& m_in;
};
