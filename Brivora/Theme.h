#pragma once

#include <string>

#include "platform/Bundle.h"
#include "platform/FontWeight.h"
#include "platform/Text.h"

namespace brivora {

using Seconds = double;

// Every setting that shapes what the screen saver shows. Each field's name is its key in
// theme.json; the initialisers are the built-in defaults. Nothing is range-checked here.
struct Theme {
  std::string name = "Kovalta";
  std::string clockColor = "#FFFFFF";
  std::string dateColor = "#FFFFFF";
  std::string timeFormat = "h:mm";
  std::string dateFormat = "EEEE, MMM d";
  double clockSizeRatio = 0.1;
  double dateSizeRatio = 0.02;
  std::string clockPosition = "bottom-center";
  std::string clockFamily = "rounded";
  std::string clockWeight = "light";
  bool showAmPm = false;
  double clockKern = -1.0;
  double dateKern = 6.0;
  double edgeMarginRatio = 0.06;
  bool scrimEnabled = true;
  double scrimHeightRatio = 0.4;
  double scrimOpacity = 0.65;
  std::string credit = "";
  std::string creditPosition = "bottom-right";
  std::string creditFallbackPosition = "under-clock";
  double creditSizeRatio = 0.012;
  double creditOpacity = 0.45;
  std::string countdownTo = "";
  std::string countdownLabel = "KOVALTA COUNTDOWN";
  std::string countdownPosition = "bottom-center";
  double countdownLabelSizeRatio = 0.013;
  double countdownNumberSizeRatio = 0.034;
  std::string countdownTextColor = "";
  bool countdownBgEnabled = false;
  std::string countdownBgColor = "#E5B80B";
  double countdownBgOpacity = 0.92;
  double countdownBgPaddingX = 0.022;
  double countdownBgPaddingY = 0.014;
  double countdownBgCornerRadius = 0.01;
  bool playerOverlayEnabled = true;
  std::string playerOverlayPosition = "top-left";
  double playerNameSizeRatio = 0.055;
  double playerSubtitleSizeRatio = 0.017;
  double playerFactSizeRatio = 0.013;
  Seconds cycleSeconds = 30.0;
  Seconds crossfadeSeconds = 1.5;
  double kenBurnsZoom = 1.03;

  // The record of built-in defaults.
  static const Theme& fallback();

  // The bundle's theme.json over the defaults. Never fails: a missing, unreadable or
  // malformed file gives the defaults, and a missing or mistyped key gives that field's.
  static Theme load(const Bundle& bundle);

  // The clock's font weight from `clockWeight`, compared in lower case; regular for any
  // other name. Named after the AppKit weight it stands for; it gives our FontWeight.
  FontWeight nsFontWeight() const;

  // The clock's design from `clockFamily`, compared in lower case: "rounded" or "serif";
  // the default design for anything else.
  FontDesign clockDesign() const;

  friend bool operator==(const Theme&, const Theme&) = default;
};

}  // namespace brivora
