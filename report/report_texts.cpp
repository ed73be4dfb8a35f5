#include "report/report_texts.h"

#include <array>

#include "settings/language_pack.h"

namespace {

constexpr int kCount = static_cast<int>(ReportText::Count_);

struct TextPair {
  const char *English;
  const char *Czech;
};

// In the order of ReportText.
const std::array<TextPair, kCount> kTexts = {{
    {"Precision pre-analysis report", "Protokol předběžné analýzy přesnosti"},
    {"Network", "Síť"},
    {"Date", "Datum"},
    {"Sc/Svp mode", "Režim Sc/Svp"},
    {"A priori reference standard deviation", "Apriorní jednotková směrodatná odchylka"},
    {"Confidence of ellipses", "Konfidence elips"},
    {"standard (1 sigma)", "standardní (1 sigma)"},
    {"95 %", "95 %"},
    {"Program", "Program"},
    {"Summary", "Souhrn"},
    {"Points (fixed / adjusted)", "Body (pevné / určované)"},
    {"Measurements by type", "Měření podle druhu"},
    {"Observations in the adjustment", "Pozorování ve vyrovnání"},
    {"Redundancy", "Počet nadbytečných pozorování"},
    {"Weakest point in position (largest semi-axis)", "Nejslabší bod polohově (největší poloosa)"},
    {"Weakest point in height (largest s(z))", "Nejslabší bod výškově (největší s(z))"},
    {"Weakest observation (smallest redundancy number)",
     "Nejhůře kontrolované pozorování (nejmenší číslo nadbytečnosti)"},
    {"Uncontrolled observations (r < 0.1)", "Nekontrolovaná pozorování (r < 0,1)"},
    {"Tolerances exceeded", "Překročené tolerance"},
    {"none", "žádné"},
    {"Tolerances (position / height)", "Tolerance (poloha / výška)"},
    {"Measurement plan", "Mapa měření"},
    {"Ellipses: point error ellipses with height bars; lines: measured pairs in the colour of "
     "their smallest redundancy number (legend in the plan)",
     "Elipsy: chybové elipsy bodů s výškovými úsečkami; čáry: měřené dvojice v barvě jejich "
     "nejmenšího čísla nadbytečnosti (legenda v mapě)"},
    {"Coordinates and error ellipsoids", "Souřadnice a elipsoidy chyb"},
    {"Relative precision", "Relativní přesnost"},
    {"No pairs of points were requested.", "Nebyly zadány žádné dvojice bodů."},
    {"Observations and reliability", "Pozorování a spolehlivost"},
    {"Input: points", "Vstup: body"},
    {"Input: measurements", "Vstup: měření"},
    {"fixed", "pevný"},
    {"adjusted", "určovaný"},
    {"yes", "ano"},
    {"Page", "Strana"},
    {"of", "z"},
    {"ellipses", "elipsy"},
    {"controlled", "kontrolované"},
    {"weakly controlled", "slabě kontrolované"},
    {"uncontrolled", "nekontrolované"},
    {"not checked", "nekontrolováno"},
    {"unknown", "neznámé"},
    {"Report\u2026", "Protokol\u2026"},
}};

} // namespace

const std::string &ReportTextIn(const std::string &code, ReportText text) {
  static const auto tables = [] {
    std::array<std::array<std::string, kCount>, 2> t;
    for (int i = 0; i < kCount; ++i) {
      t[0][static_cast<std::size_t>(i)] = kTexts[static_cast<std::size_t>(i)].English;
      t[1][static_cast<std::size_t>(i)] = kTexts[static_cast<std::size_t>(i)].Czech;
    }
    return t;
  }();
  const int i = static_cast<int>(text);
  const std::size_t lang = (code == "CZ" || code == "CS") ? 1 : 0;
  static const std::string empty;
  if (i < 0 || i >= kCount)
    return empty;
  return tables[lang][static_cast<std::size_t>(i)];
}

std::string ActiveLanguageCode(const LanguagePack &lang) {
  const std::string &tag = lang.Text(1);
  const std::string prefix = "[ver ";
  if (tag.size() > prefix.size() + 1 && tag.compare(0, prefix.size(), prefix) == 0) {
    const auto end = tag.find(']', prefix.size());
    if (end != std::string::npos && end > prefix.size())
      return tag.substr(prefix.size(), end - prefix.size());
  }
  return "EN";
}

const std::string &RT(ReportText text) { return ReportTextIn(ActiveLanguageCode(Lang()), text); }
