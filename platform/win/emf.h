// Enhanced metafiles: a recording device context that writes real EMF
// records, metafile handles, files and the player that replays a metafile
// into any device context.
//
// A metafile handle names an immutable, validated record list; handles are
// never reused, so a deleted handle is recognised and answered as GDI answers
// a bad handle (0, FALSE, null). The same drawing gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "win/wingdi.h"

struct ENHMETAHEADER {
  DWORD iType;  // EMR_HEADER
  DWORD nSize;  // size of the header record
  RECTL rclBounds;  // inclusive, device pixels
  RECTL rclFrame;  // inclusive, 0.01 mm
  DWORD dSignature;  // ENHMETA_SIGNATURE
  DWORD nVersion;
  DWORD nBytes;
  DWORD nRecords;
  WORD nHandles;
  WORD sReserved;
  DWORD nDescription;  // characters, terminating nulls included
  DWORD offDescription;
  DWORD nPalEntries;
  SIZE szlDevice;  // reference device, pixels
  SIZE szlMillimeters;  // reference device, millimetres
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZE szlMicrometers;
};
constexpr DWORD ENHMETA_SIGNATURE = 0x464D4520;

// A recording context. `ref` gives the reference device (null: the screen);
// `file` is written when the recording closes (null: in memory); `frame` is
// the picture frame in 0.01 mm (null: the bounds of what is drawn);
// `description` is "application\0title\0\0" or null. Null on failure.
HDC CreateEnhMetaFileW(HDC ref, LPCWSTR file, const RECT* frame, LPCWSTR description);
// Ends the recording, deletes the context and answers the metafile (null for
// a context that is not a recording, or when the file cannot be written).
HENHMETAFILE CloseEnhMetaFile(HDC hdc);
BOOL DeleteEnhMetaFile(HENHMETAFILE hemf);
// A copy, also written to `file` when it is given.
HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE hemf, LPCWSTR file);
// The metafile bytes; with a null buffer the size needed. 0 on failure or
// when `size` is too small.
UINT GetEnhMetaFileBits(HENHMETAFILE hemf, UINT size, BYTE* data);
// A metafile from bytes; null unless they form a valid metafile.
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
// A metafile read from a file; null when missing, unreadable or invalid.
HENHMETAFILE GetEnhMetaFileW(LPCWSTR file);
// Copies the header (at most `size` bytes); with a null header the size of
// ENHMETAHEADER. 0 for a bad handle.
UINT GetEnhMetaFileHeader(HENHMETAFILE hemf, UINT size, ENHMETAHEADER* header);
// The description characters (nulls included); with a null buffer the count.
UINT GetEnhMetaFileDescriptionW(HENHMETAFILE hemf, UINT size, LPWSTR out);
// Replays the metafile into `hdc` so that its picture frame fills `rect`
// (logical units of `hdc`). The context's state is restored afterwards.
// FALSE for a bad handle or context, or when a record could not be played
// (the other records are still played).
BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE hemf, const RECT* rect);

// Old-style metafiles. A recording context writes 16-bit records: curves
// become polylines; paths, gradients, clip regions and world transforms are
// not recorded.
struct METAFILEPICT {
  LONG mm;
  LONG xExt;
  LONG yExt;
  HMETAFILE hMF;
};
HDC CreateMetaFileW(LPCWSTR file);  // null: in memory
HMETAFILE CloseMetaFile(HDC hdc);
BOOL DeleteMetaFile(HMETAFILE hmf);
UINT GetMetaFileBitsEx(HMETAFILE hmf, UINT size, LPVOID data);
// Null unless the bytes form an old-style metafile.
HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
// Replays the records in the context's own logical units.
BOOL PlayMetaFile(HDC hdc, HMETAFILE hmf);
// An enhanced metafile of old-style bytes (with or without the placeable
// header): its frame is the placeable box, else the window the records set,
// else the extent of their coordinates, at 96 pixels per inch.
HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC ref, const METAFILEPICT* pict);

// Helpers of this project.
// The header test of raw enhanced content (record type 1, " EMF" at 40,
// header size 88, 100 or at least 108).
bool KvLooksLikeEmf(const std::uint8_t* data, std::size_t size);
// The header test of raw old-style content (type 1 or 2, 9 header words,
// version 0x0100 or 0x0300), after a placeable header if there is one.
bool KvLooksLikeWmf(const std::uint8_t* data, std::size_t size);
// Whether the handle names a live metafile.
bool KvIsEnhMetaFile(HENHMETAFILE hemf);
// The metafile's bytes (empty for a bad handle).
std::vector<std::uint8_t> KvEnhMetaFileBytes(HENHMETAFILE hemf);
// The picture frame in pixels of the reference device, rounded (0 x 0 for a
// bad handle).
SIZE KvEnhMetaFileSizePx(HENHMETAFILE hemf);
// Replays decoded bytes (validated as SetEnhMetaFileBits does) into a
// context: for tools and fuzzing. FALSE when the bytes are not a metafile.
BOOL KvPlayEnhMetaFileBytes(HDC hdc, const std::uint8_t* data, std::size_t size, const RECT* rect);
// Number of live metafile handles, for leak checks.
std::size_t KvEnhMetaFileCount();
