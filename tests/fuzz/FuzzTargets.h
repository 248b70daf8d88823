#pragma once

// The bodies of the libFuzzer targets. Each takes one input of any bytes and must return
// without crashing or tripping a sanitizer; the fuzzers and the regression test call the same
// functions, so a saved input replays exactly as it was found.
#include <string_view>

namespace brivora::fuzzing {

// theme.json bytes, read as the view reads its theme, then every text the view interprets.
void fuzzTheme(std::string_view input);

// A wallpaper file name on the first line, then meta.json bytes; the name is resolved.
void fuzzMeta(std::string_view input);

// One text read as a colour (clockColor and the like) and as a weight (clockWeight).
void fuzzColorAndWeight(std::string_view input);

// One text read as countdownTo.
void fuzzDate(std::string_view input);

// Two bytes choosing a small cover box, then the bytes of an image file of that format.
void fuzzJpeg(std::string_view input);
void fuzzPng(std::string_view input);
void fuzzHeif(std::string_view input);

// Eight bytes choosing the view's size, its wallpapers, the wall time and the moments drawn,
// then theme.json bytes; the view draws those moments on a recording context.
void fuzzOverlay(std::string_view input);

}  // namespace brivora::fuzzing
