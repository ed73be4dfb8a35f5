#pragma once
// The network document: owns the network being designed and is the only way
// to change it. Every change runs as one named step on an undo stack, so
// that any edit (a point, a measurement, many rows at once, a bulk change of
// precisions, the Sc/Svp mode, a sort, the consistency check's removals, a
// load) can be taken back and done again. Windows read the network through
// the document and redraw on its signals; none keeps a copy of the lists.
//
// A step records the parts of the network it changed (points, measurements,
// the Sc/Svp mode and the plumbing sigma) before and after, and undo / redo
// put the recorded part back. The lists' change counters only ever grow, so
// results computed for an earlier state are never taken for the state that
// an undo brings back.
#include "core/survey_network.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QUndoStack;

namespace kd::app {

// What a step changed; values combine as bits.
enum class DocumentPart : unsigned {
  None = 0,
  Points = 1,
  Measurements = 2,
  ScSvpMode = 4,    // also the plumbing sigma: both enter every observation
};
inline DocumentPart operator|(DocumentPart a, DocumentPart b) {
  return static_cast<DocumentPart>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
inline bool Has(DocumentPart set, DocumentPart part) {
  return (static_cast<unsigned>(set) & static_cast<unsigned>(part)) != 0;
}

class NetworkDocument : public QObject {
  Q_OBJECT
public:
  explicit NetworkDocument(QObject *parent = nullptr);
  ~NetworkDocument() override;

  // Read access for drawing, tables and evaluation.
  const SurveyNetwork &Network() const { return *Net; }

  // Runs `edit` on the network as one undoable step called `name`. When the
  // edit changed nothing, no step is recorded and nothing is signalled.
  // Returns what changed. An edit that throws leaves the network as it was
  // (and the exception goes on); an Edit inside an edit joins its step.
  DocumentPart Edit(const QString &name, const std::function<void(SurveyNetwork &)> &edit);

  // Work on the network that is not an edit of its content: saving (file
  // names, backups, the saved marks), the warning sink, the engine document
  // being written. Never records a step; use Edit for content.
  SurveyNetwork &Workspace() { return *Net; }

  QUndoStack &UndoStack() { return *Stack; }
  bool CanUndo() const;
  bool CanRedo() const;
  void Undo();
  void Redo();
  // Forgets every step (e.g. when the program starts anew on other files).
  void ClearHistory();

  // True when points or measurements differ from what was last loaded or
  // saved.
  bool IsModified() const;

signals:
  // After a step, its undo or its redo: what changed.
  void Changed(kd::app::DocumentPart parts);
  void PointsChanged();
  void MeasurementsChanged();
  void ScSvpModeChanged();

private:
  friend class NetworkEditStep;
  struct State;
  // The parts of the network named by `parts`.
  State Capture(DocumentPart parts) const;
  void Restore(const State &state);
  void Announce(DocumentPart parts);

  std::unique_ptr<SurveyNetwork> Net;
  QUndoStack *Stack = nullptr;
  bool Editing = false;
};

} // namespace kd::app
