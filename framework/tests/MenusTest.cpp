// Popup menus and their entries, icons and image lists under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "framework/Application.h"
#include "framework/ImageList.h"
#include "framework/Menus.h"
#include "framework/SerialRegistry.h"
#include "framework/tests/IconTestSupport.h"

namespace qm {
namespace {

using test::IconColor;
using test::SolidIcon;

TMenuItem* NewItem(TComponent* owner, const std::string& caption) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    return item;
}

std::vector<std::string> Captions(const TMenuItem& parent) {
    std::vector<std::string> captions;
    for (int i = 0; i < parent.Count(); ++i)
        captions.push_back(parent.Items(i)->Caption());
    return captions;
}

TEST(MenuItem, InsertDeleteAndIndexKeepTheOrderAndRefuseBadPositions) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    TMenuItem& items = menu.Items();
    auto* line = NewItem(&form, "-");
    auto* exit = NewItem(&form, "E&xit");
    items.Add(line);
    items.Add(exit);
    auto* preset = NewItem(&form, "work");
    items.Insert(0, preset);
    EXPECT_EQ(Captions(items), (std::vector<std::string>{"work", "-", "E&xit"}));
    EXPECT_EQ(items.IndexOf(exit), 2);
    EXPECT_EQ(exit->Parent(), &items);
    EXPECT_EQ(exit->GetParentMenu(), &menu);
    EXPECT_TRUE(line->IsLine());

    EXPECT_THROW(items.Insert(4, NewItem(&form, "far")), Exception);
    EXPECT_THROW(items.Insert(0, exit), Exception);  // already in the menu
    EXPECT_THROW(items.Items(3), Exception);
    EXPECT_THROW(items.Delete(-1), Exception);

    items.Delete(0);
    EXPECT_EQ(preset->Parent(), nullptr);
    EXPECT_EQ(items.IndexOf(preset), -1);
    EXPECT_EQ(Captions(items), (std::vector<std::string>{"-", "E&xit"}));
}

TEST(MenuItem, EntryTakenOutByItsOwnClickStaysValidUntilItsOwnerGoes) {
    // A presets menu rebuilds itself from the click of one of its entries.
    auto form = std::make_unique<TComponent>(nullptr);
    auto* menu = new TPopupMenu(form.get());
    TMenuItem& items = menu->Items();
    items.Add(NewItem(form.get(), "-"));
    std::vector<std::string> loaded;
    std::function<void()> rebuild;
    auto onClick = [&](TComponent* sender) {
        rebuild();
        // The entry has left the menu but is still whole.
        loaded.push_back(static_cast<TMenuItem*>(sender)->Hint());
    };
    rebuild = [&] {
        while (items.Items(0)->Caption() != "-")
            items.Delete(0);
        for (const char* name : {"b", "a"}) {
            auto* entry = NewItem(form.get(), name);
            entry->SetHint(std::string(name) + ".ini");
            entry->SetAutoHotkeys(maManual);
            entry->OnClick = onClick;
            items.Insert(0, entry);
        }
    };
    rebuild();
    TMenuItem* first = items.Items(0);
    const UINT command = first->Command();
    TMenuItem::FindCommand(command)->Click();
    EXPECT_EQ(loaded, std::vector<std::string>{"a.ini"});
    EXPECT_EQ(Captions(items), (std::vector<std::string>{"a", "b", "-"}));
    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_EQ(TMenuItem::FindCommand(command), first);  // alive until the form goes
    form.reset();
    EXPECT_EQ(TMenuItem::FindCommand(command), nullptr);
}

TEST(MenuItem, DestroyingAMenuDestroysTheEntriesStillInIt) {
    TComponent form(nullptr);
    auto* menu = new TPopupMenu(&form);
    auto* kept = NewItem(&form, "kept");
    auto* out = NewItem(&form, "out");
    menu->Items().Add(kept);
    menu->Items().Add(out);
    menu->Items().Remove(out);
    const UINT keptCommand = kept->Command();
    delete menu;
    EXPECT_EQ(TMenuItem::FindCommand(keptCommand), nullptr);
    EXPECT_EQ(form.Components().size(), 1u);  // only "out" is left
    EXPECT_EQ(form.Components()[0], out);
    // An entry destroyed on its own leaves its parent.
    TPopupMenu other(&form);
    auto* gone = NewItem(&form, "gone");
    other.Items().Add(gone);
    delete gone;
    EXPECT_EQ(other.Items().Count(), 0);
}

