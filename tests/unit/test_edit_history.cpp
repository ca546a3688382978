// The edit history on a copy of the demo ROM: every edit kind taken back and applied again in one
// step, unwritten edits kept across entry and weapon-palette changes, Write All Changes, and the
// question before unwritten edits are dropped.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/document.h"
#include "edit/command_messages.h"
#include "image/dib_build.h"
#include "panel_test_ui.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "write_test_support.h"

namespace vcv {
namespace {

using namespace testing_support;

constexpr int kEntry = demo::DemoRomFacts::kEntrySize1;      // 0x007, packed graphics
constexpr int kOtherEntry = demo::DemoRomFacts::kEntrySize2;  // 0x00A

// What the loaded entry shows, byte for byte.
struct Snapshot {
  std::vector<uint16_t> palette;
  std::vector<uint8_t> tiles, positions, sheet;
  bool operator==(const Snapshot& o) const {
    return palette == o.palette && tiles == o.tiles && positions == o.positions &&
           sheet == o.sheet;
  }
};

class EditHistoryTest : public ::testing::Test {
 public:  // the edit table's lambdas make edits through the fixture
  void SetUp() override { open_fresh(); }
  void TearDown() override { document.rom().close(); }

  void open_fresh() {
    path = open_demo_copy(document, std::string(::testing::UnitTest::GetInstance()
                                                     ->current_test_info()
                                                     ->name()) +
                                        ".sfc");
    document.panel_command(PanelCommand::kImageRadio);
    show(kEntry);
    document.view().image_no = 2;
    document.view().block_no = 1;
    document.refresh();
    document.take_panel_update();
  }
  void show(int entry) {
    document.select_entry(entry);
    ASSERT_EQ(set().loaded_entry, entry);
  }
  SpriteWorkingSet& set() { return document.working_set(); }
  Snapshot snapshot() {
    const SpriteWorkingSet& s = set();
    return {std::vector<uint16_t>(s.palette, s.palette + 16),
            std::vector<uint8_t>(s.tile_data, s.tile_data + kTileDataSize),
            std::vector<uint8_t>(s.position_data, s.position_data + kPositionDataCapacity),
            std::vector<uint8_t>(s.sheet, s.sheet + sizeof s.sheet)};
  }

  // ---- the edits, as the user makes them ----
  void recolour(int index, uint32_t colour) {
    ui.colour_answers.push_back(colour);
    document.left_click(ui, areas, areas.palette.left + kSwatchSize * index + 1,
                        areas.palette.top + 1);
  }
  void place_tile(int tile) {
    document.display().selected_tile = tile;
    const Frame& frame = set().frames[document.view().image_no];
    const int x = byte_to_signed(frame.x[1]) * 3 / 2 + 144 + areas.frame.left;
    const int y = byte_to_signed(frame.y[1]) * 3 / 2 + 144 + areas.frame.top;
    ASSERT_EQ(document.left_click(ui, areas, x + 13, y + 1), ClickResult::kTilePlaced);
  }
  void paste_sprite() {
    std::vector<uint8_t> pixels(16 * 16);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7) % 16);
    clipboard.hold(ClipboardFormat::kDib,
                   build_dib(pixels.data(), 16, 16, 16, document.display().display_palette));
    ASSERT_FALSE(document.paste_sprite(clipboard).failed());
  }
  void paste_all() {
    std::vector<uint8_t> pixels(kSheetWidth * 64);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / 3) % 16);
    ASSERT_FALSE(document.paste_sheet(pixels.data(), kSheetWidth, 64).failed());
  }

  Document document;
  PanelTestUi ui;        // the colour chooser
  ScriptedUi clipboard;  // the clipboard and the write prompts
  ViewAreas areas = compute_view_areas(Rect{100, 20, 400, 320}, Rect{500, 4, 540, 16},
                                       Rect{10, 400, 200, 412});
  std::string path;
};

