#include "backends/codecs/SparseCoefficients.h"

#include <jerror.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

namespace brivora {

namespace {

constexpr int coefficientsPerBlock = DCTSIZE2;

SparseCoefficients& storeOf(j_common_ptr info) {
  return *static_cast<SparseCoefficients*>(info->client_data);
}

// A block as the mask of its non-zero AC coefficients (bit k for coefficient k; bit 0 says
// they are held in 16 bits, not 8), its DC coefficient, then those AC coefficients in order:
// in a photo most are zero and the rest small.
void packBlock(const JBLOCK& block, std::vector<std::uint8_t>& out) {
  std::uint64_t mask = 0;
  JCOEF values[coefficientsPerBlock];
  int count = 0;
  bool wide = false;
  for (int k = 1; k < coefficientsPerBlock; ++k) {
    const JCOEF value = block[k];
    values[count] = value;
    const bool nonZero = value != 0;
    mask |= static_cast<std::uint64_t>(nonZero) << k;
    count += nonZero;
    wide |= value < INT8_MIN || value > INT8_MAX;
  }
  mask |= static_cast<std::uint64_t>(wide);
  const std::size_t valueBytes = wide ? sizeof(JCOEF) : 1;
  const std::size_t at = out.size();
  out.resize(at + sizeof mask + sizeof(JCOEF) + static_cast<std::size_t>(count) * valueBytes);
  std::uint8_t* to = out.data() + at;
  std::memcpy(to, &mask, sizeof mask);
  std::memcpy(to + sizeof mask, &block[0], sizeof(JCOEF));
  to += sizeof mask + sizeof(JCOEF);
  if (wide) {
    std::memcpy(to, values, static_cast<std::size_t>(count) * sizeof(JCOEF));
  } else {
    for (int at8 = 0; at8 < count; ++at8) to[at8] = static_cast<std::uint8_t>(values[at8]);
  }
}

// Unpacks one block from `in`; gives where the next one starts.
const std::uint8_t* unpackBlock(const std::uint8_t* in, JBLOCK& block) {
  std::uint64_t mask = 0;
  std::memcpy(&mask, in, sizeof mask);
  std::memset(block, 0, sizeof(JBLOCK));
  std::memcpy(&block[0], in + sizeof mask, sizeof(JCOEF));
  in += sizeof mask + sizeof(JCOEF);
  const bool wide = (mask & 1) != 0;
  mask &= ~std::uint64_t{1};
  while (mask != 0) {
    const int k = std::countr_zero(mask);
    if (wide) {
      std::memcpy(&block[k], in, sizeof(JCOEF));
      in += sizeof(JCOEF);
    } else {
      block[k] = static_cast<std::int8_t>(*in++);
    }
    mask &= mask - 1;
  }
  return in;
}

void packWindow(SparseCoefficients::Array& array) {
  if (!array.dirty) return;
  for (JDIMENSION row = 0; row < array.windowRows; ++row) {
    std::vector<std::uint8_t>& packed = array.packed[array.windowStart + row];
    packed.clear();
    const JBLOCKROW blocks = array.rowPointers[row];
    for (JDIMENSION block = 0; block < array.blocksPerRow; ++block) {
      packBlock(blocks[block], packed);
    }
  }
  array.dirty = false;
}

void unpackWindow(SparseCoefficients::Array& array, JDIMENSION start) {
  array.windowStart = start;
  array.windowRows = std::min(array.window, array.rows - start);
  for (JDIMENSION row = 0; row < array.windowRows; ++row) {
    const std::vector<std::uint8_t>& packed = array.packed[start + row];
    const JBLOCKROW blocks = array.rowPointers[row];
    if (packed.empty()) {
      // Never written: pre-zeroed, as libjpeg's progressive decoding needs.
      std::memset(blocks, 0, sizeof(JBLOCK) * array.blocksPerRow);
      continue;
    }
    const std::uint8_t* in = packed.data();
    for (JDIMENSION block = 0; block < array.blocksPerRow; ++block) {
      in = unpackBlock(in, blocks[block]);
    }
  }
}

}  // namespace

void SparseCoefficients::install(jpeg_decompress_struct& info, std::size_t wholeBytes) {
  info.client_data = this;
  wholeBytes_ = wholeBytes;
  realizeOthers_ = info.mem->realize_virt_arrays;
  info.mem->request_virt_barray = request;
  info.mem->realize_virt_arrays = realize;
  info.mem->access_virt_barray = access;
}

std::size_t SparseCoefficients::packedBytes() const {
  std::size_t bytes = 0;
  for (const auto& array : arrays_) {
    for (const auto& row : array->packed) bytes += row.capacity();
  }
  return bytes;
}

// libjpeg calls these three through its memory manager's table. They must not throw through
// it: a failure to get memory is reported the way libjpeg reports it, once nothing in the frame
// needs destroying.
jvirt_barray_ptr SparseCoefficients::request(j_common_ptr info, int, boolean,
                                             JDIMENSION blocksPerRow, JDIMENSION rows,
                                             JDIMENSION window) {
  bool failed = false;
  Array* made = nullptr;
  try {
    auto array = std::make_unique<Array>();
    array->blocksPerRow = blocksPerRow;
    array->rows = rows;
    array->window = std::min(window, rows);
    made = array.get();
    storeOf(info).arrays_.push_back(std::move(array));
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ERREXIT(info, JERR_OUT_OF_MEMORY);
  return reinterpret_cast<jvirt_barray_ptr>(made);
}

void SparseCoefficients::realize(j_common_ptr info) {
  SparseCoefficients& store = storeOf(info);
  if (store.realizeOthers_) store.realizeOthers_(info);
  std::size_t wholeBytes = 0;
  for (const auto& array : store.arrays_) {
    wholeBytes += sizeof(JBLOCK) * array->blocksPerRow * array->rows;
  }
  bool failed = false;
  try {
    for (const auto& array : store.arrays_) {
      // Unpacked all at once, the buffers are never packed: libjpeg's own way.
      if (wholeBytes <= store.wholeBytes_) array->window = array->rows;
      if (!array->unpacked.empty() || array->rows == 0) continue;
      array->packed.resize(array->rows);
      array->unpacked.resize(static_cast<std::size_t>(array->window) * array->blocksPerRow *
                             coefficientsPerBlock);
      array->rowPointers.resize(array->window);
      for (JDIMENSION row = 0; row < array->window; ++row) {
        array->rowPointers[row] = reinterpret_cast<JBLOCKROW>(
            array->unpacked.data() +
            static_cast<std::size_t>(row) * array->blocksPerRow * coefficientsPerBlock);
      }
    }
  } catch (const std::bad_alloc&) {
    failed = true;
  }
  if (failed) ERREXIT(info, JERR_OUT_OF_MEMORY);
}

JBLOCKARRAY SparseCoefficients::access(j_common_ptr info, jvirt_barray_ptr handle, JDIMENSION start,
                                       JDIMENSION count, boolean writable) {
  Array& array = *reinterpret_cast<Array*>(handle);
  if (count > array.window || start > array.rows || count > array.rows - start ||
      array.rowPointers.empty()) {
    ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
  }
  bool failed = false;
  if (array.windowRows == 0 || start < array.windowStart ||
      start + count > array.windowStart + array.windowRows) {
    try {
      packWindow(array);
      unpackWindow(array, start);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
  }
  if (failed) ERREXIT(info, JERR_OUT_OF_MEMORY);
  if (writable) array.dirty = true;
  return array.rowPointers.data() + (start - array.windowStart);
}

}  // namespace brivora
