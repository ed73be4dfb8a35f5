#include "cli/batch_run.h"
#include "cli/batch_exports.h"
#include "cli/design_step.h"
#include "cli/in_process_engine.h"

#include "core/app_folders.h"
#include "core/survey_network.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "evaluation/evaluation.h"
#include "evaluation/input_document.h"
#include "evaluation/network_precision.h"
#include "evaluation/observation_table.h"
#include "report/relative_precision_text.h"
#include "evaluation/report_data.h"
#include "evaluation/results_reader.h"
#include "evaluation/evaluation_results.h"
#include "plot/precision_plan.h"
#include "precision/observation_sigma.h"
#include "report/report_writer.h"
#include "settings/language_pack.h"
#include "settings/ini_file.h"
#include "settings/messages.h"
#include "settings/text_catalogue.h"
#include "settings/settings_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <ctime>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The status line of the engine's run, as the desktop program shows it.
std::string PollStatusText(const LanguagePack &lang, const EnginePoll &poll) {
  switch (poll.State()) {
  case PollState::Complete:
    return Tr(lang, Text::EvaluationAccomplished);
  case PollState::Failed:
    return Tr(lang, Text::EvaluationFails);
  case PollState::Waiting:
    break;
  }
  return WaitingStatusText(lang, poll.WaitingCount());
}

// Why the engine's run gave no results (the command's own English).
std::string RunFailureText(const RunOutcome &run, const std::string &engine,
                           const EngineRunFiles &files) {
  switch (run.Failure) {
  case RunFailure::OldResultsKept:
    return "cannot delete the old results file " + files.Results;
  case RunFailure::NotStarted:
    return "cannot start the engine " + engine + ": " + run.Detail;
  case RunFailure::Interrupted:
    return "interrupted";
  case RunFailure::NoOutputs:
    return "the engine ended without writing both output files";
  case RunFailure::TimedOut:
    return "the engine did not finish within the time limit";
  case RunFailure::None:
    break;
  }
  return "the engine gave no results";
}

// Number of characters of a UTF-8 text (continuation bytes not counted).
size_t Utf8Length(const std::string &s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80)
      ++n;
  return n;
}

// The file a name stands for, whether or not it exists yet: absolute, with
// ".", ".." and symbolic links resolved, also a link whose target is yet to
// be written.
fs::path ResolvedPath(const std::string &name, std::error_code &ec) {
  fs::path p = fs::weakly_canonical(fs::absolute(name, ec), ec);
  for (int hops = 0; hops < 40 && !ec; ++hops) {
    std::error_code linkEc;
    if (!fs::is_symlink(fs::symlink_status(p, linkEc)))
      break;
    const fs::path target = fs::read_symlink(p, linkEc);
    if (linkEc)
      break;
    p = fs::weakly_canonical(target.is_absolute() ? target : p.parent_path() / target, ec);
  }
  return p;
}

// The same file, whether or not it exists yet.
bool SamePath(const std::string &a, const std::string &b) {
  std::error_code ec1, ec2;
  const fs::path pa = ResolvedPath(a, ec1);
  const fs::path pb = ResolvedPath(b, ec2);
  if (ec1 || ec2)
    return a == b;
  return pa == pb;
}

// The folder that will receive an output file must exist.
bool OutputFolderExists(const std::string &file) {
  std::error_code ec;
  fs::path parent = fs::absolute(file, ec).parent_path();
  if (ec)
    return false;
  return fs::is_directory(parent, ec);
}

// A folder for the run's files that is removed at the end unless the user
// asked to keep them.
class WorkFolder {
public:
  ~WorkFolder() {
    if (!IsTemporary || FolderPath.empty())
      return;
    std::error_code ec;
    fs::remove_all(FolderPath, ec);
  }
  // Removes a temporary folder now (the program is about to end).
  void RemoveNow() {
    if (!IsTemporary || FolderPath.empty())
      return;
    std::error_code ec;
    fs::remove_all(FolderPath, ec);
    FolderPath.clear();
  }
  bool MakeTemporary(std::string &error) {
    const char *tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : "/tmp";
    std::string templ = base + "/korvadimensio3d-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
      error = "cannot create a temporary folder in " + base;
      return false;
    }
    FolderPath = buf.data();
    IsTemporary = true;
    return true;
  }
  bool UseFolder(const std::string &dir, std::string &error) {
    std::error_code ec;
    if (fs::exists(dir, ec) && !fs::is_directory(dir, ec)) {
      error = "--workdir " + dir + " is not a folder";
      return false;
    }
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
      error = "cannot create the folder " + dir + (ec ? ": " + ec.message() : "");
      return false;
    }
    FolderPath = dir;
    IsTemporary = false;
    return true;
  }
  const std::string &Path() const { return FolderPath; }
  bool Temporary() const { return IsTemporary; }

private:
  std::string FolderPath;
  bool IsTemporary = false;
};

