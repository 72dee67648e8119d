#pragma once
// The templates a new user finds in the list window before any template file
// exists: play lists (M3U, extended M3U, PLS), a CSV table and an HTML table
// (their values escaped for the format), each given in
// the text form of exported templates.

#include <vector>

#include "core/listout/TemplateRow.h"

namespace hozanki {

std::vector<ListTemplate> StarterTemplates();

}  // namespace hozanki
