#pragma once

// Web helpers shared by the application: the result-count scraper, the site
// root of an address and the plausibility test of a typed address. All are
// free of state and may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace foundation {

// The number of results a search engine's result page reports, or -1 when the
// page is empty or holds no known marker. Raises rtl::ERangeError when the
// number lies outside the signed 32-bit range.
int32_t GetResultCountFromHTML(std::string_view page);

// "http://host/" (or "host/" without the scheme) for an "http://" or
// "https://" address, host in lower case, port and path dropped; any other
// text comes back unchanged. An empty URL is an assertion failure.
std::string GetSiteRootURL(std::string_view url, bool withScheme);

// Whether a typed address looks like a web site ("www.example.com"), and the
// site the list would keep of it (the text after any scheme) may be stored.
bool IsValidURL(std::string_view url);

// The address without the blanks and control characters around it, which
// IsValidURL overlooks.
std::string_view TrimmedAddress(std::string_view url);

// The longest site the list keeps: a host name's limit.
inline constexpr size_t MaxSiteLength = 253;

// Whether a site (without its scheme) may become a row of the list: not
// empty, at most MaxSiteLength bytes, and no control character, which would
// split or shift the row in the list's file.
bool IsStorableSite(std::string_view site);

} // namespace foundation
