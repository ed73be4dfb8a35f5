#include "ui/exports.h"

#include <QFileInfo>

#include "core/survey_network.h"
#include "evaluation/points_csv.h"
#include "plot/precision_dxf.h"
#include "ui/platform.h"
#include "ui/ui_text.h"

namespace {

// The name from the save dialog with the extension `ext` (".dxf"), or
// empty after a refusal (told to the user) or a cancelled dialog.
QString ChosenFile(PlatformServices &platform, const LanguagePack &lang, QWidget *parent,
                   const QString &title, const QString &ext, bool (*accepted)(const std::string &),
                   const SurveyNetwork &network) {
  QString file = platform.SaveFileName(parent, title);
  if (file.isEmpty())
    return {};
  if (QFileInfo(file).suffix().isEmpty())
    file += ext;
  if (!accepted(S(file))) {
    platform.Message(parent, Txt(lang, Text::FileNameMustEndIn).arg(ext, file));
    return {};
  }
  // Never over a file of the network itself.
  const QString target = QFileInfo(file).absoluteFilePath();
  for (const std::string *input : {&network.Points.List.FileName, &network.Measurements.FileName,
                                   &network.Points.List.LoadedFileName,
                                   &network.Measurements.LoadedFileName}) {
    if (input->empty())
      continue;
    const QFileInfo in(Q(*input));
    if (in.absoluteFilePath() == target ||
        (in.exists() && QFileInfo(file).exists() &&
         in.canonicalFilePath() == QFileInfo(file).canonicalFilePath())) {
      platform.Message(parent, Txt(lang, Text::IsNetworkFile).arg(file, Q(*input)));
      return {};
    }
  }
  return file;
}

} // namespace

bool ExportPlanDxf(PlatformServices &platform, const LanguagePack &lang, QWidget *parent,
                   const SurveyNetwork &network, const NetworkPrecision *precision,
                   const PlotOptions &options) {
  const QString file = ChosenFile(platform, lang, parent, Txt(lang, Text::ExportDxfTitle),
                                  QStringLiteral(".dxf"), IsDxfFileName, network);
  if (file.isEmpty())
    return false;
  std::string error;
  if (!WritePrecisionDxf(S(file), network, precision, options, DxfOptions{}, error)) {
    platform.Message(parent, Txt(lang, Text::Error) + ": " + Q(error));
    return false;
  }
  return true;
}

bool ExportPointsCsv(PlatformServices &platform, const LanguagePack &lang, QWidget *parent,
                     const SurveyNetwork &network, const NetworkPrecision &precision,
                     ConfidenceLevel level) {
  const QString file = ChosenFile(platform, lang, parent, Txt(lang, Text::SaveAsCsv),
                                  QStringLiteral(".csv"), IsCsvFileName, network);
  if (file.isEmpty())
    return false;
  std::string error;
  if (!WritePointsCsv(S(file), network.Points.List, precision, level, error)) {
    platform.Message(parent, Txt(lang, Text::Error) + ": " + Q(error));
    return false;
  }
  return true;
}
