#pragma once

// Files of the unit MyUtilities: whole-file text load and save, line appends,
// forced deletion, list views stored as delimited lines, the program folder,
// the program's version string, file dates and date-time stamps.
//
// File contents are plain bytes (no code-page conversion, no byte-order mark);
// lines are written with CR LF. File names are the file system's own bytes
// (UTF-8 on Linux), as GetApplicationPath returns them.

#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/Types.h"

#include <string>
#include <string_view>

class QTreeWidget;

namespace foundation {

// The program's folder with a trailing "/".
std::string GetApplicationPath();

// The whole file; empty when the file is missing or cannot be read.
std::string LoadTextFile(const std::string &fileName);
// LoadTextFile with the reason when there is no text: only an ordinary file
// (or a link to one) of at most rtl::FileReadLimit bytes is read, so that a
// pipe or a device in a file's place neither holds up the start nor fills
// the memory.
rtl::FileText ReadTextFile(const std::string &fileName);

// Replaces the file with the text. The save is atomic: the previous file stays
// as it was unless the whole new content reached the disk. With makeBackup the
// previous file is kept as the ".bak" copy beside it; with keepDate the new
// file gets the previous modification time. Raises rtl::Exception when the new
// file cannot be created; returns false when its content cannot be written.
// Either way errno tells why.
bool SaveTextFile(const std::string &fileName, const std::string &text, bool makeBackup = false, bool keepDate = false);

// Appends the line and CR LF; safe to call from several threads at once.
bool AppendLineToFile(const std::string &fileName, const std::string &line);

// Deletes the file even when it is read-only.
bool DeleteFileForced(const std::string &fileName);

// Rows of a report-mode list (top-level items; caption = column 0) as lines of
// delimited fields. Loading gives each row exactly as many sub-items as its
// line has fields after the first.
bool LoadListViewFromFile(const std::string &fileName, QTreeWidget *listView, const std::string &delimiter);
// The same from text already read.
bool LoadListViewFromText(std::string_view content, QTreeWidget *listView, const std::string &delimiter);
// Raises an rtl::Exception (list index error) before touching the file when a
// row has fewer sub-items than the list has columns after the first.
bool SaveListViewToFile(const std::string &fileName, QTreeWidget *listView, const std::string &delimiter);

// "2.0.7.1", "2.0" or "2.0.7"; empty when the program carries no version.
std::string GetFileVersionString();

// The file's modification time; 0 when the file is missing.
rtl::TDateTime GetFileDateTime(const std::string &fileName);

// YYYYMMDDhhnnss of the date-time (0 = now); the time digits are 0 when
// dateOnly is set.
std::string GetDateTimeStamp(bool dateOnly, rtl::TDateTime dateTime = 0);

int GetCurrentYear();
int GetCurrentMonth();
int GetCurrentDay();

} // namespace foundation
