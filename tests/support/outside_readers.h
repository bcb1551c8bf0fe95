// The outside programs that read the library's files in tests: xmllint
// (SVG 1.1 validation), rsvg-convert (SVG), pdftoppm, pdfinfo and pdftotext (PDF),
// emf2svg-conv (EMF); and PNG decoding of what they render. A check whose
// program is missing is skipped by its test, never failed.
#pragma once

#include <filesystem>
#include <string>

#include "win/image.h"

namespace kvtest {

// The SVG 1.1 document type definition (package w3c-sgml-lib).
inline constexpr char kSvgDtd[] = "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-SVG11-20110816/svg11.dtd";

// True when `name` is a program on the search path.
bool HaveTool(const char* name);
// Runs a shell command with its output discarded; answers its exit status.
int Shell(const std::string& cmd);
// Runs a shell command; answers what it wrote to its standard output.
std::string Output(const std::string& cmd);
// A path quoted for the shell.
std::string Quoted(const std::filesystem::path& p);

// True when xmllint finds the SVG file valid against the SVG 1.1 DTD.
bool SvgIsValid(const std::filesystem::path& svg);
// The number of pages pdfinfo reports (-1 when it reports none).
int PdfPages(const std::filesystem::path& pdf);
// The text pdftotext reads on one page (from 1) of a PDF file, in the order
// it was drawn (its own reading order may drop narrow blanks, "1/6" for
// "1 / 6"); empty when the page or the file is missing.
std::string PdfPageText(const std::filesystem::path& pdf, int page);
// The width in points of the first word `word` on a page of a PDF file, as
// pdftotext places it; -1 when the word is not there.
double PdfWordWidth(const std::filesystem::path& pdf, int page, const std::string& word);

// Decodes a PNG (or BMP) file, with transparent pixels laid on white, so that
// pictures from readers that leave the background transparent compare with
// those that paint it. False when the file is missing or does not decode.
bool ReadPictureOnWhite(const std::filesystem::path& file, KvImage& out);
// Renders an SVG file with rsvg-convert at `width` pixels (the height
// follows the document's ratio, or is `height` when given: a document whose
// view box is `width` x `height` is then drawn one unit a pixel), then
// decodes it.
bool RenderSvg(const std::filesystem::path& svg, int width, KvImage& out, int height = 0);
// Renders the first page of a PDF file with pdftoppm at `dpi`, then decodes it.
bool RenderPdf(const std::filesystem::path& pdf, int dpi, KvImage& out);
// Renders one page (from 1) of a PDF file with pdftoppm at `dpi`, then decodes it.
bool RenderPdfPage(const std::filesystem::path& pdf, int page, int dpi, KvImage& out);

}  // namespace kvtest
