// The working line list of a filter run. It is kept in its text form, every line
// followed by CR LF, because that is what most steps read and write: a text step
// costs one pass to produce its result and one to load it back, a line step one
// pass over the lines. Lines never contain CR, LF or NUL.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class LineList {
  public:
    LineList() = default;
    explicit LineList(std::string_view text) { Load(text); }

    // Replaces the list by the lines of text, up to its first NUL: CR LF, a lone CR
    // and a lone LF each end a line; a final line break adds no empty line.
    void Load(std::string_view text);
    void Load(std::string&& text);

    // Every line followed by CR LF; the empty list gives the empty text.
    const std::string& Text() const { return text_; }
    std::string TakeText() { return std::move(text_); }

    bool Empty() const { return text_.empty(); }
    std::size_t Count() const;
    std::vector<std::string> Lines() const;

    // f(std::string_view line) for every line, first to last.
    template <typename F>
    void ForEachLine(F f) const {
        const char* p = text_.data();
        const char* end = p + text_.size();
        while (p < end) {
            const char* cr =
                static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
            f(std::string_view(p, static_cast<std::size_t>(cr - p)));
            p = cr + 2;
        }
    }

    // Replaces every line by what f(std::string_view line, std::string& out) appends
    // to out; f must not append CR, LF or NUL.
    template <typename F>
    void TransformEachLine(F f) {
        std::string out;
        out.reserve(text_.size() + text_.size() / 8);
        ForEachLine([&](std::string_view line) {
            f(line, out);
            out += "\r\n";
        });
        text_ = std::move(out);
    }

    // For a step that builds the text form itself: every line followed by CR LF,
    // no other CR or LF and no NUL.
    void AssignTextForm(std::string&& textForm) { text_ = std::move(textForm); }

    void DeleteEmptyLines();

  private:
    std::string text_;
};

// Whether text is already in the list's text form.
bool IsTextForm(std::string_view text);

// The text form of the lines of text into out (its content replaced), as Load
// makes it: out's buffer is used again when it is large enough.
void LoadTextForm(std::string_view text, std::string& out);
// The same appended to out.
void AppendTextForm(std::string_view text, std::string& out);

}  // namespace qm
