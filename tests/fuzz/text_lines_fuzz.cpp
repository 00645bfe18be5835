// LineReader against the byte-by-byte model of the line rules, once on the
// input alone and once behind enough filler lines that the reader's buffer
// ends inside it; then LineWriter and LineReader round-trip the lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_lines.h"
#include "tests/fuzz/fuzz_support.h"

namespace kelvandor::fuzz {
namespace {

// The reader's buffer size at the time of writing; a different one only
// moves where the input is cut.
constexpr std::size_t kReaderBuffer = 256 * 1024;
constexpr std::size_t kFillerLine = 100;

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  LineReader in(path);
  std::string_view line;
  while (in.ReadLine(line)) lines.emplace_back(line);
  in.Close();
  return lines;
}

// Filler lines of `size` bytes in all, the last one ending in LF.
std::string Filler(std::size_t size) {
  std::string filler(size, 'x');
  for (std::size_t end = kFillerLine; end <= size; end += kFillerLine) filler[end - 1] = '\n';
  if (size > 0) filler[size - 1] = '\n';
  return filler;
}

// Checks the lines read from `content` against the model; returns them.
std::vector<std::string> CheckReading(const RunFolder& run, std::string_view content,
                                      std::string_view name) {
  const std::string path = run / name;
  testing::WriteFile(path, content);
  std::vector<std::string> lines = ModelLines(content);
  Check(ReadLines(path) == lines, "the lines read differ from the model");
  return lines;
}

void CheckRoundTrip(const RunFolder& run, const std::vector<std::string>& lines) {
  const std::string path = run / "written";
  std::string expected;
  {
    LineWriter out(path);
    for (const std::string& line : lines) {
      // In two pieces, so that appending to a line is used as well.
      const std::string_view view(line);
      out.Write(view.substr(0, view.size() / 2));
      out.Write(view.substr(view.size() / 2));
      out.EndLine();
      expected += line + "\r\n";
    }
    out.Close();
  }
  Check(testing::ReadFile(path) == expected, "the lines written differ from their bytes");
  Check(ReadLines(path) == lines, "the lines written do not read back");
}

void FuzzOne(std::string_view data) {
  const RunFolder run;
  CheckReading(run, data, "plain");
  // The buffer then ends at a place the input chooses.
  const std::size_t cut =
      data.empty() ? 0 : static_cast<unsigned char>(data[0]) % (data.size() + 1);
  const std::string padded = Filler(kReaderBuffer - cut) + std::string(data);
  CheckRoundTrip(run, CheckReading(run, padded, "padded"));
}

}  // namespace
}  // namespace kelvandor::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  kelvandor::fuzz::FuzzOne(kelvandor::fuzz::AsText(data, size));
  return 0;
}
