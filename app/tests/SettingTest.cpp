// The filter handler on the real clipboard, in the test process.
#include <gtest/gtest.h>

#include "app/Setting.h"
#include "clipboard/Clipboard.h"
#include "clipboard/tests/ClipboardTestSupport.h"
#include "framework/Application.h"

namespace qm {
namespace {

TEST(TForm1, SuspendArguments) {
    for (const char* yes : {"d", "S", "Disable", "suspend"})
        EXPECT_TRUE(TForm1::IsSuspendArgument(yes)) << yes;
    for (const char* no : {"-d", "", "x", "/s"})
        EXPECT_FALSE(TForm1::IsSuspendArgument(no)) << no;
}

struct FormTest : ::testing::Test {
    void SetUp() override {
        Application().SetErrorDisplay([this](const std::string& m) { errors.push_back(m); });
    }
    void TearDown() override {
        form.reset();
        Application().SetErrorDisplay(nullptr);
        SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    }
    std::unique_ptr<TForm1> form;
    std::vector<std::string> errors;
};

TEST_F(FormTest, FiltersACopyOnceAndIdlesAfterwards) {
    form = std::make_unique<TForm1>();
    form->FormCreate({});
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    int runs = 0;
    form->WatchClipBoard1->OnAddText = [&](TComponent* s) {
        ++runs;
        form->ClipTrapClipChange(s);
    };
    PutText("a\nb\n");
    ASSERT_TRUE(PumpUntil([] { return ReadClipboardText() == "a\r\nb"; }));
    Settle();
    // The run and the notification of its own write: the second finds Busy set.
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(form->Busy);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    EXPECT_TRUE(errors.empty());
}

TEST_F(FormTest, SuspendedLeavesClipboardAndPriorityAlone) {
    form = std::make_unique<TForm1>();
    form->FormCreate({"x", "s"});
    ASSERT_TRUE(form->Suspended);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    PutText("a\nb");
    Settle();
    Settle();
    EXPECT_EQ(ReadClipboardText(), "a\nb");
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(FormTest, BusyRunIgnoresANotification) {
    form = std::make_unique<TForm1>();
    form->FormCreate({});
    form->Busy = true;
    PutText("a\nb");
    Settle();
    Settle();
    EXPECT_EQ(ReadClipboardText(), "a\nb");
}

}  // namespace
}  // namespace qm
