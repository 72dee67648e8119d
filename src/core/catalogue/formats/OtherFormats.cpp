#include "core/catalogue/formats/OtherFormats.h"

#include "core/catalogue/formats/RiffInfo.h"

namespace hozanki {

void PrepareStagedFormats() { InstallRiffInfoStringHandler(); }

}  // namespace hozanki
