#pragma once

#include <string>

namespace orvanta {

// A computed coordinate as text: %.15G with a two-digit exponent at least.
std::string FormatNumber(double value);

}  // namespace orvanta
