#pragma once
// The element and attribute layout of the two local files ("root_group"/"group", "root_contact"/"contact"),
// shared by the synchronous load and save, the background reload and export. One object serves one load or
// save: it remembers each ring and photo path conversion, since a phone book repeats a handful of them.

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include <pugixml.hpp>

#include "ContactGeneralModel.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

class CContactFileFormat {
public:
    // Reading turns stored paths into real ones; writing does the reverse.
    enum Direction { READING, WRITING };
    explicit CContactFileFormat(Direction eDirection);

    // Missing attributes keep their reset values; texts are cleaned by the rule of XmlSafeText.h, since a
    // file written elsewhere may hold what a save could not write back (ring and photo paths before they
    // are converted to their real form).
    // How the element's attribute values were parsed: with pugixml's default options, or with white space
    // left raw (without parse_wconv_attribute, from text holding no character reference, and with parse_eol
    // unless the text holds no carriage return), where each tab, line feed or carriage return of a value
    // read counts as the space a default parse gives.
    enum ValueForm { DEFAULT_PARSE, RAW_WHITESPACE };
    CContactGeneralModel::GroupData ReadGroup(const pugi::xml_node& node, ValueForm eForm = DEFAULT_PARSE);
    // The digit-key name is always recomputed from the (cleaned) name, never read. parsedText, when given,
    // is text the element was parsed from in place: attribute names lying well inside it are compared a
    // word at a time, which reads a few bytes past a short name.
    void ReadContact(const pugi::xml_node& node, CContactGeneralModel::ItemData& item,
                     ValueForm eForm = DEFAULT_PARSE, std::string_view parsedText = {});
    void AppendGroup(pugi::xml_node root, const CContactGeneralModel::GroupData& group);
    // Writes the contact file of the contacts forEachContact visits, in that order, straight into a new file
    // that then replaces the old one atomically: the bytes WriteDocument gives for a document holding one
    // "contact" element per contact, without building that document (one element serves every contact).
    using ContactVisitor = std::function<void(const CContactGeneralModel::ItemData&)>;
    bool WriteContactFile(const std::function<void(const ContactVisitor&)>& forEachContact,
                          const std::string& strPath);

    const std::string& ConvertRing(const char* pPath) { return m_ring.Convert(pPath); }
    const std::string& ConvertPhoto(const char* pPath) { return m_photo.Convert(pPath); }

    // A file that does not parse to its end counts as unreadable as a whole.
    static bool LoadDocument(pugi::xml_document& doc, const std::string& strPath);
    // Serialises with one tab per level straight into a new file that then replaces the old one atomically
    // (no buffer of the file's size is needed).
    static bool WriteDocument(const pugi::xml_document& doc, const std::string& strPath);
    // Adds the declaration (version "1.0", encoding "utf-8") and the named root element.
    static pugi::xml_node AppendRoot(pugi::xml_document& doc, const char* pRootName);
    // atoi (leading blanks, a sign, then digits), clamped to the int range instead of overflowing.
    static int ParseInt(const char* pText) {
        // One or two plain digits, what the files nearly always hold, are read here.
        const unsigned nFirst = static_cast<unsigned char>(pText[0]) - unsigned{'0'};
        if (nFirst < 10) {
            if (pText[1] == '\0') {
                return static_cast<int>(nFirst);
            }
            const unsigned nSecond = static_cast<unsigned char>(pText[1]) - unsigned{'0'};
            if (nSecond < 10 && pText[2] == '\0') {
                return static_cast<int>(nFirst * 10 + nSecond);
            }
        }
        return MyParseAnyInt(pText);
    }
    static const char* Flag(bool bSet) { return bSet ? "1" : "0"; }
    // A flag attribute is set only by exactly "1"; an absent one (null) is not set.
    static bool IsFlagSet(const char* pValue) {
        return pValue != nullptr && pValue[0] == '1' && pValue[1] == '\0';
    }

private:
    class PathForms {
    public:
        PathForms(int nFileType, bool bToReal) : m_nFileType(nFileType), m_bToReal(bToReal) {}
        const std::string& Convert(std::string_view path);

    private:
        using Entry = std::pair<const std::string, std::string>;
        // A phone book repeats a handful of paths: the first few met are compared one by one before the
        // map is asked.
        static constexpr std::size_t kRecentEntries = 8;

        const int m_nFileType;
        const bool m_bToReal;
        const std::string m_strEmpty;
        // Looked up by the document's text without making a string of it.
        std::map<std::string, std::string, std::less<>> m_mapConverted;
        const Entry* m_pFirstEntries[kRecentEntries] = {};  // map nodes stay put
        std::size_t m_nFirstEntries = 0;
    };

    // A text of the element being read (when the element has it), made to follow the rule. The string is
    // built at its size and moved in, which costs less than an assignment into the one there.
    void MyTakeText(const char* pValue, std::string& strText) const {
        if (pValue == nullptr) {
            return;
        }
        const std::size_t nSize = std::strlen(pValue);
        strText = std::string(pValue, nSize);
        if (!IsPlainAsciiText(pValue, nSize)) {
            MyCleanText(strText);
        }
    }
    void MyCleanText(std::string& strText) const;
    // A "contact" element with every attribute in file order, all empty.
    static pugi::xml_node MyAppendContactElement(pugi::xml_node root);
    // The line of a contact whose texts are all written as they are, into strLine; false for any other.
    bool MyPrintPlainContact(const CContactGeneralModel::ItemData& item, std::string& strLine);
    // Sets the values of an element MyAppendContactElement made, in its attribute order; false when out of
    // memory.
    bool MySetContactValues(pugi::xml_node node, const CContactGeneralModel::ItemData& item);
    // Tabs, line feeds and carriage returns become spaces.
    static void MySpaceWhiteSpace(std::string& strText);
    static int MyParseAnyInt(const char* pText);
    // A stored path of the element being read, in its real form.
    void MyReadPath(PathForms& forms, const char* pValue, std::string& strPath);

    PathForms m_ring;
    PathForms m_photo;
    ValueForm m_eForm = DEFAULT_PARSE;  // of the element being read
    std::string m_strScratch;
};

}  // namespace NS_DIRECTORY
