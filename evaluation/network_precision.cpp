#include "evaluation/network_precision.h"

#include <cmath>
#include <limits>

#include "evaluation/results_reader.h"

int NetworkPrecision::IndexOf(double number) const {
  for (std::size_t i = 0; i < Points.size(); ++i)
    if (Points[i].Number == number)
      return static_cast<int>(i);
  return -1;
}

bool NetworkPrecision::Relative(double from, double to, RelativePrecision &out) const {
  const int i = IndexOf(from), j = IndexOf(to);
  if (!Covariance || (i < 0 && j < 0) || i == j)
    return false;
  if (i < 0 || j < 0) {
    const PointPrecision &p = Points[static_cast<std::size_t>(i < 0 ? j : i)];
    out.Covariance.Horizontal = p.Horizontal;
    out.Covariance.ZZ = p.SigmaZ * p.SigmaZ;
  } else {
    out.Covariance = RelativeCovarianceOf(*Covariance, static_cast<std::size_t>(i),
                                          static_cast<std::size_t>(j));
  }
  out.Ellipse = EllipseOf(out.Covariance.Horizontal);
  out.SigmaZ = std::sqrt(out.Covariance.ZZ);
  return true;
}

std::vector<const ObservationReliability *> NetworkPrecision::ObservationsBetween(double a,
                                                                                  double b) const {
  std::vector<const ObservationReliability *> out;
  for (const ObservationReliability &o : Observations)
    if ((o.From == a && o.To == b) || (o.From == b && o.To == a))
      out.push_back(&o);
  return out;
}

long double NetworkPrecision::WeakestRedundancyBetween(double a, double b) const {
  long double weakest = std::numeric_limits<long double>::quiet_NaN();
  for (const ObservationReliability *o : ObservationsBetween(a, b))
    if (!o->Rejected && !(o->Redundancy >= weakest))
      weakest = o->Redundancy;
  return weakest;
}

std::vector<ToleranceExcess> PointsBeyond(const NetworkPrecision &precision, ConfidenceLevel level,
                                          const PrecisionTolerance &tolerance) {
  std::vector<ToleranceExcess> out;
  if (!tolerance.Set())
    return out;
  const long double k2 = EllipseFactor(level);
  const long double k1 = LinearFactor(level);
  for (const PointPrecision &p : precision.Points) {
    ToleranceExcess e;
    e.Number = p.Number;
    e.Horizontal = p.Ellipse.SemiMajor * k2;
    e.Vertical = p.SigmaZ * k1;
    e.HorizontalExceeded = tolerance.Horizontal > 0 && e.Horizontal > tolerance.Horizontal;
    e.VerticalExceeded = tolerance.Vertical > 0 && e.Vertical > tolerance.Vertical;
    if (e.HorizontalExceeded || e.VerticalExceeded)
      out.push_back(e);
  }
  return out;
}

namespace {

NetworkPrecision BuildFrom(const ResultsReader &reader, const std::vector<ObservationRow> &rows,
                           std::shared_ptr<const CovarianceMatrix> cov) {
  NetworkPrecision net;
  const std::size_t n = static_cast<std::size_t>(reader.Results.Count());
  if (static_cast<std::size_t>(cov->Rows()) == 3 * n) {
    for (std::size_t k = 0; k < n; ++k) {
      const NetworkPoint &r = reader.Results.Items[k];
      PointPrecision p;
      p.Number = r.Number;
      p.X = r.X;
      p.Y = r.Y;
      p.Z = r.Z;
      p.Horizontal = HorizontalBlock(*cov, k);
      p.Ellipse = EllipseOf(p.Horizontal);
      p.SigmaZ = std::sqrt(std::max(HeightVariance(*cov, k), 0.0L));
      net.Points.push_back(p);
    }
    net.Covariance = std::move(cov);
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const ObservationRow &row : rows) {
    ObservationReliability o;
    o.Type = row.Type;
    if (!PointNumberOfId(row.From, o.From))
      o.From = nan;
    if (!PointNumberOfId(row.To, o.To))
      o.To = nan;
    o.StdevApriori = row.StdevApriori;
    o.StdevAdjusted = row.StdevAdjusted;
    o.Redundancy = row.Redundancy;
    o.Mdb = row.Mdb;
    o.Rejected = row.Rejected;
    o.Class = ReliabilityOf(row.Redundancy);
    net.Observations.push_back(o);
  }
  return net;
}

} // namespace

NetworkPrecision BuildNetworkPrecision(const ResultsReader &reader,
                                       const std::vector<ObservationRow> &rows) {
  // A copy of the reader's matrix shares its elements.
  return BuildFrom(reader, rows, std::make_shared<const CovarianceMatrix>(reader.Cov));
}

NetworkPrecision BuildNetworkPrecision(ResultsReader &&reader, const std::vector<ObservationRow> &rows) {
  auto cov = std::make_shared<const CovarianceMatrix>(std::move(reader.Cov));
  return BuildFrom(reader, rows, std::move(cov));
}
