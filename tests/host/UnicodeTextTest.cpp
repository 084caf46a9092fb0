// Text in every script: the folding behind the string match, the keypad digits of names, ill-formed UTF-8,
// and the rule that narrowing relies on (a key that matches a text makes each of its prefixes match it).

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CommonAPI.h"
#include "CommonUnits.h"

namespace {

TEST(UnicodeText, FoldingIgnoresCaseAccentsAndCompatibilityForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"Müller", "muller"},
        {"MÜLLER", "muller"},
        {"Mu\xCC\x88ller", "muller"},  // u followed by a combining diaeresis
        {"Straße", "strasse"},
        {"ﬁnance ﬂow", "finance flow"},
        {"ǄEMAL", "dzemal"},
        {"ｆｕｌｌ ①", "full 1"},
        {"Mül\xC2\xADler", "muller"},  // soft hyphen
        {"İstanbul", "istanbul"},
        {"Łódź Øre Đak Ħal ılık", "lodz ore dak hal ilik"},
        {"Ærø Œuvre", "æro œuvre"},
        {"Ёлка ЙОД Їжак Ўладзімір Ґанок", "елка иод іжак уладзімір ґанок"},
        {"ИВАН Иван", "иван иван"},
        {"ΣΟΦΊΑ Άρης ΐ", "σοφια αρησ ι"},
        {"ς", "σ"},
        {"東京 서울", "東京 \xE1\x84\x89\xE1\x85\xA5\xE1\x84\x8B\xE1\x85\xAE\xE1\x86\xAF"},
        {"Ann Иванова Σοφία", "ann иванова σοφια"},
        // Ill-formed bytes stay as they are, one by one; what follows them folds as usual.
        {"A\xFF"
         "B",
         "a\xFF"
         "b"},
        {"\xC3", "\xC3"},
        {"\xC3(Ä", "\xC3(a"},
        {"\xED\xA0\x80Й", "\xED\xA0\x80и"},        // an encoded surrogate
        {"\xC0\xAF", "\xC0\xAF"},                  // an overlong slash
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},  // past U+10FFFF
        {"\xE2\x82", "\xE2\x82"},
    };
    for (const auto& [pText, pFolded] : cases) {
        EXPECT_EQ(CommonAPI_FoldForMatch(pText), pFolded) << pText;
    }
    // Forms much longer than their character: "⨌" is four integral signs, "㈱" three characters.
    std::string strLong = "X";
    std::string strLongFolded = "x";
    for (int n = 0; n < 40; ++n) {
        strLong += n % 2 == 0 ? "⨌" : "㈱Ä";
        strLongFolded += n % 2 == 0 ? "∫∫∫∫" : "(株)a";
    }
    EXPECT_EQ(CommonAPI_FoldForMatch(strLong), strLongFolded);
    EXPECT_TRUE(CommonAPI_StringMatch(strLong, "∫∫(株", false, STRING_MATCH_CONTAIN));
}

TEST(UnicodeText, MatchIgnoresCaseAndAccentsInEveryScript) {
    const struct {
        const char* field;
        const char* key;
        bool fromStart;
        bool expected;
    } cases[] = {
        {"Müller", "muller", false, true},
        {"Müller", "MÜLLER", true, true},
        {"Mueller", "müller", false, false},
        {"Иван Петров", "иван", true, true},
        {"иван петров", "ПЕТР", false, true},
        {"Иван Петров", "пет", true, false},
        {"Семёнов", "семен", false, true},
        {"Семенов", "СЕМЁН", false, true},
        {"Σοφία Παπαδοπούλου", "σοφια", true, true},
        {"ΟΔΥΣΣΕΑΣ", "οδυσσεας", false, true},
        {"Łukasz Żak", "lukasz zak", false, true},
        {"Ann Иванова Σοφία", "ИВАНОВА σοφ", false, true},
        {"Straße", "STRASSE", false, true},
        {"ﬁnn", "fin", true, true},
        {"Anna", "Анна", false, false},  // Latin and Cyrillic letters are not the same letters
        {"a\xFF"
         "b",
         "\xFF"
         "B",
         false, true},
        {"a\xFF"
         "b",
         "\xFE", false, false},
        {"Иван", "ив\xD0", true, true},  // the key ends inside a character being typed
        {"Иван", "\xD0", false, true},
        {"", "\xD0", false, true},
        {"Иван", "ив\xD0x", false, false},  // in the middle the same byte is compared as it is
        {"ив\xD0x", "в\xD0X", false, true},
        {"Müller", "MÜ", false, true},
        {"Müller", "ller", false, true},
        {"Müller", "ller", true, false},
        {"Mueller", "mü", false, true},
        {"Ångström", "angs", true, true},
        {"ÉMILE", "émile", true, true},
        {"+4930123", "301", false, true},
        {"0301", "", true, true},
        {"ab", "abc", false, false},
        {"", "a", false, false},
        {"John Smith", "SMI", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommonAPI_StringMatch(c.field, c.key, c.fromStart, STRING_MATCH_CONTAIN), c.expected)
            << c.field << " / " << c.key;
    }
    EXPECT_FALSE(CommonAPI_StringMatch("abc", "a", false, 2)) << "only match type 1 is known";
}

