// The cost of one refresh of the panel on the demo ROM, with the panel painted into a surface:
// with the entry already loaded and the sheet picture rebuilt, and with the entry read and
// decoded again as well (a change of weapon palette does that).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "demo/demo_rom.h"
#include "platform/ui.h"
#include "rom/open_rom.h"
#include "view/app_state.h"
#include "view/panel_paint.h"
#include "view/refresh.h"

namespace vcv {
namespace {

// Answers nothing and paints the panel into a surface when asked to repaint, as the window does.
class PaintingUi : public Ui {
 public:
  explicit PaintingUi(AppState& app) : app_(app) {
    areas_ = compute_view_areas(Rect{225, 21, 519, 315}, Rect{536, 6, 584, 20},
                                Rect{10, 204, 208, 222});
    surface_.resize(830, 560, 0xF0F0F0);
  }
  bool confirm(const std::string&, const std::string&) override { return false; }
  void message(const std::string&, const std::string&) override {}
  bool choose_colour(uint32_t, const uint32_t*, uint32_t*) override { return false; }
  bool ask_write_position(const std::string&, const std::string&, std::string*,
                          std::string*) override {
    return false;
  }
  bool put_clipboard_dib(const std::vector<uint8_t>&) override { return false; }
  bool get_clipboard_dib(std::vector<uint8_t>*) override { return false; }
  void set_control_text(int, const std::string& text) override { characters_ += text.size(); }
  std::string control_text(int) override { return std::string(); }
  void select_entry_in_list(int) override {}
  bool is_box_checked(int) override { return true; }
  void set_title(const std::string&) override {}
  void repaint_areas() override { paint_panel(app_, painter_, areas_, true, surface_); }

  size_t characters_ = 0;

 private:
  AppState& app_;
  PanelPainter painter_;
  ViewAreas areas_;
  Surface surface_;
};

struct DemoSession {
  AppState app;
  PaintingUi ui{app};
  bool ready = false;

  explicit DemoSession(int entry) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "bench_refresh_demo.sfc").string();
    std::string error;
    ready = demo::write_demo_rom(path, &error) && open_rom(app, ui, path) == 1;
    app.view.current_entry = entry;
    app.view.sequence_mode = 0;
    refresh_view(app, ui);
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
    refresh_view_new_sheet(session.app, session.ui);
    benchmark::DoNotOptimize(session.app.display.canvas[0]);
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
    session.app.working_set->loaded_entry = -1;
    refresh_view(session.app, session.ui);
    benchmark::DoNotOptimize(session.app.display.canvas[0]);
  }
}
BENCHMARK(refresh_with_entry_reload)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vcv
