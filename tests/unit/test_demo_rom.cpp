#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "demo/demo_art.h"
#include "demo/demo_rom.h"
#include "edit/write_image.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "view/view_texts.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;
using demo::DemoRomLayout;

// Packed graphics must lie inside the regions repacking may fill, and plain graphics outside.
const BankRegion* region_of(int32_t address) {
  const BankRegion* region = find_bank_region((address >> 16) & 0xFF);
  if (region == nullptr || !region_contains(*region, (address >> 16) & 0xFF, address & 0xFFFF)) {
    return nullptr;
  }
  return region;
}

class DemoRomTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bytes_ = new std::vector<uint8_t>();
    layout_ = new DemoRomLayout();
    ASSERT_TRUE(demo::build_demo_rom(bytes_, layout_));
  }
  static void TearDownTestSuite() {
    delete bytes_;
    delete layout_;
  }
  void SetUp() override {
    rom_ = RomImage(*bytes_, kMappingHiRom, 0);
    build_sprite_directory(rom_, directory_);
  }

  int32_t pointer(int table, int index) {
    const int at = table + 3 * index;
    return rom_.read_word(kTableBank, at) | (rom_.read_byte(kTableBank, at + 2) << 16);
  }
  std::vector<uint8_t> header(int entry) {
    std::vector<uint8_t> h(5);
    if (entry < 0x100)
      rom_.read_block(kTableBank, kCharacterTable + 5 * entry, 5, h.data());
    else
      rom_.read_block(kTableBank, kEnemyTable + 10 * (entry - 0x100), 5, h.data());
    return h;
  }

  static std::vector<uint8_t>* bytes_;
  static DemoRomLayout* layout_;
  RomImage rom_;
  SpriteDirectory directory_;
  std::unique_ptr<SpriteWorkingSet> set_ = std::make_unique<SpriteWorkingSet>();
};

std::vector<uint8_t>* DemoRomTest::bytes_ = nullptr;
DemoRomLayout* DemoRomTest::layout_ = nullptr;

// How long the build takes is the benchmark's business (bench_sprite), not a test's.
TEST_F(DemoRomTest, SameBytesEveryRun) {
  std::vector<uint8_t> again;
  ASSERT_TRUE(demo::build_demo_rom(&again, nullptr));
  EXPECT_EQ(again.size(), static_cast<size_t>(demo::kDemoRomSize));
  EXPECT_TRUE(again == *bytes_);
}

TEST_F(DemoRomTest, EveryEntryLoadsExceptTheUndecodableOne) {
  int named_undecodable = 0;
  std::set<int> named_graphics;
  for (int e = 0; e < kEntryCount; ++e) {
    const int result = load_entry(rom_, directory_, *set_, e, e % 32);
    named_graphics.insert(set_->assembly());
    if (set_->assembly() == DemoRomFacts::kUndecodableGraphics) ++named_undecodable;
    if (e == DemoRomFacts::kEntryUndecodable) {
      EXPECT_EQ(result, 0);
      continue;
    }
    ASSERT_EQ(result, 1) << "entry " << e;
    // Every tile a frame names lies inside the entry's tile data.
    for (int f = 0; f < set_->frame_store_count; ++f) {
      const Frame& frame = set_->frames[f];
      for (int d = 0; d < frame.block_count; ++d)
        for (int k = 0; k < 4; ++k)
          ASSERT_LT((frame.tile[d][k] & kTileNumberMask) * 32, set_->decoded_size)
              << "entry " << e << " frame " << f;
    }
    ASSERT_GT(set_->frame_store_count, 0) << e;
    ASSERT_EQ(set_->frame_store_count, directory_.frame_count[set_->position_type]) << e;
  }
  EXPECT_EQ(named_undecodable, 1);
  for (int g = 0; g <= DemoRomFacts::kUndecodableGraphics; ++g)
    EXPECT_EQ(named_graphics.count(g), 1u) << g;
}

TEST_F(DemoRomTest, EntriesOfEachSizeType) {
  const struct {
    int entry, size_type, plain;
  } cases[] = {{DemoRomFacts::kEntrySize0, 0, 0},      {DemoRomFacts::kEntrySize1, 1, 0},
               {DemoRomFacts::kEntrySize1Plain, 1, 1}, {DemoRomFacts::kEntrySize2, 2, 0},
               {DemoRomFacts::kEntrySize3, 3, 0},      {DemoRomFacts::kEntryLongGiant, 3, 0}};
  for (const auto& c : cases) {
    ASSERT_EQ(load_entry(rom_, directory_, *set_, c.entry, 0), 1);
    EXPECT_EQ(set_->size_type, c.size_type) << c.entry;
    EXPECT_EQ(set_->assembly() < kFirstPackedGraphics, c.plain == 1) << c.entry;
    EXPECT_EQ(set_->frames[0].block_count, kBlocksPerFrame[c.size_type]);
  }
  ASSERT_EQ(load_entry(rom_, directory_, *set_, DemoRomFacts::kEntryLongGiant, 0), 1);
  EXPECT_EQ(set_->decoded_size, 0xA800) << "more tiles than the sheet's 1280 places";
}