TEST(MenuTexts, AutomaticAcceleratorsGoToFreeLettersOfEntriesWithout) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    TMenuItem& items = menu.Items();
    for (const char* caption : {"Open", "Options", "-", "E&xit", "x-ray", "&&Co", "!?"})
        items.Add(NewItem(&form, caption));
    auto* manual = NewItem(&form, "My Settings");
    manual->SetAutoHotkeys(maManual);
    items.Add(manual);
    EXPECT_EQ(TPopupMenu::MenuTexts(items),
              (std::vector<std::string>{"&Open", "O&ptions", "-", "E&xit", "x-&ray", "&&&Co", "!?",
                                        "My Settings"}));
    menu.SetAutoHotkeys(maManual);
    EXPECT_EQ(TPopupMenu::MenuTexts(items)[0], "Open");
    // An entry of its own choice overrides the menu's.
    items.Items(1)->SetAutoHotkeys(maAutomatic);
    EXPECT_EQ(TPopupMenu::MenuTexts(items)[1], "&Options");
}

TEST(MenuTexts, AutoHotkeyNeverMarksTheSecondByteOfATwoByteCharacter) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    // "\x83\x41" is katakana A, whose second byte is the code of "A".
    menu.Items().Add(NewItem(&form,
                             "\x83\x41"
                             "b"));
    // "options(&O)" in Japanese: the mark after two-byte characters is found.
    menu.Items().Add(
        NewItem(&form, "\x8a\xc2\x8b\xab\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93(&O)"));
    menu.Items().Add(NewItem(&form, "Open"));
    EXPECT_EQ(TPopupMenu::MenuTexts(menu.Items()),
              (std::vector<std::string>{
                  "\x83\x41&b", "\x8a\xc2\x8b\xab\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93(&O)",
                  "O&pen"}));
}

TEST(PopupMenu, BuiltMenuHasSeparatorsDefaultAndDisabledEntriesPicturesAndSubmenus) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    TMenuItem& items = menu.Items();
    auto* options = NewItem(&form, "&Options");
    options->SetDefault(true);
    HICON red = SolidIcon(RGB(255, 0, 0));
    options->Picture().SetHandle(red);
    items.Add(options);
    items.Add(NewItem(&form, "-"));
    auto* more = NewItem(&form, "&More");
    more->Add(NewItem(&form, "&Inner"));
    more->SetEnabled(false);
    items.Add(more);

    HMENU built = TPopupMenu::BuildMenu(items);
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(GetMenuItemCount(built), 3);
    EXPECT_EQ(GetMenuDefaultItem(built, TRUE, 0), 0u);
    EXPECT_FALSE(GetMenuState(built, 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(built, 2, MF_BYPOSITION) & MF_GRAYED);
    char text[64] = {};
    GetMenuStringA(built, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Options");

    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_BITMAP | MIIM_ID | MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoA(built, 2, TRUE, &info));
    EXPECT_EQ(info.hbmpItem, nullptr);  // no picture
    ASSERT_TRUE(GetMenuItemInfoA(built, 0, TRUE, &info));
    EXPECT_EQ(info.wID, options->Command());
    EXPECT_EQ(info.hbmpItem, HBMMENU_CALLBACK);

    // The owner draws the picture where the menu asks for it.
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = options->Command();
    LRESULT result = 0;
    ASSERT_TRUE(
        TPopupMenu::DrawPicture(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure), result));
    EXPECT_EQ(measure.itemWidth, 16u);
    EXPECT_EQ(measure.itemHeight, 16u);
    HICON target = SolidIcon(RGB(0, 0, 0));
    ICONINFO targetInfo{};
    GetIconInfo(target, &targetInfo);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, targetInfo.hbmColor);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = options->Command();
    draw.hDC = dc;
    draw.rcItem = {0, 0, 16, 16};
    ASSERT_TRUE(TPopupMenu::DrawPicture(WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), result));
    EXPECT_EQ(GetPixel(dc, 8, 8), RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(targetInfo.hbmColor);
    DeleteObject(targetInfo.hbmMask);
    DestroyIcon(target);
    draw.CtlType = ODT_BUTTON;  // not a menu's
    EXPECT_FALSE(TPopupMenu::DrawPicture(WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), result));

    ASSERT_TRUE(GetMenuItemInfoA(built, 1, TRUE, &info));
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    ASSERT_TRUE(GetMenuItemInfoA(built, 2, TRUE, &info));
    ASSERT_NE(info.hSubMenu, nullptr);
    EXPECT_EQ(GetMenuItemCount(info.hSubMenu), 1);
    DestroyMenu(built);
}

