#pragma once
// The measurement design beside the measurement plan: the requirements of
// NAME.req with their values and margins (green when met, red when not),
// edited line by line and saved at once; the next best measurements,
// ranked by the gain in the worst margin per cost, each added to the plan
// with one click; the optimised plan, shown on the plan and then accepted
// as one step or discarded; and the critical and low-value measurements.
//
// Everything follows the network document: every step, its undo and its
// redo compute the values anew (in process, on the engine's least-squares
// code), and the plan draws the panel's overlay over itself.
#include <QColor>
#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/design_session.h"

class DesktopApplication;
class MeasurementPlanWindow;
class QLabel;
class QLineEdit;
class QPainter;
class QPointF;
class QPushButton;
class QTableWidget;
class QThread;

class DesignPanel : public QDialog {
  Q_OBJECT
public:
  explicit DesignPanel(MeasurementPlanWindow *plan);
  DesktopApplication &App; // the program of the plan
  ~DesignPanel() override;

  void ApplyTexts();
  // Reads the requirements file of the measurement file (when it has one)
  // and computes everything anew.
  void Reload();
  // Computes values, ranking and marks for the network as it is now.
  void Recompute();
  // Networks of more points are evaluated only on request ("Compute"): an
  // evaluation takes seconds there, too long after every edit.
  static constexpr int kLivePointLimit = 400;

  // The requirements file ("" while the measurements have no file).
  QString RequirementsPath() const { return Path; }
  const kd::app::DesignSession &Session() const { return Design; }
  const std::vector<kd::app::DesignCandidate> &Ranked() const { return Candidates; }
  const kd::app::DesignMarks &Marks() const { return MarksNow; }
  bool HasProposal() const { return ProposalShown; }
  const kd::app::DesignProposal &Proposal() const { return ProposalNow; }

  // Requirement edits: the changed file is read again as a whole and saved
  // only when every line is sound; otherwise the user is told the line and
  // the reason and nothing changes. Rows are those of the requirements
  // table (0 = first requirement).
  bool AddRequirement(const QString &line);
  bool ReplaceRequirement(int row, const QString &line);
  bool DeleteRequirement(int row);

  // Candidates from a file in the measurement format; false (told) when it
  // cannot be read. UseAutomaticCandidates goes back to the automatic ones.
  bool LoadCandidates(const QString &path);
  void UseAutomaticCandidates();
  // Adds the ranked candidate `rank` (0 = best) to the measurements as one
  // step of the document.
  bool AddCandidate(int rank);

  // Computes the optimised plan in the background and then shows it on the
  // plan; while it works the button stops it. An edit of the network stops
  // it as well (its proposal would be for another plan).
  void Optimise();
  bool Optimising() const { return Worker != nullptr; }
  // Makes the proposal the plan, as one step of the document.
  void AcceptProposal();
  void DiscardProposal();

  // The requirements for a report of the network as it is now: their values
  // and, while the plan is the one last accepted, the optimisation's
  // changes. Not present when there is no requirement.
  ReportDesign ReportPart();

  // Draws the ranked candidates (dashed, coloured by gain), the proposal
  // and the critical measurements; `pixelOf` gives a point's pixel (false
  // when the point is not on the plan).
  void DrawOverlay(QPainter &painter, const std::function<bool(double, QPointF &)> &pixelOf) const;
  // The colour of a candidate of that gain among gains from `least` to
  // `most`: blue for the least through green to red for the most.
  static QColor GainColour(double gain, double least, double most);

  QLabel *FileLabel = nullptr;
  QLabel *StatusLabel = nullptr;
  QTableWidget *RequirementTable = nullptr;
  QLineEdit *RequirementEdit = nullptr;
  QPushButton *AddButton = nullptr;
  QPushButton *ReplaceButton = nullptr;
  QPushButton *DeleteButton = nullptr;
  QLabel *NextBestLabel = nullptr;
  QLabel *CandidatesLabel = nullptr;
  QPushButton *CandidatesButton = nullptr;
  QPushButton *AutomaticButton = nullptr;
  QTableWidget *CandidateTable = nullptr;
  QPushButton *OptimiseButton = nullptr;
  QPushButton *AcceptButton = nullptr;
  QPushButton *DiscardButton = nullptr;
  QPushButton *ReportButton = nullptr;
  QPushButton *ComputeButton = nullptr;
  QLabel *ProposalLabel = nullptr;
  QLabel *CriticalLabel = nullptr;

signals:
  // What the plan draws of the panel changed.
  void OverlayChanged();

protected:
  void showEvent(QShowEvent *event) override;

private:
  // Reads `lines` as the requirements file; false with `error`.
  bool ParseLines(const std::vector<std::string> &lines, kd::design::RequirementSet &set,
                  std::string &error) const;
  // Takes `lines` as the file when sound, saves it and computes anew.
  bool TryLines(const std::vector<std::string> &lines);
  // False with `error` when a requirement names a point the network lacks.
  bool CheckPoints(const kd::design::RequirementSet &set, std::string &error) const;
  void FillRequirementTable();
  void FillCandidateTable();
  void ShowMarks();
  void AfterEdit();
  // Recompute, or for a large network only the notice that it is due.
  void RecomputeWhenSmall();

  MeasurementPlanWindow *Plan = nullptr;
  QString Path;
  std::vector<std::string> Lines;          // the file's lines (UTF-8)
  kd::design::RequirementSet Requirements;
  std::string LoadError;                   // why the file cannot be used
  std::vector<Measurement> FileCandidates; // empty: automatic
  QString CandidatesFile;
  kd::app::DesignSession Design;
  std::vector<kd::app::DesignCandidate> Candidates;
  kd::app::DesignMarks MarksNow;
  kd::app::DesignProposal ProposalNow;
  bool ProposalShown = false;
  QThread *Worker = nullptr;
  std::shared_ptr<std::atomic<bool>> StopWorker;
  std::shared_ptr<kd::app::DesignProposal> WorkerResult;
  void StopOptimising();
  void OptimiseFinished();
  // The optimisation last accepted and the measurement list it made.
  ReportDesign Accepted;
  std::uint64_t AcceptedRevision = 0;
  bool HasAccepted = false;
};
