// Every binary header reader over the same bytes, as the loader hands them over: the stream
// positioned after the two signature bytes.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "imagery/header_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string rest = size >= 2 ? bytes.substr(2) : std::string();
    using Reader = bool (*)(std::istream&, orvanta::ImageHeaderInfo&);
    for (Reader reader : {Reader{orvanta::GetHeaderPNG}, Reader{orvanta::GetHeaderTIF},
                          Reader{orvanta::GetHeaderJPG}}) {
        std::istringstream in(rest);
        orvanta::ImageHeaderInfo info;
        reader(in, info);
    }
    return 0;
}
