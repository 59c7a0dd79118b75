// The try-out page of the settings dialog: a sample text and, under it, the sample
// filtered with the options as the dialog holds them, shown again at every change of
// either. Nothing here touches the clipboard.
#include <algorithm>
#include <exception>
#include <string>
#include <utility>

#include "app/Captions.h"
#include "app/MakeControl.h"
#include "app/Setting.h"
#include "base/Characters.h"
#include "clipboard/Clipboard.h"
#include "controls/BigView.h"
#include "controls/EllipsEd.h"
#include "engine/Pipeline.h"
#include "framework/ComCtrls.h"
#include "framework/ExtCtrls.h"
#include "framework/Memo.h"
#include "framework/Stream.h"

namespace qm {

namespace {

// The page shows what the options do; a copy of many megabytes as its sample would
// make every click on an option wait.
constexpr std::size_t kSampleBytes = 64 * 1024;

}  // namespace

// The start of the text, cut before a two-byte character that would not fit, with its
// line breaks as an edit box shows them: CR LF.
std::string SampleOf(std::string_view text) {
    std::size_t size = std::min(text.size(), kSampleBytes);
    if (size < text.size() && LeadByteAt(text, static_cast<std::ptrdiff_t>(size))) --size;
    std::string sample;
    sample.reserve(size + size / 8);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            sample += "\r\n";
            if (c == '\r' && i + 1 < size && text[i + 1] == '\n') ++i;
        } else {
            sample += c;
        }
    }
    return sample;
}

void TForm1::BuildTryOutPage() {
    TryOut = new TTabSheet(this);
    TryOut->SetName("TryOut");
    TryOut->SetCaption(kCaptionTryOut);
    TryOut->SetPageControl(PageControl1);

    SampleText = new TMemo(this);
    SampleText->SetParent(TryOut);
    SampleText->SetBounds(8, 8, 377, 73);
    // Shown as the filter file is shown on the third page.
    SampleView = Make<TBigView>(this, TryOut, "SampleView", 8, 88, 377, 153);
    SampleView->SetBvStyle(TBvStyle{bvClientLow});
    SampleView->SetCaret(false);
    SampleView->SetParentColor(false);
    SampleView->SetColor(clInfoBk);
    SampleView->SetCRMark(false);
    SampleView->SetMaxChar(255);
    SampleView->SetScrollBar(ssVertical);
    SampleView->SetSelect(true);
    SampleView->SetViewTabStop(8);
    SampleView->SetWrapByte(0);
    SampleView->SetWordWrap(false);
    SetTabOrders({SampleText, SampleView});

    // Every control that feeds the options shows the sample again when it changes. While
    // the dialog is hidden nothing is shown: opening it shows the sample anew.
    const auto refresh = [this] {
        if (Visible()) RefreshTryOut();
    };
    const auto chain = [refresh](TNotifyEvent& event) {
        event = [refresh, before = std::move(event)](TComponent* sender) {
            if (before) before(sender);
            refresh();
        };
    };
    for (TComponent* c : Components()) {
        if (auto* group = dynamic_cast<TRadioGroup*>(c)) chain(group->OnClick);
        if (auto* box = dynamic_cast<TCheckBox*>(c)) chain(box->OnClick);
    }
    chain(FilterFile->OnChange);
    chain(SampleText->OnChange);
}

void TForm1::RefreshTryOut() {
    std::string shown;
    try {
        shown = FilterText(SampleText->Text(), CurrentOptions());
    } catch (const std::exception& e) {
        // A filter file that cannot be read is said in the view, never in a box at
        // every keystroke.
        shown = e.what();
    }
    TMemoryStream stream(std::move(shown));
    SampleView->LoadFromStream(stream);
}

void TForm1::KeepSample(const ClipboardCopy& copy) {
    if (!copy.isUnicode) {
        sample_ = SampleOf(copy.text);
        return;
    }
    // The page shows what the byte engine does: the start of a Unicode copy is shown
    // as the platform spells it in code page 932.
    const int units = static_cast<int>(std::min<std::size_t>(copy.unicode.size(), kSampleBytes));
    const auto* wide = reinterpret_cast<const wchar_t*>(copy.unicode.data());
    std::string bytes(static_cast<std::size_t>(units) * 2, '\0');
    bytes.resize(static_cast<std::size_t>(WideCharToMultiByte(
        932, 0, wide, units, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr)));
    sample_ = SampleOf(bytes);
}

}  // namespace qm
