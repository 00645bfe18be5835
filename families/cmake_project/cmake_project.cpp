#include "families/cmake_project/cmake_project.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/cleaning.h"
#include "core/xml_stream.h"
#include "families/cubemx/ioc_rewriter.h"
#include "families/family_table.h"
#include "platform/io_error.h"
#include "platform/path_style.h"
#include "platform/text_lines.h"

namespace kelvandor {
namespace {

constexpr std::string_view kListsFile = "CMakeLists.txt";
constexpr std::string_view kIoc = ".ioc";
constexpr std::string_view kNameVariable = "CMAKE_PROJECT_NAME";
constexpr std::string_view kGeneratedFolder = "cmake";
constexpr std::string_view kBuildFolder = "build";
constexpr std::string_view kCacheFile = "CMakeCache.txt";
constexpr std::string_view kCacheDirKey = "CMAKE_CACHEFILE_DIR:INTERNAL=";
constexpr std::string_view kBackup = ".bak";
constexpr std::string_view kModule = ".iml";
constexpr std::string_view kFolderNameVariable = "${workspaceFolderBasename}";
constexpr std::string_view kImageExtensions[] = {".elf", ".hex", ".bin", ".map", ".srec", ".list"};
// Named by the project's name, for the debugger and the flash tools.
constexpr std::string_view kVsCodeFiles[] = {"launch.json", "tasks.json"};

constexpr std::string_view kComputedName =
    "Sets the project's name from a variable, which stays: please recheck it manually";
constexpr std::string_view kNoTargetName =
    "Takes a name CMake allows for no target, so the contexts keep theirs: please recheck it "
    "manually";
constexpr std::string_view kFolderNamed =
    "Names the program after the project's folder, whose name is not the new project name: "
    "please recheck it manually";
constexpr std::string_view kStaleCache =
    "Was written for another folder, which CMake refuses: deleted";
constexpr std::string_view kStaleCacheKept =
    "Was written for another folder, which CMake refuses, and cannot be deleted: please delete "
    "it manually";

struct Rename {
  std::string old_name;
  std::string new_name;
};

// A file or folder directly in `dir` by its exact name, not a link.
std::optional<std::string> OwnEntry(FileSystem& fs, std::string_view dir, std::string_view name,
                                    EntryKind kind) {
  const std::optional<DirEntry> entry = fs.FindEntry(dir, name);
  if (!entry || entry->name != name || entry->is_link || entry->kind != kind) return std::nullopt;
  return JoinPath(dir, name);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The argument of `set(CMAKE_PROJECT_NAME arg)` when `line` is that command,
// without the quotes of a quoted one.
struct Argument {
  std::size_t pos = 0;
  std::size_t size = 0;
  bool quoted = false;
};
std::optional<Argument> NameArgument(std::string_view line) {
  std::size_t i = 0;
  const auto skip = [&] {
    const std::size_t from = i;
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i > from;
  };
  skip();
  if (!StartsWithIgnoreCase(line.substr(i), "set")) return std::nullopt;
  i += 3;
  skip();
  if (i >= line.size() || line[i] != '(') return std::nullopt;
  ++i;
  skip();
  if (!line.substr(i).starts_with(kNameVariable)) return std::nullopt;
  i += kNameVariable.size();
  if (!skip()) return std::nullopt;
  const std::size_t start = i;
  if (i < line.size() && line[i] == '"') {
    const std::size_t close = line.find('"', i + 1);
    if (close == std::string_view::npos) return std::nullopt;
    i = close + 1;
  } else {
    while (i < line.size() && !IsBlank(line[i]) && line[i] != ')') ++i;
  }
  const std::size_t end = i;
  skip();
  if (end == start || i >= line.size() || line[i] != ')') return std::nullopt;
  if (line[start] == '"') return Argument{start + 1, end - start - 2, true};
  return Argument{start, end - start, false};
}

// `name` as a CMake argument, quoted where it needs (or has) quotes.
std::string CMakeArgument(std::string_view name, bool quoted) {
  constexpr std::string_view kEscaped = "\"\\$";
  quoted = quoted || name.find_first_of(" \t()#;") != std::string_view::npos ||
           name.find_first_of(kEscaped) != std::string_view::npos;
  if (!quoted) return std::string(name);
  std::string out;
  for (char c : name) {
    if (kEscaped.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// A name CMake allows for a target, which the project's executable is.
bool IsTargetName(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == '+' ||
           c == '-';
  });
}

// A name CMake takes as it stands, not one it computes.
bool IsLiteralName(std::string_view name) {
  return !name.empty() && name.find_first_of("$\\;") == std::string_view::npos;
}

// The argument the top "CMakeLists.txt" at `path` sets the name to.
std::optional<std::string> ReadSetName(const std::string& path, FileSystem& fs) {
  LineReader in(path, fs);
  std::string_view line;
  while (in.ReadLine(line)) {
    if (const std::optional<Argument> arg = NameArgument(line))
      return std::string(line.substr(arg->pos, arg->size));
  }
  return std::nullopt;
}

// The ".ioc" files of `dir` without their extension.
std::vector<std::string> IocNames(std::string_view dir, FileSystem& fs) {
  std::vector<std::string> names;
  for (const std::string& file : fs.ListFiles(dir, kIoc)) {
    if (OwnEntry(fs, dir, file, EntryKind::kFile))
      names.push_back(file.substr(0, file.size() - kIoc.size()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The ".ioc" the project's name comes from.
std::optional<std::string> ChosenIoc(std::string_view dir, std::string_view set_name,
                                     FileSystem& fs) {
  const std::vector<std::string> names = IocNames(dir, fs);
  for (const std::string& name : names) {
    if (EqualsIgnoreCase(name, set_name)) return name;
  }
  if (names.size() == 1) return names.front();
  return std::nullopt;
}

// The folders of the project's contexts: visible sub-folders, no links,
// holding a "CMakeLists.txt" of their own; the generator's and the build's
// folders are none.
std::vector<std::string> Contexts(std::string_view dir, FileSystem& fs) {
  std::vector<std::string> out;
  for (const DirEntry& entry : fs.ListDirectory(dir)) {
    if (entry.kind != EntryKind::kFolder || entry.is_link || entry.hidden ||
        entry.name.starts_with('.') || EqualsIgnoreCase(entry.name, kGeneratedFolder) ||
        EqualsIgnoreCase(entry.name, kBuildFolder)) {
      continue;
    }
    if (OwnEntry(fs, JoinPath(dir, entry.name), kListsFile, EntryKind::kFile))
      out.push_back(entry.name);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Bytes above ASCII are parts of a name's letters.
bool IsNameChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return std::isalnum(byte) != 0 || byte >= 0x80 || c == '_' || c == '-' || c == '+';
}

// The length of the image extension `text` starts with, or 0.
std::size_t ImageExtension(std::string_view text) {
  for (std::string_view ext : kImageExtensions) {
    if (StartsWithIgnoreCase(text, ext) &&
        (text.size() == ext.size() || (!IsNameChar(text[ext.size()]) && text[ext.size()] != '.'))) {
      return ext.size();
    }
  }
  return 0;
}

std::string JsonEscaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

// `text` with each old name of `renames` that stands as a whole token (not
// after a "." or a name's character, nor before a name's character)
// replaced. A token followed by an extension counts only where that is an
// image's ("duo_CM4.elf", never the source "duo_CM4.c"); with `images_only`
// a token counts only so.
std::string RenameTokens(std::string_view text, std::span<const Rename> renames, bool images_only,
                         bool json) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i > 0 && (IsNameChar(text[i - 1]) || text[i - 1] == '.')) continue;
    for (const Rename& rename : renames) {
      if (!text.substr(i).starts_with(rename.old_name)) continue;
      const std::string_view after = text.substr(i + rename.old_name.size());
      const bool image = ImageExtension(after) > 0;
      if ((!after.empty() && (IsNameChar(after.front()) || (after.front() == '.' && !image))) ||
          (images_only && !image)) {
        continue;
      }
      out.append(text.substr(done, i - done));
      out.append(json ? JsonEscaped(rename.new_name) : rename.new_name);
      done = i + rename.old_name.size();
      i = done - 1;
      break;
    }
  }
  out.append(text.substr(done));
  return out;
}

using LineFn = std::function<std::string(std::string_view body)>;

// Whether `fn` changes any line of the file at `path`.
bool ChangesAnyLine(const std::string& path, const LineFn& fn, FileSystem& fs) {
  const std::string text = ReadWholeFile(path, fs);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string_view body(text.data() + start, end - start);
    if (fn(body) != body) return true;
    start = end + 1;
  }
  return false;
}

class CMakeRename {
 public:
  CMakeRename(const std::string& dir, const Family& family, const RewriteValues& values,
              RewriteBatch& batch)
      : dir_(dir), family_(family), values_(values), batch_(batch), fs_(batch.file_system()) {}

  void Run() {
    const std::optional<std::string> top = OwnEntry(fs_, dir_, kListsFile, EntryKind::kFile);
    if (!top) return;
    const std::optional<std::string> set_name = ReadSetName(*top, fs_);
    std::vector<std::string> old_names = {family_.old_name};
    if (set_name && IsLiteralName(*set_name) && *set_name != family_.old_name)
      old_names.push_back(*set_name);
    for (const std::string& old_name : old_names) {
      if (!old_name.empty()) names_.push_back({old_name, values_.new_name});
    }
    for (const std::string& context : Contexts(dir_, fs_)) {
      for (const std::string& old_name : old_names) {
        if (!old_name.empty() && IsTargetName(values_.new_name))
          contexts_.push_back({old_name + "_" + context, values_.new_name + "_" + context});
      }
    }

    ParseIoc(dir_, family_.old_name, values_, batch_);
    StageTop(*top);
    for (const std::string& context : Contexts(dir_, fs_)) {
      StageTokens(JoinPath(dir_, context), kListsFile, contexts_, false, false);
    }
    StageTokens(dir_, "mx-generated.cmake", contexts_, false, false);
    std::vector<Rename> images = names_;
    images.insert(images.end(), contexts_.begin(), contexts_.end());
    if (const std::optional<std::string> vscode =
            OwnEntry(fs_, dir_, ".vscode", EntryKind::kFolder)) {
      for (std::string_view file : kVsCodeFiles) {
        StageTokens(*vscode, file, images, true, true);
        WarnOfFolderName(*vscode, file);
      }
    }
    StageTokens(dir_, "openocd.cfg", images, true, false);
    if (const std::optional<std::string> idea = OwnEntry(fs_, dir_, ".idea", EntryKind::kFolder)) {
      StageLines(*idea, ".name", [this](std::string_view body) {
        for (const Rename& rename : names_) {
          if (body == rename.old_name) return rename.new_name;
        }
        return std::string(body);
      });
      StageModule(*idea);
    }
    DeleteStaleCaches();
  }

 private:
  void StageLines(const std::string& dir, std::string_view name, const LineFn& fn) {
    const std::optional<std::string> path = OwnEntry(fs_, dir, name, EntryKind::kFile);
    if (!path || !fs_.IsSameOrInside(*path, dir_) || !ChangesAnyLine(*path, fn, fs_)) return;
    const std::string file(name);
    const std::size_t staged = batch_.StageExact(
        dir, file, file + std::string(kBackup), file,
        RawLines([&fn](std::string_view body, std::string_view end, LineWriter& out) {
          out.Write(fn(body));
          out.Write(end);
        }));
    batch_.KeepBackup(staged, values_.backup);
  }

  void StageTokens(const std::string& dir, std::string_view name, std::span<const Rename> renames,
                   bool images_only, bool json) {
    if (renames.empty()) return;
    StageLines(dir, name, [&](std::string_view body) {
      return RenameTokens(body, renames, images_only, json);
    });
  }

  void StageTop(const std::string& path) {
    bool computed = false;
    StageLines(dir_, kListsFile, [&](std::string_view body) {
      const std::optional<Argument> arg = NameArgument(body);
      if (!arg) return std::string(body);
      const std::string_view name = body.substr(arg->pos, arg->size);
      if (!IsLiteralName(name)) {
        computed = true;
        return std::string(body);
      }
      std::string out(body);
      const std::string value = CMakeArgument(values_.new_name, arg->quoted);
      if (arg->quoted) {
        out.replace(arg->pos, arg->size, value);
      } else {
        out.replace(arg->pos, arg->size, value == values_.new_name ? value : '"' + value + '"');
      }
      return out;
    });
    if (computed) batch_.Warn(path, kComputedName);
    if (!IsTargetName(values_.new_name)) batch_.Warn(path, kNoTargetName);
  }

  // CLion's module "OLD.iml" takes the new name with its entry in
  // "modules.xml"; one that file does not list by that name stays.
  void StageModule(const std::string& idea) {
    const std::string old_file = family_.old_name + std::string(kModule);
    const std::string new_file = values_.new_name + std::string(kModule);
    const std::optional<std::string> module = OwnEntry(fs_, idea, old_file, EntryKind::kFile);
    const std::string new_path = JoinPath(idea, new_file);
    if (!module || old_file == new_file || !FreeToRename(fs_, *module, new_path)) return;
    const std::string old_entry = "/.idea/" + EncodeXml(old_file) + "\"";
    const std::string new_entry = "/.idea/" + EncodeXml(new_file) + "\"";
    if (const std::optional<std::string> modules =
            OwnEntry(fs_, idea, "modules.xml", EntryKind::kFile);
        modules && ReadWholeFile(*modules, fs_).find(old_entry) == std::string::npos) {
      return;
    }
    StageLines(idea, "modules.xml", [&](std::string_view body) {
      std::string out(body);
      for (std::size_t at = out.find(old_entry); at != std::string::npos;
           at = out.find(old_entry, at + new_entry.size())) {
        out.replace(at, old_entry.size(), new_entry);
      }
      return out;
    });
    batch_.RenameAfterCommit(*module, new_path);
  }

  // A debugger that finds the image by the folder's name finds none where the
  // folder is named otherwise than the project.
  void WarnOfFolderName(const std::string& dir, std::string_view name) {
    if (NamePart(dir_) == values_.new_name) return;
    const std::optional<std::string> path = OwnEntry(fs_, dir, name, EntryKind::kFile);
    if (path && ReadWholeFile(*path, fs_).find(kFolderNameVariable) != std::string::npos)
      batch_.Warn(*path, kFolderNamed);
  }

  // The folders a configuration may have left its cache in.
  std::vector<std::string> CacheFolders() {
    std::vector<std::string> roots = {dir_};
    for (const std::string& context : Contexts(dir_, fs_)) roots.push_back(JoinPath(dir_, context));
    std::vector<std::string> out;
    for (const std::string& root : roots) {
      out.push_back(root);
      const std::optional<std::string> build =
          OwnEntry(fs_, root, kBuildFolder, EntryKind::kFolder);
      if (!build) continue;
      out.push_back(*build);
      for (const DirEntry& entry : fs_.ListDirectory(*build)) {
        if (entry.kind == EntryKind::kFolder && !entry.is_link)
          out.push_back(JoinPath(*build, entry.name));
      }
    }
    return out;
  }

  void DeleteStaleCaches() {
    for (const std::string& folder : CacheFolders()) {
      const std::optional<std::string> cache = OwnEntry(fs_, folder, kCacheFile, EntryKind::kFile);
      if (!cache || !fs_.IsSameOrInside(*cache, dir_)) continue;
      std::optional<std::string> written;
      LineReader in(*cache, fs_);
      std::string_view line;
      while (!written && in.ReadLine(line)) {
        if (line.starts_with(kCacheDirKey)) written = std::string(line.substr(kCacheDirKey.size()));
      }
      in.Close();
      if (!written || SameCMakeFolder(*written, folder)) continue;
      // Set aside as a backup with the commit, so that a run stopped
      // half-way puts it back or finishes its deletion.
      const std::string aside = *cache + std::string(kBackup);
      if (fs_.IsReadOnly(*cache) || !FreeToRename(fs_, *cache, aside)) {
        batch_.Warn(*cache, kStaleCacheKept);
        continue;
      }
      batch_.RenameAfterCommit(*cache, aside);
      batch_.DeleteAfterCommit(aside);
      batch_.Warn(*cache, kStaleCache);
    }
  }

  // CMake writes its folders with "/" between names.
  static bool SameCMakeFolder(std::string written, const std::string& folder) {
    std::string here = folder;
    std::replace(written.begin(), written.end(), '\\', '/');
    std::replace(here.begin(), here.end(), '\\', '/');
    while (written.size() > 1 && written.back() == '/') written.pop_back();
    while (here.size() > 1 && here.back() == '/') here.pop_back();
    return kNativeStyle == PathStyle::kWindows ? EqualsIgnoreCase(written, here) : written == here;
  }

  const std::string& dir_;
  const Family& family_;
  const RewriteValues& values_;
  RewriteBatch& batch_;
  FileSystem& fs_;
  std::vector<Rename> names_;
  std::vector<Rename> contexts_;
};

constexpr std::string_view kInSourceFiles[] = {"build.ninja",         ".ninja_deps",
                                               ".ninja_log",          "compile_commands.json",
                                               "cmake_install.cmake", "Makefile"};

// Everything below the folder is regenerated; file by file, so that the
// report names each.
void RemoveFolder(FileSystem& fs, const FamilyCleanUp& request, std::string_view dir,
                  std::string_view name) {
  const std::optional<std::string> path = OwnEntry(fs, dir, name, EntryKind::kFolder);
  if (path && fs.IsSameOrInside(*path, request.project_dir) &&
      CleanTree(
          *path, [](std::string_view) { return true; }, fs)) {
    fs.RemoveTree(*path);
  }
}

void RemoveFile(FileSystem& fs, std::string_view dir, std::string_view name) {
  if (const std::optional<std::string> path = OwnEntry(fs, dir, name, EntryKind::kFile))
    fs.RemoveFile(*path);
}

}  // namespace

bool ShowsCMakeProject(std::string_view dir, FileSystem& fs) {
  const std::optional<std::string> top = OwnEntry(fs, dir, kListsFile, EntryKind::kFile);
  const std::optional<std::string> generated =
      OwnEntry(fs, dir, kGeneratedFolder, EntryKind::kFolder);
  if (!top || !generated || IocNames(dir, fs).empty()) return false;
  const std::optional<std::string> cubemx =
      OwnEntry(fs, *generated, "stm32cubemx", EntryKind::kFolder);
  if (!cubemx || !OwnEntry(fs, *cubemx, kListsFile, EntryKind::kFile)) return false;
  try {
    return ReadSetName(*top, fs).has_value();
  } catch (const IoError&) {
    return false;
  }
}

std::string ClaimCMakeProject(const std::string& path) {
  FileSystem& fs = NativeFileSystem();
  std::string dir = path;
  while (dir.size() > 1 && dir.back() == Separator()) dir.pop_back();
  if (!fs.DirectoryExists(dir)) {
    const std::string name = NamePart(dir);
    if ((name != kListsFile && !EndsWithIgnoreCase(name, kIoc)) || !fs.FileExists(dir)) return {};
    dir = FolderPart(dir);
  }
  if (dir.empty()) return {};
  if (ShowsCMakeProject(dir, fs)) return dir;
  // A context stands for the project above it.
  const std::string above = FolderPart(dir);
  if (above.empty() || above.size() >= dir.size() || !ShowsCMakeProject(above, fs)) return {};
  const std::vector<std::string> contexts = Contexts(above, fs);
  return std::find(contexts.begin(), contexts.end(), NamePart(dir)) != contexts.end()
             ? above
             : std::string();
}

std::string ReadCMakeProjectName(const std::string& dir) {
  FileSystem& fs = NativeFileSystem();
  try {
    const std::optional<std::string> top = OwnEntry(fs, dir, kListsFile, EntryKind::kFile);
    if (!top) return {};
    const std::string set_name = ReadSetName(*top, fs).value_or(std::string());
    if (const std::optional<std::string> ioc = ChosenIoc(dir, set_name, fs)) return *ioc;
    return IsLiteralName(set_name) ? set_name : std::string();
  } catch (const IoError&) {
    return {};
  }
}

void RewriteCMakeProject(const std::string& dir, const Family& family, const RewriteValues& values,
                         UserInterface&, RewriteBatch& batch) {
  CMakeRename(dir, family, values, batch).Run();
}

void CleanCMakeProject(const Family&, const FamilyCleanUp& request, FileSystem& fs) {
  const std::string& dir = request.family_dir;
  if (request.project_dir.empty() || !fs.DirectoryExists(dir) ||
      !fs.IsSameOrInside(dir, request.project_dir)) {
    return;
  }
  RemoveFolder(fs, request, dir, kBuildFolder);
  RemoveFolder(fs, request, dir, ".cache");
  RemoveFile(fs, dir, "mx.scratch");
  for (const std::string& context : Contexts(dir, fs))
    RemoveFolder(fs, request, JoinPath(dir, context), kBuildFolder);
  // An in-source build writes beside the sources; its cache goes last, so
  // that a clean-up stopped half-way still knows the build.
  if (!OwnEntry(fs, dir, kCacheFile, EntryKind::kFile)) return;
  RemoveFolder(fs, request, dir, "CMakeFiles");
  for (std::string_view file : kInSourceFiles) RemoveFile(fs, dir, file);
  for (const std::string& name : {request.old_name, request.new_name}) {
    if (name.empty()) continue;
    for (std::string_view ext : kImageExtensions) RemoveFile(fs, dir, name + std::string(ext));
  }
  RemoveFile(fs, dir, kCacheFile);
}

namespace {

// Every CMake project has one; only the generator's folder makes it ours.
constexpr ProjectFilePattern kFiles[] = {
    {.pattern = "CMakeLists.txt", .whole_name = true, .shows = ShowsCMakeProject}};
constexpr ShownName kShown[] = {{OldField::kPrj}};

std::string Describe(const Project& project, const Family& family) {
  std::string out = "CMake: project " + family.old_name + WhereFound(family);
  const std::string generator =
      GeneratorFileIn(project.project_dir + family.sub_dir, family.old_name);
  if (!generator.empty()) out += "; generator file " + generator;
  return out;
}

}  // namespace

FamilyRow CMakeRow() {
  return {.kind = FamilyKind::kCMake,
          .files = kFiles,
          .claim = ClaimCMakeProject,
          .joins = true,
          .read_name = ReadCMakeProjectName,
          .proposal = Proposal::kWhenNamed,
          .shown = kShown,
          .rewrite = RewriteCMakeProject,
          .clean_named = CleanCMakeProject,
          .describe = Describe};
}

}  // namespace kelvandor
