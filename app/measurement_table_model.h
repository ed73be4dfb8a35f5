#pragma once
// The measurements of the network document as a table of four columns: the
// type's code, station and target (two decimals) and the standard deviation
// (five decimals; metres, or gon for angles), one row per measurement in
// the list's order. Like PointTableModel it keeps no copy and resets itself
// when the document says its measurements changed; edits go through the
// document.
#include "app/document_table_model.h"

namespace kd::app {

class MeasurementTableModel : public DocumentTableModel {
  Q_OBJECT
public:
  enum Column { TypeColumn, StationColumn, TargetColumn, PrecisionColumn, ColumnCount };

  // The header texts come from `lang`, which must outlive the model.
  MeasurementTableModel(const NetworkDocument &document, const LanguagePack &lang,
                        QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
};

} // namespace kd::app
