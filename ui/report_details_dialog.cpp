#include "ui/report_details_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "report/report_texts.h"

namespace {
QString Q(const std::string &s) { return QString::fromUtf8(s.c_str(), static_cast<qsizetype>(s.size())); }
} // namespace

ReportDetailsDialog::ReportDetailsDialog(const LanguagePack &lang, QWidget *parent) : QDialog(parent) {
  setWindowTitle(Q(RT(lang, ReportText::ReportDialogTitle)));
  auto *form = new QFormLayout(this);
  TitleEdit = new QLineEdit(this);
  TitleEdit->setObjectName(QStringLiteral("ReportTitleEdit"));
  TitleEdit->setMaxLength(200);
  TitleEdit->setMinimumWidth(320);
  AuthorEdit = new QLineEdit(this);
  AuthorEdit->setObjectName(QStringLiteral("ReportAuthorEdit"));
  AuthorEdit->setMaxLength(200);
  form->addRow(Q(RT(lang, ReportText::Project)), TitleEdit);
  form->addRow(Q(RT(lang, ReportText::Author)), AuthorEdit);
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}