TEST(UnicodeText, KeypadDigitsOfEveryScript) {
    const std::pair<const char*, const char*> cases[] = {
        {"abcdefghijklmnopqrstuvwxyz", "22233344455566677778889999"},
        {"ABC XYZ", "222999"},
        {"O'Brien-Smith", "62743676484"},
        {"Agent 007", "24368007"},
        {"+49 (30) *5#", "+4930*5#"},
        {"Müller", "685537"},
        {"Straße", "7872773"},
        {"ÀÉÎÕÜÇÑ àéîõüçñ", "23468262346826"},
        {"Łódź Ærø Œuvre", "563927668873"},
        {"ﬁ", "34"},
        {"абвгґ дежзёє ийклії мноп рстуў фхцч шщъы ьэюя", "22222333333444444555566666777788889999"},
        {"АБВГҐ ДЕЖЗЁЄ ИЙКЛІЇ МНОП РСТУЎ ФХЦЧ ШЩЪЫ ЬЭЮЯ", "22222333333444444555566666777788889999"},
        {"αβγ δεζ ηθι κλμ νξο πρσς τυφ χψω", "2223334445556667777888999"},
        {"ΑΒΓ ΔΕΖ ΗΘΙ ΚΛΜ ΝΞΟ ΠΡΣ ΤΥΦ ΧΨΩ", "222333444555666777888999"},
        {"Άέήίόύώ", "2344689"},
        {"Иван", "4225"},
        {"Σοφία", "76842"},
        {"Ann Иванова Σοφία 007", "266422552276842007"},
        {"+7 (495) *1#", "+7495*1#"},
        {"０１２", "012"},
        {"東京 ђ љ", ""},  // letters of no keypad here
        {"a\xFF"
         "b\xD0",
         "22"},
        {"\xC3\xA4\xC3", "2"},
    };
    for (const auto& [pName, pKeys] : cases) {
        EXPECT_EQ(CommonUnits_ToKeyString(pName), pKeys) << pName;
    }
}

// Names of two-byte characters take their keys from a table; a name with a character of three bytes takes
// them character by character through its folded form. Both must give the same keys for every character,
// also beside ill-formed bytes and with several keys to a character.
TEST(UnicodeText, KeysOfTwoByteCharactersMatchTheFoldedForm) {
    const std::string strNoKey = "\xE6\x9D\xB1";  // a letter of no keypad here, written in three bytes
    for (unsigned cp = 0x80; cp < 0x800; ++cp) {
        const std::string strChar = {static_cast<char>(0xC0 | (cp >> 6)),
                                     static_cast<char>(0x80 | (cp & 0x3F))};
        for (const std::string& strName :
             {strChar, "Ab" + strChar + "\xFF" + strChar, "\xC3" + strChar + "z\xD0"}) {
            EXPECT_EQ(CommonUnits_ToKeyString(strName), CommonUnits_ToKeyString(strNoKey + strName))
                << std::hex << cp;
        }
    }
    EXPECT_EQ(CommonUnits_ToKeyString("\xC5\x89"), "6");  // ŉ folds to two characters, one of them a letter
    EXPECT_EQ(CommonUnits_ToKeyString("Stra\xC3\x9F"
                                      "e"),
              "7872773");
}

