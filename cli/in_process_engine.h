#pragma once
// The engine run inside the headless command, through the engine's library,
// when the run's files need not be kept: the engine document, the protocol
// and the observation table are written to the run's folder as the engine
// program writes them, but the results go straight to the reader instead of
// through a results file. The reader then holds exactly the values it
// would read from that file (the same number texts are made and read), in
// the engine's own matrix, taken over rather than copied.
#include <ostream>
#include <string>

#include "evaluation/evaluation.h"
#include "evaluation/results_reader.h"

// Runs the engine on files.Input. On success (exit 0, Complete) the reader
// is bound to the results (ReadBoundResults reads them; files.Results
// names them in messages). Engine messages that have no protocol go to
// `err`. The outcome reads as RunEngineAndWait's.
RunOutcome RunEngineInThisProcess(const EngineRunFiles &files, ResultsReader &reader,
                                  std::ostream &err);