TEST_F(DemoRomTest, GraphicsPlacementRespectsTheBankRegions) {
  for (int g = 0; g < kFirstPackedGraphics; ++g) {
    EXPECT_EQ(region_of(pointer(kGraphicsPointerTable, g)), nullptr) << "plain " << g;
  }
  // Packed blocks lie back to back from each region's start.
  std::map<int, std::vector<std::pair<int, int>>> by_region;  // bank -> (offset, size)
  std::set<int32_t> seen;
  for (int g = kFirstPackedGraphics; g <= DemoRomFacts::kUndecodableGraphics; ++g) {
    const int32_t address = pointer(kGraphicsPointerTable, g);
    ASSERT_EQ(address, layout_->graphics_address[g]);
    const BankRegion* region = region_of(address);
    ASSERT_NE(region, nullptr) << "packed " << g;
    if (!seen.insert(address).second) continue;
    int size = 64;  // the undecodable block's length
    if (g != DemoRomFacts::kUndecodableGraphics) {
      std::vector<uint8_t> out(kPackedBufferSize);
      ASSERT_GT(unpack_block(bytes_->data(), bytes_->size(), address & 0x3FFFFF, out.data(),
                             0x10000, &size),
                0);
      EXPECT_EQ(size, layout_->graphics_packed_size[g]);
    }
    by_region[region->bank].push_back({address & 0xFFFF, size});
  }
  for (auto& [bank, blocks] : by_region) {
    std::sort(blocks.begin(), blocks.end());
    int expected = region_of(bank << 16 | blocks[0].first)->first;
    for (const auto& [offset, size] : blocks) {
      EXPECT_EQ(offset, expected) << std::hex << bank;
      expected = offset + size;
    }
  }
  EXPECT_EQ(pointer(kGraphicsPointerTable, DemoRomFacts::kSharedGraphics[0]),
            pointer(kGraphicsPointerTable, DemoRomFacts::kSharedGraphics[1]));
  EXPECT_EQ(layout_->undecodable_address >> 16, DemoRomFacts::kUndecodableBank);
  EXPECT_EQ(pointer(kGraphicsPointerTable, 200), 0xC00000) << "unused numbers: the empty block";
}

TEST_F(DemoRomTest, NearlyFullRegionStillFitsItsBlocksRepackedAndTheRoomyOneHasSpace) {
  EXPECT_GT(layout_->nearly_full_free, 0);
  EXPECT_LT(layout_->nearly_full_free, 2048);
  EXPECT_GT(layout_->roomy_free, 0x8000);
  // Repacking re-encodes every block of the region: each must come out at its stored size.
  std::vector<uint8_t> block(kPackedBufferSize), scratch(kPackedBufferSize);
  int blocks = 0;
  for (int g = kFirstPackedGraphics; g < DemoRomFacts::kUndecodableGraphics; ++g) {
    const int32_t address = layout_->graphics_address[g];
    if ((address >> 16) != DemoRomFacts::kNearlyFullBank) continue;
    ++blocks;
    EXPECT_EQ(
        repack_stored_block(rom_, address >> 16, address & 0xFFFF, block.data(), scratch.data()),
        layout_->graphics_packed_size[g])
        << g;
  }
  EXPECT_GE(blocks, 2);
  EXPECT_EQ(
      repack_stored_block(rom_, layout_->undecodable_address >> 16,
                          layout_->undecodable_address & 0xFFFF, block.data(), scratch.data()),
      -1);
}

TEST_F(DemoRomTest, PositionDataExercisesEveryEndRule) {
  const int32_t highest = pointer(kPositionPointerTable, layout_->highest_position_type);
  for (int p = 0; p < kPositionTypeCount; ++p) {
    const int size = directory_.position_data_size[p];
    const int record = kRecordSize[directory_.size_type_of[p] & 3];
    const int extra = p == layout_->remainder_position_type ? 8 : 0;
    EXPECT_EQ(size, directory_.frame_count[p] * record + extra) << "position type " << p;
    EXPECT_LE(directory_.frame_count[p], kFrameStoreSize);
    EXPECT_LE(pointer(kPositionPointerTable, p), highest);
  }
  EXPECT_EQ(highest >> 16, 0xE3);
  EXPECT_EQ(highest + directory_.position_data_size[layout_->highest_position_type], 0xE3F8C0);
  const int limits[4] = {0xDCDF98, 0xDDFD48, 0xDEBF90, 0xE1F518};
  for (int i = 0; i < 4; ++i) {
    const int p = layout_->last_position_type_in[i];
    ASSERT_GE(p, 0);
    EXPECT_EQ(pointer(kPositionPointerTable, p) + directory_.position_data_size[p], limits[i]) << i;
  }
  const int e2 = layout_->last_e2_position_type;
  EXPECT_EQ(pointer(kPositionPointerTable, e2) >> 16, 0xE2);
  EXPECT_EQ(pointer(kPositionPointerTable, e2) + directory_.position_data_size[e2], 0xE30000);
  EXPECT_EQ(layout_->remainder_position_type, layout_->last_position_type_in[1]);
  const int a = layout_->shared_position_types[0], b = layout_->shared_position_types[1];
  EXPECT_EQ(pointer(kPositionPointerTable, a), pointer(kPositionPointerTable, b));
  EXPECT_EQ(directory_.position_data_size[a], directory_.position_data_size[b]);
  EXPECT_GT(directory_.position_data_size[a], 0);
}

