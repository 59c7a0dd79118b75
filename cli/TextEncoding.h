// The encodings of the command line's text: code page 932, the bytes the engine
// works on, or UTF-8, taken through the engine without losing a character.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/FilterOptions.h"

namespace qm {

enum class TextEncoding { Cp932, Utf8 };

// "cp932" or "utf-8", in any letter case ("shift_jis", "sjis" and "utf8" too).
std::optional<TextEncoding> ParseTextEncoding(std::string_view name);

// The paragraph of --help on --encoding.
std::string TextEncodingHelp();

// FilterText over a text in the encoding, the result handed to `write` a piece at
// a time. A UTF-8 text that cannot be taken (it is not UTF-8, or it holds too many
// characters outside code page 932) raises Exception, as a failing step does, and
// nothing is written.
void FilterInEncoding(std::string_view text, const FilterOptions& options, TextEncoding encoding,
                      const std::function<void(std::string_view)>& write);
// The same over a text the caller gives up: UTF-8 is converted in its own buffer.
void FilterInEncoding(std::string&& text, const FilterOptions& options, TextEncoding encoding,
                      const std::function<void(std::string_view)>& write);

// A message of the program (code page 932) in the encoding.
std::string MessageInEncoding(std::string_view message, TextEncoding encoding);

}  // namespace qm
