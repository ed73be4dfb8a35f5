#include "app/precision_change.h"

#include "core/number_text.h"
#include "settings/text_catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace kd::app {

namespace {

// The point with the largest semi-major axis; false for no points.
bool Largest(const NetworkPrecision &p, double &number, long double &semiMajor) {
  if (p.Points.empty())
    return false;
  const auto it = std::max_element(p.Points.begin(), p.Points.end(),
                                   [](const PointPrecision &a, const PointPrecision &b) {
                                     return a.Ellipse.SemiMajor < b.Ellipse.SemiMajor;
                                   });
  number = it->Number;
  semiMajor = it->Ellipse.SemiMajor;
  return true;
}

std::string Mm(long double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f mm", static_cast<double>(v));
  return buf;
}

std::string Signed(long double percent) {
  char buf[64];
  // A true minus sign; "+" for growth.
  std::snprintf(buf, sizeof buf, "%.1f %%", static_cast<double>(std::fabs(percent)));
  return (percent < 0 ? "\u2212" : "+") + std::string(buf);
}

} // namespace

PrecisionChange ComparePrecision(const NetworkPrecision &before, const NetworkPrecision &after,
                                 int keep) {
  PrecisionChange c;
  if (!Largest(before, c.LargestBeforePoint, c.LargestBefore) ||
      !Largest(after, c.LargestAfterPoint, c.LargestAfter))
    return c;
  c.Comparable = true;
  std::unordered_map<double, long double> old;
  for (const PointPrecision &p : before.Points)
    old.emplace(p.Number, p.Ellipse.SemiMajor);
  for (const PointPrecision &p : after.Points) {
    const auto it = old.find(p.Number);
    if (it == old.end() || !(it->second > 0) || !std::isfinite(p.Ellipse.SemiMajor))
      continue;
    const long double percent = (p.Ellipse.SemiMajor - it->second) / it->second * 100;
    // Below the digits shown: no change.
    if (std::fabs(percent) < 0.05L)
      continue;
    c.MostChanged.push_back({p.Number, it->second, p.Ellipse.SemiMajor, percent});
  }
  std::stable_sort(c.MostChanged.begin(), c.MostChanged.end(),
                   [](const PointPrecisionChange &a, const PointPrecisionChange &b) {
                     return std::fabs(a.Percent) > std::fabs(b.Percent);
                   });
  if (keep >= 0 && c.MostChanged.size() > static_cast<std::size_t>(keep))
    c.MostChanged.resize(static_cast<std::size_t>(keep));
  return c;
}

std::string PrecisionChangeText(const LanguagePack &lang, const PrecisionChange &c) {
  if (!c.Comparable)
    return {};
  std::string text = Tr(lang, Text::LargestEllipse) + " " + Mm(c.LargestBefore) + " (" +
                     NumToText(c.LargestBeforePoint) + ") \u2192 " + Mm(c.LargestAfter) + " (" +
                     NumToText(c.LargestAfterPoint) + ")";
  if (c.MostChanged.empty())
    return text + Tr(lang, Text::NoPointChanged);
  text += Tr(lang, Text::MostChanged);
  for (const PointPrecisionChange &p : c.MostChanged)
    text += " " + NumToText(p.Number) + " " + Signed(p.Percent) + ",";
  text.pop_back();
  return text;
}

} // namespace kd::app
