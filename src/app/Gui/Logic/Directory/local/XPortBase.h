#pragma once
// Import of a contact file into the local phone book, wrapped in the same steps for every format: the
// optional limit check, emptying what is not kept, the format's own reader, then one save of both files.
// Groups and contacts go in through the model's insertion rules, so its limits and duplicate checks apply;
// a refused group or contact is skipped and the import goes on. While the reader runs, the model files
// the contacts it takes at the end of its list and puts the list back in name order once the reader has
// ended, before the files are written and the GUI is told; nothing else reads the list meanwhile (imports
// run on the GUI thread, and background searches walk a copy of the store). Every text read is cleaned by the
// rule of XmlSafeText.h before it is looked up or stored, so a name that differs only by what cleaning drops
// finds the same group or contact.
//
// A file that is missing, does not parse or is not of the reader's format is refused with 1 before
// anything is emptied; a file of the right format that holds nothing still empties the phone book. While a
// background reload runs, every import is refused with 12 (the busy answer of an import request) before
// anything is emptied: the reload's answer would swap the imported book away.

#include <string>

#include "ContactGeneralModel.h"

namespace pugi {
class xml_document;
class xml_node;
}  // namespace pugi

namespace NS_DIRECTORY {

enum XPortResultCode : int {
    XPORT_RESULT_OK = 0,
    XPORT_RESULT_INVALID_FILE = 1,  // unknown type, missing root, unreadable file, or export without a model
    XPORT_RESULT_NOT_WRITTEN = XPORT_RESULT_INVALID_FILE,  // the export file could not be written
    XPORT_RESULT_NO_PATH = 7,                              // also: the export object could not be made
    XPORT_RESULT_BUSY = 12,                                // a background reload of the phone book runs
    XPORT_RESULT_NO_MODEL = 17,
};

class CXPortBase {
public:
    virtual ~CXPortBase() = default;
    // A null or empty path is "/config/data/contact_xported.xml". Answers 0, a code above, or the
    // refusal code of the limit check (checkLimits only).
    virtual int Import(const char* pPath, bool bKeepContacts, bool bKeepGroups, bool bCheckLimits);
    // The format's reader: inserts what the file holds.
    virtual int Import(const char* pPath) = 0;

    void BeforeImport(bool bKeepContacts, bool bKeepGroups);
    void AfterImport();
    // 0, or 1 when there is no model or the file could not be written.
    int Export(const char* pPath);

    // "/config/data/contact_xported.xml".
    static const std::string& DefaultFilePath();
    // A stored ring or photo path in its real form; "" and a null path give "". The text is cleaned by the
    // rule of XmlSafeText.h before it is converted: cleaned afterwards, a stored form with a dropped
    // character inside ("Con\x01fig:a.wav") would stay in the book as if it were a real path, and turn into
    // another path once the saved file is read back. A file outside the user's and the phone's own ring (or
    // photo) folder, or a path with a ".." step ("Config:../../etc/passwd"), gives "": an imported file must
    // not make the phone play or show any other file.
    static std::string MyRealPath(const char* pStored, int nFileType);

protected:
    // nFileType: the CommonAPI_ParseContactFileType answer of the files this reader understands.
    explicit CXPortBase(int nFileType) : m_nFileType(nFileType) {}

    // Loads the file; a missing or unparsable file leaves the document empty.
    static void MyLoadDocument(pugi::xml_document& doc, const std::string& strPath);
    // A group the model does not have yet, with a fresh id drawn first (a refused group still uses it up).
    // Its id, or -1 when the model refused it.
    static int MyInsertNewGroup(CContactGeneralModel& model, const std::string& strName,
                                const std::string& strRing);
    // The group of that name, an existing one reused (its ring kept); made with strRing when missing. 0 when
    // it cannot be made.
    static int MyGroupIdForName(CContactGeneralModel& model, const std::string& strName,
                                const std::string& strRing = std::string());
    // Fills the digit-key name, clears the favourite mark and inserts without saving.
    static void MyInsertContact(CContactGeneralModel& model, CContactGeneralModel::ItemData& item);

private:
    const int m_nFileType;
};

}  // namespace NS_DIRECTORY
