#include "app/updatable_precision.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

#include "adjustment/output.h"
#include "analysis/covariance_matrix.h"
#include "core/text_file.h"
#include "design/plan_model.h"
#include "design/planner.h"
#include "evaluation/input_document.h"
#include "evaluation/results_reader.h"
#include "precision/observation_sigma.h"

namespace kd::app {

namespace {

using kd::design::PlanModel;
using kd::design::Planner;
using kd::design::Unit;

bool SameMeasurement(const Measurement &a, const Measurement &b) {
  return a.MeasType == b.MeasType && a.Station == b.Station && a.Target == b.Target &&
         a.StdDev == b.StdDev;
}

bool SamePoints(const SurveyNetwork &a, const SurveyNetwork &b) {
  if (a.Points.ScSvpMode != b.Points.ScSvpMode || a.PlumbSigma != b.PlumbSigma)
    return false;
  const auto &p = a.Points.List.Items, &q = b.Points.List.Items;
  if (p.size() != q.size())
    return false;
  for (std::size_t i = 0; i < p.size(); ++i)
    if (p[i].Number != q[i].Number || p[i].X != q[i].X || p[i].Y != q[i].Y || p[i].Z != q[i].Z ||
        p[i].Fixed != q[i].Fixed || p[i].Sc != q[i].Sc || p[i].Svp != q[i].Svp)
      return false;
  return true;
}

// Measurement types whose observation an update can add: one observation
// in an existing set or a set of its own without orientation.
bool AddableType(std::uint8_t type) {
  return type == mtSd || type == mtHd || type == mtZu || type == mtDi || type == mtVd;
}

// Only what the engine document needs.
SurveyNetwork DocumentCopy(const SurveyNetwork &net) {
  SurveyNetwork copy;
  copy.Points.List = net.Points.List;
  copy.Points.ScSvpMode = net.Points.ScSvpMode;
  copy.Measurements = net.Measurements;
  copy.PlumbSigma = net.PlumbSigma;
  return copy;
}

} // namespace

MeasurementEdit FindMeasurementEdit(const SurveyNetwork &before, const SurveyNetwork &after) {
  MeasurementEdit edit;
  if (!SamePoints(before, after)) {
    edit.Kind = MeasurementEditKind::Other;
    return edit;
  }
  const auto &a = before.Measurements.Items, &b = after.Measurements.Items;
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && SameMeasurement(a[head], b[head]))
    ++head;
  std::size_t ta = a.size(), tb = b.size();
  while (ta > head && tb > head && SameMeasurement(a[ta - 1], b[tb - 1])) {
    --ta;
    --tb;
  }
  const std::size_t changedA = ta - head, changedB = tb - head;
  if (changedA == 0 && changedB == 0)
    return edit;
  edit.Kind = MeasurementEditKind::Other;
  if (changedA == 0 && changedB == 1) {
    edit.Kind = MeasurementEditKind::Added;
    edit.After = b[head];
  } else if (changedA == 1 && changedB == 0) {
    edit.Kind = MeasurementEditKind::Deleted;
    edit.Before = a[head];
  } else if (changedA == 1 && changedB == 1) {
    const Measurement &x = a[head], &y = b[head];
    if (x.MeasType == y.MeasType && x.Station == y.Station && x.Target == y.Target) {
      edit.Kind = MeasurementEditKind::SigmaChanged;
      edit.Before = x;
      edit.After = y;
    }
  }
  return edit;
}

struct UpdatablePrecision::State {
  SurveyNetwork Net;      // as given, list order
  PlanModel Model;        // its document, engine network and units
  std::unique_ptr<Planner> Update;
  std::vector<Measurement> UnitMeasurement; // per planner unit
  int Updates = 0;
  // Storage of covariances handed out by Precision(), used again once no
  // precision holds it: a new matrix of a large network would otherwise
  // be faulted in page by page at every update. At most two are kept: the
  // one shown and the one being made.
  struct Storage {
    std::shared_ptr<double> Elements;
    std::size_t Dim = 0;
  };
  std::vector<Storage> Spare;

  // Storage for a dim x dim matrix: a spare one no precision holds any
  // more (taken out of Spare while it is filled), else a new one.
  std::shared_ptr<double> TakeStorage(std::size_t dim) {
    for (auto s = Spare.begin(); s != Spare.end(); ++s)
      if (s->Dim == dim && s->Elements.use_count() == 1) {
        std::shared_ptr<double> out = std::move(s->Elements);
        Spare.erase(s);
        return out;
      }
    return AllocateCovarianceStorage(dim, dim);
  }
  void KeepStorage(std::shared_ptr<double> elements, std::size_t dim) {
    if (!elements)
      return;
    if (Spare.size() >= 2) {
      auto unused = std::find_if(Spare.begin(), Spare.end(),
                                 [](const Storage &s) { return s.Elements.use_count() == 1; });
      Spare.erase(unused != Spare.end() ? unused : Spare.begin());
    }
    Spare.push_back({std::move(elements), dim});
  }

