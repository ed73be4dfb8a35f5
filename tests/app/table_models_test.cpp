// The document's tables as models: rows and cells follow every edit, undo
// and redo without a copy, the views hear a reset, the headers follow the
// language, and the results grid reads its first row as the headings.
#include "app/measurement_table_model.h"
#include "app/network_document.h"
#include "app/point_table_model.h"
#include "app/text_grid_model.h"
#include "core/text_grid.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

#include <gtest/gtest.h>

using kd::app::MeasurementTableModel;
using kd::app::NetworkDocument;
using kd::app::PointTableModel;
using kd::app::TextGridModel;

namespace {

QString Cell(const QAbstractItemModel &m, int row, int col) {
  return m.data(m.index(row, col)).toString();
}
QString Header(const QAbstractItemModel &m, int col) {
  return m.headerData(col, Qt::Horizontal).toString();
}

void AddPoint(NetworkDocument &doc, double number, long double x, long double y, long double z) {
  doc.Edit("add", [&](SurveyNetwork &net) {
    NetworkPoint p;
    p.Number = number;
    p.X = x;
    p.Y = y;
    p.Z = z;
    net.Points.List.Append(p);
  });
}

} // namespace

TEST(TableModels, PointsFollowEditsUndoAndRedo) {
  NetworkDocument doc;
  const LanguagePack english;
  PointTableModel model(doc, english);
  int resets = 0;
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 4);
  EXPECT_EQ(Header(model, 0), "P.No.");
  EXPECT_EQ(Header(model, 1), "X/m");
  EXPECT_EQ(Header(model, 3), "Z/m");

  AddPoint(doc, 1, 100, 200.5, 300.0004);
  AddPoint(doc, 25, -0.0004, 1e6, 0);
  EXPECT_EQ(resets, 2);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(Cell(model, 0, 0), "1");
  EXPECT_EQ(Cell(model, 0, 1), "100.000");
  EXPECT_EQ(Cell(model, 0, 2), "200.500");
  EXPECT_EQ(Cell(model, 0, 3), "300.000");
  EXPECT_EQ(Cell(model, 1, 0), "25");
  EXPECT_EQ(Cell(model, 1, 2), "1000000.000");

  // No copy: what the document holds after an undo is what the view reads.
  doc.Undo();
  EXPECT_EQ(model.rowCount(), 1);
  doc.Redo();
  EXPECT_EQ(model.rowCount(), 2);
  doc.Edit("move", [](SurveyNetwork &net) { net.Points.List.Items[0].X = 7; });
  EXPECT_EQ(Cell(model, 0, 1), "7.000");

  // Outside the table, or a role it does not have: nothing.
  EXPECT_FALSE(model.data(model.index(5, 0)).isValid());
  EXPECT_FALSE(model.data(model.index(0, 0), Qt::EditRole).isValid());
  EXPECT_FALSE(model.headerData(4, Qt::Horizontal).isValid());
  EXPECT_EQ(model.flags(model.index(0, 0)) & Qt::ItemIsEditable, Qt::NoItemFlags);

  // A measurement edit leaves the point table alone.
  const int before = resets;
  doc.Edit("measure", [](SurveyNetwork &net) { net.Measurements.AddMeasurement(mtSd, 0.002, 1, 25); });
  EXPECT_EQ(resets, before);
}

TEST(TableModels, MeasurementsFollowEditsAndTheLanguage) {
  NetworkDocument doc;
  LanguagePack lang; // the owner's pack, switched below
  MeasurementTableModel model(doc, lang);
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(Header(model, 0), "Type");
  EXPECT_EQ(Header(model, 3), "Precision");

  doc.Edit("measure", [](SurveyNetwork &net) {
    net.Measurements.AddMeasurement(mtSd, 0.002, 1, 2);
    net.Measurements.AddMeasurement(mtDi, 0.0003, 2, 1);
  });
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(Cell(model, 0, 0), "sd");
  EXPECT_EQ(Cell(model, 0, 1), "2.00"); // station
  EXPECT_EQ(Cell(model, 0, 2), "1.00"); // target
  EXPECT_EQ(Cell(model, 0, 3), "0.00200");
  EXPECT_EQ(Cell(model, 1, 3), "0.00030");
  doc.Edit("delete", [](SurveyNetwork &net) { net.Measurements.Delete(0); });
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(Cell(model, 0, 0), "di");
  doc.Undo();
  EXPECT_EQ(model.rowCount(), 2);

  // The headers are the pack's the model was given, asked anew after that
  // pack switched; a model over another pack keeps its own language.
  const LanguagePack english;
  MeasurementTableModel other(doc, english);
  int headerChanges = 0;
  QObject::connect(&model, &QAbstractItemModel::headerDataChanged, [&] { ++headerChanges; });
  LanguagePack czech;
  ASSERT_TRUE(czech.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  ASSERT_TRUE(lang.LoadPack(KD_SOURCE_DIR "/data/CZ.pck"));
  model.RetranslateHeaders();
  EXPECT_EQ(headerChanges, 1);
  EXPECT_NE(Header(model, 0), "Type");
  EXPECT_EQ(Header(model, 0).toStdString(), czech.Text(static_cast<int>(Text::Type)));
  EXPECT_EQ(Header(other, 0), "Type");
  lang.LoadBuiltIn();
  EXPECT_EQ(Header(model, 0), "Type");
}

TEST(TableModels, ResultsGridWithItsHeadingRow) {
  TextGrid grid;
  TextGridModel model(grid);
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(model.columnCount(), 0);

  grid.Resize(3, 2);
  grid.SetCell(0, 0, "P.No.");
  grid.SetCell(0, 1, "X/m");
  grid.SetCell(1, 0, "3");
  grid.SetCell(1, 1, "10.000");
  grid.SetCell(2, 0, "4");
  int resets = 0;
  QObject::connect(&model, &QAbstractItemModel::modelReset, [&] { ++resets; });
  model.Reset();
  EXPECT_EQ(resets, 1);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.columnCount(), 2);
  EXPECT_EQ(Header(model, 1), "X/m");
  EXPECT_EQ(Cell(model, 0, 1), "10.000");
  EXPECT_EQ(Cell(model, 1, 1), "");
  // Point numbers left, figures right; the number column shaded when asked.
  EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignLeft | Qt::AlignVCenter));
  EXPECT_EQ(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignRight | Qt::AlignVCenter));
  EXPECT_FALSE(model.data(model.index(0, 0), Qt::BackgroundRole).isValid());
  model.SetFirstColumnBackground(QVariant(42));
  EXPECT_TRUE(model.data(model.index(0, 0), Qt::BackgroundRole).isValid());
  EXPECT_FALSE(model.data(model.index(0, 1), Qt::BackgroundRole).isValid());
}
