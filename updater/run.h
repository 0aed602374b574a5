// The update run: MAIN's preparation of the process, the progress dialog's
// initialisation hook (INICIODLG) and the walk over the company register
// (ACTUA), reporting through the Progress the run state holds.
#pragma once

#include <optional>
#include <string>

#include "updater/progress.h"

namespace updater {

// What MAIN does before the run: the code page, the table driver, the
// epoch, the meter counters, the start-up sequence, the installation root
// and the register "Empresa" open in its order 1 at its first record. Without cPath raises the
// runtime's argument error and returns nothing. Returns the installation root.
std::optional<std::string> prepareRun(const std::optional<std::string>& cPath,
                                      const std::optional<std::string>& cVariant);

// Meters and first animation picture before the run starts.
void INICIODLG();

// Migrates every visible company of the register, in its order. Returns true.
bool ACTUA(const std::string& cRoot);

// The whole program with `progress` standing in for the dialog: prepareRun,
// INICIODLG, ACTUA, then every area closed. A runtime error the handler
// does not answer ends the program by throwing runtime::ProgramExit.
void MAIN(const std::optional<std::string>& cPath, const std::optional<std::string>& cVariant,
          Progress& progress);

}  // namespace updater
