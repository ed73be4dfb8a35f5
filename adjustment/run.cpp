#include "adjustment/run.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

#include "adjustment/adjust.h"
#include "adjustment/outfile.h"
#include "adjustment/output.h"
#include "adjustment/reader.h"
#include "core/text_file.h"

namespace kd::adj {

namespace {

const char *kUsage =
    "usage: gama.exe [--encoding cp-1250|utf-8] [--language en] [--threads N]\n"
    "                [--kernels generic|avx2|avx512] INPUT OUTPUT-PREFIX\n"
    "  writes OUTPUT-PREFIX + \"txt\" (protocol), OUTPUT-PREFIX + \"obs.csv\" (observation\n"
    "  table) and OUTPUT-PREFIX + \"xml\" (results)\n";

// The output files, named by appending these to the prefix.
const char *const kOutputs[] = {"txt", "obs.csv", "xml"};

struct Options {
  std::string input, prefix;
  bool cp1250 = true;
  int threads = 0;      // 0: every core
  std::string kernels;  // "": the widest the processor runs
  RunInfo info;
};

// True when the two names denote the same file, however spelled: the same
// file on disk when both exist, else the same absolute path with ".", ".."
// and symbolic links resolved.
bool SameFile(const std::string &a, const std::string &b) {
  namespace fs = std::filesystem;
  std::error_code ea, eb;
  if (fs::exists(a, ea) && fs::exists(b, eb)) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
  }
  std::error_code ca, cb;
  const fs::path pa = fs::weakly_canonical(fs::absolute(a, ca), ca);
  const fs::path pb = fs::weakly_canonical(fs::absolute(b, cb), cb);
  return !ca && !cb && pa == pb;
}

const char *OutputName(const std::string &ext) {
  if (ext == "txt") return "the protocol";
  if (ext == "xml") return "the results";
  return "the observation table";
}

// False with a message when the command line is faulty.
bool ParseArgs(const std::vector<std::string> &args, Options &opt, std::string &error) {
  std::vector<std::string> paths;
  opt.info.encoding = "cp-1250";
  opt.info.language = "en";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    if (a == "--threads" || a == "--kernels") {
      if (i + 1 >= args.size()) {
        error = "option " + a + " needs a value";
        return false;
      }
      const std::string v = args[++i];
      if (a == "--threads") {
        int threads = 0;
        const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), threads);
        if (ec != std::errc() || end != v.data() + v.size() || threads < 1 || threads > 1024) {
          error = "--threads needs a whole number from 1 to 1024, not \"" + v + "\"";
          return false;
        }
        opt.threads = threads;
      } else {
        if (v != "generic" && v != "avx2" && v != "avx512") {
          error = "unknown kernels \"" + v + "\" (generic, avx2 or avx512)";
          return false;
        }
        opt.kernels = v;
      }
    } else if (a == "--encoding" || a == "--language") {
      if (i + 1 >= args.size()) {
        error = "option " + a + " needs a value";
        return false;
      }
      const std::string v = args[++i];
      if (a == "--encoding") {
        if (v == "cp-1250" || v == "windows-1250" || v == "cp1250") {
          opt.cp1250 = true;
          opt.info.encoding = "cp-1250";
        } else if (v == "utf-8" || v == "utf8" || v == "UTF-8") {
          opt.cp1250 = false;
          opt.info.encoding = "utf-8";
        } else {
          error = "unknown encoding \"" + v + "\" (cp-1250 or utf-8)";
          return false;
        }
      } else {
        if (v != "en")
          opt.info.notes.push_back("language \"" + v + "\" is not available; English is used");
      }
    } else if (!a.empty() && a[0] == '-') {
      // Never taken as a file name: a mistyped option must not become the
      // output prefix.
      error = "unknown option " + a;
      return false;
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 2) {
    error = "expected the input file and the output prefix, found " +
            std::to_string(paths.size()) + " names";
    return false;
  }
  opt.input = paths[0];
  opt.prefix = paths[1];
  opt.info.inputPath = opt.input;
  for (const char *ext : kOutputs) {
    if (SameFile(opt.input, opt.prefix + ext)) {
      error = "the output prefix \"" + opt.prefix + "\" would overwrite the input file " +
              opt.input + " with " + OutputName(ext) + "; choose another prefix";
      return false;
    }
  }
  return true;
}

std::string Encode(const Options &opt, const std::vector<std::string> &lines) {
  const std::string text = JoinLinesCrLf(lines);
  return opt.cp1250 ? Utf8ToCp1250(text) : text;
}

// Removes a protocol that could not be completed.
void RemoveProtocol(const Options &opt, std::ostream &err) {
  const std::string path = opt.prefix + "txt";
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  std::string reason;
  if (RemoveOutputFile(path, reason))
    err << "gama.exe: the protocol " << path << " was removed: it could not be completed\n";
  else
    err << "gama.exe: cannot remove the protocol " << path << ": " << reason << "\n";
}

// Writes the protocol of a failed run; its exit code. A protocol that
// cannot be written is removed, so that none of an earlier run remains to
// be taken for this one's.
int FailWith(const Options &opt, const std::vector<std::string> &lines, int code,
             std::ostream &err) {
  const std::string path = opt.prefix + "txt";
  std::string reason;
  if (!WriteOutputFile(path, Encode(opt, lines), reason)) {
    err << "gama.exe: cannot write the protocol " << path << ": " << reason << "\n";
    RemoveProtocol(opt, err);
    return kExitSystem;
  }
  return code;
}

