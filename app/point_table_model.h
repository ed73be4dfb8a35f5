#pragma once
// The points of the network document as a table of four columns: the point
// number, X, Y and Z in metres (three decimals), one row per point in the
// list's order. The model keeps no copy: it reads the document's network
// whenever a view asks, and resets itself when the document says its points
// changed. Edits go through the document (and so onto its undo stack); the
// table itself is read-only.
#include "app/document_table_model.h"

namespace kd::app {

class PointTableModel : public DocumentTableModel {
  Q_OBJECT
public:
  enum Column { NumberColumn, XColumn, YColumn, ZColumn, ColumnCount };

  // The header texts come from `lang`, which must outlive the model.
  PointTableModel(const NetworkDocument &document, const LanguagePack &lang,
                  QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
};

} // namespace kd::app
