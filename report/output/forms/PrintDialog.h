#pragma once

// The print dialog: the printer (with its properties), the pages (all, the
// current one, a list; all, odd or even ones of them), the copies and their
// collation, and instead of the printer a file of one of the registered
// file devices. It works on the producer's printer and fills its own copy of
// the producer's page request; OK closes only on choices that can print.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

#include <QImage>
#include <QPixmap>

#include <vector>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace report {

class TppDeviceClass;
class TppUpDown;

class TppPrintDialog : public TppFormOf<TppCustomPrintDialog>
{
    Q_OBJECT
    ZVO_CLASS(TppPrintDialog)
public:
    explicit TppPrintDialog(classes::TComponent *aOwner = nullptr);
    ~TppPrintDialog() override;

    // Fills the controls from the printer, the request and the file
    // settings, once per showing.
    int ShowModal() override;
    void Activate() override;
    void LanguageChanged() override;
    // Unless cancelled: the checks of OK, then the choices stored.
    bool CloseQuery() override;

    // The printers, the page range and the print-to-file controls, filled
    // anew from the dialog's fields.
    void Prepare();
    // What OK does: true when the dialog may close with OK.
    bool AcceptChoices();

    bool Initializing() const { return m_initializing; }
    // The up-down's arrows on the copies: +1 up, -1 down.
    void StepCopies(int aDirection);
    // The save dialog for the chosen file type, shown modally.
    void BrowseForFile();
    // The file name with the chosen type's extension where it has none.
    QString FileNameWithExtension(const QString &aFileName) const;
    // The collation pictures, collated first.
    const QImage &CollationPicture(int aIndex) const { return m_collationPictures[aIndex]; }

    QFileDialog *SaveDialog1() const { return m_saveDialog; }
    QWidget *pnlBottom() const { return m_pnlBottom; }
    QPushButton *btnOK() const { return m_btnOK; }
    QPushButton *btnCancel() const { return m_btnCancel; }
    QWidget *pnlPrintToFile() const { return m_pnlPrintToFile; }
    QLabel *lblPrintToFile() const { return m_lblPrintToFile; }
    QCheckBox *cbxPrintToFile() const { return m_cbxPrintToFile; }
    QComboBox *cbxPrintToFileTypes() const { return m_cbxPrintToFileTypes; }
    QLineEdit *edtPrintToFileName() const { return m_edtPrintToFileName; }
    QToolButton *spbPrintToFile() const { return m_spbPrintToFile; }
    QWidget *pnlPrint() const { return m_pnlPrint; }
    QComboBox *cbxPrinters() const { return m_cbxPrinters; }
    QPushButton *btnPrinterProperties() const { return m_btnPrinterProperties; }
    QLabel *lblPrinterTypeDesc() const { return m_lblPrinterTypeDesc; }
    QLabel *lblPrinterWhereDesc() const { return m_lblPrinterWhereDesc; }
    QLabel *lblNoPrintersInstalled() const { return m_lblNoPrintersInstalled; }
    QRadioButton *rdbAll() const { return m_rdbAll; }
    QRadioButton *rdbCurrentPage() const { return m_rdbCurrentPage; }
    QRadioButton *rdbPages() const { return m_rdbPages; }
    QLineEdit *edtPageRange() const { return m_edtPageRange; }
    QLabel *lblPageRangeDescription() const { return m_lblPageRangeDescription; }
    QFrame *bvlPageRange() const { return m_bvlPageRange; }
    QLabel *lblPrintWhat() const { return m_lblPrintWhat; }
    QComboBox *cbxPrintWhat() const { return m_cbxPrintWhat; }
    QLineEdit *edtCopies() const { return m_edtCopies; }
    TppUpDown *udCopies() const { return m_udCopies; }
    QCheckBox *cbxCollate() const { return m_cbxCollate; }
    QLabel *lblCollate() const { return m_lblCollate; }
    QLabel *imgCollate() const { return m_imgCollate; }

protected:
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
    // A file device class the print-to-file list offers.
    struct FileType
    {
        const TppDeviceClass *deviceClass;
        QString description;
        QString defaultExt;
        QString defaultExtFilter;
        bool archive;
    };

    void createControls();
    void adjustLayout();
    void fillPrinters();
    void showPrinterInfo();
    void fillPageRange();
    void fillPrintToFile();
    void printToFileChanged();
    void printerChosen(int aIndex);
    void collateChanged();
    void leaveCopies();
    void pressButton(int aResult);
    const FileType *chosenFileType() const;
    // Whether the print-to-file panel is offered and ticked.
    bool printingToFile() const;
    // The printer's setup, or nullptr without a printer.
    class TppPrinterSetup *printerSetup() const;

    QFileDialog *m_saveDialog;
    QWidget *m_pnlBottom;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
    QWidget *m_pnlPrintToFile;
    QLabel *m_lblPrintToFile;
    QFrame *m_bvlPrintToFile;
    QLabel *m_lblPrintToFileWhere;
    QCheckBox *m_cbxPrintToFile;
    QLabel *m_lblPrintToFileType;
    QComboBox *m_cbxPrintToFileTypes;
    QWidget *m_pnlPrint;
    QLabel *m_lblPrinterName;
    QLabel *m_lblCopies;
    QLineEdit *m_edtCopies;
    QLabel *m_lblPageRange;
    QFrame *m_bvlCopies;
    QRadioButton *m_rdbAll;
    QRadioButton *m_rdbCurrentPage;
    QRadioButton *m_rdbPages;
    QLabel *m_lblPageRangeDescription;
    QPushButton *m_btnPrinterProperties;
    QComboBox *m_cbxPrinters;
    QFrame *m_bvlPageRange;
    QLabel *m_lblNumberOfCopies;
    QCheckBox *m_cbxCollate;
    QLabel *m_lblCollate;
    QLabel *m_imgCollate;
    QLabel *m_lblPrinterWhere;
    QLabel *m_lblPrinterType;
    QLabel *m_lblPrinterTypeDesc;
    QLabel *m_lblPrinterWhereDesc;
    QComboBox *m_cbxPrintWhat;
    QLabel *m_lblPrintWhat;
    QFrame *m_bvlPrinter;
    QLabel *m_lblPrinter;
    QLineEdit *m_edtPageRange;
    QLineEdit *m_edtPrintToFileName;
    QToolButton *m_spbPrintToFile;
    QLabel *m_lblNoPrintersInstalled;
    TppUpDown *m_udCopies;

    QPixmap m_printerTypeIcons[2];
    QImage m_collationPictures[2];
    std::vector<FileType> m_fileTypes;
    bool m_initializing = false;
    bool m_prepared = false;
    int m_pressed = 0;
};

} // namespace report