  // An active unit of that measurement; -1 when there is none.
  int ActiveUnitOf(const Measurement &m) const {
    const auto &units = Update->Units();
    for (std::size_t u = 0; u < units.size(); ++u)
      if (units[u].active && SameMeasurement(UnitMeasurement[u], m))
        return static_cast<int>(u);
    return -1;
  }

  // Appends the (inactive) unit of a new measurement; -1 when it cannot be
  // an update.
  int AppendMeasurement(const Measurement &m) {
    if (!AddableType(m.MeasType))
      return -1;
    Unit unit;
    if (!kd::design::AddedMeasurementUnit(Model, Net, m, unit))
      return -1;
    const int index = Update->AppendUnit(std::move(unit));
    UnitMeasurement.push_back(m);
    return index;
  }
};

UpdatablePrecision::UpdatablePrecision() = default;
UpdatablePrecision::~UpdatablePrecision() = default;
UpdatablePrecision::UpdatablePrecision(UpdatablePrecision &&) noexcept = default;
UpdatablePrecision &UpdatablePrecision::operator=(UpdatablePrecision &&) noexcept = default;

std::uint64_t UpdatablePrecision::MatrixBytes(int points) {
  const std::uint64_t n = 4 * static_cast<std::uint64_t>(std::max(points, 0));
  return n * n * sizeof(double);
}

bool UpdatablePrecision::Build(const SurveyNetwork &net, std::string &error) {
  S.reset();
  auto state = std::make_unique<State>();
  state->Net = DocumentCopy(net);
  // The document as the evaluation writes it: from the sorted list.
  SurveyNetwork doc = DocumentCopy(net);
  try {
    // As an evaluation: measurements naming a missing point are left out.
    doc.CheckConsistency(true, [](const PlumbingWarning &) {});
    doc.Measurements.Sort();
    WriteHeader(doc);
    if (!WritePoints(doc) || !ComputeObservations(doc) || !WriteObservations(doc)) {
      error = doc.LastWriteFailure.Reason.empty() ? "the engine document cannot be written"
                                                  : doc.LastWriteFailure.Reason;
      return false;
    }
    WriteFooter(doc);
    kd::design::CandidateOptions none;
    none.automatic = false;
    if (!kd::design::BuildPlanModel(doc, kd::JoinLinesCrLf(doc.Document), none, state->Model, error))
      return false;
    state->Update = std::make_unique<Planner>(state->Model.system, state->Model.units,
                                              std::vector<kd::design::Check>(),
                                              kd::design::RequirementSet(), 0.0);
  } catch (const std::exception &e) {
    error = e.what();
    return false;
  }
  // The planner keeps its own copy of Q.
  state->Model.system.cofactor.resize(0, 0);
  state->Model.units.clear();
  for (const Unit &u : state->Update->Units())
    state->UnitMeasurement.push_back(state->Model.measurements[static_cast<std::size_t>(u.measurement)]);
  S = std::move(state);
  return true;
}

bool UpdatablePrecision::Built() const { return S != nullptr; }

const SurveyNetwork &UpdatablePrecision::Network() const {
  static const SurveyNetwork none;
  return S ? S->Net : none;
}

int UpdatablePrecision::Updates() const { return S ? S->Updates : 0; }

bool UpdatablePrecision::Apply(const SurveyNetwork &edited) {
  if (!S)
    return false;
  const MeasurementEdit edit = FindMeasurementEdit(S->Net, edited);
  switch (edit.Kind) {
  case MeasurementEditKind::None:
    return true;
  case MeasurementEditKind::Other:
    return false;
  case MeasurementEditKind::Deleted: {
    const int unit = S->ActiveUnitOf(edit.Before);
    if (unit < 0 || !S->Update->Remove(unit))
      return false;
    break;
  }
  case MeasurementEditKind::Added: {
    const int added = S->AppendMeasurement(edit.After);
    if (added < 0)
      return false;
    S->Update->Add(added);
    break;
  }
  case MeasurementEditKind::SigmaChanged: {
    // Added with the new deviation and removed with the old one in one
    // pass: the old one is then checked by the new and its removal can
    // never be singular.
    const int old = S->ActiveUnitOf(edit.Before);
    if (old < 0)
      return false;
    const int added = S->AppendMeasurement(edit.After);
    if (added < 0 || !S->Update->Exchange(old, added))
      return false;
    break;
  }
  }
  S->Net = DocumentCopy(edited);
  ++S->Updates;
  return true;
}

