#pragma once

#include <string>
#include <string_view>

namespace orvanta {

// Collects the text of one KML file line by line; every line ends with CR LF on every
// platform. Fragment writers append to it and never open files.
class KmlWriter {
  public:
    void line(std::string_view text);
    // Lines made of a fixed part, a value and a fixed part ("<north>", value, "</north>").
    void line(std::string_view before, std::string_view value, std::string_view after);

    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The text of one KML file and where it goes.
struct KmlFile {
    std::string path;
    std::string text;
    bool operator==(const KmlFile&) const = default;
};

// Writes the file whole, replacing a file of that name; an empty text empties it.
// Throws RunError 76 when its folder does not exist and 75 when it cannot be written.
void writeKmlFile(const KmlFile& file);

// Names and paths placed between tags, with "&", "<" and ">" written as entities so that a
// name such as "fields&roads" still gives well-formed XML.
std::string xmlText(std::string_view text);

}  // namespace orvanta
