// Direction sets with measured values: the engine's residuals, orientations
// and vᵀPv against an independent least-squares solution that carries the
// orientations as explicit unknowns.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "adjustment/adjust.h"
#include "adjustment/reader.h"

using namespace kd::adj;

namespace {

constexpr double kGon = 200.0 / std::numbers::pi;

enum Kind { kDir, kSDist, kZen };

struct Obs {
  Kind kind;
  int from, to;
  double value;  // gon or m
  double sigma;  // cc or mm
};

// Value of an observation from coordinates (m), without orientation (gon, m).
double Model(Kind k, const double *s, const double *t) {
  const double dx = t[0] - s[0], dy = t[1] - s[1], dz = t[2] - s[2];
  switch (k) {
    case kDir: {
      double a = std::atan2(dy, dx) * kGon;
      return a < 0 ? a + 400 : a;
    }
    case kSDist: return std::sqrt(dx * dx + dy * dy + dz * dz);
    case kZen: return std::atan2(std::hypot(dx, dy), dz) * kGon;
  }
  return 0;
}

double Wrap(double g) { return std::remainder(g, 400.0); }

// Gauss–Newton over the free coordinates and one orientation per station
// with numerical derivatives; the residuals are weighted to unit variance.
struct Independent {
  std::vector<std::array<double, 3>> xyz;
  std::vector<bool> free;
  std::vector<double> orient;  // per station index, gon
  double pvv = 0;

  Eigen::VectorXd Weighted(const std::vector<Obs> &obs) const {
    Eigen::VectorXd r(obs.size());
    for (size_t i = 0; i < obs.size(); ++i) {
      const Obs &o = obs[i];
      double c = Model(o.kind, xyz[o.from].data(), xyz[o.to].data());
      if (o.kind == kDir) c -= orient[o.from];
      const double diff = o.kind == kSDist ? (o.value - c) * 1000 : Wrap(o.value - c) * 1e4;
      r(i) = diff / o.sigma;
    }
    return r;
  }

