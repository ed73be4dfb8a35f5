#pragma once
// What the document's tables have in common: a fixed number of columns, no
// copy of the network (views ask the document whenever they draw), a reset
// when the document says the rows changed, and headers worded from the
// owner's language pack, which the views ask for again after a switch.
#include <QAbstractTableModel>

class LanguagePack;

namespace kd::app {

class NetworkDocument;

class DocumentTableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;

  // Shows the document's rows anew.
  void Refresh();
  // The header texts follow the pack the model was given: after it
  // changed, tells the views to ask again.
  void RetranslateHeaders();

protected:
  // `lang` must outlive the model.
  DocumentTableModel(const NetworkDocument &document, const LanguagePack &lang, int columns,
                     QObject *parent);

  const NetworkDocument &Document;
  const LanguagePack &Language; // the owner's texts, followed after a switch

private:
  int Columns;
};

} // namespace kd::app
