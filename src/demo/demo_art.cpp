#include "demo/demo_art.h"

#include <algorithm>
#include <cmath>

namespace vcv::demo {

namespace {

// Draws one part at a time into a layer; finishing a part outlines it against whatever lies
// below, which keeps overlapping parts (an arm over a body) readable.
class Painter {
 public:
  Painter(int width, int height)
      : width_(width), height_(height), canvas_(size()), layer_(size()) {}

  void ellipse(double cx, double cy, double rx, double ry, int ramp) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const double nx = (x + 0.5 - cx) / rx;
        const double ny = (y + 0.5 - cy) / ry;
        if (nx * nx + ny * ny <= 1.0 && clipped_in(x, y)) layer_[index(x, y)] = shade(nx, ny, ramp);
      }
    }
  }

  // An ellipse of one colour (eye whites, open mouths).
  void solid_ellipse(double cx, double cy, double rx, double ry, int colour) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        const double nx = (x + 0.5 - cx) / rx;
        const double ny = (y + 0.5 - cy) / ry;
        if (nx * nx + ny * ny <= 1.0 && clipped_in(x, y))
          layer_[index(x, y)] = static_cast<uint8_t>(colour);
      }
    }
  }

  // A shaded box from (x0, y0) to (x1, y1) inclusive, corners rounded off.
  void box(int x0, int y0, int x1, int y1, int ramp) {
    for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y) {
      for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x) {
        const bool corner = (x == x0 || x == x1) && (y == y0 || y == y1);
        if (corner || !clipped_in(x, y)) continue;
        const double nx = x1 > x0 ? 2.0 * (x - x0) / (x1 - x0) - 1.0 : 0.0;
        const double ny = y1 > y0 ? 2.0 * (y - y0) / (y1 - y0) - 1.0 : 0.0;
        layer_[index(x, y)] = shade(nx, ny, ramp);
      }
    }
  }

  void clip(int x0, int y0, int x1, int y1) { clip_ = {x0, y0, x1, y1}; }
  void unclip() { clip_ = {-1000, -1000, 1000, 1000}; }

  // Outlines the layer's shape onto the canvas, then lays the shape over it.
  void finish_part() {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (layer_[index(x, y)] == 0 && touches_layer(x, y)) canvas_[index(x, y)] = kOutline;
      }
    }
    for (size_t i = 0; i < layer_.size(); ++i) {
      if (layer_[i] != 0) canvas_[i] = layer_[i];
    }
    std::fill(layer_.begin(), layer_.end(), 0);
    unclip();
  }

  // Details drawn straight onto the canvas (eyes, belts, cracks).
  void dot(int x, int y, int colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_)
      canvas_[index(x, y)] = static_cast<uint8_t>(colour);
  }
  void hline(int x0, int x1, int y, int colour) {
    for (int x = x0; x <= x1; ++x) dot(x, y, colour);
  }
  void vline(int x, int y0, int y1, int colour) {
    for (int y = y0; y <= y1; ++y) dot(x, y, colour);
  }

  Pixels take() {
    Pixels out;
    out.width = width_;
    out.height = height_;
    out.data = canvas_;
    return out;
  }

 private:
  struct Rect {
    int x0, y0, x1, y1;
  };

  size_t size() const { return static_cast<size_t>(width_) * height_; }
  size_t index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }
  bool clipped_in(int x, int y) const {
    return x >= clip_.x0 && x <= clip_.x1 && y >= clip_.y0 && y <= clip_.y1;
  }
  bool touches_layer(int x, int y) const {
    const int dx[4] = {1, -1, 0, 0};
    const int dy[4] = {0, 0, 1, -1};
    for (int k = 0; k < 4; ++k) {
      const int nx = x + dx[k], ny = y + dy[k];
      if (nx >= 0 && ny >= 0 && nx < width_ && ny < height_ && layer_[index(nx, ny)] != 0)
        return true;
    }
    return false;
  }
  // Light from the upper left: the lit rim takes the light colour, the far side the shadow.
  static uint8_t shade(double nx, double ny, int ramp) {
    const double s = 0.6 * nx + 0.8 * ny;
    if (s < -0.45) return static_cast<uint8_t>(ramp + 2);
    if (s > 0.35) return static_cast<uint8_t>(ramp);
    return static_cast<uint8_t>(ramp + 1);
  }

  int width_, height_;
  std::vector<uint8_t> canvas_;
  std::vector<uint8_t> layer_;
  Rect clip_{-1000, -1000, 1000, 1000};
};

