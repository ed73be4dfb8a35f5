#pragma once

// Names and version of the program, shared by every executable.
namespace kd {
inline constexpr const char *ProgramVersion = "3.3.0";
inline constexpr const char *MainWindowCaption = "Korvadimensio 3D 3.3.0";
inline constexpr const char *ApplicationTitle = "Korvadimensio3D v.3.3.0";
} // namespace kd
