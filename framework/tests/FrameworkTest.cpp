#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/Component.h"
#include "framework/MessageWindow.h"
#include "framework/Messages.h"

namespace qm {
namespace {

struct Recorder : TComponent {
    Recorder(TComponent* owner, std::vector<std::string>* log, std::string name)
        : TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~Recorder() override { log_->push_back("destroy " + Name()); }
    void Notification(TComponent* c, Operation op) override {
        if (op == Operation::Remove && c != this) log_->push_back(Name() + " lost " + c->Name());
    }
    std::vector<std::string>* log_;
};

TEST(Component, OwnerDestroysOwnedComponentsLastFirst) {
    std::vector<std::string> log;
    auto* form = new Recorder(nullptr, &log, "form");
    new Recorder(form, &log, "a");
    new Recorder(form, &log, "b");
    EXPECT_EQ(form->Components().size(), 2u);
    EXPECT_EQ(form->FindComponent("b")->Name(), "b");
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"destroy form", "destroy b", "destroy a"}));
}

TEST(Component, ReferencedComponentTellsItsHolderWhenItGoes) {
    std::vector<std::string> log;
    Recorder form(nullptr, &log, "form");
    auto* menu = new Recorder(&form, &log, "menu");
    auto* tray = new Recorder(&form, &log, "tray");
    menu->FreeNotification(tray);
    delete menu;
    EXPECT_NE(std::find(log.begin(), log.end(), "tray lost menu"), log.end());
    log.clear();
    delete tray;  // no stale link back to the menu
    EXPECT_EQ(log, (std::vector<std::string>{"destroy tray", "form lost tray"}));
}

TEST(Application, ErrorTextGetsAFullStopAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(TApplication::ErrorText("Can not save to IniFile"), "Can not save to IniFile.");
    EXPECT_EQ(TApplication::ErrorText("done."), "done.");
    EXPECT_EQ(TApplication::ErrorText("what?!"), "what?!");  // "!" sorts before "."
    EXPECT_EQ(TApplication::ErrorText(""), "");
    // a Japanese sentence ending in hiragana n (0x82F1) gets "." as well
    EXPECT_EQ(TApplication::ErrorText("\x82\xDC\x82\xB9\x82\xF1"), "\x82\xDC\x82\xB9\x82\xF1.");
}

TEST(Application, ErrorsWhileABoxIsOpenStackNoBoxButAreCounted) {
    std::vector<std::string> shown;
    Application().SetErrorDisplay([&](const std::string& m) {
        shown.push_back(m);
        // The box's own message loop lets two more failures in.
        if (shown.size() == 1) {
            Application().ShowError("second");
            Application().ShowError("third");
        }
    });
    Application().ShowError("first");
    Application().SetErrorDisplay(nullptr);
    EXPECT_EQ(shown,
              (std::vector<std::string>{"first.", TApplication::MeanwhileText("third.", 2)}));
}

TEST(Application, StandardExceptionsAreShownInJapanese) {
    std::vector<std::string> shown;
    Application().SetErrorDisplay([&](const std::string& m) { shown.push_back(m); });
    Application().ShowException(std::bad_alloc());
    Application().ShowException(std::length_error("vector"));
    Application().SetErrorDisplay(nullptr);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], TApplication::ErrorText(kOutOfMemoryMessage));
    EXPECT_EQ(shown[1].rfind(kUnexpectedErrorMessage, 0), 0u) << shown[1];
}

TEST(MessageWindow, HandlerErrorsReachTheErrorDisplay) {
    std::vector<std::string> shown;
    Application().SetErrorDisplay([&](const std::string& m) { shown.push_back(m); });
    MessageWindow window([](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_USER + 1) throw Exception("broken");
        if (m == WM_USER + 2) return 42;
        return DefWindowProcA(w, m, wp, lp);
    });
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(SendMessageA(window.Handle(), WM_USER + 2, 0, 0), 42);
    EXPECT_EQ(SendMessageA(window.Handle(), WM_USER + 1, 0, 0), 0);
    EXPECT_EQ(shown, std::vector<std::string>{"broken."});
    Application().SetErrorDisplay(nullptr);
}

TEST(MessageWindow, DestroyedWindowNoLongerReachesItsObject) {
    HWND handle;
    int calls = 0;
    {
        MessageWindow window([&](HWND w, UINT m, WPARAM wp, LPARAM lp) {
            if (m == WM_USER) ++calls;
            return DefWindowProcA(w, m, wp, lp);
        });
        handle = window.Handle();
        SendMessageA(handle, WM_USER, 0, 0);
    }
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace qm
