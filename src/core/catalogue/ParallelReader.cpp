#include "core/catalogue/ParallelReader.h"

#include "core/catalogue/MediaReader.h"
#include "core/common/ParallelFor.h"

namespace hozanki {

void ReadMediaFiles(const std::filesystem::path& folder, const std::vector<std::filesystem::path>& files,
                    unsigned threads, const ReadDone& done) {
  ParallelFor(files.size(), threads, [&](size_t i) {
    std::string error;
    std::optional<MediaFileEntry> entry = ReadMediaFile(folder, files[i], &error);
    done(i, std::move(entry), error);
  });
}

}  // namespace hozanki
