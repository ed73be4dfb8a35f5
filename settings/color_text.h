#pragma once
// Colour values as text in the settings file.
//
// A colour is a 32-bit value: 0x00BBGGRR for an RGB colour (red in the low
// byte) or 0xFF0000nn for system colour number nn. Well-known values are
// written by name ("clYellow", "clBtnFace"), every other value as "$"
// followed by exactly eight upper-case hexadecimal digits.
#include <cstdint>
#include <string>
#include <string_view>

namespace kd {

// The name of `color` when it has one, else "$" + 8 upper-case hex digits.
std::string ColorToText(std::uint32_t color);

// Reads a colour name (any letter case) or an integer, decimal (optionally
// signed, taken as the 32-bit pattern) or "$"-prefixed hexadecimal of at most
// eight digits. Blanks around the text are ignored. False for anything else;
// `color` is then unchanged.
bool TextToColor(std::string_view text, std::uint32_t &color);

// Reads an integer the way colour values are read (decimal or "$" hex),
// without the colour names. False when the text is not such an integer or
// lies outside the 32-bit range.
bool TextToInt(std::string_view text, std::int64_t &value);

} // namespace kd
