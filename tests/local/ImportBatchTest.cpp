// An import into a large book files its contacts in one pass at the end; what it leaves behind (contacts,
// their order, groups, counters, refusals, call log, files) must be what inserting them one after the other
// leaves.

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "LocalModelFixture.h"
#include "XPortFactory.h"
#include "XPortOsprey.h"

namespace localtest {
namespace {

using NS_DIRECTORY::CXPortOsprey;
using NS_DIRECTORY::XPortFactory;

constexpr const char* kImportFile = "/config/data/contact_xported.xml";
constexpr int kBookContacts = 1200;
constexpr int kBookBlack = 5;
constexpr int kRoomLeft = 180;  // contacts the book still takes outside the blacklist
constexpr int kBlackRoomLeft = 2;

std::string Numbered(const char* pFormat, int nNumber) {
    char szText[64];
    std::snprintf(szText, sizeof(szText), pFormat, nNumber);
    return szText;
}

// Names that sort before, among and after "Book 0000".."Book 1199", some equal ignoring case to a book
// contact or to one earlier in the import; groups by name (existing, new, the blacklist, none), and
// numbers some of which a book contact has too.
std::string ImportBody() {
    std::string strGroups = "<root_group><group display_name=\"Company\"/><group display_name=\"Imported\"/>";
    std::string strContacts = "<root_contact>";
    for (int nIndex = 0; nIndex < 400; ++nIndex) {
        std::string strName;
        switch (nIndex % 8) {
            case 0:
                strName = Numbered("Aaa %03d", nIndex);
                break;
            case 1:
                strName = Numbered("Book %04d5", (nIndex * 37) % kBookContacts);
                break;
            case 2:
                strName = Numbered("zz %03d", nIndex);
                break;
            case 3:
                strName = Numbered("BOOK %04d", (nIndex * 13) % kBookContacts);
                break;  // in the book
            case 4:
                strName = Numbered("aAA %03d", nIndex - 4);
                break;  // an earlier import name
            case 5:
                strName = Numbered("Mid %03d", 400 - nIndex);
                break;
            case 6:
                strName = Numbered("ZZ %03d", nIndex - 4);
                break;  // the "zz" four before
            default:
                strName = Numbered("book %04d", (nIndex * 7) % kBookContacts) + "x";
                break;
        }
        std::string strGroup;
        switch (nIndex % 5) {
            case 0:
                strGroup = "Company";
                break;
            case 1:
                strGroup = nIndex % 3 == 0 ? "Blacklist" : "";
                break;
            case 2:
                strGroup = Numbered("New %02d", nIndex % 60);
                break;  // runs into the group limit
            case 3:
                strGroup = "Imported";
                break;
            default:
                break;
        }
        const std::string strNumber = nIndex % 6 == 0 ? Numbered("%d", 500000 + nIndex % kBookContacts)
                                                      : Numbered("%d", 700000 + nIndex);
        strContacts += "<contact display_name=\"" + strName + "\" group_id_name=\"" + strGroup +
                       "\" mobile_number=\"" + strNumber + "\" office_number=\"" + Numbered("%d", nIndex) +
                       "\"/>";
    }
    return "<vp_contact>" + strGroups + "</root_group>" + strContacts + "</root_contact></vp_contact>";
}

class ImportBatchTest : public LocalModelFixture {
protected:
    // A book of kBookContacts in name order (every 200th blacklisted), its limits kRoomLeft and
    // kBlackRoomLeft above what it holds.
    void OpenLargeBook() {
        CContactGeneralModel::ReleaseInstance();
        std::string strElements;
        for (int nIndex = 0; nIndex < kBookContacts; ++nIndex) {
            const int nGroup = nIndex % 200 == 0 && nIndex / 200 < kBookBlack ? 1 : nIndex % 4 == 0 ? 2 : 0;
            strElements += ContactElement(Numbered("Book %04d", nIndex), nGroup,
                                          "mobile_number=\"" + Numbered("%d", 500000 + nIndex) + "\"");
        }
        m_root.WriteFile(kContactFile, ContactFileXml(strElements));
        std::remove(m_root.Path(kGroupFile).c_str());  // made afresh with the default groups
        Model().SetMaxContactCount(kBookContacts);
        ASSERT_TRUE(Model().ReloadContactXml());
        ASSERT_EQ(Model().GetCurrentContactCount() + Model().GetCurrentBlackCount(), kBookContacts);
        Model().SetMaxContactCount(Model().GetCurrentContactCount() + kRoomLeft);
        Model().SetMaxBlackCount(Model().GetCurrentBlackCount() + kBlackRoomLeft);
        m_root.WriteFile(kImportFile, ImportBody());
        DropRecords();
    }

