#include "document/edited_buffers.h"

#include <algorithm>
#include <cstring>

namespace vcv {

const std::vector<uint8_t>* EditedBuffers::current(BufferId id) const {
  const auto found = buffers_.find(id);
  return found == buffers_.end() ? nullptr : &found->second.now;
}

bool EditedBuffers::apply(const ByteEdit& edit, bool undo, const RomImage& rom,
                          const SpriteDirectory& directory) {
  auto found = buffers_.find(edit.buffer);
  if (found == buffers_.end()) {
    Buffer buffer;
    if (!read_buffer(rom, directory, edit.buffer, &buffer.disk)) return false;
    buffer.now = buffer.disk.bytes;
    found = buffers_.emplace(edit.buffer, std::move(buffer)).first;
  }
  const std::vector<uint8_t>& bytes = undo ? edit.before : edit.after;
  std::vector<uint8_t>& now = found->second.now;
  if (edit.offset < 0 || bytes.size() > now.size() ||
      static_cast<size_t>(edit.offset) > now.size() - bytes.size()) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), now.begin() + edit.offset);
  return true;
}

bool EditedBuffers::modified(BufferId id) const {
  const auto found = buffers_.find(id);
  if (found == buffers_.end()) return false;
  const Buffer& buffer = found->second;
  const size_t size = std::min<size_t>(static_cast<size_t>(std::max(buffer.disk.written_size, 0)),
                                       std::min(buffer.now.size(), buffer.disk.bytes.size()));
  return std::memcmp(buffer.now.data(), buffer.disk.bytes.data(), size) != 0 ||
         buffer.now.size() != buffer.disk.bytes.size();
}

std::vector<BufferId> EditedBuffers::modified_buffers() const {
  std::vector<BufferId> ids;
  for (const auto& [id, buffer] : buffers_) {
    if (modified(id)) ids.push_back(id);
  }
  return ids;
}

const BufferBytes* EditedBuffers::disk(BufferId id) const {
  const auto found = buffers_.find(id);
  return found == buffers_.end() ? nullptr : &found->second.disk;
}

void EditedBuffers::rebase(const RomImage& rom, const SpriteDirectory& directory) {
  for (auto& [id, buffer] : buffers_) {
    BufferBytes disk;
    // A buffer the file no longer gives (graphics that stopped decoding) keeps what it was
    // compared with, so its edits still count as unwritten.
    if (read_buffer(rom, directory, id, &disk) && disk.bytes.size() == buffer.now.size()) {
      buffer.disk = std::move(disk);
    }
  }
}

}  // namespace vcv
