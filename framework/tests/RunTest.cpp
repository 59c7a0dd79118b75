// The application's message loop; in a process of its own, since the loop ends for good.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Application.h"
#include "framework/Form.h"

namespace qm {
namespace {

TEST(ApplicationRun, ShowsTheMainFormAndEndsWhenTheMainFormCloses) {
    TForm form(nullptr);
    bool shown = false;
    form.OnShow = [&](TComponent*) { shown = true; };
    Application().SetMainForm(&form);
    Application().SetShowMainForm(true);
    PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Application().Run(), 0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(form.Visible());
}

}  // namespace
}  // namespace qm
