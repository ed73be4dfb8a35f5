#pragma once
// Small conversions between the model's UTF-8 strings and Qt, and the fonts
// the windows are designed with.
#include <QFont>
#include <QString>
#include <string>
#include <vector>

#include "settings/text_catalogue.h"

// The catalogue's text `id` in the language of `lang` (windows ask their
// application: App.Txt(id)).
QString Txt(const LanguagePack &lang, Text id);

inline QString Q(const std::string &s) { return QString::fromStdString(s); }
inline std::string S(const QString &s) { return s.toStdString(); }

// The family to use for a designed font name: the name itself when the
// system has it, otherwise a metric-compatible stand-in (Tahoma and Arial ->
// Liberation Sans, Courier New -> Liberation Mono, Times New Roman ->
// Liberation Serif).
QString MapFontFamily(const QString &family);
QFont DesignFont(const QString &family, int pointSize, bool bold = false);

// The folders searched for language packs and the sample network, in order.
class PlatformServices;
std::vector<std::string> DataFolders(PlatformServices &platform);
// The program's own file named after the program with the extension `ext`
// (with its dot, e.g. ".ini"), in the own-files folder.
QString OwnFileWithExt(PlatformServices &platform, const QString &ext);
// Makes sure the own-files folder exists before a file is written there.
// False with `error` saying why when it cannot be made.
bool MakeOwnFilesFolder(PlatformServices &platform, QString &error);
