#pragma once
// The default Contact ID tables the user can load on the code-table page:
// the event code table ("Alap kódtábla betöltése") and the zone template
// ("Alap zónák betöltése"), in the configurator's language.
#include <string>

#include "cid/contact_id.h"

namespace morvane {

constexpr int kDefaultEventRows = 100;
constexpr int kDefaultZoneRows = 21;

// Rows 1..100 of the event grid get the default codes and names, rows
// 101..256 are cleared; the SMS recipients stay. Names by language code:
// "0" Hungarian, "3" Slovak, "4" Italian, "7" Czech, anything else English.
void LoadDefaultEventTable(ContactIdTables& t, const std::string& languageCode);

// Rows 1..21 of the zone grid get the default partition and zone codes and
// names, rows 22..256 are cleared. Names by language code: "1" English,
// "3" Slovak, "4" Italian, "7" Czech, anything else Hungarian.
void LoadDefaultZoneTemplate(ContactIdTables& t, const std::string& languageCode);

}  // namespace morvane
