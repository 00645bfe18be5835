#pragma once

// Which calls of a run a fault or crash loop makes go wrong. Failing every
// call of a run costs the square of its size; failing the first and the last
// call of each distinct kind at each distinct place catches what failing
// every one does, since the calls in between take the same way through the
// code. The run is made once through a CallRecorder over the loop's own file
// system (not failing, only counting); ChosenCalls then gives the numbers to
// fail, counted as that file system counts them:
//
//   FaultyFileSystem counting(0, fault);
//   CallRecorder recorder(counting, [&] { return counting.calls(); });
//   RenameProject(..., recorder);
//   for (int n : ChosenCalls(recorder.calls())) { FaultyFileSystem faulty(n, fault); ... }

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace kelvandor::testing {

// A call as ChosenCalls tells calls apart.
struct RecordedCall {
  std::string kind;   // "Rename", "Write", ...
  std::string place;  // the PathRole of its path ("from -> to" for a rename)
  // For a call that writes the journal or makes a folder durable, which the
  // run does at each of its steps alike: the kind and place of the last
  // other call, the step it ends. Empty for every other call.
  std::string step;
};

// The role of a path in a run, from its name alone: "journal", "new journal",
// "temporary", "set aside", "backup", or else "*" + its lowercased extension
// ("*.ewp", "*" without one), since files of other kinds take other ways
// through the rewriters. The calls that treat every file alike (copying,
// deleting, folders) call each such file "file".
std::string PathRole(std::string_view path);

class CallRecorder : public ForwardingFileSystem {
 public:
  // `counted` tells how many calls `inner` has counted so far; a call is
  // recorded once for each count it adds.
  CallRecorder(FileSystem& inner, std::function<int()> counted)
      : ForwardingFileSystem(inner), counted_(std::move(counted)) {}

  const std::vector<RecordedCall>& calls() const { return calls_; }

  bool MakeDirectory(std::string_view path) override;
  bool Rename(std::string_view from, std::string_view to, bool replace) override;
  bool RemoveFile(std::string_view path) override;
  bool RemoveTree(std::string_view path) override;
  bool CopyPermissions(std::string_view from, std::string_view to) override;
  bool CopyOneFile(std::string_view from, std::string_view to) override;
  bool MakeLink(std::string_view target, std::string_view path, bool to_folder) override;
  int CreateForWriting(std::string_view path) override;
  long long Write(int fd, const char* data, std::size_t size) override;
  int Close(int fd) override;
  bool SyncFile(int fd) override;
  bool SyncFolder(std::string_view dir) override;
  int OpenForReading(std::string_view path) override;
  long long Read(int fd, char* data, std::size_t size) override;

 private:
  // Makes `call` and records it under `kind` and `place` as often as it was
  // counted.
  template <typename Call>
  auto Note(std::string_view kind, std::string place, Call call);
  std::string FilePlace(int fd) const;

  std::function<int()> counted_;
  std::vector<RecordedCall> calls_;
  std::map<int, std::string> open_;  // descriptor -> role of its file
  std::string step_;                 // the last call that ends a step
};

// The numbers (from 1), in order, of the first and the last call of each
// distinct kind, place and step.
std::vector<int> ChosenCalls(const std::vector<RecordedCall>& calls);

}  // namespace kelvandor::testing
