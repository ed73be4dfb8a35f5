#pragma once
// The measurement design as a report gives it: every requirement with its
// value and margin on the plan reported, and for an optimised plan what was
// added or removed and why. Plain figures; the report words them.
//
// Values and margins are millimetres at the requirement file's confidence
// level, or redundancy numbers (Redundancy set). A margin is limit − value
// (mm) or value − limit (redundancy): negative when the requirement fails.
#include <string>
#include <vector>

struct ReportRequirement {
  std::string Text;        // the requirement as written, e.g. "across 401 404 81.29 2.5"
  bool Redundancy = false; // value and margin are redundancy numbers
  bool Many = false;       // several points: Worst names the one reported
  std::string Worst;       // point (or pair) of the worst value
  double Value = 0;
  double Margin = 0;
  bool Holds = true;
  bool Binds = false;      // optimised plans: the requirement that limits the plan
};

// One change of an optimised plan. An added measurement is kept because the
// plan breaks the requirements in Without when it goes (empty: it only
// widens the margins); a removed one because every requirement still holds
// without it.
struct ReportPlanChange {
  bool Added = true;
  std::string Measurement; // e.g. "gd 401 -> 402"
  double Cost = 0;         // of adding, or saved by removing
  std::vector<ReportRequirement> Without;
  bool Singular = false;   // without it the network has no solution
};

struct ReportDesign {
  bool Present = false;      // the report was made with requirements
  std::string FileName;      // the requirements file
  bool Confidence95 = false; // level of the file's limits
  bool FreeNetwork = false;  // values in the minimum-trace datum
  std::vector<ReportRequirement> Requirements; // on the reported plan
  bool Optimised = false;    // the plan is the outcome of an optimisation
  bool Reached = true;       // the optimisation met every requirement
  std::vector<ReportPlanChange> Changes;
  double TotalCost = 0;      // added minus saved
  // The values the optimised plan reaches, when the reported plan is not
  // that plan (a proposal written to a file); empty otherwise.
  std::vector<ReportRequirement> Final;
};
