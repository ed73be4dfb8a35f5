#include "cli/batch_options.h"
#include "cli/batch_exports.h"

#include <cstdlib>

#include "core/text_file.h"
#include "core/number_text.h"
#include "evaluation/relative_figures.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// Options that take a value accept it as the next argument or after "=".
bool SplitInlineValue(const std::string &arg, std::string &name, std::string &value) {
  const auto eq = arg.find('=');
  if (arg.rfind("--", 0) != 0 || eq == std::string::npos) {
    name = arg;
    return false;
  }
  name = arg.substr(0, eq);
  value = arg.substr(eq + 1);
  return true;
}

// True for an argument written as a number, also one that is no usable
// value ("nan", "inf", "1e400"): such an argument after --relative's points
// is meant as the bearing, never as a file name.
bool WrittenAsNumber(const std::string &text) {
  long double v = 0;
  if (TryTextToNum(text, v))
    return true;
  if (text.empty())
    return false;
  char *end = nullptr;
  (void)std::strtold(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

bool HasExtension(const std::string &file, const std::string &ext) { return kd::HasFileExtension(file, ext); }

bool ParsePointNumber(const std::string &text, double &number) {
  long double v = 0;
  if (text.empty() || !TryTextToNum(text, v) || !std::isfinite(v))
    return false;
  number = static_cast<double>(v);
  return true;
}

// The registry of options that write files: the option and the files it
// names in the options.
struct OutputOption {
  const char *Option;
  std::vector<std::string> (*Files)(const BatchOptions &opts);
};

std::vector<std::string> OneFile(const std::string &file) {
  return file.empty() ? std::vector<std::string>{} : std::vector<std::string>{file};
}

const OutputOption kOutputOptions[] = {
    {"--table", [](const BatchOptions &o) { return OneFile(o.TableFile); }},
    {"--cov", [](const BatchOptions &o) { return OneFile(o.CovFile); }},
    {"--plot", [](const BatchOptions &o) { return o.PlotFiles; }},
    {"--report", [](const BatchOptions &o) { return o.ReportFiles; }},
    {"--dxf", [](const BatchOptions &o) { return OneFile(o.DxfFile); }},
    {"--points-csv", [](const BatchOptions &o) { return OneFile(o.PointsCsvFile); }},
    {"--optimise", [](const BatchOptions &o) { return OneFile(o.Design.OptimiseFile); }},
};

} // namespace

std::vector<OutputFile> OutputFilesOf(const BatchOptions &opts) {
  std::vector<OutputFile> files;
  for (const OutputOption &option : kOutputOptions)
    for (const std::string &file : option.Files(opts))
      files.push_back({option.Option, file});
  return files;
}

ParseOutcome ParseBatchOptions(const std::vector<std::string> &args, BatchOptions &opts,
                                std::string &error) {
  opts = BatchOptions{};
  error.clear();
  std::vector<std::string> positional;
  bool modeSeen = false;
  bool plotSizeSeen = false;
  bool optionsEnded = false;

  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h")
      return ParseOutcome::Help;
    if (arg == "--simple") {
      opts.Simple = true;
      continue;
    }

    std::string name, value;
    const bool inlineValue = SplitInlineValue(arg, name, value);
    // Fetches the value of a one-value option.
    auto takeValue = [&](std::string &out) -> bool {
      if (inlineValue) {
        out = value;
      } else {
        if (i + 1 >= args.size()) {
          error = "option " + name + " needs a value";
          return false;
        }
        out = args[++i];
      }
      if (out.empty()) {
        error = "option " + name + " needs a value";
        return false;
      }
      return true;
    };
    auto once = [&](bool seen) -> bool {
      if (seen)
        error = "option " + name + " given twice";
      return !seen;
    };

    if (name == "--mode") {
      std::string v;
      if (!once(modeSeen) || !takeValue(v))
        return ParseOutcome::Error;
      if (v != "0" && v != "1" && v != "2") {
        error = "option --mode takes 0, 1 or 2, not '" + v + "'";
        return ParseOutcome::Error;
      }
      opts.Mode = v[0] - '0';
      modeSeen = true;
    } else if (name == "--workdir") {
      if (!once(!opts.WorkDir.empty()) || !takeValue(opts.WorkDir))
        return ParseOutcome::Error;
    } else if (name == "--table") {
      if (!once(!opts.TableFile.empty()) || !takeValue(opts.TableFile))
        return ParseOutcome::Error;
    } else if (name == "--cov") {
      if (!once(!opts.CovFile.empty()) || !takeValue(opts.CovFile))
        return ParseOutcome::Error;
    } else if (name == "--timeout") {
      std::string v;
      if (!once(opts.TimeoutSeconds > 0) || !takeValue(v))
        return ParseOutcome::Error;
      char *end = nullptr;
      const double seconds = std::strtod(v.c_str(), &end);
      if (end == v.c_str() || *end != '\0' || !(seconds > 0) || seconds > 1e9) {
        error = "option --timeout takes a positive number of seconds, not '" + v + "'";
        return ParseOutcome::Error;
      }
      // The limit is kept in milliseconds: a shorter one would mean none.
      if (seconds < kMinTimeoutSeconds) {
        error = "option --timeout takes at least 0.001 seconds, not '" + v + "'";
        return ParseOutcome::Error;
      }
      opts.TimeoutSeconds = seconds;
    } else if (name == "--strict" && !inlineValue) {
      opts.Strict = true;
    } else if (name == "--plot") {
      std::string file;
      if (!takeValue(file))
        return ParseOutcome::Error;
      if (!HasExtension(file, "png") && !HasExtension(file, "svg") && !HasExtension(file, "pdf")) {
        error = "--plot: cannot tell the format of '" + file +
                "' (the name must end in .png, .svg or .pdf)";
        return ParseOutcome::Error;
      }
      opts.PlotFiles.push_back(file);
    } else if (name == "--plot-size" && !inlineValue) {
      if (!once(plotSizeSeen))
        return ParseOutcome::Error;
      if (i + 2 >= args.size()) {
        error = "option --plot-size needs two values: WIDTH HEIGHT";
        return ParseOutcome::Error;
      }
      int *dims[] = {&opts.PlotWidth, &opts.PlotHeight};
      for (int k = 0; k < 2; ++k) {
        const std::string &v = args[i + 1 + k];
        char *end = nullptr;
        const long n = std::strtol(v.c_str(), &end, 10);
        if (v.empty() || *end != '\0' || n < 100 || n > 20000) {
          error = "--plot-size: '" + v + "' is not a size from 100 to 20000 pixels";
          return ParseOutcome::Error;
        }
        *dims[k] = static_cast<int>(n);
      }
      i += 2;
      plotSizeSeen = true;
    } else if (name == "--plot-level") {
      std::string v;
      if (!takeValue(v))
        return ParseOutcome::Error;
      if (v != "standard" && v != "95") {
        error = "option --plot-level takes standard or 95, not '" + v + "'";
        return ParseOutcome::Error;
      }
      opts.PlotPercent95 = v == "95";
    } else if (name == "--plot-magnification") {
      std::string v;
      if (!takeValue(v))
        return ParseOutcome::Error;
      long double m = 0;
      if (!TryTextToNum(v, m) || !std::isfinite(m) || m <= 0) {
        error = "--plot-magnification: '" + v + "' is not a positive number";
        return ParseOutcome::Error;
      }
      opts.PlotMagnification = static_cast<double>(m);
    } else if (name == "--plot-relative" && !inlineValue) {
      opts.PlotRelative = true;
    } else if (name == "--plot-axes") {
      std::string v;
      if (!takeValue(v))
        return ParseOutcome::Error;
      if (v != "x-up" && v != "x-right") {
        error = "option --plot-axes takes x-up or x-right, not '" + v + "'";
        return ParseOutcome::Error;
      }
      opts.PlotAxesXRight = v == "x-right";
    } else if (name == "--title" || name == "--author") {
      std::string v;
      if (!takeValue(v))
        return ParseOutcome::Error;
      if (v.size() > 200 || v.find_first_of("\r\n") != std::string::npos) {
        error = "option " + name + " takes one line of at most 200 characters";
        return ParseOutcome::Error;
      }
      (name == "--title" ? opts.ReportTitle : opts.ReportAuthor) = v;
    } else if (name == "--report") {
      std::string file;
      if (!takeValue(file))
        return ParseOutcome::Error;
      opts.ReportFiles.push_back(file);
    } else if (name == "--confidence") {
      std::string v;
      if (!takeValue(v))
        return ParseOutcome::Error;
      if (v != "standard" && v != "95") {
        error = "option --confidence takes standard or 95, not '" + v + "'";
        return ParseOutcome::Error;
      }
      opts.Confidence95 = v == "95";
    } else if (name == "--tolerance" && !inlineValue) {
      // Largest allowed semi-major axis and height standard deviation (mm)
      // of the points; 0 leaves a limit unset.
      if (i + 2 >= args.size()) {
        error = "option --tolerance needs two values: A_MM SZ_MM";
        return ParseOutcome::Error;
      }
      double *limits[] = {&opts.ToleranceSemiMajorMm, &opts.ToleranceSigmaZMm};
      for (int k = 0; k < 2; ++k) {
        const std::string &v = args[i + 1 + k];
        long double mm = 0;
        if (!TryTextToNum(v, mm) || !std::isfinite(mm) || mm < 0 || mm > 1e6) {
          error = "--tolerance: '" + v + "' is not a number of millimetres (0 for none)";
          return ParseOutcome::Error;
        }
        *limits[k] = static_cast<double>(mm);
      }
      i += 2;
    } else if (name == "--distance" && !inlineValue) {
      if (i + 3 >= args.size()) {
        error = "option --distance needs three values: FROM TO slope|horizontal|vertical";
        return ParseOutcome::Error;
      }
      DistanceRequest r;
      r.FromText = args[i + 1];
      r.ToText = args[i + 2];
      r.KindText = args[i + 3];
      i += 3;
      if (!ParsePointNumber(r.FromText, r.From)) {
        error = "--distance: '" + r.FromText + "' is not a point number";
        return ParseOutcome::Error;
      }
      if (!ParsePointNumber(r.ToText, r.To)) {
        error = "--distance: '" + r.ToText + "' is not a point number";
        return ParseOutcome::Error;
      }
      if (r.From == r.To) {
        error = "--distance: FROM and TO are the same point " + r.FromText;
        return ParseOutcome::Error;
      }
      if (r.KindText == "slope")
        r.Kind = DistanceKind::Slope;
      else if (r.KindText == "horizontal")
        r.Kind = DistanceKind::Horizontal;
      else if (r.KindText == "vertical")
        r.Kind = DistanceKind::Vertical;
      else {
        error = "--distance: the kind must be slope, horizontal or vertical, not '" +
                r.KindText + "'";
        return ParseOutcome::Error;
      }
      opts.Distances.push_back(r);
    } else if (name == "--relative" && !inlineValue) {
      if (i + 2 >= args.size()) {
        error = "option --relative needs two points: FROM TO [BEARING_GON]";
        return ParseOutcome::Error;
      }
      RelativeRequest r;
      r.FromText = args[i + 1];
      r.ToText = args[i + 2];
      i += 2;
      if (!ParsePointNumber(r.FromText, r.From)) {
        error = "--relative: '" + r.FromText + "' is not a point number";
        return ParseOutcome::Error;
      }
      if (!ParsePointNumber(r.ToText, r.To)) {
        error = "--relative: '" + r.ToText + "' is not a point number";
        return ParseOutcome::Error;
      }
      if (r.From == r.To) {
        error = "--relative: FROM and TO are the same point " + r.FromText;
        return ParseOutcome::Error;
      }
      // The bearing is optional: the next argument is taken as one when it
      // is a number (file names after "--" never are).
      long double bearing = 0;
      if (i + 1 < args.size() && WrittenAsNumber(args[i + 1])) {
        if (!ParseBearingGon(args[i + 1], bearing)) {
          error = "--relative: bad bearing '" + args[i + 1] +
                  "': a bearing is a finite number of gons from -4000 to 4000";
          return ParseOutcome::Error;
        }
        r.HasBearing = true;
        r.BearingGon = bearing;
        r.BearingText = args[++i];
      }
      opts.Relatives.push_back(r);
    } else if (const int design = ParseDesignOption(args, i, opts.Design, error); design != 0) {
      if (design < 0)
        return ParseOutcome::Error;
    } else {
      bool handled = false;
      if (!ParseExportOption(name, inlineValue, value, args, i, opts, handled, error))
        return ParseOutcome::Error;
      if (handled)
        continue;
      error = "unknown option '" + arg + "'";
      return ParseOutcome::Error;
    }
  }

  // A raster drawing is held in memory whole: bound its size.
  const long long pixels = static_cast<long long>(opts.PlotWidth) * opts.PlotHeight;
  for (const std::string &file : opts.PlotFiles) {
    if (!HasExtension(file, "png") || pixels <= kMaxRasterPlotPixels)
      continue;
    error = "--plot-size " + std::to_string(opts.PlotWidth) + " " + std::to_string(opts.PlotHeight) +
            " is too large for the PNG plot " + file + ": at most " +
            std::to_string(kMaxRasterPlotPixels) + " pixels (e.g. 7071 x 7071 or 8000 x 6250); " +
            "SVG and PDF plots may be larger";
    return ParseOutcome::Error;
  }

  if (positional.size() < 2) {
    error = positional.empty() ? "missing arguments: COORDS MEASUREMENTS"
                               : "missing argument: MEASUREMENTS";
    return ParseOutcome::Error;
  }
  if (positional.size() > 2) {
    error = "unexpected argument '" + positional[2] + "'";
    return ParseOutcome::Error;
  }
  if (!CheckDesignOptions(opts.Design, error))
    return ParseOutcome::Error;
  opts.CoordFile = positional[0];
  opts.MeasFile = positional[1];
  return ParseOutcome::Run;
}

