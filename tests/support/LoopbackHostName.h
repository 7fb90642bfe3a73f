#pragma once

// A host name of this test process's own that resolves to 127.0.0.1 through
// /etc/hosts, for as long as the object lives. The web engine sends requests
// for a loopback address, "localhost" or a name without a dot past any proxy;
// for such a name it goes through the proxy like for any other site, and the
// proxy resolves it.
//
// The line carries this process's id, so that test processes running side by
// side each have their own and a line left behind by a killed one is removed
// by the next. The file is edited in place under a lock (it is often a bind
// mount that cannot be renamed over), and the lines in front of ours never
// change, so nobody reading it meanwhile misses "localhost".

#include <string>

namespace zvotest {

class LoopbackHostName
{
public:
    LoopbackHostName();
    ~LoopbackHostName();
    LoopbackHostName(const LoopbackHostName &) = delete;
    LoopbackHostName &operator=(const LoopbackHostName &) = delete;

    bool isValid() const { return !m_name.empty(); }
    // Why the name could not be set up (the file is not writable, ...).
    const std::string &error() const { return m_error; }
    const std::string &name() const { return m_name; }
    // The URL with its host replaced by the name.
    std::string rename(const std::string &url) const;

    static const char *hostsFile() { return "/etc/hosts"; }

private:
    std::string m_name;
    std::string m_line;
    std::string m_error;
};

} // namespace zvotest
