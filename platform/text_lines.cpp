#include "platform/text_lines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/io_error.h"

namespace kelvandor {
namespace {

constexpr std::size_t kReadBufferSize = 256 * 1024;
constexpr std::size_t kWriteBufferSize = 256 * 1024;
constexpr char kCtrlZ = 26;

// Appends `text` to `out` without its CRs.
void AppendWithoutCr(std::string_view text, std::string& out) {
  while (!text.empty()) {
    const void* cr = std::memchr(text.data(), '\r', text.size());
    const std::size_t n =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - text.data()) : text.size();
    out.append(text.data(), n);
    text.remove_prefix(cr ? n + 1 : n);
  }
}

}  // namespace

LineReader::LineReader(std::string_view path) : LineReader(path, NativeFileSystem()) {}

LineReader::LineReader(std::string_view path, FileSystem& file_system)
    : file_system_(&file_system), path_(path) {
  if (path.empty()) throw IoError(IoErrorCode::kFileNotFound);
  // Allocated first: a failed allocation then leaves no file open.
  std::unique_ptr<char[]> buffer(new char[kReadBufferSize]);
  fd_ = file_system.OpenForReading(path);
  if (fd_ < 0) ThrowIoErrorFromErrno(errno, path);
  buffer_ = buffer.release();
}

LineReader::~LineReader() {
  if (fd_ >= 0) file_system_->Close(fd_);
  delete[] buffer_;
}

void LineReader::Close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (file_system_->Close(fd) != 0) ThrowIoErrorFromErrno(errno, path_);
}

bool LineReader::Fill() {
  if (eof_ || fd_ < 0) return false;
  begin_ = 0;
  end_ = 0;
  for (;;) {
    const long long n = file_system_->Read(fd_, buffer_, kReadBufferSize);
    if (n > 0) {
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n == 0) {
      eof_ = true;
      return false;
    }
    if (errno != EINTR) ThrowIoErrorFromErrno(errno, path_);
  }
}

bool LineReader::ReadLine(std::string_view& line) {
  if (stopped_) return false;
  bool at_start = true;
  bool assembling = false;
  assembled_.clear();
  for (;;) {
    if (begin_ == end_ && !Fill()) {
      if (!assembling) return false;  // nothing left: no further line
      line = assembled_;              // the last line had no line end
      return true;
    }
    if (at_start) {
      // CRs are dropped from a line, so a Ctrl-Z after leading CRs begins it
      // as well; were it kept, the line would not read back once written.
      std::size_t first = begin_;
      while (first < end_ && buffer_[first] == '\r') ++first;
      if (first < end_) {
        if (buffer_[first] == kCtrlZ) {
          stopped_ = true;
          return false;
        }
        at_start = false;
      }
    }
    const char* base = buffer_ + begin_;
    const std::size_t avail = end_ - begin_;
    const void* lf = std::memchr(base, '\n', avail);
    if (lf == nullptr) {
      AppendWithoutCr(std::string_view(base, avail), assembled_);
      assembling = true;
      begin_ = end_;
      continue;
    }
    const std::size_t len = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
    const std::string_view piece(base, len);
    begin_ += len + 1;
    if (!assembling) {
      // The common cases, LF and CR LF, need no copy.
      std::string_view body = piece;
      if (!body.empty() && body.back() == '\r') body.remove_suffix(1);
      if (std::memchr(body.data(), '\r', body.size()) == nullptr) {
        line = body;
        return true;
      }
    }
    AppendWithoutCr(piece, assembled_);
    line = assembled_;
    return true;
  }
}

std::string ReadWholeFile(std::string_view path, FileSystem& file_system) {
  LineReader in(path, file_system);
  std::string content;
  std::string_view chunk;
  while (in.ReadBytes(chunk)) content.append(chunk);
  in.Close();
  return content;
}

bool LineReader::ReadBytes(std::string_view& chunk) {
  if (begin_ == end_ && !Fill()) return false;
  chunk = std::string_view(buffer_ + begin_, end_ - begin_);
  begin_ = end_;
  return true;
}

LineWriter::LineWriter(std::string_view path) : LineWriter(path, NativeFileSystem()) {}

LineWriter::LineWriter(std::string_view path, FileSystem& file_system)
    : file_system_(&file_system), path_(path) {
  if (path.empty()) throw IoError(IoErrorCode::kFileNotFound);
  // Allocated first: a failed allocation then leaves no file open.
  std::unique_ptr<char[]> buffer(new char[kWriteBufferSize]);
  fd_ = file_system_->CreateForWriting(path);
  if (fd_ < 0) ThrowIoErrorFromErrno(errno, path);
  buffer_ = buffer.release();
}

LineWriter::~LineWriter() {
  if (fd_ >= 0) file_system_->Close(fd_);
  delete[] buffer_;
}

void LineWriter::Write(std::string_view text) {
  while (!text.empty()) {
    if (used_ == kWriteBufferSize) Flush();
    const std::size_t n = std::min(text.size(), kWriteBufferSize - used_);
    std::memcpy(buffer_ + used_, text.data(), n);
    used_ += n;
    text.remove_prefix(n);
  }
}

void LineWriter::EndLine() { Write("\r\n"); }

void LineWriter::WriteLine(std::string_view line) {
  Write(line);
  EndLine();
}

void LineWriter::Flush() {
  if (fd_ < 0) throw IoError(IoErrorCode::kAccessDenied, path_);
  std::size_t offset = 0;
  while (offset < used_) {
    const long long n = file_system_->Write(fd_, buffer_ + offset, used_ - offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowIoErrorFromErrno(errno, path_);
    }
    // A write that takes nothing would be tried for ever.
    if (n == 0) ThrowIoErrorFromErrno(ENOSPC, path_);
    offset += static_cast<std::size_t>(n);
  }
  used_ = 0;
}

void LineWriter::Sync() {
  Flush();
  if (!file_system_->SyncFile(fd_)) ThrowIoErrorFromErrno(errno, path_);
}

void LineWriter::Close() {
  if (fd_ < 0) return;
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (file_system_->Close(fd) != 0) ThrowIoErrorFromErrno(errno, path_);
}

}  // namespace kelvandor
