// The sample host: builds the sample model and the reference sheets with the
// diagram library and writes each as pictures into the output folder, one
// line per file written, and a last line that says where they are and which
// to open first.
//
//   symhost [--out <folder>] [--verbose] [--help]
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "apps/symhost/arrowheadsheet.h"
#include "apps/symhost/compartmentsheet.h"
#include "apps/symhost/dialogsheet.h"
#include "apps/symhost/hostdialogs.h"
#include "apps/symhost/hostexport.h"
#include "apps/symhost/hostprint.h"
#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/layoutsheet.h"
#include "apps/symhost/sessionsheet.h"
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
#include "sym/edit/symviewedit.h"
#include "sym/foundation/symmetadata.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "win/winmsgbox.h"

namespace {

constexpr const char* kUsage = "usage: symhost [--out <folder>] [--verbose] [--help]\n";

void Help() {
  std::printf(
      "%s"
      "Draws the sample model and the reference sheets with the diagram library and writes each\n"
      "as SVG, PNG, EMF and PDF files (the model also as a window paints it, as printed, laid\n"
      "out automatically and edited in an editing window, step by step).\n"
      "\n"
      "  --out <folder>  where the files go (default: out; made when missing)\n"
      "  --verbose       also print what the library registered: its persistent classes and\n"
      "                  the totals of its metamodel\n"
      "  -h, --help      print this help and exit\n"
      "\n"
      "Exit status: 0 when every file was written, 1 when something failed, 2 for a bad command line.\n",
      kUsage);
}

int Usage(const std::string& why) {
  std::fprintf(stderr, "symhost: %s\n%s", why.c_str(), kUsage);
  return 2;
}

// What the library registered, printed when `verbose`; false (with a
// message) when its metamodel resource is missing or unreadable.
bool CheckLibrary(bool verbose) {
  if (verbose) {
    int registered = 0;
    GUID clsid = MakeGUID("{36083F59-1A49-11D1-83D9-444553540000}");
    for (std::uint32_t first = 0x36083F59; first <= 0x36083F89; ++first) {
      clsid.Data1 = first;
      if (SRepRegistry::Find(clsid)) ++registered;
    }
    std::printf("symhost: persistent classes registered with the repository: %d\n", registered);
  }
  SResourceBytes metadata = SSymGetMetadata();
  if (!metadata) {
    std::fprintf(stderr, "symhost: the library has no METADATA resource\n");
    return false;
  }
  try {
    const SMetaTotals t = SCountMetadata(metadata.data, metadata.size);
    if (verbose)
      std::printf(
          "symhost: METADATA %u bytes: %u classes, %u attributes, %u collections, %u methods, %u parameters, "
          "%u enumerations, %u values\n",
          static_cast<unsigned>(metadata.size), t.classes, t.attributes, t.collections, t.methods, t.parameters,
          t.enums, t.values);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "symhost: unreadable METADATA resource: %s\n", e.what());
    return false;
  }
  if (ISRepTypeLibManager* manager = verbose ? GetTypeLibManager() : nullptr) {
    for (int i = 0; i < manager->GetCount(); ++i)
      if (const SRepTypeLib* lib = manager->GetAt(i))
        std::printf("symhost: type library %s (id %u): %u classes\n", lib->moduleCode.c_str(), lib->id,
                    static_cast<unsigned>(lib->classCount));
  }
  return true;
}

// The steps of the run. Each writes its files into the run's working
// folder (the stage) and names them; a step that fails is counted and the
// others still run, so that every failure is reported. The files are
// published into the output folder together, and only when every step
// succeeded: a run is all or nothing.
class Run {
 public:
  explicit Run(SHostStage& stage) : m_stage(stage) {}

  // Runs one writer, `write(folder, written, error)`, which writes its files
  // into `folder` (the stage), fills `written` with them (and only those)
  // and answers true, or answers false with its reason in `error` (or
  // printed itself).
  template <class Write>
  void Step(Write&& write) {
    std::vector<SHostExportedFile> written;
    std::string error;
    const bool ok = write(m_stage.Path(), written, error);
    m_staged.insert(m_staged.end(), written.begin(), written.end());
    if (!ok) {
      if (!error.empty()) std::fprintf(stderr, "symhost: %s\n", error.c_str());
      ++m_failed;
    }
  }
  int Failed() const { return m_failed; }

  // Moves every file into the output folder, one line per file (and per
  // picture folder taken away); false with the reason printed when they
  // could not all go in.
  bool Publish() {
    std::string error;
    if (m_stage.Publish(m_staged, m_published, m_removed, error) != S_OK) {
      std::fprintf(stderr, "symhost: %s\n", error.c_str());
      return false;
    }
    for (const SHostExportedFile& f : m_published) {
      std::error_code ec;
      const bool folder = std::filesystem::is_directory(f.path, ec);
      std::printf("symhost: wrote %s%s (%ju bytes%s%s)\n", f.path.c_str(), folder ? "/" : "", f.size,
                  folder ? ", the pictures its SVG links" : "", f.replaced ? ", replacing the earlier one" : "");
    }
    for (const std::string& r : m_removed)
      std::printf("symhost: removed %s/ (its SVG document links no pictures now)\n", r.c_str());
    std::fflush(stdout);
    return true;
  }
  int Files() const { return static_cast<int>(m_published.size()); }
  // What the published files replaced, by name, and the folders removed:
  // "none of the earlier files" when the folder held none of them.
  std::string Replaced() const {
    std::string names;
    int count = 0;
    for (const SHostExportedFile& f : m_published)
      if (f.replaced) {
        names += (count++ ? ", " : "") + std::filesystem::path(f.path).filename().string();
      }
    for (const std::string& r : m_removed) {
      names += (count++ ? ", " : "") + std::filesystem::path(r).filename().string() + "/ (removed)";
    }
    if (count == 0) return "none of the earlier files";
    return std::to_string(count) + " earlier file" + (count == 1 ? "" : "s") + ": " + names;
  }

