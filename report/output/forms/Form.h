#pragma once

// TppForm: the window side of every dialog of the report library, a QDialog.
// It turns the window's close into the model form's CloseQuery and its
// activation into Activate, and offers the placement helpers. TppFormOf
// joins it to one of the model's abstract dialogs and answers that dialog's
// window operations; each concrete form derives from TppFormOf<its base>.
//
// Modal forms wait through the program's modal sink (shell::execDialog), so
// that a test can drive them.

#include "report/model/forms/CustomForm.h"

#include <QDialog>

class QCloseEvent;
class QEvent;
class QHideEvent;
class QShowEvent;

namespace report {

class TppForm : public QDialog
{
    Q_OBJECT
public:
    explicit TppForm(QWidget *aParent = nullptr);
    ~TppForm() override;

    // Where the form stands centred on its screen.
    void CenterPosition(int &aLeft, int &aTop) const;
    // A length at the form's design resolution (96 pixels per inch) on the
    // screen, and back.
    int ScreenScale(int aValue) const;
    int FormScale(int aValue) const;

    // The model form's closing: CloseQuery (which tells the model), then the
    // window closes with aResult. False when the form refused.
    bool closeWithResult(int aResult);
    int showModalWindow();
    void releaseWindow();

protected:
    virtual TppCustomForm &face() = 0;

    void closeEvent(QCloseEvent *aEvent) override;
    void changeEvent(QEvent *aEvent) override;
    void showEvent(QShowEvent *aEvent) override;
    // Escape closes the form as its close button does.
    void reject() override;

private:
    // Set while a close already asked the model.
    bool m_queried = false;
    // The model agreed to a close since the form was last shown: a form
    // closed again before it shows (the end of a job after Cancel) is not
    // asked twice, or its user hears of one close twice.
    bool m_closeGranted = false;
    // Asks the model unless it already agreed; false when it refused.
    bool queryClose();
};

template <class Face>
class TppFormOf
    : public TppForm
    , public Face
{
public:
    explicit TppFormOf(classes::TComponent *aOwner)
        : TppForm(nullptr)
        , Face(aOwner)
    {}
    ~TppFormOf() override { this->DestroyNotify(); }

    int ShowModal() override { return showModalWindow(); }
    void Show() override { QDialog::show(); }
    void Close() override { QDialog::close(); }
    bool Showing() const override { return QDialog::isVisible(); }
    int ModalResult() const override { return QDialog::result(); }
    void SetModalResult(int aResult) override { closeWithResult(aResult); }
    void SetIcon(const QIcon &aIcon) override { QDialog::setWindowIcon(aIcon); }
    void Release() override { releaseWindow(); }

protected:
    TppCustomForm &face() override { return *this; }
};

} // namespace report
