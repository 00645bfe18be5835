#pragma once

// Reading a text file whole, and the error a call raises, for tests of the
// line reader and writer.

#include <string>
#include <string_view>
#include <vector>

#include "platform/io_error.h"
#include "platform/text_lines.h"

namespace kelvandor::testing {

// Every line of the file at `path`, as the line reader splits it.
inline std::vector<std::string> ReadAllLines(const std::string& path) {
  LineReader reader(path);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.ReadLine(line)) lines.emplace_back(line);
  reader.Close();
  return lines;
}

// The number of the IoError that `action` raises; 0 when it raises none.
template <typename Action>
IoErrorCode IoErrorCodeOf(Action&& action) {
  try {
    action();
  } catch (const IoError& e) {
    return e.code();
  }
  return IoErrorCode{0};
}

}  // namespace kelvandor::testing
