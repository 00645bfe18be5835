#pragma once

// Result codes of an archive extraction and their texts.

#include <string>

namespace kelvandor {

// The numbers are the ones users of archive tools know.
enum class UnzipResult : int {
  kOk = 0,
  kWarnings = 1,
  kErrors = 2,
  kSevereError = 3,
  kNoMemory = 4,  // 5 to 8 mean the same
  kArchiveNotFound = 9,
  kBadParameters = 10,
  kNoFiles = 11,
  kDiskFull = 50,
  kUnexpectedEof = 51,
  kCanceled = 80,
  kUnsupported = 81,
  kBadPassword = 82,
};

// "OKAY" for 0, "Warnings occurred on one or more files" for 1, ...,
// "Unknown error" for any code without a text.
std::string UnzipResultText(UnzipResult result);

}  // namespace kelvandor