TEST(PopupMenu, PopupRunsTheChosenEntrysClickBeforeItReturns) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    std::vector<std::string> log;
    for (const char* caption : {"&First", "-", "&Second"}) {
        auto* item = NewItem(&form, caption);
        item->OnClick = [&log, caption](TComponent*) { log.push_back(caption); };
        menu.Items().Add(item);
    }
    menu.OnPopup = [&](TComponent*) { log.push_back("popup"); };
    // The menu's own loop takes the keys waiting in the queue: the accelerator of
    // the second entry chooses it.
    PostMessageA(Application().Handle(), WM_KEYDOWN, 'S', 0);
    menu.Popup(100, 100);
    log.push_back("returned");
    EXPECT_EQ(log, (std::vector<std::string>{"popup", "&Second", "returned"}));

    log.clear();
    PostMessageA(Application().Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    menu.Popup(100, 100);
    EXPECT_EQ(log, std::vector<std::string>{"popup"});
}

TEST(PopupMenu, PopupComponentIsForgottenWhenItGoes) {
    TComponent form(nullptr);
    TPopupMenu menu(&form);
    auto* shower = new TComponent(&form);
    menu.SetPopupComponent(shower);
    EXPECT_EQ(menu.PopupComponent(), shower);
    delete shower;
    EXPECT_EQ(menu.PopupComponent(), nullptr);
}

TEST(Icon, ChangesAreToldAndCopiesAreIndependent) {
    int changes = 0;
    TIcon icon;
    icon.OnChange = [&](TIcon&) { ++changes; };
    icon.SetHandle(SolidIcon(RGB(0, 0, 255)));
    EXPECT_EQ(changes, 1);
    TIcon copy;
    copy.Assign(icon);
    icon.Clear();
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(IconColor(copy.Handle()), RGB(0, 0, 255));
    EXPECT_THROW(icon.LoadFromFile("no such file.ico"), Exception);
    EXPECT_EQ(changes, 2);
}

TEST(ImageList, HoldsCopiesAndHandsOutCopies) {
    TComponent form(nullptr);
    TImageList list(&form);
    int changes = 0;
    list.OnChange = [&](TComponent*) { ++changes; };
    for (COLORREF color : {RGB(255, 0, 0), RGB(0, 255, 0)}) {
        HICON icon = SolidIcon(color);
        list.AddIcon(icon);
        DestroyIcon(icon);  // the list has its own copy
    }
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 2);
    TIcon icon;
    list.GetIcon(1, icon);
    EXPECT_EQ(IconColor(icon.Handle()), RGB(0, 255, 0));
    list.GetIcon(2, icon);
    EXPECT_TRUE(icon.Empty());
    EXPECT_THROW(list.AddIcon(icon), Exception);
    EXPECT_THROW(list.Delete(2), Exception);
    list.Delete(0);
    list.GetIcon(0, icon);
    EXPECT_EQ(IconColor(icon.Handle()), RGB(0, 255, 0));
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes, 4);
}

TEST(SerialRegistry, NumbersWrapAroundPastTheLiveOnesAndGoneOnesFindNothing) {
    int a = 0, b = 0, c = 0, d = 0;
    SerialRegistry<int> registry(3);
    EXPECT_EQ(registry.Add(&a), 1u);
    EXPECT_EQ(registry.Add(&b), 2u);
    EXPECT_EQ(registry.Add(&c), 3u);
    EXPECT_THROW(registry.Add(&d), Exception);
    registry.Remove(2);
    EXPECT_EQ(registry.Find(2), nullptr);
    EXPECT_EQ(registry.Add(&d), 2u);  // 1 and 3 are taken
    EXPECT_EQ(registry.Find(2), &d);
    registry.Remove(1);
    registry.Remove(3);
    EXPECT_EQ(registry.Add(&a), 3u);  // the next number, not the lowest free one
    EXPECT_EQ(registry.Find(0), nullptr);
}

}  // namespace
}  // namespace qm
