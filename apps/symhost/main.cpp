// The sample host: loads the diagram library (linked) and reports what it
// registered: its persistent classes with the repository, and the totals of
// its metamodel resource.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "kvrep/srepregistry.h"
#include "kvrep/sreptypelib.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symmetadata.h"

namespace {
struct Totals {
  unsigned classes = 0, attributes = 0, collections = 0, methods = 0, parameters = 0, enums = 0, values = 0;
};

// Walks the metamodel resource record by record; throws on a short or
// malformed resource, or when bytes are left over.
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

int main(int argc, char** argv) {
  const char* out = "out";
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];
  std::printf("symhost: output folder %s\n", out);

  // The persistent classes the library registered with the repository.
  int registered = 0;
  GUID clsid = MakeGUID("{36083F59-1A49-11D1-83D9-444553540000}");
  for (std::uint32_t first = 0x36083F59; first <= 0x36083F89; ++first) {
    clsid.Data1 = first;
    if (SRepRegistry::Find(clsid)) ++registered;
  }
  std::printf("symhost: persistent classes registered with the repository: %d\n", registered);

  SResourceBytes metadata = SSymGetMetadata();
  if (!metadata) {
    std::fprintf(stderr, "symhost: the library has no METADATA resource\n");
    return 1;
  }
  try {
    Totals t = MetaWalker(metadata.data, metadata.size).Walk();
    std::printf(
        "symhost: METADATA %u bytes: %u classes, %u attributes, %u collections, %u methods, %u parameters, "
        "%u enumerations, %u values\n",
        static_cast<unsigned>(metadata.size), t.classes, t.attributes, t.collections, t.methods, t.parameters,
        t.enums, t.values);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "symhost: unreadable METADATA resource: %s\n", e.what());
    return 1;
  }
  if (ISRepTypeLibManager* manager = GetTypeLibManager()) {
    for (int i = 0; i < manager->GetCount(); ++i)
      if (const SRepTypeLib* lib = manager->GetAt(i))
        std::printf("symhost: type library %s (id %u): %u classes\n", lib->moduleCode.c_str(), lib->id,
                    static_cast<unsigned>(lib->classCount));
  }
  return 0;
}
