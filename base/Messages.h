// The texts of the messages the base library raises, in Shift-JIS, each with its
// English meaning; the rest of the program's are in framework/Messages.h.
#pragma once

#include <string>

namespace qm {

// error code N, where the platform has no text for a code
inline std::string ErrorCodeMessage(unsigned long code) {
    return "\x83\x47\x83\x89\x81\x5B \x83\x52\x81\x5B\x83\x68 " + std::to_string(code);
}

// the file "%s", then what became of it
inline std::string FileMessage(const std::string& path, const char* what) {
    return "\x83\x74\x83\x40\x83\x43\x83\x8B \"" + path + "\" " + what;
}

// the file "%s" cannot be opened. %s (the platform's reason)
inline std::string FileNotOpenedMessage(const std::string& path, const std::string& reason) {
    return FileMessage(path, "\x82\xCD\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81\x42") + reason;
}
// the file "%s" cannot be read. %s
inline std::string FileNotReadMessage(const std::string& path, const std::string& reason) {
    return FileMessage(path,
                       "\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81\x42") +
           reason;
}
// the file "%s" cannot be written. %s
inline std::string FileNotWrittenMessage(const std::string& path, const std::string& reason) {
    return FileMessage(path,
                       "\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81\x42") +
           reason;
}
// the file "%s" is not a regular file.
inline std::string FileNotRegularMessage(const std::string& path) {
    return FileMessage(
        path,
        "\x82\xCD\x92\xCA\x8F\xED\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xC5\x82\xCD"
        "\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81\x42");
}
// the file "%s" is too large.
inline std::string FileTooLargeMessage(const std::string& path) {
    return FileMessage(path, "\x82\xCD\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81\x42");
}

}  // namespace qm
