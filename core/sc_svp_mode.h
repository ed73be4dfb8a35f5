#pragma once
// How the centring error of the station and target (Sc) and the error of
// the instrument and target heights (Svp) enter the observations' standard
// deviations. The settings file stores the mode as its number (0, 1, 2).
#include <cstdint>

enum class ScSvpMode : std::uint8_t {
  // Not at all: every observation keeps its own standard deviation.
  None = 0,
  // Added to every angle and distance from the points' Sc and Svp.
  PerMeasurement = 1,
  // Added once for the whole network, to the adjusted points' covariance.
  WholeNetwork = 2,
};

// The mode stored as `number`; false (and `mode` unchanged) for any number
// but 0, 1 and 2.
constexpr bool ScSvpModeFromNumber(long long number, ScSvpMode &mode) {
  if (number < 0 || number > 2)
    return false;
  mode = static_cast<ScSvpMode>(number);
  return true;
}

// The number a mode is stored as.
constexpr int NumberOf(ScSvpMode mode) { return static_cast<int>(mode); }
