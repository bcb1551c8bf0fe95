// Recognition of picture content: which bytes are a raw picture file of a
// picture type and which are the core library's stream forms.
#pragma once

#include <cstddef>

#include "win/windef.h"

namespace SSymPictureContent {

// The header test of raw metafiles: an enhanced metafile (record type 1 at 0,
// " EMF" at 40, header size 88, 100 or at least 108 at 4), else an old-style
// one (file type 1 or 2 at 0, 9 header words at 2, version 0x0300 or 0x0100
// at 4).
bool IsMetaFileHeader(const BYTE* data, std::size_t size);
// The serialized image form of icons and cursors: a flag word of kind 1 or 2
// with a bitmap bit and nothing above bit 3, and a bitmap-file header at 12.
// Content of 68 bytes or fewer always counts as this form.
bool IsImageDataForm(const BYTE* data, std::size_t size);
// Whether content of a picture type is a raw picture file (else it is read in
// the type's stream form).
bool IsRawForm(int type, const BYTE* data, std::size_t size);

}  // namespace SSymPictureContent
