#include "families/family_table.h"

#include <cstdlib>

#include "families/eclipse/eclipse_family.h"
#include "families/iar/iar_family.h"
#include "families/keil/keil_family.h"
#include "families/mplab/mplab_family.h"
#include "families/softune/softune_family.h"

namespace kelvandor {
namespace {

// Made on first use, so that no static initializer elsewhere can see it
// before it is filled in.
std::span<const FamilyRow> Rows() {
  static const FamilyRow rows[] = {
      SoftuneRow(),  // FamilyKind::kWspPrj
      IarRow(),      // FamilyKind::kIar
      KeilUv4Row(),  // FamilyKind::kKeilUv4
      KeilUv5Row(),  // FamilyKind::kKeilUv5
      EclipseRow(),  // FamilyKind::kEclipse
      MplabRow(),    // FamilyKind::kMplab
  };
  static_assert(std::size(rows) == static_cast<std::size_t>(kLastFamilyKind) + 1,
                "every family has its row");
  return rows;
}

}  // namespace

std::span<const FamilyRow> FamilyTable() { return Rows(); }

const FamilyRow& RowOf(FamilyKind kind) { return Rows()[static_cast<std::size_t>(kind)]; }

RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan) {
  return RewriteValues{.new_name = plan.new_name,
                       .new_path = plan.new_path,
                       .new_dir = plan.new_dir,
                       .old_dir = project.old_dir,
                       .backup = plan.backup};
}

}  // namespace kelvandor
