#include "discovery/unzip.h"

namespace kelvandor {

std::string UnzipResultText(UnzipResult result) {
  switch (static_cast<int>(result)) {
    case static_cast<int>(UnzipResult::kOk):
      return "OKAY";
    case static_cast<int>(UnzipResult::kWarnings):
      return "Warnings occurred on one or more files";
    case static_cast<int>(UnzipResult::kErrors):
      return "Errors occurred on one or more files";
    case static_cast<int>(UnzipResult::kSevereError):
      return "Sever error in archive";
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      return "Insufficient memory";
    case static_cast<int>(UnzipResult::kArchiveNotFound):
      return "Archive not found";
    case static_cast<int>(UnzipResult::kBadParameters):
      return "Bad or illegal parameters specified";
    case static_cast<int>(UnzipResult::kNoFiles):
      return "No files found";
    case static_cast<int>(UnzipResult::kDiskFull):
      return "Disk full";
    case static_cast<int>(UnzipResult::kUnexpectedEof):
      return "Unexpected end of file";
    case static_cast<int>(UnzipResult::kCanceled):
      return "Canceled by user";
    case static_cast<int>(UnzipResult::kUnsupported):
      return "No files found: All unsupported";
    case static_cast<int>(UnzipResult::kBadPassword):
      return "No files found: Bad password";
    default:
      return "Unknown error";
  }
}

}  // namespace kelvandor
