#include "app/text_grid_model.h"

#include "core/text_grid.h"

namespace kd::app {

namespace {
QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

TextGridModel::TextGridModel(const TextGrid &grid, QObject *parent)
    : QAbstractTableModel(parent), Grid(grid) {}

int TextGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() || Grid.RowCount() == 0 ? 0 : Grid.RowCount() - 1;
}

int TextGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Grid.ColCount;
}

QVariant TextGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid())
    return {};
  if (role == Qt::DisplayRole)
    return Q(Grid.Cell(index.row() + 1, index.column()));
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(index.column() == 0 ? (Qt::AlignLeft | Qt::AlignVCenter)
                                                   : (Qt::AlignRight | Qt::AlignVCenter));
  if (role == Qt::BackgroundRole && index.column() == 0)
    return FirstColumnBackground;
  return {};
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  return Grid.RowCount() > 0 ? Q(Grid.Cell(0, section)) : QString();
}

void TextGridModel::Reset() {
  beginResetModel();
  endResetModel();
}

} // namespace kd::app
