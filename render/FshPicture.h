#pragma once

#include <string>

#include "base/Endian.h"
#include "render/Image.h"

namespace velkor::render {

// Whether a file's first bytes are those of an FSH image archive ("SHPI").
bool IsFshImage(ByteView start);

// The first image of the FSH archive `fsh` (its bytes; messages name `shownAs`), shrunk to fit
// `largest` x `largest`. Pixels of 32, 24 and 16 bits and 8-bit indices into a palette
// of 32 or 24 bits that follows them. Raises FormatError for a first image that is
// missing, of another kind, or larger than the file.
RgbaImage FshPicture(ByteView fsh, const std::string& shownAs, int largest);

}  // namespace velkor::render
