#pragma once

// The one guard at the edges where Qt calls into the program: slots, lambdas
// connected to signals, event handlers, event filters and timers. An
// exception must not unwind into Qt's event loop, so each edge runs its work
// through guarded() and says what a failure becomes:
//
//   Report::toUser(owner)  a command of the user. The error's message is
//                          shown in a stop box over the owner, as the
//                          platform shows an error no handler caught. The
//                          silent abort (rtl::EAbort) and anything that is
//                          not a std::exception end the command quietly.
//   Report::none()         painting, pointer tracking, filters, timers and
//                          services without a user, where a box would come
//                          back with every repaint or move. The edge's own
//                          fallback stands: what was drawn stays drawn, a
//                          filtered event passes on, a request fails.
//
// guarded() answers whether the work ran to its end, so an edge with a
// specified result for a failure can give it.

#include <QPointer>
#include <QWidget>

#include <exception>
#include <utility>

namespace controls {

class Report
{
public:
    static Report toUser(QWidget *owner) { return Report(owner, true); }
    static Report none() { return Report(nullptr, false); }

    // Deals with a failure that reached the edge; never throws.
    void failed(const std::exception_ptr &error) const noexcept;

private:
    Report(QWidget *owner, bool toUser)
        : m_owner(owner)
        , m_toUser(toUser)
    {}

    QPointer<QWidget> m_owner;
    bool m_toUser;
};

template <typename Work>
bool guarded(const Report &report, Work &&work) noexcept
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        report.failed(std::current_exception());
        return false;
    }
}

} // namespace controls
