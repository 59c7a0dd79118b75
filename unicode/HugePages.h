// Big buffers that are written once, front to back.
#pragma once

#include <cstddef>

namespace qm {

// Asks for the untouched pages of a large buffer to come as huge pages where the
// system has them: a first write to a fresh page costs a fault, and on 80 MB of
// small pages the faults cost more than converting a text into them does.
void AdviseHugePages(void* data, std::size_t bytes);

}  // namespace qm
