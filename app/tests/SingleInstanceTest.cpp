#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>

#include "base/Exception.h"

namespace qm {
namespace {

TEST(SingleInstance, TheNameIsHeldOnceAndAMutexNotHadIsAnError) {
    const std::string name = "qm-instance-" + std::to_string(GetCurrentProcessId());
    {
        const SingleInstance first(name);
        EXPECT_FALSE(first.AlreadyRunning());
        const SingleInstance second(name);
        EXPECT_TRUE(second.AlreadyRunning());
    }
    EXPECT_FALSE(SingleInstance(name).AlreadyRunning()) << "the first one's end frees the name";
    // An event of that name leaves no mutex to be had.
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, name.c_str());
    EXPECT_THROW(SingleInstance{name}, Exception);
    CloseHandle(event);
}

}  // namespace
}  // namespace qm
