#include "settings/text_catalogue.h"

#include <array>
#include <vector>

#include "settings/language_pack.h"

namespace {

struct TextPair {
  const char *English;
  const char *Czech;
};

constexpr int kFirstNewer = 1000;

// The texts after the numbered set, in the order of their names.
constexpr TextPair kNewer[] = {
    {"Korvadimensio 3D 3.3.0 - precision pre-analysis of 3D geodetic networks",
     "Korvadimensio 3D 3.3.0 - předběžná analýza přesnosti 3D geodetických sítí"}, // InfoLine
    {"Stop", "Zastavit"}, // StopEvaluation
    {"Evaluation stopped.", "Výpočet zastaven."}, // EvaluationStopped
    {"Results are out of date: the network changed after the evaluation.",
     "Výsledky jsou zastaralé: síť se po výpočtu změnila."}, // ResultsOutOfDate
    {" (out of date)", " (zastaralé)"}, // OutOfDateTitle
    {"; the previous file is kept as ", "; předchozí soubor je uložen jako "}, // BackupKept
    {"Saved ", "Uloženo "}, // SavedOnClose
    {"Report\u2026", "Zpráva\u2026"}, // ReportButton
    {"Text files (*.txt);;All files (*)", "Textové soubory (*.txt);;Všechny soubory (*)"}, // TextFilesFilter
    {"Cannot write the file \"%1\".", "Soubor \"%1\" nelze zapsat."}, // CannotWriteFile
    {"Language", "Jazyk"}, // Language
    {"Ellipses", "Elipsy"}, // Ellipses
    {"Height bars", "Výškové úsečky"}, // HeightBars
    {"Relative", "Relativní"}, // RelativeEllipses
    {"Live precision", "Průběžná přesnost"}, // LivePrecision
    {"scale: auto", "měřítko: auto"}, // ScaleAuto
    {"Enlargement of the ellipses (0: automatic)", "Zvětšení elips (0: automaticky)"}, // MagnificationTip
    {"a: no tol.", "a: bez tol."}, // SemiMajorNoTolerance
    {"\u03c3Z: no tol.", "\u03c3Z: bez tol."}, // SigmaZNoTolerance
    {"Tolerance of the semi-major axis (0: none)", "Tolerance velké poloosy (0: žádná)"}, // SemiMajorToleranceTip
    {"Tolerance of the height standard deviation (0: none)",
     "Tolerance směrodatné odchylky výšky (0: žádná)"}, // SigmaZToleranceTip
    {"Beyond tolerance:", "Mimo toleranci:"}, // BeyondTolerance
    {"uncontrolled", "nekontrolované"}, // Uncontrolled
    {"weakly controlled", "slabě kontrolované"}, // WeaklyControlled
    {"controlled", "kontrolované"}, // Controlled
    {"none", "žádná"}, // NoMdb
    {"Cannot create a temporary folder in %1", "Nelze vytvořit dočasnou složku v %1"}, // NoTemporaryFolder
    {"Cannot create the folder %1", "Nelze vytvořit složku %1"}, // CannotCreateFolder
    {"The engine did not finish within %1 s", "Výpočetní jádro nedokončilo výpočet do %1 s"}, // EngineTooSlow
    {"The engine ended with exit status %1 without results",
     "Výpočetní jádro skončilo s návratovým kódem %1 bez výsledků"}, // EngineExitWithoutResults
    {"The engine stopped abnormally", "Výpočetní jádro bylo neočekávaně ukončeno"}, // EngineStoppedAbnormally
    {"Bearing/gon", "Směrník/gon"}, // BearingField
    {"Relative ellipse", "Relativní elipsa"}, // RelativeEllipse
    {"Along/across", "Podél/napříč"}, // AlongAcross
    {"Relative precision", "Relativní přesnost"}, // RelativePrecision
    {"bearing of a", "směrník a"}, // BearingOfSemiMajor
    {"along", "podél"}, // Along
    {"across", "napříč"}, // Across
    {"Requirements", "Požadavky"}, // RequirementsTitle
    {"Requirements of %1, limits at %2.", "Požadavky ze souboru %1, meze na úrovni %2."}, // RequirementsOf
    {"standard confidence", "standardní konfidence"}, // LevelStandardName
    {"95 % confidence", "konfidence 95 %"}, // Level95Name
    {"Free network: the requirements are evaluated in its minimum-trace datum.", "Volná síť: požadavky jsou hodnoceny v datu s minimální stopou."}, // FreeNetworkDatum
    {"Requirement", "Požadavek"}, // RequirementColumn
    {"Value", "Hodnota"}, // ValueColumn
    {"Margin", "Rezerva"}, // MarginColumn
    {"State", "Stav"}, // StateColumn
    {"met", "splněn"}, // RequirementMet
    {"NOT MET", "NESPLNĚN"}, // RequirementNotMet
    {"met, binds", "splněn, rozhoduje"}, // RequirementBinds
    {"worst: %1", "nejhorší: %1"}, // WorstAt
    {"Optimised plan", "Optimalizovaný plán"}, // OptimisedPlanTitle
    {"Change", "Změna"}, // ChangeColumn
    {"Measurement", "Měření"}, // MeasurementColumn
    {"Cost", "Cena"}, // CostColumn
    {"Why", "Důvod"}, // WhyColumn
    {"added", "přidáno"}, // ChangeAdded
    {"removed", "odebráno"}, // ChangeRemoved
    {"without it: %1", "bez něj: %1"}, // WhyAddedBreaks
    {"widens the margins", "zvětšuje rezervy"}, // WhyAddedWidens
    {"without it the network has no solution", "bez něj nemá síť řešení"}, // WhySingular
    {"every requirement holds without it", "všechny požadavky platí i bez něj"}, // WhyRemoved
    {"Total cost: %1", "Celková cena: %1"}, // TotalCost
    {"The optimised plan meets every requirement.", "Optimalizovaný plán splňuje všechny požadavky."}, // OptimisedReached
    {"The candidates cannot meet every requirement: the values below are the best reached.", "Kandidáti nemohou splnit všechny požadavky: níže jsou nejlepší dosažené hodnoty."}, // OptimisedNotReached
    {"No change: the planned measurements meet every requirement.", "Beze změny: plánovaná měření splňují všechny požadavky."}, // OptimisedNoChange
    {"Values of the optimised plan", "Hodnoty optimalizovaného plánu"}, // FinalValuesTitle
    {"Design\u2026", "Návrh\u2026"}, // DesignButton
    {"Measurement design", "Návrh měření"}, // DesignPanelTitle
    {"Requirements: %1", "Požadavky: %1"}, // RequirementsFileLabel
    {"No requirements file: save the measurements first.", "Soubor požadavků chybí: nejprve uložte měření."}, // NoRequirementsFile
    {"No requirement yet: type one below and press Add.", "Zatím žádný požadavek: napište jej níže a stiskněte Přidat."}, // NoRequirements
    {"Add", "Přidat"}, // RequirementAdd
    {"Replace", "Nahradit"}, // RequirementReplace
    {"Delete", "Smazat"}, // RequirementDelete
    {"The requirement was refused: %1", "Požadavek byl odmítnut: %1"}, // RequirementRefused
    {"Next best measurements", "Nejlepší další měření"}, // NextBestTitle
    {"Candidates\u2026", "Kandidáti\u2026"}, // CandidatesButton
    {"Automatic", "Automaticky"}, // AutomaticCandidates
    {"Candidates: %1 automatic, sights up to %2 m", "Kandidáti: %1 automatických, záměry do %2 m"}, // CandidatesAutomatic
    {"Candidates: %1 from %2", "Kandidáti: %1 ze souboru %2"}, // CandidatesFromFile
    {"The candidates file %1 cannot be used: %2", "Soubor kandidátů %1 nelze použít: %2"}, // CandidatesFileBad
    {"Gain/%", "Zisk/%"}, // GainColumn
    {"Add this measurement to the plan", "Přidat toto měření do plánu"}, // AddCandidateTip
    {"Add %1", "Přidat %1"}, // AddCandidateStep
    {"Optimise", "Optimalizovat"}, // OptimiseButton
    {"Accept", "Přijmout"}, // AcceptButton
    {"Discard", "Zahodit"}, // DiscardButton
    {"Proposal: %1 added, %2 removed, cost %3.", "Návrh: přidáno %1, odebráno %2, cena %3."}, // ProposalText
    {"Critical: %1", "Kritická měření: %1"}, // CriticalList
    {"Low value: %1", "Málo přínosná měření: %1"}, // LowValueList
    {"The design cannot be computed: %1", "Návrh nelze spočítat: %1"}, // DesignFailed
    {"it cannot be read", "nelze jej přečíst"}, // CandidatesCannotRead
    {"line %1 holds a faulty number", "řádek %1 obsahuje chybné číslo"}, // CandidatesFaulty
    {"it holds no measurement", "neobsahuje žádné měření"}, // CandidatesEmpty
    {"Undo", "Zpět"}, // UndoMenu
    {"Redo", "Znovu"}, // RedoMenu
    {"Undo: %1", "Zpět: %1"}, // UndoStep
    {"Redo: %1", "Znovu: %1"}, // RedoStep
    {"Add measurement", "Přidání měření"}, // StepAddMeasurement
    {"Add point", "Přidání bodu"}, // StepAddPoint
    {"All points adjusted", "Všechny body určované"}, // StepAllPointsAdjusted
    {"All points fixed", "Všechny body pevné"}, // StepAllPointsFixed
    {"Delete measurement", "Smazání měření"}, // StepDeleteMeasurement
    {"Delete %1 measurements", "Smazání %1 měření"}, // StepDeleteMeasurements
    {"Delete point", "Smazání bodu"}, // StepDeletePoint
    {"Edit point %1", "Úprava bodu %1"}, // StepEditPoint
    {"Load coordinates", "Načtení souřadnic"}, // StepLoadCoordinates
    {"Load measurements", "Načtení měření"}, // StepLoadMeasurements
    {"Plumbing precision", "Přesnost provažování"}, // StepPlumbingPrecision
    {"Precision of a measurement", "Přesnost měření"}, // StepPrecisionOfOne
    {"Precision of all %1", "Přesnost všech %1"}, // StepPrecisionOfType
    {"Precision of every %1 by its length", "Přesnost všech %1 podle délky"}, // StepPrecisionByLength
    {"Remove measurements without points", "Odstranění měření bez bodů"}, // StepRemoveOrphans
    {"Sc of all points", "Sc všech bodů"}, // StepScOfAllPoints
    {"Sc/Svp mode", "Režim Sc/Svp"}, // StepScSvpMode
    {"Sort measurements", "Seřazení měření"}, // StepSortMeasurements
    {"Svp of all points", "Svp všech bodů"}, // StepSvpOfAllPoints
    {"computing\u2026", "počítám\u2026"}, // Computing
    {"largest ellipse", "největší elipsa"}, // LargestEllipse
    {"; no point changed", "; žádný bod se nezměnil"}, // NoPointChanged
    {"; most changed:", "; nejvíce se změnily:"}, // MostChanged
    {"Export DXF\u2026", "Export do DXF\u2026"}, // ExportDxfButton
    {"The plan with its precision as a DXF drawing for CAD", "Mapa s přesností jako výkres DXF pro CAD"}, // ExportDxfTip
    {"Export DXF", "Export do DXF"}, // ExportDxfTitle
    {"Save as CSV", "Uložit jako CSV"}, // SaveAsCsv
    {"Every point with its precision, for spreadsheets", "Všechny body s přesností, pro tabulkové procesory"}, // SaveAsCsvTip
    {"The file name must end in %1 (%2)", "Název souboru musí končit na %1 (%2)"}, // FileNameMustEndIn
    {"%1 is a file of the network (%2)", "%1 je soubor sítě (%2)"}, // IsNetworkFile
    {"Fix", "Pevný"}, // FixedCheck
    {"Delete the measurement %1?", "Smazat měření %1?"}, // DeleteMeasurementQuestion
    {"Delete the %1 selected measurements?", "Smazat %1 vybraných měření?"}, // DeleteMeasurementsQuestion
    {"s-distance", "šikmá délka"}, // ObservationSlopeDistance
    {"distance", "vodorovná délka"}, // ObservationHorizontalDistance
    {"direction", "směr"}, // ObservationDirection
    {"z-angle", "zenitový úhel"}, // ObservationZenithAngle
    {"dh", "převýšení"}, // ObservationHeightDifference
    {"fixed point", "pevný bod"}, // PlotFixedPoint
    {"adjusted point", "určovaný bod"}, // PlotAdjustedPoint
    {"point error ellipse", "chybová elipsa bodu"}, // PlotPointEllipse
    {"height bar \u00b1\u03c3Z", "výšková úsečka \u00b1\u03c3Z"}, // PlotHeightBar
    {"relative ellipse of a measured pair", "relativní elipsa měřené dvojice"}, // PlotRelativeEllipse
    {"uncontrolled (r < 0.1)", "nekontrolované (r < 0,1)"}, // PlotUncontrolled
    {"weakly controlled (r < 0.3)", "slabě kontrolované (r < 0,3)"}, // PlotWeak
    {"measured pair", "měřená dvojice"}, // PlotLine
    {"beyond tolerance", "mimo toleranci"}, // PlotBeyondTolerance
    {"standard ellipses", "standardní elipsy"}, // PlotStandardEllipses
    {"95 % ellipses", "elipsy 95 %"}, // PlotPercent95Ellipses
    {"ellipses", "elipsy"}, // PlotEllipses
    {"1 mm = %1 m of the plan", "1 mm = %1 m mapy"}, // PlotMmOfPlan
    {"network", "síť"}, // PlotNetwork
    {"detail", "výřez"}, // PlotDetail
    {"Compute", "Spočítat"}, // ComputeButton
    {"Large network (%1 points): press Compute to evaluate the requirements.", "Velká síť (%1 bodů): požadavky vyhodnotíte tlačítkem Spočítat."}, // DesignLargeNetwork
};
constexpr int kNewerCount = static_cast<int>(std::size(kNewer));
static_assert(kFirstNewer + kNewerCount == static_cast<int>(Text::End_),
              "one English and Czech pair per name after the numbered set");

bool IsCzech(const std::string &code) { return code == "CZ" || code == "CS"; }

const std::string &Newer(bool czech, int index) {
  static const auto tables = [] {
    std::array<std::vector<std::string>, 2> t;
    for (const TextPair &p : kNewer) {
      t[0].emplace_back(p.English);
      t[1].emplace_back(p.Czech);
    }
    return t;
  }();
  return tables[czech ? 1 : 0][static_cast<std::size_t>(index)];
}

} // namespace

const std::string &TrIn(const std::string &code, Text id) {
  static const std::string empty;
  const int n = static_cast<int>(id);
  if (n >= 0 && n < LanguagePack::BuiltInCount)
    return BuiltInLanguage().Text(n);
  if (n < kFirstNewer || n >= kFirstNewer + kNewerCount)
    return empty;
  return Newer(IsCzech(code), n - kFirstNewer);
}

const std::string &Tr(const LanguagePack &lang, Text id) {
  const int n = static_cast<int>(id);
  if (n >= 0 && n < LanguagePack::BuiltInCount)
    return lang.Text(n);
  return TrIn(LanguageCodeOf(lang), id);
}

std::string LanguageCodeOf(const LanguagePack &lang) {
  const std::string &tag = lang.Text(1);
  const std::string prefix = "[ver ";
  if (tag.size() > prefix.size() + 1 && tag.compare(0, prefix.size(), prefix) == 0) {
    const auto end = tag.find(']', prefix.size());
    if (end != std::string::npos && end > prefix.size())
      return tag.substr(prefix.size(), end - prefix.size());
  }
  return "EN";
}
