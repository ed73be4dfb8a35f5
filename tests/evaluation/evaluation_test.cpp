// The evaluation run without windows: run files, checks, the poll and its
// time-out, and starting stand-in engines.
#include "evaluation/evaluation.h"
#include "tests/support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

using TempDir = ScratchDir;

void Touch(const std::string &path, const std::string &text = "x") {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Script(const TempDir &dir, const std::string &body) {
  const std::string path = dir / "engine.sh";
  Touch(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

SurveyNetwork SmallNetwork(int points, std::vector<std::pair<double, double>> meas) {
  SurveyNetwork net;
  for (int i = 1; i <= points; ++i) {
    NetworkPoint p;
    p.Number = i;
    p.X = 1000 + 100 * i;
    p.Y = 2000 + 37 * i * i;
    p.Z = 300 + i;
    p.Fixed = i == 1;
    net.Points.List.Append(p);
  }
  for (auto [s, t] : meas)
    net.Measurements.AddMeasurement(0, 0.002, t, s);
  return net;
}

} // namespace

TEST(RunFiles, DesktopFilesAreNamedAfterTheProgram) {
  const EngineRunFiles f = RunFilesForProgram("/opt/kd/korvadimensio3d");
  EXPECT_EQ(f.Input, "/opt/kd/korvadimensio3d.gfk");
  EXPECT_EQ(f.Prefix, "/opt/kd/korvadimensio3d.");
  EXPECT_EQ(f.Protocol, "/opt/kd/korvadimensio3d.txt");
  EXPECT_EQ(f.Results, "/opt/kd/korvadimensio3d.xml");
  EXPECT_EQ(f.ObservationTable, "/opt/kd/korvadimensio3d.obs.csv");
  const EngineRunFiles w = RunFilesForProgram("C:/Survey/tool.exe");
  EXPECT_EQ(w.Prefix, "C:/Survey/tool.");
  EXPECT_EQ(EnginePathFor("/opt/kd/korvadimensio3d"), "/opt/kd/gama.exe");

  const EngineRunFiles b = RunFilesInFolder("/tmp/run/", "network");
  EXPECT_EQ(b.Input, "/tmp/run/network.gfk");
  EXPECT_EQ(b.Protocol, "/tmp/run/network.txt");
  EXPECT_EQ(b.Results, "/tmp/run/network.xml");
  EXPECT_EQ(b.ObservationTable, "/tmp/run/network.obs.csv");
  EXPECT_EQ(EngineArguments(b), (std::vector<std::string>{"--encoding", "cp-1250", "--language",
                                                          "en", "/tmp/run/network.gfk",
                                                          "/tmp/run/network."}));
}

TEST(EvaluationCheck, TooSmallAfterDroppingMeasurementsWithoutPoints) {
  // 3 points and 3 measurements are enough ...
  SurveyNetwork ok = SmallNetwork(3, {{1, 2}, {1, 3}, {2, 3}});
  EvaluationCheck c = CheckBeforeEvaluation(ok, {});
  EXPECT_FALSE(c.TooSmall);
  EXPECT_FALSE(c.Dropped);
  // ... but not when one of the three has an unknown point,
  SurveyNetwork dropped = SmallNetwork(3, {{1, 2}, {1, 3}, {2, 9}});
  c = CheckBeforeEvaluation(dropped, {});
  EXPECT_TRUE(c.Dropped);
  EXPECT_EQ(c.DroppedCount, 1);
  EXPECT_TRUE(c.TooSmall);
  EXPECT_EQ(dropped.Measurements.Count(), 2);
  // ... nor with two points.
  SurveyNetwork twoPoints = SmallNetwork(2, {{1, 2}, {2, 1}, {1, 2}});
  EXPECT_TRUE(CheckBeforeEvaluation(twoPoints, {}).TooSmall);
}

TEST(EnginePoll, CompleteOnTheFirstTickWhenBothFilesExist) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  Touch(f.Protocol);
  Touch(f.Results);
  EnginePoll poll(f);
  EXPECT_EQ(poll.Tick(), PollState::Complete);
  EXPECT_EQ(poll.PollCount(), 0);
}

TEST(EnginePoll, ProtocolAloneTimesOutAfter51Ticks) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  Touch(f.Protocol);
  EnginePoll poll(f);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(poll.Tick(), PollState::Waiting) << i;
    EXPECT_EQ(poll.WaitingCount(), i);
  }
  EXPECT_EQ(poll.Tick(), PollState::Failed); // the 51st: fails at once
  EXPECT_EQ(poll.PollCount(), 51);
  Touch(f.Results); // a late result is not noticed
  EXPECT_EQ(poll.Tick(), PollState::Failed);
  poll.Reset();
  EXPECT_EQ(poll.Tick(), PollState::Complete);
}

