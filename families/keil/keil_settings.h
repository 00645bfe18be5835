#pragma once

// Where a uVision 5 project (".uvprojx") builds to, read from its project
// file: the per-target folders and names, as plain values (entities
// decoded), and the files the project names, which a clean-up must never
// delete. The reader streams the file: what cannot be read as such markup
// yields no value.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/file_system.h"

namespace kelvandor {

struct KeilTarget {
  std::string name;              // <TargetName>
  std::string output_directory;  // <OutputDirectory>, e.g. ".\Objects\"
  std::string listing_path;      // <ListingPath>
  std::string output_name;       // <OutputName>
  std::string scatter_file;      // <ScatterFile>
  std::string device;            // <Device>
  // <umfTarg>: "1" when the linker writes the scatter file itself, from the
  // target's memory layout, into the output folder.
  std::string memory_layout_scatter;
  bool operator==(const KeilTarget&) const = default;
};

// Follows the targets of a uVision project as its elements stream by,
// holding the values of the current target only. A target runs from its
// <Target> start tag to the next one or to the end of the file; of each
// value, the first that is not empty counts.
class KeilTargetFollower {
 public:
  // `complete` receives each target once its values are final.
  explicit KeilTargetFollower(std::function<void(const KeilTarget&)> complete)
      : complete_(std::move(complete)) {}

  // Whether the element `name` holds a value of KeilTarget.
  static bool IsTargetValue(std::string_view name);

  void StartTag(std::string_view name, bool empty);
  // The raw value of an element named by IsTargetValue; true when it set a
  // field of the current target.
  bool Value(std::string_view name, std::string_view raw);
  // At the end of the file: completes the last target.
  void Finish();

  // The target begun last, its values so far; null before the first.
  const KeilTarget* current() const { return in_target_ ? &current_ : nullptr; }

 private:
  std::function<void(const KeilTarget&)> complete_;
  KeilTarget current_;
  bool in_target_ = false;
};

// What a reading of a uVision project file hands on as it goes, in the order
// of the file; either may be empty.
struct KeilProjectVisitor {
  std::function<void(const KeilTarget&)> target;  // each target, complete
  std::function<void(std::string_view)> source;   // each <FilePath>, decoded, repeats included
};

// Streams the project file at `uvprojx_path` through `visitor`; nothing is
// kept, so memory stays flat whatever the file's size. Raises IoError when
// the file cannot be read.
void ReadKeilProject(std::string_view uvprojx_path, const KeilProjectVisitor& visitor,
                     FileSystem& file_system);

}  // namespace kelvandor
