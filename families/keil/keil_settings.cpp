#include "families/keil/keil_settings.h"

#include "core/xml_stream.h"

namespace kelvandor {
namespace {

bool SetOnce(std::string& field, std::string_view raw) {
  if (!field.empty()) return false;
  field = DecodeXml(raw);
  return !field.empty();
}

class KeilReader : public XmlHandler {
 public:
  explicit KeilReader(const KeilProjectVisitor& visitor)
      : follower_(visitor.target
                      ? visitor.target
                      : std::function<void(const KeilTarget&)>([](const KeilTarget&) {})),
        source_(visitor.source) {}

  void StartTag(std::string_view name, bool empty, std::string& /*tag*/) override {
    follower_.StartTag(name, empty);
  }
  bool WantsValue(std::string_view name) const override {
    return KeilTargetFollower::IsTargetValue(name) || (source_ && name == "FilePath");
  }
  void Value(std::string_view name, std::string& value) override {
    if (name == "FilePath") {
      const std::string path = DecodeXml(value);
      if (!path.empty()) source_(path);
    } else {
      follower_.Value(name, value);
    }
  }
  void Finish() { follower_.Finish(); }

 private:
  KeilTargetFollower follower_;
  const std::function<void(std::string_view)>& source_;
};

}  // namespace

bool KeilTargetFollower::IsTargetValue(std::string_view name) {
  return name == "TargetName" || name == "OutputDirectory" || name == "ListingPath" ||
         name == "OutputName" || name == "ScatterFile" || name == "Device" || name == "umfTarg";
}

void KeilTargetFollower::StartTag(std::string_view name, bool empty) {
  if (name != "Target" || empty) return;
  Finish();
  current_ = {};
  in_target_ = true;
}

bool KeilTargetFollower::Value(std::string_view name, std::string_view raw) {
  if (!in_target_) return false;
  KeilTarget& t = current_;
  std::string* field = name == "TargetName"        ? &t.name
                       : name == "OutputDirectory" ? &t.output_directory
                       : name == "ListingPath"     ? &t.listing_path
                       : name == "OutputName"      ? &t.output_name
                       : name == "ScatterFile"     ? &t.scatter_file
                       : name == "Device"          ? &t.device
                       : name == "umfTarg"         ? &t.memory_layout_scatter
                                                   : nullptr;
  return field != nullptr && SetOnce(*field, raw);
}

void KeilTargetFollower::Finish() {
  if (!in_target_) return;
  in_target_ = false;
  complete_(current_);
}

void ReadKeilProject(std::string_view uvprojx_path, const KeilProjectVisitor& visitor,
                     FileSystem& file_system) {
  KeilReader reader(visitor);
  ReadXml(uvprojx_path, reader, file_system);
  reader.Finish();
}

}  // namespace kelvandor
