#pragma once
// The report's title block fields (project name and author), asked before a
// report is written and remembered for the next one.
#include <QDialog>

class LanguagePack;
class QLineEdit;

class ReportDetailsDialog : public QDialog {
  Q_OBJECT
public:
  // Its texts come from `lang`.
  ReportDetailsDialog(const LanguagePack &lang, QWidget *parent);

  QLineEdit *TitleEdit = nullptr;
  QLineEdit *AuthorEdit = nullptr;
};
