// The archive unit of builds without libarchive: nothing can be unpacked, so
// input analysis reports the archive as one that cannot be unpacked.
#include "discovery/unit_unzip.h"

#include "discovery/unzip.h"

namespace kelvandor {

int UnzipArchiveCode(std::string_view, std::string_view) { return kUnzipUnsupported; }

bool UnzipArchive(std::string_view, std::string_view) { return false; }

}  // namespace kelvandor
