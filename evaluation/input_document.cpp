#include "evaluation/input_document.h"

#include "core/number_text.h"
#include "core/text_file.h"
#include "precision/observation_sigma.h"

#include <cmath>
#include <exception>
#include <unordered_map>

namespace {

// Every number of the document: fixed form, at most 14 significant digits.
std::string Num(long double value, int decimals) {
  return NumToTextFixed(value, 14, decimals);
}

// A standard deviation or variance that the document would carry as zero
// gives the observation an infinite weight (or a singular covariance
// matrix): such a measurement is refused rather than written.
const char *const kZeroStdDev = "0.00";
const char *const kZeroVariance = "0.0000";
const char *const kTooSmall = "standard deviation too small to be written";

// Adds a finished line. No decimal comma may reach the file, whatever a
// number conversion produced.
void AddLine(SurveyNetwork &net, std::string line) {
  for (char &c : line)
    if (c == ',')
      c = '.';
  net.Document.push_back(std::move(line));
}

void SetFailure(SurveyNetwork &net, int pos, const std::string &reason) {
  const Measurement &m = net.Measurements.Items[static_cast<std::size_t>(pos)];
  net.LastWriteFailure.Valid = true;
  net.LastWriteFailure.Index = pos;
  net.LastWriteFailure.Station = m.Station;
  net.LastWriteFailure.Target = m.Target;
  net.LastWriteFailure.MeasType = m.MeasType;
  net.LastWriteFailure.Reason = reason;
}

std::string PointLine(const std::string &id, long double x, long double y,
                      long double z, bool fixed) {
  std::string s;
  s.reserve(96);
  s += "<point id= \"";
  s += id;
  s += "\" x=\"";
  s += Num(x, 5);
  s += "\" y=\"";
  s += Num(y, 5);
  s += "\" z=\"";
  s += Num(z, 5);
  s += fixed ? "\" fix=\"XYZ\" />" : "\" adj=\"XYZ\" />";
  return s;
}

std::string ObsLine(const char *opening, const std::string &target,
                    const std::string &value, const std::string &stdev) {
  std::string s;
  s.reserve(80);
  s += opening;
  s += target;
  s += "\" val= \"";
  s += value;
  s += "\" stdev=\"";
  s += stdev;
  s += "\" />";
  return s;
}

} // namespace

std::string DocPointId(double number) { return Num(number, 2); }

std::string GyroRefId(int pos) { return "090" + std::to_string(pos); }

void WriteHeader(SurveyNetwork &net) {
  net.Document.clear();
  AddLine(net, "<?xml version=\"1.0\" ?>");
  AddLine(net, "<!DOCTYPE gama-xml SYSTEM \"gama-xml.dtd\">");
  AddLine(net, "<gama-xml version=\"2.0\">");
  AddLine(net, "<network axes-xy=\"sw\" angles=\"right-handed\">");
  AddLine(net, "<description> korvadim </description>");
  AddLine(net, "<parameters sigma-apr=\"1.00\" conf-pr=\"0.95\" ");
  AddLine(net, "tol-abs=\"1000\" sigma-act=\"apriori\" />");
  AddLine(net, "<points-observations >");
  AddLine(net, "");
}

bool WritePoints(SurveyNetwork &net) {
  const PointList &list = net.Points.List;
  std::unordered_map<std::string, double> ids;
  ids.reserve(list.Items.size());
  for (const NetworkPoint &p : list.Items) {
    if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z) ||
        !std::isfinite(p.Number)) {
      net.LastWriteFailure.Valid = false;
      net.LastWriteFailure.Station = p.Number;
      net.LastWriteFailure.Reason = "point " + NumToText(p.Number) +
                                    " has a coordinate that is not a finite number";
      return false;
    }
    // Two points under one id would be merged or refused by the engine, and
    // its results could not be told apart: refuse such a network.
    std::string id = DocPointId(p.Number);
    const auto [seen, fresh] = ids.emplace(id, p.Number);
    if (!fresh) {
      net.LastWriteFailure.Valid = false;
      net.LastWriteFailure.Station = p.Number;
      net.LastWriteFailure.Reason =
          seen->second == p.Number
              ? "point number " + NumToText(p.Number) + " is listed twice"
              : "point numbers " + NumToText(seen->second) + " and " + NumToText(p.Number) +
                    " both become the id " + id;
      return false;
    }
    AddLine(net, PointLine(id, p.X, p.Y, p.Z, p.Fixed));
  }
  const PointNumberIndex index(list);
  const auto &items = net.Measurements.Items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].MeasType != mtGd)
      continue;
    const int si = index.IndexOf(items[i].Station);
    if (si < 0) {
      SetFailure(net, static_cast<int>(i), "station point missing");
      return false;
    }
    const NetworkPoint &s = list.Items[static_cast<std::size_t>(si)];
    AddLine(net, PointLine(GyroRefId(static_cast<int>(i)), s.X + 10000.0L, s.Y, s.Z, true));
  }
  return true;
}

