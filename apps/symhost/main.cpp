// The sample host: loads the diagram library (linked), reports what it
// registered (its persistent classes with the repository, and the totals of
// its metamodel resource), then builds the sample diagram and writes it as
// SVG, PNG, EMF and PDF files into the output folder.
//
//   symhost [--out <folder>]     (the folder defaults to "out")
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/symhost/arrowheadsheet.h"
#include "apps/symhost/compartmentsheet.h"
#include "apps/symhost/hostexport.h"
#include "apps/symhost/hostprint.h"
#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/metadatatotals.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "apps/symhost/samplefreetexts.h"
#include "apps/symhost/samplelines.h"
#include "apps/symhost/samplelinks.h"
#include "apps/symhost/samplepictures.h"
#include "kvrep/srepregistry.h"
#include "kvrep/sreptypelib.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symmetadata.h"

namespace {

int Usage(const char* why) {
  if (why) std::fprintf(stderr, "symhost: %s\n", why);
  std::fprintf(stderr, "usage: symhost [--out <folder>]\n");
  return 2;
}

// What the library registered; false when its metamodel resource is missing
// or unreadable.
bool ReportLibrary() {
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
    return false;
  }
  try {
    const SMetaTotals t = SCountMetadata(metadata.data, metadata.size);
    std::printf(
        "symhost: METADATA %u bytes: %u classes, %u attributes, %u collections, %u methods, %u parameters, "
        "%u enumerations, %u values\n",
        static_cast<unsigned>(metadata.size), t.classes, t.attributes, t.collections, t.methods, t.parameters,
        t.enums, t.values);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "symhost: unreadable METADATA resource: %s\n", e.what());
    return false;
  }
  if (ISRepTypeLibManager* manager = GetTypeLibManager()) {
    for (int i = 0; i < manager->GetCount(); ++i)
      if (const SRepTypeLib* lib = manager->GetAt(i))
        std::printf("symhost: type library %s (id %u): %u classes\n", lib->moduleCode.c_str(), lib->id,
                    static_cast<unsigned>(lib->classCount));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "out";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return Usage("--out needs a folder");
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      return Usage(nullptr), 0;
    } else {
      return Usage((std::string("unknown argument: ") + argv[i]).c_str());
    }
  }
  std::printf("symhost: output folder %s\n", out.c_str());
  if (!ReportLibrary()) return 1;

  std::vector<SHostExportedFile> written;
  std::string error;
  // The picture of the host's sample model.
  SHostDiagram model;
  SBuildModelSheet(model);
  if (FAILED(SHostExportDiagram(model, out, "model", written, error)) || !error.empty()) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  if (!SHostWriteViewPng(model, out, "model-view", written, error)) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  if (!SHostPrintDiagram(model, out, "model-print", written, error)) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  SHostDiagram diagram;
  const std::vector<ISSymbol*> symbols = SBuildSampleSheet(diagram);
  std::printf("symhost: sample diagram of %zu symbols\n", symbols.size());
  // Each export answers the files it wrote (and only those).
  std::vector<SHostExportedFile> sample;
  if (FAILED(SHostExportDiagram(diagram, out, "diagram", sample, error)) || !error.empty()) {
    // The message says what failed and what became of the folder.
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  if (!SHostWriteViewPng(diagram, out, "diagram-view", sample, error)) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  written.insert(written.end(), sample.begin(), sample.end());
  // The reference sheet of every predefined shape, as its own files.
  SHostDiagram shapes;
  SBuildShapeSheet(shapes);
  std::vector<SHostExportedFile> sheet;
  if (FAILED(SHostExportDiagram(shapes, out, "shapes", sheet, error)) || !error.empty()) {
    std::fprintf(stderr, "symhost: %s\n", error.c_str());
    return 1;
  }
  written.insert(written.end(), sheet.begin(), sheet.end());
  if (!SHostWriteArrowheadSheet(out, written)) return 1;
  if (!SHostWriteCompartmentSheet(out, written)) return 1;
  for (const SHostExportedFile& f : written)
    std::printf("symhost: wrote %s (%ju bytes)\n", f.path.c_str(), f.size);
  return 0;
}
