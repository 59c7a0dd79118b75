#include <gtest/gtest.h>

#include "framework/Exception.h"
#include "framework/Stream.h"
#include "framework/Strings.h"

namespace qm {
namespace {

TEST(TStringList, IndexErrorsNameTheIndexAndChangeNothing) {
    TStringList list{"a", "b"};
    EXPECT_THROW(list.Get(2), Exception);
    EXPECT_THROW(list.Insert(3, "x"), Exception);
    EXPECT_THROW(list.Delete(-1), Exception);
    try {
        list.Put(5, "x");
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), ListIndexErrorMessage(5));
        EXPECT_NE(std::string(e.what()).find("(5)"), std::string::npos);
    }
    list.Insert(2, "c");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TMemoryStream, ReadsAndWritesAtItsPosition) {
    TMemoryStream s("abcdef");
    s.SetPosition(4);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2u);
    EXPECT_STREQ(buf, "ef");
    EXPECT_EQ(s.Read(buf, 8), 0u);
    s.SetPosition(8);
    s.Write("xy", 2);
    EXPECT_EQ(s.Bytes(), std::string("abcdef\0\0xy", 10));
}

}  // namespace
}  // namespace qm
