// Steps 23 and 24: completion of web addresses and removal of redirector hosts.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qm {

// Scheme completion after "htp://" has been corrected (step 23, second half).
bool CompleteSchemes(std::string_view text, std::string& out);

// Redirector patterns, applied in this order: "/" + first host label + ".".
extern const std::array<std::string_view, 3> kRedirectorPatterns;

bool RemoveRedirector(std::string_view pattern, std::string_view text, std::string& out);

// Whether any of the redirector patterns occurs in text as bytes, in any letter
// case: where none does, RemoveRedirector changes nothing.
bool MayHoldRedirectors(std::string_view text);

}  // namespace qm
