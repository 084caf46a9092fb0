// String utilities: trimming, conversion, splitting, click actions and page windows (matching: UnicodeText).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommonAPI.h"

namespace {

TEST(CommonApiTest, TrimConvertTranslateAndFormat) {
    const struct {
        const char* text;
        const char* chars;
        int type;
        const char* expected;
    } cases[] = {
        {"  Bob  ", " ", TRIM_LEFT, "Bob  "},
        {"  Bob  ", " ", TRIM_RIGHT, "  Bob"},
        {"  Bob  ", " ", TRIM_BOTH, "Bob"},
        {",Doe, John,", ",", TRIM_BOTH, "Doe, John"},
        {"    ", " ", TRIM_BOTH, ""},
        {"", " ", TRIM_BOTH, ""},
        {"abc", " ", 7, "abc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonAPI_TrimString(c.text, c.chars, c.type), c.expected) << c.text << " type " << c.type;
    }
    EXPECT_EQ(CommonAPI_TrimWhitespaceFromString("\t 0171 555\r\n", TRIM_BOTH), "0171 555");
    EXPECT_EQ(CommonAPI_StringConvert("HTTP://Host/Dir", STRING_CONVERT_TO_LOWER), "http://host/dir");
    EXPECT_EQ(CommonAPI_StringConvert("abc", STRING_CONVERT_TO_UPPER), "ABC");
    EXPECT_EQ(CommonAPI_TranslateString("http://#IP/a?ip=#IP&m=#MAC", "#IP", "10.0.0.1"),
              "http://10.0.0.1/a?ip=10.0.0.1&m=#MAC");
    EXPECT_EQ(CommonAPI_TranslateString("aaa", "a", "aa"), "aaaaaa");  // no rescanning of the replacement
    EXPECT_EQ(CommonAPI_TranslateString("abc", "", "x"), "abc");
    EXPECT_EQ(CommonAPI_FormatString("%s-%05d", "id", 42), "id-00042");
    EXPECT_EQ(CommonAPI_FormatString("%s", std::string(5000, 'x').c_str()).size(), 5000u);

    std::vector<std::string> pieces{"stale"};
    ASSERT_TRUE(CommonAPI_ParseStringBySeparator("Sales,,Support,", ',', pieces));
    EXPECT_EQ(pieces, (std::vector<std::string>{"Sales", "", "Support", ""}));
    EXPECT_FALSE(CommonAPI_ParseStringBySeparator("", ',', pieces));
    EXPECT_TRUE(pieces.empty());
}

TEST(CommonApiTest, ParseIdByClickActionAndDigitKeys) {
    const struct {
        const char* action;
        const char* pattern;
        int expected;
    } cases[] = {
        {"local_contact_x3", "local_contact_x", 3},
        {"OpenSubPage(local_contact_x12)", "local_contact_x", 12},
        {"remote_phonebook_x0", "remote_phonebook_x", 0},
        {"remote_phonebook_x", "remote_phonebook_x", -1},
        {"local_contact_x3", "remote_phonebook_x", -1},
        {"network_phonebook_xABC", "network_phonebook_x", -1},
        {"local_contact_x99999999999", "local_contact_x", -1},
        {"", "local_contact_x", -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonAPI_ParseIdByClickAction(c.action, c.pattern), c.expected) << c.action;
    }
    for (const char* pKeys : {"5646", "+49*#"}) {
        EXPECT_TRUE(CommonAPI_IsSearchByT9(pKeys)) << pKeys;
    }
    for (const char* pKeys : {"", "12a", "12 34"}) {
        EXPECT_FALSE(CommonAPI_IsSearchByT9(pKeys)) << pKeys;
    }
}

TEST(CommonApiTest, PageWindowIsHalfOpenAndClipped) {
    const struct {
        int begin, count, total;
        bool ok;
        int from, to;
    } cases[] = {
        {0, 10, 25, true, 0, 10},    {20, 10, 25, true, 20, 25}, {30, 10, 25, true, 25, 25},
        {0, 0, 25, true, 0, 0},      {0, 10, 0, true, 0, 0},     {5, 2147483647, 16777215, true, 5, 16777215},
        {-1, 10, 25, false, -7, -7}, {0, -1, 25, false, -7, -7}, {0, 10, -1, false, -7, -7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.begin) + "/" + std::to_string(c.count) + "/" + std::to_string(c.total));
        int from = -7, to = -7;
        EXPECT_EQ(CommonAPI_GetFromAndToIndex(&from, &to, c.begin, c.count, c.total), c.ok);
        EXPECT_EQ(from, c.from);
        EXPECT_EQ(to, c.to);
    }
    int from = 0;
    EXPECT_FALSE(CommonAPI_GetFromAndToIndex(&from, nullptr, 0, 1, 1));
}

}  // namespace