// The desktop program's settings file, where the desktop program keeps it
// (beside a portable program, else in the user's data folder), gives the
// Sc/Svp mode (unless the command line names one) and the language pack,
// looked for in the data folders and loaded into `lang`. A missing file
// leaves mode 1 and English; a damaged one gives all defaults.
void ApplyDesktopSettings(const kd::AppFolders &folders, int commandLineMode, PointSet &points,
                          LanguagePack &lang) {
  const std::string &own = folders.OwnFilesFolder();
  const std::string path = own.empty() ? kDesktopSettingsName : own + "/" + kDesktopSettingsName;
  kd::Settings settings;
  if (IniFile().LoadSettings(settings, path) != SettingsLoad::Missing) {
    kd::ApplySettings(settings, points);
    const std::string &packFile = settings.LangPackFile;
    const std::string packFolder = folders.FindDataFolder(kd::FileNamePart(packFile));
    LoadStartupPack(lang, packFolder.empty() ? folders.ProgramFolder() : packFolder, packFile);
  }
  if (commandLineMode >= 0)
    points.ScSvpMode = static_cast<ScSvpMode>(commandLineMode);
}

// An input file named without a folder that is not in the current folder is
// looked for in the data folders, so that the installed sample network can
// be named as "shaft_coords.txt". Anything else is used as given.
std::string InputPath(const std::string &given, const kd::AppFolders &folders) {
  std::error_code ec;
  if (given.find('/') != std::string::npos || fs::exists(given, ec))
    return given;
  const std::string found = folders.FindDataFile(given);
  return found.empty() ? given : found;
}

// The protocol of a failed run, for the user: the whole text when it is
// short, otherwise its lines that report an error and its last lines.
void PrintProtocol(const std::string &path, std::ostream &err) {
  std::string bytes;
  if (!kd::ReadFileBytes(path, bytes)) {
    err << "The engine wrote no protocol.\n";
    return;
  }
  const std::vector<std::string> lines = kd::SplitLines(kd::Cp1250ToUtf8(bytes));
  constexpr size_t kShort = 60;
  err << "Engine protocol:\n";
  if (lines.size() <= kShort) {
    for (const auto &l : lines)
      err << "  " << l << "\n";
    return;
  }
  std::vector<size_t> shown;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string low = lines[i];
    std::transform(low.begin(), low.end(), low.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (low.find("error") != std::string::npos || low.find("fail") != std::string::npos ||
        low.find("singular") != std::string::npos)
      shown.push_back(i);
    if (shown.size() >= 30)
      break;
  }
  for (size_t i = lines.size() - 20; i < lines.size(); ++i)
    if (std::find(shown.begin(), shown.end(), i) == shown.end())
      shown.push_back(i);
  std::sort(shown.begin(), shown.end());
  size_t last = 0;
  bool first = true;
  for (size_t i : shown) {
    if (!first && i != last + 1)
      err << "  ...\n";
    err << "  " << lines[i] << "\n";
    last = i;
    first = false;
  }
}

} // namespace

std::string BatchReportDate() {
  // SOURCE_DATE_EPOCH fixes the date (reproducible reports, tests).
  std::time_t t = std::time(nullptr);
  bool utc = false;
  if (const char *fixed = std::getenv("SOURCE_DATE_EPOCH"); fixed && *fixed) {
    char *end = nullptr;
    const long long v = std::strtoll(fixed, &end, 10);
    if (end && *end == '\0' && v >= 0) {
      t = static_cast<std::time_t>(v);
      utc = true;
    }
  }
  std::tm tm{};
  if (utc)
    gmtime_r(&t, &tm);
  else
    localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
  return buf;
}

std::vector<std::string> FormatAlignedTable(const TextGrid &grid) {
  std::vector<size_t> width(static_cast<size_t>(std::max(grid.ColCount, 0)), 0);
  for (const auto &row : grid.Rows)
    for (size_t c = 0; c < row.size() && c < width.size(); ++c)
      width[c] = std::max(width[c], Utf8Length(row[c]));
  std::vector<std::string> lines;
  lines.reserve(grid.Rows.size());
  for (const auto &row : grid.Rows) {
    std::string line;
    for (size_t c = 0; c < width.size(); ++c) {
      const std::string &cell = c < row.size() ? row[c] : std::string();
      if (c > 0)
        line += "  ";
      line.append(width[c] - Utf8Length(cell), ' ');
      line += cell;
    }
    while (!line.empty() && line.back() == ' ')
      line.pop_back();
    lines.push_back(std::move(line));
  }
  return lines;
}

namespace {

// Returned by a step of the run when the next step is to follow.
constexpr int kNextStep = -1;

// The engine's exit code when it could not write its outputs.
constexpr int kEngineExitSystem = 3;

// One run of the command: the state its steps share, and the steps.
class BatchRun {
public:
  BatchRun(const BatchOptions &opts, const std::string &programPath, std::ostream &out,
           std::ostream &err, const volatile std::sig_atomic_t *interrupted)
      : Opts(opts), ProgramPath(programPath), Folders(kd::AppFolders::ForProgram(programPath)),
        Out(out), Err(err), Interrupted(interrupted) {}

