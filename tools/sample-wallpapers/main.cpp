// Draws the sample bundle's wallpapers and writes them as JPEG, PNG and HEIC files.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "tools/sample-wallpapers/Canvas.h"
#include "tools/sample-wallpapers/Encoders.h"
#include "tools/sample-wallpapers/Scenes.h"

namespace {

using namespace brivora::samples;

// Sharp on a 1080p screen after the 3 % Ken Burns zoom, and close to native at 1440p.
constexpr int wallpaperWidth = 2560;
constexpr int wallpaperHeight = 1440;
constexpr int previewWidth = 1280;
constexpr int jpegQuality = 90;
constexpr int heicQuality = 70;

enum class Format { jpeg, png, heic };

struct SampleWallpaper {
  std::string_view fileName;  // meta.json's patterns pick the caption from it
  Format format;
  Scene scene;
  std::uint64_t seed;
};

constexpr std::array<SampleWallpaper, 6> sampleWallpapers = {{
    {"01-keeper-harbour-dusk.jpg", Format::jpeg, paintHarbourDusk, 1921},
    {"02-striker-stadium-night.png", Format::png, paintStadiumNight, 2027},
    {"03-captain-aurora-ridge.heic", Format::heic, paintAuroraRidge, 7},
    {"04-club-bokeh-lights.jpg", Format::jpeg, paintBokehLights, 44},
    {"05-defender-morning-hills.jpg", Format::jpeg, paintMorningHills, 5},
    {"06-club-silk-waves.jpg", Format::jpeg, paintSilkWaves, 66},
}};

constexpr std::string_view usage =
    "usage: sample-wallpapers OUTPUT_DIR [--preview PREVIEW_DIR] [--only TEXT]\n";

struct Options {
  std::filesystem::path output;
  std::optional<std::filesystem::path> preview;
  std::string only;  // draw only the wallpapers whose file name contains this
};

std::optional<Options> parseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--preview" && hasValue) {
      options.preview = argv[++i];
    } else if (argument == "--only" && hasValue) {
      options.only = argv[++i];
    } else if (!argument.starts_with("-") && options.output.empty()) {
      options.output = argument;
    } else {
      return std::nullopt;
    }
  }
  if (options.output.empty()) return std::nullopt;
  return options;
}

bool matches(const SampleWallpaper& wallpaper, std::string_view only) {
  return wallpaper.fileName.find(only) != std::string_view::npos;
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

// The encoded file, or none with the reason on stderr.
std::optional<std::string> encode(const SampleWallpaper& wallpaper, const Canvas& canvas) {
  switch (wallpaper.format) {
    case Format::jpeg:
      return encodeJpeg(canvas.toRgb(Dither::noise, wallpaper.seed), jpegQuality);
    case Format::png: {
      std::optional<std::string> bytes = encodePng(canvas.toRgb(Dither::none, wallpaper.seed));
      if (!bytes) std::fprintf(stderr, "sample-wallpapers: libpng failed\n");
      return bytes;
    }
    case Format::heic: {
      std::string error;
      std::optional<std::string> bytes =
          encodeHeic(canvas.toRgb(Dither::noise, wallpaper.seed), heicQuality, error);
      if (!bytes) std::fprintf(stderr, "sample-wallpapers: libheif failed: %s\n", error.c_str());
      return bytes;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = parseOptions(argc, argv);
  if (!options) {
    std::fputs(usage.data(), stderr);
    return 2;
  }
  bool needsHeic = false;
  bool matchesAny = false;
  for (const SampleWallpaper& wallpaper : sampleWallpapers) {
    needsHeic |= wallpaper.format == Format::heic && matches(wallpaper, options->only);
    matchesAny |= matches(wallpaper, options->only);
  }
  if (!matchesAny) {
    std::fprintf(stderr, "sample-wallpapers: no wallpaper's file name contains \"%s\"\n",
                 options->only.c_str());
    return 2;
  }
  // Checked before anything is written, so the folder is never left half updated.
  if (needsHeic && !canEncodeHeic()) {
    std::fputs(
        "sample-wallpapers: this libheif has no HEVC encoder, so no HEIC file can be made; "
        "install a libheif built with x265 (on newer Debian: libheif-plugin-x265)\n",
        stderr);
    return 1;
  }
  for (const std::filesystem::path& folder : {options->output, options->preview.value_or("")}) {
    std::error_code error;
    if (!folder.empty() && !std::filesystem::create_directories(folder, error) && error) {
      std::fprintf(stderr, "sample-wallpapers: cannot make %s: %s\n", folder.c_str(),
                   error.message().c_str());
      return 1;
    }
  }
  for (const SampleWallpaper& wallpaper : sampleWallpapers) {
    if (!matches(wallpaper, options->only)) continue;
    Canvas canvas(wallpaperWidth, wallpaperHeight);
    Random random(wallpaper.seed);
    wallpaper.scene(canvas.context(), {wallpaperWidth, wallpaperHeight}, random);
    if (const std::optional<std::string> failure = canvas.failure()) {
      std::fprintf(stderr, "sample-wallpapers: drawing %s failed: %s\n", wallpaper.fileName.data(),
                   failure->c_str());
      return 1;
    }
    const std::filesystem::path path = options->output / wallpaper.fileName;
    const std::optional<std::string> bytes = encode(wallpaper, canvas);
    if (!bytes) return 1;
    if (!writeFile(path, *bytes)) {
      std::fprintf(stderr, "sample-wallpapers: cannot write %s\n", path.c_str());
      return 1;
    }
    std::printf("%s: %dx%d, %zu bytes\n", path.c_str(), wallpaperWidth, wallpaperHeight,
                bytes->size());
    if (options->preview) {
      const std::filesystem::path preview =
          *options->preview / std::filesystem::path(wallpaper.fileName).replace_extension(".png");
      if (!canvas.writePreview(preview, previewWidth)) {
        std::fprintf(stderr, "sample-wallpapers: cannot write %s\n", preview.c_str());
        return 1;
      }
    }
  }
  return 0;
}