// ---- humanoid, 32 x 64 ----

enum Facing { kDown, kUp, kLeft };

struct HumanPose {
  Facing facing;
  int step;    // 0 standing, 1 and 2 the two steps
  int attack;  // 0 none, 1 sword raised, 2 sword swung
  bool hurt;
};

HumanPose human_pose(int pose) {
  if (pose <= 2) return {kDown, pose, 0, false};
  if (pose <= 5) return {kUp, pose - 3, 0, false};
  if (pose <= 8) return {kLeft, pose - 6, 0, false};
  if (pose <= 10) return {kDown, 0, pose - 8, false};
  return {kDown, 0, 0, true};
}

void draw_hair(Painter& p, int style, Facing facing, int head_x, int head_y) {
  if (style == 3) {  // a hat
    p.box(head_x - 11, head_y - 7, head_x + 11, head_y - 5, kSecondRamp);
    p.finish_part();
    p.box(head_x - 7, head_y - 16, head_x + 7, head_y - 6, kSecondRamp);
    p.finish_part();
    p.hline(head_x - 7, head_x + 7, head_y - 8, kDark);
    return;
  }
  if (facing == kUp) {
    p.ellipse(head_x, head_y - 1, 9.5, 9.5, kSecondRamp);
  } else {
    const int shift = facing == kLeft ? 3 : 0;
    p.clip(0, 0, 100, head_y - 3 + (facing == kLeft ? 2 : 0));
    p.ellipse(head_x + shift, head_y - 3, 9.5, 7.5, kSecondRamp);
    if (facing == kLeft) p.ellipse(head_x + 5, head_y - 1, 5, 7, kSecondRamp);
  }
  if (style == 2) {
    p.ellipse(head_x - 6, head_y - 8, 3, 4, kSecondRamp);
    p.ellipse(head_x, head_y - 10, 3, 4, kSecondRamp);
    p.ellipse(head_x + 6, head_y - 8, 3, 4, kSecondRamp);
  }
  p.finish_part();
}

