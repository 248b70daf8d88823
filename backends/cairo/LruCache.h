#pragma once

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>
#include <utility>

namespace brivora {

// `seed` with `value` mixed in, for hashing keys of several fields.
inline std::size_t combineHash(std::size_t seed, std::size_t value) {
  return seed ^ (value + 0x9e3779b97f4a7c15u + (seed << 6) + (seed >> 2));
}

// A map that keeps its most recently used entries within a budget. Each entry has a cost;
// storing one evicts the least recently used others until the costs fit. Values stay at
// their address until evicted or cleared.
template <typename Key, typename Value, typename Hash = std::hash<Key>>
class LruCache {
 public:
  explicit LruCache(std::size_t budget) : budget_(budget) {}

  // The value under `key`, now the most recently used; null when there is none.
  Value* find(const Key& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->value;
  }

  // Stores `value` under `key`, which must be absent, as the most recently used entry and
  // evicts the least recently used others past the budget. A value costing more than the
  // whole budget is not kept: null.
  Value* insert(const Key& key, Value value, std::size_t cost) {
    if (cost > budget_) return nullptr;
    while (!entries_.empty() && cost_ + cost > budget_) evictLeastRecentlyUsed();
    entries_.push_front(Entry{key, std::move(value), cost});
    index_.emplace(key, entries_.begin());
    cost_ += cost;
    return &entries_.front().value;
  }

  void clear() {
    index_.clear();
    entries_.clear();
    cost_ = 0;
  }

  std::size_t size() const { return entries_.size(); }

  // The summed cost of the entries kept, never above the budget.
  std::size_t cost() const { return cost_; }

 private:
  struct Entry {
    Key key;
    Value value;
    std::size_t cost;
  };

  void evictLeastRecentlyUsed() {
    const Entry& oldest = entries_.back();
    cost_ -= oldest.cost;
    index_.erase(oldest.key);
    entries_.pop_back();
  }

  std::size_t budget_;
  std::size_t cost_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<Key, typename std::list<Entry>::iterator, Hash> index_;
};

}  // namespace brivora
