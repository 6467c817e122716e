#include "kml/kml_writer.h"

#include "platform/text_file.h"

namespace orvanta {

void KmlWriter::line(std::string_view text) {
    text_ += text;
    text_ += "\r\n";
}

void KmlWriter::line(std::string_view before, std::string_view value, std::string_view after) {
    text_ += before;
    text_ += value;
    line(after);
}

void writeKmlFile(const KmlFile& file) {
    writeFileAtomically(file.path, file.text);
}

std::string xmlText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
}

}  // namespace orvanta
