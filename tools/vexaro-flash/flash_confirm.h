// Asking before the keyboard is written. Only a person at a terminal is
// asked; scripts, --json and programs that run vexaro-flash for each of
// several keyboards (standard input no terminal) go on as before.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexaro::flash {

// Where answers come from: standard input in the program, fixed answers in
// tests. An empty source asks nobody.
struct AnswerSource {
  bool terminal = false;  // a person can answer: ask
  // One line without its end; nullopt at the end of input. Called on a
  // thread of its own and may block for as long as the person takes.
  std::function<std::optional<std::string>()> readLine;
};

// Standard input, asked when it is a terminal.
AnswerSource StandardInputAnswers();

// "y" or "yes" in any letter case, with blanks around it.
bool IsYes(std::string_view answer);

enum class Answer { kYes, kNo, kEndOfInput, kStopped };

// Reads one answer while the calling thread goes on handling its messages
// (the report channel's) and watching stop().
Answer AwaitAnswer(const AnswerSource& source, const std::function<bool()>& stop);

}  // namespace vexaro::flash
