// The totals of the library's metamodel resource, counted by walking its
// records.
#pragma once

#include <cstddef>
#include <cstdint>

struct SMetaTotals {
  unsigned classes = 0, attributes = 0, collections = 0, methods = 0, parameters = 0, enums = 0, values = 0;
};

// Walks the resource record by record; throws std::runtime_error on a short
// or malformed resource, or when bytes are left over.
SMetaTotals SCountMetadata(const std::uint8_t* data, std::size_t size);
