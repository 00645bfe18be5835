#include "app/configuration.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/text_lines.h"
#include "platform/write_beside.h"

namespace kelvandor {
namespace {

constexpr std::string_view kPublicIniKey = "PublicIni=";
constexpr std::string_view kNewPathKey = "NewPath=";
constexpr std::string_view kRenameFolderKey = "RenameFolder=";
constexpr std::string_view kCopyProjectKey = "CopyProject=";
constexpr std::string_view kCleanUpKey = "CleanUp=";
// Written when there is no public file; the key does not begin the line, so
// reading ignores it.
constexpr std::string_view kNoPublicIniLine = "\\\\PublicIni=";

bool ValueAfterKey(std::string_view line, std::string_view key, std::string_view& value) {
  if (line.substr(0, key.size()) != key) return false;
  value = line.substr(key.size());
  return true;
}

bool SameResolvedPath(std::string_view a, std::string_view b) {
#ifdef _WIN32
  return EqualsIgnoreCase(a, b);
#else
  return a == b;
#endif
}

std::string_view Flag(bool on) { return on ? "1" : "0"; }

// Reads the main file and the public files its "PublicIni=" lines switch to.
// Only one public file is open at a time; a public file naming another one
// hands over to it. A file that is open, or that was opened since the main
// file last switched, is not opened again: such a chain would never end, and
// the line then acts like one naming a missing file.
class ConfigReader {
 public:
  explicit ConfigReader(std::string_view main_path, ConfigValues& values)
      : values_(values), main_(main_path), main_resolved_(ResolvedPath(main_path)) {}

  void ReadAll() {
    std::string_view line;
    for (;;) {
      const bool from_public = public_ != nullptr;
      if (from_public) {
        if (!public_->ReadLine(line)) {
          public_->Close();
          public_.reset();
          continue;
        }
      } else if (!main_.ReadLine(line)) {
        break;
      }
      Apply(line, from_public);
    }
    main_.Close();
  }

 private:
  void Apply(std::string_view line, bool from_public) {
    std::string_view value;
    if (ValueAfterKey(line, kPublicIniKey, value)) {
      values_.public_ini_path = std::string(value);
      SwitchTo(values_.public_ini_path, from_public);
    } else if (ValueAfterKey(line, kNewPathKey, value)) {
      values_.new_path = std::string(value);
    } else if (ValueAfterKey(line, kRenameFolderKey, value)) {
      values_.rename_folder = value == "1";
    } else if (ValueAfterKey(line, kCopyProjectKey, value)) {
      values_.copy_project = value == "1";
    } else if (ValueAfterKey(line, kCleanUpKey, value)) {
      values_.clean_up = value == "1";
    }
  }

  void SwitchTo(const std::string& path, bool from_public) {
    if (!from_public) chain_.clear();
    if (!FileExists(path)) return;
    const std::string resolved = ResolvedPath(path);
    const auto same = [&resolved](const std::string& other) {
      return SameResolvedPath(resolved, other);
    };
    if (same(main_resolved_) || std::any_of(chain_.begin(), chain_.end(), same)) return;
    auto next = std::make_unique<LineReader>(path);
    chain_.push_back(resolved);
    public_ = std::move(next);  // the rest of the file read so far is dropped
  }

  ConfigValues& values_;
  LineReader main_;
  std::string main_resolved_;
  std::unique_ptr<LineReader> public_;
  std::vector<std::string> chain_;  // resolved public files since the main file switched
};

}  // namespace

std::string ConfigFilePath(std::string_view exe_dir) {
  std::string path(exe_dir);
  if (path.empty() || path.back() != Separator()) path += Separator();
  return path + std::string(kConfigFileName);
}

ConfigReadResult ReadConfiguration(std::string_view path, UserInterface& ui) {
  ConfigReadResult result;
  if (!FileExists(path)) return result;
  try {
    ConfigReader reader(path, result.values);
    reader.ReadAll();
  } catch (const IoError& error) {
    result.completed = false;
    ui.ShowMessage(error.what());
  }
  return result;
}

bool SaveConfiguration(std::string_view path, const ConfigToSave& config, UserInterface& ui,
                       FileSystem& file_system) {
  // The old file is replaced only by a completely written new one, so a full
  // disk never leaves a truncated configuration behind. A configuration that
  // is a link is written where the link leads, and the link stays.
  const std::string real = IsLink(path) ? ResolvedPath(path) : std::string(path);
  std::string temp;
  try {
    temp = WriteBeside(
        FolderPart(real), NamePart(real), ".tmp", {}, FileExists(real) ? real : std::string(),
        [&config](LineWriter& out) {
          if (config.public_ini_path.empty()) {
            out.WriteLine(kNoPublicIniLine);
          } else {
            out.Write(kPublicIniKey);
            out.WriteLine(config.public_ini_path);
          }
          out.Write(kNewPathKey);
          out.WriteLine(config.new_path);
          out.Write(kRenameFolderKey);
          out.WriteLine(Flag(config.rename_folder));
          out.Write(kCopyProjectKey);
          out.WriteLine(Flag(config.copy_project));
          out.Write(kCleanUpKey);
          out.WriteLine(Flag(config.clean_up));
        },
        file_system);
    if (!RenameReplacing(temp, real)) ThrowLastIoError(real);
    return true;
  } catch (const IoError& error) {
    if (!temp.empty()) RemoveFile(temp);
    ui.ShowMessage(error.what());
    return false;
  }
}

}  // namespace kelvandor
