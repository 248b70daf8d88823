#pragma once

#include <cstddef>
#include <span>
#include <string>

namespace brivora::cli {

// Walks a subcommand's words: options as "--name value" or "--name=value", flags, and words
// that are no option.
class OptionReader {
 public:
  explicit OptionReader(std::span<const std::string> arguments) : arguments_(arguments) {}

  // Moves to the next word; false once there are none left.
  bool next();

  // The word, whole.
  const std::string& word() const { return arguments_[at_]; }

  // The option's name: for "--name=value" the part before "=", else the whole word.
  const std::string& name() const { return name_; }

  // The option's value: after "=", else the next word (which is then used up). A UsageError
  // when there is none.
  std::string value();

  // The words after the present one.
  std::span<const std::string> remaining() const { return arguments_.subspan(at_ + 1); }

  // A UsageError for the word: an unknown option, or an argument the command takes none of.
  [[noreturn]] void reject() const;

 private:
  std::span<const std::string> arguments_;
  std::size_t at_ = 0;
  bool started_ = false;
  std::string name_;
};

}  // namespace brivora::cli
