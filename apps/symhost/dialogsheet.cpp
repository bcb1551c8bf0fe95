// The dialog sheet of the main job.
#include "apps/symhost/dialogsheet.h"

#include "apps/symhost/dialogpanels_format.h"
#include "apps/symhost/dialogpanels_print.h"
#include "apps/symhost/dialogpanels_text.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "apps/symhost/samplediagram.h"
#include "kvcore/scomwrap.h"
#include "sym/dialogs/symdispprefdlg.h"
#include "sym/dialogs/symswimgrpdlg.h"
#include "sym/render/symexport.h"
#include "win/image.h"
#include "win/wingdi.h"

namespace {
namespace fs = std::filesystem;
constexpr int kGap = 12;
constexpr int kTitleHeight = 22;

// The display preferences dialog and what it stands on.
struct DispPrefPanel {
  SHostDiagram model;
  SSymDispPrefDlg dialog{model.Model()->Diagram()};
  SSymPrefGeneralPage general{SComWrap<ISRepObject, &IID_ISRepObject>(model.Model()->Diagram()).Get()};
  DispPrefPanel() { dialog.AddPage(&general); }
};

// A strip of the sheet's width with the title on white.
KvImage TitleStrip(const char* title, int width) {
  KvImage strip;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -kTitleHeight;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
    RECT all{0, 0, width, kTitleHeight};
    ::FillRect(dc, &all, reinterpret_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, 0x000000);
    const SString text = SString::FromUtf8(title);
    RECT place{kGap, 0, width - kGap, kTitleHeight};
    ::DrawTextW(dc, text.c_str(), text.GetLength(), &place, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
    ::GdiFlush();
    ::SelectObject(dc, oldFont);
    ::SelectObject(dc, oldBitmap);
    strip.width = width;
    strip.height = kTitleHeight;
    const auto* px = static_cast<const std::uint32_t*>(bits);
    strip.px.assign(px, px + std::size_t(width) * kTitleHeight);
    for (std::uint32_t& p : strip.px) p |= 0xFF000000u;
  }
  if (bitmap) ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);
  return strip;
}

// The pictures one under the other on white, each below its title.
KvImage Compose(const std::vector<const char*>& titles, const std::vector<KvImage>& pictures) {
  KvImage out;
  for (const KvImage& p : pictures) {
    out.width = std::max(out.width, p.width + 2 * kGap);
    out.height += kTitleHeight + p.height + kGap;
  }
  out.height += kGap;
  out.px.assign(std::size_t(out.width) * std::size_t(out.height), 0xFFFFFFFFu);
  auto put = [&out](const KvImage& p, int x, int y) {
    for (int row = 0; row < p.height; ++row)
      std::copy_n(p.px.begin() + std::ptrdiff_t(row) * p.width, p.width,
                  out.px.begin() + std::ptrdiff_t(y + row) * out.width + x);
  };
  int y = 0;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const KvImage title = TitleStrip(titles[i], out.width);
    if (title.width == out.width) put(title, 0, y);
    y += kTitleHeight;
    put(pictures[i], kGap, y);
    y += pictures[i].height + kGap;
  }
  return out;
}

// The picture of one panel's dialog, taken at the end of its actions; the
// dialog is then cancelled.
bool Picture(const SHostDialogPanel& panel, const fs::path& staged, KvImage& out, std::string& error) {
  if (!panel.build && panel.open) {
    std::string why;
    const std::shared_ptr<SHostOpenDialog> open = panel.open(why);
    const std::string s = staged.string();
    std::error_code ec;
    const bool read = open && open->Window() && KvSaveWindowTreePng(open->Window(), s.c_str()) && KvReadImageFile(s, out);
    fs::remove(staged, ec);
    if (!read) error = std::string("the dialog of the panel \"") + panel.title + "\" could not be pictured" + (why.empty() ? "" : ": " + why);
    return read;
  }
  SHostPanelDialog dialog = panel.build ? panel.build() : nullptr;
  if (!dialog) {
    error = std::string("the dialog of the panel \"") + panel.title + "\" could not be built";
    return false;
  }
  const std::string s = staged.string();
  KvDialogAnswer answer;
  answer.actions = panel.actions;
  answer.actions.push_back(KvSnapshot(std::u16string(s.begin(), s.end())));
  KvQueueDialogAnswer(answer);
  dialog->DoModal();
  const bool shot = !KvDialogCalls().empty() && !KvDialogCalls().back().actions.empty() &&
                    KvDialogCalls().back().actions.back() == 0;
  std::error_code ec;
  const bool read = shot && KvReadImageFile(s, out);
  fs::remove(staged, ec);
  if (!read) error = std::string("the dialog of the panel \"") + panel.title + "\" could not be pictured";
  return read;
}
}  // namespace

