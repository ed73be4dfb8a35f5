#include "report/report_texts.h"

#include <array>

#include "settings/language_pack.h"
#include "settings/text_catalogue.h"

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
    {"Weakest point in height (largest \u03c3Z)", "Nejslabší bod výškově (největší \u03c3Z)"},
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
    {"Report\u2026", "Zpráva\u2026"},
    {"Project", "Zakázka"},
    {"Author", "Zpracoval"},
    {"Datum", "Geodetické datum"},
    {"fixed points: ", "pevné body: "},
    {"free network: minimum-trace datum on %1 points; the ellipses describe precision relative to "
     "the network as a whole",
     "volná síť: datum s minimální stopou na %1 bodech; elipsy popisují přesnost vůči síti jako "
     "celku"},
    {"Every precision figure is at the 95 % level: horizontal ellipses (2D) \u00d7 2.4477, single "
     "standard deviations (1D: \u03c3Z, along, across, distances, MDB shifts) \u00d7 1.96, "
     "ellipsoids (3D) \u00d7 2.7955.",
     "Všechny údaje o přesnosti jsou na hladině 95 %: vodorovné elipsy (2D) \u00d7 2,4477, "
     "jednotlivé směrodatné odchylky (1D: \u03c3Z, podélná, příčná, délky, posuny MDB) "
     "\u00d7 1,96, elipsoidy (3D) \u00d7 2,7955."},
    {"Every precision figure is a standard deviation (1\u03c3): standard ellipses and ellipsoids, "
     "no confidence factor.",
     "Všechny údaje o přesnosti jsou směrodatné odchylky (1\u03c3): standardní elipsy a "
     "elipsoidy, bez konfidenčního koeficientu."},
    {"Bearings in gon in [0, 400), counted clockwise from +X towards +Y; zenith angles from +Z. "
     "An ellipsoid axis is given by its upper end.",
     "Směrníky v gonech v intervalu [0, 400), počítané ve směru hodinových ručiček od +X k +Y; "
     "zenitové úhly od +Z. Osa elipsoidu je dána svým horním koncem."},
    {"Tolerances", "Tolerance"},
    {"All %1 points meet %2 at %3.", "Všech %1 bodů splňuje %2 při %3."},
    {"%1 of %2 points exceed %3 at %4: %5.", "%1 z %2 bodů překračuje %3 při %4: %5."},
    {"95 %", "95 %"},
    {"1\u03c3", "1\u03c3"},
    {"%1 measurements (%2 observations in the adjustment)",
     "%1 měření (%2 pozorování ve vyrovnání)"},
    {"Largest across (transverse) error", "Největší příčná chyba"},
    {"at", "ve směru"},
    {"Reliability test", "Test spolehlivosti"},
    {"MDB for \u03b1 = 0.1 %, \u03b2 = 20 % (power 80 %), \u03b4\u2080 = 4.13",
     "MDB pro \u03b1 = 0,1 %, \u03b2 = 20 % (síla testu 80 %), \u03b4\u2080 = 4,13"},
    {"Modelling assumptions", "Předpoklady modelu"},
    {"Sc/Svp mode %1: centring Sc %2 mm, instrument and target height Svp %3 mm",
     "Režim Sc/Svp %1: centrace Sc %2 mm, výška přístroje a cíle Svp %3 mm"},
    {"Height part of plumbings (%1): assumed \u03c3 %2 mm",
     "Výšková složka provážení (%1): předpokládaná \u03c3 %2 mm"},
    {"Gyro directions (%1): bearings, each adjusted as a direction set with a fixed reference "
     "direction along +X",
     "Gyroskopické směry (%1): směrníky, každý vyrovnán jako osnova s pevným orientačním směrem "
     "podél +X"},
    {"%1 fixed", "%1 pevný"},
    {"Measurements and reliability", "Měření a spolehlivost"},
    {"Measurement", "Měření"},
    {"Station", "Stanovisko"},
    {"Target", "Cíl"},
    {"Part", "Složka"},
    {"MDB shift", "Posun MDB"},
    {"Bearing", "Směrník"},
    {"Along", "Podélná"},
    {"Across", "Příčná"},
    {"Distance", "Délka"},
    {"d", "d"},
    {"Note", "Poznámka"},
    {"Overview plan", "Přehledná mapa"},
    {"slope distance", "šikmá délka"},
    {"horizontal distance", "vodorovná délka"},
    {"zenith angle", "zenitový úhel"},
    {"direction", "směr"},
    {"height difference", "převýšení"},
    {"plumbing", "provážení"},
    {"gyro direction", "gyroskopický směr"},
    {"slope", "šikmá"},
    {"horizontal", "vodorovná"},
    {"vertical", "svislá"},
    {"Point", "Bod"},
    {"X up, Y right", "X nahoru, Y vpravo"},
    {"rejected", "vyloučeno"},
    {"Report details", "Údaje protokolu"},
    {"Measurements", "Měření"},
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

std::string FillText(const std::string &text, const std::vector<std::string> &args) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto k = static_cast<std::size_t>(text[i + 1] - '1');
      if (k < args.size()) {
        out += args[k];
        ++i;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

const std::string &RT(const LanguagePack &lang, ReportText text) {
  return ReportTextIn(LanguageCodeOf(lang), text);
}
