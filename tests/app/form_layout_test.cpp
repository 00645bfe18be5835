#include "app/form_layout.h"

#include <cctype>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace kelvandor {
namespace {

bool Overlap(const ClientRect& a, const ClientRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool Inside(const ClientRect& inner, const ClientRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y &&
         inner.x + inner.width <= outer.x + outer.width &&
         inner.y + inner.height <= outer.y + outer.height;
}

TEST(FormLayoutTest, EveryModelControlHasOneRowOfItsKind) {
  std::set<std::string_view> names;
  std::set<char> shortcuts;
  // Member pointers have no order; the members' addresses in one object do.
  const FormControls controls;
  std::set<const void*> fields;
  for (const ControlLayout& row : FormLayout()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    EXPECT_EQ(FindControl(row.name), &row);
    EXPECT_EQ(row.edit != nullptr, row.kind == ControlKind::kEdit) << row.name;
    EXPECT_EQ(row.check_box != nullptr, row.kind == ControlKind::kCheckBox) << row.name;
    EXPECT_EQ(row.button != nullptr,
              row.kind == ControlKind::kButton || row.kind == ControlKind::kSpeedButton)
        << row.name;
    const void* field = row.edit        ? static_cast<const void*>(&(controls.*row.edit))
                        : row.check_box ? static_cast<const void*>(&(controls.*row.check_box))
                        : row.button    ? static_cast<const void*>(&(controls.*row.button))
                                        : nullptr;
    if (field) {
      EXPECT_TRUE(fields.insert(field).second) << row.name;
    }
    // Only what the user can click (or type into) has a handler.
    if (row.kind == ControlKind::kGroup || row.kind == ControlKind::kLabel) {
      EXPECT_EQ(row.handler, Handler::kNone) << row.name;
    }
    EXPECT_EQ(row.caption.empty(),
              row.kind == ControlKind::kEdit || row.kind == ControlKind::kSpeedButton)
        << row.name;
    if (row.shortcut != 0) {
      EXPECT_NE(row.caption.find(row.shortcut), std::string_view::npos) << row.name;
      EXPECT_TRUE(shortcuts.insert(static_cast<char>(std::tolower(row.shortcut))).second)
          << row.name;
    }
  }
  // The 21 controls of FormControls: seven Old and three New edits, four
  // check boxes, two speed buttons and five buttons.
  EXPECT_EQ(fields.size(), 21u);
  EXPECT_EQ(FindControl("Edit_Missing"), nullptr);
}

TEST(FormLayoutTest, ControlsLieInsideTheirGroupAndNeverOverlap) {
  const ClientRect client{0, 0, kWindowWidth, kWindowHeight};
  const auto rows = FormLayout();
  for (const ControlLayout& row : rows) {
    const ClientRect rect = ClientRectOf(row);
    EXPECT_TRUE(Inside(rect, client)) << row.name;
    if (!row.group.empty()) {
      const ControlLayout* group = FindControl(row.group);
      ASSERT_NE(group, nullptr) << row.name;
      EXPECT_EQ(group->kind, ControlKind::kGroup);
      EXPECT_LT(group - rows.data(), &row - rows.data()) << "group first: " << row.name;
      EXPECT_EQ(rect.x, group->x + row.x);
      // Below the group's title, inside its frame.
      EXPECT_TRUE(Inside(rect, {group->x + 2, group->y + 16, group->width - 4, group->height - 18}))
          << row.name;
    }
    for (const ControlLayout& other : rows) {
      if (&other == &row || other.name == row.group || row.name == other.group) continue;
      EXPECT_FALSE(Overlap(rect, ClientRectOf(other))) << row.name << " and " << other.name;
    }
  }
}

TEST(FormLayoutTest, CaptionMarksTheShortcutOnceAndDoublesAmpersands) {
  const struct {
    std::string_view caption;
    char shortcut;
    std::string_view expected;
  } rows[] = {
      {"Rename", 'R', "&Rename"},
      {"Copy Project", 'y', "Cop&y Project"},
      {"Rename Folder", 'e', "R&ename Folder"},
      {"Save & Close", 'C', "Save && &Close"},
      {"Close", 0, "Close"},
  };
  for (const auto& row : rows) {
    ControlLayout control;
    control.caption = row.caption;
    control.shortcut = row.shortcut;
    EXPECT_EQ(CaptionWithShortcut(control), row.expected) << row.caption;
  }
}

}  // namespace
}  // namespace kelvandor
