// What the panel must show after a command, in meanings rather than control ids: the texts a
// refresh writes, the captions the buttons take, the state of the mode radio buttons. The window
// program applies it to its controls; the command-line tool reads the texts it needs.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace vcv {

// The texts a refresh writes, UTF-8 with "\r\n" line ends.
struct PanelTexts {
  int list_selection = 0;       // the entry list's selection (the entry id)
  std::string entry_label;      // "No.%03X"
  std::string image_field;      // "%02X" of the image number
  std::string animation_field;  // "%02X" of the animation number
  std::string sequence_field;   // "%02X" of the sequence number
  std::string weapon_field;     // "%02X" of the weapon palette number
  std::string animation_range;  // "00～%02X" beside Animation
  std::string sequence_range;   // beside Sequence
  std::string image_range;      // beside ImageNo
  std::string info_text;
  std::string tile_info_text;
};

// Buttons whose caption follows the view state.
enum class PanelButton { kFace, kBlock, kPage, kAnimationTable };

struct PanelUpdate {
  std::map<PanelButton, std::string> captions;  // captions to set
  std::optional<bool> sequence_mode;            // check "Sequence" (true) or "ImageNo" (false)
  std::optional<bool> boundaries;               // check or clear "Boundaries"
  std::optional<PanelTexts> texts;              // present after a refresh
  bool repaint = false;                         // the drawing areas must be painted again
  std::optional<std::string> title;             // the window title, when it changed
  std::map<int, std::string> list_labels;       // entry list labels that changed, by entry id

  bool empty() const {
    return captions.empty() && !sequence_mode && !boundaries && !texts && !repaint && !title &&
           list_labels.empty();
  }
  // Later changes win.
  void merge(const PanelUpdate& later) {
    for (const auto& [button, caption] : later.captions) captions[button] = caption;
    if (later.sequence_mode) sequence_mode = later.sequence_mode;
    if (later.boundaries) boundaries = later.boundaries;
    if (later.texts) texts = later.texts;
    repaint = repaint || later.repaint;
    if (later.title) title = later.title;
    for (const auto& [entry, label] : later.list_labels) list_labels[entry] = label;
  }
};

}  // namespace vcv