struct EditCase {
  const char* caption;  // what Undo names
  bool marks_entry;     // the entry holds unwritten edits afterwards
  bool unwritten;       // anything does (the title's "*")
  std::function<void(EditHistoryTest&)> make;
};

TEST_F(EditHistoryTest, EachEditKindIsOneStepThatUndoesAndRedoesExactly) {
  const EditCase cases[] = {
      {"Recolour", true, true, [](EditHistoryTest& t) { t.recolour(5, 0x00102030); }},
      // Colour 14 belongs to the weapon palette, which no entry owns.
      {"Recolour", false, true, [](EditHistoryTest& t) { t.recolour(14, 0x00F0F0F0); }},
      // Colour 0 is never written: nothing is unwritten.
      {"Recolour", false, false, [](EditHistoryTest& t) { t.recolour(0, 0x00FF0000); }},
      {"Place Tile", true, true, [](EditHistoryTest& t) { t.place_tile(0x12); }},
      {"Ed", true, true,
       [](EditHistoryTest& t) {
         t.document.apply_tile_info("X=-5 Y=7\r\nU Left TileNo=3 xflip=1 yflip=0");
       }},
      {"Paste Sprite", true, true, [](EditHistoryTest& t) { t.paste_sprite(); }},
      {"Paste All Img", true, true, [](EditHistoryTest& t) { t.paste_all(); }},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.caption);
    open_fresh();
    const Snapshot before = snapshot();
    c.make(*this);
    const Snapshot after = snapshot();
    ASSERT_FALSE(after == before) << "the edit changed nothing";
    EXPECT_EQ(document.history().size(), 1u);
    EXPECT_EQ(document.undo_caption(), std::string("Undo ") + c.caption);
    EXPECT_EQ(document.entry_modified(kEntry), c.marks_entry);
    EXPECT_EQ(document.title().find('*') != std::string::npos, c.unwritten);

    ASSERT_TRUE(document.undo());
    EXPECT_TRUE(snapshot() == before);
    EXPECT_FALSE(document.entry_modified(kEntry));
    EXPECT_FALSE(document.has_unwritten_edits());
    EXPECT_EQ(document.redo_caption(), std::string("Redo ") + c.caption);
    EXPECT_FALSE(document.undo()) << "one step only";

    ASSERT_TRUE(document.redo());
    EXPECT_TRUE(snapshot() == after);
    EXPECT_FALSE(document.can_redo());
  }
}

TEST_F(EditHistoryTest, EditsStayAcrossEntriesAndWeaponPalettes) {
  recolour(3, 0x00808000);
  recolour(14, 0x000000F8);
  place_tile(0x21);
  const Snapshot edited = snapshot();
  const uint16_t weapon_0_colour = set().palette[14];

  show(kOtherEntry);
  show(kEntry);
  EXPECT_TRUE(snapshot() == edited) << "selecting the entry again shows its edits";

  document.arrows(PanelArrows::kWeaponPalette, kScrollLineRight);
  EXPECT_EQ(set().loaded_entry, kEntry);
  uint16_t weapon_1[3];
  read_weapon_record(document.image(), 1, weapon_1);
  EXPECT_EQ(set().palette[14], weapon_1[1]) << "colours 13-15 come from the new weapon palette";
  EXPECT_EQ(set().palette[3], edited.palette[3]);
  EXPECT_TRUE(snapshot().positions == edited.positions);

  document.arrows(PanelArrows::kWeaponPalette, kScrollLineLeft);
  EXPECT_EQ(set().palette[14], weapon_0_colour);
  EXPECT_EQ(document.modified_weapon_palettes(), std::vector<int>{0});
  const std::vector<int> entries = document.modified_entries();
  EXPECT_NE(std::find(entries.begin(), entries.end(), kEntry), entries.end());
  EXPECT_EQ(std::find(entries.begin(), entries.end(), kOtherEntry), entries.end());
}

