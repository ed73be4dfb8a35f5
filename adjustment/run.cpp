#include "adjustment/run.h"

#include <cstdio>
#include <new>

#include "adjustment/adjust.h"
#include "adjustment/output.h"
#include "adjustment/reader.h"
#include "core/textfile.h"

namespace kd::adj {

namespace {

const char *kUsage =
    "usage: gama.exe [--encoding cp-1250|utf-8] [--language en] INPUT OUTPUT-PREFIX\n"
    "  writes OUTPUT-PREFIX + \"txt\" (protocol) and OUTPUT-PREFIX + \"xml\" (results)\n";

struct Options {
  std::string input, prefix;
  bool cp1250 = true;
  RunInfo info;
};

// False with a message when the command line is faulty.
bool ParseArgs(const std::vector<std::string> &args, Options &opt, std::string &error) {
  std::vector<std::string> paths;
  opt.info.encoding = "cp-1250";
  opt.info.language = "en";
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    if (a == "--encoding" || a == "--language") {
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
    } else if (a.size() > 2 && a.rfind("--", 0) == 0 && paths.empty()) {
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
  return true;
}

std::string Encode(const Options &opt, const std::vector<std::string> &lines) {
  const std::string text = JoinLinesCrLf(lines);
  return opt.cp1250 ? Utf8ToCp1250(text) : text;
}

// Writes the protocol of a failed run; its exit code.
int FailWith(const Options &opt, const std::vector<std::string> &lines, int code,
             std::ostream &err) {
  if (!WriteFileAtomic(opt.prefix + "txt", Encode(opt, lines))) {
    err << "gama.exe: cannot write the protocol " << opt.prefix << "txt\n";
    return kExitSystem;
  }
  return code;
}

int Run(const Options &opt, std::ostream &err) {
  // A results file of an earlier run must never pair with this protocol.
  std::remove((opt.prefix + "xml").c_str());

  std::string bytes;
  if (!ReadFileBytes(opt.input, bytes)) {
    return FailWith(opt, ErrorProtocolLines(opt.info, "the input file cannot be read", 0),
                    kExitInput, err);
  }
  const std::string text = opt.cp1250 ? Cp1250ToUtf8(bytes) : bytes;
  Network net;
  try {
    net = ReadNetwork(text);
  } catch (const InputError &e) {
    return FailWith(opt, ErrorProtocolLines(opt.info, e.what(), e.line()), kExitInput, err);
  }
  AdjustmentResult res = Adjust(net);
  const std::vector<std::string> protocol = ProtocolLines(opt.info, net, res);
  if (res.outcome != Outcome::Adjusted) return FailWith(opt, protocol, kExitAdjust, err);

  std::string xml = ResultsXml(net, res);
  res.cov.resize(0, 0);  // the text holds it now; give the memory back
  if (!WriteFileAtomic(opt.prefix + "txt", Encode(opt, protocol))) {
    err << "gama.exe: cannot write the protocol " << opt.prefix << "txt\n";
    return kExitSystem;
  }
  if (!WriteFileAtomic(opt.prefix + "xml", xml)) {
    std::vector<std::string> lines = protocol;
    lines.push_back("");
    lines.push_back("ERROR: the results file " + opt.prefix + "xml could not be written.");
    FailWith(opt, lines, kExitSystem, err);
    return kExitSystem;
  }
  return kExitOk;
}

}  // namespace

int RunEngine(const std::vector<std::string> &args, std::ostream &err) {
  Options opt;
  std::string error;
  if (!ParseArgs(args, opt, error)) {
    err << "gama.exe: " << error << "\n" << kUsage;
    return kExitUsage;
  }
  try {
    return Run(opt, err);
  } catch (const std::bad_alloc &) {
    std::remove((opt.prefix + "xml").c_str());
    return FailWith(opt, ErrorProtocolLines(opt.info, "not enough memory for this network", 0),
                    kExitSystem, err);
  } catch (const std::exception &e) {
    std::remove((opt.prefix + "xml").c_str());
    return FailWith(opt, ErrorProtocolLines(opt.info, std::string("internal error: ") + e.what(), 0),
                    kExitSystem, err);
  }
}

}  // namespace kd::adj
