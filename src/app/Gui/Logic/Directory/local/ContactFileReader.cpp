#include "ContactFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include <pugixml.hpp>

#include "ContactFileFormat.h"

namespace NS_DIRECTORY {

namespace {

constexpr const char* kRootName = "root_contact";
constexpr const char* kContactName = "contact";
constexpr std::string_view kClosingTag = "</root_contact>";
constexpr std::string_view kCutMarker = "<contact";
// A piece holds what lies between two children of the root; it may hold no element at all.
constexpr unsigned kPieceOptions = pugi::parse_default | pugi::parse_fragment;

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the root's closing tag starts when only white space follows it; npos otherwise.
std::size_t ClosingTagAtEnd(std::string_view text) {
    std::size_t nEnd = text.size();
    while (nEnd > 0 && IsXmlSpace(text[nEnd - 1])) {
        --nEnd;
    }
    if (nEnd < kClosingTag.size() ||
        text.substr(nEnd - kClosingTag.size(), kClosingTag.size()) != kClosingTag) {
        return std::string_view::npos;
    }
    return nEnd - kClosingTag.size();
}

// The first cut at or after nFrom, nLimit when there is none before it.
std::size_t NextCut(std::string_view text, std::size_t nFrom, std::size_t nLimit) {
    if (nFrom >= nLimit) {
        return nLimit;
    }
    const std::size_t nFound = text.substr(0, nLimit).find(kCutMarker, nFrom);
    return nFound == std::string_view::npos ? nLimit : nFound;
}

// Whether the text holds the two characters one after the other; the search runs on the second, which is
// rare in a contact file.
bool Holds(std::string_view text, char cFirst, char cSecond) {
    const char* pEnd = text.data() + text.size();
    for (const char* pAt = text.data(); pAt < pEnd; ++pAt) {
        pAt = static_cast<const char*>(std::memchr(pAt, cSecond, static_cast<std::size_t>(pEnd - pAt)));
        if (pAt == nullptr) {
            return false;
        }
        if (pAt > text.data() && pAt[-1] == cFirst) {
            return true;
        }
    }
    return false;
}

bool HoldsChar(std::string_view text, char c) {
    return std::memchr(text.data(), c, text.size()) != nullptr;
}

// The options a text parsed in place is parsed with instead of the given ones, and how its attribute values
// come out.
// A conversion is left out where it cannot change anything: escapes in a piece without '&', line ends in
// one without a carriage return. White space in attribute values is left raw unless the piece holds a
// character reference: the reader then counts each tab and line feed of a value as a space, which is what
// the conversion gives (a carriage return, if any, has become a line feed by then), while a reference could
// put a tab or line feed there that the conversion must keep.
unsigned TrimmedOptions(std::string_view part, unsigned nDefaultOptions,
                        CContactFileFormat::ValueForm* pForm) {
    const bool bEscapes = HoldsChar(part, '&');
    if (bEscapes && Holds(part, '&', '#')) {
        *pForm = CContactFileFormat::DEFAULT_PARSE;
        return nDefaultOptions;
    }
    *pForm = CContactFileFormat::RAW_WHITESPACE;
    unsigned nOptions = nDefaultOptions & ~pugi::parse_wconv_attribute;
    if (!bEscapes) {
        nOptions &= ~pugi::parse_escapes;
    }
    if (!HoldsChar(part, '\r')) {
        nOptions &= ~pugi::parse_eol;
    }
    return nOptions;
}

// parsedText: what the children were parsed from in place, if they were.
void ReadChildren(const pugi::xml_node& parent, CContactFileFormat::ValueForm eForm,
                  std::string_view parsedText, CContactFileFormat& format,
                  CContactFileReader::ItemList* pRecords) {
    for (pugi::xml_node node = parent.child(kContactName); node; node = node.next_sibling(kContactName)) {
        auto pItem = std::make_unique<CContactGeneralModel::ItemData>();
        format.ReadContact(node, *pItem, eForm, parsedText);
        pRecords->push_back(std::move(pItem));
    }
}

}  // namespace

bool CContactFileReader::ReadContacts(const std::string& strRealPath, CContactFileFormat& format,
                                      ItemList* pRecords) {
    pRecords->clear();
    FileText text;
    if (!MyReadFile(strRealPath, &text)) {
        return false;
    }
    // A contact as written takes well over this many bytes, so the list rarely grows while read.
    constexpr std::size_t kFewestContactBytes = 128;
    pRecords->reserve(text.nSize / kFewestContactBytes);
    if (MyReadInPieces(text, format, pRecords)) {
        return true;
    }
    // Pieces read before the one that failed were parsed in place: the whole parse needs the file afresh.
    pRecords->clear();
    text = FileText();
    const bool bRead = MyReadFile(strRealPath, &text) && MyReadWhole(text, format, pRecords);
    if (!bRead) {
        pRecords->clear();
    }
    return bRead;
}

bool CContactFileReader::LoadGroupDocument(const std::string& strRealPath, pugi::xml_document& doc,
                                           std::unique_ptr<char[]>* pText,
                                           CContactFileFormat::ValueForm* pForm) {
    *pForm = CContactFileFormat::DEFAULT_PARSE;
    FileText text;
    if (MyReadFile(strRealPath, &text) && !HoldsChar(std::string_view(text.pChars.get(), text.nSize), '\0')) {
        CContactFileFormat::ValueForm eForm = CContactFileFormat::DEFAULT_PARSE;
        const unsigned nOptions =
            TrimmedOptions(std::string_view(text.pChars.get(), text.nSize), pugi::parse_default, &eForm);
        const pugi::xml_parse_result result =
            doc.load_buffer_inplace(text.pChars.get(), text.nSize, nOptions, pugi::encoding_auto);
        if (result.encoding == pugi::encoding_utf8) {
            *pText = std::move(text.pChars);
            *pForm = eForm;
            return static_cast<bool>(result);
        }
    }
    doc.reset();
    return static_cast<bool>(doc.load_file(strRealPath.c_str()));
}

// One open, one size query and reads straight into the buffer (no stream buffer in between).
bool CContactFileReader::MyReadFile(const std::string& strRealPath, FileText* pText) {
    const int nFd = ::open(strRealPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (nFd < 0) {
        return false;
    }
    struct Closer {
        int nFd;
        ~Closer() { ::close(nFd); }
    } closer{nFd};
    struct stat status {};
    if (::fstat(nFd, &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    pText->nSize = static_cast<std::size_t>(status.st_size);
    pText->pChars.reset(new char[pText->nSize + 1]);  // not cleared: every byte is read over
    std::size_t nRead = 0;
    while (nRead < pText->nSize) {
        const ssize_t nGot = ::read(nFd, pText->pChars.get() + nRead, pText->nSize - nRead);
        if (nGot < 0 && errno == EINTR) {
            continue;
        }
        if (nGot <= 0) {
            return false;  // an error, or the file grew shorter while read
        }
        nRead += static_cast<std::size_t>(nGot);
    }
    pText->pChars[pText->nSize] = '\0';
    return true;
}

// The head (everything before the first cut, with the closing tag after it) must parse as a UTF-8 document
// whose first "root_contact" is its last element, the one the closing tag closes; each piece must then parse
// as the content of an element. Every cut then lies between two children of that root: a cut anywhere else
// leaves a comment, tag, CDATA section or element open in the part before it, which does not parse.
// A piece without "<!" (no comment, CDATA section or document type) is parsed in place as a fragment, where
// it reads as it does inside the root; any other piece is parsed inside a copy of the root.
bool CContactFileReader::MyReadInPieces(FileText& fileText, CContactFileFormat& format, ItemList* pRecords) {
    const std::string_view text(fileText.pChars.get(), fileText.nSize);
    // A parse in place takes a piece's last byte for the end of the text, which could then close a tag cut
    // off by a NUL inside it: a file holding a NUL is read whole, where the parse ends at the NUL.
    if (HoldsChar(text, '\0')) {
        return false;
    }
    const std::size_t nClosing = ClosingTagAtEnd(text);
    if (nClosing == std::string_view::npos) {
        return false;
    }
    const std::size_t nFirstCut = NextCut(text, 0, nClosing);
    if (nFirstCut == nClosing) {
        return false;
    }
    {
        std::string strHead(text.substr(0, nFirstCut));
        strHead.append(text.substr(nClosing));
        pugi::xml_document head;
        const pugi::xml_parse_result result =
            head.load_buffer_inplace(&strHead[0], strHead.size(), pugi::parse_default, pugi::encoding_auto);
        const pugi::xml_node root = head.child(kRootName);
        if (!result || result.encoding != pugi::encoding_utf8 || !root || root != head.last_child()) {
            return false;
        }
        ReadChildren(root, CContactFileFormat::DEFAULT_PARSE, strHead, format, pRecords);
    }
    pugi::xml_document piece;
    for (std::size_t nFrom = nFirstCut; nFrom < nClosing;) {
        const std::size_t nTo = NextCut(text, nFrom + kPieceBytes, nClosing);
        char* pPart = fileText.pChars.get() + nFrom;
        const std::string_view part(pPart, nTo - nFrom);
        piece.reset();
        pugi::xml_node parent = piece;
        bool bParsed = false;
        CContactFileFormat::ValueForm eForm = CContactFileFormat::DEFAULT_PARSE;
        std::string_view parsedText;
        if (!Holds(part, '<', '!')) {
            const unsigned nOptions = TrimmedOptions(part, kPieceOptions, &eForm);
            bParsed = piece.load_buffer_inplace(pPart, part.size(), nOptions, pugi::encoding_utf8);
            parsedText = text.substr(nFrom);  // the text after the piece is there to read as well
        } else {
            parent = piece.append_child(kRootName);
            bParsed = parent.append_buffer(part.data(), part.size(), kPieceOptions, pugi::encoding_utf8);
        }
        if (!bParsed) {
            return false;
        }
        ReadChildren(parent, eForm, parsedText, format, pRecords);
        nFrom = nTo;
    }
    return true;
}

bool CContactFileReader::MyReadWhole(FileText& text, CContactFileFormat& format, ItemList* pRecords) {
    pugi::xml_document doc;
    // The terminating NUL is parsed too, so the text ends as it does for a parse of the file.
    if (!doc.load_buffer_inplace(text.pChars.get(), text.nSize + 1, pugi::parse_default,
                                 pugi::encoding_auto)) {
        return false;
    }
    pugi::xml_node root = doc.child(kRootName);
    if (!root) {
        return false;
    }
    for (pugi::xml_node node = root.child(kContactName); node;) {
        auto pItem = std::make_unique<CContactGeneralModel::ItemData>();
        format.ReadContact(node, *pItem, CContactFileFormat::DEFAULT_PARSE,
                           std::string_view(text.pChars.get(), text.nSize));
        pRecords->push_back(std::move(pItem));
        // Each element read is given back at once, so the document shrinks while the records grow.
        const pugi::xml_node read = node;
        node = node.next_sibling(kContactName);
        root.remove_child(read);
    }
    return true;
}

}  // namespace NS_DIRECTORY