TEST_F(EditHistoryTest, UndoSelectsTheEntryOfTheStepAndANewEditDropsRedo) {
  const Snapshot before = snapshot();
  place_tile(0x30);
  show(kOtherEntry);
  ASSERT_TRUE(document.undo());
  EXPECT_EQ(document.view().current_entry, kEntry);
  EXPECT_TRUE(snapshot() == before);
  const PanelUpdate update = document.take_panel_update();
  ASSERT_TRUE(update.texts);
  EXPECT_EQ(update.texts->list_selection, kEntry);

  recolour(2, 0x00404040);
  EXPECT_FALSE(document.can_redo());
  EXPECT_EQ(document.history().size(), 1u);
}

TEST_F(EditHistoryTest, AStrokeIsOneStepHoweverManyChangesItMakes) {
  const Snapshot before = snapshot();
  const BufferId tiles{BufferKind::kTileData, set().assembly()};
  document.begin_stroke(EditAction::kDraw);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(document.apply_changes(EditAction::kDraw, {{tiles, 64 + 3 * i, {0xA5}}}));
  }
  document.end_stroke();
  EXPECT_EQ(document.history().size(), 1u);
  EXPECT_EQ(document.undo_caption(), "Undo Draw");
  ASSERT_TRUE(document.apply_changes(EditAction::kDraw, {{tiles, 200, {0x5A}}}));
  EXPECT_EQ(document.history().size(), 2u) << "after the stroke ended, a new step";
  ASSERT_TRUE(document.undo());
  ASSERT_TRUE(document.undo());
  EXPECT_TRUE(snapshot() == before);
}

TEST_F(EditHistoryTest, WriteAllChangesReplacesTheFileOnceAndUndoMarksAgain) {
  const std::vector<uint8_t> original = read_all(path);
  place_tile(0x22);
  const Snapshot first = snapshot();
  show(kOtherEntry);
  recolour(4, 0x00204060);
  const Snapshot second = snapshot();
  const std::vector<int> modified = document.modified_entries();
  // Both, and any entry that shares their palette type or position type.
  ASSERT_NE(std::find(modified.begin(), modified.end(), kEntry), modified.end());
  ASSERT_NE(std::find(modified.begin(), modified.end(), kOtherEntry), modified.end());

  clipboard.confirm_answers = {true};
  const CommandResult result = document.write_all_changes(clipboard);
  ASSERT_EQ(result.status, CommandStatus::kWritten) << clipboard.kinds().size();
  EXPECT_EQ(clipboard.kinds(), std::vector<std::string>{"confirm:Write Confirm"});
  // One replacement: the backup holds the ROM as it was before both edits.
  EXPECT_TRUE(read_all(path + ".bak") == original);
  EXPECT_FALSE(document.has_unwritten_edits());
  EXPECT_EQ(document.title().find('*'), std::string::npos);

  Document reread;
  ASSERT_TRUE(reread.open(path).ok());
  reread.panel_command(PanelCommand::kImageRadio);
  reread.select_entry(kEntry);
  EXPECT_TRUE(std::equal(first.positions.begin(), first.positions.end(),
                         reread.working_set().position_data));
  reread.select_entry(kOtherEntry);
  EXPECT_TRUE(std::equal(second.palette.begin(), second.palette.end(),
                         reread.working_set().palette));

  ASSERT_TRUE(document.undo());
  EXPECT_TRUE(document.entry_modified(kOtherEntry)) << "undone after the write: unwritten again";
}

