#include "ContactFileFormat.h"

#include <functional>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <charconv>
#include <cstring>
#include <string_view>

#include "BaseHelper.h"
#include "CommonUnits.h"
#include "XmlSafeText.h"

namespace NS_DIRECTORY {

namespace {

// Gathers what pugixml serialises (a couple of KiB at a time) into pieces of 64 KiB for the file being
// written, so a save costs a few writes and no buffer of the file's size.
class PieceWriter : public pugi::xml_writer {
public:
    explicit PieceWriter(const std::function<bool(const char*, std::size_t)>& append) : m_append(append) {
        m_strPiece.reserve(kPieceBytes);
    }
    void write(const void* pData, size_t nSize) override {
        if (m_strPiece.size() + nSize > kPieceBytes) {
            Flush();
        }
        m_strPiece.append(static_cast<const char*>(pData), nSize);
    }
    bool Flush() {
        const bool bAppended = m_strPiece.empty() || m_append(m_strPiece.data(), m_strPiece.size());
        m_strPiece.clear();
        return bAppended;
    }

private:
    static constexpr std::size_t kPieceBytes = 64 * 1024;
    const std::function<bool(const char*, std::size_t)>& m_append;
    std::string m_strPiece;
};

// The contact attributes in the order the contact file is written, so a file written here is read with one
// name test per attribute.
enum ContactAttribute {
    DISPLAY_NAME,
    OFFICE_NUMBER,
    MOBILE_NUMBER,
    OTHER_NUMBER,
    LINE,
    RING,
    GROUP_ID_NAME,
    DEFAULT_PHOTO,
    SELECTED_PHOTO,
    IS_FAVORATE,
    NAME_INDEX,
    CONTACT_ATTRIBUTE_COUNT
};
const char* const kContactAttributeNames[CONTACT_ATTRIBUTE_COUNT] = {
    "display_name",  "office_number", "mobile_number",  "other_number", "line",       "ring",
    "group_id_name", "default_photo", "selected_photo", "is_favorate",  "name_index",
};

// The index of the name that matches, the one expected next tried first; nCount when none does.
template <typename Matches>
size_t FindExpectedFirst(size_t nCount, size_t nExpected, const Matches& matches) {
    if (nExpected < nCount && matches(nExpected)) {
        return nExpected;
    }
    for (size_t nIndex = 0; nIndex < nCount; ++nIndex) {
        if (matches(nIndex)) {
            return nIndex;
        }
    }
    return nCount;
}

// Each name with its terminating zero as two words, and masks of the bytes it covers: a name held in text
// with sixteen bytes to read from it equals the attribute's name exactly when its masked words are these.
struct NameWords {
    std::uint64_t nWords[2];
    std::uint64_t nMasks[2];
};
constexpr std::size_t kNameWordBytes = sizeof(NameWords::nWords);

NameWords WordsOfName(const char* pName) {
    unsigned char szBytes[kNameWordBytes] = {};
    unsigned char szMask[kNameWordBytes] = {};
    const std::size_t nCovered = std::strlen(pName) + 1;  // every name of the file fits with its zero
    std::memcpy(szBytes, pName, nCovered);
    std::memset(szMask, 0xFF, nCovered);
    NameWords words;
    std::memcpy(words.nWords, szBytes, kNameWordBytes);
    std::memcpy(words.nMasks, szMask, kNameWordBytes);
    return words;
}

struct ContactNameWords {
    NameWords names[CONTACT_ATTRIBUTE_COUNT];
    ContactNameWords() {
        for (size_t nIndex = 0; nIndex < CONTACT_ATTRIBUTE_COUNT; ++nIndex) {
            names[nIndex] = WordsOfName(kContactAttributeNames[nIndex]);
        }
    }
};

// Attribute names of one element, compared a word at a time where they lie in the parsed text.
class AttributeNames {
public:
    explicit AttributeNames(std::string_view parsedText)
        : m_nBegin(reinterpret_cast<std::uintptr_t>(parsedText.data())),
          m_nLastStart(parsedText.size() < kNameWordBytes ? 0
                                                          : m_nBegin + parsedText.size() - kNameWordBytes),
          m_words(Words()) {}

