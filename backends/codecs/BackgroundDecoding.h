#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "backends/codecs/ColourTarget.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

namespace brivora {

// Queues image bytes for decoding (as decodeImage, to cover `coverBox`, converted to `colours`)
// on one worker thread,
// oldest first, so the thread that draws never decodes. The worker holds the request only
// weakly until it starts: once the caller drops the result, the request is skipped and its
// bytes freed. A decode that fails fulfils with no pixels. Thread-safe.
std::shared_ptr<PixelsInProgress> decodeInBackground(std::string bytes, Size coverBox,
                                                     ColourTarget colours);

// Ends the worker as the process ends: drops every queued request, stops the decode under way
// where its decoder can stop (JPEG and PNG can, HEIF cannot), and waits up to `grace` for the
// worker to finish. False when it is still decoding: the caller must then end the process
// without running static destructors, which the worker's libraries may still be using.
// Later requests are never decoded.
bool stopBackgroundDecoding(std::chrono::milliseconds grace);

// The same for the file at `path`, which the worker reads (as decodeImageFile) when its turn
// comes.
std::shared_ptr<PixelsInProgress> decodeFileInBackground(std::filesystem::path path, Size coverBox,
                                                         ColourTarget colours);

}  // namespace brivora
