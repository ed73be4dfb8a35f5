#include "cli/in_process_engine.h"

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "adjustment/output.h"
#include "adjustment/run.h"

namespace {

using kd::adj::AdjustmentResult;
using kd::adj::Network;

// The children of the results document, as the engine writes them.
std::vector<kd::ResultsChild> ResultChildren(const Network &net, const AdjustmentResult &res) {
  std::vector<kd::ResultsChild> children;
  const std::size_t m = res.points.size();
  char sigma[32];
  std::snprintf(sigma, sizeof sigma, "%.6g", res.sigmaUsed);
  children.push_back({"summary",
                      {std::to_string(m), std::to_string(res.observationsUsed),
                       std::to_string(res.observationsRejected),
                       std::to_string(res.coordUnknowns + res.orientationUnknowns),
                       std::to_string(res.redundancy), std::to_string(res.defect), sigma,
                       res.aposterioriUsed ? "aposteriori" : "apriori", "m mm2"}});
  children.reserve(m + 2);
  for (const kd::adj::PointResult &p : res.points)
    children.push_back({"point",
                        {net.points[static_cast<std::size_t>(p.point)].id,
                         kd::adj::FormatCoordinate(p.coord[0]), kd::adj::FormatCoordinate(p.coord[1]),
                         kd::adj::FormatCoordinate(p.coord[2])}});
  children.push_back({"covariance", {std::to_string(3 * m), "mm2"}});
  return children;
}

// The covariance rows' texts from the engine's matrix, which they keep
// alive until the reader lets them go.
struct CovarianceRows {
  kd::adj::Matrix Cov;
  std::vector<int> Unknown;  // per output coordinate its unknown, -1 for a constant one

  void operator()(std::size_t i, std::string &text) const {
    const std::size_t dim = Unknown.size();
    text.resize((dim - i) * 32 + 1);
    char *p = text.data();
    const int ui = Unknown[i];
    for (std::size_t j = i; j < dim; ++j) {
      const int uj = Unknown[j];
      const double v = (ui >= 0 && uj >= 0) ? Cov(uj, ui) : 0.0;
      p = kd::adj::WriteCovarianceEntry(p, v);
      *p++ = ' ';
    }
    text.resize(static_cast<std::size_t>(p - text.data()));
  }
};

}  // namespace

RunOutcome RunEngineInThisProcess(const EngineRunFiles &files, ResultsReader &reader,
                                  std::ostream &err) {
  RunOutcome out;
  out.Started = true;
  bool bound = false;
  auto consume = [&](const Network &net, AdjustmentResult &res) {
    auto rows = std::make_shared<CovarianceRows>();
    rows->Unknown.resize(3 * res.points.size());
    for (std::size_t k = 0; k < res.points.size(); ++k)
      for (int c = 0; c < 3; ++c)
        rows->Unknown[3 * k + static_cast<std::size_t>(c)] =
            res.unknownOf[static_cast<std::size_t>(res.points[k].point)][static_cast<std::size_t>(c)];
    rows->Cov = std::move(res.cov);
    reader.BindInMemory(files.Results, ResultChildren(net, res),
                        [rows](std::size_t i, std::string &text) { (*rows)(i, text); });
    bound = true;
  };
  out.ExitCode = kd::adj::RunEngineInProcess(EngineArguments(files), err, consume);
  if (out.ExitCode == 0 && bound) {
    out.Complete = true;
  } else {
    out.Failure = RunFailure::NoOutputs;
    if (bound)
      reader.ReleaseDocument();
  }
  return out;
}
