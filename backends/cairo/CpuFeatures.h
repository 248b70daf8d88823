#pragma once

namespace brivora {

// Whether the AVX2 paths may run: the processor has AVX2 and no `ScalarPathsOnly` is alive.
// Without them every drawing call goes through Cairo and pixman, as on older processors.
bool vectorPathsEnabled();

// Turns the AVX2 paths off for its lifetime, so tests can check the fallback on any machine.
// Make one only while nothing draws on another thread.
class ScalarPathsOnly {
 public:
  ScalarPathsOnly();
  ~ScalarPathsOnly();
  ScalarPathsOnly(const ScalarPathsOnly&) = delete;
  ScalarPathsOnly& operator=(const ScalarPathsOnly&) = delete;

 private:
  bool previous_;
};

}  // namespace brivora
