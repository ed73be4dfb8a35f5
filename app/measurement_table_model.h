#pragma once
// The measurements of the network document as a table of four columns: the
// type's code, station and target (two decimals) and the standard deviation
// (five decimals; metres, or gon for angles), one row per measurement in
// the list's order. Like PointTableModel it keeps no copy and resets itself
// when the document says its measurements changed; edits go through the
// document.
#include <QAbstractTableModel>

class LanguagePack;

namespace kd::app {

class NetworkDocument;

class MeasurementTableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum Column { TypeColumn, StationColumn, TargetColumn, PrecisionColumn, ColumnCount };

  // The header texts come from `lang`, which must outlive the model.
  MeasurementTableModel(const NetworkDocument &document, const LanguagePack &lang,
                        QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Shows the network's measurements anew.
  void Refresh();
  // The header texts follow the pack the model was given: after it
  // changed, tells the views to ask again.
  void RetranslateHeaders();

private:
  const NetworkDocument &Document;
  const LanguagePack &Language; // the owner's texts, followed after a switch
};

} // namespace kd::app
