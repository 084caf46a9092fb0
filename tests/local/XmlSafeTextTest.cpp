// The rule for text entering the local phone book: what XML 1.0 in UTF-8 cannot carry is dropped or
// replaced, everything else is kept byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "XmlSafeText.h"

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(XmlSafeText, DropsWhatXmlCannotCarryAndReplacesIllFormedUtf8) {
    const struct {
        const char* pWhat;
        std::string strIn;
        std::string strOut;
    } kCases[] = {
        {"plain", "Anna Berg +49 (0)30", "Anna Berg +49 (0)30"},
        {"tab, line feed, carriage return, DEL", "a\tb\nc\rd\x7f", "a\tb\nc\rd\x7f"},
        {"other controls",
         "a\x01\x08\x0b\x0c\x0e\x1f"
         "b",
         "ab"},
        {"embedded NUL", std::string("An\0na", 5), "Anna"},
        {"well-formed UTF-8 of every length", "\xC3\xA9\xE6\x9D\x8E\xF0\x9F\x98\x80\xF4\x8F\xBF\xBD",
         "\xC3\xA9\xE6\x9D\x8E\xF0\x9F\x98\x80\xF4\x8F\xBF\xBD"},
        {"noncharacters U+FFFE and U+FFFF",
         "a\xEF\xBF\xBE\xEF\xBF\xBF"
         "b",
         "ab"},
        {"U+FFFD and C1 controls stay", kFffd + "\xC2\x85", kFffd + "\xC2\x85"},
        {"stray continuation bytes",
         "a\x80\xBF"
         "b",
         "a" + kFffd + kFffd + "b"},
        {"bytes that never start a sequence", "\xC0\xC1\xF5\xFF", kFffd + kFffd + kFffd + kFffd},
        {"overlong forms", "\xC0\xAF\xE0\x80\xAF", kFffd + kFffd + kFffd + kFffd + kFffd},
        {"surrogate", "\xED\xA0\x80", kFffd + kFffd + kFffd},
        {"above U+10FFFF", "\xF4\x90\x80\x80", kFffd + kFffd + kFffd + kFffd},
        {"cut short, one replacement per maximal subpart",
         "\xE6\x9D"
         "a\xF0\x9F\x98",
         kFffd + "a" + kFffd},
        {"cut short at the end", "a\xC3", "a" + kFffd},
    };
    for (const auto& entry : kCases) {
        std::string strText = entry.strIn;
        EXPECT_EQ(NS_DIRECTORY::MakeXmlSafeText(strText), entry.strIn != entry.strOut) << entry.pWhat;
        EXPECT_EQ(strText, entry.strOut) << entry.pWhat;
        EXPECT_EQ(NS_DIRECTORY::IsXmlSafeText(entry.strIn), entry.strIn == entry.strOut) << entry.pWhat;
        EXPECT_TRUE(NS_DIRECTORY::IsXmlSafeText(strText)) << entry.pWhat;
        EXPECT_EQ(NS_DIRECTORY::XmlSafeText(entry.strIn), entry.strOut) << entry.pWhat;
    }
}

}  // namespace
