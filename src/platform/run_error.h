#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

namespace orvanta {

// Run-time error numbers the error policy distinguishes.
namespace errors {
inline constexpr std::int32_t InvalidArgument = 5;      // "Invalid procedure call or argument"
inline constexpr std::int32_t Overflow = 6;             // "Overflow"
inline constexpr std::int32_t TypeMismatch = 13;        // "Type mismatch"
inline constexpr std::int32_t FileNotFound = 53;        // "File not found"
inline constexpr std::int32_t PathFileAccess = 75;      // "Path/File access error"
inline constexpr std::int32_t PathNotFound = 76;        // "Path not found"
inline constexpr std::int32_t InvalidProperty = 380;    // "Invalid property value"
inline constexpr std::int32_t OutOfMemory = 480;        // no memory for a picture
inline constexpr std::int32_t PictureLoad = 999;        // picture could not be loaded
inline constexpr std::int32_t ImageTool = -2147215503;  // 0x80041771, the image tool failed
}  // namespace errors

// A run-time error: a number and a description, handled by RunErrorPolicy.
class RunError : public std::runtime_error {
  public:
    RunError(std::int32_t number, std::string description)
        : std::runtime_error(std::to_string(number) + " " + description),
          number_(number),
          description_(std::move(description)) {}

    std::int32_t number() const { return number_; }
    const std::string& description() const { return description_; }

  private:
    std::int32_t number_;
    std::string description_;
};

// Turns whatever a step threw into a run-time error: filesystem errors become 53, 75 or 76,
// exhausted memory 480.
RunError toRunError(std::exception_ptr error);

// True when the error policy skips a step that failed with `error` and goes on: errors 75 and
// -2147215503.
bool skipsStep(const RunError& error);

}  // namespace orvanta
