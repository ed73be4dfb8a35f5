#include "cli/in_process_engine.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "adjustment/dense.h"
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

// The engine's covariance as the reader's, in the order of the output
// coordinates and with every element rounded as the results file would
// round it (the same number text made and read), so that the readings are
// those of the file. `unknown` gives per output coordinate its unknown, -1
// for a constant one.
//
// When the output coordinates are the unknowns in some order, the engine's
// matrix is reordered and rounded where it lies and taken over: no second
// matrix of that size is ever held. Otherwise (constant single coordinates)
// a new matrix is filled and the engine's given back.
CovarianceMatrix ReaderCovariance(kd::adj::Matrix &&engineCov, const std::vector<int> &unknown) {
  const std::size_t dim = unknown.size();
  const std::size_t n = static_cast<std::size_t>(engineCov.rows());
  auto rounded = [](double v) {
    char text[48];
    char *end = kd::adj::WriteCovarianceEntry(text, v);
    double value = 0;
    if (!ResultsReader::CovarianceNumber(std::string_view(text, static_cast<std::size_t>(end - text)), value))
      throw std::runtime_error("a covariance number cannot be read back");
    return value;
  };
  // Rounds the triangle j >= i of rows i = first, first + step, ...: the
  // rows' lengths fall, so interleaved rows share the work evenly.
  auto roundRows = [&](double *data, std::size_t first, std::size_t step) {
    for (std::size_t i = first; i < dim; i += step) {
      double *row = data + i * dim;
      for (std::size_t j = i; j < dim; ++j)
        row[j] = rounded(row[j]);
    }
  };
  auto roundAndMirror = [&](double *data) {
    const int threads = std::max(1, std::min(kd::adj::ThreadCount(), 4));
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t)
      helpers.emplace_back(roundRows, data, static_cast<std::size_t>(t), static_cast<std::size_t>(threads));
    roundRows(data, 0, static_cast<std::size_t>(threads));
    for (std::thread &h : helpers)
      h.join();
    // The lower triangle from the upper, tile by tile.
    constexpr std::size_t kTile = 64;
    for (std::size_t i0 = 0; i0 < dim; i0 += kTile)
      for (std::size_t j0 = i0; j0 < dim; j0 += kTile) {
        const std::size_t i1 = std::min(i0 + kTile, dim), j1 = std::min(j0 + kTile, dim);
        for (std::size_t j = j0; j < j1; ++j)
          for (std::size_t i = i0; i < i1 && i < j; ++i)
            data[j * dim + i] = data[i * dim + j];
      }
  };

  std::vector<char> seen(n, 0);
  bool permutation = dim == n;
  for (std::size_t i = 0; permutation && i < dim; ++i) {
    const int u = unknown[i];
    permutation = u >= 0 && static_cast<std::size_t>(u) < n && !seen[static_cast<std::size_t>(u)];
    if (permutation)
      seen[static_cast<std::size_t>(u)] = 1;
  }
  if (!permutation) {
    CovarianceMatrix out(dim, dim, CovarianceMatrix::Start::Unset);
    double *data = out.MutableRow(0);
    for (std::size_t i = 0; i < dim; ++i)
      for (std::size_t j = i; j < dim; ++j)
        data[i * dim + j] = unknown[i] >= 0 && unknown[j] >= 0 ? engineCov(unknown[j], unknown[i]) : 0.0;
    engineCov.resize(0, 0);
    roundAndMirror(data);
    return out;
  }
  // Column i becomes the unknown's column unknown[i] (cycle by cycle, one
  // column aside), then within every column row j becomes row unknown[j]:
  // element (j, i) is then the engine's (unknown[j], unknown[i]).
  double *data = engineCov.data();
  std::vector<double> aside(n);
  std::fill(seen.begin(), seen.end(), 0);
  for (std::size_t start = 0; start < n; ++start) {
    if (seen[start] || static_cast<std::size_t>(unknown[start]) == start)
      continue;
    std::copy_n(data + start * n, n, aside.data());
    std::size_t i = start;
    for (;;) {
      seen[i] = 1;
      const std::size_t from = static_cast<std::size_t>(unknown[i]);
      if (from == start) {
        std::copy_n(aside.data(), n, data + i * n);
        break;
      }
      std::copy_n(data + from * n, n, data + i * n);
      i = from;
    }
  }
  bool identity = true;
  for (std::size_t i = 0; identity && i < n; ++i)
    identity = static_cast<std::size_t>(unknown[i]) == i;
  if (!identity)
    for (std::size_t c = 0; c < n; ++c) {
      double *col = data + c * n;
      for (std::size_t j = 0; j < n; ++j)
        aside[j] = col[unknown[j]];
      std::copy_n(aside.data(), n, col);
    }
  // Column-major storage read as rows: row i of the reader's matrix is
  // column i here, and element (i, j), j >= i, the engine's
  // (unknown[j], unknown[i]) as the file's row i lists it.
  roundAndMirror(data);
  struct Holder {
    kd::adj::Matrix Cov;
  };
  auto holder = std::make_shared<Holder>();
  holder->Cov = std::move(engineCov);
  return CovarianceMatrix(std::shared_ptr<double>(holder, holder->Cov.data()), dim, dim);
}

}  // namespace

RunOutcome RunEngineInThisProcess(const EngineRunFiles &files, ResultsReader &reader,
                                  std::ostream &err) {
  RunOutcome out;
  out.Started = true;
  bool bound = false;
  auto consume = [&](const Network &net, AdjustmentResult &res) {
    std::vector<int> unknown(3 * res.points.size());
    for (std::size_t k = 0; k < res.points.size(); ++k)
      for (int c = 0; c < 3; ++c)
        unknown[3 * k + static_cast<std::size_t>(c)] =
            res.unknownOf[static_cast<std::size_t>(res.points[k].point)][static_cast<std::size_t>(c)];
    std::vector<kd::ResultsChild> children = ResultChildren(net, res);
    CovarianceMatrix cov = ReaderCovariance(std::move(res.cov), unknown);
    // The points' diagonal blocks as the reader takes them from the text,
    // in extended precision (the elements are the file's numbers, whose
    // text they give again).
    std::vector<long double> blocks(2 * unknown.size());
    for (std::size_t i = 0; i < unknown.size(); ++i)
      for (std::size_t j = i; j < i + 3 - i % 3; ++j) {
        char text[48];
        char *end = kd::adj::WriteCovarianceEntry(text, cov.Row(i)[j]);
        long double v = 0;
        if (!ResultsReader::CovarianceNumber(std::string_view(text, static_cast<std::size_t>(end - text)), v))
          throw std::runtime_error("a covariance number cannot be read back");
        blocks[static_cast<std::size_t>(ResultsReader::PointBlockIndex(i, j))] = v;
      }
    reader.BindInMemory(files.Results, std::move(children), std::move(cov), std::move(blocks));
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
