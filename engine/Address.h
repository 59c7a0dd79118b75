// Steps 23 and 24: completion of web addresses and removal of redirector hosts.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qm {

// Scheme completion after "htp://" has been corrected (step 23, second half).
std::string CompleteSchemes(std::string_view text);

// Redirector patterns, applied in this order: "/" + first host label + ".".
extern const std::array<std::string_view, 3> kRedirectorPatterns;

std::string RemoveRedirector(std::string_view pattern, std::string_view text);

// The pipeline's forms (engine/StepForms.h): false when the text stays as it is.
bool CompleteSchemes(std::string_view text, std::string& out);
bool RemoveRedirector(std::string_view pattern, std::string_view text, std::string& out);

// Whether any of the redirector patterns occurs in text as bytes, in any letter
// case: where none does, RemoveRedirector changes nothing.
bool MayHoldRedirectors(std::string_view text);

}  // namespace qm
