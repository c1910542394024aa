#include "tools/vexaro-flash/flash_confirm.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/gui/window.h"
#include "platform/sys/sys.h"

namespace vexaro::flash {
namespace {

// How often the message loop looks for the answer.
constexpr std::uint32_t kAnswerPollMs = 20;

// Handed between the reader thread and the waiting one; shared, because a
// reader still blocked on the terminal outlives a wait ended by a stop.
struct PendingAnswer {
  std::mutex mutex;
  bool done = false;
  std::optional<std::string> line;
};

}  // namespace

AnswerSource StandardInputAnswers() {
  AnswerSource source;
  source.terminal = sys::StandardInputIsTerminal();
  source.readLine = []() -> std::optional<std::string> {
    std::string line;
    if (!std::getline(std::cin, line)) return std::nullopt;
    return line;
  };
  return source;
}

bool IsYes(std::string_view answer) {
  const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!answer.empty() && blank(answer.front())) answer.remove_prefix(1);
  while (!answer.empty() && blank(answer.back())) answer.remove_suffix(1);
  std::string lower(answer);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  return lower == "y" || lower == "yes";
}

Answer AwaitAnswer(const AnswerSource& source, const std::function<bool()>& stop) {
  if (!source.readLine) return Answer::kEndOfInput;
  auto pending = std::make_shared<PendingAnswer>();
  std::thread([pending, read = source.readLine] {
    std::optional<std::string> line = read();
    std::lock_guard lock(pending->mutex);
    pending->line = std::move(line);
    pending->done = true;
  }).detach();
  for (;;) {
    {
      std::lock_guard lock(pending->mutex);
      if (pending->done) {
        if (!pending->line) return Answer::kEndOfInput;
        return IsYes(*pending->line) ? Answer::kYes : Answer::kNo;
      }
    }
    if (stop && stop()) return Answer::kStopped;
    gui::PumpPendingMessages();
    sys::SleepMs(kAnswerPollMs);
  }
}

}  // namespace vexaro::flash
