#include "precision/observation_sigma.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void AddPoint(SurveyNetwork &net, double number, long double x, long double y,
              long double z, double sc = 0, double svp = 0) {
  NetworkPoint p;
  p.Number = number;
  p.X = x;
  p.Y = y;
  p.Z = z;
  p.Sc = sc;
  p.Svp = svp;
  net.Points.List.Append(p);
}

void AddMeas(SurveyNetwork &net, std::uint8_t type, double station, double target,
             double sd) {
  net.Measurements.AddMeasurement(type, sd, target, station);
}

const Measurement &Meas(const SurveyNetwork &net, int i) {
  return net.Measurements.Items[static_cast<std::size_t>(i)];
}

} // namespace

TEST(ObservationValues, UnitsAndRangesOfEveryType) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  AddPoint(net, 1, 0, 0, 0);
  AddPoint(net, 2, 1, -1, 0);    // bearing 7π/4 = 350 gon
  AddPoint(net, 3, 0, -3, 4);    // hd 3, sd 5, zenith arccos 0.8
  AddPoint(net, 4, -5, 0, -2);
  AddMeas(net, mtDi, 1, 2, 0.001);
  AddMeas(net, mtGd, 1, 3, 0.001);
  AddMeas(net, mtZu, 1, 3, 0.001);
  AddMeas(net, mtSd, 1, 3, 0.001);
  AddMeas(net, mtHd, 1, 3, 0.001);
  AddMeas(net, mtVd, 1, 3, 0.001);
  AddMeas(net, mtPr, 3, 1, 0.001);
  AddMeas(net, mtDi, 1, 4, 0.001); // atan2 gives exactly π: 200 gon
  ASSERT_TRUE(ComputeObservations(net));
  EXPECT_NEAR(static_cast<double>(Meas(net, 0).Value), 350.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(Meas(net, 1).Value), 300.0, 1e-12);
  EXPECT_NEAR(static_cast<double>(Meas(net, 2).Value),
              std::acos(0.8) * 200 / M_PI, 1e-12);
  EXPECT_NEAR(static_cast<double>(Meas(net, 3).Value), 5.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(Meas(net, 4).Value), 3.0, 1e-15);
  EXPECT_EQ(Meas(net, 5).Value, 4.0L);
  EXPECT_EQ(Meas(net, 6).Value, -4.0L); // station to target, signed
  EXPECT_NEAR(static_cast<double>(Meas(net, 7).Value), 200.0, 1e-12);
  EXPECT_FALSE(net.LastWriteFailure.Valid);
}

TEST(EngineStdDev, ModesZeroAndTwoWriteThePlainSigma) {
  for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{2}}) {
    SurveyNetwork net;
    net.Points.ScSvpMode = static_cast<ScSvpMode>(mode);
    AddPoint(net, 1, 0, 0, 0, 0.005, 0.003);
    AddPoint(net, 2, 30, 40, 10, 0.004, 0.002);
    AddMeas(net, mtSd, 1, 2, 0.002);
    AddMeas(net, mtDi, 1, 2, 0.0003);
    AddMeas(net, mtZu, 1, 2, 0.0005);
    AddMeas(net, mtHd, 1, 2, 0.003);
    AddMeas(net, mtGd, 1, 2, 0.001);
    ASSERT_TRUE(ComputeObservations(net)) << int(mode);
    EXPECT_NEAR(Meas(net, 0).EngineStdDev, 2.0, 1e-12);
    EXPECT_NEAR(Meas(net, 1).EngineStdDev, 3.0, 1e-12);
    EXPECT_NEAR(Meas(net, 2).EngineStdDev, 5.0, 1e-12);
    EXPECT_NEAR(Meas(net, 3).EngineStdDev, 3.0, 1e-12);
    EXPECT_NEAR(Meas(net, 4).EngineStdDev, 10.0, 1e-12);
  }
}

