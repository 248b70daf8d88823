#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Bundle.h"
#include "platform/JsonValue.h"

namespace brivora {

// The three-line caption about the player in a wallpaper. An empty string is an absent line.
struct PlayerMeta {
  std::string name;
  std::string subtitle;
  std::string fact;

  friend bool operator==(const PlayerMeta&, const PlayerMeta&) = default;
};

// A text looked for in wallpaper file names, with the caption lines it replaces keyed by line
// name ("name", "subtitle", "fact"); other keys are kept but never read.
struct MetaPattern {
  std::string match;
  std::vector<std::pair<std::string, std::string>> overrides;

  friend bool operator==(const MetaPattern&, const MetaPattern&) = default;
};

// The captions of meta.json: one default and an ordered list of patterns.
struct Meta {
  PlayerMeta defaultPlayer;
  std::vector<MetaPattern> patterns;

  // No caption lines and no patterns.
  static const Meta& empty();

  // The bundle's meta.json. Never fails: a missing, unreadable or malformed file, or a top
  // level that is not an object, gives `empty()`; wrong kinds lower down blank a line or
  // drop a pattern.
  static Meta load(const Bundle& bundle);

  // The caption for a wallpaper's file name: the default, with the lines of every pattern
  // whose match the name contains applied in list order, later patterns winning line by line.
  PlayerMeta resolve(std::string_view filename) const;

  friend bool operator==(const Meta&, const Meta&) = default;
};

// The caption records of a parsed meta.json object.
Meta metaFromJson(const JsonValue& object);

}  // namespace brivora
