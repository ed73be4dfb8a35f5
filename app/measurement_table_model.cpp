#include "app/measurement_table_model.h"

#include "app/network_document.h"
#include "core/number_text.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

namespace kd::app {

namespace {
QString Q(const std::string &s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

MeasurementTableModel::MeasurementTableModel(const NetworkDocument &document, const LanguagePack &lang,
                                             QObject *parent)
    : DocumentTableModel(document, lang, ColumnCount, parent) {
  connect(&document, &NetworkDocument::MeasurementsChanged, this, &MeasurementTableModel::Refresh);
}

int MeasurementTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Document.Network().Measurements.Count();
}

QVariant MeasurementTableModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
    return {};
  const Measurement &m = Document.Network().Measurements.Items[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
  case TypeColumn: return Q(MeasurementList::TypeName(m.MeasType));
  case StationColumn: return Q(NumToTextFixed(m.Station, 8, 2));
  case TargetColumn: return Q(NumToTextFixed(m.Target, 8, 2));
  case PrecisionColumn: return Q(NumToTextFixed(m.StdDev, 3, 5));
  default: return {};
  }
}

QVariant MeasurementTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
    return QAbstractTableModel::headerData(section, orientation, role);
  switch (section) {
  case TypeColumn: return Q(Tr(Language, Text::Type));
  case StationColumn: return Q(Tr(Language, Text::Station));
  case TargetColumn: return Q(Tr(Language, Text::Target));
  case PrecisionColumn: return Q(Tr(Language, Text::Precision));
  default: return {};
  }
}

} // namespace kd::app
