// The one exception class of the program: every failure carries a message text
// (in code page 932) that the application's error display shows as it is.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace qm
