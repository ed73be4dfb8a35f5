#pragma once
// A-priori standard deviations derived from instrument parameters and the
// planned number of repetitions, as the precision guide offers them.

// Rounds `value` to `decimals` decimal places: multiplied by 10^decimals,
// rounded to the nearest integer with halves going to the even neighbour, and
// divided back. Non-finite values pass unchanged.
long double RoundDecimals(long double value, int decimals);

// Standard deviation of an angle (direction, zenith angle or gyro direction)
// observed in n sets with σ1 gon for one set: σ1/√n, rounded to 0.00001 gon.
// Needs n > 0.
long double AngleStdDev(long double n, long double sigma1);

// Standard deviation of a distance of D metres measured n times with an
// instrument of precision a + b·D (a in metres, b in metres per kilometre):
// (a + b·D/1000)/√n, rounded to 0.00001 m. Needs n > 0.
long double DistStdDev(long double n, long double a, long double b,
                       long double D);

// Standard deviation of a height difference levelled n times over a route of
// k·D metres with an instrument of σkm per kilometre:
// σkm·√(k·D/1000)/√n, rounded to 0.000001 m. Needs n > 0.
long double LevelStdDev(long double n, long double sigmaKm, long double k,
                        long double D);
