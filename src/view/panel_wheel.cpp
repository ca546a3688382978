#include "view/panel_wheel.h"

#include <cstdlib>

#include "view/panel_actions.h"

namespace vcv {

bool on_panel_wheel(PanelContext& panel, const ViewAreas& areas, int x, int y, int notches,
                    PanelUpdate& update) {
  if (notches == 0) return false;
  if (point_in_area(x, y, areas.frame)) {
    const PanelArrows bar =
        panel.view.sequence_mode != 0 ? PanelArrows::kSequence : PanelArrows::kImage;
    const int request = notches > 0 ? kScrollLineRight : kScrollLineLeft;
    for (int i = 0; i < std::abs(notches); ++i) on_arrows(panel, bar, request, update);
    return true;
  }
  if (point_in_area(x, y, areas.sheet)) {
    const int page = notches > 0 ? 1 : 0;
    // The page button steps through the two pages and captions itself.
    if (panel.view.tile_page == page) return false;
    return on_panel_command(panel, PanelCommand::kPage, update);
  }
  return false;
}

}  // namespace vcv
