#pragma once
// Percent-encoding of text that goes into a URL path segment or a query value. Like any string operation,
// both throw std::bad_alloc when memory runs out.

#include <string>

// Every byte except the unreserved "A-Z a-z 0-9 - . _ ~" becomes "%XX" (upper-case hex), so the result is
// safe as one path segment and as one query value: "a b/c?d&e=f%" gives "a%20b%2Fc%3Fd%26e%3Df%25".
std::string CommonAPI_UrlEncode(const std::string& strText);
// The reverse: every "%XX" becomes its byte; a "%" not followed by two hex digits is kept as it is.
std::string CommonAPI_UrlDecode(const std::string& strText);
