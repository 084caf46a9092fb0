// Percent-encoding through libcurl, which keeps exactly the unreserved characters.

#include "UrlCodec.h"

#include <curl/curl.h>

#include <climits>
#include <new>

namespace {

// libcurl takes int lengths; longer texts are refused as a whole rather than cut.
bool FitsCurlLength(const std::string& strText) {
    return strText.size() <= static_cast<std::size_t>(INT_MAX);
}

std::string TakeCurlString(char* pText, int nLength) {
    if (pText == nullptr) {
        throw std::bad_alloc();
    }
    std::string strOut(pText, static_cast<std::size_t>(nLength));
    curl_free(pText);
    return strOut;
}

}  // namespace

std::string CommonAPI_UrlEncode(const std::string& strText) {
    if (strText.empty() || !FitsCurlLength(strText)) {
        return std::string();
    }
    char* pEncoded = curl_easy_escape(nullptr, strText.data(), static_cast<int>(strText.size()));
    const int nLength = pEncoded == nullptr ? 0 : static_cast<int>(std::char_traits<char>::length(pEncoded));
    return TakeCurlString(pEncoded, nLength);
}

std::string CommonAPI_UrlDecode(const std::string& strText) {
    if (strText.empty() || !FitsCurlLength(strText)) {
        return std::string();
    }
    int nLength = 0;
    char* pDecoded = curl_easy_unescape(nullptr, strText.data(), static_cast<int>(strText.size()), &nLength);
    return TakeCurlString(pDecoded, nLength);
}
