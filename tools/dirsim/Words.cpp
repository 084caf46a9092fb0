#include "Words.h"

#include "ContactGeneralModel.h"
#include "ContactRemoteModel.h"
#include "ContactRemoteTypes.h"
#include "TaskAction.h"
#include "XPortBase.h"

namespace dirsim {

using namespace NS_DIRECTORY;

std::string LocalRefusalText(int nCode) {
    switch (nCode) {
        case CONTACT_RESULT_NAME_OR_ID_IN_USE:
            return "that name is already in use";
        case CONTACT_RESULT_NAME_EXISTS:
            return "a contact of that name exists already (names are compared ignoring case)";
        case CONTACT_RESULT_BAD_GROUP_ID:
            return "there is no group with that id";
        case CONTACT_RESULT_NO_SUCH_GROUP:
            return "there is no group of that name";
        case CONTACT_RESULT_NO_SUCH_CONTACT:
            return "there is no contact of that name";
        case CONTACT_RESULT_GROUP_READ_ONLY:
            return "that group is built in and cannot be changed";
        case CONTACT_RESULT_CONTACTS_FULL:
            return "the phone book is full";
        case CONTACT_RESULT_BLACKLIST_FULL:
            return "the blacklist is full";
        case CONTACT_RESULT_GROUPS_FULL:
            return "there are as many groups as the phone book allows";
        case CONTACT_RESULT_ALREADY_BLACK:
            return "that contact is in the blacklist already";
        case CONTACT_RESULT_NOT_BLACK:
            return "that contact is not in the blacklist";
        case CONTACT_RESULT_BUSY:
            return "the phone book is busy reloading its files; try again in a moment";
        case CONTACT_RESULT_NO_MEMORY:
            return "the phone ran out of memory";
        case CONTACT_RESULT_MISSING_ARGUMENT:
            return "a name is needed (an empty name, or one made only of characters a phone book cannot "
                   "keep)";
        case 0:
            return "the phone book refused without saying why";
        default:
            return "the phone book refused (reason " + std::to_string(nCode) + ", not one it documents)";
    }
}

std::string RemoteListStatusText(int nStatus) {
    switch (nStatus) {
        case REMOTE_LIST_OK:
            return "listed";
        case REMOTE_LIST_DOWNLOADING:
            return "still downloading";
        case REMOTE_LIST_DOWNLOAD_FAILED:
            return "the download failed";
        case REMOTE_LIST_NO_URL:
            return "it has no address to download";
        case REMOTE_LIST_NO_SLOT:
            return "there is no remote phonebook in that slot";
        case REMOTE_LIST_NOTHING_THERE:
            return "there is nothing there (no address, no current page, or no soft key of that letter)";
        case REMOTE_LIST_CANCELED:
            return "its download was canceled (refresh to fetch it again)";
        case REMOTE_LIST_TOO_DEEP:
            return "it lies too deep in the phonebook to be downloaded";
        case REMOTE_LIST_BAD_REQUEST:
            return "the phonebook cannot list that (unknown page, or not a page with entries)";
        default:
            return "the remote phonebook answered an unknown state (" + std::to_string(nStatus) + ")";
    }
}

std::string NotificationText(int nId, int wParam, int lParam, const std::string& strData) {
    switch (nId) {
        case kLocalContactChangedMsg:
            return "local phone book changed";
        case 1721:
            return "directory shortcut list changed";
        case kLocalReloadMsg:
            return lParam == 1 ? "background reload of the local files started"
                               : "background reload of the local files ended";
        case 1821:
            return "remote phonebook configuration reloaded";
        case REMOTE_MSG_DOWNLOAD_RESULT:
            return lParam == 1 ? "remote download of the page in view failed, or a refresh could not start"
                               : "remote download of the page in view finished";
        case REMOTE_MSG_REFRESH_STARTED:
            return "remote refresh started downloads";
        case REMOTE_MSG_PAGE_RESULT:
            return lParam == 1 ? "remote page download failed" : "remote page downloaded";
        case 1920: {
            const std::string strWhere = strData.empty() ? "" : " (" + strData + ")";
            if (wParam == 777) {
                return "BroadSoft server probe failed" +
                       std::string(lParam == 401 ? ": credentials refused" : "") + strWhere;
            }
            if (lParam == 401) {
                return "BroadSoft page download refused: the server refused the credentials" + strWhere;
            }
            return std::string(lParam == 1 ? "BroadSoft page downloaded" : "BroadSoft page download failed") +
                   strWhere;
        }
        case 1921:
            return "BroadSoft configuration reloaded";
        default:
            return "notification " + std::to_string(nId) + " (" + std::to_string(wParam) + ", " +
                   std::to_string(lParam) + ")";
    }
}

std::string TransferFailureText(int nError, long nHttpStatus) {
    const std::string strStatus = nHttpStatus > 0 ? " (HTTP " + std::to_string(nHttpStatus) + ")" : "";
    switch (nError) {
        case NS_TA::TA_HTTP_AUTH_REFUSED:
            return "the server refused the user name or password (HTTP 401)";
        case NS_TA::TA_NETWORK_CONNECT_FAILED:
            return "the server could not be reached (it is down, the address is wrong, or only 127.0.0.1 may "
                   "be "
                   "contacted)";
        case NS_TA::TA_HTTP_STATUS_ERROR:
            return nHttpStatus == 404 ? "the server has no such document (HTTP 404)"
                                      : "the server answered with an error" + strStatus;
        case NS_TA::TA_NETWORK_TIMEOUT:
            return "the server did not answer in time";
        case NS_TA::TA_FILE_TOO_LARGE:
            return "the document is larger than a phone accepts";
        case NS_TA::TA_LOCAL_FILE_ERROR:
            return "the phone could not write the downloaded file";
        case NS_TA::TA_URL_REFUSED:
            return "the address is not an http or https address";
        case NS_TA::TA_DOWNLOAD_NOT_PARSED:
            return "the document is not one the phone understands";
        default:
            return "the transfer failed (error " + std::to_string(nError) + ")" + strStatus;
    }
}

std::string XPortResultText(int nResult) {
    switch (nResult) {
        case XPORT_RESULT_OK:
            return "done";
        case XPORT_RESULT_INVALID_FILE:
            return "the file is not a contact file the phone can read";
        case XPORT_RESULT_NO_PATH:
            return "no file was given";
        case XPORT_RESULT_NO_MODEL:
            return "the local phone book is not running";
        case 12:
            return "the phone book is busy reloading its files; try again in a moment";
        case CONTACT_RESULT_CONTACTS_FULL:
            return "the file holds more contacts than the phone book allows";
        case CONTACT_RESULT_BLACKLIST_FULL:
            return "the file holds more blacklisted contacts than the blacklist allows";
        case CONTACT_RESULT_GROUPS_FULL:
            return "the file holds more groups than the phone book allows";
        default:
            return "the import failed (result " + std::to_string(nResult) + ")";
    }
}

}  // namespace dirsim