  int CheckOutputFiles();
  int LoadCoordinates();
  int LoadMeasurements();
  int CheckDistanceRequests();
  int CheckRelativeRequests();
  int PrepareWorkFolder();
  int CheckStandardDeviations();
  int EndOnWarningsWhenStrict();
  int WriteEngineInput();
  int RunEngine();
  int ReadEngineResults();
  int PrintDistances();
  int PrintRelativePrecisions();
  int WritePlots();
  int WriteReports();
  int CheckExports();
  int WriteExportFiles();
  int PrepareDesign();
  int RunDesign();
  int SaveOutputs();
  int Interrupt() { return Fail("interrupted", beInterrupted); }

private:
  bool InterruptedNow() const { return Interrupted && *Interrupted; }
  int Fail(const std::string &message, int code) {
    Err << kBatchProgramName << ": " << message << "\n";
    return code;
  }
  // A warning about the input: shown, and counted for --strict.
  void Warn(const std::string &message) {
    Err << kBatchProgramName << ": warning: " << message << "\n";
    ++Warnings;
  }
  WarningCallback WarningSink() {
    return [this](const PlumbingWarning &warning) {
      Err << PlumbingWarningText(Language, warning) << "\n";
      ++Warnings;
    };
  }
  std::string Where(int line) const { return Opts.MeasFile + ":" + std::to_string(line); }
  // The standard deviation the engine would receive for measurement `pos`.
  std::optional<long double> EngineStdDevOf(int pos) const;
  void ReportEngineFailure(const RunOutcome &run);
  // The engine runs inside this program when none of its files is kept
  // (--workdir) and no time limit must stop it (--timeout): no results file
  // is written and read again.
  bool InThisProcess() const { return Opts.WorkDir.empty() && Opts.TimeoutSeconds <= 0; }
  RunOutcome RunEngineHere();

  const BatchOptions &Opts;
  const std::string ProgramPath;
  const kd::AppFolders Folders; // where the engine, data and own files are
  std::ostream &Out;
  std::ostream &Err;
  const volatile std::sig_atomic_t *Interrupted;
  // The run's own texts: built-in English until the desktop program's
  // settings name a pack.
  LanguagePack Language;

  SurveyNetwork Net;
  WorkFolder Work;
  EngineRunFiles Files;
  EvaluationCheck Check;
  // The results of the run, read once; every output is made from them.
  std::shared_ptr<EvaluationResults> Results = std::make_shared<EvaluationResults>();
  ResultsReader &Reader = Results->Reader;
  int Warnings = 0;
  bool OutputFailed = false; // a --plot or --report file could not be written
  DesignStepInput Design;
  int DesignExit = beOk;      // of the design step: 0, or requirements not met
  ReportDesign DesignReport;  // what the reports say of the requirements
};

// Outputs must never overwrite the inputs, nor each other, whatever the
// spelling of their names (relative, "./", "..", symbolic links).
int BatchRun::CheckOutputFiles() {
  const std::vector<OutputFile> outputs = OutputFilesOf(Opts);
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const OutputFile &o = outputs[i];
    if (SamePath(o.Path, Opts.CoordFile) || SamePath(o.Path, Opts.MeasFile))
      return Fail("the output file " + o.Path + " is one of the input files", beBadInput);
    if (!OutputFolderExists(o.Path))
      return Fail("the folder of the output file " + o.Path + " does not exist", beBadInput);
    for (std::size_t j = 0; j < i; ++j)
      if (SamePath(o.Path, outputs[j].Path))
        return Fail(outputs[j].Option + " " + outputs[j].Path + " and " + o.Option + " " + o.Path +
                        " name the same file",
                    beBadInput);
  }
  for (const std::string &r : Opts.ReportFiles) {
    ReportFormat format;
    std::string formatError;
    if (!ReportFormatOf(r, format, formatError))
      return Fail(formatError, beBadInput);
  }
  return kNextStep;
}

