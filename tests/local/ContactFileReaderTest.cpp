// Reading a contact file a piece at a time gives exactly the records and the answer of one parse of the
// whole file, also when comments, CDATA sections, nested elements, odd encodings or broken markup put the
// cuts where they do not belong.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "ContactFileFormat.h"
#include "ContactFileReader.h"
#include "TempRoot.h"

namespace {

using NS_DIRECTORY::CContactFileFormat;
using NS_DIRECTORY::CContactFileReader;
using NS_DIRECTORY::CContactGeneralModel;

constexpr const char* kPath = "/config/data/contact_list.xml";

std::string Describe(const CContactGeneralModel::ItemData& item) {
    return item.m_strDisplayName + "|" + item.m_strOfficeNumber + "|" + item.m_strMobileNumber + "|" +
           item.m_strOtherNumber + "|" + item.m_strRing + "|" + item.m_strDefaultPhoto + "|" +
           item.m_strNameIndex + "|" + std::to_string(item.m_nLine) + "|" + std::to_string(item.m_nGroupId) +
           "|" + std::to_string(item.m_nSelectedPhoto) + "|" + (item.m_bFavorate ? "1" : "0");
}

struct Read {
    bool bOk = false;
    std::vector<std::string> listRecords;
};

// One default parse of the whole file, every contact of the first root read as the loaders read it.
Read ReadWhole(const std::string& strRealPath) {
    Read read;
    pugi::xml_document doc;
    const pugi::xml_node root =
        doc.load_file(strRealPath.c_str()) ? doc.child("root_contact") : pugi::xml_node();
    read.bOk = static_cast<bool>(root);
    CContactFileFormat format(CContactFileFormat::READING);
    for (pugi::xml_node node = root.child("contact"); node; node = node.next_sibling("contact")) {
        CContactGeneralModel::ItemData item;
        format.ReadContact(node, item);
        read.listRecords.push_back(Describe(item));
    }
    return read;
}

Read ReadInPieces(const std::string& strRealPath) {
    Read read;
    CContactFileFormat format(CContactFileFormat::READING);
    CContactGeneralModel::ItemList listItems;
    read.bOk = CContactFileReader::ReadContacts(strRealPath, format, &listItems);
    for (const auto& pItem : listItems) {
        read.listRecords.push_back(Describe(*pItem));
    }
    return read;
}

std::string Line(int nIndex, const std::string& strName, const std::string& strExtra = "") {
    return "\t<contact display_name=\"" + strName + " " + std::to_string(nIndex) + "\" office_number=\"030" +
           std::to_string(1000000 + nIndex) + "\" mobile_number=\"0176" + std::to_string(2000000 + nIndex) +
           "\" other_number=\"\" line=\"" + std::to_string(nIndex % 3) + "\" ring=\"\" group_id_name=\"" +
           std::to_string(nIndex % 5) + "\" default_photo=\"\" selected_photo=\"0\" is_favorate=\"" +
           (nIndex % 7 == 0 ? "1" : "0") + "\" name_index=\"\"" + strExtra + "/>\n";
}

// Enough contacts for several pieces, with text of the case's own at three places: before the first
// contact, among the contacts where the first pieces end, and before the closing tag.
std::string File(const std::string& strBefore, const std::string& strAmong, const std::string& strAfter,
                 const std::string& strName = "Anna Müller",
                 const std::string& strDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n",
                 const std::string& strEnd = "</root_contact>\n") {
    std::string strXml = strDeclaration + "<root_contact>\n" + strBefore;
    for (int nIndex = 0; nIndex < 900; ++nIndex) {
        if (nIndex == 100 || nIndex == 300 || nIndex == 600) {
            strXml += strAmong;
        }
        strXml += Line(nIndex, strName);
    }
    return strXml + strAfter + strEnd;
}

std::string Repeated(const std::string& strText, int nTimes) {
    std::string strOut;
    for (int n = 0; n < nTimes; ++n) {
        strOut += strText;
    }
    return strOut;
}

TEST(ContactFileReader, ReadsWhatOneParseOfTheWholeFileReads) {
    // Long enough that a cut searched for inside it lands inside it.
    const std::string strMarkup = Repeated(Line(5000, "Ghost"), 200);
    const struct {
        const char* pWhat;
        std::string strXml;
    } kCases[] = {
        {"as the phone book writes it", File("", "", "")},
        {"ASCII names only", File("", "", "", "Anna Berg")},
        {"no declaration, CRLF line ends",
         [] {
             std::string strXml = File("", "", "", "Anna", "");
             std::string strCrlf;
             for (char c : strXml) {
                 strCrlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
             }
             return strCrlf;
         }()},
        {"byte order mark", "\xEF\xBB\xBF" + File("", "", "")},
        {"empty root", "<root_contact>\n</root_contact>\n"},
        {"contacts without line breaks",
         [] {
             std::string strXml = "<root_contact>";
             for (int n = 0; n < 900; ++n) {
                 strXml += Line(n, "Olga").substr(1);
                 strXml.pop_back();
             }
             return strXml + "</root_contact>";
         }()},
        {"a comment holding contacts", File("", "<!--\n" + strMarkup + "-->\n", "")},
        {"a CDATA section holding contacts",
         File("", "\t<contact display_name=\"Box\"><![CDATA[\n" + strMarkup + "]]></contact>\n", "")},
        {"contacts nested in a contact",
         File("", "\t<contact display_name=\"Outer\">\n" + strMarkup + "\t</contact>\n", "")},
        {"contacts nested in another element", File("", "\t<folder>\n" + strMarkup + "\t</folder>\n", "")},
        {"markup inside attribute values",
         File("", Repeated(Line(7000, "Odd", " note=\"x\n\t<contact \""), 300), "")},
        {"text between contacts", File("", "loose text & more\n", "")},
        {"a declaration among the contacts", File("", "<?xml version=\"1.0\"?>\n", "")},
        {"a processing instruction among the contacts", File("", "<?phone keep?>\n", "")},
        {"a document type among the contacts", File("", "<!DOCTYPE root_contact>\n", "")},
        {"character references and raw control characters",
         File("", Repeated(Line(8000, "Ref&#1;&#233;&#x10FFFF;") + Line(8001, "Raw\x01\x7f"), 150), "")},
        {"attribute names next to the file's own",
         File("",
              Repeated(Line(8500, "Near",
                            " display_nam=\"a\" display_names=\"b\" lin=\"7\" line2=\"8\" ring_=\"c\""
                            " Line=\"9\" line=\"4\""),
                       150),
              "")},
        {"tabs and line feeds in values",
         File("", Repeated(Line(8150, "Tab\tLine\n\n", " ring=\"a\tb\" default_photo=\"c\n\td\""), 150), "")},
        {"white space in values",
         File("",
              Repeated(Line(8200, "Tab\tLine\nCr\rCrLf\r\nEnd", " ring=\"a\tb\" default_photo=\"c\r\nd\""),
                       150),
              "")},
        {"white space and named escapes in values",
         File("", Repeated(Line(8300, "Tab\t&amp;\nCr\r&lt;&gt;&quot;&apos;", " ring=\"x&amp;\ty\""), 150),
              "")},
        {"white space and character references in values",
         File("", Repeated(Line(8400, "Tab\t&#9;Line\n&#10;Cr\r&#13;&#xD;\r\n", " ring=\"&#9;\ty\""), 150),
              "")},
        {"ill-formed UTF-8", File("", Repeated(Line(8100, "Bad\xC3\x28\xFF"), 150), "")},
        {"Latin-1", File("", "", "", "Ren\xE9", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n")},
        {"UTF-16 declared but UTF-8",
         File("", "", "", "Anna", "<?xml version=\"1.0\" encoding=\"utf-16\"?>\n")},
        {"a root closed early", File("", "</root_contact>\n<root_contact>\n", "")},
        {"an empty root before the real one", File("", "", "", "Anna", "<root_contact/>\n")},
        {"another element after the root",
         File("", "", "</root_contact>\n<other>\n", "Anna", "<?xml version=\"1.0\"?>\n", "</other>\n")},
        {"a stray closing tag among the contacts", File("", "</other>\n", "")},
        {"an element left open", File("", "\t<contact display_name=\"Open\">\n", "")},
        {"cut short", File("", "", "").substr(0, 60000)},
        {"cut short in a tag", File("", "", "").substr(0, 60000) + "</root_contact>"},
        {"closing tag only", "</root_contact>"},
        {"a NUL byte where a contact's '>' belongs", File("", "\t<contact display_name=\"Nul\"/" + std::string(1, '\0') + ">\n", "")},
        {"a NUL byte where the closing '>' belongs, '>' last",
         File("", "", "", "Anna", "", "</root_contact" + std::string(1, '\0') + ">")},
        {"a NUL byte after the root, '>' last",
         File("", "", "", "Anna", "", "</root_contact>" + std::string(1, '\0') + "<x/>")},
        {"a NUL byte as the last byte", File("", "", "") + std::string(1, '\0')},
        {"other root", "<root_group>\n" + Line(1, "Anna") + "</root_group>\n"},
        {"empty file", ""},
    };
    testsupport::TempRoot root;
    const std::string strRealPath = root.Dir() + kPath;
    for (const auto& entry : kCases) {
        root.WriteFile(kPath, entry.strXml);
        const Read whole = ReadWhole(strRealPath);
        const Read pieces = ReadInPieces(strRealPath);
        EXPECT_EQ(pieces.bOk, whole.bOk) << entry.pWhat;
        EXPECT_EQ(pieces.listRecords, whole.listRecords) << entry.pWhat;
    }
    EXPECT_FALSE(ReadInPieces(root.Dir() + "/config/data/absent.xml").bOk);
}

std::string DescribeGroups(const pugi::xml_document& doc, CContactFileFormat::ValueForm eForm) {
    std::string strGroups;
    CContactFileFormat format(CContactFileFormat::READING);
    for (pugi::xml_node node = doc.child("root_group").child("group"); node;
         node = node.next_sibling("group")) {
        const CContactGeneralModel::GroupData group = format.ReadGroup(node, eForm);
        strGroups += std::to_string(group.m_nId) + "|" + group.m_strDisplayName + "|" + group.m_strRing +
                     "|" + (group.m_bReadOnly ? "1" : "0") + "\n";
    }
    return strGroups;
}

TEST(ContactFileReader, LoadsTheGroupFileAsLoadFileDoes) {
    static const char kUtf16Root[] = "\xFF\xFE<\0r\0o\0o\0t\0_\0g\0r\0o\0u\0p\0/\0>\0";
    const auto group = [](const std::string& strId, const std::string& strName, const std::string& strRest) {
        return "\t<group id_name=\"" + strId + "\" display_name=\"" + strName + "\"" + strRest + "/>\n";
    };
    const std::string strDeclaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    const std::string strGroups = group("0", "All Contacts", " ring=\"\" read_only=\"1\"") +
                                  group("2", "Family", " ring=\"Config:a.wav\" read_only=\"0\"") +
                                  group("1", "Blacklist", " ring=\"\" read_only=\"1\"");
    const struct {
        const char* pWhat;
        std::string strXml;
    } kCases[] = {
        {"as the phone book writes it", strDeclaration + "<root_group>\n" + strGroups + "</root_group>\n"},
        {"tabs, line feeds and carriage returns in values",
         "<root_group>\r\n" +
             group("3", "Tab\tLine\nCr\rCrLf\r\nEnd", " ring=\"Config:a\tb.wav\" read_only=\"1\n\"") +
             group("\t4", "Four", " read_only=\"1\"") + "</root_group>"},
        {"white space and named escapes",
         "<root_group>\n" + group("5", "A&amp;B\tC", " ring=\"&lt;x\ny&gt;\"") + "</root_group>\n"},
        {"white space and character references",
         "<root_group>\n" + group("6", "A&#9;B\tC&#10;", " ring=\"&#13;\ty\"") + "</root_group>\n"},
        {"first of a repeated attribute",
         "<root_group>" + group("7", "Seven", " display_name=\"Again\" id_name=\"8\" read_only=\"1\"") +
             "</root_group>"},
        {"names next to the attributes'",
         "<root_group>" + group("9", "Nine", " id_nam=\"10\" ring_=\"x\" readonly=\"1\"") + "</root_group>"},
        {"a NUL byte after the root",
         "<root_group>" + strGroups + "</root_group>" + std::string(1, '\0') + "x"},
        {"a NUL byte inside the root", "<root_group>" + strGroups + std::string(1, '\0') + "</root_group>"},
        {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<root_group>" +
                        group("11", "Ren\xE9", "") + "</root_group>"},
        {"UTF-16", std::string(kUtf16Root, sizeof(kUtf16Root) - 1)},
        {"byte order mark", "\xEF\xBB\xBF<root_group>" + strGroups + "</root_group>"},
        {"cut short", ("<root_group>" + strGroups).substr(0, 80)},
        {"empty file", ""},
    };
    testsupport::TempRoot root;
    const std::string strRealPath = root.Dir() + "/config/data/contact_group_list.xml";
    for (const auto& entry : kCases) {
        root.WriteFile("/config/data/contact_group_list.xml", entry.strXml);
        pugi::xml_document expected;
        const bool bExpected = static_cast<bool>(expected.load_file(strRealPath.c_str()));
        pugi::xml_document doc;
        std::unique_ptr<char[]> pText;
        CContactFileFormat::ValueForm eForm = CContactFileFormat::DEFAULT_PARSE;
        EXPECT_EQ(CContactFileReader::LoadGroupDocument(strRealPath, doc, &pText, &eForm), bExpected)
            << entry.pWhat;
        if (bExpected) {  // what a failed parse leaves behind is never read
            EXPECT_EQ(DescribeGroups(doc, eForm), DescribeGroups(expected, CContactFileFormat::DEFAULT_PARSE))
                << entry.pWhat;
        }
    }
    // The white space case is the one read in place with white space left raw.
    root.WriteFile("/config/data/contact_group_list.xml", kCases[1].strXml);
    pugi::xml_document doc;
    std::unique_ptr<char[]> pText;
    CContactFileFormat::ValueForm eForm = CContactFileFormat::DEFAULT_PARSE;
    ASSERT_TRUE(CContactFileReader::LoadGroupDocument(strRealPath, doc, &pText, &eForm));
    EXPECT_NE(pText, nullptr);
    EXPECT_EQ(eForm, CContactFileFormat::RAW_WHITESPACE);
}

TEST(ContactFileReader, ReadsEveryContactOfALargeFileInOrder) {
    testsupport::TempRoot root;
    root.WriteFile(kPath, File("", "", ""));
    const Read pieces = ReadInPieces(root.Dir() + kPath);
    ASSERT_TRUE(pieces.bOk);
    ASSERT_EQ(pieces.listRecords.size(), 900u);
    EXPECT_EQ(pieces.listRecords.front().rfind("Anna Müller 0|0301000000|01762000000|", 0), 0u);
    EXPECT_EQ(pieces.listRecords.back().rfind("Anna Müller 899|0301000899|01762000899|", 0), 0u);
}

}  // namespace
