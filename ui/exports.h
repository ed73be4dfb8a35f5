#pragma once
// The desktop's exports for other programs: the plan as a DXF drawing
// ("Export DXF…" under both plans) and the points with their precision as
// CSV ("Save as CSV" in the results window). The file is asked for through
// the platform's save dialog; a name without an extension gets the right
// one; refusals and failures are told in a message box and leave no file.
#include "analysis/error_ellipse.h"
#include "plot/precision_plan.h"

class LanguagePack;
class PlatformServices;
class QWidget;
class SurveyNetwork;
class NetworkPrecision;

// The plan of `network` with `precision` (null: none) drawn as `options`
// say, north-up (CAD x = Y, CAD y = X). True when a file was written. The
// dialog's title and the messages are worded from `lang`.
bool ExportPlanDxf(PlatformServices &platform, const LanguagePack &lang, QWidget *parent,
                   const SurveyNetwork &network, const NetworkPrecision *precision,
                   const PlotOptions &options);

// Every point of `network` with its precision at `level`.
bool ExportPointsCsv(PlatformServices &platform, const LanguagePack &lang, QWidget *parent,
                     const SurveyNetwork &network, const NetworkPrecision &precision,
                     ConfidenceLevel level);
