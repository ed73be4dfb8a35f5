#include "report/report_writer.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/text_file.h"
#include "evaluation/report_data.h"
#include "report/report_content.h"
#include "report/report_plan.h"
#include "report/report_texts.h"
#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

namespace {

QString Q(const std::string &s) { return QString::fromUtf8(s.c_str(), static_cast<qsizetype>(s.size())); }

QColor MarkColour(RowMark mark) {
  switch (mark) {
  case RowMark::Uncontrolled:
    return QColor(250, 215, 215);
  case RowMark::Weak:
    return QColor(253, 235, 200);
  case RowMark::Controlled:
  case RowMark::None:
    break;
  }
  return QColor();
}

// Draws a small ellipse (semi-axes scaled so that `largest` fills the cell).
void DrawEllipseGlyph(QPainter &painter, const QRectF &cell, const ErrorEllipse &e,
                      long double largest) {
  if (!(largest > 0))
    return;
  const double r = std::min(cell.width(), cell.height()) * 0.45;
  const double a = r * static_cast<double>(e.SemiMajor / largest);
  const double b = r * static_cast<double>(e.SemiMinor / largest);
  painter.save();
  painter.translate(cell.center());
  painter.rotate(static_cast<double>(e.Bearing) * 0.9); // gon -> degrees; +X right, +Y down
  painter.drawEllipse(QPointF(0, 0), a, std::max(b, 0.02 * r));
  painter.restore();
}

long double LargestEllipse(const ReportTable &t) {
  long double m = 0;
  for (const ErrorEllipse &e : t.Ellipses)
    m = std::max(m, e.SemiMajor);
  return m;
}

// ---- PDF ----

class PdfLayout {
public:
  PdfLayout(QPdfWriter &writer, QPainter &painter, const LanguagePack &lang, const ReportData &data,
            int totalPages)
      : Writer(writer), Painter(painter), Language(lang), Data(data), TotalPages(totalPages) {
    Unit = writer.resolution() / 72.0;
    Area = ContentRect();
  }

  int Pages() const { return PageNumber; }

  void Font(double points, bool bold = false) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    Painter.setFont(f);
  }

  void Begin() {
    PageNumber = 1;
    Y = Area.top();
  }

  void NewPage(bool landscape) {
    Footer();
    Writer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    Writer.newPage();
    ++PageNumber;
    Area = ContentRect();
    Y = Area.top();
  }

  void Finish() { Footer(); }

