#include "ui/form1.h"

#include "core/container.h"
#include "core/textfile.h"
#include "core/version.h"
#include "engine/evaluation.h"
#include "engine/xmlreader.h"
#include "settings/inifile.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form9.h"
#include "ui/globals.h"
#include "ui/uitext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {
// Fixed client area of the main window.
constexpr int kClientWidth = 457;
constexpr int kClientHeight = 217;
constexpr int kStatusHeight = 19;
// Shown in the status bar until the first step reports.
const char *const kInfoLine = "Korvadimensio 3D 3.3.0 - precision pre-analysis of 3D geodetic networks";
} // namespace

bool TOpenDialog::Execute(QWidget *parent) {
  const QString chosen = Platform().OpenFileName(parent, Title, Filter);
  if (chosen.isEmpty())
    return false;
  FileName = chosen;
  return true;
}

TForm1::TForm1(QWidget *parent) : QWidget(parent, Qt::Window | Qt::Tool) {
  setWindowTitle(QString::fromUtf8(kd::MainWindowCaption));
  setFont(DesignFont("Tahoma", 8));
  setFixedSize(kClientWidth, kClientHeight);

  BitBtn1 = MakeButton(8, 8, 153, 33, QString::fromUtf8("Načíst souřadnice"));
  BitBtn7 = MakeButton(168, 8, 57, 33, "*.txt");
  BitBtn2 = MakeButton(232, 8, 217, 33, "Mapa souřadnic");
  BitBtn3 = MakeButton(8, 48, 217, 33, QString::fromUtf8("Načíst měření"));
  BitBtn5 = MakeButton(232, 48, 217, 33, QString::fromUtf8("Mapa měření"));
  BitBtn6 = MakeButton(120, 96, 217, 33, QString::fromUtf8("- Nastavení - "));
  Bevel1 = new QFrame(this);
  Bevel1->setFrameShape(QFrame::HLine);
  Bevel1->setFrameShadow(QFrame::Sunken);
  Bevel1->setGeometry(8, 136, 441, 9);
  BitBtn4 = MakeButton(8, 160, 217, 33, QString::fromUtf8("- Výpočet - "));
  BitBtn8 = MakeButton(232, 160, 105, 33, "+ Protokol + ");
  BitBtn9 = MakeButton(344, 160, 105, 33, QString::fromUtf8("+ Výpočty + "));
  BitBtn8->setEnabled(false);
  BitBtn9->setEnabled(false);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setGeometry(0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
  StatusLabel = new QLabel(StatusBar1);
  StatusLabel->setObjectName("StatusText");
  StatusBar1->addWidget(StatusLabel, 1);

  OpenDialog1.DefaultExt = "*.txt";
  OpenDialog1.Filter = "Text files (*.txt);;All files (*)";

  Timer1 = Platform().CreateTimer(500);
  Timer1->SetEnabled(false);
  Timer1->OnTimer = [this] { Timer1Timer(); };

  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
  connect(BitBtn7, &QPushButton::clicked, this, &TForm1::BitBtn7Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
  connect(BitBtn6, &QPushButton::clicked, this, &TForm1::BitBtn6Click);
  connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
  connect(BitBtn8, &QPushButton::clicked, this, &TForm1::BitBtn8Click);
  connect(BitBtn9, &QPushButton::clicked, this, &TForm1::BitBtn9Click);

  FormCreate();
}

TForm1::~TForm1() { FormDestroy(); }

QPushButton *TForm1::MakeButton(int left, int top, int width, int height, const QString &caption) {
  auto *button = new QPushButton(caption, this);
  button->setGeometry(left, top, width, height);
  button->setFont(DesignFont("Tahoma", 9, true));
  QPalette palette = button->palette();
  palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(0, 0, 128));
  palette.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(0, 0, 128));
  button->setPalette(palette);
  return button;
}

void TForm1::FormCreate() {
  Container = new TContainer();
  SetStatusText(QString::fromUtf8(kInfoLine));
  LoadProgramSettings();
}