    // The attribute expected next is tried first; CONTACT_ATTRIBUTE_COUNT for a name of none.
    size_t Find(const char* pName, size_t nExpected) const {
        const auto nAt = reinterpret_cast<std::uintptr_t>(pName);
        if (nAt >= m_nBegin && nAt <= m_nLastStart) {
            std::uint64_t nRead[2];
            std::memcpy(nRead, pName, kNameWordBytes);
            return FindExpectedFirst(CONTACT_ATTRIBUTE_COUNT, nExpected,
                                     [&](size_t nIndex) { return Equals(nRead, m_words.names[nIndex]); });
        }
        return FindExpectedFirst(CONTACT_ATTRIBUTE_COUNT, nExpected, [pName](size_t nIndex) {
            return std::strcmp(pName, kContactAttributeNames[nIndex]) == 0;
        });
    }

private:
    static const ContactNameWords& Words() {
        static const ContactNameWords words;
        return words;
    }
    static bool Equals(const std::uint64_t (&nRead)[2], const NameWords& name) {
        return (((nRead[0] ^ name.nWords[0]) & name.nMasks[0]) |
                ((nRead[1] ^ name.nWords[1]) & name.nMasks[1])) == 0;
    }

    const std::uintptr_t m_nBegin;
    const std::uintptr_t m_nLastStart;  // the last place a name may start and still be read as two words
    const ContactNameWords& m_words;
};

// Paths of one phone book often share their length and start ("Resource:contact_01.png"): their last
// eight bytes are compared first.
bool IsSameText(std::string_view text, std::string_view other) {
    if (text.size() != other.size()) {
        return false;
    }
    if (text.size() >= 8) {
        std::uint64_t nEnd = 0;
        std::uint64_t nOtherEnd = 0;
        std::memcpy(&nEnd, text.data() + text.size() - 8, sizeof(nEnd));
        std::memcpy(&nOtherEnd, other.data() + other.size() - 8, sizeof(nOtherEnd));
        if (nEnd != nOtherEnd) {
            return false;
        }
    }
    return std::memcmp(text.data(), other.data(), text.size()) == 0;
}

void MakeSafe(std::string& strText) {
    if (!IsPlainAsciiText(strText.data(), strText.size())) {  // plain ASCII is safe as it is
        MakeXmlSafeText(strText);
    }
}

// Whether the walk of an element's attributes has gone past the last one. A parsed attribute always has a
// name, and an empty attribute gives "", so the attribute itself is asked only when the name is empty.
bool IsPastLast(const pugi::xml_attribute& attr, const char* pName) {
    return *pName == '\0' && !attr;
}

}  // namespace

CContactFileFormat::CContactFileFormat(Direction eDirection)
    : m_ring(PHFILE_TYPE_RING, eDirection == READING), m_photo(PHFILE_TYPE_PHOTO, eDirection == READING) {}

const std::string& CContactFileFormat::PathForms::Convert(std::string_view path) {
    if (path.empty()) {
        return m_strEmpty;
    }
    for (std::size_t nIndex = 0; nIndex < m_nFirstEntries; ++nIndex) {
        if (IsSameText(path, m_pFirstEntries[nIndex]->first)) {
            return m_pFirstEntries[nIndex]->second;
        }
    }
    auto found = m_mapConverted.find(path);
    if (found == m_mapConverted.end()) {
        std::string strConverted(path);
        if (m_bToReal) {
            MakeSafe(strConverted);  // before the conversion, which a cleaned-away character may hide
            CommonUnits_Hide2Real(strConverted, m_nFileType);
            MakeSafe(strConverted);  // and after it: the real form must follow the rule as well
        } else {
            CommonUnits_Real2Hide(strConverted, m_nFileType);
        }
        found = m_mapConverted.emplace(std::string(path), std::move(strConverted)).first;
        if (m_nFirstEntries < kRecentEntries) {
            m_pFirstEntries[m_nFirstEntries++] = &*found;
        }
    }
    return found->second;
}

// One pass over the attributes, each name tried in the order the file is written first; the first attribute
// of a name counts, as a lookup by that name finds it.
CContactGeneralModel::GroupData CContactFileFormat::ReadGroup(const pugi::xml_node& node, ValueForm eForm) {
    m_eForm = eForm;
    enum GroupAttribute { ID_NAME, DISPLAY_NAME, RING, READ_ONLY, GROUP_ATTRIBUTE_COUNT };
    static const char* const kNames[GROUP_ATTRIBUTE_COUNT] = {"id_name", "display_name", "ring", "read_only"};
    const char* pValues[GROUP_ATTRIBUTE_COUNT] = {};
    size_t nExpected = 0;
    for (pugi::xml_attribute attr = node.first_attribute();; attr = attr.next_attribute()) {
        const char* pName = attr.name();
        if (IsPastLast(attr, pName)) {
            break;
        }
        const size_t nIndex = FindExpectedFirst(GROUP_ATTRIBUTE_COUNT, nExpected, [pName](size_t nName) {
            return std::strcmp(pName, kNames[nName]) == 0;
        });
        if (nIndex < GROUP_ATTRIBUTE_COUNT) {
            if (pValues[nIndex] == nullptr) {
                pValues[nIndex] = attr.value();
            }
            nExpected = nIndex + 1;
        }
    }
    CContactGeneralModel::GroupData group;
    if (pValues[ID_NAME] != nullptr) {
        group.m_nId = ParseInt(pValues[ID_NAME]);
    }
    if (pValues[DISPLAY_NAME] != nullptr) {
        group.m_strDisplayName = pValues[DISPLAY_NAME];
        if (eForm == RAW_WHITESPACE) {
            MySpaceWhiteSpace(group.m_strDisplayName);
        }
    }
    MyReadPath(m_ring, pValues[RING] != nullptr ? pValues[RING] : "", group.m_strRing);
    group.m_bReadOnly = IsFlagSet(pValues[READ_ONLY]);
    CContactGeneralModel::MyMakeXmlSafe(group);
    return group;
}

// One pass gathers the value of each known attribute (the last of a name counts, as each one read is taken
// over the one before it); the record's texts are then made once each from those values.
void CContactFileFormat::ReadContact(const pugi::xml_node& node, CContactGeneralModel::ItemData& item,
                                     ValueForm eForm, std::string_view parsedText) {
    m_eForm = eForm;
    const AttributeNames names(parsedText);
    const char* pValues[CONTACT_ATTRIBUTE_COUNT] = {};
    size_t nExpected = 0;
    for (pugi::xml_attribute attr = node.first_attribute();; attr = attr.next_attribute()) {
        const char* pName = attr.name();
        if (IsPastLast(attr, pName)) {
            break;
        }
        const size_t nFound = names.Find(pName, nExpected);
        if (nFound < CONTACT_ATTRIBUTE_COUNT) {
            pValues[nFound] = attr.value();
            nExpected = nFound + 1;
        }
    }
    MyTakeText(pValues[DISPLAY_NAME], item.m_strDisplayName);
    MyTakeText(pValues[OFFICE_NUMBER], item.m_strOfficeNumber);
    MyTakeText(pValues[MOBILE_NUMBER], item.m_strMobileNumber);
    MyTakeText(pValues[OTHER_NUMBER], item.m_strOtherNumber);
    if (pValues[LINE] != nullptr) {
        item.m_nLine = ParseInt(pValues[LINE]);
    }
    if (pValues[RING] != nullptr) {
        MyReadPath(m_ring, pValues[RING], item.m_strRing);
    }
    if (pValues[GROUP_ID_NAME] != nullptr) {
        item.m_nGroupId = ParseInt(pValues[GROUP_ID_NAME]);
    }
    if (pValues[DEFAULT_PHOTO] != nullptr) {
        MyReadPath(m_photo, pValues[DEFAULT_PHOTO], item.m_strDefaultPhoto);
    }
    if (pValues[SELECTED_PHOTO] != nullptr) {
        item.m_nSelectedPhoto = ParseInt(pValues[SELECTED_PHOTO]);
    }
    if (pValues[IS_FAVORATE] != nullptr) {
        item.m_bFavorate = IsFlagSet(pValues[IS_FAVORATE]);
    }
    // name_index is never read: it is worked out from the name.
    item.m_strNameIndex = CommonUnits_ToKeyString(item.m_strDisplayName);
}

namespace {

bool IsWhiteSpace(char c) {
    return c == '\t' || c == '\n' || c == '\r';
}

// Whether a byte below 0x20 is in the text, eight bytes at a time: in a word minus 0x20 in every byte, such
// a byte gets its high bit set while its own is clear (a borrow out of it may mark the next byte as well,
// but only after a byte that counts itself).
bool HoldsControlByte(const char* pText, std::size_t nSize) {
    constexpr std::uint64_t kSpaces = 0x2020202020202020ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    const auto marks = [pText](std::size_t nAt) {
        std::uint64_t nWord = 0;
        std::memcpy(&nWord, pText + nAt, sizeof(nWord));
        return (nWord - kSpaces) & ~nWord & kHighBits;
    };
    if (nSize < 8) {
        return std::any_of(pText, pText + nSize, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    }
    std::uint64_t nMarks = marks(nSize - 8);
    for (std::size_t nIndex = 0; nIndex + 8 < nSize; nIndex += 8) {
        nMarks |= marks(nIndex);
    }
    return nMarks != 0;
}

}  // namespace

void CContactFileFormat::MySpaceWhiteSpace(std::string& strText) {
    if (HoldsControlByte(strText.data(), strText.size())) {
        std::replace_if(strText.begin(), strText.end(), IsWhiteSpace, ' ');
    }
}

void CContactFileFormat::MyCleanText(std::string& strText) const {
    if (m_eForm == RAW_WHITESPACE) {
        MySpaceWhiteSpace(strText);
    }
    MakeXmlSafeText(strText);
}

void CContactFileFormat::MyReadPath(PathForms& forms, const char* pValue, std::string& strPath) {
    if (*pValue == '\0') {
        strPath.clear();
        return;
    }
    const std::string_view value(pValue);
    if (m_eForm == DEFAULT_PARSE || !HoldsControlByte(value.data(), value.size())) {
        strPath = forms.Convert(value);
    } else {
        m_strScratch = value;
        MySpaceWhiteSpace(m_strScratch);
        strPath = forms.Convert(m_strScratch);
    }
}

void CContactFileFormat::AppendGroup(pugi::xml_node root, const CContactGeneralModel::GroupData& group) {
    pugi::xml_node node = root.append_child("group");
    node.append_attribute("id_name").set_value(group.m_nId);
    node.append_attribute("display_name").set_value(group.m_strDisplayName.c_str());
    node.append_attribute("ring").set_value(m_ring.Convert(group.m_strRing.c_str()).c_str());
    node.append_attribute("read_only").set_value(Flag(group.m_bReadOnly));
}

pugi::xml_node CContactFileFormat::MyAppendContactElement(pugi::xml_node root) {
    pugi::xml_node node = root.append_child("contact");
    for (const char* pName : kContactAttributeNames) {
        node.append_attribute(pName);
    }
    return node;
}

bool CContactFileFormat::MySetContactValues(pugi::xml_node node, const CContactGeneralModel::ItemData& item) {
    pugi::xml_attribute attr = node.first_attribute();
    bool bSet = true;
    const auto setNext = [&attr, &bSet](const auto&... value) {
        bSet = attr.set_value(value...) && bSet;
        attr = attr.next_attribute();
    };
    const auto setNextText = [&setNext](const std::string& strText) {
        setNext(strText.data(), strText.size());
    };
    setNextText(item.m_strDisplayName);
    setNextText(item.m_strOfficeNumber);
    setNextText(item.m_strMobileNumber);
    setNextText(item.m_strOtherNumber);
    setNext(item.m_nLine);
    setNextText(m_ring.Convert(item.m_strRing));
    setNext(item.m_nGroupId);
    setNextText(m_photo.Convert(item.m_strDefaultPhoto));
    setNext(item.m_nSelectedPhoto);
    setNext(Flag(item.m_bFavorate));
    setNextText(item.m_strNameIndex);
    return bSet;
}

namespace {

// Whether pugixml writes the text into an attribute value as it is: no markup character, quote or control
// byte (bytes of 0x80 and above, the rest of UTF-8, are copied).
bool IsWrittenAsItIs(const std::string& strText) {
    return std::none_of(strText.begin(), strText.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '&' || c == '<' || c == '>' || c == '"';
    });
}

void AppendNumber(std::string& strLine, int nValue) {
    char szDigits[16];
    const char* pEnd = std::to_chars(szDigits, szDigits + sizeof(szDigits), nValue).ptr;
    strLine.append(szDigits, static_cast<std::size_t>(pEnd - szDigits));
}

}  // namespace

// The element pugixml prints for a contact whose texts are all written as they are; false for any other.
bool CContactFileFormat::MyPrintPlainContact(const CContactGeneralModel::ItemData& item,
                                             std::string& strLine) {
    const std::string& strRing = m_ring.Convert(item.m_strRing);
    const std::string& strPhoto = m_photo.Convert(item.m_strDefaultPhoto);
    for (const std::string* pText : {&item.m_strDisplayName, &item.m_strOfficeNumber, &item.m_strMobileNumber,
                                     &item.m_strOtherNumber, &strRing, &strPhoto, &item.m_strNameIndex}) {
        if (!IsWrittenAsItIs(*pText)) {
            return false;
        }
    }
    strLine.assign("\t<contact display_name=\"").append(item.m_strDisplayName);
    strLine.append("\" office_number=\"").append(item.m_strOfficeNumber);
    strLine.append("\" mobile_number=\"").append(item.m_strMobileNumber);
    strLine.append("\" other_number=\"").append(item.m_strOtherNumber);
    strLine.append("\" line=\"");
    AppendNumber(strLine, item.m_nLine);
    strLine.append("\" ring=\"").append(strRing);
    strLine.append("\" group_id_name=\"");
    AppendNumber(strLine, item.m_nGroupId);
    strLine.append("\" default_photo=\"").append(strPhoto);
    strLine.append("\" selected_photo=\"");
    AppendNumber(strLine, item.m_nSelectedPhoto);
    strLine.append("\" is_favorate=\"").append(Flag(item.m_bFavorate));
    strLine.append("\" name_index=\"").append(item.m_strNameIndex).append("\" />\n");
    return true;
}

// The declaration and the root's tags are written here, and so is every contact whose texts need no
// escaping; pugixml prints any other contact element, one level deep, and so keeps its escaping. A book
// without contacts is the empty root pugixml writes.
bool CContactFileFormat::WriteContactFile(const std::function<void(const ContactVisitor&)>& forEachContact,
                                          const std::string& strPath) {
    static constexpr char kHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_contact>\n";
    static constexpr char kTail[] = "</root_contact>\n";
    return ETL_MiscHelper::fileWriteAtomicPieces(
        ETL_MiscHelper::pathMapToRoot(strPath),
        [&](const std::function<bool(const char*, std::size_t)>& append) {
            pugi::xml_document doc;
            pugi::xml_node root = AppendRoot(doc, "root_contact");
            pugi::xml_node contact;
            PieceWriter writer(append);
            bool bSet = true;
            std::string strLine;
            forEachContact([&](const CContactGeneralModel::ItemData& item) {
                if (!contact) {
                    writer.write(kHead, sizeof(kHead) - 1);
                    contact = MyAppendContactElement(root);
                }
                if (MyPrintPlainContact(item, strLine)) {
                    writer.write(strLine.data(), strLine.size());
                    return;
                }
                bSet = MySetContactValues(contact, item) && bSet;
                contact.print(writer, "\t", pugi::format_indent, pugi::encoding_auto, 1);
            });
            if (contact) {
                writer.write(kTail, sizeof(kTail) - 1);
            } else {
                doc.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
            }
            return writer.Flush() && bSet;
        });
}

bool CContactFileFormat::LoadDocument(pugi::xml_document& doc, const std::string& strPath) {
    return static_cast<bool>(doc.load_file(ETL_MiscHelper::pathMapToRoot(strPath).c_str()));
}

bool CContactFileFormat::WriteDocument(const pugi::xml_document& doc, const std::string& strPath) {
    return ETL_MiscHelper::fileWriteAtomicPieces(
        ETL_MiscHelper::pathMapToRoot(strPath),
        [&doc](const std::function<bool(const char*, std::size_t)>& append) {
            PieceWriter writer(append);
            doc.save(writer, "\t", pugi::format_indent, pugi::encoding_auto);
            return writer.Flush();
        });
}

pugi::xml_node CContactFileFormat::AppendRoot(pugi::xml_document& doc, const char* pRootName) {
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("utf-8");
    return doc.append_child(pRootName);
}

int CContactFileFormat::MyParseAnyInt(const char* pText) {
    // Up to nine plain digits, the form the files are written in, cannot overflow.
    int nPlain = 0;
    const char* pDigit = pText;
    for (; pDigit - pText < 9 && *pDigit >= '0' && *pDigit <= '9'; ++pDigit) {
        nPlain = nPlain * 10 + (*pDigit - '0');
    }
    if (*pDigit == '\0' && pDigit != pText) {
        return nPlain;
    }
    while (*pText == ' ' || (*pText >= '\t' && *pText <= '\r')) {
        ++pText;
    }
    const bool bNegative = *pText == '-';
    if (*pText == '-' || *pText == '+') {
        ++pText;
    }
    long long nValue = 0;
    for (; *pText >= '0' && *pText <= '9'; ++pText) {
        nValue = nValue * 10 + (*pText - '0');
        if (nValue > static_cast<long long>(INT_MAX) + 1) {
            break;
        }
    }
    nValue = bNegative ? -nValue : nValue;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, nValue)));
}

}  // namespace NS_DIRECTORY
