// The edit history on the demo ROM: one undo and one redo of a tile placement, a recolour, an
// "Ed" and a Paste All Img of the whole sheet (each with the refresh that follows it, as the
// window runs them); the history's memory after 1,000 placements; and Write All Changes of ten
// modified entries against ten single writes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "platform/ui.h"
#include "sprite/frames.h"

namespace vcv {
namespace {

class YesUi : public Ui {
 public:
  bool confirm(Prompt, const std::string&) override { return true; }
  Answer ask(Prompt, const std::string&) override { return Answer::kYes; }
  void message(const std::string&, const std::string&) override {}
  bool choose_colour(uint32_t, const uint32_t*, uint32_t*) override { return false; }
  bool ask_write_position(const std::string&, const std::string&, std::string*,
                          std::string*) override {
    return false;
  }
  bool put_clipboard(const std::vector<ClipboardBlock>&) override { return false; }
  bool read_clipboard(ClipboardContents*) override { return false; }
};

struct HistorySession {
  Document document;
  std::string path;
  bool ready = false;

  explicit HistorySession(const char* name) {
    path = (std::filesystem::temp_directory_path() / name).string();
    std::string error;
    ready = demo::write_demo_rom(path, &error) && document.open(path).ok();
    document.panel_command(PanelCommand::kImageRadio);
    document.select_entry(demo::DemoRomFacts::kEntrySize3);
  }
  ~HistorySession() {
    document.rom().close();
    std::remove(path.c_str());
    std::remove((path + ".bak").c_str());
    std::error_code ignored;
    std::filesystem::remove_all(path.substr(0, path.rfind('.')) + ".history", ignored);
  }
  // A new tile entry for quadrant 0 of block 0 of image 0.
  BufferChange placement(int tile) {
    const SpriteWorkingSet& set = document.working_set();
    const int at = frame_record_offset(set, 0) + set.frames[0].tile_offset[0][0];
    return {{BufferKind::kPositionData, set.position_type}, at,
            {static_cast<uint8_t>(tile), static_cast<uint8_t>(0x20 | (tile >> 8))}};
  }
};

// Undo and redo of one step that `make` applies once; the time is per undo or redo.
template <typename Make>
void undo_and_redo(benchmark::State& state, const char* name, Make make) {
  HistorySession session(name);
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  make(session);
  if (!session.document.can_undo()) {
    state.SkipWithError("the edit changed nothing");
    return;
  }
  for (auto _ : state) {
    session.document.undo();
    session.document.redo();
    benchmark::DoNotOptimize(session.document.take_panel_update().repaint);
  }
  state.SetItemsProcessed(2 * state.iterations());
}

void undo_redo_placement(benchmark::State& state) {
  undo_and_redo(state, "bench_history_place.sfc", [](HistorySession& s) {
    s.document.apply_changes(EditAction::kPlaceTile, {s.placement(0x123)});
  });
}
BENCHMARK(undo_redo_placement)->Unit(benchmark::kMicrosecond);

void undo_redo_recolour(benchmark::State& state) {
  undo_and_redo(state, "bench_history_colour.sfc", [](HistorySession& s) {
    const BufferId palette{BufferKind::kPalette, s.document.working_set().palette_type};
    s.document.apply_changes(EditAction::kRecolour, {{palette, 6, {0x1F, 0x7C}}});
  });
}
BENCHMARK(undo_redo_recolour)->Unit(benchmark::kMicrosecond);

void undo_redo_tile_info(benchmark::State& state) {
  undo_and_redo(state, "bench_history_ed.sfc", [](HistorySession& s) {
    s.document.apply_tile_info("X=-20 Y=12\r\nU Left TileNo=1A xflip=1 yflip=1\r\n");
  });
}
BENCHMARK(undo_redo_tile_info)->Unit(benchmark::kMicrosecond);

void undo_redo_paste_all(benchmark::State& state) {
  undo_and_redo(state, "bench_history_paste.sfc", [](HistorySession& s) {
    std::vector<uint8_t> pixels(kSheetWidth * kSheetHeight);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 7 + i / 128) & 15);
    s.document.paste_sheet(pixels.data(), kSheetWidth, kSheetHeight);
  });
}
BENCHMARK(undo_redo_paste_all)->Unit(benchmark::kMicrosecond);

void history_memory_of_1000_placements(benchmark::State& state) {
  HistorySession session("bench_history_memory.sfc");
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) {
      session.document.apply_changes(EditAction::kPlaceTile, {session.placement(i & 0x7FF)});
    }
  }
  state.counters["history_KiB"] =
      static_cast<double>(session.document.history().memory()) / 1024.0;
  state.counters["steps"] = static_cast<double>(session.document.history().size());
}
BENCHMARK(history_memory_of_1000_placements)->Unit(benchmark::kMillisecond)->Iterations(1);

// Ten entries of different palette types, each recoloured.
void recolour_ten(HistorySession& s, int round, bool write_each, YesUi& ui) {
  static const int kEntries[] = {0x000, 0x001, 0x002, 0x003, 0x004,
                                 0x005, 0x006, 0x007, 0x008, 0x00A};
  for (int entry : kEntries) {
    s.document.select_entry(entry);
    const BufferId palette{BufferKind::kPalette, s.document.working_set().palette_type};
    s.document.apply_changes(EditAction::kRecolour,
                             {{palette, 2, {static_cast<uint8_t>(round), 0x10}}});
    if (write_each) s.document.write_palette(ui);
  }
}

void write_ten_entries(benchmark::State& state) {
  const bool all_at_once = state.range(0) == 1;
  HistorySession session(all_at_once ? "bench_history_all.sfc" : "bench_history_each.sfc");
  if (!session.ready) {
    state.SkipWithError("demo ROM not available");
    return;
  }
  YesUi ui;
  int round = 0;
  for (auto _ : state) {
    recolour_ten(session, ++round & 0xFF, !all_at_once, ui);
    if (all_at_once) session.document.write_all_changes(ui);
  }
  state.SetLabel(all_at_once ? "Write All Changes once" : "Write Palette ten times");
}
BENCHMARK(write_ten_entries)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace
}  // namespace vcv
