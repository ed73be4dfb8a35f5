#pragma once
// Small conversions between the model's UTF-8 strings and Qt, and the fonts
// the windows are designed with.
#include <QFont>
#include <QString>
#include <string>

// Interface text number n of the active language.
QString Txt(int n);

inline QString Q(const std::string &s) { return QString::fromStdString(s); }
inline std::string S(const QString &s) { return s.toStdString(); }

// The family to use for a designed font name: the name itself when the
// system has it, otherwise a metric-compatible stand-in (Tahoma and Arial ->
// Liberation Sans, Courier New -> Liberation Mono, Times New Roman ->
// Liberation Serif).
QString MapFontFamily(const QString &family);
QFont DesignFont(const QString &family, int pointSize, bool bold = false);

// The program's folder with a trailing separator, and the program path with
// its extension replaced (ext with its dot, e.g. ".ini").
QString ProgramFolder();
QString ProgramFileWithExt(const QString &ext);
