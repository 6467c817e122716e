#pragma once

#include <QImage>

#include "tiling/picture.h"

namespace orvanta {

// The picture as a Qt image, top row first.
QImage toQImage(const Picture& picture);

}  // namespace orvanta
