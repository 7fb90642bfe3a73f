#pragma once

// What the model asks of the window layer without linking it: pumping the
// pending window messages, waiting while they are served, and message boxes.
// The window layer puts its own in place at start-up; until then (and in
// tests of the model alone) the pump serves Qt's event queue directly and no
// box is ever shown.

#include "platform/rtl/ScopedOverride.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace report {

enum class TppMessageKind { Information, Warning, Error, Confirmation };
enum class TppMessageButtons { Ok, OkCancel };

// The answers, numbered as the platform numbers its buttons.
constexpr int ppMessageOk = 1;
constexpr int ppMessageCancel = 2;

struct TppMessageRequest
{
    QString text;
    TppMessageKind kind = TppMessageKind::Information;
    TppMessageButtons buttons = TppMessageButtons::Ok;
};

struct TppDialogServices
{
    // Serves the pending messages, then keeps serving them for aMilliseconds
    // on the program's clock (0: the pending ones only).
    std::function<void(int64_t aMilliseconds)> pump;
    // Shows the box with the buttons asked for; answers the button pressed.
    std::function<int(const TppMessageRequest &)> message;
    // Asks for a file to open among those aFilter lets through ("Name
    // (*.a *.b);;..."); answers its path, or an empty text when cancelled.
    std::function<QString(const QString &aFilter)> openFileName = {};
};

// Replaces the services for a scope (tests).
using ScopedDialogServices = rtl::ScopedOverride<struct DialogServicesTag, TppDialogServices>;
// Puts the window layer's services in place for the rest of the process;
// an empty function leaves the default.
void ppSetDialogServices(TppDialogServices aServices);

// The clock a long run measures its message budget on: monotonic
// milliseconds. Tests put their own in place so that no real time passes.
using ScopedMessageClock = rtl::ScopedOverride<struct MessageClockTag, std::function<int64_t()>>;
int64_t ppMessageTickCount();

// The pending messages only.
void ppProcessMessages();
void ppProcessMessagesFor(int64_t aMilliseconds);
// Without a window layer: answers OK and shows nothing.
int ppShowMessage(const QString &aText, TppMessageKind aKind);
// OK and Cancel; true for OK. Without a window layer nobody agrees: false.
bool ppConfirmMessage(const QString &aText, TppMessageKind aKind);
// Without a window layer no file is chosen: an empty text.
QString ppOpenFileName(const QString &aFilter);

} // namespace report
