#pragma once

// Result codes of an archive extraction and their texts.

#include <string>

namespace kelvandor {

inline constexpr int kUnzipOk = 0;
inline constexpr int kUnzipWarnings = 1;
inline constexpr int kUnzipErrors = 2;
inline constexpr int kUnzipSevereError = 3;
inline constexpr int kUnzipNoMemory = 4;
inline constexpr int kUnzipArchiveNotFound = 9;
inline constexpr int kUnzipBadParameters = 10;
inline constexpr int kUnzipNoFiles = 11;
inline constexpr int kUnzipDiskFull = 50;
inline constexpr int kUnzipUnexpectedEof = 51;
inline constexpr int kUnzipCanceled = 80;
inline constexpr int kUnzipUnsupported = 81;
inline constexpr int kUnzipBadPassword = 82;

// "OKAY" for 0, "Warnings occurred on one or more files" for 1, ...,
// "Unknown error" for any code without a text.
std::string UnzipResultText(int code);

}  // namespace kelvandor
