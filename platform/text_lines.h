#pragma once

// Text files, line by line, as every project file and the configuration file
// are read and written: contents are bytes without character-set conversion;
// a line ends at LF or CR LF; a CR not followed by LF is dropped from the line;
// a Ctrl-Z (code 26) that begins a line, leading CRs aside, ends the input;
// every line written ends with CR LF. Both classes stream through a fixed
// buffer, so memory does not grow with the file. Failures raise IoError. The
// files that must keep every byte as it stands use the raw side of the same
// classes: ReadBytes and Write without EndLine.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvandor {

class FileSystem;

class LineReader {
 public:
  // Opens `path` for reading; raises IoError when it cannot be opened. Every
  // read goes through `file_system` (the real one without).
  explicit LineReader(std::string_view path);
  LineReader(std::string_view path, FileSystem& file_system);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Sets `line` to the next line without its line end. The view stays valid
  // until the next call. False at the end of the input (also at a Ctrl-Z that
  // begins a line); raises IoError when reading fails.
  bool ReadLine(std::string_view& line);

  // Sets `chunk` to the next bytes of the file as they stand: no line rule,
  // no stop at a Ctrl-Z. The view stays valid until the next call. False at
  // the end of the file; raises IoError when reading fails.
  bool ReadBytes(std::string_view& chunk);

  // Closes the file; raises IoError when closing fails. Called by the
  // destructor (quietly) when not called before.
  void Close();

 private:
  bool Fill();

  FileSystem* file_system_ = nullptr;
  std::string path_;  // named by the errors reading raises
  int fd_ = -1;
  char* buffer_ = nullptr;
  std::size_t begin_ = 0;  // first unread byte in buffer_
  std::size_t end_ = 0;    // one past the last valid byte
  bool eof_ = false;
  bool stopped_ = false;   // a Ctrl-Z began a line
  std::string assembled_;  // a line that did not fit in the buffer
};

// The whole content of the file `path`, read through `file_system`; raises
// IoError when it cannot be read. For project files, which are small.
std::string ReadWholeFile(std::string_view path, FileSystem& file_system);

class LineWriter {
 public:
  // Creates `path`, emptying a file of that name; raises IoError on failure.
  // Every write goes through `file_system`.
  explicit LineWriter(std::string_view path);
  LineWriter(std::string_view path, FileSystem& file_system);
  ~LineWriter();
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Appends bytes to the current line.
  void Write(std::string_view text);
  // Ends the current line with CR LF.
  void EndLine();
  // Write(line) then EndLine().
  void WriteLine(std::string_view line);

  // Flushes and closes; raises IoError when a write or the close fails. The
  // destructor closes quietly when Close was not called.
  void Close();
  // Flushes and makes the bytes durable; raises IoError on failure.
  void Sync();

 private:
  void Flush();

  FileSystem* file_system_ = nullptr;
  std::string path_;  // named by the errors writing raises
  int fd_ = -1;
  char* buffer_ = nullptr;
  std::size_t used_ = 0;
};

}  // namespace kelvandor
