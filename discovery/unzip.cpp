#include "discovery/unzip.h"

namespace kelvandor {

std::string UnzipResultText(int code) {
  switch (code) {
    case kUnzipOk:
      return "OKAY";
    case kUnzipWarnings:
      return "Warnings occurred on one or more files";
    case kUnzipErrors:
      return "Errors occurred on one or more files";
    case kUnzipSevereError:
      return "Sever error in archive";
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
      return "Insufficient memory";
    case kUnzipArchiveNotFound:
      return "Archive not found";
    case kUnzipBadParameters:
      return "Bad or illegal parameters specified";
    case kUnzipNoFiles:
      return "No files found";
    case kUnzipDiskFull:
      return "Disk full";
    case kUnzipUnexpectedEof:
      return "Unexpected end of file";
    case kUnzipCanceled:
      return "Canceled by user";
    case kUnzipUnsupported:
      return "No files found: All unsupported";
    case kUnzipBadPassword:
      return "No files found: Bad password";
    default:
      return "Unknown error";
  }
}

}  // namespace kelvandor