namespace {
// The text, fit-to-page and print panels, held open by their own owners.
template <class Panel>
class HeldOpen : public SHostOpenDialog {
 public:
  explicit HeldOpen(std::unique_ptr<Panel> panel) : m_panel(std::move(panel)) {}
  HWND Window() const override { return m_panel->Window(); }

 private:
  std::unique_ptr<Panel> m_panel;
};

template <class Panel>
std::shared_ptr<SHostOpenDialog> Hold(std::unique_ptr<Panel> panel) {
  if (!panel) return nullptr;
  return std::make_shared<HeldOpen<Panel>>(std::move(panel));
}
}  // namespace

std::shared_ptr<SHostOpenDialog> SHostOpenTextPanel(std::string& error) { return Hold(SHostOpenTextDialogPanel(error)); }
std::shared_ptr<SHostOpenDialog> SHostOpenFitToPagePanel(std::string& error) {
  return Hold(SHostOpenFitToPageDialogPanel(error));
}
std::shared_ptr<SHostOpenDialog> SHostOpenPrintPanel(std::string& error) { return Hold(SHostMakePrintDialogPanel(error)); }

SHostPanelDialog SHostBuildDispPrefPanel() {
  auto panel = std::make_shared<DispPrefPanel>();
  return SHostPanelDialog(panel, &panel->dialog);
}

SHostPanelDialog SHostBuildSwimGroupPanel() { return std::make_shared<SSymSwimGrpDlg>(nullptr); }

const std::vector<SHostDialogPanel>& SHostDialogPanels() {
  static const std::vector<SHostDialogPanel> panels = {
      {"Display preferences", &SHostBuildDispPrefPanel, {KvClick(SSymPrefGeneralPage::DisplayGridId)}},
      {"Swimlane group name", &SHostBuildSwimGroupPanel, {KvType(SSymSwimGrpDlg::NameFieldId, u"Sales")}},
      {"Text", nullptr, {}, &SHostOpenTextPanel},
      {"Fit to Page", nullptr, {}, &SHostOpenFitToPagePanel},
      {"Print", nullptr, {}, &SHostOpenPrintPanel},
      {"Symbol Format: Sub-Objects", &SHostBuildFormatSheetPanel},
  };
  return panels;
}

bool SHostWriteDialogSheet(const std::vector<SHostDialogPanel>& panels, const std::string& folder,
                           const std::string& name, std::vector<SHostExportedFile>& written, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  const fs::path path = fs::path(folder) / (name + ".png");
  const fs::path staged = SSymStagingPath(path);
  std::vector<const char*> titles;
  std::vector<KvImage> pictures;
  for (const SHostDialogPanel& panel : panels) {
    KvImage picture;
    if (!Picture(panel, staged, picture, error)) return false;
    titles.push_back(panel.title);
    pictures.push_back(std::move(picture));
  }
  std::vector<std::uint8_t> bytes;
  bool ok = !pictures.empty() && KvWritePng(Compose(titles, pictures), bytes);
  if (ok) {
    std::ofstream out(staged, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ok = bool(out);
  }
  std::string why;
  if (!ok || SSymPublishTogether({{staged, path}}, &why) != S_OK) {
    fs::remove(staged, ec);
    error = "the dialog sheet could not be written: " + path.string() + (why.empty() ? "" : ": " + why);
    return false;
  }
  written.push_back({path.string(), fs::file_size(path, ec)});
  return true;
}

bool SHostWriteDialogSheet(const std::string& folder, std::vector<SHostExportedFile>& written, std::string& error) {
  return SHostWriteDialogSheet(SHostDialogPanels(), folder, "dialogs", written, error);
}
