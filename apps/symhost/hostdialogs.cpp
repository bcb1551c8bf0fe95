// The dialog pictures of the main job.
#include "apps/symhost/hostdialogs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "apps/symhost/model/modelsheet.h"
#include "kvcore/spropertysheet.h"
#include "sym/layout/symautolayoutdlg.h"
#include "sym/render/symexport.h"

namespace {
namespace fs = std::filesystem;
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

const SDlgTemplate& PageForm(int n) {
  static const SDlgTemplate pages[] = {
      {0, u"Line", u"MS Sans Serif", 8, 200, 80,
       {{-1, SDlgItemKind::Static, u"&Width:", 8, 10, 30, 8, kShown},
        {20, SDlgItemKind::Edit, u"", 40, 8, 40, 12, kShown | WS_TABSTOP | WS_BORDER}}},
      {0, u"Fill", u"MS Sans Serif", 8, 200, 80,
       {{21, SDlgItemKind::Button, u"&Fill color", 8, 8, 80, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
        {22, SDlgItemKind::ColorWell, u"", 8, 22, 80, 50, kShown}}},
  };
  return pages[n];
}

// Saves what a dialog shows at the end of its script under a working name,
// then moves it into place.
bool Shoot(SDlg& dialog, std::vector<KvControlAction> actions, const fs::path& path, std::vector<SHostExportedFile>& written,
           std::string& error) {
  const fs::path staged = SSymStagingPath(path);
  const std::string s = staged.string();
  actions.push_back(KvSnapshot(std::u16string(s.begin(), s.end())));
  KvDialogAnswer answer;
  answer.actions = std::move(actions);
  KvQueueDialogAnswer(answer);
  dialog.DoModal();
  const bool shot = !KvDialogCalls().empty() && !KvDialogCalls().back().actions.empty() &&
                    KvDialogCalls().back().actions.back() == 0;
  std::string why;
  std::error_code ec;
  if (!shot || SSymPublishTogether({{staged, path}}, &why) != S_OK) {
    fs::remove(staged, ec);
    error = "the dialog could not be written: " + path.string() + (why.empty() ? "" : ": " + why);
    return false;
  }
  written.push_back({path.string(), fs::file_size(path, ec)});
  return true;
}

// The layout dialog over the host's sample model with a few of its symbols
// selected, the circular style picked: its placement label reads "Shape :".
bool ShootLayoutDialog(const fs::path& path, std::vector<SHostExportedFile>& written, std::string& error) {
  SHostDiagram model;
  const std::vector<ISSymbol*> symbols = SBuildModelSheet(model);
  ISSymDiagram* diagram = model.Model()->Diagram();
  const SSymAutoLayoutDlgCtrlSetting setting(diagram, 0, LONG(std::min<std::size_t>(3, symbols.size())), 0);
  SSymAutoLayoutDlg dialog(int(SSymAutoLayoutDlg::TemplateId), setting);
  // The circular style's icon, where the diagram's kind of layout lists it.
  std::vector<KvControlAction> actions;
  SList<SSymAutoLayoutStyle::Style> styles;
  dialog.GetCtrl().GetAvailableStyles(styles);
  int index = 0;
  for (SSymAutoLayoutStyle::Style s : styles) {
    if (s == SSymAutoLayoutStyle::Circular) actions.push_back(KvPick(SSymAutoLayoutDlg::StylesId, index));
    ++index;
  }
  return Shoot(dialog, std::move(actions), path, written, error);
}
}  // namespace

bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ShootLayoutDialog(fs::path(folder) / "dialog-layout.png", written, error)) return false;
  SPropertyPage line(PageForm(0)), fill(PageForm(1));
  SPropertySheet sheet(SString(u"Symbol Format"));
  sheet.AddPage(&line);
  sheet.AddPage(&fill);
  return Shoot(sheet, {KvPick(SPropertySheet::TabControlId, 1), KvClick(21)}, fs::path(folder) / "dialog-sheet.png",
               written, error);
}
