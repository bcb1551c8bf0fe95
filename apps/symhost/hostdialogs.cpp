// The dialog pictures of the main job.
#include "apps/symhost/hostdialogs.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "apps/symhost/model/modelsheet.h"
#include "kvcore/spropertysheet.h"
#include "sym/dialogs/symdialog.h"
#include "sym/edit/symselection.h"
#include "sym/layout/symautolayoutdlg.h"
#include "sym/render/symexport.h"
#include "sym/symbol/symcoll.h"
#include "win/image.h"

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

// Moves a picture written under its working name into place (when `made`),
// or takes the working file away and tells why not.
bool Publish(bool made, const fs::path& staged, const fs::path& path, const char* what,
             std::vector<SHostExportedFile>& written, std::string& error) {
  std::string why;
  std::error_code ec;
  if (!made || SSymPublishTogether({{staged, path}}, &why) != S_OK) {
    fs::remove(staged, ec);
    error = std::string(what) + " could not be written: " + path.string() + (why.empty() ? "" : ": " + why);
    return false;
  }
  written.push_back({path.string(), fs::file_size(path, ec)});
  return true;
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
  return Publish(shot, staged, path, "the dialog", written, error);
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

// Pictures of one height or more put one under the other on white, apart
// by a gap.
KvImage Stack(const std::vector<KvImage>& panels) {
  constexpr int kGap = 12;
  KvImage out;
  for (const KvImage& p : panels) {
    out.width = std::max(out.width, p.width + 2 * kGap);
    out.height += p.height + kGap;
  }
  out.height += kGap;
  out.px.assign(std::size_t(out.width) * std::size_t(out.height), 0xFFFFFFFFu);
  int y = kGap;
  for (const KvImage& p : panels) {
    for (int row = 0; row < p.height; ++row)
      std::copy_n(p.px.begin() + std::ptrdiff_t(row) * p.width, p.width,
                  out.px.begin() + std::ptrdiff_t(y + row) * out.width + kGap);
    y += p.height + kGap;
  }
  return out;
}

// The "Symbol Format" sheet over three symbols of the host's sample model:
// each of its pages shown in turn, the pictures stacked into one. The
// sheet is cancelled: the model stays as it was.
bool ShootFormatSheet(const fs::path& path, std::vector<SHostExportedFile>& written, std::string& error) {
  SHostDiagram model;
  const std::vector<ISSymbol*> symbols = SBuildModelSheet(model);
  const std::vector<ISSymbol*> chosen(symbols.begin(), symbols.begin() + std::ptrdiff_t(std::min<std::size_t>(3, symbols.size())));
  SSymSelection selection;
  selection.SetDiagram(model.Model()->Diagram());
  for (ISSymbol* s : chosen) selection.Add(s, 0);
  SSymFormat format = SHostCommonFormat(chosen);
  SSymAllowOption allow;
  allow.m_mask = 0x7FF;  // every page this library builds, every editing option
  SSymDialog sheet(&format, &allow, SSymDialog::CaptionId, &selection);
  std::vector<fs::path> staged;
  KvDialogAnswer answer;
  for (int page = 0; page < sheet.GetPageCount(); ++page) {
    staged.push_back(SSymStagingPath(path).string() + "." + std::to_string(page));
    const std::string s = staged.back().string();
    answer.actions.push_back(KvPick(SPropertySheet::TabControlId, page));
    answer.actions.push_back(KvSnapshot(std::u16string(s.begin(), s.end())));
  }
  KvQueueDialogAnswer(answer);
  sheet.DoModal();
  std::vector<KvImage> panels;
  for (const fs::path& p : staged) {
    KvImage image;
    if (KvReadImageFile(p.string(), image)) panels.push_back(std::move(image));
  }
  std::error_code ec;
  for (const fs::path& p : staged) fs::remove(p, ec);
  std::vector<std::uint8_t> bytes;
  const fs::path stagedSheet = SSymStagingPath(path);
  bool ok = !panels.empty() && panels.size() == staged.size() && KvWritePng(Stack(panels), bytes);
  if (ok) {
    std::ofstream out(stagedSheet, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ok = bool(out);
  }
  return Publish(ok, stagedSheet, path, "the format sheet", written, error);
}
}  // namespace

SSymFormat SHostCommonFormat(const std::vector<ISSymbol*>& symbols) {
  SSymCollection all;
  for (ISSymbol* s : symbols) all.Add(s);
  SSymFormat f;
  all.GetPen(f.m_pen);
  f.m_lineStyle = all.GetLineStyle();
  for (int end = 0; end < 3; ++end) f.m_arrows[end] = all.GetArrow(end == 0 ? 4 : end == 1 ? 2 : 8);
  f.m_fill = all.GetFilled();
  all.GetBrush(f.m_brush);
  SSymBrush shadow;
  all.GetShadow(shadow);
  f.m_shadowColor = shadow.m_color;
  f.m_shadowStyle = all.GetShadowStyle();
  f.m_textStyle = all.GetTextStyle();
  all.GetSize(f.m_size);
  all.GetNormalSize(f.m_size2);
  f.m_textFlag = all.GetAutoAdjusted();
  f.m_margins[0] = all.GetKeepAspect();
  f.m_margins[1] = all.GetKeepCenter();
  f.m_margins[2] = all.GetKeepSize();
  return f;
}

bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ShootLayoutDialog(fs::path(folder) / "dialog-layout.png", written, error)) return false;
  if (!ShootFormatSheet(fs::path(folder) / "format-sheet.png", written, error)) return false;
  SPropertyPage line(PageForm(0)), fill(PageForm(1));
  SPropertySheet sheet(SString(u"Symbol Format"));
  sheet.AddPage(&line);
  sheet.AddPage(&fill);
  return Shoot(sheet, {KvPick(SPropertySheet::TabControlId, 1), KvClick(21)}, fs::path(folder) / "dialog-sheet.png",
               written, error);
}