TEST_F(EditHistoryTest, WriteAllWritesNothingWhenAGrownBlockIsNotRepacked) {
  const std::vector<uint8_t> original = read_all(path);
  std::vector<uint8_t> noise(kSheetWidth * 256);
  uint32_t state = 12345;
  for (uint8_t& pixel : noise) pixel = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 28);
  ASSERT_FALSE(document.paste_sheet(noise.data(), kSheetWidth, 256).failed());
  recolour(6, 0x00306090);
  clipboard.confirm_answers = {false};  // "repack?" No
  const CommandResult result = document.write_all_changes(clipboard);
  EXPECT_EQ(result.status, CommandStatus::kNeedsWritePosition);
  EXPECT_EQ(result.entry, kEntry);
  EXPECT_EQ(clipboard.prompts, std::vector<Prompt>{Prompt::kRepack});
  EXPECT_EQ(message_for(result)->text.rfind("Entry 007: ", 0), 0u);
  EXPECT_TRUE(read_all(path) == original);
  EXPECT_TRUE(document.has_unwritten_edits());
}

TEST_F(EditHistoryTest, TheQuestionBeforeDroppingEdits) {
  const struct {
    Answer answer;
    bool go_on;
    bool file_written;
  } cases[] = {{Answer::kYes, true, true}, {Answer::kNo, true, false}, {Answer::kCancel, false, false}};
  for (const auto& c : cases) {
    open_fresh();
    const std::vector<uint8_t> original = read_all(path);
    place_tile(0x23);
    clipboard = ScriptedUi();
    clipboard.ask_answers = {c.answer};
    if (c.file_written) clipboard.confirm_answers = {true};
    CommandResult written;
    EXPECT_EQ(document.may_drop_edits(clipboard, &written), c.go_on);
    ASSERT_EQ(clipboard.shown.size(), c.file_written ? 2u : 1u);
    EXPECT_EQ(clipboard.shown[0].text,
              "1 entry has changes that are not written to the ROM (007). Write them now?");
    EXPECT_EQ(read_all(path) != original, c.file_written);
    EXPECT_EQ(document.has_unwritten_edits(), !c.file_written);
  }
  // Nothing unwritten: no question.
  clipboard = ScriptedUi();
  CommandResult written;
  open_fresh();
  EXPECT_TRUE(document.may_drop_edits(clipboard, &written));
  EXPECT_TRUE(clipboard.shown.empty());
}

TEST(UnwrittenEditsText, CountsAndNames) {
  const struct {
    std::vector<int> entries, weapons;
    const char* text;
  } cases[] = {
      {{0x00C, 0x0F3}, {}, "2 entries have changes that are not written to the ROM (00C, 0F3)."},
      {{}, {3}, "1 weapon palette has changes that are not written to the ROM (weapon palette 03)."},
      {{1}, {0, 1}, "1 entry and 2 weapon palettes have changes that are not written to the ROM "
                    "(001, weapon palette 00, weapon palette 01)."},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {}, "9 entries have changes that are not written to the ROM "
                                        "(001, 002, 003, 004, 005, 006, 007, 008, ...)."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(unwritten_edits_text(c.entries, c.weapons), std::string(c.text) + " Write them now?");
  }
}

TEST(EditHistory, RunsAreJoinedAcrossShortGapsAndStepsAreBounded) {
  const uint8_t before[40] = {};
  uint8_t after[40] = {};
  after[2] = 1;
  after[10] = 1;  // 7 unchanged bytes between: one run
  after[39] = 1;  // 28 unchanged bytes before it: a run of its own
  const std::vector<ByteEdit> runs =
      diff_bytes({BufferKind::kTileData, 9}, 100, before, after, 40);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].offset, 102);
  EXPECT_EQ(runs[0].after.size(), 9u);
  EXPECT_EQ(runs[1].offset, 139);
  EXPECT_EQ(runs[1].before, std::vector<uint8_t>{0});

  EditHistory history;
  for (size_t i = 0; i < EditHistory::kMaxSteps + 3; ++i) {
    EditStep step;
    step.edits = runs;
    history.push(step);
  }
  EXPECT_EQ(history.size(), EditHistory::kMaxSteps);
  EXPECT_LT(history.memory(), EditHistory::kMaxSteps * 400) << "memory follows the bytes changed";
}

}  // namespace
}  // namespace vcv
