// The start-up settings record: folder paths, the network and basic-variant
// flags, the menu mode, the hand cursor and the five printing destinations,
// read and written through one get/set accessor per member.
//
// The record is process-wide and starts empty: before ARRANQUE runs every
// accessor returns nothing. ARRANQUE fills it once; afterwards only the
// accessors change it. One thread; no locking.
#pragma once

#include <optional>
#include <string>

#include "runtime/value.h"

namespace startup {

// Folder accessors: with an argument they store it (as given, nothing is
// added or normalised); they always return the stored value.
std::optional<std::string> CPATHSTART(std::optional<std::string> cPath = std::nullopt);
std::optional<std::string> CPATHEXE(std::optional<std::string> cPath = std::nullopt);
std::optional<std::string> CPATHINFORME(std::optional<std::string> cPath = std::nullopt);
std::optional<std::string> CPATHDBFDELEGACION(std::optional<std::string> cPath = std::nullopt);

// The network flag, under two names for the one member, and the
// basic-variant flag. Changing them does not recompute the destinations.
std::optional<bool> LNETWORK(std::optional<bool> lOn = std::nullopt);
std::optional<bool> LZENTA(std::optional<bool> lOn = std::nullopt);
std::optional<bool> LBASICA(std::optional<bool> lOn = std::nullopt);

// AMENUMODE([nEntry], [xValue]): when nEntry is 1, 2 or 3 and xValue is not
// empty, stores xValue as that entry. Returns the shared three-entry list
// itself (not a copy), or nothing before ARRANQUE.
runtime::Value AMENUMODE(const runtime::Value& nEntry = {}, const runtime::Value& xValue = {});

// The printing destinations (screen, printer, file, HTML, spreadsheet), as
// ARRANQUE computed them; nothing before ARRANQUE.
std::optional<bool> LDEST_PANTALLA();
std::optional<bool> LDEST_IMPRESORA();
std::optional<bool> LDEST_FICHERO();
std::optional<bool> LDEST_HTML();
std::optional<bool> LDEST_EXCEL();

// NHANDLERS([nBudget]): the table-handle budget, the number of files the
// platform allowed the process to keep open. 0 until ARRANQUE stores it.
int NHANDLERS(std::optional<int> nBudget = std::nullopt);

// ---- Used by ARRANQUE -----------------------------------------------------------

// The record's state right after ARRANQUE's initialisation: paths "",
// flags false, every destination true; menu mode and cursor untouched.
void initStartupRecord();

// Three absent entries.
void resetMenuMode();

// UPDATEPRINTINGOPTIONS(): every destination on; the spreadsheet one off
// when the network flag is off; the HTML one off for the family's products
// that have no HTML export (the product name comes from the product hook).
void UPDATEPRINTINGOPTIONS();

// Puts the whole record back to its load state (everything absent). For
// tests and for a second start-up in one process.
void clearStartupRecord();

}  // namespace startup
