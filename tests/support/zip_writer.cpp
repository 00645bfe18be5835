#include "tests/support/zip_writer.h"

#include <memory>

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace kelvandor::testing {
namespace {

struct WriterFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

// Names are handed over as the program's paths are meant: in the ANSI code
// page on Windows (as wide strings, since libarchive's narrow names follow
// the C library's locale there), as plain bytes elsewhere.
#ifdef _WIN32
int OpenFile(archive* a, const std::string& path) {
  return archive_write_open_filename_w(a, NativePath(path).c_str());
}
void SetPath(archive_entry* e, const std::string& path) {
  archive_entry_copy_pathname_w(e, NativePath(path).c_str());
}
void SetLinkTarget(archive_entry* e, const std::string& target) {
  archive_entry_copy_symlink_w(e, NativePath(target).c_str());
}
#else
int OpenFile(archive* a, const std::string& path) {
  return archive_write_open_filename(a, path.c_str());
}
void SetPath(archive_entry* e, const std::string& path) {
  archive_entry_copy_pathname(e, path.c_str());
}
void SetLinkTarget(archive_entry* e, const std::string& target) {
  archive_entry_copy_symlink(e, target.c_str());
}
#endif

}  // namespace

void WriteZip(const std::string& zip_path, const std::vector<ZipEntry>& entries,
              const std::string& options, const std::string& passphrase) {
  std::unique_ptr<archive, WriterFree> a(archive_write_new());
  ASSERT_EQ(archive_write_set_format_zip(a.get()), ARCHIVE_OK);
#ifdef _WIN32
  // Stored in UTF-8 and marked so, as current Windows tools do.
  ASSERT_EQ(archive_write_set_option(a.get(), "zip", "hdrcharset", "UTF-8"), ARCHIVE_OK);
#endif
  if (!options.empty()) {
    ASSERT_EQ(archive_write_set_options(a.get(), options.c_str()), ARCHIVE_OK)
        << archive_error_string(a.get());
  }
  if (!passphrase.empty()) {
    ASSERT_EQ(archive_write_set_passphrase(a.get(), passphrase.c_str()), ARCHIVE_OK);
  }
  ASSERT_EQ(OpenFile(a.get(), zip_path), ARCHIVE_OK);
  for (const ZipEntry& item : entries) {
    std::unique_ptr<archive_entry, EntryFree> e(archive_entry_new());
    SetPath(e.get(), item.path);
    archive_entry_set_mtime(e.get(), 1'300'000'000, 0);
    const bool file = item.kind == ZipEntry::kFileOrFolder && !item.path.ends_with('/');
    if (item.kind == ZipEntry::kLink) {
      archive_entry_set_filetype(e.get(), AE_IFLNK);
      archive_entry_set_perm(e.get(), 0777);
      SetLinkTarget(e.get(), item.data);
    } else if (file) {
      archive_entry_set_filetype(e.get(), AE_IFREG);
      archive_entry_set_perm(e.get(), 0644);
      archive_entry_set_size(e.get(), static_cast<la_int64_t>(item.data.size()));
    } else {
      archive_entry_set_filetype(e.get(), AE_IFDIR);
      archive_entry_set_perm(e.get(), 0755);
    }
    ASSERT_EQ(archive_write_header(a.get(), e.get()), ARCHIVE_OK) << archive_error_string(a.get());
    if (file && !item.data.empty()) {
      ASSERT_EQ(archive_write_data(a.get(), item.data.data(), item.data.size()),
                static_cast<la_ssize_t>(item.data.size()));
    }
  }
  ASSERT_EQ(archive_write_close(a.get()), ARCHIVE_OK);
}

}  // namespace kelvandor::testing
