// Percent-encoding of URL path segments and query values.

#include <gtest/gtest.h>

#include <string>

#include "UrlCodec.h"

namespace {

TEST(UrlCodecTest, OnlyUnreservedBytesStayAndDecodingRestoresEveryByte) {
    const struct {
        std::string text;
        const char* encoded;
    } cases[] = {
        {"Sales-Team_2.0~", "Sales-Team_2.0~"},
        {"a b/c?d&e=f%", "a%20b%2Fc%3Fd%26e%3Df%25"},
        {"alice@example.test", "alice%40example.test"},
        {"*+#,;", "%2A%2B%23%2C%3B"},
        {"M\xc3\xbcller", "M%C3%BCller"},
        {std::string("a\0b", 3), "a%00b"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonAPI_UrlEncode(c.text), c.encoded) << c.text;
        EXPECT_EQ(CommonAPI_UrlDecode(c.encoded), c.text) << c.encoded;
    }
    EXPECT_EQ(CommonAPI_UrlDecode("100%"), "100%");
    EXPECT_EQ(CommonAPI_UrlDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(CommonAPI_UrlDecode("%2f%2F"), "//");
}

}  // namespace
