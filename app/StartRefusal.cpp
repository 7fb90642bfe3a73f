#include "app/StartRefusal.h"

#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char **environ;

namespace app {

namespace {

// Whether anybody but the folder's owner belongs to its group: the group
// named after the owner with no other member is the owner's own, as the
// desktop's user-private groups are.
bool groupHoldsOthers(const struct stat &st)
{
    const struct group *group = ::getgrgid(st.st_gid);
    const struct passwd *owner = ::getpwuid(st.st_uid);
    if (!group || !owner || std::strcmp(group->gr_name, owner->pw_name) != 0 || owner->pw_gid != st.st_gid)
        return true;
    for (char **member = group->gr_mem; member && *member; ++member)
        if (std::strcmp(*member, owner->pw_name) != 0)
            return true;
    return false;
}

// A desktop program the caller may trust to run: owned by root or by the
// caller, and writable by nobody else.
bool trustedProgram(const std::string &path)
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0 &&
           (st.st_uid == 0 || st.st_uid == ::geteuid()) && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// xmessage shows each line as it stands in a window no wider than it
// chooses, and cuts what passes its edge: the refusal's advice is at the
// end. Lines break at blanks, a longer word (a path) where it must, never
// inside a character.
std::string brokenIntoLines(const std::string &text, size_t width)
{
    std::string result;
    size_t lineStart = 0; // where the current line begins in result
    size_t lastBlank = std::string::npos;
    size_t characters = 0;
    for (const char c : text) {
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (!continuation && characters == width) {
            if (lastBlank != std::string::npos) {
                result[lastBlank] = '\n';
                lineStart = lastBlank + 1;
            } else {
                result += '\n';
                lineStart = result.size();
            }
            lastBlank = std::string::npos;
            characters = 0;
            for (size_t i = lineStart; i < result.size(); ++i)
                characters += (static_cast<unsigned char>(result[i]) & 0xC0) != 0x80;
        }
        if (c == ' ')
            lastBlank = result.size();
        result += c;
        characters += !continuation;
    }
    return result;
}

} // namespace

std::string ProgramFolderRefusal(const std::string &folder)
{
    struct stat st
    {};
    if (::stat(folder.c_str(), &st) != 0)
        return {};
    if (st.st_mode & S_IWOTH)
        return "every user may write to the program's folder";
    if ((st.st_mode & S_IWGRP) && groupHoldsOthers(st))
        return "other users of its group may write to the program's folder";
    // Its owner may write it whatever its mode says, sticky or not; only
    // root's folders and the caller's own are no other user's to fill.
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return "another user owns the program's folder";
    return {};
}

std::vector<std::string> SystemProgramFolders()
{
    return {"/usr/bin", "/bin", "/usr/local/bin"};
}

bool TellStartRefusal(const std::string &reason, const std::vector<std::string> &notifierFolders)
{
    const std::string text = "Zarvello: " + reason;
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    const bool desktop = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (::isatty(STDERR_FILENO) || !desktop)
        return false;
    struct Notifier
    {
        const char *name;
        std::vector<std::string> arguments;
    };
    // Each shows the text as it stands: zenity without markup, the others
    // take plain text.
    const Notifier notifiers[] = {
        {"zenity", {"--error", "--no-markup", "--title=Zarvello", "--text=" + text}},
        {"kdialog", {"--title", "Zarvello", "--error", text}},
        {"xmessage", {"-center", brokenIntoLines(text, 72)}},
        {"notify-send", {"--urgency=critical", "Zarvello", text}},
    };
    for (const Notifier &notifier : notifiers) {
        for (const std::string &folder : notifierFolders) {
            const std::string path = folder + "/" + notifier.name;
            if (!trustedProgram(path))
                continue;
            std::vector<char *> argv{const_cast<char *>(path.c_str())};
            for (const std::string &argument : notifier.arguments)
                argv.push_back(const_cast<char *>(argument.c_str()));
            argv.push_back(nullptr);
            pid_t pid = 0;
            if (::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ) == 0)
                return true;
        }
    }
    return false;
}

} // namespace app
