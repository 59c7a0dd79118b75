// Line, spacing and markup steps of the pipeline: 1, 11 to 21 and 25, in the
// pipeline's form (engine/Pipeline.h): the text form of the working line list in,
// the new text form written into out, false when nothing changes. A mode the step
// does not know leaves the text unchanged. None of these steps but 1 and 25 adds or
// removes a line break in the text form.
#pragma once

#include <string>
#include <string_view>

#include "engine/LineList.h"

namespace qm {

bool DeleteEmptyLines(std::string_view textForm, std::string& out);     // 1 DelEmptyLine
bool NormalizeLineBreaks(std::string_view text, std::string& out);      // 11 ReturnMode 1
bool RemoveTags(std::string_view text, std::string& out);               // 12 TagDelete
bool EscapeAmpersands(std::string_view text, std::string& out);         // 13 RepAmp
bool EscapeAngleBrackets(std::string_view text, std::string& out);      // 14 RepLG
bool EscapeQuotes(std::string_view text, std::string& out);             // 15 RepQuot
bool SpellRomanNumerals(std::string_view text, std::string& out);       // 16 RepNumber
bool AddListItemPrefix(std::string_view textForm, std::string& out);    // 17 AddLI
bool RunsToTab(std::string_view textForm, int mode, std::string& out);  // 18 Space2Tab
bool TrimLineEnds(std::string_view textForm, std::string& out);         // 19 DelDmySpc
bool RemoveCommas(std::string_view text, std::string& out);             // 20 DelConma
bool ChangeCase(std::string_view text, int mode, std::string& out);     // 21 UpDownCase
bool JoinLines(std::string_view textForm, std::string& out);            // 25 EnterDeleteMode 1

// Bytes 0x00-0x20 off the end of a line.
std::string_view TrimLineEnd(std::string_view line);

// JoinLines over a text form given a piece at a time, each piece whole lines, in
// the buffer the pieces are appended to: the joined lines stay there, and the pieces
// after them are joined to them.
class LineJoiner {
  public:
    // Joins the lines of text from `from` on (a text form appended to what the
    // joiner left), and cuts text to the joined lines. The last stays open: the next
    // piece's first line may still join it, over the break it ends with.
    void Join(std::string& text, std::size_t from);
    // After the last piece: the text is whole; the joiner may start another.
    void Finish(std::string& text);

  private:
    bool started_ = false;       // a line is open
    bool joinNext_ = false;      // the line before was empty: the next joins whatever it holds
    std::size_t lineStart_ = 0;  // where the open line begins
};

// RemoveTags over a text form given a piece at a time, each piece whole lines: the
// result comes out in order, all but what follows the "<" of a tag whose ">" has not
// come yet, which is held back until it comes or the text ends.
class TagRemover {
  public:
    // Appends to out what the pieces so far give.
    void Feed(std::string_view piece, std::string& out);
    // After the last piece.
    void Finish(std::string& out);

  private:
    // Outside a tag; inside one whose ">" is still to come; or past the point where
    // no tag is removed any more (a ">" before the next "<").
    enum class State { Outside, InTag, Stopped };
    State state_ = State::Outside;
    std::string held_;  // InTag: the text from the tag's "<" on
};

}  // namespace qm
