// SColor: a colour word in the platform's order (0x00BBGGRR), with its text
// form "red, green, blue" and conversions to and from hue, saturation and
// lightness.
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

class SColor {
 public:
  // Colour constants; each is stored as its word.
  enum Colors : DWORD {
    Black = 0x000000,
    White = 0xFFFFFF,
    Grey = 0x808080,
    Silver = 0xC0C0C0,
    Red = 0x0000FF,
    Green = 0x00FF00,
    Blue = 0xFF0000,
    Yellow = 0x00FFFF,
    Cyan = 0xFFFF00,
    Magenta = 0xFF00FF,
    DarkRed = 0x000080,
    DarkGreen = 0x008000,
    DarkBlue = 0x800000,
    Olive = 0x008080,
    Teal = 0x808000,
    Purple = 0x800080,
    LightGrey = 0xD3D3D3,
    DarkGrey = 0x767676,
    // Marks a mixed or unset colour; also the fallback of failed parses.
    Undefined = 0xFF000000,
  };

  SColor() = default;
  SColor(DWORD color) : m_color(color) {}
  SColor(Colors color) : m_color(static_cast<DWORD>(color)) {}
  // From the text form; an unreadable text gives black.
  explicit SColor(const SString& text) { SetAsString(text, 0); }
  SColor(const SString& text, DWORD fallback) { SetAsString(text, fallback); }

  operator DWORD() const { return m_color; }
  DWORD GetColor() const { return m_color; }
  void SetColor(DWORD color) { m_color = color; }
  BYTE GetRed() const { return GetRValue(m_color); }
  BYTE GetGreen() const { return GetGValue(m_color); }
  BYTE GetBlue() const { return GetBValue(m_color); }

  // "r, g, b" in decimal.
  SString GetAsString() const;
  // Reads three decimal components 0..255 separated by commas and/or blanks
  // (blanks, tabs, CR and LF around the text are ignored); anything else sets
  // the fallback and answers false.
  bool SetAsString(const SString& text, DWORD fallback);

  // Hue, saturation and lightness, each in 0..1.
  void GetHSLColor(double& hue, double& saturation, double& lightness) const;
  // Sets the colour from hue, saturation and lightness (each clamped to 0..1);
  // the high byte of the word is cleared.
  void SetHSLColor(double hue, double saturation, double lightness);

 protected:
  DWORD m_color = 0;
};
