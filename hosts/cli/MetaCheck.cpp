// `brivora check` on meta.json: captions that would never show, and patterns that are dropped.
#include <algorithm>
#include <array>

#include "hosts/cli/CheckSupport.h"
#include "platform/UnicodeText.h"

namespace brivora::cli {

namespace {

constexpr std::array<std::string_view, 3> captionLines = {"name", "subtitle", "fact"};
constexpr std::array<std::string_view, 4> patternKeys = {"match", "name", "subtitle", "fact"};
constexpr std::array<std::string_view, 3> topLevelKeys = {"default", "patterns", "$schema"};

bool isOneOf(std::string_view word, std::span<const std::string_view> words) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

class MetaChecker {
 public:
  MetaChecker(const CheckedJson& file, std::span<const std::filesystem::path> wallpapers,
              Problems& problems)
      : file_(file), wallpapers_(wallpapers), problems_(problems), object_(*file.object) {}

  void run() {
    for (const JsonMember& member : object_.members()) {
      if (!isOneOf(member.key, topLevelKeys)) {
        problems_.push_back({file_.whereKey(member.key),
                             unknownKeyMessage(member.key, std::span(topLevelKeys).first(2))});
      }
    }
    checkDefault();
    checkPatterns();
  }

 private:
  void report(std::string where, std::string message) {
    problems_.push_back({std::move(where), std::move(message)});
  }

  void checkDefault() {
    const JsonValue* defaults = object_.member("default");
    if (defaults && !defaults->isObject()) {
      report(file_.whereKey("default"),
             "\"default\" must be an object, not " + describeValue(*defaults));
    }
    if (defaults && defaults->isObject()) {
      for (const JsonMember& member : defaults->members()) {
        if (!isOneOf(member.key, captionLines)) {
          report(file_.fileName, "in \"default\": " + unknownKeyMessage(member.key, captionLines));
        } else if (!member.value.asText()) {
          report(file_.fileName, "in \"default\": " + jsonQuoted(member.key) +
                                     " must be a string, not " + describeValue(member.value) +
                                     "; the line stays empty");
        }
      }
    }
    const JsonValue* name = defaults && defaults->isObject() ? defaults->member("name") : nullptr;
    if (!name || !name->asText() || name->asText()->empty()) {
      report(file_.fileName,
             "\"default\" has no \"name\", so no caption is ever shown, whatever the patterns say");
    }
  }

  void checkPatterns() {
    const JsonValue* list = object_.member("patterns");
    if (!list) return;
    if (!list->isArray()) {
      report(file_.whereKey("patterns"),
             "\"patterns\" must be an array, not " + describeValue(*list) + "; no pattern is used");
      return;
    }
    const std::vector<JsonValue>& elements = list->elements();
    for (std::size_t index = 0; index < elements.size(); ++index) {
      if (!elements[index].isObject()) {
        report(file_.whereKey("patterns"), "patterns[" + std::to_string(index) + "] is " +
                                               describeValue(elements[index]) +
                                               ", not an object, so no pattern is used at all");
        return;
      }
    }
    for (std::size_t index = 0; index < elements.size(); ++index) {
      checkPattern(index, elements[index]);
    }
  }

  void checkPattern(std::size_t index, const JsonValue& pattern) {
    const std::string where = file_.fileName;
    std::string label = "patterns[" + std::to_string(index) + "]";
    const JsonValue* matchValue = pattern.member("match");
    const std::string* match = matchValue ? matchValue->asText() : nullptr;
    if (!match) {
      report(where, label + " has no \"match\" string; it is skipped");
      return;
    }
    label += " (" + jsonQuoted(shortened(*match)) + ")";
    bool changesALine = false;
    for (const JsonMember& member : pattern.members()) {
      if (member.key == "match") continue;
      if (!isOneOf(member.key, patternKeys)) {
        report(where, label + ": " + unknownKeyMessage(member.key, patternKeys));
      } else if (!member.value.asText()) {
        report(where, label + ": " + jsonQuoted(member.key) + " must be a string, not " +
                          describeValue(member.value) + "; it is ignored");
      } else {
        changesALine = true;
      }
    }
    if (match->empty()) {
      report(where, label + " has an empty \"match\", which never applies");
    } else if (!changesALine) {
      report(where, label + " sets no \"name\", \"subtitle\" or \"fact\"; it changes nothing");
    } else if (!matchesAnyWallpaper(*match)) {
      report(where, label + " matches no wallpaper file name");
    }
  }

  bool matchesAnyWallpaper(const std::string& match) const {
    for (const std::filesystem::path& wallpaper : wallpapers_) {
      if (unicode::contains(wallpaper.filename().string(), match)) return true;
    }
    return false;
  }

  const CheckedJson& file_;
  std::span<const std::filesystem::path> wallpapers_;
  Problems& problems_;
  const JsonValue& object_;
};

}  // namespace

void checkMetaFile(const Bundle& bundle, std::span<const std::filesystem::path> wallpapers,
                   Problems& problems) {
  std::optional<CheckedJson> file = readJsonForCheck(bundle, "meta", problems);
  if (!file || !file->object) return;
  const std::size_t first = problems.size();
  MetaChecker(*file, wallpapers, problems).run();
  sortByPlace(problems, first);
}

}  // namespace brivora::cli
