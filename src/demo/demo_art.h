// Procedurally drawn figures for the demo ROM: shaded shapes with dark outlines in the 16-colour
// layout the demo palettes use. Every pose of a figure is drawn fresh from a few numbers, so the
// same arguments always give the same pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vcv::demo {

// Palette indices the figures are drawn with. Ramps are three colours: shadow, base, light.
constexpr int kOutline = 1;
constexpr int kSkinRamp = 2;     // 2..4
constexpr int kMainRamp = 5;     // 5..7
constexpr int kSecondRamp = 8;   // 8..10
constexpr int kBright = 11;      // eye whites, glints
constexpr int kDark = 12;        // pupils, belts, mouths
constexpr int kWeaponRamp = 13;  // 13..15: the colours the weapon palette supplies

enum class FigureKind { kHumanoid, kCritter, kFlyer, kGiant };

struct FigureShape {
  int size_type;    // blocks per frame 4, 8, 12, 24 for 0..3
  int blocks_wide;  // the frame's blocks on screen, blocks_wide x blocks_high
  int blocks_high;
  int pose_count;  // poses of the picture (the long giant has more, see giant_pose_count)
};

FigureShape figure_shape(FigureKind kind);
constexpr int kLongGiantPoses = 14;

// An 8-bit picture of palette indices, row by row.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> data;
  uint8_t at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

// Pose numbers of each kind:
//  humanoid: 0-2 facing down (stand, step, other step), 3-5 up, 6-8 left, 9-10 attack, 11 hurt
//  critter:  0-1 down (rest, hop), 2-3 up, 4-5 left, 6 attack
//  flyer:    0 wings up, 1 level, 2 down, 3 dive
//  giant:    0-1 idle, 2-3 stomp; the long giant walks through poses 0-13
// `variant` changes hair, horns, markings and proportions.
Pixels draw_figure(FigureKind kind, int variant, int pose);

}  // namespace vcv::demo
