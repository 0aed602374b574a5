// Ordering the keys of a tag before it is built: by key bytes (unsigned),
// then by position in the list, which is record order when the keys were
// gathered in record order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace engine {

// Sets *order to the positions 0..n-1 of the n keys of `keyLength` bytes
// stored one after the other at `keys`, in key order; equal keys keep their
// positions' order. A radix sort on eight bytes at a time, so that its cost
// does not depend on how the keys are spread or how often their first
// bytes tie.
void cdxSortKeys(const char* keys, size_t keyLength, size_t n, std::vector<uint32_t>* order);

}  // namespace engine
