#include "clipboard/QzClipDetector.h"

#include <gtest/gtest.h>

#include "base/Exception.h"
#include "clipboard/tests/ClipboardTestSupport.h"

namespace qm {
namespace {

struct DetectorTest : ::testing::Test {
    void SetUp() override {
        Application().SetErrorDisplay([this](const std::string& m) { errors.push_back(m); });
        Settle();
    }
    void TearDown() override { Application().SetErrorDisplay(nullptr); }
    std::vector<std::string> errors;
};

TEST_F(DetectorTest, WithoutAHandlerItNeverJoins) {
    OtherViewer head;
    TQzClipDetector detector(nullptr);
    EXPECT_FALSE(detector.InChain());
    EXPECT_EQ(GetClipboardViewer(), head.Handle());
}

TEST_F(DetectorTest, IgnoresTheJoinNotificationByDefault) {
    TQzClipDetector detector(nullptr);
    int changes = 0;
    detector.SetOnClipChange([&](TComponent* sender) {
        EXPECT_EQ(sender, &detector);
        ++changes;
    });
    Settle();
    EXPECT_EQ(changes, 0);
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
}

TEST_F(DetectorTest, RaisesTheJoinNotificationWhenToldTo) {
    TQzClipDetector detector(nullptr);
    detector.SetIgnoreFirst(false);
    int changes = 0;
    detector.SetOnClipChange([&](TComponent*) { ++changes; });
    ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
}

TEST_F(DetectorTest, RemovingTheHandlerLeavesTheChainAndAssigningRejoins) {
    OtherViewer before;
    TQzClipDetector detector(nullptr);
    int changes = 0;
    detector.SetOnClipChange([&](TComponent*) { ++changes; });
    ASSERT_TRUE(detector.InChain());
    EXPECT_EQ(detector.NextViewer(), before.Handle());
    detector.SetOnClipChange(nullptr);
    EXPECT_FALSE(detector.InChain());
    EXPECT_EQ(GetClipboardViewer(), before.Handle());
    PutText("abc");
    Settle();
    EXPECT_EQ(changes, 0);
    detector.SetOnClipChange([&](TComponent*) { ++changes; });
    EXPECT_TRUE(detector.InChain());
    PutText("def");
    ASSERT_TRUE(PumpUntil([&] { return changes == 1 && before.draws >= 1; }));
}

TEST_F(DetectorTest, AHandlerErrorIsShownAndTheChainStillHearsOfTheChange) {
    OtherViewer before;
    TQzClipDetector detector(nullptr);
    detector.SetOnClipChange([](TComponent*) { throw Exception("broken"); });
    PutText("abc");
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty() && before.draws >= 1; }));
    EXPECT_EQ(errors.front(), "broken.");
}

}  // namespace
}  // namespace qm
