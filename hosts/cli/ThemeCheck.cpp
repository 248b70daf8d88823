// `brivora check` on theme.json: every value the view would silently replace or misplace.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "Brivora/CountdownTarget.h"
#include "Brivora/ImagePlacement.h"
#include "Brivora/SrgbHexColor.h"
#include "Brivora/ThemeFields.h"
#include "backends/cairo/FontFamilies.h"
#include "backends/cairo/InstalledFonts.h"
#include "hosts/cli/CheckSupport.h"
#include "platform/UnicodeText.h"

namespace brivora::cli {

namespace {

constexpr std::size_t longestSensibleCredit = 200;

std::string describeRange(const ThemeRange& range) {
  if (std::isinf(range.high)) {
    return range.lowIncluded ? "at least " + formatNumber(range.low)
                             : "above " + formatNumber(range.low);
  }
  return std::string(range.lowIncluded ? "from " : "above ") + formatNumber(range.low) +
         (range.highIncluded ? " to " : " and below ") + formatNumber(range.high);
}

std::string expectedKind(ThemeFieldKind kind) {
  switch (kind) {
    case ThemeFieldKind::text:
      return "a string";
    case ThemeFieldKind::number:
    case ThemeFieldKind::seconds:
      return "a number";
    case ThemeFieldKind::flag:
      return "true or false";
  }
  return "a value";
}

class ThemeChecker {
 public:
  ThemeChecker(const CheckedJson& file, Problems& problems)
      : file_(file), problems_(problems), object_(*file.object) {}

  void run() {
    reportUnknownKeys();
    for (const ThemeField& field : themeFields()) {
      if (const JsonValue* value = object_.member(field.key)) checkKind(field.key, field, *value);
    }
    checkEdgeMarginAlias();
    theme_ = themeFromJson(object_);
    checkRanges();
    checkDriftEdges();
    checkColors();
    checkWords();
    checkCountdownTarget();
    checkCredit();
  }

 private:
  void report(std::string_view key, std::string message) {
    problems_.push_back({file_.whereKey(key), jsonQuoted(key) + " " + std::move(message)});
  }

  bool isSet(std::string_view key) const { return object_.member(key) != nullptr; }

  static std::string defaultText(const ThemeField& field) {
    const ThemeValue value = valueOf(Theme::fallback(), field);
    if (const auto* text = std::get_if<std::string>(&value)) return jsonQuoted(*text);
    if (const auto* number = std::get_if<double>(&value)) return formatNumber(*number);
    return std::get<bool>(value) ? "true" : "false";
  }

  void reportUnknownKeys() {
    std::vector<std::string_view> known;
    for (const ThemeField& field : themeFields()) known.push_back(field.key);
    known.push_back(edgeMarginAliasKey);
    for (const JsonMember& member : object_.members()) {
      if (member.key == "$schema") continue;  // editors use it to find the schema
      if (std::find(known.begin(), known.end(), member.key) == known.end()) {
        problems_.push_back({file_.whereKey(member.key), unknownKeyMessage(member.key, known)});
      }
    }
  }

  void checkKind(std::string_view key, const ThemeField& field, const JsonValue& value) {
    if (acceptsValue(field, value)) return;
    report(key, "must be " + expectedKind(field.kind) + ", not " + describeValue(value) +
                    "; the default " + defaultText(field) + " is used");
  }

  void checkEdgeMarginAlias() {
    const JsonValue* alias = object_.member(edgeMarginAliasKey);
    if (!alias) return;
    if (!alias->asNumber()) {
      report(edgeMarginAliasKey,
             "must be a number, not " + describeValue(*alias) + "; it is ignored");
      return;
    }
    // Alone, the older name still works; beside a usable new one it changes nothing.
    const JsonValue* edge = object_.member("edgeMarginRatio");
    if (edge && edge->asNumber()) {
      report(edgeMarginAliasKey, "is ignored because \"edgeMarginRatio\" is set");
    }
  }

  void checkRanges() {
    for (const ThemeField& field : themeFields()) {
      const bool set =
          isSet(field.key) || (field.key == "edgeMarginRatio" && isSet(edgeMarginAliasKey));
      if (!field.range || !set) continue;
      const double value = std::get<double>(valueOf(theme_, field));
      if (!field.range->contains(value)) {
        report(field.key,
               formatNumber(value) + " is out of range: it must be " + describeRange(*field.range));
      }
    }
    if (theme_.cycleSeconds > 0 && theme_.crossfadeSeconds > theme_.cycleSeconds &&
        (isSet("crossfadeSeconds") || isSet("cycleSeconds"))) {
      report("crossfadeSeconds", formatNumber(theme_.crossfadeSeconds) +
                                     " is longer than the cycle (" +
                                     formatNumber(theme_.cycleSeconds) +
                                     (theme_.cycleSeconds == 1 ? " second)" : " seconds)"));
    }
  }

  // The drift moves a picture by up to panLength of the view while the zoom grows each side
  // by (zoom - 1) / 2 of it: a smaller zoom lets an edge of the picture into the view.
  void checkDriftEdges() {
    const double zoom = theme_.kenBurnsZoom;
    if (!isSet("kenBurnsZoom") || zoom < 1) return;  // below 1 the range check speaks
    // The widest strip: a picture of the screen's own shape drifting sideways to the end.
    const Rect screen{0, 0, 1920, 1080};
    const std::optional<Rect> placed =
        placeImage(screen.size, screen, 1, Point{panLength, 0}, zoom);
    // Rounding alone leaves no strip.
    if (!placed || placed->minX() <= 1e-9) return;
    report("kenBurnsZoom", formatNumber(zoom) +
                               " zooms less than the picture drifts: near the end of a cycle a "
                               "black strip up to " +
                               std::to_string(static_cast<int>(std::ceil(placed->minX()))) +
                               " pixels wide can show at one edge of a 1920x1080 screen; " +
                               formatNumber(1 + 2 * panLength) + " or more avoids it");
  }