 private:
  SHostStage& m_stage;
  std::vector<SHostExportedFile> m_staged, m_published;
  std::vector<std::string> m_removed;
  int m_failed = 0;
};

// The output folder, made when missing; false with the reason when it cannot
// be used, before anything is drawn.
bool PrepareFolder(const std::string& out) {
  std::error_code ec;
  if (std::filesystem::exists(out, ec) && !std::filesystem::is_directory(out, ec)) {
    std::fprintf(stderr, "symhost: The output folder is a file: %s; nothing was written\n", out.c_str());
    return false;
  }
  std::filesystem::create_directories(out, ec);
  if (ec) {
    std::fprintf(stderr, "symhost: the output folder %s cannot be made (%s); nothing was written\n", out.c_str(),
                 ec.message().c_str());
    return false;
  }
  return true;
}

// Error boxes the library showed (echoed on standard error): a picture drawn
// while one was shown may lack what the library could not do.
std::size_t LibraryErrors() {
  constexpr UINT kIconBits = 0xF0;  // the icon of a box's type
  std::size_t n = 0;
  for (const KvMessageBoxEntry& e : KvMessageBoxLog())
    if ((e.type & kIconBits) == MB_ICONERROR) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "out";
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return Usage("--out needs a folder");
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      Help();
      return 0;
    } else {
      return Usage(std::string("unknown argument: ") + argv[i]);
    }
  }
  if (!CheckLibrary(verbose) || !PrepareFolder(out)) return 1;

  SHostStage stage;
  std::string stageError;
  if (!stage.Open(out, stageError)) {
    std::fprintf(stderr, "symhost: %s\n", stageError.c_str());
    return 1;
  }
  Run run(stage);
  using Files = std::vector<SHostExportedFile>;
  // The four exported files of a diagram.
  auto exportAs = [](const SHostDiagram& d, const char* base) {
    return [&d, base](const std::string& folder, Files& written, std::string& error) {
      return SUCCEEDED(SHostExportDiagram(d, folder, base, written, error)) && error.empty();
    };
  };
  // The picture of the host's sample model: exported, painted by a window, printed.
  SHostDiagram model;
  SBuildModelSheet(model);
  run.Step(exportAs(model, "model"));
  run.Step([&](const std::string& f, Files& w, std::string& e) { return SHostWriteViewPng(model, f, "model-view", w, e); });
  run.Step([&](const std::string& f, Files& w, std::string& e) { return SHostPrintDiagram(model, f, "model-print", w, e); });
  // The model in editing windows: a few symbols selected, and a row of an entity's grid.
  run.Step([&](const std::string& f, Files& w, std::string& e) { return SHostWriteModelEditPng(model, f, "model-edit", w, e); });
  // The same model laid out automatically, a panel per layout style.
  run.Step([&](const std::string& f, Files& w, std::string& e) { return SHostWriteLayoutSheet(f, "layout", w, e); });
  // An editing session over the model, the window after each step.
  run.Step([](const std::string& f, Files& w, std::string& e) { return SHostWriteSessionSheet(f, "session", w, e); });
  // The sample sheet of every style and symbol kind.
  SHostDiagram diagram;
  const std::vector<ISSymbol*> symbols = SBuildSampleSheet(diagram);
  if (verbose) std::printf("symhost: sample diagram of %zu symbols\n", symbols.size());
  run.Step(exportAs(diagram, "diagram"));
  run.Step([&](const std::string& f, Files& w, std::string& e) { return SHostWriteViewPng(diagram, f, "diagram-view", w, e); });
  // The reference sheets: every predefined shape, every arrowhead, compartments.
  SHostDiagram shapes;
  SBuildShapeSheet(shapes);
  run.Step(exportAs(shapes, "shapes"));
  run.Step([](const std::string& f, Files& w, std::string&) { return SHostWriteArrowheadSheet(f, w); });
  run.Step([](const std::string& f, Files& w, std::string&) { return SHostWriteCompartmentSheet(f, w); });
  // What the dialog layer shows: a dialog and a property sheet.
  run.Step([](const std::string& f, Files& w, std::string& e) { return SHostWriteDialogPictures(f, w, e); });
  // The dialogs a person meets, one sheet of titled panels.
  run.Step([](const std::string& f, Files& w, std::string& e) { return SHostWriteDialogSheet(f, w, e); });

  const std::string folder = out + (out.back() == '/' ? "" : "/");
  if (run.Failed() > 0) {
    std::fprintf(stderr,
                 "symhost: %d of the steps failed (above): nothing was written, the files in %s are as they were\n",
                 run.Failed(), folder.c_str());
    return 1;
  }
  if (!run.Publish()) return 1;
  if (const std::size_t errors = LibraryErrors()) {
    std::fprintf(stderr,
                 "symhost: the library reported %zu error%s while drawing (above): the %d files written in %s "
                 "(replacing %s) may lack what it could not do\n",
                 errors, errors == 1 ? "" : "s", run.Files(), folder.c_str(), run.Replaced().c_str());
    return 1;
  }
  std::printf("symhost: %d files in %s, replacing %s: open %smodel.png first (the sample model; model.svg in a "
              "browser)\n",
              run.Files(), folder.c_str(), run.Replaced().c_str(), folder.c_str());
  return 0;
}
