#include "view/view_state.h"

namespace vcv {

int step_value(int value, int low, int high, int step) {
  if (high < low) return low;
  const int next = value + step;
  if (next < low) return high;
  if (next > high) return low;
  return next;
}

}  // namespace vcv
