// Line, spacing and markup steps of the pipeline: 11 to 21 and 25. Text steps take
// the text form of the working line list and return the new text; line steps change
// the list in place. A mode the step does not know leaves the text unchanged.
//
// Each step also has the pipeline's form (engine/StepForms.h): the text form in, the
// new text form written into out, false when nothing changes. The line steps work on
// the text form this way too; none of these steps adds or removes a line break there.
#pragma once

#include <string>
#include <string_view>

#include "engine/LineList.h"

namespace qm {

std::string NormalizeLineBreaks(std::string_view text);   // 11 ReturnMode 1
std::string RemoveTags(std::string_view text);            // 12 TagDelete
std::string EscapeAmpersands(std::string_view text);      // 13 RepAmp
std::string EscapeAngleBrackets(std::string_view text);   // 14 RepLG
std::string EscapeQuotes(std::string_view text);          // 15 RepQuot
std::string SpellRomanNumerals(std::string_view text);    // 16 RepNumber
void AddListItemPrefix(LineList& lines);                  // 17 AddLI
void RunsToTab(LineList& lines, int mode);                // 18 Space2Tab
void TrimLineEnds(LineList& lines);                       // 19 DelDmySpc
std::string_view TrimLineEnd(std::string_view line);      // bytes 0x00-0x20 off the end
std::string RemoveCommas(std::string_view text);          // 20 DelConma
std::string ChangeCase(std::string_view text, int mode);  // 21 UpDownCase
void JoinLines(LineList& lines);                          // 25 EnterDeleteMode 1

bool NormalizeLineBreaks(std::string_view text, std::string& out);
bool RemoveTags(std::string_view text, std::string& out);
bool EscapeAmpersands(std::string_view text, std::string& out);
bool EscapeAngleBrackets(std::string_view text, std::string& out);
bool EscapeQuotes(std::string_view text, std::string& out);
bool SpellRomanNumerals(std::string_view text, std::string& out);
bool AddListItemPrefix(std::string_view textForm, std::string& out);
bool RunsToTab(std::string_view textForm, int mode, std::string& out);
bool TrimLineEnds(std::string_view textForm, std::string& out);
bool RemoveCommas(std::string_view text, std::string& out);
bool ChangeCase(std::string_view text, int mode, std::string& out);
bool JoinLines(std::string_view textForm, std::string& out);

// JoinLines on a text form in its own buffer: the step only takes line breaks and
// empty lines out, so what it writes never overtakes what it reads.
void JoinLinesInPlace(std::string& textForm);

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
