#pragma once

// Web helpers shared by the application: the result-count scraper, the site
// root of an address and the plausibility test of a typed address. All are
// free of state and may be called from any thread.

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

// Whether a typed address looks like a web site ("www.example.com").
bool IsValidURL(std::string_view url);

} // namespace foundation
