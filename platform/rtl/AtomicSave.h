#pragma once

// The one way this program replaces a file: the new content goes to a
// temporary file in the same folder, which is flushed and synced to the disk
// before it is renamed over the target, and the folder is synced after the
// rename. A full disk, a crash or a kill therefore leaves either the whole
// previous file or the whole new one, never half a file or none.
//
// A symbolic link is followed: its target is the file replaced, beside
// itself, and the link stays. Only links open() would follow are: a loop or
// a chain of more than 40 fails with ELOOP, and a link someone else planted
// in a shared sticky folder (/tmp), at the end of the name or as a folder on
// the way, with EACCES, the link left as it was. A file or a pipe someone
// else planted there is refused with EACCES too, as the kernel's
// protected_regular and protected_fifos would refuse it.
// The new file keeps the mode, owner and group of the one it replaces where
// the caller may give them, except in a shared sticky folder, where it stays
// the caller's unless the old one was the caller's own; it is a new file, so hard links to the old one
// keep the old content. A device, a pipe or a socket at the name
// (/dev/null, a FIFO a reader waits at) has nothing a rename could replace:
// it is written in place, and only its own writes and close say whether the
// bytes went.
//
// File names are the file system's own bytes (UTF-8 on Linux).

#include "platform/rtl/FileDescriptor.h"
#include "platform/rtl/ScopedOverride.h"

#include <sys/stat.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rtl {

// What a save does with a file already at the target name.
enum class ExistingFile {
    // The file gets new content as a new file: a read-only file is replaced
    // and the new one is writable by its owner; who may read it stays.
    Replace,
    // As if the content were written into the file: it keeps its mode, and a
    // file the user may not write is refused.
    Update,
};

struct AtomicSaveOptions
{
    // The previous file stays as the ".bak" copy beside the new one (see
    // backupFileName). It is made only once the new content is complete, so
    // a failed save leaves the older copy as it was.
    bool makeBackup = false;
    // The new file gets the previous one's modification time.
    bool keepDate = false;
    ExistingFile existing = ExistingFile::Replace;
    // The temporary files that killed saves of this target left beside it
    // are removed first, for writers that have no start of their own to do
    // it at (see removeAtomicSaveLeftovers).
    bool removeLeftovers = false;
};

// The steps of a save, in their order. A failure in Create, Write or Sync
// leaves the target and its ".bak" as they were; a failed Rename leaves the
// target as it was.
enum class SaveStep {
    Create, // the temporary file beside the target
    Write,
    Sync, // flush to the disk and close
    Backup,
    Rename,
    SyncFolder,
};

struct SaveResult
{
    bool ok = true;
    SaveStep failedStep = SaveStep::Create;
    int error = 0; // the errno of the failed step
    // The folder that refused the temporary file, when that is what failed:
    // behind a link it is not the folder of the name the caller gave.
    std::string folder;

    explicit operator bool() const { return ok; }
    // The system's reason, as strerror words it, and the folder that refused.
    std::string reason() const;
};

// Replaces the file with the bytes. On failure errno holds the result's error
// as well, so that callers that answer only true or false can still say why.
SaveResult atomicSave(const std::string &fileName, std::string_view bytes, const AtomicSaveOptions &options = {});

// The same save for content that comes in pieces, such as a report's output
// that grows page by page: the pieces go to the temporary file beside the
// target, and only commit puts it in the target's place. Until then the
// target is untouched; a file never committed is removed, by discard or the
// destructor, or, after a crash or a kill, by removeAtomicSaveLeftovers. The
// temporary file is locked while it is open, so that such a removal spares
// the files of saves still running.
class AtomicFile
{
public:
    AtomicFile() = default;
    ~AtomicFile() { discard(); }
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // The Create step.
    SaveResult open(const std::string &fileName, const AtomicSaveOptions &options = {});
    bool isOpen() const { return m_fd.valid(); }
    // The file the commit replaces: the end of the target's chain of
    // symbolic links.
    const std::string &fileName() const { return m_fileName; }
    // The temporary file, or the target itself when it is written in place,
    // for writers that seek or write by themselves.
    int handle() const { return m_fd.get(); }
    // Empty when the target is written in place.
    const std::string &temporaryName() const { return m_tempName; }
    // The target is no regular file and is written as it is.
    bool inPlace() const { return m_inPlace; }
    // The Write step, for every byte; errno holds the error on failure.
    SaveResult write(const void *data, size_t size);
    // The remaining steps; afterwards the file is closed. A failure removes
    // the temporary file and leaves the target as it was.
    SaveResult commit();
    // Closes and removes the temporary file; the target stays as it was.
    void discard();

private:
    SaveResult openInPlace();

    FileDescriptor m_fd;
    std::string m_fileName;
    std::string m_tempName;
    AtomicSaveOptions m_options;
    std::optional<struct stat> m_previous;
    bool m_inPlace = false;
};

// Opens a file in place for a writer that does not save it whole (a log that
// lines are added to, a stream), as a save would reach it: the links on the
// way are judged as a save judges them (a link somebody else planted in a
// shared sticky folder is refused with EACCES, a loop with ELOOP), the file
// at the end is opened without following a link and without waiting for a
// pipe's reader (flags must not hold O_TRUNC; the caller truncates what it
// was given), and then what was opened is judged, not what was looked at
// before: a file or pipe somebody else planted in a shared sticky folder, or
// a file there with another hard link, is closed again and refused with
// EACCES. A link planted at the name after the look fails the open with
// ELOOP. Invalid with errno set on failure.
FileDescriptor openUnplanted(const std::string &fileName, int flags, unsigned mode = 0666);

// For tests: called after the links were judged and before the file is
// opened, the moment a planter would have to win.
using BeforeInPlaceOpen = std::function<void(const std::string &fileName)>;
using ScopedBeforeInPlaceOpen = ScopedOverride<struct BeforeInPlaceOpenTag, BeforeInPlaceOpen>;

// "Domain-Data.txt" -> "Domain-Data.bak", "README" -> "README.bak"; a leading
// dot starts a hidden name, not an extension.
std::string backupFileName(const std::string &fileName);

// Whether a name (without folder) is one that atomicSave gives its temporary
// files: "." + target name + "." + 12 hexadecimal digits + "~".
bool isAtomicSaveTemporary(std::string_view name);

// Deletes the temporary files that interrupted saves left in the folder
// (only names of isAtomicSaveTemporary, only plain files, and none that a
// running save holds). With a target name, only that target's temporary
// files. Returns how many went.
int removeAtomicSaveLeftovers(const std::string &folder, std::string_view targetName = {});

// For tests: while one lives, the function is called before each step of
// every save; a non-zero answer makes that step fail with it as errno. A
// failed Backup or SyncFolder does not fail the save, as in real life: the
// backup is a courtesy, and after the rename the new file is in place.
using SaveHook = std::function<int(SaveStep)>;
using ScopedSaveHook = ScopedOverride<struct SaveHookTag, SaveHook>;

} // namespace rtl