int BatchRun::LoadCoordinates() {
  ApplyDesktopSettings(Folders, Opts.Mode, Net.Points, Language);
  std::string probe, reason;
  if (!kd::ReadFileBytes(Opts.CoordFile, probe, reason))
    return Fail("cannot read the coordinate file " + Opts.CoordFile + ": " + reason, beBadInput);
  PointList &list = Net.Points.List;
  const int pointCount = Opts.Simple ? list.LoadSimple(Opts.CoordFile) : list.LoadFull(Opts.CoordFile);
  if (pointCount < 2) {
    Err << Tr(Language, Text::AtLeastTwoPoints) << "\n";
    return Fail("the coordinate file " + Opts.CoordFile + " holds " + std::to_string(pointCount) +
                    " point(s)",
                beBadInput);
  }
  Out << Tr(Language, Text::LoadedPointCount) << pointCount << "\n";
  const SkippedLines &skipped = list.LastLoadSkipped;
  if (skipped.Unreadable > 0)
    Warn(Opts.CoordFile + ": " + SkippedLinesText({skipped.Unreadable, skipped.FirstUnreadable, 0}) +
         " (not a point)");
  // A malformed number is named where it stands.
  if (skipped.FirstNumberFault != kd::NumberFault::None)
    Warn(Opts.CoordFile + ":" + std::to_string(skipped.FirstNumberFaultLine) + ": " +
         kd::NumberFaultText(skipped.FirstNumberFault, skipped.FirstNumberFaultLine));
  if (skipped.FirstDecimalCommaLine > 0 && skipped.FirstNumberFault != kd::NumberFault::DecimalComma)
    Warn(Opts.CoordFile + ":" + std::to_string(skipped.FirstDecimalCommaLine) + ": " +
         kd::NumberFaultText(kd::NumberFault::DecimalComma, skipped.FirstDecimalCommaLine));
  return kNextStep;
}

int BatchRun::LoadMeasurements() {
  MeasurementList &meas = Net.Measurements;
  meas.LoadFromFile(Opts.MeasFile);
  if (meas.LoadResult == MeasurementList::lfCannotRead) {
    std::string probe, reason;
    kd::ReadFileBytes(Opts.MeasFile, probe, reason);
    return Fail("cannot read the measurement file " + Opts.MeasFile +
                    (reason.empty() ? std::string() : ": " + reason),
                beBadInput);
  }
  if (meas.LoadResult == MeasurementList::lfFormatError) {
    const std::string fault = meas.LoadErrorFault == kd::NumberFault::NotANumber
                                  ? std::string()
                                  : " (" + kd::NumberFaultText(meas.LoadErrorFault, meas.LoadErrorLine) + ")";
    return Fail("the measurement file " + Opts.MeasFile + " has a faulty number on line " +
                    std::to_string(meas.LoadErrorLine) + fault,
                beBadInput);
  }
  const int before = meas.Count();
  const bool dropped = Net.CheckConsistency(true, WarningSink());
  const int after = meas.Count();
  std::string line = Tr(Language, Text::LoadedMeasurements) + std::to_string(after);
  if (dropped)
    line += " " + Tr(Language, Text::MeasurementsWithoutCoordinatesDropped) + " (" +
            std::to_string(before - after) + ").";
  Out << line << "\n";

  // Every measurement of the file that will not be evaluated, by its cause.
  const SkippedLines &skipped = meas.LastLoadSkipped;
  const int missing = before - after;
  const int total = skipped.Unreadable + meas.LastLoadSameStationTarget + missing;
  if (total > 0) {
    std::string causes;
    auto add = [&causes](int n, const std::string &what) {
      if (n == 0)
        return;
      causes += (causes.empty() ? "" : ", ") + std::to_string(n) + " " + what;
    };
    add(skipped.Unreadable, "with an unknown type code (first at line " +
                                std::to_string(skipped.FirstUnreadable) + ")");
    add(meas.LastLoadSameStationTarget, "with the station as target");
    add(missing, "with a point missing from the coordinates");
    Warn(std::to_string(total) + " measurement line(s) of " + Opts.MeasFile + " dropped: " + causes);
  }
  return kNextStep;
}

// Requested distances need adjusted points of the network.
int BatchRun::CheckDistanceRequests() {
  for (const auto &d : Opts.Distances) {
    for (const auto *num : {&d.From, &d.To}) {
      const std::string &text = num == &d.From ? d.FromText : d.ToText;
      NetworkPoint p;
      if (!Net.Points.List.FindByNumber(*num, p))
        return Fail("--distance: point " + text + " is not in the coordinate file", beBadInput);
      if (p.Fixed)
        return Fail("--distance: point " + text +
                        " is fixed; distances are computed between adjusted points",
                    beBadInput);
    }
  }
  return kNextStep;
}

// Relative precision needs points of the network, at least one of them
// adjusted (a fixed point counts as exact).
int BatchRun::CheckRelativeRequests() {
  for (const auto &r : Opts.Relatives) {
    NetworkPoint from, to;
    if (!Net.Points.List.FindByNumber(r.From, from))
      return Fail("--relative: point " + r.FromText + " is not in the coordinate file", beBadInput);
    if (!Net.Points.List.FindByNumber(r.To, to))
      return Fail("--relative: point " + r.ToText + " is not in the coordinate file", beBadInput);
    if (from.Fixed && to.Fixed)
      return Fail("--relative: points " + r.FromText + " and " + r.ToText +
                      " are both fixed; at least one must be adjusted",
                  beBadInput);
  }
  return kNextStep;
}

