#include "apps/symhost/hostprint.h"

#include <filesystem>
#include <system_error>

#include "kvcore/sinteraction.h"
#include "win/winspool.h"

namespace fs = std::filesystem;

bool SHostPrintDiagram(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error) {
  SHostModelDiagram* model = diagram.Model();
  if (!model) {
    error = "no model diagram to print";
    return false;
  }
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path target = fs::path(folder) / (base + ".pdf");
  // The printer writes its documents into the print folder under names of
  // its own; the document is then kept under the name the host gives it.
  const std::string before = KvGetPrintFolder();
  KvSetPrintFolder(folder);
  HRESULT hr;
  {
    SetInteractionMode unattended(SInteractionUnattended);
    hr = model->Print();
  }
  const fs::path printed = KvLastPrintFile();
  KvSetPrintFolder(before);
  if (hr != S_OK) {
    error = "the model diagram did not print (" + std::to_string(static_cast<long>(hr)) + ")";
    return false;
  }
  fs::rename(printed, target, ec);
  if (ec) {
    fs::remove(printed, ec);
    error = "the printed model diagram could not be kept as " + target.string();
    return false;
  }
  written.push_back(SHostExportedFile{target.string(), fs::file_size(target, ec)});
  return true;
}
