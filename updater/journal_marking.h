// Marking the accounting journals a company is linked to: each row the
// marking rule picks gets its L340 mark, in place.
#pragma once

namespace updater {

struct CompanyReport;

// Marks the linked journals named by the company's key table (open as
// "Claves", on its record); each journal visited, skipped or held goes into
// `report`. True when every journal there is was marked (a missing one
// counts as done: a later run would find it missing too).
bool markJournals(CompanyReport& report);

// Sets L340 on every visible row of the current area that satisfies the
// rule; returns how many rows qualified.
long markPass();

}  // namespace updater
