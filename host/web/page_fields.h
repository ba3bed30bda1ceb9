// The fields of the "Playing God!" and "System/Limits" pages over a record,
// for the web page's settings panel, as the one description of the record's
// fields has them (settings/record_fields): the same boxes, ranges,
// explanations and reading of typed text as the configuration pages
// (settings/page_text).
#pragma once

#include <string>

#include "settings/options_record.h"

// [{"name","label","group","page","kind","value","help","min","max","range",
// "maxLength","choices"}...] with the record's values as the pages show
// them: numbers unsigned, switches 0 or 1, the display mode as
// "800 x 600 x 16"; "help" is the field's one-line explanation.
std::string pageFieldsJson(const OptionsRecord& record);

// Stores `text` in field `name` as the page reads its control back; false,
// and the record unchanged, for a name no page has.
bool setPageField(OptionsRecord& record, const std::string& name, const std::string& text);