std::string BatchUsage(const std::string &programName) {
  return "Usage: " + programName +
         " [options] COORDS MEASUREMENTS\n"
         "\n"
         "Evaluates a planned 3D network without the desktop program: loads the\n"
         "coordinate and measurement files, writes the engine input, runs the\n"
         "adjustment engine and prints the results table with the standard\n"
         "deviations and error ellipsoids of every adjusted point.\n"
         "\n"
         "The engine (gama.exe) is taken from beside this program, else from\n"
         "../lib/korvadimensio3d/. COORDS and MEASUREMENTS given without a folder\n"
         "and not in the current folder are looked for beside this program, in\n"
         "~/.local/share/korvadimensio3d/ and in ../share/korvadimensio3d/, so\n"
         "the installed sample network is: shaft_coords.txt shaft_meas.txt\n"
         "\n"
         "Options:\n"
         "  --simple               COORDS is in the simple format (number X Y Z);\n"
         "                         otherwise the full format (number X Y Z Sc Svp f|a)\n"
         "  --mode 0|1|2           Sc/Svp mode: 0 without influence, 1 added to every\n"
         "                         observation, 2 added to the results of the whole net\n"
         "                         (default: the desktop program's settings, else 1)\n"
         "  --workdir DIR          keep the engine input, the protocol and the results\n"
         "                         in DIR as network.gfk, network.txt, network.xml\n"
         "                         (default: a temporary folder, removed at the end)\n"
         "  --table FILE           save the results table (tab-separated)\n"
         "  --cov FILE             save the covariance matrix of the results (mm^2)\n"
         "  --distance FROM TO slope|horizontal|vertical\n"
         "                         print the distance between two adjusted points and\n"
         "                         its standard deviation (may be repeated)\n"
         "  --timeout SECONDS      stop the engine when it works longer than that\n"
         "                         (at least 0.001; default: wait as long as it works)\n"
         "  --strict               treat every warning about the input as an error\n"
         "  --relative FROM TO [BEARING_GON]\n"
         "                         print the relative error ellipse of two points (semi-\n"
         "                         axes in mm, bearing of the major axis in gon) and the\n"
         "                         standard deviation of their height difference; with a\n"
         "                         bearing also the standard deviations along and across\n"
         "                         it (may be repeated; a fixed point counts as exact;\n"
         "                         the pair also goes into the report)\n"
         "  --plot FILE            draw the measurement plan with the error ellipses,\n"
         "                         height bars and reliability colours to FILE: PNG,\n"
         "                         SVG or PDF by its extension (may be repeated)\n"
         "  --plot-size W H        size of the drawing in pixels (default 1600 1200)\n"
         "  --plot-level standard|95\n"
         "                         standard (default) or 95 % ellipses and bars\n"
         "  --plot-magnification N enlarge the ellipses N times (default: automatic,\n"
         "                         the largest about a tenth of the drawing)\n"
         "  --plot-relative        also draw the relative ellipse of every measured pair\n"
         "  --plot-axes x-up|x-right\n"
         "                         X up and Y to the right (default), or X to the right\n"
         "                         and Y down as in the desktop plans\n"
         "  --report FILE          write a pre-analysis report, PDF or HTML by the\n"
         "                         extension .pdf or .html (may be repeated); it holds\n"
         "                         the --distance and --relative pairs\n"
         "  --tolerance A_MM SZ_MM largest allowed semi-major axis and height standard\n"
         "                         deviation of the points, at the confidence level;\n"
         "                         points beyond them are marked in plots and reports\n"
         "                         (0: no limit)\n"
         "  --confidence standard|95\n"
         "                         confidence of every precision figure of the report\n"
         "                         and of the --points-csv figures\n"
         "                         (default standard: 1 sigma)\n"
         "  --title TEXT           project name in the report's title block\n"
         "  --author TEXT          author in the report's title block\n"
         + ExportUsage() + DesignUsage() +
         "  --help                 show this text\n"
         "\n"
         "Exit status: 0 success; 1 bad input (the command's checks, or the engine\n"
         "refusing its input), or an output file that cannot be written; 2 the\n"
         "engine failed or ran out of time; 3 a requirement of --require is not met\n"
         "(or cannot be met with the candidates); 130 interrupted.\n";
}
