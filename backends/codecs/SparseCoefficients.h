#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace brivora {

// The whole-image coefficient buffers libjpeg keeps for a progressive (or otherwise
// multi-scan) JPEG, held packed when they are large: each block as a mask of its non-zero
// coefficients and their values, unpacked only for the few rows libjpeg works on at a time.
// libjpeg's own buffers hold every coefficient of the full-size picture, however small it is
// decoded: 55 MB for a 3840×2400 picture, 13 MB packed. Packing makes decoding such a file
// about half again slower. Install before jpeg_start_decompress; it must outlive the
// decompression object's use.
class SparseCoefficients {
 public:
  // Buffers up to this size stay whole, as libjpeg keeps them: packing costs time, and saves
  // memory worth it only for large pictures.
  static constexpr std::size_t wholeBufferBytes = std::size_t{32} << 20;

  // Makes `info` ask this store for its coefficient buffers, packing them when together they
  // would take more than `wholeBytes`; `info.client_data` points here.
  void install(jpeg_decompress_struct& info, std::size_t wholeBytes = wholeBufferBytes);

  // Bytes the packed blocks take now.
  std::size_t packedBytes() const;

  // One buffer: a row of blocks packed per block row, and the rows libjpeg works on unpacked.
  struct Array {
    JDIMENSION blocksPerRow = 0;
    JDIMENSION rows = 0;
    JDIMENSION window = 0;  // rows unpacked at once
    std::vector<std::vector<std::uint8_t>> packed;
    std::vector<JCOEF> unpacked;  // the window's blocks, row after row
    std::vector<JBLOCKROW> rowPointers;
    JDIMENSION windowStart = 0;
    JDIMENSION windowRows = 0;  // rows from windowStart unpacked now
    bool dirty = false;
  };

 private:
  static jvirt_barray_ptr request(j_common_ptr info, int pool, boolean preZero,
                                  JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION window);
  static void realize(j_common_ptr info);
  static JBLOCKARRAY access(j_common_ptr info, jvirt_barray_ptr array, JDIMENSION start,
                            JDIMENSION count, boolean writable);

  std::vector<std::unique_ptr<Array>> arrays_;
  void (*realizeOthers_)(j_common_ptr) = nullptr;
  std::size_t wholeBytes_ = wholeBufferBytes;
};

}  // namespace brivora
