#include "settings/color_text.h"

#include <cstdio>
#include <iterator>

namespace kd {

namespace {

struct NamedColor {
  const char *Name;
  std::uint32_t Value;
};

constexpr std::uint32_t Sys(std::uint32_t n) { return 0xFF000000u + n; }

constexpr NamedColor ColorNames[] = {
    {"clBlack", 0x00000000},   {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},   {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},  {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},    {"clWhite", 0x00FFFFFF},
    {"clMoneyGreen", 0x00C0DCC0}, {"clSkyBlue", 0x00F0CAA6},
    {"clCream", 0x00F0FBFF},   {"clMedGray", 0x00A4A0A0},
    {"clNone", 0x1FFFFFFF},    {"clDefault", 0x20000000},
    {"clScrollBar", Sys(0)},   {"clBackground", Sys(1)},
    {"clActiveCaption", Sys(2)}, {"clInactiveCaption", Sys(3)},
    {"clMenu", Sys(4)},        {"clWindow", Sys(5)},
    {"clWindowFrame", Sys(6)}, {"clMenuText", Sys(7)},
    {"clWindowText", Sys(8)},  {"clCaptionText", Sys(9)},
    {"clActiveBorder", Sys(10)}, {"clInactiveBorder", Sys(11)},
    {"clAppWorkSpace", Sys(12)}, {"clHighlight", Sys(13)},
    {"clHighlightText", Sys(14)}, {"clBtnFace", Sys(15)},
    {"clBtnShadow", Sys(16)},  {"clGrayText", Sys(17)},
    {"clBtnText", Sys(18)},    {"clInactiveCaptionText", Sys(19)},
    {"clBtnHighlight", Sys(20)}, {"cl3DDkShadow", Sys(21)},
    {"cl3DLight", Sys(22)},    {"clInfoText", Sys(23)},
    {"clInfoBk", Sys(24)},     {"clHotLight", Sys(26)},
    {"clGradientActiveCaption", Sys(27)},
    {"clGradientInactiveCaption", Sys(28)},
    {"clMenuHighlight", Sys(29)}, {"clMenuBar", Sys(30)},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i]))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

} // namespace

std::string ColorToText(std::uint32_t color) {
  for (const NamedColor &c : ColorNames)
    if (c.Value == color)
      return c.Name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(color));
  return buf;
}

bool TextToInt(std::string_view text, std::int64_t &value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return false;
  std::int64_t v = 0;
  if (text.front() == '$') {
    text.remove_prefix(1);
    if (text.empty() || text.size() > 8)
      return false;
    for (char c : text) {
      const int d = HexDigit(c);
      if (d < 0)
        return false;
      v = v * 16 + d;
    }
  } else {
    while (text.size() > 1 && text.front() == '0')
      text.remove_prefix(1);
    // More than ten digits cannot be a 32-bit value; stop before overflow.
    if (text.size() > 10)
      return false;
    for (char c : text) {
      if (c < '0' || c > '9')
        return false;
      v = v * 10 + (c - '0');
    }
  }
  if (negative)
    v = -v;
  if (v < -2147483648LL || v > 4294967295LL)
    return false;
  value = v;
  return true;
}

bool TextToColor(std::string_view text, std::uint32_t &color) {
  const std::string_view t = Trim(text);
  for (const NamedColor &c : ColorNames)
    if (SameNoCase(t, c.Name)) {
      color = c.Value;
      return true;
    }
  std::int64_t v = 0;
  if (!TextToInt(t, v))
    return false;
  color = static_cast<std::uint32_t>(v);
  return true;
}

} // namespace kd