TEST(EngineStdDev, ModeOneAddsCentringAndHeightErrors) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::PerMeasurement;
  AddPoint(net, 1, 0, 0, 0, 0.0, 0.002);
  AddPoint(net, 2, 100, 0, 0, 0.004, 0.003); // level line of 100 m
  AddPoint(net, 3, 0, 100, 0, 0.001, 0.0);
  AddPoint(net, 4, 100, 100, 0, 0.001, 0.0); // 100 m from point 3
  AddMeas(net, mtHd, 1, 2, 0.003);  // √(3² + 4²) = 5 mm
  AddMeas(net, mtSd, 1, 2, 0.003);  // level: same as hd, Svp has no influence
  AddMeas(net, mtVd, 1, 2, 0.001);  // never augmented
  AddMeas(net, mtPr, 1, 2, 0.001);
  AddMeas(net, mtDi, 3, 4, 0.0);    // √2·10⁻⁵ rad ≈ 9.003 cc
  AddMeas(net, mtGd, 3, 4, 0.0);
  AddMeas(net, mtZu, 1, 2, 0.0005); // level sight: only Svp/hd enters
  ASSERT_TRUE(ComputeObservations(net));
  EXPECT_NEAR(Meas(net, 0).EngineStdDev, 5.0, 1e-12);
  EXPECT_NEAR(Meas(net, 1).EngineStdDev, 5.0, 1e-12);
  EXPECT_EQ(Meas(net, 2).EngineStdDev, 1.0);
  EXPECT_EQ(Meas(net, 3).EngineStdDev, 1.0);
  const double rho = 200.0 / M_PI * 10000.0;
  EXPECT_NEAR(Meas(net, 4).EngineStdDev, std::sqrt(2.0) * 1e-5 * rho, 1e-9);
  EXPECT_NEAR(Meas(net, 4).EngineStdDev, 9.003, 0.001);
  EXPECT_EQ(Meas(net, 5).EngineStdDev, Meas(net, 4).EngineStdDev);
  const double sr = 0.0005 * M_PI / 200;
  const double expected = std::sqrt(sr * sr + std::pow(0.003 / 100, 2) +
                                    std::pow(0.002 / 100, 2)) * rho;
  EXPECT_NEAR(Meas(net, 6).EngineStdDev, expected, 1e-9);

  auto hd = SigmaHorizDist(net, 0);
  ASSERT_TRUE(hd.has_value());
  EXPECT_NEAR(static_cast<double>(*hd), 0.005, 1e-15);
  EXPECT_EQ(*SigmaSlopeDist(net, 1), *SigmaHorizDist(net, 1));
}

// The mode-1 formulas are first-order error propagation: a centring error
// displaces a point horizontally along the worst direction, a height error
// vertically. Check them against numerical gradients of the observation
// values on skew lines.
TEST(EngineStdDev, ModeOneMatchesPropagationOfNumericalGradients) {
  struct Line { long double dx, dy, dz; };
  const Line lines[] = {{123.4L, -56.7L, 12.3L}, {-8.0L, 3.0L, -40.0L}, {0.5L, 700.0L, 1.0L}};
  const double sc[2] = {0.0015, 0.0008}, svp[2] = {0.0007, 0.0012};
  const long double h = 1e-6L;
  for (const Line &l : lines) {
    auto sd = [&](long double x, long double y, long double z) {
      return std::sqrt(x * x + y * y + z * z);
    };
    auto zen = [&](long double x, long double y, long double z) {
      return std::atan2(std::sqrt(x * x + y * y), z);
    };
    auto dir = [&](long double x, long double y, long double) { return std::atan2(y, x); };
    // Horizontal gradient norm and vertical derivative of f at the line.
    auto grads = [&](auto f, long double &gh, long double &gv) {
      const long double gx = (f(l.dx + h, l.dy, l.dz) - f(l.dx - h, l.dy, l.dz)) / (2 * h);
      const long double gy = (f(l.dx, l.dy + h, l.dz) - f(l.dx, l.dy - h, l.dz)) / (2 * h);
      gv = (f(l.dx, l.dy, l.dz + h) - f(l.dx, l.dy, l.dz - h)) / (2 * h);
      gh = std::sqrt(gx * gx + gy * gy);
    };
    auto propagated = [&](long double own, long double gh, long double gv) {
      long double v = own * own;
      for (int p = 0; p < 2; ++p)
        v += gh * gh * sc[p] * sc[p] + gv * gv * svp[p] * svp[p];
      return std::sqrt(v);
    };

    SurveyNetwork net;
    net.Points.ScSvpMode = ScSvpMode::PerMeasurement;
    AddPoint(net, 1, 1000, 2000, 300, sc[0], svp[0]);
    AddPoint(net, 2, 1000 + l.dx, 2000 + l.dy, 300 + l.dz, sc[1], svp[1]);
    AddMeas(net, mtSd, 1, 2, 0.002);
    AddMeas(net, mtZu, 1, 2, 0.0005);
    AddMeas(net, mtDi, 1, 2, 0.0003);
    long double gh, gv;
    grads(sd, gh, gv);
    EXPECT_NEAR(static_cast<double>(*SigmaSlopeDist(net, 0)),
                static_cast<double>(propagated(0.002L, gh, gv)), 1e-9);
    grads(zen, gh, gv);
    EXPECT_NEAR(static_cast<double>(*SigmaZenith(net, 1)),
                static_cast<double>(propagated(0.0005L * kPi / 200, gh, gv)), 1e-9);
    grads(dir, gh, gv);
    EXPECT_NEAR(static_cast<double>(*SigmaDirection(net, 2)),
                static_cast<double>(propagated(0.0003L * kPi / 200, gh, 0)), 1e-9);
  }
}

