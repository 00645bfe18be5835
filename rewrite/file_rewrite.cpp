#include "rewrite/file_rewrite.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/io_error.h"
#include "platform/path_style.h"

namespace kelvandor {
namespace {

constexpr std::string_view kPrjWspBackupPrefix = "_old_";
constexpr std::string_view kBackupSuffix = ".bak";
constexpr std::string_view kTemporarySuffix = ".kvtmp";
constexpr int kTemporaryNameAttempts = 1000;

// Whether two bare names in one folder name the same file.
bool SameFileName(std::string_view a, std::string_view b) {
  return kNativeStyle == PathStyle::kWindows ? EqualsIgnoreCase(a, b) : a == b;
}

// What stands at `path` is about to be replaced by a rename. POSIX would
// replace a read-only file (and root may write anything), Windows refuses:
// refusing everywhere keeps the outcome alike and raises before anything moved.
void RequireReplaceable(const std::string& path) {
  if (!AnythingExists(path)) return;
  if (!FileExists(path) || IsReadOnly(path)) throw IoError(kIoAccessDenied);
}

std::string FreeTemporaryName(std::string_view dir, std::string_view new_name,
                              std::string_view backup_name) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    std::string name(new_name);
    name += kTemporarySuffix;
    if (attempt > 0) name += std::to_string(attempt);
    if (!SameFileName(name, backup_name) && !AnythingExists(JoinPath(dir, name))) return name;
  }
  throw IoError(kIoAccessDenied);
}

// Removes the temporary file unless it was put in place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) RemoveFile(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

void StreamLines(LineReader& in, LineWriter& out, const LineTransform& transform) {
  std::string_view line;
  if (transform) {
    while (in.ReadLine(line)) transform(line, out);
  } else {
    while (in.ReadLine(line)) out.WriteLine(line);
  }
}

void CopyBytes(LineReader& in, LineWriter& out) {
  std::string_view chunk;
  while (in.ReadBytes(chunk)) out.Write(chunk);
}

// The write-beside-then-replace scheme of RewriteFile, whatever fills the
// new content.
void ReplaceThroughTemporary(std::string_view dir, std::string_view old_name,
                             std::string_view backup_name, std::string_view new_name,
                             const StreamTransform& fill) {
  const std::string old_path = JoinPath(dir, old_name);
  const std::string backup_path = JoinPath(dir, backup_name);
  const std::string new_path = JoinPath(dir, new_name);
  // The backup would be deleted, or would overwrite the new file.
  if (SameFileName(new_name, backup_name)) throw IoError(kIoInvalidFilename);
  RequireReplaceable(backup_path);
  if (!SameFileName(new_name, old_name)) RequireReplaceable(new_path);

  LineReader in(old_path);
  TemporaryFile temp(JoinPath(dir, FreeTemporaryName(dir, new_name, backup_name)));
  {
    LineWriter out(temp.path());
    fill(in, out);
    in.Close();
    out.Close();
  }
  if (!RenameReplacing(old_path, backup_path)) ThrowLastIoError();
  if (!RenameReplacing(temp.path(), new_path)) {
    try {
      ThrowLastIoError();
    } catch (const IoError&) {
      RenameNoReplace(backup_path, old_path);  // the old file back under its name
      throw;
    }
  }
  temp.Release();
}

}  // namespace

std::string JoinPath(std::string_view dir, std::string_view name) {
  std::string path(dir);
  if (!path.empty() && path.back() != Separator()) path += Separator();
  path += name;
  return path;
}

void RewriteFile(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                 std::string_view new_name, const LineTransform& transform) {
  ReplaceThroughTemporary(
      dir, old_name, backup_name, new_name,
      [&transform](LineReader& in, LineWriter& out) { StreamLines(in, out, transform); });
}

void RewriteFileExact(std::string_view dir, std::string_view old_name, std::string_view backup_name,
                      std::string_view new_name, const StreamTransform& stream) {
  ReplaceThroughTemporary(dir, old_name, backup_name, new_name, stream ? stream : CopyBytes);
}

void WriteReplacing(LineWriter& out, std::string_view line, std::size_t pos, std::size_t length,
                    std::string_view replacement) {
  out.Write(line.substr(0, pos));
  out.Write(replacement);
  out.Write(line.substr(pos + length));
  out.EndLine();
}

LineTransform ReplaceFirst(std::string old_text, std::string new_text, LetterCase letter_case) {
  return [old_text = std::move(old_text), new_text = std::move(new_text), letter_case](
             std::string_view line, LineWriter& out) {
    const std::size_t pos =
        letter_case == LetterCase::kExact ? line.find(old_text) : FindIgnoreCase(line, old_text);
    if (pos == std::string_view::npos) {
      out.WriteLine(line);
    } else {
      WriteReplacing(out, line, pos, old_text.size(), new_text);
    }
  };
}

bool RewriteCounted(std::string_view dir, const CountedRewrite& job,
                    const CountingTransform& transform, UserInterface& ui) {
  if (FileExists(JoinPath(dir, job.old_file))) {
    const std::string backup = std::string(kPrjWspBackupPrefix) + job.old_file;
    long long count = 0;
    RewriteFile(dir, job.old_file, backup, job.new_file,
                [&](std::string_view line, LineWriter& out) {
                  if (transform(line, out)) ++count;
                });
    if (count >= job.min_count && count <= job.max_count) {
      if (!job.keep_backup) RemoveFile(JoinPath(dir, backup));
      return true;
    }
  }
  ui.ShowResult(job.recheck_message);
  return false;
}

void RewriteKinds(std::string_view dir, std::string_view old_base, std::string_view new_name,
                  bool keep_backup, std::span<const FileKind> kinds,
                  std::span<const std::string_view> deletion_order) {
  for (const FileKind& kind : kinds) {
    std::string old_name(old_base);
    old_name += kind.extension;
    if (!FileExists(JoinPath(dir, old_name))) continue;
    std::string new_file(new_name);
    new_file += kind.extension;
    const std::string backup = old_name + std::string(kBackupSuffix);
    if (kind.exact) {
      RewriteFileExact(dir, old_name, backup, new_file, kind.stream);
    } else {
      RewriteFile(dir, old_name, backup, new_file, kind.transform);
    }
  }
  if (keep_backup) return;
  for (std::string_view extension : deletion_order) {
    std::string backup(old_base);
    backup += extension;
    backup += kBackupSuffix;
    RemoveFile(JoinPath(dir, backup));
  }
}

}  // namespace kelvandor