int BatchRun::PrepareWorkFolder() {
  std::string error;
  if (Opts.WorkDir.empty() ? !Work.MakeTemporary(error) : !Work.UseFolder(Opts.WorkDir, error))
    return Fail(error, beBadInput);
  Files = RunFilesInFolder(Work.Path(), "network");
  for (const std::string *f : {&Files.Input, &Files.Protocol, &Files.Results, &Files.ObservationTable}) {
    for (const std::string *in : {&Opts.CoordFile, &Opts.MeasFile})
      if (SamePath(*f, *in))
        return Fail("the input file " + *in + " lies where the run writes " + *f, beBadInput);
    // The run writes and removes its own files: no output may be one of them.
    for (const OutputFile &o : OutputFilesOf(Opts))
      if (SamePath(*f, o.Path))
        return Fail(o.Option + " " + o.Path + " is a file of the run itself (" + *f + ")", beBadInput);
  }
  return kNextStep;
}

std::optional<long double> BatchRun::EngineStdDevOf(int pos) const {
  const Measurement &m = Net.Measurements.Items[static_cast<std::size_t>(pos)];
  if (Net.Points.ScSvpMode != ScSvpMode::PerMeasurement)
    return m.StdDev;
  // Mode 1 adds the centring and height errors to angles and distances.
  switch (m.MeasType) {
  case mtSd: return SigmaSlopeDist(Net, pos);
  case mtHd: return SigmaHorizDist(Net, pos);
  case mtZu: return SigmaZenith(Net, pos);
  case mtDi:
  case mtGd: return SigmaDirection(Net, pos);
  default: return m.StdDev;
  }
}

// A zero or negative standard deviation in the file is an error when the
// engine would receive no positive one, and a warning when only the
// centring and height errors give the measurement its weight.
int BatchRun::CheckStandardDeviations() {
  const MeasurementList &meas = Net.Measurements;
  int errors = 0;
  for (const auto &note : meas.LastLoadNonPositive) {
    int pos = -1;
    for (int i = 0; i < meas.Count() && pos < 0; ++i) {
      const Measurement &m = meas.Items[static_cast<std::size_t>(i)];
      if (m.Station == note.Station && m.Target == note.Target && m.MeasType == note.MeasType &&
          m.StdDev == note.StdDev)
        pos = i;
    }
    if (pos < 0)
      continue; // dropped already, and counted there
    const std::string what = MeasurementList::TypeName(note.MeasType) + " " +
                             NumToText(note.Station) + " -> " + NumToText(note.Target) +
                             " has the standard deviation " + NumToText(note.StdDev) + " in the file";
    const std::optional<long double> sent = EngineStdDevOf(pos);
    if (!sent || !(*sent > 0)) {
      Err << kBatchProgramName << ": " << Where(note.Line) << ": " << what
          << "; the engine would get no positive standard deviation\n";
      ++errors;
    } else {
      Warn(Where(note.Line) + ": " + what + "; only the centring and height errors give it weight");
    }
  }
  if (errors > 0) {
    Out << Tr(Language, Text::EvaluationFails) << "\n";
    return beBadInput;
  }
  return kNextStep;
}

int BatchRun::EndOnWarningsWhenStrict() {
  if (!Opts.Strict || Warnings == 0)
    return kNextStep;
  return Fail("--strict: " + std::to_string(Warnings) + " warning(s) about the input", beBadInput);
}

int BatchRun::WriteEngineInput() {
  Check = CheckBeforeEvaluation(Net, WarningSink());
  if (Check.TooSmall) {
    Err << Tr(Language, Text::TooFewCoordinatesOrMeasurements) << "\n";
    Out << Tr(Language, Text::EvaluationFails) << "\n";
    return beBadInput;
  }
  Net.Measurements.Sort();
  const PreparationFailure prepared = PrepareEngineRun(Net, Files);
  if (prepared == PreparationFailure::OldResultsKept)
    return Fail("cannot delete the old outputs in " + Work.Path(), beBadInput);
  if (prepared == PreparationFailure::None)
    return kNextStep;
  Out << Tr(Language, Text::EvaluationFails) << "\n";
  const FailedMeasurement &failed = Net.LastWriteFailure;
  if (failed.Valid)
    return Fail("the measurement " + FailedMeasurementText(failed) + " cannot be evaluated", beBadInput);
  // A fault of the network itself (points under one number or id, a
  // coordinate that is no number) names itself.
  if (!failed.Reason.empty())
    return Fail(failed.Reason, beBadInput);
  return Fail("cannot write the engine input " + Files.Input, beBadInput);
}

