#pragma once
// The points of the network document as a table of four columns: the point
// number, X, Y and Z in metres (three decimals), one row per point in the
// list's order. The model keeps no copy: it reads the document's network
// whenever a view asks, and resets itself when the document says its points
// changed. Edits go through the document (and so onto its undo stack); the
// table itself is read-only.
#include <QAbstractTableModel>

class LanguagePack;

namespace kd::app {

class NetworkDocument;

class PointTableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum Column { NumberColumn, XColumn, YColumn, ZColumn, ColumnCount };

  // The header texts come from `lang`, which must outlive the model.
  PointTableModel(const NetworkDocument &document, const LanguagePack &lang,
                  QObject *parent = nullptr);

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Shows the network's points anew (after a change made outside a
  // document step, e.g. a load).
  void Refresh();
  // The header texts follow the pack the model was given: after it
  // changed, tells the views to ask again.
  void RetranslateHeaders();

private:
  const NetworkDocument &Document;
  const LanguagePack &Language; // the owner's texts, followed after a switch
};

} // namespace kd::app
