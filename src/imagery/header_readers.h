#pragma once

#include <istream>

#include "imagery/image_header_info.h"

namespace orvanta {

// Binary header readers. Each continues reading `in` after the two signature bytes the loader
// has looked at and fills `info` from the header alone. Every read is bounded by the end of the
// stream: lengths that point past the end or loop on themselves end the reader quietly with
// the fields read so far, never with a crash, an endless loop or a huge allocation.

// PNG: false when the rest of the signature is wrong.
bool GetHeaderPNG(std::istream& in, ImageHeaderInfo& info);
// Little-endian TIFF: false when the magic byte is not 42. Only the first IFD is read.
bool GetHeaderTIF(std::istream& in, ImageHeaderInfo& info);
// JPEG: walks the segments up to the entropy-coded data; only a baseline frame gives a size.
bool GetHeaderJPG(std::istream& in, ImageHeaderInfo& info);

}  // namespace orvanta
