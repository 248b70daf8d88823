#include "hosts/cli/OptionReader.h"

#include "hosts/cli/CommandLine.h"

namespace brivora::cli {

bool OptionReader::next() {
  if (started_) ++at_;
  started_ = true;
  if (at_ >= arguments_.size()) return false;
  const std::string& current = word();
  name_ = current.starts_with("--") ? current.substr(0, current.find('=')) : current;
  return true;
}

std::string OptionReader::value() {
  const std::string& current = word();
  const std::size_t equals = current.find('=');
  if (current.starts_with("--") && equals != std::string::npos) return current.substr(equals + 1);
  if (at_ + 1 >= arguments_.size()) throw UsageError(name_ + " needs a value");
  return arguments_[++at_];
}

void OptionReader::reject() const {
  if (word().starts_with("-")) throw UsageError("unknown option " + word());
  throw UsageError("unexpected argument '" + word() + "'");
}

}  // namespace brivora::cli
