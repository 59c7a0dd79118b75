// Big buffers of a run (the result, the whole text for the steps that look beyond a
// line) are written once, front to back, right after they are made: the first
// touch of each page is most of what they cost. Where the system can back them with
// large pages, it is asked to.
#pragma once

#include <string>

namespace qm {

// Advises large pages for the buffer's capacity, before anything is written there.
void PreferLargePages(std::string& buffer);

}  // namespace qm
