#include "ui/ui_text.h"

#include "core/text_file.h"
#include "settings/language_pack.h"
#include "ui/platform.h"

#include <QFontDatabase>

QString Txt(int n) { return Q(Lang().Text(n)); }

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

QString ProgramFolder() {
  const std::string dir = kd::DirectoryOf(S(Platform().ProgramPath()));
  if (dir.empty())
    return QString();
  return dir.back() == '/' ? Q(dir) : Q(dir) + '/';
}

QString ProgramFileWithExt(const QString &ext) {
  return Q(kd::ChangeFileExt(S(Platform().ProgramPath()), S(ext)));
}