TEST_F(DemoRomTest, AnimationsHaveEveryLengthAndMoveTheFigure) {
  int lengths[5] = {};
  bool moving = false;
  for (int entry : {DemoRomFacts::kEntrySize1, DemoRomFacts::kEntrySize0, DemoRomFacts::kEntrySize2,
                    DemoRomFacts::kEntrySize3}) {
    ASSERT_EQ(load_entry(rom_, directory_, *set_, entry, 0), 1);
    EXPECT_GE(set_->animation_offset[0], 0x2A00);
    EXPECT_LE(set_->animation_offset[1] + set_->animation_size[1], 0xF000);
    ViewState view;
    view.current_entry = entry;
    for (int face = 0; face < 4; ++face) {
      for (int a = 0; a < set_->animation_size[0] / 16; ++a) {
        view.face_direction = face;
        view.animation_no = a;
        const int steps = count_sequence_frames(view, *set_);
        ++lengths[steps];
        if (steps < 2) continue;
        std::vector<uint8_t> first(192 * 192, 0), second(192 * 192, 0);
        uint32_t palette[16];
        render_frame(*set_, set_->animation[0][face][4 * a], 192, 192, first.data(), palette);
        render_frame(*set_, set_->animation[0][face][4 * a + 1], 192, 192, second.data(), palette);
        if (first != second) moving = true;
      }
    }
  }
  for (int steps = 0; steps <= 4; ++steps) EXPECT_GT(lengths[steps], 0) << steps << " steps";
  EXPECT_TRUE(moving);
  ASSERT_EQ(load_entry(rom_, directory_, *set_, 0x001, 0), 1);
  EXPECT_EQ(set_->animation_type(), 0);
  ViewState view;
  view.animation_table = 1;
  view.sequence_mode = 1;
  apply_refresh_clamps(view, *set_, directory_);
  EXPECT_EQ(view.animation_count, 2);
}

TEST(DemoArt, NoTwoHumanoidPicturesAreAlike) {
  std::set<std::vector<uint8_t>> seen;
  for (int variant = 0; variant <= 18; ++variant) {
    std::vector<uint8_t> all;
    for (int pose = 0; pose < 12; ++pose) {
      const demo::Pixels p = demo::draw_figure(demo::FigureKind::kHumanoid, variant, pose);
      all.insert(all.end(), p.data.begin(), p.data.end());
    }
    EXPECT_TRUE(seen.insert(all).second) << "variant " << variant;
  }
}

TEST(DemoArt, FiguresHaveOutlinesShadingAndSixteenColourIndices) {
  using demo::FigureKind;
  for (FigureKind kind :
       {FigureKind::kHumanoid, FigureKind::kCritter, FigureKind::kFlyer, FigureKind::kGiant}) {
    const demo::FigureShape shape = demo::figure_shape(kind);
    std::set<int> used;
    for (int pose = 0; pose < shape.pose_count; ++pose) {
      const demo::Pixels p = demo::draw_figure(kind, 3, pose);
      ASSERT_EQ(p.width, shape.blocks_wide * 16);
      ASSERT_EQ(p.height, shape.blocks_high * 16);
      for (uint8_t v : p.data) used.insert(v);
      // Nothing touches the picture's border: every figure is outlined inside it.
      for (int x = 0; x < p.width; ++x) ASSERT_EQ(p.at(x, 0), 0);
    }
    EXPECT_LE(*used.rbegin(), 15);
    EXPECT_EQ(used.count(demo::kOutline), 1u);
    EXPECT_EQ(used.count(demo::kMainRamp), 1u);
    EXPECT_EQ(used.count(demo::kMainRamp + 1), 1u);
    EXPECT_EQ(used.count(demo::kMainRamp + 2), 1u);
    EXPECT_GE(used.size(), 8u);
  }
}

}  // namespace
}  // namespace vcv
