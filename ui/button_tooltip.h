// The hover-help record of a skinned button. The window framework has no
// tooltip control, and nothing in the program activates a button's tooltip or
// gives it a text, so this keeps only what the button needs: the tooltip made
// on first use, inactive, with an empty text, and the messages relayed to it.
// An inactive tooltip shows nothing, so relaying changes nothing on screen.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gui/types.h"

namespace vexaro::ui {

class ButtonTooltip {
 public:
  bool IsActive() const { return false; }
  const std::string& Text() const { return text_; }
  void RelayEvent(const gui::MSG&) { ++relayed_; }
  std::size_t RelayedCount() const { return relayed_; }

 private:
  std::string text_;
  std::size_t relayed_ = 0;
};

}  // namespace vexaro::ui