Pixels draw_humanoid(int variant, int pose) {
  const HumanPose h = human_pose(pose);
  const int hair = variant % 4;
  const int broad = (variant / 4) % 2;
  const bool armoured = (variant / 8) % 2 == 1;
  const int belt = (variant / 16) % 2 == 1 ? kSecondRamp + 1 : kDark;
  Painter p(32, 64);
  const int bob = h.step != 0 ? 1 : 0;
  const int lift_left = h.step == 1 ? 3 : 0;
  const int lift_right = h.step == 2 ? 3 : 0;
  const int head_x = h.hurt ? 14 : (h.facing == kLeft ? 15 : 16);
  const int head_y = 20 + bob + (h.hurt ? 2 : 0);

  // Long hair hangs behind the head and shoulders.
  if (hair == 1 && h.facing != kLeft) {
    p.box(6, head_y - 4, 26, head_y + 11, kSecondRamp);
    p.finish_part();
  }
  // Legs and boots.
  if (h.facing == kLeft) {
    const int swing = h.step == 1 ? 3 : (h.step == 2 ? -3 : 0);
    p.box(13 + swing, 46, 18 + swing, 59, kMainRamp);
    p.finish_part();
    p.box(12 + swing, 56, 18 + swing, 61, kSecondRamp);
    p.finish_part();
    p.box(13 - swing, 46, 18 - swing, 59, kMainRamp);
    p.finish_part();
    p.box(12 - swing, 56, 18 - swing, 61, kSecondRamp);
    p.finish_part();
  } else {
    p.box(10, 46, 15, 59 - lift_left, kMainRamp);
    p.finish_part();
    p.box(9, 56 - lift_left, 15, 61 - lift_left, kSecondRamp);
    p.finish_part();
    p.box(17, 46, 22, 59 - lift_right, kMainRamp);
    p.finish_part();
    p.box(17, 56 - lift_right, 23, 61 - lift_right, kSecondRamp);
    p.finish_part();
  }
  // Body and belt.
  const int body_left = h.facing == kLeft ? 10 : 8 - broad;
  const int body_right = h.facing == kLeft ? 22 : 24 + broad;
  p.box(body_left, 29 + bob, body_right, 48, kMainRamp);
  p.finish_part();
  p.hline(body_left + 1, body_right - 1, 43, belt);
  p.dot((body_left + body_right) / 2, 43, kWeaponRamp + 2);

  // Arms: swinging against the legs when walking, raised when hurt.
  if (h.facing == kLeft) {
    const int swing = h.step == 1 ? -3 : (h.step == 2 ? 3 : 0);
    p.box(14 + swing, 31 + bob, 19 + swing, 43 + bob, kMainRamp);
    p.finish_part();
    p.ellipse(16.5 + swing, 45.5 + bob, 3, 3, kSkinRamp);
    p.finish_part();
  } else {
    const int left_swing = h.hurt ? -10 : (h.step == 1 ? 2 : (h.step == 2 ? -2 : 0));
    const int right_swing = h.hurt ? -10 : (h.attack == 1 ? -12 : -left_swing);
    p.box(4 - broad, 31 + bob + left_swing, 8 - broad, 43 + bob + left_swing, kMainRamp);
    p.finish_part();
    p.ellipse(6 - broad, 45.5 + bob + left_swing, 3, 3, kSkinRamp);
    p.finish_part();
    if (h.attack == 1) {  // blade held high
      p.box(25, 2, 28, 18, kWeaponRamp);
      p.finish_part();
      p.box(22, 17, 31, 19, kSecondRamp);
      p.finish_part();
    }
    p.box(24 + broad, 31 + bob + right_swing, 28 + broad, 43 + bob + right_swing, kMainRamp);
    p.finish_part();
    p.ellipse(26 + broad, 45.5 + bob + right_swing, 3, 3, kSkinRamp);
    p.finish_part();
    if (h.attack == 2) {  // blade swung across the body
      p.box(2, 39, 24, 42, kWeaponRamp);
      p.finish_part();
      p.box(23, 36, 26, 45, kSecondRamp);
      p.finish_part();
    }
  }
  // Shoulder plates in the weapon colours.
  if (armoured && h.facing != kLeft) {
    p.ellipse(7 - broad, 31.5 + bob, 4, 3, kWeaponRamp);
    p.ellipse(25 + broad, 31.5 + bob, 4, 3, kWeaponRamp);
    p.finish_part();
  } else if (armoured) {
    p.ellipse(16.5, 31.5 + bob, 4, 3, kWeaponRamp);
    p.finish_part();
  }
  // Head, hair and face.
  p.ellipse(head_x, head_y, 9, 9, kSkinRamp);
  p.finish_part();
  if (h.facing != kUp) {
    if (h.facing == kLeft) {
      p.vline(9, head_y + 1, head_y + 2, kDark);
      p.dot(10, head_y + 1, kBright);
      p.dot(7, head_y + 4, kSkinRamp);
    } else if (h.hurt) {
      for (int d = -1; d <= 1; ++d) {
        p.dot(head_x - 4 + d, head_y + 1 + d, kDark);
        p.dot(head_x - 4 + d, head_y + 1 - d, kDark);
        p.dot(head_x + 3 + d, head_y + 1 + d, kDark);
        p.dot(head_x + 3 + d, head_y + 1 - d, kDark);
      }
      p.hline(head_x - 1, head_x + 1, head_y + 6, kDark);
    } else {
      p.vline(head_x - 4, head_y + 1, head_y + 2, kDark);
      p.vline(head_x + 3, head_y + 1, head_y + 2, kDark);
      p.dot(head_x - 3, head_y + 1, kBright);
      p.dot(head_x + 4, head_y + 1, kBright);
      p.hline(head_x - 1, head_x, head_y + 6, kSkinRamp);
    }
  }
  draw_hair(p, hair, h.facing, head_x, head_y);
  return p.take();
}

// ---- critter, 32 x 32 ----