    // Everything an import leaves behind that callers, the files and the phone can see.
    Strings Outcome(int nResult) {
        Strings listOut{"result " + std::to_string(nResult),
                        "error " + std::to_string(CommonUnits_GetErrorId()), m_root.ReadFile(kContactFile),
                        m_root.ReadFile(kGroupFile)};
        for (const auto& pItem : ContactGeneralModelTestPeer::Items(Model())) {
            listOut.push_back(pItem->m_strDisplayName + "|" + std::to_string(pItem->m_nGroupId) + "|" +
                              pItem->m_strNameIndex + "|" + pItem->m_strMobileNumber);
        }
        listOut.push_back("counts " + std::to_string(Model().GetCurrentContactCount()) + " " +
                          std::to_string(Model().GetCurrentBlackCount()) + " " +
                          std::to_string(Model().GetCurrentGroupCount()));
        for (int nNumber : {500000, 500016, 500600, 500042, 700001, 700398}) {
            listOut.push_back(Model().GetContactNameByPhoneNumber(std::to_string(nNumber).c_str()));
        }
        for (const std::string& strLine : CallLog()) {
            listOut.push_back(strLine);
        }
        for (const std::string& strLine : HostControl::TakeLogLines()) {
            listOut.push_back(strLine);
        }
        listOut.push_back("notifications " + std::to_string(CountOf(NS_DIRECTORY::kLocalContactChangedMsg)));
        ExpectCountersInStep();
        return listOut;
    }
};

TEST_F(ImportBatchTest, AnAppendingImportLeavesWhatInsertingOneByOneLeaves) {
    OpenLargeBook();
    CXPortOsprey oneByOne;
    oneByOne.BeforeImport(true, true);
    const int nOneByOne = oneByOne.Import(HostControl::MapPath(kImportFile).c_str());
    oneByOne.AfterImport();
    const Strings listExpected = Outcome(nOneByOne);

    OpenLargeBook();
    const Strings listBatched = Outcome(XPortFactory::ImportByPath(nullptr, true, true, false));
    EXPECT_EQ(listBatched, listExpected);
    // The import did meet every case: both limits, refused names, and contacts on both sides of the book
    // and among it.
    const Strings listNames = AllNames();
    EXPECT_EQ(Model().GetCurrentContactCount(), Model().GetMaxContactCount());
    EXPECT_EQ(Model().GetCurrentBlackCount(), Model().GetMaxBlackCount());
    EXPECT_EQ(listNames.front(), "Aaa 000");
    EXPECT_EQ(strncasecmp(listNames.back().c_str(), "zz ", 3), 0) << listNames.back();
    EXPECT_TRUE(std::any_of(listNames.begin(), listNames.end(), [](const std::string& strName) {
        return strName.size() == 10 && strName.compare(0, 5, "Book ") == 0;
    }));
}

TEST_F(ImportBatchTest, EachImportedContactIsAnsweredAndRefusedAsWhenInsertedAlone) {
    const auto importAll = [this](bool bBatch) {
        OpenLargeBook();
        Strings listOut;
        if (bBatch) {
            Model().MyBeginImportBatch();
        }
        for (int nIndex = 0; nIndex < 480; ++nIndex) {
            CContactGeneralModel::ItemData item;
            item.m_nGroupId = nIndex % 20 == 3 ? 1 : 0;
            switch (nIndex % 4) {
                case 0:
                    item.m_strDisplayName = Numbered("book %04d", nIndex * 7 % kBookContacts);
                    break;
                case 1:
                    item.m_strDisplayName = Numbered("Late %03d", nIndex);
                    break;
                case 2:
                    item.m_strDisplayName = Numbered("LATE %03d", nIndex - 1);
                    break;
                default:
                    item.m_strDisplayName = Numbered(nIndex % 12 == 3   ? "Aaa %03d"
                                                     : nIndex % 12 == 7 ? "Book %04dx"
                                                                        : "Zed %03d",
                                                     nIndex);
                    break;
            }
            item.m_strMobileNumber = Numbered("%d", 500000 + nIndex);
            CommonUnits_SetErrorId(0);
            const bool bTaken = Model().MyImportContact(item);
            listOut.push_back(item.m_strDisplayName +
                              (bTaken ? " taken" : " refused " + std::to_string(CommonUnits_GetErrorId())));
        }
        Model().MyEndImportBatch();
        Model().MyEndImportBatch();  // a second close changes nothing
        const Strings listState = Outcome(0);
        listOut.insert(listOut.end(), listState.begin(), listState.end());
        return listOut;
    };
    const Strings listAlone = importAll(false);
    EXPECT_EQ(importAll(true), listAlone);
    const auto answered = [&listAlone](const std::string& strLine) {
        return std::find(listAlone.begin(), listAlone.end(), strLine) != listAlone.end();
    };
    EXPECT_TRUE(answered("book 0000 refused -2"));  // in the book
    EXPECT_TRUE(answered("Late 001 taken"));
    EXPECT_TRUE(answered("LATE 001 refused -2"));  // earlier in the import
    EXPECT_TRUE(answered("Aaa 003 taken"));        // into the blacklist
    EXPECT_TRUE(answered("Zed 023 taken"));
    EXPECT_TRUE(answered("Book 0043x refused -8"));
    EXPECT_TRUE(std::any_of(listAlone.begin(), listAlone.end(), [](const std::string& strLine) {
        return strLine.size() > 11 && strLine.compare(strLine.size() - 11, 11, " refused -7") == 0;
    }));
}

}  // namespace
}  // namespace localtest
