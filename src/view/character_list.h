// The labels of the entry list, one per entry id in id order.
#pragma once

#include <string>

namespace vcv {

// The label of entry `id` (0x000..0x1FB): the seven player slots by name, the other character
// records by their bare id, enemy records by id, a colon and a generic label (empty for the
// ids that the game leaves unused). An id outside the range gives an empty text.
std::string character_list_label(int id);

}  // namespace vcv