TEST(EnginePoll, DeleteOutputsRemovesOnlyTheOutputs) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  Touch(f.Input);
  Touch(f.Protocol);
  Touch(f.Results);
  Touch(f.ObservationTable);
  EXPECT_TRUE(DeleteOutputs(f));
  EXPECT_TRUE(FileExists(f.Input));
  EXPECT_FALSE(FileExists(f.Protocol));
  EXPECT_FALSE(FileExists(f.ObservationTable));
  EXPECT_FALSE(FileExists(f.Results));
  EXPECT_TRUE(DeleteOutputs(f)); // absent files are fine
  EXPECT_FALSE(FileExists(d.Path.string())); // a folder is not a file
}

TEST(RunEngine, StandInThatWritesBothFiles) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  Touch(f.Results, "stale");
  const std::string engine = Script(d, "test \"$1$2$3$4\" = --encodingcp-1250--languageen || exit 3\n"
                                       "test -e \"${6}xml\" && exit 4\n" // stale result deleted
                                       "echo p > \"${6}txt\"; echo x > \"${6}xml\"\n");
  EnginePoll poll;
  std::vector<PollState> states;
  const RunOutcome r =
      RunEngineAndWait(engine, f, poll, [&](const EnginePoll &p) { states.push_back(p.State()); });
  EXPECT_TRUE(r.Complete) << int(r.Failure);
  EXPECT_EQ(r.Failure, RunFailure::None);
  EXPECT_EQ(r.ExitCode, 0);
  EXPECT_EQ(poll.State(), PollState::Complete);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), PollState::Complete);
}

TEST(RunEngine, EndedEngineWithoutResultsFailsWithoutWaitingForTheTimeOut) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  const std::string engine = Script(d, "echo failed > \"${6}txt\"\nexit 1\n");
  EnginePoll poll;
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome r = RunEngineAndWait(engine, f, poll, {});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(r.Complete);
  EXPECT_TRUE(r.Started);
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Failure, RunFailure::NoOutputs);
  EXPECT_EQ(poll.State(), PollState::Failed);
}

TEST(RunEngine, MissingEngineAndInterruptedEngine) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  EnginePoll poll;
  const RunOutcome missing = RunEngineAndWait(d / "gama.exe", f, poll, {});
  EXPECT_FALSE(missing.Started);
  EXPECT_FALSE(missing.Complete);
  EXPECT_EQ(missing.Failure, RunFailure::NotStarted);
  EXPECT_FALSE(missing.Detail.empty()) << "the system's reason";

  // A hanging engine is stopped when the caller asks to stop.
  const std::string engine = Script(d, "exec sleep 60\n");
  int asked = 0;
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome stopped =
      RunEngineAndWait(engine, f, poll, {}, [&] { return ++asked > 30; });
  EXPECT_TRUE(stopped.Interrupted);
  EXPECT_EQ(stopped.Failure, RunFailure::Interrupted);
  EXPECT_FALSE(stopped.Complete);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(EnginePoll, WorkingEngineIsNeverGivenUp) {
  TempDir d;
  EnginePoll poll(RunFilesInFolder(d.Path.string(), "n"));
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(poll.Tick(true), PollState::Waiting);
  EXPECT_EQ(poll.WaitingCount(), 199);
  EXPECT_EQ(poll.Tick(false), PollState::Failed); // the engine has vanished
}