NetworkPrecision UpdatablePrecision::Precision() const {
  if (!S)
    return NetworkPrecision();
  const kd::adj::Matrix &Q = S->Update->Cofactor();
  const kd::adj::Network &eng = S->Model.engine;
  const kd::adj::NormalSystem &sys = S->Model.system;

  // The adjusted points and their unknowns, in the engine's results order.
  ResultsReader results;
  std::vector<int> column;
  for (std::size_t p = 0; p < eng.points.size(); ++p) {
    const auto &u = sys.unknownOf[p];
    if (u[0] < 0 && u[1] < 0 && u[2] < 0)
      continue;
    NetworkPoint point;
    point.Number = S->Model.pointNumbers[p];
    point.X = eng.points[p].coord[0];
    point.Y = eng.points[p].coord[1];
    point.Z = eng.points[p].coord[2];
    results.Results.Items.push_back(point);
    column.insert(column.end(), u.begin(), u.end());
  }
  const std::size_t dim = column.size();
  std::shared_ptr<double> storage = S->TakeStorage(dim);
  double *const cov = storage.get();
  // Every element is written: the storage may hold an earlier matrix.
  auto fillRows = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      double *row = cov + i * dim;
      const int ci = column[i];
      if (ci < 0) {
        std::fill_n(row, dim, 0.0);
        continue;
      }
      const double *q = Q.data() + static_cast<std::size_t>(ci) * static_cast<std::size_t>(Q.rows());
      for (std::size_t j = 0; j < dim; ++j)
        row[j] = column[j] < 0 ? 0.0 : q[column[j]];
    }
  };
  // A large matrix on two threads: the copy is most of the time.
  if (dim >= 1500) {
    std::thread half(fillRows, 0, dim / 2);
    fillRows(dim / 2, dim);
    half.join();
  } else {
    fillRows(0, dim);
  }
  results.Cov = CovarianceMatrix(std::move(storage), dim, dim);
  results.Dim = static_cast<int>(dim);
  results.CoordsOk = results.CovOk = !results.Results.Items.empty();
  if (S->Net.Points.ScSvpMode == ScSvpMode::WholeNetwork)
    results.AddNetworkCentring(S->Net.Points.List);

  // Every observation of the active units: the document's in its order,
  // then the added ones.
  struct Item {
    std::size_t order;
    int unit;
    int row;
  };
  std::vector<Item> items;
  const auto &units = S->Update->Units();
  for (std::size_t u = 0; u < units.size(); ++u) {
    if (!units[u].active)
      continue;
    const auto &obs = units[u].block.obs;
    for (std::size_t k = 0; k < units[u].block.rows.size(); ++k)
      items.push_back({units[u].planned && k < obs.size() ? static_cast<std::size_t>(obs[k])
                                                          : eng.observations.size() + u,
                       static_cast<int>(u), static_cast<int>(k)});
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const Item &a, const Item &b) { return a.order < b.order; });
  std::vector<ObservationRow> rows;
  rows.reserve(items.size());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int lastUnit = -1;
  kd::adj::Matrix adjusted, redundancy;
  for (const Item &it : items) {
    const Unit &unit = units[static_cast<std::size_t>(it.unit)];
    const kd::adj::WeightedBlock &b = unit.block;
    if (it.unit != lastUnit) {
      // Qvv = V0 − R Q Rᵀ; the adjusted observations' cofactor is P⁻¹ − Qvv.
      if (b.rows.size() == 1) {
        // Most blocks are one observation: the same figures without
        // matrices on the heap.
        const kd::adj::DesignRow &row = b.rows[0];
        double rqr = 0;
        for (int i = 0; i < row.n; ++i)
          for (int j = 0; j < row.n; ++j)
            rqr += row.val[i] * row.val[j] * Q(row.col[i], row.col[j]);
        const double qvv = b.residualBase(0, 0) - rqr;
        adjusted.resize(1, 1);
        redundancy.resize(1, 1);
        adjusted(0, 0) = b.weightInverse(0, 0) - qvv;
        redundancy(0, 0) = qvv * b.weight(0, 0);
      } else {
        const kd::adj::Matrix qvv = b.residualBase - kd::adj::BlockQuadratic(Q, b.rows);
        adjusted = b.weightInverse - qvv;
        redundancy = qvv * b.weight;
      }
      lastUnit = it.unit;
    }
    const kd::adj::Observation &o =
        unit.planned ? eng.observations[static_cast<std::size_t>(b.obs[static_cast<std::size_t>(it.row)])]
                     : unit.additions[static_cast<std::size_t>(it.row)];
    ObservationRow row;
    row.Type = kd::adj::ElementName(o.kind);
    row.From = eng.points[static_cast<std::size_t>(o.from)].id;
    row.To = eng.points[static_cast<std::size_t>(o.to)].id;
    row.Value = o.value;
    const int k = it.row;
    const double sigma = std::sqrt(b.weightInverse(k, k));
    row.StdevApriori = sigma;
    row.StdevAdjusted = std::sqrt(std::max(0.0, adjusted(k, k)));
    const double r = std::clamp(redundancy(k, k), 0.0, 1.0);
    row.Redundancy = r;
    const double mdb = kd::adj::MinimalDetectableBias(sigma, r);
    row.Mdb = mdb < 0 ? nan : mdb;
    rows.push_back(std::move(row));
  }
  NetworkPrecision precision = BuildNetworkPrecision(std::move(results), rows);
  if (precision.Covariance)
    S->KeepStorage(precision.Covariance->Storage(), dim);
  return precision;
}

} // namespace kd::app
