#include "backends/codecs/BackgroundDecoding.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>

#include "backends/codecs/ImageCodecs.h"

namespace brivora {

namespace {

// Either bytes to decode or a file to read them from; touched only by the worker once queued.
struct DecodeRequest final : PixelsInProgress {
  DecodeRequest(std::string encoded, Size box, ColourTarget target)
      : bytes(std::move(encoded)), coverBox(box), colours(std::move(target)) {}
  DecodeRequest(std::filesystem::path file, Size box, ColourTarget target)
      : path(std::move(file)), coverBox(box), colours(std::move(target)) {}

  std::string bytes;
  std::filesystem::path path;
  Size coverBox;
  ColourTarget colours;
};

// The one worker thread. It lives until the process exits, when it finishes the decode it is
// on (if any) and drops the rest.
class DecodeWorker {
 public:
  DecodeWorker() : thread_([this] { run(); }) {}
  DecodeWorker(const DecodeWorker&) = delete;
  DecodeWorker& operator=(const DecodeWorker&) = delete;
  ~DecodeWorker() {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  void queue(const std::shared_ptr<DecodeRequest>& request) {
    {
      const std::lock_guard lock(mutex_);
      queue_.push_back(request);
    }
    wake_.notify_one();
  }

 private:
  void run() {
    for (;;) {
      std::shared_ptr<DecodeRequest> request;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        request = queue_.front().lock();
        queue_.pop_front();
      }
      if (request) decode(*request);
    }
  }

  static void decode(DecodeRequest& request) {
    std::shared_ptr<const ImagePixels> pixels;
    try {
      const std::string bytes = std::move(request.bytes);
      DecodeResult result = request.path.empty()
                                ? decodeImage(bytes, request.coverBox, request.colours)
                                : decodeImageFile(request.path, request.coverBox, request.colours);
      if (auto* decoded = std::get_if<DecodedImage>(&result)) {
        pixels = std::make_shared<const ImagePixels>(std::move(decoded->pixels));
      }
    } catch (...) {
      // Out of memory while copying: no pixels, and the image draws nothing.
      pixels.reset();
    }
    request.fulfil(std::move(pixels));
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::weak_ptr<DecodeRequest>> queue_;
  bool stopping_ = false;
  std::thread thread_;  // last, so it starts once everything it uses is made
};

DecodeWorker& worker() {
  static DecodeWorker instance;
  return instance;
}

}  // namespace

std::shared_ptr<PixelsInProgress> decodeInBackground(std::string bytes, Size coverBox,
                                                     ColourTarget colours) {
  auto request = std::make_shared<DecodeRequest>(std::move(bytes), coverBox, std::move(colours));
  worker().queue(request);
  return request;
}

std::shared_ptr<PixelsInProgress> decodeFileInBackground(std::filesystem::path path, Size coverBox,
                                                         ColourTarget colours) {
  auto request = std::make_shared<DecodeRequest>(std::move(path), coverBox, std::move(colours));
  worker().queue(request);
  return request;
}

}  // namespace brivora