bool WriteObservations(SurveyNetwork &net) {
  MeasurementList &meas = net.Measurements;
  AddLine(net, "");
  meas.BuildIndexLists();

  if (!meas.OrdinaryIdx.empty()) {
    double current = meas.Items[static_cast<std::size_t>(meas.OrdinaryIdx.front())].Station;
    AddLine(net, "<obs from=\"" + DocPointId(current) + "\">");
    for (int pos : meas.OrdinaryIdx) {
      const Measurement &m = meas.Items[static_cast<std::size_t>(pos)];
      if (m.Station != current) {
        current = m.Station;
        AddLine(net, "</obs>");
        AddLine(net, "");
        AddLine(net, "<obs from=\"" + DocPointId(current) + "\">");
      }
      const std::string value = Num(m.Value, 4);
      const std::string stdev = Num(m.EngineStdDev, 2);
      if (stdev == kZeroStdDev) {
        SetFailure(net, pos, kTooSmall);
        return false;
      }
      switch (m.MeasType) {
      case mtSd:
        AddLine(net, ObsLine("<s-distance to= \"", DocPointId(m.Target), value, stdev));
        break;
      case mtHd:
        AddLine(net, ObsLine("<distance to= \"", DocPointId(m.Target), value, stdev));
        break;
      case mtZu:
        AddLine(net, ObsLine("<z-angle to= \"", DocPointId(m.Target), value, stdev));
        break;
      case mtDi:
        AddLine(net, ObsLine("<direction to= \"", DocPointId(m.Target), value, stdev));
        break;
      case mtVd:
        AddLine(net, ObsLine(("<dh from=\"" + DocPointId(m.Station) + "\" to=\"").c_str(),
                             DocPointId(m.Target), value, stdev));
        break;
      default:
        SetFailure(net, pos, "unknown measurement type");
        return false;
      }
    }
    AddLine(net, "</obs>");
  }

  if (!meas.SpecialIdx.empty()) {
    for (int pos : meas.SpecialIdx) {
      const Measurement &m = meas.Items[static_cast<std::size_t>(pos)];
      if (m.MeasType == mtGd) {
        const std::string stdev = Num(m.EngineStdDev, 2);
        if (stdev == kZeroStdDev) {
          SetFailure(net, pos, kTooSmall);
          return false;
        }
        AddLine(net, "");
        AddLine(net, "<obs from=\"" + DocPointId(m.Station) + "\">");
        AddLine(net, ObsLine("<direction to= \"", GyroRefId(pos), "0.0000", "0.01"));
        AddLine(net, ObsLine("<direction to= \"", DocPointId(m.Target), Num(m.Value, 4), stdev));
        AddLine(net, "</obs>");
      } else {
        // Plumbing: the horizontal components are the plumbing's own
        // variance, the vertical one the network's PlumbSigma; no
        // covariances.
        const long double sd = m.EngineStdDev;
        const std::string s = Num(sd * sd, 4);
        const long double pz = static_cast<long double>(net.PlumbSigma) * 1000.0L;
        const std::string vz = Num(pz * pz, 4);
        if (s == kZeroVariance) {
          SetFailure(net, pos, kTooSmall);
          return false;
        }
        if (!std::isfinite(pz) || vz == kZeroVariance) {
          SetFailure(net, pos, "vertical standard deviation of plumbing is not positive");
          return false;
        }
        AddLine(net, "");
        AddLine(net, "<vectors>");
        AddLine(net, "<vec from=\"" + DocPointId(m.Station) + "\" to=\"" +
                         DocPointId(m.Target) + "\" dx=\"0.00001\" dy=\"0.00001\" dz=\"" +
                         Num(m.Value, 5) + "\" />");
        AddLine(net, "<cov-mat dim=\"3\" band=\"2\" >");
        AddLine(net, s + " 0 0");
        AddLine(net, s + " 0");
        AddLine(net, vz);
        AddLine(net, "</cov-mat>");
        AddLine(net, "</vectors>");
      }
    }
    AddLine(net, "");
  }
  return true;
}

void WriteFooter(SurveyNetwork &net) {
  AddLine(net, "</points-observations>");
  AddLine(net, "</network>");
  AddLine(net, "</gama-xml>");
}

bool WriteEngineInput(SurveyNetwork &net, const std::string &fileName) {
  net.LastWriteFailure = FailedMeasurement();
  try {
    // Sorting first makes the gyro reference ids written with the points
    // agree with the list positions used in the observation sets, also when
    // the caller did not sort.
    net.Measurements.Sort();
    WriteHeader(net);
    if (!WritePoints(net) || !ComputeObservations(net) || !WriteObservations(net)) {
      net.Document.clear();
      return false;
    }
    WriteFooter(net);
    const std::string bytes = kd::Utf8ToCp1250(kd::JoinLinesCrLf(net.Document));
    if (!kd::WriteFileAtomic(fileName, bytes)) {
      net.LastWriteFailure.Reason = "the file could not be written: " + fileName;
      return false;
    }
    return true;
  } catch (const std::exception &e) {
    net.Document.clear();
    net.LastWriteFailure.Reason = e.what();
    return false;
  }
}