Pixels draw_critter(int variant, int pose) {
  Painter p(32, 32);
  const Facing facing = pose <= 1 ? kDown : (pose <= 3 ? kUp : (pose <= 5 ? kLeft : kDown));
  const bool hop = pose % 2 == 1 && pose != 6;
  const bool attack = pose == 6;
  const double rx = hop ? 10.5 : 12.5;
  const double ry = hop ? 10.5 : 8.5;
  const double cy = hop ? 17.5 : 21.5;
  const bool horns = variant % 2 == 0;
  const bool spots = variant % 3 != 0;

  // Feet, then horns behind the body.
  p.ellipse(9, 28.5, 3.5, 2.5, kSecondRamp);
  p.ellipse(23, 28.5, 3.5, 2.5, kSecondRamp);
  p.finish_part();
  if (horns) {
    p.ellipse(9, cy - ry + 1, 2.5, 4.5, kWeaponRamp);
    p.ellipse(23, cy - ry + 1, 2.5, 4.5, kWeaponRamp);
    p.finish_part();
  }
  p.ellipse(16, cy, rx, ry, kMainRamp);
  p.finish_part();
  if (spots) {
    const int spot_y = static_cast<int>(cy) - 4;
    p.dot(facing == kUp ? 12 : 20, spot_y, kSecondRamp + 1);
    p.dot(facing == kUp ? 19 : 23, spot_y + 3, kSecondRamp + 1);
    p.dot(15, spot_y - 2, kSecondRamp + 2);
  }
  if (facing == kUp) return p.take();
  const int eye_y = static_cast<int>(cy) - 2;
  const int eye_left = facing == kLeft ? 7 : 11;
  const int eye_right = facing == kLeft ? 13 : 20;
  for (int x : {eye_left, eye_right}) {
    p.solid_ellipse(x + 0.5, eye_y + 0.5, 2.5, 2.5, kBright);
    p.finish_part();
    p.vline(x + (facing == kLeft ? -1 : 0), eye_y, eye_y + 1, kDark);
  }
  const int mouth_x = facing == kLeft ? 9 : 16;
  if (attack) {
    p.solid_ellipse(mouth_x, cy + 4, 4, 3, kDark);
    p.finish_part();
    p.dot(mouth_x - 2, static_cast<int>(cy) + 2, kBright);
    p.dot(mouth_x + 2, static_cast<int>(cy) + 2, kBright);
  } else {
    p.hline(mouth_x - 2, mouth_x + 1, static_cast<int>(cy) + 4, kDark);
  }
  return p.take();
}

// ---- flyer, 64 x 48 ----

Pixels draw_flyer(int variant, int pose) {
  Painter p(64, 48);
  const bool dive = pose == 3;
  const double wing_y[4] = {11.5, 20.5, 30.5, 22.5};
  const double wing_ry[4] = {6.5, 4.5, 6.5, 11.5};
  const double wing_rx = dive ? 6.5 : 14.5;
  const double wing_x = dive ? 21.5 : 14.5;
  const int body_drop = dive ? 3 : 0;
  const bool ears = variant % 2 == 1;

  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? wing_x : 64 - wing_x;
    p.ellipse(x, wing_y[pose], wing_rx, wing_ry[pose], kSecondRamp);
    const double tip = side == 0 ? x - wing_rx + 3 : x + wing_rx - 3;
    if (!dive) p.ellipse(tip, wing_y[pose] + wing_ry[pose] - 1, 3, 3, kSecondRamp);
    p.finish_part();
  }
  p.box(27, 36 + body_drop, 29, 42 + body_drop, kWeaponRamp);
  p.box(35, 36 + body_drop, 37, 42 + body_drop, kWeaponRamp);
  p.finish_part();
  p.ellipse(32, 26 + body_drop, 8.5, 11.5, kMainRamp);
  p.finish_part();
  p.ellipse(32, 29 + body_drop, 4.5, 6.5, kSecondRamp);
  p.finish_part();
  if (ears) {
    p.ellipse(27, 6 + body_drop, 2.5, 4.5, kMainRamp);
    p.ellipse(37, 6 + body_drop, 2.5, 4.5, kMainRamp);
    p.finish_part();
  }
  p.ellipse(32, 13 + body_drop, 7.5, 6.5, kMainRamp);
  p.finish_part();
  for (int x : {29, 35}) {
    p.dot(x, 12 + body_drop, kBright);
    p.dot(x, 13 + body_drop, kDark);
  }
  p.box(31, 15 + body_drop, 33, 18 + body_drop, kWeaponRamp);
  p.finish_part();
  return p.take();
}

