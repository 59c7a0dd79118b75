// Big buffers of a run (the result, the whole text for the steps that look beyond a
// line, a converted text) are written once, front to back, right after they are
// made: the first touch of each page is most of what they cost, and on 80 MB of
// small pages the faults cost more than converting a text into them does. Where the
// system can back them with large pages, it is asked to.
#pragma once

#include <cstddef>
#include <string>

namespace qm {

// Advises large pages for the buffer's capacity, before anything is written there.
void PreferLargePages(std::string& buffer);
// The same for `bytes` bytes at `data`, of a buffer of any kind.
void PreferLargePages(void* data, std::size_t bytes);
// Moves the buffer's bytes into a new one with room for `capacity`, which asks for
// large pages before they arrive: for a buffer that has to grow.
void MoveToLargePages(std::string& buffer, std::size_t capacity);

}  // namespace qm