void TForm1::FormDestroy() {
  Timer1->SetEnabled(false);
  delete XMLReader;
  XMLReader = nullptr;
  delete Container;
  Container = nullptr;
}

void TForm1::closeEvent(QCloseEvent *event) {
  event->accept();
  // Closing the main window ends the program, even while a dialog of
  // another window would otherwise keep the event loop running.
  QCoreApplication::quit();
}

QString TForm1::StatusText() const { return StatusLabel->text(); }
void TForm1::SetStatusText(const QString &text) { StatusLabel->setText(text); }


void TForm1::ApplyTexts() {
  BitBtn1->setText(Txt(3));
  BitBtn7->setText(Txt(4));
  BitBtn2->setText(Txt(5));
  BitBtn3->setText(Txt(6));
  BitBtn5->setText(Txt(7));
  BitBtn6->setText(Txt(8));
  BitBtn4->setText(Txt(9));
  BitBtn8->setText(Txt(10));
  BitBtn9->setText(Txt(11));
}

// ---- loading files ----

void TForm1::LoadCoordinates(bool full) {
  OpenDialog1.Title = Txt(full ? 3 : 24);
  if (!OpenDialog1.Execute(this))
    return;
  const QString path = OpenDialog1.FileName;
  TSeznam3D &list = Container->Points.List;
  const int count = full ? list.LoadFull(S(path)) : list.LoadSimple(S(path));
  if (count >= 2) {
    SetStatusText(Txt(13) + QString::number(count));
    Form2->setWindowTitle(Txt(5) + " - [" + path + "]");
  } else {
    Platform().Message(this, Txt(12));
  }
}

void TForm1::BitBtn1Click() { LoadCoordinates(true); }
void TForm1::BitBtn7Click() { LoadCoordinates(false); }

void TForm1::BitBtn3Click() {
  OpenDialog1.Title = Txt(6);
  if (!OpenDialog1.Execute(this))
    return;
  const QString path = OpenDialog1.FileName;
  TMereni &meas = Container->Measurements;
  meas.LoadFromFile(S(path));
  const int before = meas.Count();
  const bool dropped = CheckConsistency();
  const int after = meas.Count();
  Form3->setWindowTitle(Txt(7) + " - [" + path + "]");
  QString line = Txt(16) + QString::number(after);
  if (dropped)
    line += " " + Txt(17) + " (" + QString::number(before - after) + ").";
  SetStatusText(line);
  // The reader keeps what it read before a fault; say where the file went
  // wrong so the user knows the list is incomplete.
  if (meas.LoadResult == TMereni::lfFormatError)
    Platform().Message(this, Txt(53) + " (" + path + ":" + QString::number(meas.LoadErrorLine) + ")");
  else if (meas.LoadResult == TMereni::lfCannotRead)
    Platform().Message(this, Txt(53) + " (" + path + ")");
}

// ---- plans and settings ----

void TForm1::BitBtn2Click() {
  if (Container->Points.List.Count() < 2) {
    Platform().Message(this, Txt(14));
    return;
  }
  Form2->PreparePlan();
  hide();
  Platform().ShowModal(Form2);
  show();
}

void TForm1::BitBtn5Click() {
  if (Container->Points.List.Count() < 2) {
    Platform().Message(this, Txt(14));
    return;
  }
  if (CheckConsistency())
    Platform().Message(this, Txt(15));
  Form3->PreparePlan();
  Form4->ActivateStationField();
  hide();
  Platform().ShowModal(Form3);
  show();
}

void TForm1::BitBtn6Click() {
  Form9->FormShow();
  Platform().ShowModal(Form9);
}

// ---- protocol ----

void TForm1::BitBtn8Click() {
  Form5->Memo1->clear();
  std::string bytes;
  const QString path = Q(RunFiles().Protocol);
  if (!kd::ReadFileBytes(S(path), bytes)) {
    Platform().Message(this, Txt(53) + " (" + path + ")");
    return;
  }
  Form5->SetProtocol(Q(kd::Cp1250ToUtf8(bytes)));
  Platform().ShowModal(Form5);
}

