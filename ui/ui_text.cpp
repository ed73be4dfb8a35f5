#include "ui/ui_text.h"

#include "core/text_file.h"
#include "settings/language_pack.h"
#include "settings/settings_file.h"
#include "ui/platform.h"

#include <QFontDatabase>

QString Txt(const LanguagePack &lang, Text id) { return Q(Tr(lang, id)); }

QString MapFontFamily(const QString &family) {
  static const QStringList available = QFontDatabase::families();
  if (available.contains(family, Qt::CaseInsensitive))
    return family;
  const QString f = family.toLower();
  if (f == "tahoma" || f == "arial" || f == "ms sans serif" || f == "verdana")
    return QStringLiteral("Liberation Sans");
  if (f == "courier new" || f == "courier")
    return QStringLiteral("Liberation Mono");
  if (f == "times new roman" || f == "times")
    return QStringLiteral("Liberation Serif");
  return family;
}

QFont DesignFont(const QString &family, int pointSize, bool bold) {
  QFont font(MapFontFamily(family), pointSize);
  font.setBold(bold);
  return font;
}

std::vector<std::string> DataFolders(PlatformServices &platform) { return platform.Folders().DataFolders(); }

QString OwnFileWithExt(PlatformServices &platform, const QString &ext) {
  const std::string name = kd::ChangeFileExt(kd::FileNamePart(S(platform.ProgramPath())), S(ext));
  const std::string folder = platform.Folders().OwnFilesFolder();
  if (folder.empty())
    return Q(name);
  return Q(folder.back() == '/' ? folder + name : folder + "/" + name);
}

bool MakeOwnFilesFolder(PlatformServices &platform, QString &error) {
  std::string why;
  if (platform.Folders().MakeOwnFilesFolder(why))
    return true;
  error = Q(why);
  return false;
}
