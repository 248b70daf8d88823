#include "backends/codecs/BackgroundDecoding.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>

#include "backends/codecs/DecodeCancellation.h"
#include "backends/codecs/ImageCodecs.h"
#include "platform/ProcessEnd.h"

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

// The one worker thread. A decode whose pixels nobody wants any more (its image dropped, or
// the process ending) stops where its decoder can stop.
class DecodeWorker {
 public:
  DecodeWorker() : thread_([this] { run(); }) {}
  DecodeWorker(const DecodeWorker&) = delete;
  DecodeWorker& operator=(const DecodeWorker&) = delete;
  ~DecodeWorker() { stop(std::chrono::milliseconds::max()); }

  void queue(const std::shared_ptr<DecodeRequest>& request) {
    {
      const std::lock_guard lock(mutex_);
      if (!stopping_) queue_.push_back(request);
    }
    // Nothing decodes once the worker has stopped; a draw must not wait for it.
    if (stopping_) request->fulfil(nullptr);
    wake_.notify_one();
  }

  // Drops what is queued, stops the decode under way where it can and waits up to `grace` for
  // the thread to end; whether it did. A thread still busy is let go and never joined.
  bool stop(std::chrono::milliseconds grace) {
    std::unique_lock lock(mutex_);
    if (!thread_.joinable()) return !running_;
    stopping_ = true;
    std::deque<std::weak_ptr<DecodeRequest>> dropped;
    dropped.swap(queue_);
    wake_.notify_one();
    // Whoever still holds a dropped request gets no pixels instead of waiting for ever.
    for (const auto& each : dropped) {
      if (const auto request = each.lock()) request->fulfil(nullptr);
    }
    const bool ended = grace == std::chrono::milliseconds::max()
                           ? (idle_.wait(lock, [this] { return !running_; }), true)
                           : idle_.wait_for(lock, grace, [this] { return !running_; });
    lock.unlock();
    if (ended) {
      thread_.join();
    } else {
      thread_.detach();
    }
    return ended;
  }

 private:
  void run() {
    for (;;) {
      std::shared_ptr<DecodeRequest> request;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) break;
        request = queue_.front().lock();
        queue_.pop_front();
      }
      if (request) decode(request);
    }
    const std::lock_guard lock(mutex_);
    running_ = false;
    idle_.notify_all();
  }

  void decode(const std::shared_ptr<DecodeRequest>& request) {
    // The worker's own reference is the last one once the image is dropped.
    const CancellableDecode cancellable([this, &request] {
      return request.use_count() <= 1 || stopping_ || processEndRequested();
    });
    std::shared_ptr<const ImagePixels> pixels;
    try {
      const std::string bytes = std::move(request->bytes);
      DecodeResult result =
          request->path.empty()
              ? decodeImage(bytes, request->coverBox, request->colours)
              : decodeImageFile(request->path, request->coverBox, request->colours);
      if (auto* decoded = std::get_if<DecodedImage>(&result)) {
        pixels = std::make_shared<const ImagePixels>(std::move(decoded->pixels));
      }
    } catch (...) {
      // Out of memory while copying: no pixels, and the image draws nothing.
      pixels.reset();
    }
    request->fulfil(std::move(pixels));
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::weak_ptr<DecodeRequest>> queue_;
  std::atomic<bool> stopping_{false};  // read unlocked by the decode's cancellation check
  bool running_ = true;                // the thread has not left its loop
  std::thread thread_;                 // last, so it starts once everything it uses is made
};

// Made on first use; stopBackgroundDecoding leaves one that was never needed unmade.
std::atomic<bool> workerMade{false};

DecodeWorker& worker() {
  static DecodeWorker instance;
  workerMade = true;
  return instance;
}

}  // namespace

std::shared_ptr<PixelsInProgress> decodeInBackground(std::string bytes, Size coverBox,
                                                     ColourTarget colours) {
  auto request = std::make_shared<DecodeRequest>(std::move(bytes), coverBox, std::move(colours));
  worker().queue(request);
  return request;
}

bool stopBackgroundDecoding(std::chrono::milliseconds grace) {
  return !workerMade || worker().stop(grace);
}

std::shared_ptr<PixelsInProgress> decodeFileInBackground(std::filesystem::path path, Size coverBox,
                                                         ColourTarget colours) {
  auto request = std::make_shared<DecodeRequest>(std::move(path), coverBox, std::move(colours));
  worker().queue(request);
  return request;
}

}  // namespace brivora