  void Heading(const std::string &text, double size = 12) {
    Font(size, true);
    const double h = QFontMetricsF(Painter.font()).height() * 1.4;
    Painter.setPen(Qt::black);
    Painter.drawText(QRectF(Area.left(), Y, Area.width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                     Q(text));
    Y += h;
  }

  void Fields(const std::vector<ReportField> &fields) {
    Font(9);
    const QFontMetricsF fm(Painter.font());
    const double labelWidth = Area.width() * 0.42;
    for (const ReportField &f : fields) {
      const QRectF valueRect(Area.left() + labelWidth, Y, Area.width() - labelWidth, 1e6);
      const QRectF needed = fm.boundingRect(valueRect, Qt::TextWordWrap, Q(f.Value));
      const QRectF label = fm.boundingRect(QRectF(Area.left(), Y, labelWidth - 6 * Unit, 1e6),
                                           Qt::TextWordWrap, Q(f.Label));
      const double h = std::max({fm.height(), needed.height(), label.height()}) + 3 * Unit;
      Painter.setPen(QColor(60, 60, 60));
      Painter.drawText(QRectF(Area.left(), Y, labelWidth - 6 * Unit, h), Qt::TextWordWrap, Q(f.Label));
      Painter.setPen(Qt::black);
      Painter.drawText(QRectF(valueRect.left(), Y, valueRect.width(), h), Qt::TextWordWrap, Q(f.Value));
      Y += h;
    }
    Y += 8 * Unit;
  }

  void Paragraph(const std::string &text, double size = 8) {
    Font(size);
    const QFontMetricsF fm(Painter.font());
    const QRectF r = fm.boundingRect(QRectF(Area.left(), Y, Area.width(), 1e6), Qt::TextWordWrap, Q(text));
    Painter.setPen(Qt::black);
    Painter.drawText(QRectF(Area.left(), Y, Area.width(), r.height()), Qt::TextWordWrap, Q(text));
    Y += r.height() + 4 * Unit;
  }

  void Plan(const std::string &title, const std::string &legend) {
    Heading(title);
    const double legendHeight = 40 * Unit;
    const QRectF area(Area.left(), Y, Area.width(),
                      std::min(Area.bottom() - Y - legendHeight, Area.width() * 1.2));
    DrawReportPlan(Painter, area, Language, Data, Unit, false);
    Y = area.bottom() + 4 * Unit;
    Paragraph(legend);
  }

  // The small plan of page 1 in the space left above the footer; nothing
  // when too little is left.
  void SmallPlan(const std::string &title) {
    const double height = Bottom() - Y - 20 * Unit;
    if (height < 160 * Unit)
      return;
    Heading(title, 11);
    const double h = std::min(height - 4 * Unit, Area.width() * 0.8);
    const double w = std::min(Area.width(), h * 1.4);
    DrawReportPlan(Painter, QRectF(Area.left(), Y, w, h), Language, Data, Unit, true);
    Y += h + 4 * Unit;
  }

  // A new page unless `points` of height are left.
  void Remaining(double points) {
    if (Y + points * Unit > Bottom())
      NewPage(false);
  }

  // A table that continues on new pages with its header repeated. A table
  // starts on a new page when its title, header and three rows do not fit.
  void Table(const ReportTable &t) {
    const double size = t.Wide ? 7 : 7.5;
    Font(size);
    const double rowH = QFontMetricsF(Painter.font()).height() * 1.3;
    const double headingH = 12 * 1.6 * Unit;
    if (Y + headingH + rowH * 4 > Bottom())
      NewPage(t.Wide);
    if (!t.Title.empty())
      Heading(t.Title, 11);
    if (t.Rows.empty()) {
      Paragraph(t.EmptyText, 9);
      Y += 8 * Unit;
      return;
    }
    double total = 0;
    for (double w : t.Widths)
      total += w;
    std::vector<double> widths;
    for (double w : t.Widths)
      widths.push_back(Area.width() * w / total);
    Header(t, widths, size, rowH);
    const long double largest = LargestEllipse(t);
    for (std::size_t r = 0; r < t.Rows.size(); ++r) {
      if (Y + rowH > Bottom()) {
        NewPage(t.Wide);
        Heading(t.Title, 11);
        Header(t, widths, size, rowH);
      }
      Font(size);
      if (r < t.Marks.size() && MarkColour(t.Marks[r]).isValid())
        Painter.fillRect(QRectF(Area.left(), Y, Area.width(), rowH), MarkColour(t.Marks[r]));
      else if (r % 2 == 1)
        Painter.fillRect(QRectF(Area.left(), Y, Area.width(), rowH), QColor(245, 245, 245));
      Painter.setPen(Qt::black);
      Cells(t, t.Rows[r], widths, rowH);
      if (r < t.Ellipses.size()) {
        Painter.setPen(QPen(QColor(0, 60, 200), 0.6 * Unit));
        Painter.setBrush(Qt::NoBrush);
        double x = Area.left();
        for (std::size_t c = 0; c + 1 < widths.size(); ++c)
          x += widths[c];
        DrawEllipseGlyph(Painter, QRectF(x, Y, widths.back(), rowH), t.Ellipses[r], largest);
      }
      Y += rowH;
    }
    Painter.setPen(QPen(Qt::black, 0.5 * Unit));
    Painter.drawLine(QPointF(Area.left(), Y), QPointF(Area.right(), Y));
    Y += 14 * Unit;
  }

private:
  QRectF ContentRect() const {
    const QRect r = Writer.pageLayout().paintRectPixels(Writer.resolution());
    return QRectF(0, 0, r.width(), r.height());
  }
  double Bottom() const { return Area.bottom() - 18 * Unit; }

  // The header row: cells wrap onto a second line when they need it.
  void Header(const ReportTable &t, const std::vector<double> &widths, double size, double rowH) {
    Font(size, true);
    const QFontMetricsF fm(Painter.font());
    const double pad = 2.5 * Unit;
    double h = rowH;
    for (std::size_t c = 0; c < widths.size() && c < t.Header.size(); ++c)
      h = std::max(h, fm.boundingRect(QRectF(0, 0, widths[c] - 2 * pad, 1e6), Qt::TextWordWrap,
                                      Q(t.Header[c])).height() + rowH - fm.height());
    Painter.fillRect(QRectF(Area.left(), Y, Area.width(), h), QColor(220, 225, 235));
    Painter.setPen(Qt::black);
    double x = Area.left();
    for (std::size_t c = 0; c < widths.size(); ++c) {
      if (c < t.Header.size() && !t.Header[c].empty()) {
        const bool left = c < t.AlignLeft.size() && t.AlignLeft[c];
        Painter.drawText(QRectF(x + pad, Y, widths[c] - 2 * pad, h),
                         (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::TextWordWrap,
                         Q(t.Header[c]));
      }
      x += widths[c];
    }
    Y += h;
    Font(size);
  }

  void Cells(const ReportTable &t, const std::vector<std::string> &cells,
             const std::vector<double> &widths, double rowH) {
    double x = Area.left();
    const double pad = 2.5 * Unit;
    const QFontMetricsF fm(Painter.font());
    for (std::size_t c = 0; c < widths.size(); ++c) {
      if (c < cells.size() && !cells[c].empty()) {
        const bool left = c < t.AlignLeft.size() && t.AlignLeft[c];
        const QString text = fm.elidedText(Q(cells[c]), Qt::ElideRight, widths[c] - 2 * pad);
        Painter.drawText(QRectF(x + pad, Y, widths[c] - 2 * pad, rowH),
                         (left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, text);
      }
      x += widths[c];
    }
  }

  void Footer() {
    Font(7);
    Painter.setPen(QColor(80, 80, 80));
    const QRectF r(Area.left(), Area.bottom() - 12 * Unit, Area.width(), 12 * Unit);
    Painter.drawLine(QPointF(Area.left(), r.top()), QPointF(Area.right(), r.top()));
    Painter.drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                     Q("Korvadimensio 3D " + Data.ProgramVersion + " - " + Data.NetworkName));
    std::string page = RT(Language, ReportText::Page) + " " + std::to_string(PageNumber);
    if (TotalPages > 0)
      page += " " + RT(Language, ReportText::Of) + " " + std::to_string(TotalPages);
    Painter.drawText(r, Qt::AlignRight | Qt::AlignVCenter, Q(page));
  }

  QPdfWriter &Writer;
  QPainter &Painter;
  const LanguagePack &Language;
  const ReportData &Data;
  int TotalPages = 0;
  double Unit = 1;
  QRectF Area;
  double Y = 0;
  int PageNumber = 1;
};

QByteArray RenderPdf(const LanguagePack &lang, const ReportData &data, const ReportContent &content,
                     int totalPages, int &pages) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter);
    writer.setTitle(Q(content.Title + " - " + data.NetworkName));
    writer.setCreator(Q("Korvadimensio 3D " + data.ProgramVersion));
    QPainter painter(&writer);
    PdfLayout layout(writer, painter, lang, data, totalPages);
    layout.Begin();
    layout.Heading(content.Title, 17);
    layout.Fields(content.TitleBlock);
    if (!content.Verdicts.empty()) {
      layout.Heading(RT(lang, ReportText::Verdicts));
      for (const std::string &v : content.Verdicts)
        layout.Paragraph(v, 10);
    }
    layout.Heading(RT(lang, ReportText::Summary));
    layout.Fields(content.Summary);
    for (const std::string &st : content.Statements)
      layout.Paragraph(st);
    if (!content.Assumptions.empty()) {
      layout.Heading(RT(lang, ReportText::Assumptions), 11);
      for (const std::string &a : content.Assumptions)
        layout.Paragraph("\u2022 " + a);
    }
    for (const std::string &w : data.Warnings)
      layout.Paragraph(w);
    layout.SmallPlan(content.OverviewTitle);
    layout.NewPage(false);
    layout.Plan(content.PlanTitle, content.PlanLegend);
    bool landscape = false;
    for (const ReportTable &t : content.Tables) {
      if (t.Wide != landscape) {
        layout.NewPage(t.Wide);
        landscape = t.Wide;
      }
      layout.Table(t);
    }
    for (const ReportSection &section : content.ExtraSections) {
      if (landscape) {
        layout.NewPage(false);
        landscape = false;
      }
      layout.Remaining(80);
      layout.Heading(section.Title);
      for (const std::string &text : section.Paragraphs)
        layout.Paragraph(text, 9);
      if (!section.Fields.empty())
        layout.Fields(section.Fields);
      for (const ReportTable &t : section.Tables)
        layout.Table(t);
    }
    layout.Finish();
    pages = layout.Pages();
    painter.end();
  }
  return bytes;
}

