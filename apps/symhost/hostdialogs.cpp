// The dialog pictures of the main job.
#include "apps/symhost/hostdialogs.h"

#include <filesystem>
#include <system_error>

#include "kvcore/spropertysheet.h"
#include "sym/render/symexport.h"

namespace {
namespace fs = std::filesystem;
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

const SDlgTemplate& LayoutForm() {
  static const SDlgTemplate t{
      0,
      u"Layout",
      u"MS Sans Serif",
      8,
      220,
      120,
      {
          {-1, SDlgItemKind::Static, u"&Placement:", 8, 10, 50, 8, kShown},
          {10, SDlgItemKind::ComboBox, u"", 60, 8, 90, 60, kShown | WS_TABSTOP | CBS_DROPDOWNLIST},
          {11, SDlgItemKind::Button, u"&Selected symbols only", 8, 28, 120, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
          {12, SDlgItemKind::ListBox, u"", 8, 44, 90, 44, kShown | WS_TABSTOP | LBS_NOTIFY},
          {-1, SDlgItemKind::Static, u"&Spacing:", 110, 46, 40, 8, kShown},
          {13, SDlgItemKind::Slider, u"", 110, 58, 100, 14, kShown | WS_TABSTOP},
          {IDOK, SDlgItemKind::Button, u"OK", 110, 100, 50, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 164, 100, 50, 14, kShown | WS_TABSTOP},
      }};
  return t;
}

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

// A dialog filled as a person would have set it.
class LayoutDlg : public SDlg {
 public:
  LayoutDlg() : SDlg(LayoutForm()) {}
  BOOL OnInitDialog() override {
    for (const char16_t* s : {u"Hierarchic", u"Orthogonal", u"Tree"})
      SendDlgItemMessageW(m_hWnd, 10, CB_ADDSTRING, 0, LPARAM(s));
    for (const char16_t* s : {u"Top to bottom", u"Left to right", u"Bottom to top"})
      SendDlgItemMessageW(m_hWnd, 12, LB_ADDSTRING, 0, LPARAM(s));
    SendDlgItemMessageW(m_hWnd, 13, TBM_SETRANGEMAX, TRUE, 10);
    return SDlg::OnInitDialog();
  }
};

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
}  // namespace

bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  LayoutDlg form;
  if (!Shoot(form, {KvPick(10, 1), KvClick(11), KvPick(12, 0), KvSlide(13, 6)}, fs::path(folder) / "dialog-form.png",
             written, error))
    return false;
  SPropertyPage line(PageForm(0)), fill(PageForm(1));
  SPropertySheet sheet(SString(u"Symbol Format"));
  sheet.AddPage(&line);
  sheet.AddPage(&fill);
  return Shoot(sheet, {KvPick(SPropertySheet::TabControlId, 1), KvClick(21)}, fs::path(folder) / "dialog-sheet.png",
               written, error);
}
