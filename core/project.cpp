#include "core/project.h"

#include <algorithm>
#include <utility>

namespace kelvandor {

std::string Family::Value(std::string_view name) const {
  for (const auto& [key, text] : values) {
    if (key == name) return text;
  }
  return {};
}

void Family::SetValue(std::string_view name, std::string text) {
  const auto it = std::find_if(values.begin(), values.end(),
                               [name](const auto& value) { return value.first == name; });
  if (it == values.end()) {
    if (!text.empty()) values.emplace_back(std::string(name), std::move(text));
  } else if (text.empty()) {
    values.erase(it);
  } else {
    it->second = std::move(text);
  }
}

const Family* Project::Find(FamilyKind kind) const {
  const auto it = std::find_if(families.begin(), families.end(),
                               [kind](const Family& f) { return f.kind == kind; });
  return it == families.end() ? nullptr : &*it;
}

Family* Project::Find(FamilyKind kind) {
  return const_cast<Family*>(std::as_const(*this).Find(kind));
}

Family& Project::Add(FamilyKind kind) {
  auto it = std::find_if(families.begin(), families.end(),
                         [kind](const Family& f) { return f.kind >= kind; });
  if (it != families.end() && it->kind == kind) return *it;
  Family family;
  family.kind = kind;
  return *families.insert(it, std::move(family));
}

}  // namespace kelvandor
