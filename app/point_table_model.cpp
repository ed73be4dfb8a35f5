#include "app/point_table_model.h"

#include "app/network_document.h"
#include "core/number_text.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

namespace kd::app {

namespace {
QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

PointTableModel::PointTableModel(const NetworkDocument &document, const LanguagePack &lang,
                                 QObject *parent)
    : DocumentTableModel(document, lang, ColumnCount, parent) {
  connect(&document, &NetworkDocument::PointsChanged, this, &PointTableModel::Refresh);
}

int PointTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Document.Network().Points.List.Count();
}

QVariant PointTableModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
    return {};
  const NetworkPoint &p = Document.Network().Points.List.Items[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
  case NumberColumn: return Q(NumToText(p.Number));
  case XColumn: return Q(NumToTextFixed(p.X, 8, 3));
  case YColumn: return Q(NumToTextFixed(p.Y, 8, 3));
  case ZColumn: return Q(NumToTextFixed(p.Z, 8, 3));
  default: return {};
  }
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
  case NumberColumn: return Q(Tr(Language, Text::PointNumberShort));
  case XColumn: return QStringLiteral("X/m");
  case YColumn: return QStringLiteral("Y/m");
  case ZColumn: return QStringLiteral("Z/m");
  default: return {};
  }
}

} // namespace kd::app
