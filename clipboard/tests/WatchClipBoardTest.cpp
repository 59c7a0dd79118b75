// The viewer in a real clipboard-viewer chain, inside the test process: a viewer
// that joined before ours (so ours passes notifications to it) and one that joined
// after ours (so it passes them to ours).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "clipboard/Clipboard.h"
#include "clipboard/WatchClipBoard.h"
#include "clipboard/tests/ClipboardTestSupport.h"
#include "framework/Application.h"

namespace qm {
namespace {

void PutBitmap(bool withText) {
    ClipboardOpening opening;
    opening.EmptyOnce();
    HDC screen = GetDC(nullptr);
    SetClipboardData(CF_BITMAP, CreateCompatibleBitmap(screen, 4, 4));
    ReleaseDC(nullptr, screen);
    if (withText) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2);
        memcpy(GlobalLock(block), "x", 2);
        GlobalUnlock(block);
        SetClipboardData(CF_TEXT, block);
    }
}

struct ChainTest : ::testing::Test {
    void SetUp() override {
        Application().SetErrorDisplay([this](const std::string& m) { errors.push_back(m); });
        before = std::make_unique<OtherViewer>();
        PutText("left over");
        viewer = std::make_unique<TWatchClipBoard>(nullptr);
        viewer->OnChange = [this](TComponent*) { events.push_back("change"); };
        viewer->OnAddText = [this](TComponent*) { events.push_back("text"); };
        viewer->OnAddBitmap = [this](TComponent*) { events.push_back("bitmap"); };
        after = std::make_unique<OtherViewer>();
        Settle();
        events.clear();
        before->draws = 0;
    }
    void TearDown() override {
        after.reset();
        viewer.reset();
        before.reset();
        Application().SetErrorDisplay(nullptr);
    }
    std::unique_ptr<OtherViewer> before, after;
    std::unique_ptr<TWatchClipBoard> viewer;
    std::vector<std::string> events, errors;
};

TEST_F(ChainTest, StartingEmptiesTheClipboard) {
    EXPECT_FALSE(ClipboardHasFormat(CF_TEXT));
    EXPECT_EQ(ReadClipboardText(), "");
}

TEST_F(ChainTest, TextRaisesChangeThenTextAndReachesTheNextViewer) {
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2 && before->draws >= 1; }));
    Settle();
    EXPECT_EQ(events, (std::vector<std::string>{"change", "text"}));
    EXPECT_EQ(ReadClipboardText(), "abc");
}

TEST_F(ChainTest, BitmapAndBothFormats) {
    PutBitmap(false);
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
    Settle();
    EXPECT_EQ(events, (std::vector<std::string>{"change", "bitmap"}));
    events.clear();
    PutBitmap(true);
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 3; }));
    EXPECT_EQ(events, (std::vector<std::string>{"change", "text", "bitmap"}));
}

TEST_F(ChainTest, WatchOffRaisesNothingButStillPassesTheNotificationOn) {
    viewer->SetWatch(false);
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return before->draws >= 1; }));
    Settle();
    EXPECT_TRUE(events.empty());
}

TEST_F(ChainTest, FollowsTheChainWhenTheNextViewerLeaves) {
    ASSERT_EQ(viewer->NextViewer(), before->Handle());
    const HWND beyond = before->Next();
    before->Leave();
    Settle();
    EXPECT_EQ(viewer->NextViewer(), beyond);
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(before->draws, 0);
}

TEST_F(ChainTest, PassesRepairFurtherDownTheChain) {
    // ours -> middle -> before: when `before` leaves, the repair message comes to
    // ours (the head) and must travel on to `middle`, whose next viewer it was.
    after.reset();
    viewer.reset();
    OtherViewer middle;
    viewer = std::make_unique<TWatchClipBoard>(nullptr);
    ASSERT_EQ(viewer->NextViewer(), middle.Handle());
    const HWND beyond = before->Next();
    before->Leave();
    Settle();
    EXPECT_EQ(middle.Next(), beyond);
    EXPECT_EQ(viewer->NextViewer(), middle.Handle());
    viewer.reset();
}

TEST_F(ChainTest, LeavingHandsTheNextViewerToTheOneBefore) {
    viewer.reset();
    Settle();
    EXPECT_EQ(after->Next(), before->Handle());
}

TEST_F(ChainTest, WriteInsideTheTextEventRaisesNestedEvents) {
    int writes = 0;
    viewer->OnAddText = [&](TComponent*) {
        events.push_back("text");
        if (writes++ == 0) WriteClipboardText("filtered");
    };
    PutText("raw");
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 4; }));
    Settle();
    EXPECT_EQ(events, (std::vector<std::string>{"change", "text", "change", "text"}));
    EXPECT_EQ(ReadClipboardText(), "filtered");
}

TEST_F(ChainTest, HandlerErrorIsShownAndTheChainStillHearsOfTheChange) {
    viewer->OnAddText = [](TComponent*) { throw Exception("broken"); };
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty() && before->draws >= 1; }));
    EXPECT_EQ(errors, std::vector<std::string>{"broken."});
    PutText("again");
    ASSERT_TRUE(PumpUntil([&] { return errors.size() >= 2; }));
}

TEST_F(ChainTest, SecondInstanceFailsAndLeavesTheFirstWorking) {
    try {
        TWatchClipBoard second(nullptr);
        FAIL() << "a second instance was created";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), TWatchClipBoard::kSecondInstanceError);
    }
    EXPECT_EQ(viewer->NextViewer(), before->Handle());
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
}

TEST(Clipboard, WriteLeavesOnlyTheTextAndReadStopsAtNul) {
    PutBitmap(true);
    WriteClipboardText(std::string("ab\0cd", 5));
    EXPECT_FALSE(ClipboardHasFormat(CF_BITMAP));
    EXPECT_EQ(ReadClipboardText(), "ab");
    WriteClipboardText("");
    EXPECT_TRUE(ClipboardHasFormat(CF_TEXT));
    EXPECT_EQ(ReadClipboardText(), "");
}

// The platform offers each text format converted from the other; only the source's
// own keeps the text whole.
TEST(Clipboard, CopyIsReadInTheFormItsSourceWrote) {
    // A code that reads back as another one (an NEC-selected IBM kanji), then "a" in hiragana
    const std::string bytes = "\xED\x40\x82\xA0";
    PutBitmap(false);
    WriteClipboardText(bytes);
    ClipboardCopy copy = ReadClipboardCopy();
    EXPECT_FALSE(copy.isUnicode);
    EXPECT_EQ(copy.text, bytes);

    // An emoji, then text after a NUL
    ASSERT_TRUE(WriteClipboardTextIfUnchanged(std::u16string(u"\U0001F600 x\0y", 5),
                                              GetClipboardSequenceNumber()));
    copy = ReadClipboardCopy();
    EXPECT_TRUE(copy.isUnicode);
    EXPECT_EQ(copy.unicode, u"\U0001F600 x");
}

TEST(Clipboard, OpeningsNest) {
    {
        ClipboardOpening outer;
        { ClipboardOpening inner; }
        // Still open: the platform refuses a second opening by another window.
        EXPECT_EQ(GetOpenClipboardWindow(), Application().MainWindow());
    }
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
}

}  // namespace
}  // namespace qm
