#pragma once
// Writing a pre-analysis report as PDF (A4, tables paginated with repeated
// headers, wide tables on landscape pages, the plan as a vector drawing) or
// as one self-contained HTML file (the plan embedded as a PNG picture).
// Files are written whole to a temporary name and renamed: a failed write
// leaves no file behind and an existing file as it was.
#include <QByteArray>
#include <string>

class LanguagePack;
struct ReportData;

enum class ReportFormat { Pdf, Html };

// The format named by the file's extension (.pdf; .html or .htm), case
// ignored. False, with `error` saying so, for any other extension.
bool ReportFormatOf(const std::string &path, ReportFormat &format, std::string &error);

// The report's bytes in either format, in the language of `lang`.
QByteArray ReportPdf(const LanguagePack &lang, const ReportData &data, int *pageCount = nullptr);
QByteArray ReportHtml(const LanguagePack &lang, const ReportData &data);

// Writes the report to `path` in the format of its extension. False, with
// `error` a sentence for the user, for an unknown extension or a file that
// cannot be written.
bool WriteReport(const LanguagePack &lang, const ReportData &data, const std::string &path,
                 std::string &error);
