#pragma once

// What a caller asks of the hidden browser and what it gets back.

#include "platform/browser/ProxyRoute.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

namespace browser {

// The longest document a page may grow to by default: the bound the HTTP
// client keeps for its pages.
inline constexpr qint64 DefaultMaxDocumentSize = 16 * 1024 * 1024;

// Questions a page puts to its caller while it loads. Each is asked on the
// thread that waits for the request (the page holds still for the answer);
// an empty one keeps the hidden page's own answer.
struct PageHost
{
    // The URL a request of the page goes to instead; the same URL (or an
    // invalid one) leaves it. A translated URL is asked about again.
    std::function<QUrl(const QUrl &url)> translateUrl;
    // The page asked for a window of its own. None is ever opened; with this
    // set, scripts may ask without a click.
    std::function<void(const QUrl &url)> newWindow;
    // A script of the page shows a message (alert). It reaches no user
    // either way; the caller only hears of it.
    std::function<void(const QString &text, const QString &caption)> showMessage;
    // A script of the page failed: the line, the engine's message and the
    // script's URL. The page goes on.
    std::function<void(int line, const QString &message, const QString &source)> scriptError;
};

// How one page is loaded. The defaults are those of an ordinary browser
// window, except that nothing can ever reach the user.
struct PageOptions
{
    bool loadImages = true;
    bool javaScript = true;
    bool plugins = false;
    // Every request of the page asks the servers for a fresh copy.
    bool bypassCache = false;
    bool audible = false;
    bool scrollBars = true;
    // Appended to the browser's own user-agent string, never replacing it:
    // servers that sniff the engine still see what they expect.
    QString userAgentToken;
    // Bound for the whole request, from posting to the answer.
    std::chrono::milliseconds timeLimit{60000};
    // How long a loaded page may take to move on by itself (a script or a
    // refresh sending it elsewhere) before its document is read.
    std::chrono::milliseconds settleTime{200};
    PageProxy proxy;
    // A document that grows past this many characters ends the load: a page
    // without end would otherwise take all memory.
    qint64 maxDocumentSize = DefaultMaxDocumentSize;
    PageHost host;
};

enum class FetchStatus {
    Pending,
    Completed,  // the page loaded; html holds its current document
    LoadFailed, // network, DNS, TLS or renderer failure
    HttpError,  // the top-level document came with status 400 or above
    TimedOut,
    TooLarge, // the document grew past the options' bound
    Aborted,
    Unavailable, // no application object to run the browser on
};

struct FetchResult
{
    FetchStatus status = FetchStatus::Pending;
    QString html;
    int httpStatus = 0; // of the top-level document, 0 when unknown
    QString errorText;
    // What the page tried to show or open and was refused, so callers and
    // tests can tell a silent page from a quiet one.
    int suppressedDialogs = 0;
    int refusedWindows = 0;
    int scriptMessages = 0;

    bool ok() const { return status == FetchStatus::Completed; }
};

const char *statusName(FetchStatus status);

} // namespace browser
