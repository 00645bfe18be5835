#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace kelvandor::fuzz {
namespace fs = std::filesystem;

namespace {

constexpr char kCtrlZ = 26;
// Longer names would fail for their length alone, which tells nothing.
constexpr std::size_t kMaxNameLength = 200;

const testing::TempDir& ProcessFolder() {
  static const testing::TempDir folder;
  return folder;
}

// What the code under test may have left unwritable or unsearchable.
void MakeRemovable(const fs::path& dir) {
  std::error_code ec;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec)) MakeRemovable(entry.path());
  }
}

// A name for a file in one folder, whatever the input held.
std::string SafeName(std::string_view text) {
  std::string name(text.substr(0, kMaxNameLength));
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), '\0', '_');
  return name;
}

void Collect(const fs::path& base, const fs::path& dir, const std::string& skip,
             std::vector<std::pair<std::string, std::string>>& out) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string rel = entry.path().lexically_relative(base).generic_string();
    if (rel == skip) continue;
    const fs::file_status status = entry.symlink_status();
    if (fs::is_symlink(status)) {
      out.emplace_back(rel + " ->", fs::read_symlink(entry.path()).string());
    } else if (fs::is_directory(status)) {
      out.emplace_back(rel + "/", "");
      Collect(base, entry.path(), skip, out);
    } else {
      out.emplace_back(rel, testing::ReadFile(entry.path().string()));
    }
  }
}

}  // namespace

void Fail(std::string_view what) {
  std::fprintf(stderr, "\n*** invariant broken: %.*s\n", static_cast<int>(what.size()),
               what.data());
  std::abort();
}

RunFolder::RunFolder() {
  static unsigned long long counter = 0;
  path_ = ProcessFolder() / ("run" + std::to_string(counter++));
  testing::MakeDirs(path_);
}

RunFolder::~RunFolder() {
  MakeRemovable(path_);
  std::error_code ec;
  fs::remove_all(path_, ec);
  if (ec || fs::exists(fs::symlink_status(path_))) Fail("the run folder cannot be removed");
}

std::string RunFolder::operator/(std::string_view relative) const {
  return path_ + '/' + std::string(relative);
}

std::vector<std::string> ModelLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::string line;
  bool begun = false;    // a byte of the line was read
  bool at_text = false;  // a byte other than CR was read
  std::size_t i = 0;
  while (i < bytes.size()) {
    const char c = bytes[i];
    if (!at_text && c == kCtrlZ) return lines;
    begun = true;
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
      begun = false;
      at_text = false;
      ++i;
    } else if (c == '\r') {
      ++i;
    } else {
      const std::size_t end = std::min(bytes.find_first_of("\r\n", i), bytes.size());
      line.append(bytes.substr(i, end - i));
      at_text = true;
      i = end;
    }
  }
  if (begun) lines.push_back(line);
  return lines;
}

std::vector<std::optional<std::string_view>> SplitParts(std::string_view data,
                                                        std::size_t max_parts) {
  std::vector<std::optional<std::string_view>> parts(max_parts);
  for (std::size_t i = 0; i < max_parts; ++i) {
    const std::size_t marker = i + 1 < max_parts ? data.find(kPartMarker) : std::string_view::npos;
    parts[i] = data.substr(0, marker);
    if (marker == std::string_view::npos) break;
    data.remove_prefix(marker + kPartMarker.size());
  }
  return parts;
}

RewriteInput ParseRewriteInput(std::string_view data, std::size_t file_kinds) {
  const auto parts = SplitParts(data, 1 + file_kinds);
  // Values come from one-line fields: the header's lines hold no line end.
  std::vector<std::string> header = ModelLines(parts[0].value_or(""));
  header.resize(6);
  RewriteInput input;
  input.old_base = SafeName(header[0]);
  input.values.new_name = SafeName(header[1]);
  input.values.new_path = header[2];
  input.values.new_dir = header[3];
  input.values.old_dir = header[4];
  input.values.backup = header[5] == "1";
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i]) {
      input.files.emplace_back(std::string(*parts[i]));
    } else {
      input.files.emplace_back();
    }
  }
  return input;
}

void CheckRewrite(const std::string& dir, const RewrittenFile& file, bool failed,
                  bool backup_kept) {
  const std::string old_path = dir + '/' + file.old_name;
  const std::string backup_path = dir + '/' + file.backup_name;
  const std::string new_path = dir + '/' + file.new_name;
  if (failed) {
    Check(HoldsBytes(old_path, file.original) || HoldsBytes(backup_path, file.original),
          "a failed rewrite lost the original of " + file.old_name);
    return;
  }
  std::error_code ec;
  Check(fs::is_regular_file(fs::symlink_status(new_path, ec)), "no new file " + file.new_name);
  Check(ModelLines(testing::ReadFile(new_path)).size() == ModelLines(file.original).size(),
        "the line count changed in " + file.new_name);
  if (backup_kept) {
    Check(HoldsBytes(backup_path, file.original), "the backup differs: " + file.backup_name);
  } else {
    Check(!fs::exists(fs::symlink_status(backup_path, ec)), "a backup stayed: " + file.backup_name);
  }
  if (file.old_name != file.new_name) {
    Check(!fs::exists(fs::symlink_status(old_path, ec)), "the old file stayed: " + file.old_name);
  }
}

bool HoldsBytes(const std::string& path, std::string_view content) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec)) && testing::ReadFile(path) == content;
}

Surroundings::Surroundings(const RunFolder& run, std::string inside)
    : root_(run.path()), inside_(std::move(inside)) {
  testing::WriteFile(run / "outside/keep.txt", "left alone\r\n");
  before_ = Take();
}

std::vector<std::pair<std::string, std::string>> Surroundings::Take() const {
  std::vector<std::pair<std::string, std::string>> entries;
  Collect(root_, root_, inside_, entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

void Surroundings::CheckUnchanged() const {
  Check(Take() == before_, "something beside the working folder changed");
}

void CheckOnlyFiles(const std::string& dir, const std::vector<std::string>& allowed) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    Check(entry.is_regular_file() && !entry.is_symlink(), "not a file: " + name);
    Check(std::find(allowed.begin(), allowed.end(), name) != allowed.end(),
          "a file left over: " + name);
  }
}

}  // namespace kelvandor::fuzz
