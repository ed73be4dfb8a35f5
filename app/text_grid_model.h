#pragma once
// A read-only table model over a TextGrid whose first row holds the column
// headings: grid row r + 1 is model row r. The grid stays with its owner
// (e.g. the results of the last evaluation); the model reads it when a view
// asks and is told by Reset when the owner filled it anew. The first
// column (the point numbers) reads as a heading column: left-aligned, the
// others right-aligned.
#include <QAbstractTableModel>

class TextGrid;

namespace kd::app {

class TextGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TextGridModel(const TextGrid &grid, QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The grid changed as a whole.
  void Reset();
  // The background of the first column (a QBrush; none when null).
  void SetFirstColumnBackground(const QVariant &brush) { FirstColumnBackground = brush; }

private:
  QVariant FirstColumnBackground;
  const TextGrid &Grid;
};

} // namespace kd::app