// ---- HTML ----

std::string Escape(const std::string &s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
    case '&': out += "&amp;"; break;
    case '<': out += "&lt;"; break;
    case '>': out += "&gt;"; break;
    case '"': out += "&quot;"; break;
    default: out += c;
    }
  }
  return out;
}

std::string Fixed(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string EllipseSvg(const ErrorEllipse &e, long double largest) {
  if (!(largest > 0))
    return "";
  const double r = 13;
  const double a = r * static_cast<double>(e.SemiMajor / largest);
  const double b = std::max(r * static_cast<double>(e.SemiMinor / largest), 0.3);
  return "<svg width=\"30\" height=\"30\" viewBox=\"-15 -15 30 30\"><ellipse cx=\"0\" cy=\"0\" rx=\"" +
         Fixed(a) + "\" ry=\"" + Fixed(b) + "\" transform=\"rotate(" +
         Fixed(static_cast<double>(e.Bearing) * 0.9) +
         ")\" fill=\"none\" stroke=\"#003cc8\" stroke-width=\"1\"/></svg>";
}

std::string PlanPngBase64(const LanguagePack &lang, const ReportData &data) {
  const double unit = 2.0;
  QImage image(static_cast<int>(523 * unit), static_cast<int>(600 * unit), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(static_cast<int>(9 * unit));
    painter.setFont(f);
    DrawReportPlan(painter, QRectF(1, 1, image.width() - 2, image.height() - 2), lang, data, unit, false);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png.toBase64().toStdString();
}

std::string HtmlFields(const std::vector<ReportField> &fields) {
  std::string s = "<table class=\"fields\">\n";
  for (const ReportField &f : fields)
    s += "<tr><th>" + Escape(f.Label) + "</th><td>" + Escape(f.Value) + "</td></tr>\n";
  return s + "</table>\n";
}

std::string HtmlTable(const ReportTable &t) {
  std::string s = t.Title.empty() ? std::string() : "<h2>" + Escape(t.Title) + "</h2>\n";
  if (t.Rows.empty())
    return s + "<p>" + Escape(t.EmptyText) + "</p>\n";
  s += "<table class=\"data\">\n<thead><tr>";
  for (std::size_t c = 0; c < t.Header.size(); ++c)
    s += "<th>" + Escape(t.Header[c]) + "</th>";
  s += "</tr></thead>\n<tbody>\n";
  const long double largest = LargestEllipse(t);
  for (std::size_t r = 0; r < t.Rows.size(); ++r) {
    const RowMark mark = r < t.Marks.size() ? t.Marks[r] : RowMark::None;
    s += mark == RowMark::Uncontrolled ? "<tr class=\"unc\">"
         : mark == RowMark::Weak       ? "<tr class=\"weak\">"
                                       : "<tr>";
    for (std::size_t c = 0; c < t.Rows[r].size(); ++c) {
      const bool left = c < t.AlignLeft.size() && t.AlignLeft[c];
      std::string cell = Escape(t.Rows[r][c]);
      if (c + 1 == t.Rows[r].size() && r < t.Ellipses.size())
        cell = EllipseSvg(t.Ellipses[r], largest);
      s += left ? "<td class=\"l\">" + cell + "</td>" : "<td>" + cell + "</td>";
    }
    s += "</tr>\n";
  }
  return s + "</tbody></table>\n";
}

} // namespace

bool ReportFormatOf(const std::string &path, ReportFormat &format, std::string &error) {
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  std::string ext =
      (dot == std::string::npos || (slash != std::string::npos && dot < slash)) ? "" : path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ext == "pdf") {
    format = ReportFormat::Pdf;
    return true;
  }
  if (ext == "html" || ext == "htm") {
    format = ReportFormat::Html;
    return true;
  }
  error = "the report " + path + " needs the extension .pdf or .html";
  return false;
}