int BatchRun::RunEngine() {
  const std::string engine = Folders.EnginePath();
  if (access(engine.c_str(), X_OK) != 0) {
    Out << Tr(Language, Text::EvaluationFails) << "\n";
    return Fail("the engine " + engine + " is missing or cannot be run", beEngineFailed);
  }
  if (Interrupted && *Interrupted)
    return Fail("interrupted", beInterrupted);
  Out << StartedStatusText(Language, Check.Dropped) << "\n";

  if (InThisProcess()) {
    const RunOutcome run = RunEngineHere();
    if (run.Complete) {
      Out << Tr(Language, Text::EvaluationAccomplished) << "\n";
      return kNextStep;
    }
    Out << Tr(Language, Text::EvaluationFails) << "\n";
    ReportEngineFailure(run);
    return run.ExitCode == kEngineExitBadInput ? beBadInput : beEngineFailed;
  }
  EnginePoll poll;
  const RunOutcome run = RunEngineAndWait(
      engine, Files, poll, [this](const EnginePoll &p) { Out << PollStatusText(Language, p) << "\n" << std::flush; },
      [this] { return Interrupted && *Interrupted != 0; },
      static_cast<long long>(Opts.TimeoutSeconds * 1000));
  if (run.Interrupted)
    return Fail("interrupted", beInterrupted);
  if (run.TimedOut)
    return Fail("the engine did not finish within " + NumToText(Opts.TimeoutSeconds) +
                    " s (--timeout); it was stopped",
                beEngineFailed);
  if (run.Complete)
    return kNextStep;
  ReportEngineFailure(run);
  // An input the engine refuses is bad input, like the command's own checks.
  return run.ExitCode == kEngineExitBadInput ? beBadInput : beEngineFailed;
}