  void Solve(const std::vector<Obs> &obs) {
    std::vector<double *> unknowns;
    for (size_t p = 0; p < xyz.size(); ++p)
      if (free[p])
        for (double &c : xyz[p]) unknowns.push_back(&c);
    for (double &o : orient) unknowns.push_back(&o);
    for (int it = 0; it < 20; ++it) {
      const Eigen::VectorXd r = Weighted(obs);
      Eigen::MatrixXd J(obs.size(), unknowns.size());
      for (size_t u = 0; u < unknowns.size(); ++u) {
        const double h = 1e-6, keep = *unknowns[u];
        *unknowns[u] = keep + h;
        const Eigen::VectorXd rp = Weighted(obs);
        *unknowns[u] = keep - h;
        const Eigen::VectorXd rm = Weighted(obs);
        *unknowns[u] = keep;
        J.col(u) = (rp - rm) / (2 * h);
      }
      // r(x + d) ≈ r + J d → minimise |r + J d|.
      const Eigen::VectorXd d = J.colPivHouseholderQr().solve(-r);
      for (size_t u = 0; u < unknowns.size(); ++u) *unknowns[u] += d(u);
      if (d.cwiseAbs().maxCoeff() < 1e-11) break;
    }
    pvv = Weighted(obs).squaredNorm();
  }
};

std::string Num(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.10f", v);
  return b;
}

std::string Document(const std::vector<std::array<double, 3>> &xyz, const std::vector<bool> &free,
                     const std::vector<Obs> &obs, int stations) {
  std::string s = "<?xml version=\"1.0\"?>\n<gama-xml version=\"2.0\">\n<network>\n"
                  "<parameters sigma-apr=\"1\" conf-pr=\"0.95\" tol-abs=\"1000\" sigma-act=\"apriori\"/>\n"
                  "<points-observations>\n";
  for (size_t p = 0; p < xyz.size(); ++p)
    s += "<point id=\"P" + std::to_string(p) + "\" x=\"" + Num(xyz[p][0]) + "\" y=\"" +
         Num(xyz[p][1]) + "\" z=\"" + Num(xyz[p][2]) + "\" " + (free[p] ? "adj" : "fix") +
         "=\"XYZ\"/>\n";
  const char *names[] = {"direction", "s-distance", "z-angle"};
  for (int st = 0; st < stations; ++st) {
    s += "<obs from=\"P" + std::to_string(st) + "\">\n";
    for (const Obs &o : obs)
      if (o.from == st)
        s += std::string("<") + names[o.kind] + " to=\"P" + std::to_string(o.to) + "\" val=\"" +
             Num(o.value) + "\" stdev=\"" + Num(o.sigma) + "\"/>\n";
    s += "</obs>\n";
  }
  return s + "</points-observations>\n</network>\n</gama-xml>\n";
}

// Two fixed stations sight five free points with directions, slope
// distances and zenith angles whose errors reach several standard
// deviations. The approximate coordinates are the least-squares solution,
// so the engine converges in its first iteration.
TEST(DirectionSets, MeasuredValuesGiveTheLeastSquaresOrientations) {
  const int stations = 2;
  std::vector<std::array<double, 3>> truth = {
      {1000, 2000, 300},   {1210, 1985, 302.5}, {1105, 2130, 296},  {1160, 2095, 310.2},
      {1040, 2160, 288.7}, {1230, 2140, 305.1}, {1120, 1900, 299.4}};
  std::vector<bool> free = {false, false, true, true, true, true, true};
  const double trueOrient[stations] = {37.1234, 351.9876};
  std::mt19937 rng(2024);
  std::normal_distribution<double> g(0, 3.0);  // errors of about three standard deviations
  std::vector<Obs> obs;
  for (int st = 0; st < stations; ++st)
    for (int t = stations; t < static_cast<int>(truth.size()); ++t) {
      const double *a = truth[st].data(), *b = truth[t].data();
      double dir = Model(kDir, a, b) - trueOrient[st] + g(rng) * 3.0 / 1e4;
      dir = std::fmod(dir + 400, 400);
      obs.push_back({kDir, st, t, dir, 3.0});
      obs.push_back({kSDist, st, t, Model(kSDist, a, b) + g(rng) * 1.5 / 1000, 1.5});
      obs.push_back({kZen, st, t, Model(kZen, a, b) + g(rng) * 5.0 / 1e4, 5.0});
    }

  Independent ind;
  ind.xyz = truth;
  ind.free = free;
  ind.orient = {trueOrient[0], trueOrient[1]};
  ind.Solve(obs);
  ASSERT_GT(ind.pvv, 10.0);  // the errors are real, not rounding noise

  const Network net = ReadNetwork(Document(ind.xyz, free, obs, stations));
  const AdjustmentResult r = Adjust(net);
  ASSERT_EQ(r.outcome, Outcome::Adjusted) << r.failure;
  EXPECT_EQ(r.iterations, 1);
  EXPECT_NEAR(r.pvv, ind.pvv, 1e-6 * ind.pvv);
  EXPECT_NEAR(r.sigma0Post, std::sqrt(ind.pvv / (obs.size() - 5 * 3 - stations)), 1e-6);

  ASSERT_EQ(r.orientations.size(), 2u);
  for (const OrientationResult &o : r.orientations)
    EXPECT_NEAR(Wrap(o.value - ind.orient[o.station]) * 1e4, 0, 1e-3) << "station " << o.station;
  // Weighted residuals of every set sum to zero, and every residual is the
  // independent one.
  const Eigen::VectorXd v = ind.Weighted(obs);
  for (int st = 0; st < stations; ++st) {
    double sum = 0, weights = 0;
    for (size_t i = 0; i < net.observations.size(); ++i) {
      const Observation &o = net.observations[i];
      if (o.kind != ObsKind::Direction || o.from != st) continue;
      sum += r.obs[i].residual / (o.sigma * o.sigma);
      weights += 1 / (o.sigma * o.sigma);
    }
    EXPECT_NEAR(sum / weights, 0, 1e-4) << "set of station " << st;
  }
  for (size_t i = 0; i < obs.size(); ++i)
    EXPECT_NEAR(r.obs[i].residual, -v(i) * obs[i].sigma, 1e-3) << "observation " << i;
}

}  // namespace
