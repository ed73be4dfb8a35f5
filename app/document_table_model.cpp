#include "app/document_table_model.h"

namespace kd::app {

DocumentTableModel::DocumentTableModel(const NetworkDocument &document, const LanguagePack &lang,
                                       int columns, QObject *parent)
    : QAbstractTableModel(parent), Document(document), Language(lang), Columns(columns) {}

int DocumentTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : Columns;
}

void DocumentTableModel::Refresh() {
  beginResetModel();
  endResetModel();
}

void DocumentTableModel::RetranslateHeaders() { emit headerDataChanged(Qt::Horizontal, 0, Columns - 1); }

} // namespace kd::app