// The engine in this process, on a thread of its own. An adjustment cannot
// be stopped halfway: an interrupt removes the temporary run folder and ends
// the program at once, as stopping the engine program would.
RunOutcome BatchRun::RunEngineHere() {
  RunOutcome run;
  std::atomic<bool> done{false};
  std::ostringstream engineErr;
  std::thread worker([&] {
    run = RunEngineInThisProcess(Files, Reader, engineErr);
    done = true;
  });
  while (!done) {
    if (Interrupted && *Interrupted) {
      Err << kBatchProgramName << ": interrupted" << std::endl;
      Work.RemoveNow();
      std::_Exit(beInterrupted);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  worker.join();
  Err << engineErr.str();
  return run;
}

void BatchRun::ReportEngineFailure(const RunOutcome &run) {
  Err << kBatchProgramName << ": " << RunFailureText(run, Folders.EnginePath(), Files) << "\n";
  std::string bytes;
  const bool haveProtocol = kd::ReadFileBytes(Files.Protocol, bytes);
  const std::string protocolText = haveProtocol ? kd::Cp1250ToUtf8(bytes) : std::string();
  const std::string reason = haveProtocol ? ProtocolFailureReason(protocolText) : "";
  // Points meant as fixed but marked with an upper-case F are the likely
  // cause of a singular network.
  const PointList &points = Net.Points.List;
  if (haveProtocol && ProtocolReportsSingularNetwork(protocolText) && points.LastLoadUpperCaseMarks > 0)
    Err << kBatchProgramName << ": " << Opts.CoordFile << ":" << points.FirstUpperCaseMarkLine << ": "
        << UpperCaseMarkHint(points.LastLoadUpperCaseMarks) << "\n";
  if (run.ExitCode == kEngineExitSystem)
    Err << kBatchProgramName << ": the engine could not write its outputs"
        << (reason.empty() ? std::string(" (its message above names the file)") : ": " + reason)
        << "\n";
  if (haveProtocol && reason.empty()) {
    // A protocol that reads as a success explains nothing here.
    Err << kBatchProgramName << ": the protocol " << Files.Protocol
        << " reports no failure, but the results file " << Files.Results
        << " was not written; the protocol is not shown\n";
    return;
  }
  PrintProtocol(Files.Protocol, Err);
}

// Results, with the whole-network centring in mode 2.
int BatchRun::ReadEngineResults() {
  Results->Files = Files;
  Results->ScSvpMode = Net.Points.ScSvpMode;
  ReadEvaluationResults(*Results, Net.Points.List, Tr(Language, Text::PointNumberShort), InThisProcess());
  const ResultsOutcome read = Results->Outcome;
  switch (read) {
  case ResultsOutcome::Shown:
    break;
  case ResultsOutcome::Not3d:
    Err << Tr(Language, Text::AllPointsMustBe3d) << "\n";
    [[fallthrough]];
  case ResultsOutcome::LoadFailed:
  case ResultsOutcome::TableFailed:
    Err << kBatchProgramName << ": cannot use the results " << Files.Results << ": " << Reader.Error
        << "\n";
    PrintProtocol(Files.Protocol, Err);
    return beEngineFailed;
  }
  Out << "\n";
  for (const auto &line : FormatAlignedTable(Results->Table))
    Out << line << "\n";
  Out << std::flush; // the answer is there before plots and reports are drawn
  return kNextStep;
}

// Requested distances, as the results window's Calculate shows them.
int BatchRun::PrintDistances() {
  if (!Opts.Distances.empty())
    Out << "\n";
  for (const auto &d : Opts.Distances) {
    const int f = Reader.Results.IndexOfNumber(d.From);
    const int t = Reader.Results.IndexOfNumber(d.To);
    if (f < 0 || t < 0)
      return Fail("--distance: point " + (f < 0 ? d.FromText : d.ToText) +
                      " has no adjusted coordinates in the results",
                  beEngineFailed);
    const int k = static_cast<int>(d.Kind);
    std::string distText, sigmaText;
    if (!Reader.CalculateDistance(f, t, k, distText, sigmaText))
      return Fail("--distance " + d.FromText + " " + d.ToText + " " + d.KindText + ": " + Reader.Error,
                  beEngineFailed);
    const Text kind = static_cast<Text>(static_cast<int>(Text::Slope) + k);
    Out << Tr(Language, Text::Distance) << " (" << Tr(Language, kind) << ") " << NumToText(d.From) << " - "
        << NumToText(d.To) << ": " << distText << ", " << Tr(Language, Text::StdDev) << " " << sigmaText << "\n";
  }
  return kNextStep;
}

// Requested relative precisions, as the results window's Calculate shows
// them.
int BatchRun::PrintRelativePrecisions() {
  if (Opts.Relatives.empty())
    return kNextStep;
  Out << "\n";
  const NetworkPrecision &precision = *Results->Precision;
  for (const auto &r : Opts.Relatives) {
    RelativeFigures figures;
    if (!ComputeRelativeFigures(precision, r.From, r.To, r.HasBearing, r.BearingGon, figures))
      return Fail("--relative " + r.FromText + " " + r.ToText +
                      ": no adjusted coordinates of these points in the results",
                  beEngineFailed);
    Out << RelativePrecisionLine(Language, r.From, r.To, figures) << "\n";
  }
  return kNextStep;
}

// The measurement plan with the precision of the run, drawn to every --plot
// file. A missing observation table only leaves the reliability colours out.
int BatchRun::WritePlots() {
  if (Opts.PlotFiles.empty())
    return kNextStep;
  if (!Results->ObservationError.empty())
    Err << kBatchProgramName << ": warning: no reliability in the plot: " << Results->ObservationError
        << "\n";
  const NetworkPrecision &precision = *Results->Precision;
  PlotOptions plot;
  plot.Level = Opts.PlotPercent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
  plot.Magnification = Opts.PlotMagnification;
  plot.ShowRelativeEllipses = Opts.PlotRelative;
  plot.Axes = Opts.PlotAxesXRight ? PlotAxes::XRightYDown : PlotAxes::XUpYRight;
  plot.ToleranceSemiMajorMm = Opts.ToleranceSemiMajorMm;
  plot.ToleranceSigmaZMm = Opts.ToleranceSigmaZMm;
  for (const std::string &file : Opts.PlotFiles) {
    if (InterruptedNow())
      return kNextStep;
    std::string plotError;
    if (!WritePlot(file, Opts.PlotWidth, Opts.PlotHeight, Net, &precision, plot, plotError)) {
      if (InterruptedNow())
        return kNextStep; // nothing written; the run ends as interrupted
      Err << kBatchProgramName << ": " << plotError << "\n";
      OutputFailed = true;
    }
  }
  return kNextStep;
}

// The pre-analysis reports. The observation table is optional: without it
// a report has no reliability figures.
int BatchRun::WriteReports() {
  if (Opts.ReportFiles.empty())
    return kNextStep;
  if (!Results->ObservationError.empty())
    Err << kBatchProgramName << ": no observation reliability in the report: "
        << Results->ObservationError << "\n";
  ReportOptions ro;
  ro.NetworkName = fs::path(Opts.CoordFile).filename().string();
  ro.Date = BatchReportDate();
  ro.Title = Opts.ReportTitle;
  ro.Author = Opts.ReportAuthor;
  ro.Confidence = Opts.Confidence95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
  ro.Tolerance.Horizontal = Opts.ToleranceSemiMajorMm;
  ro.Tolerance.Vertical = Opts.ToleranceSigmaZMm;
  for (const auto &d : Opts.Distances)
    ro.Relatives.push_back(ReportPair{d.From, d.To, static_cast<int>(d.Kind), false, 0});
  for (const auto &rel : Opts.Relatives)
    ro.Relatives.push_back(ReportPair{rel.From, rel.To, -1, rel.HasBearing, rel.BearingGon});
  ReportData data = GatherReport(Net, Reader, Results->Observations, ro);
  data.Design = DesignReport;
  for (const std::string &w : data.Warnings)
    Err << kBatchProgramName << ": " << w << "\n";
  for (const std::string &file : Opts.ReportFiles) {
    if (InterruptedNow())
      return kNextStep;
    std::string reportError;
    if (!WriteReport(Language, data, file, reportError)) {
      if (InterruptedNow())
        return kNextStep; // nothing written; the run ends as interrupted
      Err << kBatchProgramName << ": " << reportError << "\n";
      OutputFailed = true;
    } else {
      Out << "Report written: " << file << "\n";
    }
  }
  return kNextStep;
}

// The DXF drawing and the points CSV may replace neither an input, nor
// another output, nor a file of the run.
int BatchRun::CheckExports() {
  std::vector<std::string> outputs = {Opts.TableFile, Opts.CovFile, Files.Input, Files.Protocol,
                                      Files.Results, Files.ObservationTable};
  outputs.insert(outputs.end(), Opts.PlotFiles.begin(), Opts.PlotFiles.end());
  outputs.insert(outputs.end(), Opts.ReportFiles.begin(), Opts.ReportFiles.end());
  outputs.push_back(Opts.Design.OptimiseFile);
  std::vector<std::string> inputs = {Opts.CoordFile, Opts.MeasFile};
  for (const std::string *in :
       {&Opts.Design.RequireFile, &Opts.Design.CandidatesFile, &Opts.Design.ExcludeFile})
    if (!in->empty())
      inputs.push_back(*in);
  std::string error;
  if (!CheckExportRequests(Opts, inputs, outputs, error))
    return Fail(error, beBadInput);
  return kNextStep;
}

// The precision of the run as a DXF drawing and as a points table. A
// missing observation table only leaves the reliability colours out.
int BatchRun::WriteExportFiles() {
  if (Opts.DxfFile.empty() && Opts.PointsCsvFile.empty())
    return kNextStep;
  if (!Opts.DxfFile.empty() && !Results->ObservationError.empty())
    Err << kBatchProgramName << ": warning: no reliability in the DXF drawing: "
        << Results->ObservationError << "\n";
  if (!WriteExports(Opts, Net, *Results->Precision, Out, Err))
    OutputFailed = true;
  return kNextStep;
}

int BatchRun::PrepareDesign() { return PrepareDesignStep(Opts, Design, Err); }

// The engine document is the one the run evaluated.
int BatchRun::RunDesign() {
  if (!Opts.Design.Requested())
    return kNextStep;
  DesignExit = RunDesignStep(Opts, Design, Net, kd::JoinLinesCrLf(Net.Document), Out, Err,
                             [this] { return Interrupted && *Interrupted != 0; }, &DesignReport);
  return DesignExit == beBadInput || DesignExit == beInterrupted ? DesignExit : kNextStep;
}

int BatchRun::SaveOutputs() {
  int code = OutputFailed ? beBadInput : DesignExit;
  if (!Opts.TableFile.empty() && !Reader.SaveTable(Opts.TableFile)) {
    Err << kBatchProgramName << ": cannot write the table file " << Opts.TableFile << "\n";
    code = beBadInput;
  }
  if (!Opts.CovFile.empty() && !Reader.SaveCov(Opts.CovFile)) {
    Err << kBatchProgramName << ": cannot write the covariance file " << Opts.CovFile << "\n";
    code = beBadInput;
  }
  return code;
}

} // namespace

int RunBatch(const BatchOptions &opts, const std::string &programPath, std::ostream &out,
             std::ostream &err, const volatile std::sig_atomic_t *interrupted) {
  // Inputs named without a folder may be the installed sample network.
  const kd::AppFolders folders = kd::AppFolders::ForProgram(programPath);
  BatchOptions resolved = opts;
  resolved.CoordFile = InputPath(opts.CoordFile, folders);
  resolved.MeasFile = InputPath(opts.MeasFile, folders);
  BatchRun run(resolved, programPath, out, err, interrupted);
  using Step = int (BatchRun::*)();
  for (const Step step :
       {&BatchRun::CheckOutputFiles, &BatchRun::LoadCoordinates, &BatchRun::LoadMeasurements,
        &BatchRun::CheckDistanceRequests, &BatchRun::CheckRelativeRequests,
        &BatchRun::PrepareDesign, &BatchRun::PrepareWorkFolder, &BatchRun::CheckExports,
        &BatchRun::CheckStandardDeviations, &BatchRun::EndOnWarningsWhenStrict,
        &BatchRun::WriteEngineInput, &BatchRun::RunEngine, &BatchRun::ReadEngineResults,
        &BatchRun::PrintDistances, &BatchRun::PrintRelativePrecisions, &BatchRun::RunDesign,
        &BatchRun::WritePlots, &BatchRun::WriteReports, &BatchRun::WriteExportFiles,
        &BatchRun::SaveOutputs}) {
    // An interrupt ends the run at any stage; a writer it stopped has left
    // no file.
    if (interrupted && *interrupted)
      return run.Interrupt();
    const int code = (run.*step)();
    if (interrupted && *interrupted)
      return code == beInterrupted ? code : run.Interrupt();
    if (code != kNextStep)
      return code;
  }
  return beOk;
}
