#include "framework/Exception.h"

namespace qm {

std::string ListIndexErrorMessage(long long index) {
    // "the list index is out of range (%d)"
    return "\x83\x8a\x83\x58\x83\x67\x82\xcc\x83\x43\x83\x93\x83\x66\x83\x62\x83\x4e\x83\x58\x82"
           "\xaa\x94\xcd\x88"
           "\xcd\x82\xf0\x92\xb4\x82\xa6\x82\xc4\x82\xa2\x82\xdc\x82\xb7 (" +
           std::to_string(index) + ")";
}

}  // namespace qm
