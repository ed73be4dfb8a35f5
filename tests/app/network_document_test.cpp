#include "app/network_document.h"

#include <QUndoStack>
#include <gtest/gtest.h>

#include <stdexcept>

using kd::app::DocumentPart;
using kd::app::NetworkDocument;

namespace {

NetworkPoint Pt(double n, long double x, long double y) {
  NetworkPoint p;
  p.Number = n;
  p.X = x;
  p.Y = y;
  return p;
}

// A document with three points and two measurements, history empty.
void Fill(NetworkDocument &doc) {
  doc.Edit("fill", [](SurveyNetwork &net) {
    for (int i = 1; i <= 3; ++i)
      net.Points.List.Append(Pt(i, 10.0L * i, 5.0L * i));
    net.Measurements.AddMeasurement(mtSd, 0.002, 2, 1);
    net.Measurements.AddMeasurement(mtDi, 0.0003, 3, 1);
  });
  doc.ClearHistory();
}

} // namespace

TEST(NetworkDocument, EditUndoRedoWithSignals) {
  NetworkDocument doc;
  Fill(doc);
  int points = 0, measurements = 0, modes = 0;
  QObject::connect(&doc, &NetworkDocument::PointsChanged, [&] { ++points; });
  QObject::connect(&doc, &NetworkDocument::MeasurementsChanged, [&] { ++measurements; });
  QObject::connect(&doc, &NetworkDocument::ScSvpModeChanged, [&] { ++modes; });

  const DocumentPart changed =
      doc.Edit("move 2", [](SurveyNetwork &net) { net.Points.List.Items[1].X = 99; });
  EXPECT_EQ(changed, DocumentPart::Points);
  EXPECT_EQ(points, 1);
  EXPECT_EQ(measurements, 0);
  EXPECT_TRUE(doc.CanUndo());
  EXPECT_EQ(doc.UndoStack().undoText(), "move 2");

  doc.Undo();
  EXPECT_EQ(double(doc.Network().Points.List.Items[1].X), 20.0);
  EXPECT_EQ(points, 2);
  doc.Redo();
  EXPECT_EQ(double(doc.Network().Points.List.Items[1].X), 99.0);
  EXPECT_EQ(points, 3);

  // A step over several parts restores all of them, and only them.
  doc.Edit("mode and delete", [](SurveyNetwork &net) {
    net.Points.ScSvpMode = ScSvpMode::WholeNetwork;
    net.Measurements.Delete(0);
  });
  EXPECT_EQ(modes, 1);
  EXPECT_EQ(measurements, 1);
  doc.Undo();
  EXPECT_EQ(doc.Network().Points.ScSvpMode, ScSvpMode::PerMeasurement);
  EXPECT_EQ(doc.Network().Measurements.Count(), 2);
  EXPECT_EQ(points, 3); // the points were not part of the step
}

TEST(NetworkDocument, NothingChangedIsNoStep) {
  NetworkDocument doc;
  Fill(doc);
  int changes = 0;
  QObject::connect(&doc, &NetworkDocument::Changed, [&] { ++changes; });
  EXPECT_EQ(doc.Edit("nothing", [](SurveyNetwork &net) { net.Points.SetAllFixed(false); }),
            DocumentPart::None);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(changes, 0);
}

TEST(NetworkDocument, ChangeCountersOnlyGrowAndUndoneListsCountAsModified) {
  NetworkDocument doc;
  Fill(doc);
  doc.Workspace().Points.List.MarkSaved();
  const NetworkRevision saved = doc.Network().Revision();
  doc.Edit("fix", [](SurveyNetwork &net) { net.Points.List.Items[0].Fixed = true; });
  const NetworkRevision edited = doc.Network().Revision();
  EXPECT_NE(edited, saved);
  doc.Undo();
  // Results of the edited or of the saved state never pass for this one.
  EXPECT_NE(doc.Network().Revision(), saved);
  EXPECT_NE(doc.Network().Revision(), edited);
  EXPECT_TRUE(doc.IsModified());
}

TEST(NetworkDocument, FileNamesTravelWithTheirLists) {
  NetworkDocument doc;
  Fill(doc);
  doc.Workspace().Points.List.FileName = "old.txt";
  doc.Edit("load", [](SurveyNetwork &net) {
    net.Points.List.Items.assign({Pt(7, 1, 1), Pt(8, 2, 2)});
    net.Points.List.FileName = "new.txt";
  });
  doc.Undo();
  EXPECT_EQ(doc.Network().Points.List.FileName, "old.txt");
  EXPECT_EQ(doc.Network().Points.List.Count(), 3);
  doc.Redo();
  EXPECT_EQ(doc.Network().Points.List.FileName, "new.txt");
}

TEST(NetworkDocument, AFailedEditLeavesNoStepAndANestedEditJoinsItsStep) {
  NetworkDocument doc;
  Fill(doc);
  EXPECT_THROW(doc.Edit("fails",
                        [](SurveyNetwork &net) {
                          net.Points.List.Items[2].Z = 5;
                          throw std::runtime_error("no");
                        }),
               std::runtime_error);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(double(doc.Network().Points.List.Items[2].Z), 0.0);
  doc.Edit("outer", [&doc](SurveyNetwork &net) {
    net.Points.List.Items[0].Sc = 0.001;
    doc.Edit("inner", [](SurveyNetwork &inner) { inner.Points.List.Items[1].Sc = 0.002; });
  });
  EXPECT_EQ(doc.UndoStack().count(), 1);
  doc.Undo();
  EXPECT_EQ(doc.Network().Points.List.Items[0].Sc, 0.0);
  EXPECT_EQ(doc.Network().Points.List.Items[1].Sc, 0.0);
}
