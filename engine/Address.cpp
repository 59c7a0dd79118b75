#include "engine/Address.h"

namespace qm {

const std::array<std::string_view, 3> kRedirectorPatterns = {"/a.", "/b.", "/c."};

std::string CompleteSchemes(std::string_view text) {
    return std::string(text);
}

std::string RemoveRedirector(std::string_view, std::string_view text) {
    return std::string(text);
}

}  // namespace qm
