#pragma once

#include <string>

namespace orvanta {

// Finds a file by a name the program derived: the path itself when it exists, else the file of
// the same folder whose name matches without regard to letter case (so IMG.JGW is found for
// IMG.jgw on a file system that tells case apart). Empty when there is none.
std::string findFileLoosely(const std::string& path);

}  // namespace orvanta
