#include "RemoteDocBuilder.h"

#include <sstream>

namespace testsupport {

namespace {

std::string Escape(const std::string& strText) {
    std::string strOut;
    for (const char c : strText) {
        switch (c) {
            case '&':
                strOut += "&amp;";
                break;
            case '<':
                strOut += "&lt;";
                break;
            case '>':
                strOut += "&gt;";
                break;
            default:
                strOut += c;
        }
    }
    return strOut;
}

void AppendLinks(std::ostringstream& out, const char* pElement, const char* pNameTag,
                 const std::vector<RemoteLink>& vecLinks) {
    for (const RemoteLink& link : vecLinks) {
        out << "  <" << pElement << "><" << pNameTag << ">" << Escape(link.strName) << "</" << pNameTag
            << "><URL>" << Escape(link.strUrl) << "</URL></" << pElement << ">\n";
    }
}

}  // namespace

std::string BuildRemoteMenu(const std::string& strTitle, const std::vector<RemoteLink>& vecMenus,
                            const std::vector<RemoteLink>& vecSoftKeys) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AcmeIPPhoneMenu>\n  <Title>" << Escape(strTitle)
        << "</Title>\n";
    AppendLinks(out, "MenuItem", "Name", vecMenus);
    AppendLinks(out, "SoftKeyItem", "Name", vecSoftKeys);
    out << "</AcmeIPPhoneMenu>\n";
    return out.str();
}

std::string BuildRemoteDirectory(const std::string& strTitle, const std::vector<RemoteEntry>& vecEntries,
                                 const std::vector<RemoteLink>& vecSoftKeys,
                                 const std::vector<RemoteLink>& vecPageKeys) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AcmeIPPhoneDirectory>\n  <Title>" << Escape(strTitle)
        << "</Title>\n";
    for (const RemoteEntry& entry : vecEntries) {
        out << "  <DirectoryEntry><Name>" << Escape(entry.strName) << "</Name>";
        for (const std::string& strNumber : entry.vecNumbers) {
            out << "<Telephone>" << Escape(strNumber) << "</Telephone>";
        }
        out << "</DirectoryEntry>\n";
    }
    AppendLinks(out, "SoftKeyItem", "Name", vecSoftKeys);
    AppendLinks(out, "MenuItem", "Item", vecPageKeys);
    out << "</AcmeIPPhoneDirectory>\n";
    return out.str();
}

std::string BuildRemoteSettings(const std::string& strDisplayName, const std::vector<RemoteLink>& vecSlots) {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root_remote_phonebook display_name=\""
        << Escape(strDisplayName) << "\">\n";
    for (const RemoteLink& slot : vecSlots) {
        out << "\t<item name=\"" << Escape(slot.strName) << "\" url=\"" << Escape(slot.strUrl) << "\"/>\n";
    }
    out << "</root_remote_phonebook>\n";
    return out.str();
}

RemotePhonebookSite ServeRemotePhonebook(LoopbackHttpServer& server, const std::string& strPrefix, int nMenus,
                                         int nDirectoriesPerMenu, int nEntries) {
    RemotePhonebookSite site;
    site.strTopUrl = server.Url(strPrefix + "/top.xml");
    site.vecDocumentUrls.push_back(site.strTopUrl);
    const int nDirectories = nMenus * nDirectoriesPerMenu;
    std::vector<RemoteLink> vecMenus;
    int nNextEntry = 0;
    for (int m = 0; m < nMenus; ++m) {
        const std::string strMenuPath = strPrefix + "/menu" + std::to_string(m) + ".xml";
        vecMenus.push_back({"Department " + std::to_string(m), server.Url(strMenuPath)});
        site.vecDocumentUrls.push_back(server.Url(strMenuPath));
        std::vector<RemoteLink> vecDirectories;
        for (int d = 0; d < nDirectoriesPerMenu; ++d) {
            const int nIndex = m * nDirectoriesPerMenu + d;
            const std::string strDirPath = strPrefix + "/dir" + std::to_string(nIndex) + ".xml";
            vecDirectories.push_back({"Team " + std::to_string(nIndex), server.Url(strDirPath)});
            site.vecDocumentUrls.push_back(server.Url(strDirPath));
            const int nEnd = static_cast<int>(static_cast<long long>(nEntries) * (nIndex + 1) / nDirectories);
            std::vector<RemoteEntry> vecEntries;
            for (; nNextEntry < nEnd; ++nNextEntry) {
                vecEntries.push_back(
                    {"Person " + std::to_string(nNextEntry),
                     {std::to_string(100000 + nNextEntry), std::to_string(200000 + nNextEntry)}});
            }
            server.Serve(strDirPath, BuildRemoteDirectory("Team " + std::to_string(nIndex), vecEntries));
        }
        server.Serve(strMenuPath, BuildRemoteMenu("Department " + std::to_string(m), vecDirectories));
    }
    server.Serve(strPrefix + "/top.xml", BuildRemoteMenu("Company", vecMenus));
    site.nEntries = nEntries;
    return site;
}

std::string EntityBombPrologue() {
    std::string strDoc = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n";
    std::string strPrevious = "lol";
    for (int i = 1; i <= 9; ++i) {
        const std::string strName = "lol" + std::to_string(i);
        strDoc += "<!ENTITY " + strName + " \"";
        for (int j = 0; j < 10; ++j) {
            strDoc += "&" + strPrevious + ";";
        }
        strDoc += "\">\n";
        strPrevious = strName;
    }
    return strDoc + "]>\n";
}

}  // namespace testsupport
