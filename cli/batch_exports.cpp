#include "cli/batch_exports.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "core/survey_network.h"
#include "evaluation/network_precision.h"
#include "evaluation/points_csv.h"
#include "plot/precision_dxf.h"

namespace fs = std::filesystem;

namespace {

// The same file, whether or not it exists yet.
bool SameFile(const std::string &a, const std::string &b) {
  std::error_code ec1, ec2;
  const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
  const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
  if (ec1 || ec2)
    return a == b;
  return pa == pb;
}

bool FolderOfExists(const std::string &file) {
  std::error_code ec;
  const fs::path parent = fs::absolute(file, ec).parent_path();
  return !ec && fs::is_directory(parent, ec);
}

PlotOptions DxfPlotOptions(const BatchOptions &opts) {
  PlotOptions plot;
  plot.Level = opts.PlotPercent95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
  plot.Magnification = opts.PlotMagnification;
  plot.ShowRelativeEllipses = opts.PlotRelative;
  plot.ToleranceSemiMajorMm = opts.ToleranceSemiMajorMm;
  plot.ToleranceSigmaZMm = opts.ToleranceSigmaZMm;
  return plot;
}

} // namespace

bool ParseExportOption(const std::string &name, bool inlineValue, const std::string &value,
                       const std::vector<std::string> &args, std::size_t &i, BatchOptions &opts,
                       bool &handled, std::string &error) {
  handled = name == "--dxf" || name == "--dxf-axes" || name == "--points-csv";
  if (!handled)
    return true;
  std::string v = value;
  if (!inlineValue) {
    if (i + 1 >= args.size()) {
      error = "option " + name + " needs a value";
      return false;
    }
    v = args[++i];
  }
  if (v.empty()) {
    error = "option " + name + " needs a value";
    return false;
  }
  if (name == "--dxf-axes") {
    if (v != "xy" && v != "yx") {
      error = "option --dxf-axes takes xy or yx, not '" + v + "'";
      return false;
    }
    opts.DxfAxesXY = v == "xy";
    return true;
  }
  std::string &file = name == "--dxf" ? opts.DxfFile : opts.PointsCsvFile;
  if (!file.empty()) {
    error = "option " + name + " given twice";
    return false;
  }
  const bool dxf = name == "--dxf";
  if (dxf ? !IsDxfFileName(v) : !IsCsvFileName(v)) {
    error = name + ": cannot tell the format of '" + v + "' (the name must end in " +
            (dxf ? ".dxf" : ".csv") + ")";
    return false;
  }
  file = v;
  return true;
}

std::string ExportUsage() {
  return "  --dxf FILE             write the measurement plan with the error ellipses,\n"
         "                         height bars, reliability colours and tolerances as a\n"
         "                         DXF drawing (AutoCAD 2004) in metres, one layer per\n"
         "                         kind of content; ellipses as with --plot\n"
         "  --dxf-axes yx|xy       yx (default): CAD x = Y, CAD y = X, north-up when X\n"
         "                         points north; xy: CAD x = X, CAD y = Y\n"
         "  --points-csv FILE      save every point with X, Y, Z, fixed/adjusted, its\n"
         "                         standard deviations and horizontal error ellipse at\n"
         "                         the --confidence level as CSV (UTF-8, RFC 4180)\n";
}

bool CheckExportRequests(const BatchOptions &opts, const std::vector<std::string> &inputs,
                         const std::vector<std::string> &outputs, std::string &error) {
  const std::pair<const char *, const std::string *> exports[] = {
      {"--dxf", &opts.DxfFile}, {"--points-csv", &opts.PointsCsvFile}};
  for (const auto &[option, file] : exports) {
    if (file->empty())
      continue;
    const std::string what = std::string(option) + " " + *file;
    for (const std::string &in : inputs)
      if (SameFile(*file, in)) {
        error = "the output file " + *file + " is one of the input files";
        return false;
      }
    if (!FolderOfExists(*file)) {
      error = "the folder of the output file " + *file + " does not exist";
      return false;
    }
    for (const std::string &out : outputs)
      if (!out.empty() && SameFile(*file, out)) {
        error = what + " names the same file as another output (" + out + ")";
        return false;
      }
  }
  if (!opts.DxfFile.empty() && !opts.PointsCsvFile.empty() &&
      SameFile(opts.DxfFile, opts.PointsCsvFile)) {
    error = "--dxf and --points-csv name the same file";
    return false;
  }
  return true;
}

bool WriteExports(const BatchOptions &opts, const SurveyNetwork &network,
                  const NetworkPrecision &precision, std::ostream &out, std::ostream &err) {
  bool ok = true;
  std::string error;
  if (!opts.DxfFile.empty()) {
    DxfOptions dxf;
    dxf.Axes = opts.DxfAxesXY ? DxfAxes::XY : DxfAxes::YX;
    dxf.ReferenceWidth = opts.PlotWidth;
    dxf.ReferenceHeight = opts.PlotHeight;
    if (WritePrecisionDxf(opts.DxfFile, network, &precision, DxfPlotOptions(opts), dxf, error)) {
      out << "DXF written: " << opts.DxfFile << "\n";
    } else {
      err << kBatchProgramName << ": " << error << "\n";
      ok = false;
    }
  }
  if (!opts.PointsCsvFile.empty()) {
    const ConfidenceLevel level =
        opts.Confidence95 ? ConfidenceLevel::Percent95 : ConfidenceLevel::Standard;
    if (WritePointsCsv(opts.PointsCsvFile, network.Points.List, precision, level, error)) {
      out << "Points written: " << opts.PointsCsvFile << "\n";
    } else {
      err << kBatchProgramName << ": " << error << "\n";
      ok = false;
    }
  }
  return ok;
}
