// The cost of one refresh of the panel on the demo ROM, with the panel painted into a surface as
// the window does after every refresh: with the entry already loaded and the sheet picture
// rebuilt, and with the entry read and decoded again as well (a change of weapon palette does
// that).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "view/panel_paint.h"

namespace vcv {
namespace {

struct DemoSession {
  Document document;
  PanelPainter painter;
  ViewAreas areas = compute_view_areas(Rect{225, 21, 519, 315}, Rect{536, 6, 584, 20},
                                       Rect{10, 204, 208, 222});
  Surface surface;
  bool ready = false;

  explicit DemoSession(int entry) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "bench_refresh_demo.sfc").string();
    std::string error;
    ready = demo::write_demo_rom(path, &error) && document.open(path).ok();
    std::remove(path.c_str());
    surface.resize(830, 560, 0xF0F0F0);
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

}  // namespace
}  // namespace vcv