// Removes the outputs of this run that must not outlive a failure.
void RemoveOutputs(const Options &opt, std::initializer_list<const char *> exts,
                   std::ostream &err) {
  for (const char *ext : exts) {
    std::string reason;
    if (!RemoveOutputFile(opt.prefix + ext, reason))
      err << "gama.exe: cannot remove " << opt.prefix << ext << ": " << reason << "\n";
  }
}


// A file after the protocol failed: the protocol, written as a success, is
// rewritten to say so, or removed when even that fails.
int OutputFailed(const Options &opt, const std::vector<std::string> &protocol,
                 const std::string &what, const std::string &path, const std::string &reason,
                 std::ostream &err) {
  err << "gama.exe: cannot write " << what << " " << path << ": " << reason << "\n";
  RemoveOutputs(opt, {"obs.csv", "xml"}, err);
  std::vector<std::string> lines = protocol;
  lines.push_back("");
  // Short lines: the path may be long, the protocol window is 100 columns.
  lines.push_back("ERROR: " + what + " could not be written (" + reason + "):");
  lines.push_back("    " + path);
  lines.push_back("No results were written.");
  return FailWith(opt, lines, kExitSystem, err);
}

int Run(const Options &opt, std::ostream &err, const ResultsConsumer *consumer) {
  // Outputs of an earlier run must never pair with this protocol.
  RemoveOutputs(opt, {"xml", "obs.csv"}, err);

  Network net;
  {
    // The document's text is given back once read: the adjustment's matrix
    // is what sets the run's peak memory.
    std::string bytes, readError;
    if (!ReadFileBytes(opt.input, bytes, readError)) {
      return FailWith(opt,
                      ErrorProtocolLines(opt.info, "the input file cannot be read: " + readError, 0),
                      kExitInput, err);
    }
    // After a byte-order mark the document is UTF-8, whatever the option says.
    const std::string text =
        opt.cp1250 ? DecodeFileText(bytes) : std::string(WithoutUtf8Bom(bytes));
    std::string().swap(bytes);
    try {
      net = ReadNetwork(text);
    } catch (const InputError &e) {
      return FailWith(opt, ErrorProtocolLines(opt.info, e.what(), e.line()), kExitInput, err);
    }
  }
  AdjustmentResult res = Adjust(net);
  if (res.outcome == Outcome::BadValue) {
    return FailWith(opt, ErrorProtocolLines(opt.info, res.failure, res.failureLine), kExitInput,
                    err);
  }
  const std::vector<std::string> protocol = ProtocolLines(opt.info, net, res);
  if (res.outcome != Outcome::Adjusted) return FailWith(opt, protocol, kExitAdjust, err);

  const std::string table = ObservationTableCsv(net, res);
  // The protocol first and the results last: a reader that waits for the
  // results finds the other two complete.
  std::string reason;
  const std::string protocolPath = opt.prefix + "txt";
  if (!WriteOutputFile(protocolPath, Encode(opt, protocol), reason)) {
    err << "gama.exe: cannot write the protocol " << protocolPath << ": " << reason << "\n";
    RemoveProtocol(opt, err);
    return kExitSystem;
  }
  const std::string tablePath = opt.prefix + "obs.csv";
  if (!WriteOutputFile(tablePath, table, reason))
    return OutputFailed(opt, protocol, "the observation table", tablePath, reason, err);
  if (consumer != nullptr) {
    (*consumer)(net, res);
    return kExitOk;
  }
  const std::string resultsPath = opt.prefix + "xml";
  // Written as it is formatted: a large network's text never exists whole.
  const auto results = [&net, &res](const kd::ByteSink &out) {
    return WriteResultsXml(net, res, out);
  };
  if (!WriteOutputFileStream(resultsPath, results, reason))
    return OutputFailed(opt, protocol, "the results file", resultsPath, reason, err);
  return kExitOk;
}

}  // namespace

int RunEngine(const std::vector<std::string> &args, std::ostream &err) {
  return RunEngineInProcess(args, err, nullptr);
}

int RunEngineInProcess(const std::vector<std::string> &args, std::ostream &err,
                       const ResultsConsumer &results) {
  const ResultsConsumer *consumer = results ? &results : nullptr;
  Options opt;
  std::string error;
  if (!ParseArgs(args, opt, error)) {
    err << "gama.exe: " << error << "\n" << kUsage;
    return kExitUsage;
  }
  SetThreadCount(opt.threads);
  if (!opt.kernels.empty() && !UseKernels(opt.kernels)) {
    err << "gama.exe: this processor cannot run the " << opt.kernels << " kernels\n";
    return kExitUsage;
  }
  try {
    return Run(opt, err, consumer);
  } catch (const std::bad_alloc &) {
    RemoveOutputs(opt, {"xml", "obs.csv"}, err);
    return FailWith(opt, ErrorProtocolLines(opt.info, "not enough memory for this network", 0),
                    kExitSystem, err);
  } catch (const std::exception &e) {
    RemoveOutputs(opt, {"xml", "obs.csv"}, err);
    return FailWith(opt, ErrorProtocolLines(opt.info, std::string("internal error: ") + e.what(), 0),
                    kExitSystem, err);
  }
}

}  // namespace kd::adj