// ---- giant, 64 x 96 ----

struct GiantPose {
  int lift_left, lift_right, arm_left, arm_right, bob;
};

GiantPose giant_pose(int pose) {
  static const GiantPose kPoses[kLongGiantPoses] = {
      {0, 0, 0, 0, 0},  {0, 0, 1, -1, 1}, {6, 0, -3, 3, 1}, {0, 6, 3, -3, 1}, {2, 0, -1, 1, 0},
      {5, 0, -2, 2, 1}, {7, 0, -3, 3, 2}, {4, 0, -2, 2, 1}, {0, 0, 0, 0, 0},  {0, 2, 1, -1, 0},
      {0, 5, 2, -2, 1}, {0, 7, 3, -3, 2}, {0, 4, 2, -2, 1}, {0, 1, 1, -1, 0}};
  return kPoses[pose % kLongGiantPoses];
}

Pixels draw_giant(int variant, int pose) {
  Painter p(64, 96);
  const GiantPose g = giant_pose(pose);
  const int b = g.bob;
  // Legs and feet.
  p.box(16, 68 + b, 28, 88 - g.lift_left, kMainRamp);
  p.finish_part();
  p.box(13, 86 - g.lift_left, 29, 93 - g.lift_left, kSecondRamp);
  p.finish_part();
  p.box(35, 68 + b, 47, 88 - g.lift_right, kMainRamp);
  p.finish_part();
  p.box(34, 86 - g.lift_right, 50, 93 - g.lift_right, kSecondRamp);
  p.finish_part();
  // Torso with stone cracks and a gem.
  p.box(10, 32 + b, 53, 72 + b, kMainRamp);
  p.finish_part();
  const int seed = variant * 7 + 3;
  for (int i = 0; i < 6; ++i) {
    const int x = 14 + (seed * (i + 3) * 5) % 34;
    const int y = 36 + b + (seed * (i + 5) * 3) % 32;
    p.hline(x, x + 3, y, kMainRamp);
    p.dot(x + 3, y + 1, kMainRamp);
  }
  p.ellipse(32, 50 + b, 4.5, 4.5, kWeaponRamp);
  p.finish_part();
  // Arms and fists.
  for (int side = 0; side < 2; ++side) {
    const int swing = side == 0 ? g.arm_left : g.arm_right;
    const int x0 = side == 0 ? 2 : 51;
    p.box(x0, 34 + b + swing, x0 + 11, 62 + b + swing, kSecondRamp);
    p.finish_part();
    p.ellipse(x0 + 5.5, 66 + b + swing, 6.5, 5.5, kSecondRamp);
    p.finish_part();
  }
  // Head with glowing eyes; some variants carry a crest.
  if (variant % 2 == 1) {
    p.ellipse(32, 9 + b, 4.5, 6.5, kWeaponRamp);
    p.finish_part();
  }
  p.box(21, 12 + b, 42, 34 + b, kMainRamp);
  p.finish_part();
  p.box(25, 21 + b, 29, 23 + b, kWeaponRamp);
  p.box(34, 21 + b, 38, 23 + b, kWeaponRamp);
  p.finish_part();
  p.hline(26, 37, 29 + b, kDark);
  return p.take();
}

}  // namespace

FigureShape figure_shape(FigureKind kind) {
  switch (kind) {
    case FigureKind::kHumanoid:
      return {1, 2, 4, 12};
    case FigureKind::kCritter:
      return {0, 2, 2, 7};
    case FigureKind::kFlyer:
      return {2, 4, 3, 4};
    case FigureKind::kGiant:
      return {3, 4, 6, 4};
  }
  return {0, 2, 2, 1};
}

Pixels draw_figure(FigureKind kind, int variant, int pose) {
  switch (kind) {
    case FigureKind::kHumanoid:
      return draw_humanoid(variant, pose);
    case FigureKind::kCritter:
      return draw_critter(variant, pose);
    case FigureKind::kFlyer:
      return draw_flyer(variant, pose);
    case FigureKind::kGiant:
      return draw_giant(variant, pose);
  }
  return Pixels();
}

}  // namespace vcv::demo
