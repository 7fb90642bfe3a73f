#pragma once

// TppCustomForm: what the model knows of a dialog, without a widget. Every
// dialog of the library is reached through an abstract descendant of it (the
// form-class registry hands out the class registered for that descendant);
// the window layer supplies the concrete forms, which are windows as well,
// and answers the window operations below.
//
// A form is a component without owner by default: its user frees it, and
// whoever keeps a pointer to it across a pump holds Guard(), which goes null
// when the form goes.

#include "platform/classes/Component.h"

#include <QIcon>
#include <QPointer>

#include <cstdint>
#include <memory>

class QObject;

namespace report {

// The results of a modal form.
constexpr int ppModalResultNone = 0;
constexpr int ppModalResultOK = 1;
constexpr int ppModalResultCancel = 2;

class TppCustomForm : public classes::TComponent
{
    ZVO_CLASS(TppCustomForm)
public:
    explicit TppCustomForm(classes::TComponent *aOwner = nullptr);
    ~TppCustomForm() override;

    // ---- Notifications ----
    // After the activation.
    classes::TNotifyEvent OnActivateNotify;
    // From DoClose.
    classes::TNotifyEvent OnCloseNotify;
    // Before the form decides whether it may close.
    classes::TNotifyEvent OnCloseQueryNotify;
    // At the start of the form's destruction.
    classes::TNotifyEvent OnDestroyNotify;

    // The loaded language module's index; a change calls LanguageChanged.
    int32_t LanguageIndex() const { return m_languageIndex; }
    void SetLanguageIndex(int32_t aValue);
    // The object the dialog works for (a producer, a component's owner).
    classes::TObject *Report() const { return m_report; }
    void SetReport(classes::TObject *aReport);

    virtual void DoClose();
    virtual void LanguageChanged() {}
    virtual void ReportAssigned() {}

    // ---- Called by the window side ----
    // Tells OnCloseQueryNotify; true: the form may close.
    virtual bool CloseQuery();
    virtual void Activate();
    // Tells OnDestroyNotify, once; the window side calls it as its
    // destruction begins.
    void DestroyNotify();

    // ---- Window operations ----
    // Shows the form modally through the program's modal wait and answers
    // the modal result.
    virtual int ShowModal() = 0;
    virtual void Show() = 0;
    virtual void Close() = 0;
    virtual bool Showing() const = 0;
    virtual int ModalResult() const = 0;
    // Closes a modal form with that result.
    virtual void SetModalResult(int aResult) = 0;
    virtual void SetIcon(const QIcon &aIcon) = 0;
    // Frees the form once nothing of it runs any more: a window defers it to
    // its event loop, for a handler of the form may be what asks.
    virtual void Release() { delete this; }

    // Null once the form is gone.
    QPointer<QObject> Guard() const { return QPointer<QObject>(m_sentinel.get()); }

private:
    int32_t m_languageIndex = 0;
    classes::TObject *m_report = nullptr;
    bool m_destroyNotified = false;
    std::unique_ptr<QObject> m_sentinel;
};

} // namespace report