  void checkColors() {
    struct ColorField {
      std::string_view key;
      const std::string& text;
      std::string_view usedInstead;
    };
    const ColorField colors[] = {
        {"clockColor", theme_.clockColor, "white"},
        {"dateColor", theme_.dateColor, "white"},
        {"countdownTextColor", theme_.countdownTextColor, "white"},
        {"countdownBgColor", theme_.countdownBgColor, "yellow"},
    };
    for (const ColorField& color : colors) {
      if (!isSet(color.key) || (color.key == "countdownTextColor" && color.text.empty())) continue;
      if (!colorFromSrgbHex(color.text)) {
        report(color.key, jsonQuoted(shortened(color.text)) +
                              " is not a colour: write six hexadecimal digits such as "
                              "\"#E5B80B\"; " +
                              std::string(color.usedInstead) + " is used");
      }
    }
  }

  // The view reads these texts lower-cased and uses its own choice for any other word.
  void checkWords() {
    // The fallback credit position counts only while the credit goes inside the countdown.
    const bool creditInsideCountdown =
        unicode::lowercased(theme_.creditPosition) == "inside-countdown";
    for (const ThemeField& field : themeFields()) {
      if (!field.words || !isSet(field.key)) continue;
      if (field.key == "creditFallbackPosition" && !creditInsideCountdown) continue;
      const ThemeWords& words = *field.words;
      const std::string value = std::get<std::string>(valueOf(theme_, field));
      const std::string lowered = unicode::lowercased(value);
      // An empty family asks for the default design in so many words.
      if (field.key == "clockFamily" && lowered.empty()) continue;
      if (std::find(words.words.begin(), words.words.end(), lowered) == words.words.end()) {
        report(field.key, jsonQuoted(shortened(value)) + " is not " + std::string(words.what) +
                              " (" + listWords(words.words) + "); " + std::string(words.otherwise) +
                              " is used");
      } else if (words.lowerCaseOnly && lowered != value) {
        report(field.key, jsonQuoted(value) + " is not in lower case: it is read as " +
                              jsonQuoted(lowered) +
                              ", but other programs reading the file may compare it as written; "
                              "write " +
                              jsonQuoted(lowered));
      }
    }
  }

  void checkCountdownTarget() {
    if (theme_.countdownTo.empty()) return;
    std::optional<Date> target = parseDate(theme_.countdownTo);
    if (!target) {
      std::string hint = parseDate(unicode::trimmingWhitespaceAndNewlines(theme_.countdownTo))
                             ? "remove the spaces around it"
                             : "write a date such as \"2026-06-11\" or \"2026-06-11T16:00:00Z\"";
      report("countdownTo", jsonQuoted(shortened(theme_.countdownTo)) + " is not a date: " + hint +
                                "; no countdown is shown");
      return;
    }
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    if (target->secondsSince1970 <= now) {
      report("countdownTo", jsonQuoted(shortened(theme_.countdownTo)) + " (" +
                                formatInternetDateTime(*target) +
                                ") has passed; no countdown is shown");
    }
  }

  void checkCredit() {
    const std::string credit = unicode::trimmingWhitespaceAndNewlines(theme_.credit);
    const std::size_t length = unicode::characterCount(credit);
    if (length > longestSensibleCredit) {
      report("credit", "is " + std::to_string(length) +
                           " characters long; it is drawn on one line and runs off the screen");
    }
  }

  const CheckedJson& file_;
  Problems& problems_;
  const JsonValue& object_;
  Theme theme_;
};

// The clock's typeface as this machine can draw it: a design whose fonts are missing falls back
// to the default design, and a weight a family lacks to its nearest. Checked with or without
// a theme file, since the defaults need fonts too.
void checkInstalledTypeface(const Theme& theme, const std::optional<CheckedJson>& file,
                            Problems& problems) {
  const auto report = [&](std::string_view key, std::string message) {
    const std::string where = file ? file->whereKey(key) : "theme.json";
    problems.push_back({where, jsonQuoted(key) + " " + std::move(message)});
  };
  const FontDesign design = theme.clockDesign();
  const FontWeight weight = theme.nsFontWeight();
  InstalledFace face = installedFace(design, weight);
  if (!face.family && design != FontDesign::standard) {
    report("clockFamily", "asks for the " + std::string(fontDesignName(design)) +
                              " design, but none of its fonts is installed (" +
                              listWords(designFamilies(design)) + "); the default design is used");
    face = installedFace(FontDesign::standard, weight);
  }
  if (!face.family) {
    report("clockFamily", "cannot be drawn in its own fonts: none of " +
                              listWords(designFamilies(FontDesign::standard)) +
                              " is installed; the system's sans-serif is used");
    return;
  }
  if (face.weight != weight) {
    report("clockWeight", "asks for " + std::string(fontWeightName(weight)) + ", but " +
                              *face.family + " is installed without it; " +
                              std::string(fontWeightName(face.weight)) + ", the nearest, is used");
  }
}

}  // namespace

void checkThemeFile(const Bundle& bundle, Problems& problems) {
  std::optional<CheckedJson> file = readJsonForCheck(bundle, "theme", problems);
  if (file && file->object) {
    const std::size_t first = problems.size();
    ThemeChecker(*file, problems).run();
    sortByPlace(problems, first);
  }
  checkInstalledTypeface(Theme::load(bundle), file, problems);
}

}  // namespace brivora::cli