// A value or a sensitivity that the coordinates leave undefined is refused in
// every mode, naming the measurement; nothing infinite or NaN is passed on.
TEST(UndefinedObservations, AreRefusedInEveryModeWithTheirMeasurement) {
  struct Case {
    std::uint8_t type;
    long double tx, ty, tz;
  };
  const Case cases[] = {
      {mtSd, 10, 20, 30},  // same place
      {mtZu, 10, 20, 30},  // same place
      {mtZu, 10, 20, 35},  // vertical sight
      {mtDi, 10, 20, 35},  // same plan position
      {mtGd, 10, 20, 35},
      {mtHd, 10, 20, 35},
  };
  for (std::uint8_t mode : {std::uint8_t{0}, std::uint8_t{1}, std::uint8_t{2}}) {
    for (const Case &c : cases) {
      SurveyNetwork net;
      net.Points.ScSvpMode = static_cast<ScSvpMode>(mode);
      AddPoint(net, 1, 10, 20, 30, 0.001, 0.001);
      AddPoint(net, 2, c.tx, c.ty, c.tz, 0.001, 0.001);
      AddPoint(net, 3, 50, 20, 30);
      AddMeas(net, mtSd, 1, 3, 0.002); // a fine one first
      AddMeas(net, c.type, 1, 2, 0.002);
      EXPECT_FALSE(ComputeObservations(net)) << int(mode) << " " << int(c.type);
      const FailedMeasurement &f = net.LastWriteFailure;
      EXPECT_TRUE(f.Valid);
      EXPECT_EQ(f.Index, 1);
      EXPECT_EQ(f.Station, 1.0);
      EXPECT_EQ(f.Target, 2.0);
      EXPECT_EQ(f.MeasType, c.type);
      EXPECT_FALSE(f.Reason.empty());
      const bool formulaRefuses = c.type == mtSd   ? !SigmaSlopeDist(net, 1)
                                  : c.type == mtZu ? !SigmaZenith(net, 1)
                                  : c.type == mtHd ? !SigmaHorizDist(net, 1)
                                                   : !SigmaDirection(net, 1);
      EXPECT_TRUE(formulaRefuses);
    }
  }
  // The same geometry still allows height differences and plumbings.
  SurveyNetwork net;
  AddPoint(net, 1, 10, 20, 30);
  AddPoint(net, 2, 10, 20, 35);
  AddMeas(net, mtVd, 1, 2, 0.001);
  AddMeas(net, mtPr, 1, 2, 0.001);
  EXPECT_TRUE(ComputeObservations(net));
}

TEST(UndefinedObservations, MissingPointsAndBadSigmasAreNamed) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  AddPoint(net, 1, 0, 0, 0);
  AddPoint(net, 2, 100, 0, 0);
  AddMeas(net, mtSd, 1, 7, 0.002);
  EXPECT_FALSE(ComputeObservations(net));
  EXPECT_EQ(net.LastWriteFailure.Target, 7.0);
  EXPECT_NE(net.LastWriteFailure.Reason.find("target"), std::string::npos);
  EXPECT_FALSE(SigmaSlopeDist(net, 0).has_value());
  EXPECT_FALSE(SigmaSlopeDist(net, 1).has_value()); // no such measurement

  // Zero, negative and NaN standard deviations would give the engine an
  // infinite or meaningless weight.
  for (double bad : {0.0, -0.001, std::numeric_limits<double>::quiet_NaN()}) {
    SurveyNetwork n2;
    n2.Points.ScSvpMode = ScSvpMode::None;
    AddPoint(n2, 1, 0, 0, 0);
    AddPoint(n2, 2, 100, 0, 0);
    AddMeas(n2, mtDi, 1, 2, bad);
    EXPECT_FALSE(ComputeObservations(n2)) << bad;
    EXPECT_TRUE(n2.LastWriteFailure.Valid);
  }
}
