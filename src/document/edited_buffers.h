// The sprite data as edited: for every buffer an edit has touched, its bytes now beside the bytes
// loading gives from the ROM file as it is on disk. A buffer "holds unwritten edits" exactly when
// the part of it a write puts into the ROM differs from the disk's, so taking the edits back to
// what was last written clears it, and a write clears it by changing the disk's side.
#pragma once

#include <map>
#include <vector>

#include "document/edit_history.h"
#include "sprite/edit_buffer.h"

namespace vcv {

class RomImage;

class EditedBuffers {
 public:
  // The buffer's bytes now; null when no edit has touched it (they are the disk's).
  const std::vector<uint8_t>* current(BufferId id) const;

  // Puts one edit's `after` bytes (its `before` bytes when undoing) into the buffer, which is
  // read from `rom` the first time an edit touches it. False when it cannot be read, or when the
  // edit does not lie inside it; nothing changes then.
  bool apply(const ByteEdit& edit, bool undo, const RomImage& rom,
             const SpriteDirectory& directory);

  bool modified(BufferId id) const;
  std::vector<BufferId> modified_buffers() const;
  // The disk's bytes of an edited buffer, or null.
  const BufferBytes* disk(BufferId id) const;

  // The ROM file changed (a write, or a reload of the same file): every buffer's disk bytes are
  // read again; the edited bytes stay.
  void rebase(const RomImage& rom, const SpriteDirectory& directory);
  void clear() { buffers_.clear(); }

 private:
  struct Buffer {
    BufferBytes disk;
    std::vector<uint8_t> now;
  };
  std::map<BufferId, Buffer> buffers_;
};

}  // namespace vcv
