#include "report/model/forms/DialogServices.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <chrono>
#include <mutex>

namespace report {

namespace {

std::mutex g_servicesLock;
TppDialogServices g_services;

TppDialogServices dialogServices()
{
    if (std::optional<TppDialogServices> scoped = ScopedDialogServices::current())
        return *scoped;
    std::lock_guard lock(g_servicesLock);
    return g_services;
}

void dialogServicesDefaultPump(int64_t aMilliseconds)
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents();
    if (aMilliseconds <= 0)
        return;
    const QDeadlineTimer deadline(aMilliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, int(deadline.remainingTime()));
}

} // namespace

void ppSetDialogServices(TppDialogServices aServices)
{
    std::lock_guard lock(g_servicesLock);
    if (aServices.pump)
        g_services.pump = std::move(aServices.pump);
    if (aServices.message)
        g_services.message = std::move(aServices.message);
    if (aServices.openFileName)
        g_services.openFileName = std::move(aServices.openFileName);
}

int64_t ppMessageTickCount()
{
    if (std::optional<std::function<int64_t()>> clock = ScopedMessageClock::current(); clock && *clock)
        return (*clock)();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ppProcessMessages()
{
    ppProcessMessagesFor(0);
}

void ppProcessMessagesFor(int64_t aMilliseconds)
{
    const TppDialogServices services = dialogServices();
    if (services.pump)
        services.pump(aMilliseconds);
    else
        dialogServicesDefaultPump(aMilliseconds);
}

int ppShowMessage(const QString &aText, TppMessageKind aKind)
{
    const TppDialogServices services = dialogServices();
    if (!services.message)
        return 1;
    return services.message({aText, aKind});
}

bool ppConfirmMessage(const QString &aText, TppMessageKind aKind)
{
    const TppDialogServices services = dialogServices();
    if (!services.message)
        return false;
    return services.message({aText, aKind, TppMessageButtons::OkCancel}) == ppMessageOk;
}

QString ppOpenFileName(const QString &aFilter)
{
    const TppDialogServices services = dialogServices();
    if (!services.openFileName)
        return QString();
    return services.openFileName(aFilter);
}

} // namespace report
