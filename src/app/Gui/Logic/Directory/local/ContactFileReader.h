#pragma once
// Reads the contact records of a contact file ("root_contact"/"contact") a piece at a time, so that the
// parsed form of a large file is never held whole beside the records built from it.
// The file is cut before "<contact" markers; the declaration and root element with the closing tag, and
// each piece between cuts as the content of that root, are parsed on their own. Whenever that cannot be
// shown to read what one parse of the whole file reads (a piece that does not parse, a file not in UTF-8, a
// root element not closed at the end of the file), the whole file is parsed at once instead, so the records
// and the answer are always those of one default parse of the file.

#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "ContactFileFormat.h"
#include "ContactGeneralModel.h"

namespace NS_DIRECTORY {

class CContactFileReader {
public:
    using ItemList = CContactGeneralModel::ItemList;

    // Appends a record for every "contact" child of the first "root_contact" element, in file order.
    // False, with pRecords empty, when the file is missing or unreadable, or lacks that root.
    static bool ReadContacts(const std::string& strRealPath, CContactFileFormat& format, ItemList* pRecords);

    // Parses the group file in place from a copy of the file kept in *pText (which must outlive doc), with
    // pugixml's load_file answer under default options and, when that is success, its document; *pForm says
    // how the attribute values came out. A file an in-place parse could read otherwise (one holding a NUL
    // byte, or not in UTF-8) is read by load_file.
    static bool LoadGroupDocument(const std::string& strRealPath, pugi::xml_document& doc,
                                  std::unique_ptr<char[]>* pText, CContactFileFormat::ValueForm* pForm);

    // About this size of file text is parsed at a time.
    static constexpr std::size_t kPieceBytes = 32 * 1024;

private:
    struct FileText {
        std::unique_ptr<char[]> pChars;  // nSize bytes and a NUL after them
        std::size_t nSize = 0;
    };
    static bool MyReadFile(const std::string& strRealPath, FileText* pText);
    static bool MyReadInPieces(FileText& text, CContactFileFormat& format, ItemList* pRecords);
    static bool MyReadWhole(FileText& text, CContactFileFormat& format, ItemList* pRecords);
};

}  // namespace NS_DIRECTORY
