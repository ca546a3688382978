// "Write All Changes": every buffer that holds unwritten edits goes into one changed copy of the
// ROM image — palettes and weapon palettes and frame layouts in place, graphics in place when
// they fit and otherwise by repacking their bank region, as Write Image Changes does — so that
// the file is replaced once, with one backup and one read-back. A graphics block that could only
// go to a typed address stops the whole command: nothing is written, and the result names the
// entry.
#pragma once

#include <string>
#include <vector>

#include "edit/command_result.h"
#include "sprite/edit_buffer.h"
#include "sprite/pack_method.h"

namespace vcv {

class RomImage;
class Ui;

// One buffer to write: its bytes now, the leading part that goes into the ROM, and the entry
// messages name it by.
struct EditedBufferWrite {
  BufferId id;
  std::vector<uint8_t> bytes;
  int written_size = 0;
  int entry = -1;
};

// Puts every buffer into `image` (graphics first, since repacking moves blocks and rewrites
// pointers that the table writes do not touch). The repacking question goes through `ui`; the
// Write Confirm question is the caller's. `summary` receives one line per buffer written. On
// failure `image` is to be discarded.
CommandResult write_buffers_into(RomImage& image, const SpriteDirectory& directory,
                                 const std::vector<EditedBufferWrite>& buffers, Ui& ui,
                                 PackMethod method, std::vector<std::string>* summary);

// The Write Confirm text of Write All Changes: the overwrite question and the summary.
std::string write_all_confirm_text(const std::vector<std::string>& summary);

}  // namespace vcv
