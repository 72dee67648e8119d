#pragma once
// Check states of the tag rows: toggling a box (click, Space, the check-column
// header) and the MP3 tag exclusion rule, which keeps RIFF apart from ID3v2
// and APE in the four MP3 rows of a file.

#include "core/catalogue/Catalogue.h"

namespace hozanki {

// After the check state of `changed` changed in an MP3 entry:
// ID3v2 (APE) checked: RIFF becomes unavailable; unchecked: RIFF becomes
// unchecked unless APE (ID3v2) is checked. RIFF checked: ID3v2 and APE become
// unavailable; unchecked: both become unchecked. ID3v1 and other formats: nothing.
void ApplyExclusionRule(MediaFileEntry& entry, TagKind changed);

// A box click or Space on a row: toggles 0 <-> 1, applies the exclusion rule
// and sets the changed mark. A row with state 2 or the error mark is left
// alone (false).
bool ToggleCheckState(Catalogue& catalogue, TagKind kind, int row);

// A click on the check-column header: the new state is 0 when any row is
// checked, else 1; every row open to editing whose state differs takes it,
// with the exclusion rule and the changed mark. Returns the rows changed.
int ToggleAllCheckStates(Catalogue& catalogue, TagKind kind);

}  // namespace hozanki
