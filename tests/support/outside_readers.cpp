#include "support/outside_readers.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "support/temp_files.h"

namespace kvtest {

namespace fs = std::filesystem;

bool HaveTool(const char* name) { return Shell(std::string("command -v ") + name) == 0; }

int Shell(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

std::string Output(const std::string& cmd) {
  std::string out;
  if (FILE* f = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
    ::pclose(f);
  }
  return out;
}

std::string Quoted(const fs::path& p) {
  std::string q = "'";
  for (char c : p.string()) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool SvgIsValid(const fs::path& svg) {
  return Shell(std::string("xmllint --nonet --noout --dtdvalid ") + kSvgDtd + " " + Quoted(svg)) == 0;
}

int PdfPages(const fs::path& pdf) {
  const std::string info = Output("pdfinfo " + Quoted(pdf) + " 2>&1");
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

std::string PdfPageText(const fs::path& pdf, int page) {
  const std::string n = std::to_string(page);
  return Output("pdftotext -q -raw -f " + n + " -l " + n + " " + Quoted(pdf) + " - 2>/dev/null");
}

double PdfWordWidth(const fs::path& pdf, int page, const std::string& word) {
  const std::string n = std::to_string(page);
  const std::string boxes = Output("pdftotext -q -bbox -f " + n + " -l " + n + " " + Quoted(pdf) + " - 2>/dev/null");
  // <word xMin="..." yMin="..." xMax="..." yMax="...">word</word>
  const std::size_t end = boxes.find(">" + word + "</word>");
  if (end == std::string::npos) return -1;
  const std::size_t start = boxes.rfind("<word", end);
  const std::string tag = boxes.substr(start, end - start);
  auto value = [&tag](const char* name) {
    const std::size_t at = tag.find(std::string(name) + "=\"");
    return at == std::string::npos ? 0.0 : std::atof(tag.c_str() + at + std::strlen(name) + 2);
  };
  return value("xMax") - value("xMin");
}

bool ReadPictureOnWhite(const fs::path& file, KvImage& out) {
  if (!KvReadImageFile(file.string(), out)) return false;
  for (std::uint32_t& p : out.px) {
    const std::uint32_t a = p >> 24;
    auto over = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    p = 0xFF000000u | over((p >> 16) & 0xFF) << 16 | over((p >> 8) & 0xFF) << 8 | over(p & 0xFF);
  }
  out.hasAlpha = false;
  return true;
}

bool RenderSvg(const fs::path& svg, int width, KvImage& out, int height) {
  TempDir dir("kvtest_svg");
  const fs::path png = dir.path / "svg.png";
  const std::string size =
      "-w " + std::to_string(width) + (height > 0 ? " -h " + std::to_string(height) : std::string());
  if (Shell("rsvg-convert " + size + " -o " + Quoted(png) + " " + Quoted(svg)) != 0) return false;
  return ReadPictureOnWhite(png, out);
}

bool RenderPdf(const fs::path& pdf, int dpi, KvImage& out) { return RenderPdfPage(pdf, 1, dpi, out); }

bool RenderPdfPage(const fs::path& pdf, int page, int dpi, KvImage& out) {
  TempDir dir("kvtest_pdf");
  const fs::path base = dir.path / "page";
  const std::string p = std::to_string(page);
  if (Shell("pdftoppm -f " + p + " -l " + p + " -singlefile -png -r " + std::to_string(dpi) + " " + Quoted(pdf) + " " +
            Quoted(base)) != 0)
    return false;
  return ReadPictureOnWhite(base.string() + ".png", out);
}

}  // namespace kvtest
