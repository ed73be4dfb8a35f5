#include "cli/batch_run.h"

#include "core/survey_network.h"
#include "core/number_text.h"
#include "core/text_file.h"
#include "engine/evaluation.h"
#include "engine/network_precision.h"
#include "engine/observation_table.h"
#include "engine/report_data.h"
#include "engine/results_reader.h"
#include "engine/run_precision.h"
#include "plot/precision_plan.h"
#include "report/report_writer.h"
#include "settings/language_pack.h"
#include "settings/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <ctime>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Number of characters of a UTF-8 text (continuation bytes not counted).
size_t Utf8Length(const std::string &s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80)
      ++n;
  return n;
}

// The same file, whether or not it exists yet.
bool SamePath(const std::string &a, const std::string &b) {
  std::error_code ec1, ec2;
  const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
  const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
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

// The desktop program's settings file beside the program gives the Sc/Svp
// mode (unless the command line names one) and the language, as at the
// desktop program's start. A missing file leaves mode 1 and English; a
// damaged one gives all defaults.
void ApplyDesktopSettings(const std::string &programFolder, int commandLineMode,
                          PointSet &points) {
  const std::string path =
      programFolder.empty() ? kDesktopSettingsName : programFolder + "/" + kDesktopSettingsName;
  std::string packFile;
  IniFile ini;
  if (ini.LoadSettings(points, packFile, path) != SettingsLoad::Missing)
    LoadStartupPack(Lang(), programFolder, packFile);
  if (commandLineMode >= 0)
    points.ScSvpMode = static_cast<std::uint8_t>(commandLineMode);
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

int RunBatch(const BatchOptions &opts, const std::string &programPath, std::ostream &out,
             std::ostream &err, const volatile std::sig_atomic_t *interrupted) {
  const std::string programFolder = kd::DirectoryOf(programPath);
  auto fail = [&](const std::string &message, int code) {
    err << kBatchProgramName << ": " << message << "\n";
    return code;
  };

  // Outputs must never overwrite the inputs, nor each other.
  std::vector<const std::string *> outputs = {&opts.TableFile, &opts.CovFile};
  for (const std::string &plot : opts.PlotFiles)
    outputs.push_back(&plot);
  for (const std::string *o : outputs) {
    if (o->empty())
      continue;
    if (SamePath(*o, opts.CoordFile) || SamePath(*o, opts.MeasFile))
      return fail("the output file " + *o + " is one of the input files", beBadInput);
    if (!OutputFolderExists(*o))
      return fail("the folder of the output file " + *o + " does not exist", beBadInput);
  }
  if (!opts.TableFile.empty() && !opts.CovFile.empty() && SamePath(opts.TableFile, opts.CovFile))
    return fail("--table and --cov name the same file", beBadInput);
  for (std::size_t i = 0; i < opts.ReportFiles.size(); ++i) {
    const std::string &r = opts.ReportFiles[i];
    ReportFormat format;
    std::string formatError;
    if (!ReportFormatOf(r, format, formatError))
      return fail(formatError, beBadInput);
    if (SamePath(r, opts.CoordFile) || SamePath(r, opts.MeasFile))
      return fail("the output file " + r + " is one of the input files", beBadInput);
    if (!OutputFolderExists(r))
      return fail("the folder of the output file " + r + " does not exist", beBadInput);
    for (const std::string *o : {&opts.TableFile, &opts.CovFile})
      if (!o->empty() && SamePath(r, *o))
        return fail("--report " + r + " names the same file as --table or --cov", beBadInput);
    for (std::size_t j = 0; j < i; ++j)
      if (SamePath(r, opts.ReportFiles[j]))
        return fail("--report " + r + " is given twice", beBadInput);
  }

  SurveyNetwork net;
  ApplyDesktopSettings(programFolder, opts.Mode, net.Points);
  const int mode = net.Points.ScSvpMode;
  const WarningCallback warn = [&err](const std::string &text) { err << text << "\n"; };

  // Coordinates.
  {
    std::string probe;
    if (!kd::ReadFileBytes(opts.CoordFile, probe))
      return fail("cannot read the coordinate file " + opts.CoordFile, beBadInput);
  }
  const int pointCount = opts.Simple ? net.Points.List.LoadSimple(opts.CoordFile)
                                     : net.Points.List.LoadFull(opts.CoordFile);
  if (pointCount < 2) {
    err << Lang().Text(12) << "\n";
    return fail("the coordinate file " + opts.CoordFile + " holds " + std::to_string(pointCount) +
                    " point(s)",
                beBadInput);
  }
  out << Lang().Text(13) << pointCount << "\n";

  // Measurements.
  net.Measurements.LoadFromFile(opts.MeasFile);
  if (net.Measurements.LoadResult == MeasurementList::lfCannotRead)
    return fail("cannot read the measurement file " + opts.MeasFile, beBadInput);
  if (net.Measurements.LoadResult == MeasurementList::lfFormatError)
    return fail("the measurement file " + opts.MeasFile + " has a faulty number on line " +
                    std::to_string(net.Measurements.LoadErrorLine),
                beBadInput);
  const int before = net.Measurements.Count();
  const bool dropped = net.CheckConsistency(true, warn);
  const int after = net.Measurements.Count();
  {
    std::string line = Lang().Text(16) + std::to_string(after);
    if (dropped)
      line += " " + Lang().Text(17) + " (" + std::to_string(before - after) + ").";
    out << line << "\n";
  }

  // Requested distances need adjusted points of the network.
  for (const auto &d : opts.Distances) {
    for (const auto *num : {&d.From, &d.To}) {
      const std::string &text = num == &d.From ? d.FromText : d.ToText;
      NetworkPoint p;
      if (!net.Points.List.FindByNumber(*num, p))
        return fail("--distance: point " + text + " is not in the coordinate file", beBadInput);
      if (p.Fixed)
        return fail("--distance: point " + text +
                        " is fixed; distances are computed between adjusted points",
                    beBadInput);
    }
  }

  for (const auto &rel : opts.Relatives)
    for (const auto &[number, text] : {std::pair{rel.From, &rel.FromText}, std::pair{rel.To, &rel.ToText}}) {
      NetworkPoint p;
      if (!net.Points.List.FindByNumber(number, p))
        return fail("--relative: point " + *text + " is not in the coordinate file", beBadInput);
    }

  // The folder of the run.
  WorkFolder work;
  std::string error;
  if (opts.WorkDir.empty() ? !work.MakeTemporary(error) : !work.UseFolder(opts.WorkDir, error))
    return fail(error, beBadInput);
  const EngineRunFiles files = RunFilesInFolder(work.Path(), "network");
  for (const std::string *f : {&files.Input, &files.Protocol, &files.Results})
    for (const std::string *in : {&opts.CoordFile, &opts.MeasFile})
      if (SamePath(*f, *in))
        return fail("the input file " + *in + " lies where the run writes " + *f, beBadInput);

  // The evaluation's own checks.
  const EvaluationCheck check = CheckBeforeEvaluation(net, warn);
  if (check.TooSmall) {
    err << Lang().Text(19) << "\n";
    out << Lang().Text(20) << "\n";
    return beBadInput;
  }
  if (!DeleteOutputs(files))
    return fail("cannot delete the old outputs in " + work.Path(), beBadInput);
  net.Measurements.Sort();

  if (!net.WriteEngineInput(files.Input)) {
    out << Lang().Text(20) << "\n";
    if (net.LastWriteFailure.Valid)
      return fail("the measurement " + FailedMeasurementText(net.LastWriteFailure) +
                      " cannot be evaluated",
                  beBadInput);
    return fail("cannot write the engine input " + files.Input, beBadInput);
  }

  const std::string engine = EnginePathFor(programPath);
  if (access(engine.c_str(), X_OK) != 0) {
    out << Lang().Text(20) << "\n";
    return fail("the engine " + engine + " is missing or cannot be run", beEngineFailed);
  }
  if (interrupted && *interrupted)
    return fail("interrupted", beInterrupted);
  out << StartedStatusText(check.Dropped) << "\n";

  EnginePoll poll;
  const RunOutcome run = RunEngineAndWait(
      engine, files, poll,
      [&out](const std::string &text) { out << text << "\n" << std::flush; },
      [interrupted] { return interrupted && *interrupted != 0; });
  if (run.Interrupted)
    return fail("interrupted", beInterrupted);
  if (!run.Complete) {
    err << kBatchProgramName << ": " << run.Error << "\n";
    PrintProtocol(files.Protocol, err);
    return beEngineFailed;
  }

  // Results, with the whole-network centring in mode 2.
  ResultsReader reader;
  TextGrid grid;
  std::vector<std::string> chooser1, chooser2;
  switch (ReadResults(reader, files.Results, mode, net.Points.List, grid, chooser1, chooser2)) {
  case ResultsOutcome::Shown:
    break;
  case ResultsOutcome::Not3d:
    err << Lang().Text(23) << "\n";
    [[fallthrough]];
  case ResultsOutcome::LoadFailed:
  case ResultsOutcome::TableFailed:
    err << kBatchProgramName << ": cannot use the results " << files.Results << ": "
        << reader.Error << "\n";
    PrintProtocol(files.Protocol, err);
    return beEngineFailed;
  }

  out << "\n";
  for (const auto &line : FormatAlignedTable(grid))
    out << line << "\n";

  // Requested distances, as the results window's Calculate shows them.
  if (!opts.Distances.empty())
    out << "\n";
  for (const auto &d : opts.Distances) {
    const int f = reader.Results.IndexOfNumber(d.From);
    const int t = reader.Results.IndexOfNumber(d.To);
    if (f < 0 || t < 0)
      return fail("--distance: point " + (f < 0 ? d.FromText : d.ToText) +
                      " has no adjusted coordinates in the results",
                  beEngineFailed);
    const int k = static_cast<int>(d.Kind);
    std::string distText, sigmaText;
    if (!reader.CalculateDistance(f, t, k, distText, sigmaText))
      return fail("--distance " + d.FromText + " " + d.ToText + " " + d.KindText + ": " +
                      reader.Error,
                  beEngineFailed);
    out << Lang().Text(60) << " (" << Lang().Text(64 + k) << ") " << NumToText(d.From) << " - "
        << NumToText(d.To) << ": " << distText << ", " << Lang().Text(61) << " " << sigmaText
        << "\n";
  }

  int code = beOk;
  if (!opts.PlotFiles.empty()) {
    std::string tableError;
    std::vector<ObservationRow> rows;
    if (!ReadObservationTable(ObservationTableFile(files), rows, tableError)) {
      rows.clear();
      err << kBatchProgramName << ": warning: no reliability in the plot: " << tableError << "\n";
    }
    const NetworkPrecision precision = BuildNetworkPrecision(reader, rows);
    PlotOptions plot;
    plot.Level = opts.PlotPercent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
    plot.Magnification = opts.PlotMagnification;
    plot.ShowRelativeEllipses = opts.PlotRelative;
    for (const std::string &file : opts.PlotFiles) {
      std::string plotError;
      if (!WritePlot(file, opts.PlotWidth, opts.PlotHeight, net, &precision, plot, plotError)) {
        err << kBatchProgramName << ": " << plotError << "\n";
        code = beBadInput;
      }
    }
  }
  if (!opts.TableFile.empty() && !reader.SaveTable(opts.TableFile)) {
    err << kBatchProgramName << ": cannot write the table file " << opts.TableFile << "\n";
    code = beBadInput;
  }
  if (!opts.CovFile.empty() && !reader.SaveCov(opts.CovFile)) {
    err << kBatchProgramName << ": cannot write the covariance file " << opts.CovFile << "\n";
    code = beBadInput;
  }
  if (!opts.ReportFiles.empty()) {
    // The observation table is optional: without it the report has no
    // reliability figures.
    std::vector<ObservationRow> rows;
    std::string tableError;
    if (!ReadObservationTable(files.Prefix + "obs.csv", rows, tableError))
      err << kBatchProgramName << ": no observation reliability in the report: " << tableError << "\n";
    ReportOptions ro;
    ro.NetworkName = fs::path(opts.CoordFile).filename().string();
    ro.Date = BatchReportDate();
    ro.Confidence = opts.Confidence95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
    for (const auto &d : opts.Distances)
      ro.Relatives.push_back({d.From, d.To, static_cast<int>(d.Kind)});
    for (const auto &rel : opts.Relatives)
      ro.Relatives.push_back({rel.From, rel.To, -1});
    const ReportData data = GatherReport(net, reader, grid, rows, ro);
    for (const std::string &w : data.Warnings)
      err << kBatchProgramName << ": " << w << "\n";
    for (const std::string &file : opts.ReportFiles) {
      std::string reportError;
      if (!WriteReport(data, file, reportError)) {
        err << kBatchProgramName << ": " << reportError << "\n";
        code = beBadInput;
      } else {
        out << "Report written: " << file << "\n";
      }
    }
  }
  return code;
}
