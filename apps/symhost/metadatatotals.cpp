// The walk over the metamodel resource.
#include "apps/symhost/metadatatotals.h"

#include <stdexcept>

namespace {
using Totals = SMetaTotals;

class MetaWalker {
 public:
  MetaWalker(const std::uint8_t* p, std::size_t n) : m_p(p), m_n(n) {}

  Totals Walk() {
    Totals t;
    Skip(4 + 28 + 1);
    Text();
    Text();
    Skip(16 + 4 + 8);
    for (std::uint32_t i = 0, n = U32(); i < n; ++i) {
      Text();
      Skip(8);
    }
    Skip(16 * static_cast<std::size_t>(U32()));
    for (std::uint32_t c = 0, nc = U32(); c < nc; ++c, ++t.classes) {
      Skip(16 + 1);
      Text();
      Text();
      Skip(4 + 16 + 4 + 4 + 4);
      for (std::uint32_t p = 0, np = U32(); p < np; ++p) {
        Text();
        Skip(16);
      }
      for (std::uint32_t m = 0, nm = U32(); m < nm; ++m) Member(t);
    }
    for (std::uint32_t e = 0, ne = U32(); e < ne; ++e, ++t.enums) {
      Skip(16 + 1);
      Text();
      Skip(4);
      for (std::uint32_t v = 0, nv = U32(); v < nv; ++v, ++t.values) {
        Skip(16);
        Text();
        Skip(4);
      }
    }
    if (m_pos != m_n) throw std::runtime_error("bytes left after the last record");
    return t;
  }

 private:
  void Member(Totals& t) {
    Need(16);
    const unsigned kind = m_p[m_pos] & 0xF;  // the x of {362D41Ex-...}
    Skip(16 + 1);
    Text();
    Text();
    Skip(4 + 4 + 4 + 1);
    for (std::uint32_t e = 0, ne = U32(); e < ne; ++e) {
      Text();
      Skip(4);
      Text();
    }
    if (kind == 7) {
      Skip(4 + 4 + 4);
      Text();
      ++t.attributes;
    } else if (kind == 6) {
      Skip(4);
      const std::uint32_t flags = U32();
      Skip(4 + 1 + 4 + ((flags & 0x80) ? 16 : 0));
      ++t.collections;
    } else if (kind == 8) {
      Skip(4 + 4);
      Text();
      Text();
      for (std::uint32_t p = 0, np = U32(); p < np; ++p, ++t.parameters) {
        Skip(16);
        Text();
        Skip(4 + 1 + 1);
        Text();
        Text();
      }
      ++t.methods;
    } else {
      throw std::runtime_error("unknown member record");
    }
  }
  void Need(std::size_t k) {
    if (m_pos + k > m_n) throw std::runtime_error("resource cut short");
  }
  void Skip(std::size_t k) {
    Need(k);
    m_pos += k;
  }
  std::uint32_t U32() {
    Need(4);
    std::uint32_t v = m_p[m_pos] | (m_p[m_pos + 1] << 8) | (m_p[m_pos + 2] << 16) |
                      (static_cast<std::uint32_t>(m_p[m_pos + 3]) << 24);
    m_pos += 4;
    return v;
  }
  void Text() {
    Need(1);
    Skip(1 + m_p[m_pos]);
  }
  const std::uint8_t* m_p;
  std::size_t m_n;
  std::size_t m_pos = 0;
};
}  // namespace

SMetaTotals SCountMetadata(const std::uint8_t* data, std::size_t size) { return MetaWalker(data, size).Walk(); }
