// Graphic values of symbols: colours and their reduction to 16 colours,
// pens, brushes, fonts, font entries and font lists.
#pragma once

#include "kvcore/scolor.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/spicture.h"
#include "kvcore/stable.h"
#include "kvcore/sstring.h"
#include "win/windef.h"
#include "win/wingdi.h"

class SSymFormat;

// ---- colours ------------------------------------------------------------------

class SSymColor : public SColor {
 public:
  SSymColor() = default;
  SSymColor(DWORD color) : SColor(color) {}
  SSymColor(SColor::Colors color) : SColor(color) {}
  explicit SSymColor(const SString& text) : SColor(text) {}
  SSymColor(const SString& text, DWORD fallback) : SColor(text, fallback) {}
  SSymColor& operator=(DWORD color) {
    m_color = color;
    return *this;
  }
};

// A colour reduced to the 16-colour palette unless the screen shows more
// than 256 colours.
class SSymNearestColor : public SSymColor {
 public:
  SSymNearestColor() : SSymColor(GetNearestColor(0xFFFFFF, 0)) {}
  SSymNearestColor(DWORD color) : SSymColor(GetNearestColor(color, 0)) {}
  SSymNearestColor(SColor::Colors color) : SSymColor(GetNearestColor(static_cast<DWORD>(color), 0)) {}
  explicit SSymNearestColor(const SString& text) : SSymColor(GetNearestColor(SColor(text).GetColor(), 0)) {}
  SSymNearestColor(const SString& text, DWORD fallback)
      : SSymColor(GetNearestColor(SColor(text, fallback).GetColor(), 0)) {}

  // True when the screen's bits per pixel times its planes exceed 8; asked
  // anew at every call.
  static bool UseHighColor();
  // The word unchanged on a high-colour screen unless force is set; else the
  // nearest palette colour (ReduceToPalette).
  static DWORD GetNearestColor(DWORD color, int force);
  // The palette colour chosen for a word, whatever the screen.
  static DWORD ReduceToPalette(DWORD color);
  // Colour bits that UseHighColor takes in place of the screen's (0: ask the screen).
  static void SetScreenColorBits(int bits);
};

// ---- pens ---------------------------------------------------------------------

class SSymPen {
 public:
  enum PenStyle { Solid = 1, Dash = 2, Dot = 3, DashDot = 4, DashDotDot = 5, Alternate = 6, NoLine = 7 };

  SSymPen() = default;
  SSymPen(LONG style, LONG width, SSymColor color) : m_style(style), m_width(width), m_color(color) {}

  LONG GetStyle() const { return m_style; }
  void SetStyle(LONG style) { m_style = style; }
  LONG GetWidth() const { return m_width; }
  void SetWidth(LONG width) { m_width = width; }
  SSymColor GetColor() const { return m_color; }
  void SetColor(SSymColor color) { m_color = color; }

  // "style width " and the colour's text form.
  SString GetAsString() const;
  void SetAsString(const SString& text);
  LOGPEN GetLOGPEN() const;
  void SetLOGPEN(const LOGPEN& pen);

  bool operator==(const SSymPen& o) const {
    return m_style == o.m_style && m_width == o.m_width && m_color.GetColor() == o.m_color.GetColor();
  }
  bool operator!=(const SSymPen& o) const { return !(*this == o); }

  LONG m_style = 1;
  LONG m_width = 0;
  SSymColor m_color;
};

// ---- brushes ------------------------------------------------------------------

class SSymBrush : public SPictureHolder {
 public:
  enum BrushStyle { Solid = 1, Hatched = 2, Pattern = 3, Hollow = 4, Picture = 5, Gradient = 6, GradientPicture = 7 };
  enum HatchStyle { Horizontal = 1, Vertical = 2, FDiagonal = 3, BDiagonal = 4, Cross = 5, DiagCross = 6 };

  SSymBrush() : SSymBrush(SSymColor(0xFFFFFF)) {}
  explicit SSymBrush(SSymColor color) : m_color(color) {}
  SSymBrush(LONG hatch, SSymColor color) : m_style(Hatched), m_hatch(hatch), m_color(color) {}
  SSymBrush(LONG style, LONG hatch, SSymColor color) : m_style(style), m_hatch(hatch), m_color(color) {}
  explicit SSymBrush(const SSymFormat& format);
  SSymBrush(const SSymBrush&) = default;
  SSymBrush& operator=(const SSymBrush&) = default;

  LONG GetStyle() const { return m_style; }
  // Stores a style in 1..8, anything else as 1.
  void SetStyle(LONG style) { m_style = style >= 1 && style <= 8 ? style : 1; }
  LONG GetHatch() const { return m_hatch; }
  // Stores the hatch and makes the brush hatched.
  void SetHatch(LONG hatch) {
    m_hatch = hatch;
    m_style = Hatched;
  }
  SSymColor GetColor() const { return m_color; }
  void SetColor(SSymColor color) { m_color = color; }
  LONG GetBitmapMode() const { return m_bitmapMode; }
  void SetBitmapMode(LONG mode) { m_bitmapMode = mode; }
  LONG GetGradientMode() const { return m_gradientMode; }
  void SetGradientMode(LONG mode) { m_gradientMode = mode; }
  SSymColor GetEndColor() const { return m_endColor; }
  void SetEndColor(SSymColor color) { m_endColor = color; }

