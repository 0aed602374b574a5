// Texts of the Windows error numbers that the platform layer reports, and the
// message of a Status.
#include "os/status.h"

namespace os {
namespace {

struct ErrorEntry {
    uint32_t code;
    const char* text;
};

// The system's English texts, so a log reads the same on every platform.
constexpr ErrorEntry kErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {15, "The system cannot find the drive specified."},
    {17, "The system cannot move the file to a different disk drive."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33,
     "The process cannot access the file because another process has locked a portion "
     "of the file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {145, "The directory is not empty."},
    {158, "The segment is already unlocked."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {267, "The directory name is invalid."},
    {1117, "The request could not be performed because of an I/O device error."},
};

}  // namespace

std::string errorText(uint32_t code) {
    for (const ErrorEntry& e : kErrorTexts)
        if (e.code == code) return e.text;
    return "Unknown error " + std::to_string(code) + ".";
}

std::string Status::message() const {
    if (ok()) return "OK";
    std::string text = context_.empty() ? std::string() : context_ + ": ";
    return text + errorText(code_) + " (code " + std::to_string(code_) + ")";
}

}  // namespace os