// Narrowing a search is sound only when every prefix of a matching key matches too; keys are typed byte
// by byte here, so they also end inside characters and hold ill-formed bytes.
TEST(UnicodeText, EveryBytePrefixOfAMatchingKeyMatches) {
    const std::vector<std::string> pieces{"an", "Ан", "на",        "ё",    "Е",    "σ", "ς",
                                          "Σο", "ü",  "u\xCC\x88", "ß",    "ss",   "ﬁ", "Ł",
                                          " ",  "7",  "\xFF",      "\xD0", "\xB8", "東"};
    std::mt19937 random(20261206);
    const auto randomText = [&](int nPieces) {
        std::string strText;
        for (int n = 0; n < nPieces; ++n) {
            strText += pieces[random() % pieces.size()];
        }
        return strText;
    };
    const auto expectEveryPrefixMatches = [](const std::string& strField, const std::string& strKey,
                                             bool bFromStart) {
        for (size_t n = 0; n < strKey.size(); ++n) {
            ASSERT_TRUE(
                CommonAPI_StringMatch(strField, strKey.substr(0, n), bFromStart, STRING_MATCH_CONTAIN))
                << "[" << strField << "] [" << strKey.substr(0, n) << "] of [" << strKey << "]";
        }
    };
    // Written out: letters of two cases and with accents, and punctuation of a phone number.
    const std::pair<const char*, const char*> kWritten[] = {{"Müller-Lüdenscheidt", "lüdens"},
                                                            {"Müller-Lüdenscheidt", "ller-l"},
                                                            {"Åsa Öberg", "ÅSA Ö"},
                                                            {"0049 (30) 1234-567", "(30) 12"},
                                                            {"Zoë", "ZOË"},
                                                            {"ÆTHELRED", "æth"},
                                                            {"Ирина", "ири"}};
    for (const auto& [pField, pKey] : kWritten) {
        ASSERT_TRUE(CommonAPI_StringMatch(pField, pKey, false, STRING_MATCH_CONTAIN))
            << pField << " / " << pKey;
        expectEveryPrefixMatches(pField, pKey, false);
    }
    int nMatched = 0;
    for (int nRound = 0; nRound < 3000; ++nRound) {
        const std::string strField = randomText(3 + static_cast<int>(random() % 6));
        std::string strKey = randomText(1 + static_cast<int>(random() % 3));
        if (nRound % 2 == 0) {  // a piece of the field itself, cut anywhere
            const size_t nBegin = random() % strField.size();
            strKey = strField.substr(nBegin, 1 + random() % (strField.size() - nBegin));
        }
        const bool bFromStart = nRound % 5 == 0;
        if (!CommonAPI_StringMatch(strField, strKey, bFromStart, STRING_MATCH_CONTAIN)) {
            continue;
        }
        ++nMatched;
        expectEveryPrefixMatches(strField, strKey, bFromStart);
    }
    EXPECT_GT(nMatched, 1000);
}

// Matches keep per-thread buffers: threads matching different keys at once get their own answers.
TEST(UnicodeText, ThreadsMatchSideBySide) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"Иван Петров", "петр"}, {"Σοφία", "ΣΟΦ"}, {"Müller", "MUL"}, {"Łódź", "lod"}};
    std::vector<int> vecMisses(cases.size(), 0);
    std::vector<std::thread> vecThreads;
    for (size_t nThread = 0; nThread < cases.size(); ++nThread) {
        vecThreads.emplace_back([&, nThread] {
            for (int n = 0; n < 2000; ++n) {
                const auto& [strField, strKey] = cases[(nThread + n) % cases.size()];
                const auto& other = cases[(nThread + n + 1) % cases.size()];
                vecMisses[nThread] += CommonAPI_StringMatch(strField, strKey, false, 1) ? 0 : 1;
                vecMisses[nThread] += CommonAPI_StringMatch(other.first, strKey, false, 1) ? 1 : 0;
            }
        });
    }
    for (std::thread& thread : vecThreads) {
        thread.join();
    }
    EXPECT_EQ(vecMisses, std::vector<int>(cases.size(), 0));
}

}  // namespace