TEST(ProtocolReason, FailureHeadingErrorLineOrNothing) {
  EXPECT_EQ(ProtocolFailureReason("Adjustment\r\n\r\nTHE ADJUSTMENT FAILED.\r\n\r\n"
                                  "Singular network: point 404 is not determined.\r\nmore\r\n"),
            "Singular network: point 404 is not determined.");
  EXPECT_EQ(ProtocolFailureReason("h\nTHE ADJUSTMENT WAS NOT DONE: the input cannot be used.\n\n"
                                  "Error on line 7: bad stdev\n"),
            "Error on line 7: bad stdev");
  EXPECT_EQ(ProtocolFailureReason("Adjusted.\n\nERROR: the results file could not be written "
                                  "(No space left on device):\n    /w/n.xml\nNo results were written.\n"),
            "ERROR: the results file could not be written (No space left on device): /w/n.xml");
  EXPECT_EQ(ProtocolFailureReason("Adjusted.\nall fine\n"), "");
  EXPECT_EQ(ProtocolFailureReason(""), "");
}

TEST(ProtocolReason, SingularNetworkIsRecognised) {
  EXPECT_TRUE(ProtocolReportsSingularNetwork(
      "h\nTHE ADJUSTMENT FAILED.\n\nThe normal equations are singular (defect 3).\n"));
  EXPECT_TRUE(ProtocolReportsSingularNetwork("THE ADJUSTMENT FAILED.\nSingular network: point 404.\n"));
  EXPECT_FALSE(ProtocolReportsSingularNetwork("h\nTHE ADJUSTMENT WAS NOT DONE: x\n\nError on line 7: bad stdev\n"));
  EXPECT_FALSE(ProtocolReportsSingularNetwork("Adjusted.\nsingular values of the covariance: fine\n"));
}

TEST(EnginePoll, DeleteOutputsRemovesTheTemporariesOfAStoppedRun) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  // What a run killed while writing leaves: temporaries of the atomic writer.
  for (const std::string &p : {f.Results + ".tmp0a1b2c3d", f.Protocol + ".tmp00000000",
                               f.ObservationTable + ".tmpffffffff"})
    Touch(p);
  // Not ours: other names, other lengths, other digits.
  const std::string others[] = {d / "notes.xml.tmp0a1b2c3d", f.Results + ".tmp0a1b2c3", f.Results + ".tmpZZZZZZZZ",
                                f.Results + ".bak"};
  for (const std::string &p : others)
    Touch(p);
  EXPECT_TRUE(DeleteOutputs(f));
  std::vector<std::string> left;
  for (const auto &e : fs::directory_iterator(d.Path))
    left.push_back(e.path().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected(std::begin(others), std::end(others));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
  Touch(f.Input + ".tmp12345678");
  RemoveRunTemporaries(f);
  EXPECT_FALSE(fs::exists(f.Input + ".tmp12345678"));
}

TEST(RunEngine, ATimedOutEngineIsAskedToEndThenStopped) {
  TempDir d;
  const EngineRunFiles f = RunFilesInFolder(d.Path.string(), "n");
  EnginePoll poll;
  // Asked politely, an engine may end by itself (and clean up).
  const std::string polite =
      Script(d, "trap 'echo term > \"" + (d / "asked") + "\"; kill $!; exit 1' TERM\nsleep 60 & wait\n");
  const RunOutcome first = RunEngineAndWait(polite, f, poll, {}, {}, 300);
  EXPECT_TRUE(first.TimedOut);
  EXPECT_TRUE(fs::exists(d / "asked")) << "the engine got TERM first";

  // One that ignores the request is stopped after the grace.
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "trap '' TERM; while :; do sleep 0.05; done"}, error)) << error;
  std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the trap is set
  const auto start = std::chrono::steady_clock::now();
  child.Stop(500);
  EXPECT_FALSE(child.Running());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400))
      << "the process ignored TERM, so it was waited for until the grace ended";
}
