#pragma once
// A mock Xsi-Actions 2.0 server on 127.0.0.1 for one user: the Group, Enterprise, GroupCommon,
// EnterpriseCommon and Personal directories and any number of custom directories, served in pages
// ("start", "results") and filtered by search parameters ("firstName=*an*/i"), the list of custom
// directories, Basic credentials (401 on a wrong password), Latin-1 documents on request, failures and
// stalls per path, and a record of every request.
//
// The Personal directory takes changes as a real server does: POST of a Personal document to it adds its
// entries (409 for a name it has, ignoring case; 400 for a document without a named entry) and DELETE of
// ".../Personal/<name>" (the name one encoded path segment) removes the entry of exactly that name (404 when
// none). Later pages answer from what they changed. Any other POST or DELETE gets 405.
//
// The directories are data, not canned answers: change them at any time and later requests answer from the
// new content. Free of test-framework code, so programs (the simulator, benchmarks) link it too. Every
// member may be called from any thread.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "LoopbackHttpServer.h"

namespace testsupport {

class XsiDocument;

enum class XsiDirectory { Group, Enterprise, GroupCommon, EnterpriseCommon, Personal };

// One directory entry: element names and texts in document order. A Group or Enterprise entry with
// bAdditionalDetails puts its detail fields (mobile, emailAddress, title, ...) inside "additionalDetails".
struct XsiEntry {
    std::vector<std::pair<std::string, std::string>> vecFields;
    bool bAdditionalDetails = false;

    XsiEntry& Set(const std::string& strName, const std::string& strValue);
    // The text of the field, "" when absent.
    std::string Field(const std::string& strName) const;
};

// A Group or Enterprise member; userId is made from the names.
XsiEntry XsiMember(const std::string& strFirstName, const std::string& strLastName,
                   const std::string& strNumber, const std::string& strExtension,
                   const std::string& strMobile = "", const std::string& strEmail = "",
                   bool bAdditionalDetails = false);
// A Personal or Common entry.
XsiEntry XsiNamedEntry(const std::string& strName, const std::string& strNumber);
// A contact of a custom directory.
XsiEntry XsiCustomContact(const std::string& strFirstName, const std::string& strLastName,
                          const std::string& strNumber, const std::string& strExtension = "");

class MockXsiServer {
public:
    enum class PagingFault {
        None,
        RepeatFirstPage,   // every request answers the first page, whatever start it asks for
        EmptyLaterPages,   // pages after the first hold no entries but still claim the whole total
        CappedLaterPages,  // pages after the first hold at most 30 entries, whatever they ask for
    };

    using Scheme = LoopbackHttpServer::Scheme;

    MockXsiServer(const std::string& strUserId, const std::string& strPassword,
                  Scheme eScheme = Scheme::Http);
    // Releases held answers first, so the server can stop.
    ~MockXsiServer();
    MockXsiServer(const MockXsiServer&) = delete;
    MockXsiServer& operator=(const MockXsiServer&) = delete;

    // What the phone's configuration needs: host, port and server type ("http" or "https").
    std::string Host() const { return "127.0.0.1"; }
    std::string Port() const { return std::to_string(m_http.Port()); }
    std::string ServerType() const;
    const std::string& UserId() const { return m_strUserId; }

    // Paths as the server sees them (decoded) and URLs as the phone builds them.
    std::string DirectoriesPath() const;  // "/com.broadsoft.xsi-actions/v2.0/user/<id>/directories/"
    std::string PathOf(XsiDirectory eDirectory) const;
    std::string CustomPath(const std::string& strName) const;
    std::string CustomListPath() const;
    std::string Url(const std::string& strPath) const { return m_http.Url(strPath); }

    void SetPassword(const std::string& strPassword);
    // Entries per page when a request names no "results" (50 at start).
    void SetDefaultPageSize(int nEntries);
    void SetPagingFault(PagingFault eFault);
    // Every document in ISO-8859-1 with that declaration (characters beyond it become "?").
    void SetLatin1(bool bLatin1);

    void SetEntries(XsiDirectory eDirectory, std::vector<XsiEntry> vecEntries);
    void AddEntry(XsiDirectory eDirectory, XsiEntry entry);
    std::vector<XsiEntry> Entries(XsiDirectory eDirectory) const;
    // Adds or replaces a custom directory; a new one also joins the offered list.
    void SetCustomDirectory(const std::string& strName, std::vector<XsiEntry> vecEntries);
    // The names the custom-directory list answers, in order (a directory need not exist to be offered).
    void SetOfferedCustomDirectories(std::vector<std::string> vecNames);

    // While not 0, every POST and DELETE gets this status and changes nothing.
    void SetWriteRefusal(int nStatus);

    // Answers the path (decoded, without query) with this status and body until Restore.
    void Fail(const std::string& strPath, int nStatus, const std::string& strBody = "");
    // Holds answers of the path until ReleaseStalls or the server's end, then answers normally. A path with
    // a query ("...?start=51&results=50", as sent) holds only requests with exactly that query.
    void Stall(const std::string& strPath);
    void ReleaseStalls();
    // Back to the normal answer of the path.
    void Restore(const std::string& strPath);
    // The server below, for scripted bad answers (truncated, oversized, any body) on exact paths.
    LoopbackHttpServer& Http() { return m_http; }

    std::vector<RecordedRequest> Requests() const { return m_http.Requests(); }
    std::vector<RecordedRequest> RequestsTo(const std::string& strPath) const {
        return m_http.RequestsTo(strPath);
    }
    void ClearRequests() { m_http.ClearRequests(); }

private:
    struct Directory {
        std::string strKind;  // root element name; "Directory" for custom directories
        std::vector<XsiEntry> vecEntries;
    };

    void Answer(const httplib::Request& request, httplib::Response& response);
    // Expects m_mutex held; the HTTP status of the change.
    int AnswerChange(const httplib::Request& request, const std::string& strKey);
    int AddPersonalEntries(const std::string& strBody);
    int DeletePersonalEntry(const std::string& strName);
    void HoldWhileStalled(const httplib::Request& request);
    bool IsAuthorised(const httplib::Request& request) const;
    std::string RenderPage(const Directory& directory, const httplib::Request& request) const;
    std::string RenderCustomList() const;
    std::string Serialise(const XsiDocument& document) const;
    static std::string KeyOf(XsiDirectory eDirectory);

    const std::string m_strUserId;
    mutable std::mutex m_mutex;
    std::condition_variable m_stallsReleased;
    std::string m_strPassword;
    int m_nDefaultPageSize = 50;
    PagingFault m_ePagingFault = PagingFault::None;
    bool m_bLatin1 = false;
    int m_nWriteRefusal = 0;
    std::map<std::string, Directory> m_mapDirectories;  // by path below DirectoriesPath()
    std::vector<std::string> m_vecOffered;
    std::set<std::string> m_setStalled;
    std::uint64_t m_nReleaseGeneration = 0;
    bool m_bStopping = false;
    // Last, so that it stops (and joins the threads answering in Answer) before the rest goes.
    LoopbackHttpServer m_http;
};

}  // namespace testsupport