  // A picture is used only by the picture styles (5, 7) with a bitmap mode
  // other than 12, and then as the held picture allows.
  bool UsePicture() const override { return UseMetaFile() || UseBitmap(); }
  bool UseMetaFile() const override;
  bool UseBitmap() const override;
  bool UseGradient() const;
  SSymColor GetDispColor() const { return UseGradient() ? m_endColor : m_color; }
  void SetDispColor(SSymColor color) {
    if (UseGradient())
      m_endColor = color;
    else
      m_color = color;
  }
  LOGBRUSH GetLOGBRUSH() const;
  // Bitmap mode, picture, back colour, gradient mode and the two colours.
  void GetBackgroundInfo(SDrawBackground& background) const;

  void SetSymFormat(const SSymFormat& format);
  void GetSymFormat(SSymFormat& format) const;

  bool operator==(const SSymBrush& o) const;
  bool operator!=(const SSymBrush& o) const { return !(*this == o); }
  // By style, hatch (signed), then colour (unsigned); other fields take no part.
  bool operator<(const SSymBrush& o) const;

  LONG m_style = Solid;
  LONG m_hatch = 0;
  SSymColor m_color{0xFFFFFF};
  LONG m_bitmapMode = 12;
  LONG m_gradientMode = 0;
  SSymColor m_endColor{0x767676};
};

// ---- fonts --------------------------------------------------------------------

// The shared default face "Arial".
const SString& SGetArialString();

class SSymFont {
 public:
  enum Style { Normal = 1, Bold = 2, Italic = 4, Underline = 8, StrikeOut = 16 };

  SSymFont() = default;
  SSymFont(const SString& face, LONG size, LONG style = Normal)
      : m_faceName(face), m_size(size), m_style(style) {}
  explicit SSymFont(const LOGFONTW& lf);
  virtual ~SSymFont() = default;
  SSymFont(const SSymFont&) = default;
  SSymFont& operator=(const SSymFont&) = default;

  // Face and the six words; a size of 0 or less comes over as 8.
  virtual void Copy(const SSymFont& other);

  SString GetFaceName() const { return m_faceName; }
  void SetFaceName(const SString& face) { m_faceName = face; }
  LONG GetSize() const { return m_size > 0 ? m_size : 8; }
  void SetSize(LONG size) { m_size = size; }
  LONG GetStyle() const { return m_style; }
  void SetStyle(LONG style) { m_style = style; }

  LOGFONTW GetLOGFONT() const;
  // "face,size,letters"; letters N for a style of exactly 1, else B I U S.
  SString GetAsString() const;
  void SetAsString(const SString& text);

  bool operator==(const SSymFont& o) const;
  bool operator!=(const SSymFont& o) const { return !(*this == o); }
  // Face by character code, then size, style, family, pitch and option
  // word; the angle takes no part.
  bool operator<(const SSymFont& o) const;

  SString m_faceName;
  LONG m_size = 8;
  LONG m_style = Normal;
  LONG m_family = 0;
  LONG m_pitch = 0;
  LONG m_option = 1;
  LONG m_angle = 0;
};

// One named font entry of a symbol.
class SSymFonts {
 public:
  SSymFonts() : m_font(SGetArialString(), 8) {}
  virtual ~SSymFonts() = default;
  SSymFonts(const SSymFonts&) = default;
  SSymFonts& operator=(const SSymFonts&) = default;

  // Copies the font and the colour; label, name and extra word stay.
  virtual void Copy(const SSymFonts& other) {
    m_font = other.m_font;
    m_color = other.m_color;
  }
  bool operator==(const SSymFonts& o) const {
    return m_font == o.m_font && m_color.GetColor() == o.m_color.GetColor() && m_label == o.m_label &&
           m_name == o.m_name && m_extra == o.m_extra;
  }
  bool operator!=(const SSymFonts& o) const { return !(*this == o); }

  SSymFont m_font;
  SSymColor m_color;
  SString m_label;
  SString m_name;
  LONG m_extra = 0;
};

// The ordered font entries of a symbol or format.
class SSymLstFonts : public STableMem<SSymFonts, SAllocator<SSymFonts>> {
 public:
  SSymLstFonts() = default;
  SSymLstFonts(const SSymLstFonts& other) = default;
  // Empties this list, then appends a copy of each entry of the other.
  SSymLstFonts& operator=(const SSymLstFonts& other) {
    STableMem::operator=(other);
    return *this;
  }

  // The entry of a name, or null.
  const SSymFonts* Find(const SString& name) const;
  SSymFonts* Find(const SString& name);

  // Equal counts, and at each position either equal entries, or (when the
  // names differ) an equal entry anywhere in the other list.
  bool operator==(const SSymLstFonts& o) const;
  bool operator!=(const SSymLstFonts& o) const { return !(*this == o); }
};
