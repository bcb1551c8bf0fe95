// Internal: the metafile handle table shared by the recorder and the player.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "win/emf.h"
#include "win/emfrecord.h"

namespace emf {

struct Metafile {
  std::vector<std::uint8_t> bytes;
  Header header;
  std::vector<Record> records;
};

// Validates and decodes bytes; null unless they form a metafile.
std::shared_ptr<const Metafile> Parse(const std::uint8_t* data, std::size_t size);
HENHMETAFILE AddHandle(std::shared_ptr<const Metafile> mf);
std::shared_ptr<const Metafile> Lookup(HENHMETAFILE h);
bool RemoveHandle(HENHMETAFILE h);

// Plays decoded records into a context (emfplayer.cpp), the picture frame
// scaled to `rect`; with a null `rect` the records' coordinates are taken as
// the context's own logical units (old-style metafiles).
BOOL Play(HDC hdc, const Metafile& mf, const RECT* rect);

// A wide path as a UTF-8 file name, backslashes taken as slashes.
std::string PathFromWide(LPCWSTR path);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes);

}  // namespace emf
