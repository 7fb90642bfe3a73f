#pragma once

// The engine table "ZVO-SearchEngines.txt" and the query URL of one engine
// for one site. The program knows nothing about an engine beyond its line in
// the table: a name, a colon, and a URL template in which "YOURDOMAIN.COM"
// stands for the site.

#include "foundation/SearchEngineTable.h"

#include <string>
#include <string_view>

namespace app {

using foundation::IsSearchEngineLine;
using foundation::MaxSearchEngines;
using foundation::ParseSearchEngineTable;
using foundation::SearchEngineFileName;
using foundation::TSearchEngineEntry;

inline constexpr const char *DomainPlaceholder = "YOURDOMAIN.COM";

// Whether the engine of this template receives the site exactly as typed
// rather than reduced to its host.
bool TakesDomainAsTyped(std::string_view urlTemplate);

// The template with every "YOURDOMAIN.COM" (any case) replaced by the site:
// its lower-case host for most engines, the domain as typed for a few.
// Characters that may not stand in a URL are percent-encoded.
std::string BuildSearchEngineQueryURL(std::string_view urlTemplate, std::string_view domain);

// Percent-encodes blanks, control characters, characters outside ASCII (as
// UTF-8 of their Windows-1252 meaning), the characters a URL may not hold
// literally, and a "%" that does not start an escape. Everything else stays.
std::string PercentEncodeForURL(std::string_view text);

} // namespace app
