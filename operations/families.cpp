#include "operations/families.h"

#include "rewrite/iar_rewriter.h"
#include "rewrite/keil5_rewriter.h"
#include "rewrite/keil_rewriter.h"
#include "rewrite/prj_rewriter.h"
#include "rewrite/wsp_rewriter.h"

namespace kelvandor {
namespace {

constexpr CleanStep kWspPrjSteps[] = {
    {"ABS", CleanOp::kKeepImages},
    {"LST", CleanOp::kEmpty},
    {"OBJ", CleanOp::kEmpty},
    {"OPT", CleanOp::kEmpty},
    {"ABS", CleanOp::kRenameImage, ".mhx"},

    {"Debug/ABS", CleanOp::kKeepImages},
    {"Debug/LST", CleanOp::kEmpty},
    {"Debug/OBJ", CleanOp::kEmpty},
    {"Debug/OPT", CleanOp::kEmpty},
    {"Debug/ABS", CleanOp::kRenameImage, ".mhx"},

    {"Release/ABS", CleanOp::kKeepImages},
    {"Release/LST", CleanOp::kEmpty},
    {"Release/OBJ", CleanOp::kEmpty},
    {"Release/OPT", CleanOp::kEmpty},
    {"Release/ABS", CleanOp::kRenameImage, ".mhx"},
};

constexpr CleanStep kIarSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug/obj", CleanOp::kEmpty},
    {"output/debug/exe", CleanOp::kKeepImages},
    {"output/debug/list", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kKeepImages},
    {"output/release/list", CleanOp::kEmpty},
    {"output/release/obj", CleanOp::kEmpty},
    {"settings", CleanOp::kEmpty},
    {"output/release/exe", CleanOp::kRenameImage, ".srec"},
    {"output/release/exe", CleanOp::kRenameImage, ".mhx"},
    {"output/release/exe", CleanOp::kRenameImage, ".hex"},
};

constexpr CleanStep kKeilSteps[] = {
    {"", CleanOp::kDeleteBackups},
    {"output/debug", CleanOp::kKeepImages},
    {"output/release", CleanOp::kKeepImages},
    {"", CleanOp::kDeleteDependencies},
    {"", CleanOp::kDeleteUvGui},
    {"output/release", CleanOp::kRenameImage, ".hex"},
    {"output/release", CleanOp::kRenameImage, ".srec"},
    {"output/release", CleanOp::kRenameImage, ".mhx"},
};

void RewriteWspPrj(const std::string& dir, const Family& family, const RewriteValues& values,
                   UserInterface& ui, RewriteBatch& batch) {
  ParseWsp(dir, family.old_workspace + ".wsp", family.old_name, values, ui, batch);
  ParsePrj(dir, family.old_name + ".prj", values, ui, batch);
}

void RewriteIar(const std::string& dir, const Family& family, const RewriteValues& values,
                UserInterface&, RewriteBatch& batch) {
  ParseIAR(dir, family.old_name, values, batch);
}

void RewriteKeilUv4(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface&, RewriteBatch& batch) {
  ParseKEILUV(dir, family.old_name, values, batch);
}

void RewriteKeilUv5(const std::string& dir, const Family& family, const RewriteValues& values,
                    UserInterface&, RewriteBatch& batch) {
  ParseKEILUV5(dir, family.old_name, values, batch);
}

void CleanIarLayout(const Family& family, const FamilyCleanUp& request, FileSystem& file_system) {
  if (family.generator_layout) CleanUpIarLayout(request, file_system);
}

void CleanKeilUv5(const Family&, const FamilyCleanUp& request, FileSystem& file_system) {
  CleanUpKeilUv5(request, file_system);
}

constexpr FamilyRow kTable[] = {
    {FamilyKind::kWspPrj, RewriteWspPrj, kWspPrjSteps, nullptr},
    {FamilyKind::kIar, RewriteIar, kIarSteps, CleanIarLayout},
    {FamilyKind::kKeilUv4, RewriteKeilUv4, kKeilSteps, nullptr},
    {FamilyKind::kKeilUv5, RewriteKeilUv5, {}, CleanKeilUv5},
};

}  // namespace

std::span<const FamilyRow> FamilyTable() { return kTable; }

const FamilyRow& RowOf(FamilyKind kind) { return kTable[static_cast<int>(kind)]; }

RewriteValues RewriteValuesFor(const Project& project, const RenamePlan& plan) {
  return RewriteValues{.new_name = plan.new_name,
                       .new_path = plan.new_path,
                       .new_dir = plan.new_dir,
                       .old_dir = project.old_dir,
                       .backup = plan.backup};
}

}  // namespace kelvandor
