#include "app/network_document.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>

namespace kd::app {

struct NetworkDocument::State {
  DocumentPart Parts = DocumentPart::None;
  std::vector<NetworkPoint> Points;
  std::string PointsFile, PointsLoaded;
  std::vector<Measurement> Measurements;
  std::string MeasurementsFile, MeasurementsLoaded;
  ::ScSvpMode ScSvpMode = ::ScSvpMode::None;
  double PlumbSigma = 0;
};

namespace {

bool SamePoint(const NetworkPoint &p, const NetworkPoint &q) {
  return p.Number == q.Number && p.X == q.X && p.Y == q.Y && p.Z == q.Z && p.Fixed == q.Fixed &&
         p.Sc == q.Sc && p.Svp == q.Svp;
}

// The values a measurement is given by (the computed value and engine
// deviation follow from them).
bool SameMeasurement(const Measurement &a, const Measurement &b) {
  return a.Station == b.Station && a.Target == b.Target && a.MeasType == b.MeasType &&
         a.StdDev == b.StdDev;
}

template <class T, class Eq>
bool SameList(const std::vector<T> &a, const std::vector<T> &b, Eq eq) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), eq);
}

} // namespace

// One recorded step: the changed parts as they were before and after.
class NetworkEditStep : public QUndoCommand {
public:
  NetworkEditStep(NetworkDocument &doc, const QString &name, NetworkDocument::State before,
                  NetworkDocument::State after)
      : QUndoCommand(name), Doc(doc), Before(std::move(before)), After(std::move(after)) {}

  void undo() override { Doc.Restore(Before); }
  void redo() override {
    // QUndoStack::push calls redo: the edit itself has already run.
    if (FirstRedo) {
      FirstRedo = false;
      return;
    }
    Doc.Restore(After);
  }

private:
  NetworkDocument &Doc;
  NetworkDocument::State Before, After;
  bool FirstRedo = true;
};

NetworkDocument::NetworkDocument(QObject *parent)
    : QObject(parent), Net(std::make_unique<SurveyNetwork>()), Stack(new QUndoStack(this)) {}

NetworkDocument::~NetworkDocument() = default;

NetworkDocument::State NetworkDocument::Capture(DocumentPart parts) const {
  State s;
  s.Parts = parts;
  if (Has(parts, DocumentPart::Points)) {
    s.Points = Net->Points.List.Items;
    s.PointsFile = Net->Points.List.FileName;
    s.PointsLoaded = Net->Points.List.LoadedFileName;
  }
  if (Has(parts, DocumentPart::Measurements)) {
    s.Measurements = Net->Measurements.Items;
    s.MeasurementsFile = Net->Measurements.FileName;
    s.MeasurementsLoaded = Net->Measurements.LoadedFileName;
  }
  if (Has(parts, DocumentPart::ScSvpMode)) {
    s.ScSvpMode = Net->Points.ScSvpMode;
    s.PlumbSigma = Net->PlumbSigma;
  }
  return s;
}

void NetworkDocument::Restore(const State &s) {
  // A restored list differs from its file in general: it counts as modified
  // (the automatic save writes it), and its change counter moves on.
  if (Has(s.Parts, DocumentPart::Points)) {
    PointList &list = Net->Points.List;
    list.Items = s.Points;
    list.FileName = s.PointsFile;
    list.LoadedFileName = s.PointsLoaded;
    list.MarkChanged();
  }
  if (Has(s.Parts, DocumentPart::Measurements)) {
    MeasurementList &list = Net->Measurements;
    list.Items = s.Measurements;
    list.FileName = s.MeasurementsFile;
    list.LoadedFileName = s.MeasurementsLoaded;
    list.ClearPairs();
    list.MarkChanged();
  }
  if (Has(s.Parts, DocumentPart::ScSvpMode)) {
    Net->Points.ScSvpMode = s.ScSvpMode;
    Net->PlumbSigma = s.PlumbSigma;
  }
  Announce(s.Parts);
}

void NetworkDocument::Announce(DocumentPart parts) {
  if (Has(parts, DocumentPart::Points))
    emit PointsChanged();
  if (Has(parts, DocumentPart::Measurements))
    emit MeasurementsChanged();
  if (Has(parts, DocumentPart::ScSvpMode))
    emit ScSvpModeChanged();
  if (parts != DocumentPart::None)
    emit Changed(parts);
}

DocumentPart NetworkDocument::Edit(const QString &name,
                                   const std::function<void(SurveyNetwork &)> &edit) {
  if (Editing) {
    // A nested edit belongs to the step already running.
    edit(*Net);
    return DocumentPart::None;
  }
  const DocumentPart all = DocumentPart::Points | DocumentPart::Measurements | DocumentPart::ScSvpMode;
  State before = Capture(all);
  const std::uint64_t pointChanges = Net->Points.List.ChangeCount();
  const std::uint64_t measurementChanges = Net->Measurements.ChangeCount();
  Editing = true;
  try {
    edit(*Net);
  } catch (...) {
    // A failed edit leaves the network as it was, and no step.
    Editing = false;
    Restore(before);
    throw;
  }
  Editing = false;

  DocumentPart changed = DocumentPart::None;
  const PointList &points = Net->Points.List;
  if (!SameList(before.Points, points.Items, SamePoint) || before.PointsFile != points.FileName ||
      before.PointsLoaded != points.LoadedFileName)
    changed = changed | DocumentPart::Points;
  const MeasurementList &meas = Net->Measurements;
  if (!SameList(before.Measurements, meas.Items, SameMeasurement) ||
      before.MeasurementsFile != meas.FileName || before.MeasurementsLoaded != meas.LoadedFileName)
    changed = changed | DocumentPart::Measurements;
  if (before.ScSvpMode != Net->Points.ScSvpMode || before.PlumbSigma != Net->PlumbSigma)
    changed = changed | DocumentPart::ScSvpMode;
  if (changed == DocumentPart::None)
    return changed;

  // Edits that went round the lists' own members still count as changes.
  if (Has(changed, DocumentPart::Points) && points.ChangeCount() == pointChanges)
    Net->Points.List.MarkChanged();
  if (Has(changed, DocumentPart::Measurements) && meas.ChangeCount() == measurementChanges)
    Net->Measurements.MarkChanged();

  // Keep only the parts that changed.
  before.Parts = changed;
  if (!Has(changed, DocumentPart::Points))
    before.Points.clear();
  if (!Has(changed, DocumentPart::Measurements))
    before.Measurements.clear();
  Stack->push(new NetworkEditStep(*this, name, std::move(before), Capture(changed)));
  Announce(changed);
  return changed;
}

bool NetworkDocument::CanUndo() const { return Stack->canUndo(); }
bool NetworkDocument::CanRedo() const { return Stack->canRedo(); }
void NetworkDocument::Undo() { Stack->undo(); }
void NetworkDocument::Redo() { Stack->redo(); }
void NetworkDocument::ClearHistory() { Stack->clear(); }

bool NetworkDocument::IsModified() const {
  return Net->Points.List.Modified() || Net->Measurements.Modified();
}

} // namespace kd::app
