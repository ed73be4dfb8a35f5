#include "ui/form6.h"

#include "core/numtext.h"
#include "engine/xmlreader.h"
#include "ui/globals.h"
#include "ui/platform.h"
#include "ui/uitext.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QGuiApplication>
#include <algorithm>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
constexpr int kMinWidth = 715;
const char *const kNoValue = "--------";
} // namespace

TForm6::TForm6(QWidget *parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8("Výsledky a výpočty"));
  setFont(DesignFont("Tahoma", 8));
  setMinimumWidth(kMinWidth);
  // Wide enough for every column of the results table where the screen allows.
  int width = 1300;
  if (const QScreen *screen = QGuiApplication::primaryScreen())
    width = std::min(width, screen->availableGeometry().width() - 40);
  resize(std::max(width, kMinWidth), 520);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  auto *main = new QVBoxLayout(this);
  auto *controls = new QGridLayout();
  Label1 = new QLabel(this);
  ComboBox3 = new QComboBox(this);
  Label6 = new QLabel(this);
  ComboBox1 = new QComboBox(this);
  Label7 = new QLabel(this);
  ComboBox2 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox2->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox2->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setMinimumWidth(110);
  ComboBox2->setMinimumWidth(110);
  ComboBox3->setMinimumWidth(110);
  BitBtn1 = new QPushButton(this);
  Label2 = new QLabel(this);
  Label4 = new QLabel(kNoValue, this);
  Label3 = new QLabel(this);
  Label5 = new QLabel(kNoValue, this);
  QFont valueFont = DesignFont("Tahoma", 9, true);
  Label4->setFont(valueFont);
  Label5->setFont(valueFont);
  Label4->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label5->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Label4->setMinimumWidth(150);
  Label5->setMinimumWidth(150);
  BitBtn2 = new QPushButton(this);
  BitBtn3 = new QPushButton(this);
  BitBtn1->setMinimumWidth(130);
  BitBtn2->setMinimumWidth(130);
  BitBtn3->setMinimumWidth(130);

  controls->addWidget(Label1, 0, 0);
  controls->addWidget(ComboBox3, 0, 1);
  controls->addWidget(Label6, 0, 2);
  controls->addWidget(ComboBox1, 0, 3);
  controls->addWidget(Label7, 0, 4);
  controls->addWidget(ComboBox2, 0, 5);
  controls->addWidget(BitBtn1, 0, 6);
  controls->addWidget(Label2, 1, 0);
  controls->addWidget(Label4, 1, 1);
  controls->addWidget(Label3, 1, 2);
  controls->addWidget(Label5, 1, 3);
  controls->addWidget(BitBtn2, 1, 5);
  controls->addWidget(BitBtn3, 1, 6);
  controls->setColumnStretch(7, 1);
  main->addLayout(controls);

  StringGrid1 = new QTableWidget(this);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->verticalHeader()->setVisible(false);
  StringGrid1->verticalHeader()->setDefaultSectionSize(18);
  StringGrid1->setFont(DesignFont("Tahoma", 8));
  main->addWidget(StringGrid1, 1);

  connect(BitBtn1, &QPushButton::clicked, this, &TForm6::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm6::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm6::BitBtn3Click);
}

void TForm6::ApplyTexts() {
  setWindowTitle(Txt(55));
  Label1->setText(Txt(56));
  Label6->setText(Txt(57));
  Label7->setText(Txt(58));
  BitBtn1->setText(Txt(59));
  Label2->setText(Txt(60));
  Label3->setText(Txt(61));
  BitBtn2->setText(Txt(62));
  BitBtn3->setText(Txt(63));
  ComboBox3->clear();
  ComboBox3->addItems({Txt(64), Txt(65), Txt(66)});
  ComboBox3->setCurrentIndex(0);
}

void TForm6::resizeEvent(QResizeEvent *event) {
  if (event->size().width() < kMinWidth)
    resize(kMinWidth, event->size().height());
  QDialog::resizeEvent(event);
}

void TForm6::ShowResults(const std::vector<std::string> &choices) {
  const TGrid &grid = Table;
  const int rows = grid.RowCount();
  const int cols = grid.ColCount;
  StringGrid1->clear();
  StringGrid1->setColumnCount(cols);
  StringGrid1->setRowCount(rows > 0 ? rows - 1 : 0);
  QStringList header;
  for (int c = 0; c < cols; ++c)
    header << (rows > 0 ? Q(grid.Cell(0, c)) : QString());
  StringGrid1->setHorizontalHeaderLabels(header);
  const QBrush fixedBrush = palette().brush(QPalette::Button);
  for (int r = 1; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      auto *item = new QTableWidgetItem(Q(grid.Cell(r, c)));
      item->setTextAlignment(c == 0 ? (Qt::AlignLeft | Qt::AlignVCenter)
                                    : (Qt::AlignRight | Qt::AlignVCenter));
      if (c == 0)
        item->setBackground(fixedBrush);
      StringGrid1->setItem(r - 1, c, item);
    }
  for (int c = 0; c < cols; ++c)
    StringGrid1->setColumnWidth(c, c < TXMLReader::ResultColumns ? TXMLReader::ResultColWidths[c] : 66);

  ComboBox1->clear();
  ComboBox2->clear();
  for (const std::string &choice : choices) {
    ComboBox1->addItem(Q(choice));
    ComboBox2->addItem(Q(choice));
  }
  ComboBox1->setCurrentIndex(choices.empty() ? -1 : 0);
  ComboBox2->setCurrentIndex(choices.empty() ? -1 : 0);
  Label4->setText(kNoValue);
  Label5->setText(kNoValue);
}

// Position of the chooser's text in its list: typed text that names no point
// gives -1.
static int ChosenPosition(const QComboBox *box) {
  const int index = box->findText(box->currentText(), Qt::MatchExactly);
  return index;
}

void TForm6::BitBtn1Click() {
  if (!XMLReader)
    return;
  std::string distance, sigma;
  if (XMLReader->CalculateDistance(ChosenPosition(ComboBox1), ChosenPosition(ComboBox2),
                                   ComboBox3->currentIndex(), distance, sigma)) {
    Label4->setText(Q(distance));
    Label5->setText(Q(sigma));
  } else {
    // A typed text that names no point, or a matrix that is no covariance:
    // nothing to show.
    Label4->setText(kNoValue);
    Label5->setText(kNoValue);
  }
}

void TForm6::BitBtn2Click() {
  const QString file = Platform().SaveFileName(this, QString());
  if (file.isEmpty())
    return;
  if (!TXMLReader::SaveGrid(Table, S(file)))
    Platform().Message(this, Txt(53) + " (" + file + ")");
}

void TForm6::BitBtn3Click() {
  if (!XMLReader || !XMLReader->CovOk || !XMLReader->CoordsOk)
    return;
  const QString file = Platform().SaveFileName(this, QString());
  if (file.isEmpty())
    return;
  if (!XMLReader->SaveCov(S(file)))
    Platform().Message(this, Txt(53) + " (" + file + ")");
}
