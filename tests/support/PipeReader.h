#pragma once

#include <string>
#include <thread>

namespace zvotest {

// Reads a FIFO to its end on a thread of its own. The reading end is open
// before the constructor returns, so a writer that will not wait for a
// reader finds this one; a writer that never comes is stood in for by
// finish.
class PipeReader
{
public:
    explicit PipeReader(const std::string &fifo);
    ~PipeReader();
    PipeReader(const PipeReader &) = delete;
    PipeReader &operator=(const PipeReader &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Waits for the end of what the writers sent and returns it.
    std::string finish();

private:
    std::string m_fifo;
    int m_fd = -1;
    std::string m_received;
    std::thread m_thread;
};

} // namespace zvotest
