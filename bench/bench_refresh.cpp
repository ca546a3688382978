// The cost of one refresh of the panel on the demo ROM, with the panel painted into a surface as
// the window does after every refresh: with the entry already loaded and the sheet picture
// rebuilt, and with the entry read and decoded again as well (a change of weapon palette does
// that). Then one step of playing an animation, and a paint of the whole panel, at zoom 1 and 4.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "document/pixel_editor.h"
#include "view/panel_paint.h"
#include "view/playback.h"

namespace vcv {
namespace {

// The areas as the window places them at `zoom`: the frame box grown, the sheet's label moved
// right by as much, the palette where it was; and a surface that holds them.
ViewAreas window_areas(int zoom, Surface& surface) {
  const int growth = kFrameAreaSize * (zoom - 1);
  surface.resize(830 + growth + kSheetAreaWidth * (zoom - 1), 560 + kSheetAreaHeight * (zoom - 1),
                 0xF0F0F0);
  return compute_view_areas(Rect{225, 21, 519 + growth, 315 + growth},
                            Rect{536 + growth, 6, 584 + growth, 20}, Rect{10, 204, 208, 222}, zoom);
}

struct DemoSession {
  Document document;
  PanelPainter painter;
  Surface surface;
  ViewAreas areas = window_areas(1, surface);
  bool ready = false;

  explicit DemoSession(int entry, int zoom = 1) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "bench_refresh_demo.sfc").string();
    std::string error;
    ready = demo::write_demo_rom(path, &error) && document.open(path).ok();
    std::remove(path.c_str());
    areas = window_areas(zoom, surface);
    document.view().current_entry = entry;
    document.view().sequence_mode = 0;
    document.refresh();
  }
  // The texts the window sets and the paint it runs.
  size_t show() {
    const PanelUpdate update = document.take_panel_update();
    document.paint(painter, areas, true, surface);
    return update.texts ? update.texts->info_text.size() : 0;
  }
};

constexpr int kGiantEntry = demo::DemoRomFacts::kEntrySize3;

void refresh_with_sheet_rebuild(benchmark::State& state) {
  DemoSession session(kGiantEntry);
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  for (auto _ : state) {
    session.document.working_set().sheet_valid = false;
    session.document.refresh();
    benchmark::DoNotOptimize(session.show());
  }
}
BENCHMARK(refresh_with_sheet_rebuild)->Unit(benchmark::kMicrosecond);

void refresh_with_entry_reload(benchmark::State& state) {
  DemoSession session(kGiantEntry);
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  for (auto _ : state) {
    session.document.working_set().loaded_entry = -1;
    session.document.refresh();
    benchmark::DoNotOptimize(session.show());
  }
}
BENCHMARK(refresh_with_entry_reload)->Unit(benchmark::kMicrosecond);

// One step of playing an animation as the window's timer runs it: the sequence frame stepped,
// the refresh, and the frame alone painted. Argument: the zoom.
void playback_step(benchmark::State& state) {
  DemoSession session(kGiantEntry, static_cast<int>(state.range(0)));
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  Document& document = session.document;
  document.view().sequence_mode = 1;
  document.refresh();
  session.show();
  Playback playback;
  start_playback(playback, document.view(), document.history().revision());
  for (auto _ : state) {
    if (!playback_tick(playback, document.view(), document.history().revision())) {
      state.SkipWithError("playback stopped");
      return;
    }
    document.refresh();
    const PanelUpdate update = document.take_panel_update();
    benchmark::DoNotOptimize(session.document.paint(session.painter, session.areas, true,
                                                    session.surface, kPaintFrame));
    benchmark::DoNotOptimize(update.texts->sequence_field.size());
  }
}
BENCHMARK(playback_step)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

// A paint of the whole panel (the sheet picture cached, as between edits). Argument: the zoom.
void paint_whole_panel(benchmark::State& state) {
  DemoSession session(kGiantEntry, static_cast<int>(state.range(0)));
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  session.show();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        session.document.paint(session.painter, session.areas, true, session.surface));
  }
}
BENCHMARK(paint_whole_panel)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

// One mouse move of a pixel-editor stroke as the window runs it: a line of the block drawn into
// the tile data as part of the open step, the refresh, and the whole panel painted again (the
// sheet picture rebuilt, since its tiles changed). Argument: the zoom.
void pixel_editor_stroke_step(benchmark::State& state) {
  DemoSession session(kGiantEntry, static_cast<int>(state.range(0)));
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  session.show();
  PixelEditor editor(session.document);
  editor.choose_colour(3);
  editor.press({0, 0}, false);
  int step = 0;
  for (auto _ : state) {
    ++step;
    editor.choose_colour(1 + step % 15);  // every move changes pixels
    editor.drag({step % 16, (step / 16) % 16});
    benchmark::DoNotOptimize(session.show());
  }
  editor.release();
  state.counters["history_steps"] = static_cast<double>(session.document.history().size());
}
BENCHMARK(pixel_editor_stroke_step)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vcv
