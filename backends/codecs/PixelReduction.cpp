#include "backends/codecs/PixelReduction.h"

#include <algorithm>
#include <cassert>

namespace brivora {

namespace {

constexpr int channelCount = 4;

std::uint32_t channel(std::uint32_t word, int index) {
  return (word >> (8 * index)) & 0xFF;
}

}  // namespace

// Source index i spans [i·t, (i+1)·t) and output index j spans [j·s, (j+1)·s) on a common
// axis of length s·t; as t <= s a source index touches at most two outputs.
std::vector<AreaReducer::Share> AreaReducer::shares(int sourceCount, int targetCount) {
  const auto s = static_cast<std::uint64_t>(sourceCount);
  const auto t = static_cast<std::uint64_t>(targetCount);
  std::vector<Share> result(static_cast<std::size_t>(sourceCount));
  for (std::uint64_t i = 0; i < s; ++i) {
    const std::uint64_t start = i * t;
    const std::uint64_t first = start / s;
    const std::uint64_t boundary = (first + 1) * s;
    const std::uint64_t weight = std::min(boundary, start + t) - start;
    result[i] = {static_cast<int>(first), static_cast<std::uint32_t>(weight)};
  }
  return result;
}

AreaReducer::AreaReducer(PixelSize source, PixelSize target)
    : source_(source),
      target_(target),
      columnShares_(shares(source.width, target.width)),
      rowShares_(shares(source.height, target.height)),
      pixelWeight_(static_cast<std::uint64_t>(source.width) *
                   static_cast<std::uint64_t>(source.height)) {
  assert(target.width >= 1 && target.height >= 1);
  assert(target.width <= source.width && target.height <= source.height);
  // One spare output column takes the empty second share of the last source column.
  const std::size_t accumulatorSize = (static_cast<std::size_t>(target.width) + 1) * channelCount;
  rowSums_.resize(accumulatorSize);
  current_.resize(accumulatorSize);
  next_.resize(accumulatorSize);
  output_.width = target.width;
  output_.height = target.height;
  output_.argb.reserve(static_cast<std::size_t>(target.area()));
}

void AreaReducer::addRow(std::span<const std::uint32_t> row) {
  if (rowsTaken_ >= source_.height || row.size() < static_cast<std::size_t>(source_.width)) return;
  const Share rowShare = rowShares_[static_cast<std::size_t>(rowsTaken_)];
  ++rowsTaken_;
  if (source_ == target_) {  // nothing to average: the row is an output row
    output_.argb.insert(output_.argb.end(), row.begin(), row.begin() + source_.width);
    ++outputRow_;
    return;
  }
  if (rowShare.first != outputRow_) emitRow();

  const auto columnWeight = static_cast<std::uint64_t>(target_.width);
  std::fill(rowSums_.begin(), rowSums_.end(), 0);
  for (std::size_t x = 0; x < columnShares_.size(); ++x) {
    const Share share = columnShares_[x];
    const std::uint64_t firstWeight = share.firstWeight;
    const std::uint64_t secondWeight = columnWeight - firstWeight;
    std::uint64_t* firstSum = &rowSums_[static_cast<std::size_t>(share.first) * channelCount];
    for (int c = 0; c < channelCount; ++c) {
      const std::uint64_t value = channel(row[x], c);
      firstSum[c] += value * firstWeight;
      firstSum[c + channelCount] += value * secondWeight;
    }
  }

  const std::uint64_t firstWeight = rowShare.firstWeight;
  const std::uint64_t secondWeight = static_cast<std::uint64_t>(target_.height) - firstWeight;
  for (std::size_t i = 0; i < rowSums_.size(); ++i) {
    current_[i] += rowSums_[i] * firstWeight;
    next_[i] += rowSums_[i] * secondWeight;
  }
}

void AreaReducer::emitRow() {
  if (outputRow_ >= target_.height) return;
  if (source_ == target_) {
    output_.argb.resize(output_.argb.size() + static_cast<std::size_t>(target_.width));
    ++outputRow_;
    return;
  }
  const std::uint64_t half = pixelWeight_ / 2;
  // Division by the pixel weight through its reciprocal, a step right where the rounding of
  // the product lands on the wrong side of a whole number: the same quotients, several times
  // faster than dividing.
  const double reciprocal = 1.0 / static_cast<double>(pixelWeight_);
  const auto divide = [&](std::uint64_t value) {
    auto quotient = static_cast<std::uint64_t>(static_cast<double>(value) * reciprocal);
    if (quotient * pixelWeight_ > value) {
      --quotient;
    } else if ((quotient + 1) * pixelWeight_ <= value) {
      ++quotient;
    }
    return static_cast<std::uint32_t>(quotient);
  };
  for (int x = 0; x < target_.width; ++x) {
    const std::uint64_t* sums = &current_[static_cast<std::size_t>(x) * channelCount];
    std::uint32_t word = 0;
    for (int c = 0; c < channelCount; ++c) word |= divide(sums[c] + half) << (8 * c);
    output_.argb.push_back(word);
  }
  ++outputRow_;
  current_.swap(next_);
  std::fill(next_.begin(), next_.end(), 0);
}

ImagePixels AreaReducer::finish() {
  while (outputRow_ < target_.height) emitRow();
  return std::move(output_);
}

}  // namespace brivora
