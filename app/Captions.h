// The texts of the settings dialog and the tray menu, in Shift-JIS.
#pragma once

namespace qm {

// digits
inline constexpr char kCaptionNumberMode[] = "\x90\x94\x8E\x9A";
// Latin letters
inline constexpr char kCaptionAlphabetMode[] = "\x89\x70\x8E\x9A";
// comma style
inline constexpr char kCaptionPunctuationMode[] = "\x8B\xE5\x93\x5F";
// full-stop style
inline constexpr char kCaptionPeriodMode[] = "\x93\xC7\x93\x5F";
// symbols
inline constexpr char kCaptionSignMode[] = "\x8B\x4C\x8D\x86";
// blanks
inline constexpr char kCaptionSpaceMode[] = "\x8B\xF3\x94\x92";
// brackets
inline constexpr char kCaptionParenthesisMode[] = "\x8A\x87\x8C\xCA";
// hiragana
inline constexpr char kCaptionKanaMode1[] = "\x82\xA9\x82\xC8";
// katakana
inline constexpr char kCaptionKanaMode2[] = "\x83\x4A\x83\x69";
// line breaks
inline constexpr char kCaptionReturnMode[] = "\x89\xFC\x8D\x73";
// remove HTML/XML and other tags
inline constexpr char kCaptionTagDelete[] =
    "HTML/XML\x82\xC8\x82\xC7\x82\xCC\x83\x5E\x83\x4F\x82\xF0\x8F\x9C\x8B\x8E";
// full-width & to &amp;
inline constexpr char kCaptionRepAmp[] =
    "\x81\x95\x82\xF0\x81\x95"
    "amp;\x82\xC9\x92\x75\x8A\xB7";
// <> to full-width &lt; and &gt;
inline constexpr char kCaptionRepLG[] =
    "<>\x82\xF0\x81\x95lt;\x82\xC6\x81\x95gt;\x82\xC9\x92\x75\x8A\xB7";
// " to full-width &quot;
inline constexpr char kCaptionRepQuot[] = "\"\x82\xF0\x81\x95quot;\x82\xC9\x92\x75\x8A\xB7";
// Roman numeral symbols spelled in Latin letters
inline constexpr char kCaptionRepNumber[] =
    "\x87\x54\x87\x55...\x82\xF0\x89\x70\x8E\x9A\x82\xC5\x91\xE3\x97\x70";
// <LI> at the start of each line
inline constexpr char kCaptionAddLI[] = "\x8D\x73\x93\xAA\x82\xC9<LI>\x82\xF0\x95\x74\x89\xC1";
// runs of blanks
inline constexpr char kCaptionSpace2Tab[] =
    "\x98\x41\x91\xB1\x83\x58\x83\x79\x81\x5B\x83\x58\x8F\x88\x97\x9D";
// remove blanks at line ends
inline constexpr char kCaptionDelDmySpc[] =
    "\x8D\x73\x96\x96\x82\xCC\x8B\xF3\x94\x92\x82\xF0\x8F\x9C\x8B\x8E";
// remove half-width commas
inline constexpr char kCaptionDelConma[] =
    "\x94\xBC\x8A\x70\x83\x52\x83\x93\x83\x7D\x82\xCC\x8F\x9C\x8B\x8E";
// English letter case
inline constexpr char kCaptionUpDownCase[] = "\x89\x70\x95\xB6\x8F\x88\x97\x9D";
// use the user's text filter
inline constexpr char kCaptionUseCustomFilter[] =
    "\x83\x86\x81\x5B\x83\x55\x81\x5B\x8E\x77\x92\xE8\x83\x65\x83\x4C\x83\x58\x83\x67\x83\x74\x83"
    "\x42\x83\x8B\x83\x5E\x82\xF0\x8E\x67\x97\x70\x82\xB7\x82\xE9";
// complete http addresses
inline constexpr char kCaptionURLHelper[] =
    "http\x82\xCC\x83\x41\x83\x68\x83\x8C\x83\x58\x82\xF0\x95\xE2\x8A\xAE";
// remove redirector hosts such as ime.nu (the first redirector the address step knows)
inline constexpr char kCaptionRemoveIme[] =
    "ime."
    "nu\x82\xC8\x82\xC7\x82\xCC\x83\x8A\x83\x5F\x83\x43\x83\x8C\x83\x4E\x83\x67\x82\xF0\x8F\x9C\x8B"
    "\x8E";
// remove line breaks (also the group's own choice)
inline constexpr char kCaptionEnterDeleteMode[] = "\x89\xFC\x8D\x73\x8F\x9C\x8B\x8E";
// remove empty lines
inline constexpr char kCaptionDelEmptyLine[] = "\x8B\xF3\x82\xCC\x8D\x73\x82\xF0\x8F\x9C\x8B\x8E";
// show the settings at start-up
inline constexpr char kCaptionShowForm[] =
    "\x8B\x4E\x93\xAE\x8E\x9E\x82\xC9\x90\xDD\x92\xE8\x89\xE6\x96\xCA\x82\xF0\x95\x5C\x8E\xA6\x82"
    "\xB7\x82\xE9";
// basic settings
inline constexpr char kCaptionBasic[] = "\x8A\xEE\x96\x7B\x90\xDD\x92\xE8";
// extended settings
inline constexpr char kCaptionExtend[] = "\x8A\x67\x92\xA3\x90\xDD\x92\xE8";
// filter settings
inline constexpr char kCaptionTabSheet1[] = "\x83\x74\x83\x42\x83\x8B\x83\x5E\x90\xDD\x92\xE8";
// HTML
inline constexpr char kCaptionHTMLGroup[] = "HTML\x8A\xD6\x98\x41";
// behavior settings
inline constexpr char kCaptionBehavior[] = "\x93\xAE\x8D\xEC\x90\xDD\x92\xE8";
// try it out
inline constexpr char kCaptionTryOut[] = "\x8E\x8E\x82\xB7";
// hot key (suspend/resume)
inline constexpr char kCaptionSuspendKeyGroup[] =
    "\x83\x7A\x83\x62\x83\x67\x83\x4C\x81\x5B (\x88\xEA\x8E\x9E\x92\xE2\x8E\x7E/\x8D\xC4\x8A\x4A)";
// hot key (undo)
inline constexpr char kCaptionUndoKeyGroup[] =
    "\x83\x7A\x83\x62\x83\x67\x83\x4C\x81\x5B (\x8C\xB3\x82\xC9\x96\xDF\x82\xB7)";
// programs not to filter (separated by ;)
inline constexpr char kCaptionExcludeGroup[] =
    "\x83\x74\x83\x42\x83\x8B\x83\x5E\x82\xB5\x82\xC8\x82\xA2\x83\x76\x83\x8D\x83\x4F\x83\x89\x83"
    "\x80 (;\x82\xC5\x8B\xE6\x90\xD8\x82\xE9)";
// cancel
inline constexpr char kCaptionCancel[] = "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B";
// save settings
inline constexpr char kCaptionOptSave[] = "\x90\xDD\x92\xE8\x95\xDB\x91\xB6";
// as it is
inline constexpr char kItemAsIs[] = "\x82\xBB\x82\xCC\x82\xDC\x82\xDC";
// half-width
inline constexpr char kItemHalf[] = "\x94\xBC\x8A\x70";
// full-width
inline constexpr char kItemFull[] = "\x91\x53\x8A\x70";
// ideographic comma
inline constexpr char kItemIdeographicComma[] = "\x81\x41";
// full-width comma
inline constexpr char kItemFullWidthComma[] = "\x81\x43";
// ideographic full stop
inline constexpr char kItemIdeographicFullStop[] = "\x81\x42";
// full-width full stop
inline constexpr char kItemFullWidthFullStop[] = "\x81\x44";
// half-width katakana
inline constexpr char kItemHalfKatakana[] = "\x94\xBC\x8A\x70\x83\x4A\x83\x69";
// full-width katakana
inline constexpr char kItemFullKatakana[] = "\x91\x53\x8A\x70\x83\x4A\x83\x69";
// full-width hiragana
inline constexpr char kItemFullHiragana[] = "\x91\x53\x8A\x70\x82\xA9\x82\xC8";
// half-width runs to one tab
inline constexpr char kItemSpaceToTabHalf[] =
    "\x94\xBC\x8A\x70\x82\xF0"
    "1\x82\xC2\x82\xCC\x83\x5E\x83\x75\x82\xC9\x95\xCF\x8A\xB7";
// full-width runs to one tab
inline constexpr char kItemSpaceToTabFull[] =
    "\x91\x53\x8A\x70\x82\xF0"
    "1\x82\xC2\x82\xCC\x83\x5E\x83\x75\x82\xC9\x95\xCF\x8A\xB7";
// both to one tab
inline constexpr char kItemSpaceToTabBoth[] =
    "\x97\xBC\x95\xFB\x82\xF0"
    "1\x82\xC2\x82\xCC\x83\x5E\x83\x75\x82\xC9\x95\xCF\x8A\xB7";
// small letters
inline constexpr char kItemLower[] = "\x8F\xAC\x95\xB6\x8E\x9A";
// capitals
inline constexpr char kItemUpper[] = "\x91\xE5\x95\xB6\x8E\x9A";
// options (&O)
inline constexpr char kMenuOptions[] =
    "\x8A\xC2\x8B\xAB\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93(&O)";
// undo (&U)
inline constexpr char kMenuUndo[] = "\x8C\xB3\x82\xC9\x96\xDF\x82\xB7(&U)";
// contents (&C)
inline constexpr char kMenuContents[] = "\x96\xDA\x8E\x9F(&C)";
// version information (&A)
inline constexpr char kMenuAbout[] = "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x8F\xEE\x95\xF1(&A)";
// exit Quillmoth (&X)
inline constexpr char kMenuExit[] = "Quillmoth\x8F\x49\x97\xB9(&X)";
// "...", the last presets entry when there are more settings files than it lists
inline constexpr char kMenuMorePresets[] = "\x81\x63";
// settings files (*.ini)|*.ini
inline constexpr char kSettingsFilter[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B(*.ini)|*.ini";

}  // namespace qm