QByteArray ReportPdf(const LanguagePack &lang, const ReportData &data, int *pageCount) {
  const ReportContent content = BuildReportContent(lang, data);
  int pages = 0;
  RenderPdf(lang, data, content, 0, pages); // first pass counts the pages
  int finalPages = 0;
  QByteArray bytes = RenderPdf(lang, data, content, pages, finalPages);
  if (pageCount)
    *pageCount = finalPages;
  return bytes;
}

QByteArray ReportHtml(const LanguagePack &lang, const ReportData &data) {
  const ReportContent content = BuildReportContent(lang, data);
  std::string s;
  s += "<!DOCTYPE html>\n<html lang=\"" + std::string(LanguageCodeOf(lang) == "CZ" ? "cs" : "en") +
       "\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Escape(content.Title + " - " + data.NetworkName) +
       "</title>\n<style>\n"
       "body{font-family:'Liberation Sans',Arial,sans-serif;font-size:10pt;margin:2em;max-width:60em}\n"
       "h1{font-size:18pt}h2{font-size:13pt;margin-top:1.6em}\n"
       "table.fields th{text-align:left;font-weight:normal;color:#444;padding:2px 1.5em 2px 0;vertical-align:top}\n"
       "table.data{border-collapse:collapse;font-size:8.5pt}\n"
       "table.data th{background:#dce1eb;padding:3px 6px;text-align:right;white-space:nowrap}\n"
       "table.data td{padding:2px 6px;text-align:right;white-space:nowrap}\n"
       "table.data td.l{text-align:left}\n"
       "table.data tbody tr:nth-child(even){background:#f5f5f5}\n"
       "tr.unc{background:#fad7d7!important}tr.weak{background:#fdebc8!important}\n"
       "img.plan{max-width:100%;border:1px solid #888}\np.verdict{font-size:11pt;font-weight:bold}\n"
       "@media print{thead{display:table-header-group}}\n"
       "</style>\n</head>\n<body>\n";
  s += "<h1>" + Escape(content.Title) + "</h1>\n";
  s += HtmlFields(content.TitleBlock);
  if (!content.Verdicts.empty()) {
    s += "<h2>" + Escape(RT(lang, ReportText::Verdicts)) + "</h2>\n";
    for (const std::string &v : content.Verdicts)
      s += "<p class=\"verdict\">" + Escape(v) + "</p>\n";
  }
  s += "<h2>" + Escape(RT(lang, ReportText::Summary)) + "</h2>\n" + HtmlFields(content.Summary);
  for (const std::string &st : content.Statements)
    s += "<p>" + Escape(st) + "</p>\n";
  if (!content.Assumptions.empty()) {
    s += "<h2>" + Escape(RT(lang, ReportText::Assumptions)) + "</h2>\n<ul>\n";
    for (const std::string &a : content.Assumptions)
      s += "<li>" + Escape(a) + "</li>\n";
    s += "</ul>\n";
  }
  for (const std::string &w : data.Warnings)
    s += "<p>" + Escape(w) + "</p>\n";
  s += "<h2>" + Escape(content.PlanTitle) + "</h2>\n<img class=\"plan\" alt=\"" + Escape(content.PlanTitle) +
       "\" src=\"data:image/png;base64," + PlanPngBase64(lang, data) + "\">\n<p>" + Escape(content.PlanLegend) +
       "</p>\n";
  for (const ReportTable &t : content.Tables)
    s += HtmlTable(t);
  for (const ReportSection &section : content.ExtraSections) {
    s += "<h2>" + Escape(section.Title) + "</h2>\n";
    for (const std::string &text : section.Paragraphs)
      s += "<p>" + Escape(text) + "</p>\n";
    if (!section.Fields.empty())
      s += HtmlFields(section.Fields);
    for (const ReportTable &t : section.Tables)
      s += HtmlTable(t);
  }
  s += "<p class=\"foot\">Korvadimensio 3D " + Escape(data.ProgramVersion) + "</p>\n</body>\n</html>\n";
  return QByteArray::fromStdString(s);
}

bool WriteReport(const LanguagePack &lang, const ReportData &data, const std::string &path,
                 std::string &error) {
  ReportFormat format;
  if (!ReportFormatOf(path, format, error))
    return false;
  const QByteArray bytes = format == ReportFormat::Pdf ? ReportPdf(lang, data) : ReportHtml(lang, data);
  if (bytes.isEmpty()) {
    error = "the report " + path + " could not be made";
    return false;
  }
  if (!kd::WriteFileAtomic(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    error = "cannot write the report " + path;
    return false;
  }
  return true;
}