// ---- evaluation ----

bool TForm1::CheckConsistency() {
  return Container->CheckConsistency(true, WarningSink());
}

TWarningSink TForm1::WarningSink() {
  return [this](const std::string &warning) { Platform().Message(this, Q(warning)); };
}

void TForm1::BitBtn4Click() {
  const TEvaluationCheck check = CheckBeforeEvaluation(*Container, WarningSink());
  if (check.TooSmall) {
    Platform().Message(this, Txt(19));
    SetStatusText(Txt(20));
    return;
  }
  const TRunFiles files = RunFiles();
  if (!DeleteOutputs(files)) {
    // An old result that cannot be removed could be taken for the new one.
    EndRun(false);
    Platform().Message(this, Txt(20) + " (" + Q(files.Results) + ")");
    return;
  }
  Container->Measurements.Sort();
  Form3->RefreshGrid();
  if (!Container->WriteEngineInput(files.Input)) {
    EndRun(false);
    const std::string failed = FailedMeasurementText(Container->LastWriteFailure);
    Platform().Message(this, Txt(20) + " (" + Q(failed.empty() ? files.Input : failed) + ")");
    return;
  }
  Poll = TEnginePoll(files);
  PollCount = 0;
  if (StartEngine())
    SetStatusText(Txt(18));
  if (check.Dropped)
    SetStatusText(StatusText() + Txt(17) + ".");
}

TRunFiles TForm1::RunFiles() { return RunFilesForProgram(S(Platform().ProgramPath())); }

bool TForm1::StartEngine() {
  BitBtn4->setEnabled(false);
  BitBtn8->setEnabled(false);
  BitBtn9->setEnabled(false);
  const TRunFiles files = RunFiles();
  const QString engine = Q(EnginePathFor(S(Platform().ProgramPath())));
  QStringList args;
  for (const std::string &arg : EngineArguments(files))
    args << Q(arg);
  if (Platform().FileExists(Q(files.Results)))
    Platform().DeleteFile(Q(files.Results));
  QString error;
  const bool started = Platform().StartProcess(engine, args, error);
  if (!started)
    Platform().Message(this, error + " (" + engine + ")");
  // A failed start ends through the time-out of the poll.
  Timer1->SetEnabled(true);
  return started;
}

void TForm1::Timer1Timer() {
  const TPollState state = Poll.Tick();
  PollCount = Poll.PollCount();
  SetStatusText(Q(Poll.StatusText()));
  if (state == TPollState::Complete)
    EndRun(true);
  else if (state == TPollState::Failed)
    EndRun(false);
}

void TForm1::EndRun(bool complete) {
  BitBtn4->setEnabled(true);
  BitBtn8->setEnabled(complete);
  BitBtn9->setEnabled(complete);
  Timer1->SetEnabled(false);
  SetStatusText(Txt(complete ? 21 : 20));
}

// ---- calculations ----

void TForm1::BitBtn9Click() {
  delete XMLReader;
  XMLReader = new TXMLReader();
  std::vector<std::string> choices1, choices2;
  const TResultsOutcome outcome =
      ReadResults(*XMLReader, RunFiles().Results, Container->Points.ScSvpMode,
                  Container->Points.List, Form6->Table, choices1, choices2);
  switch (outcome) {
  case TResultsOutcome::Shown:
    Form6->ShowResults(choices1);
    Platform().ShowModal(Form6);
    break;
  case TResultsOutcome::Not3d:
    Platform().Message(this, Txt(23));
    SetStatusText(Txt(23));
    break;
  case TResultsOutcome::LoadFailed:
  case TResultsOutcome::TableFailed:
    // The file cannot be read or parsed, or an ellipsoid cannot be
    // computed: say why; the reader stays without a table.
    Platform().Message(this, Q(XMLReader->Error));
    break;
  }
}

void TForm1::LoadProgramSettings() {
  inifile settings;
  settings.LoadSettings(Container->Points, S(ProgramFileWithExt(".ini")));
}
