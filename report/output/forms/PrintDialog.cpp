#include "report/output/forms/PrintDialog.h"

#include "report/model/base/Messages.h"
#include "report/model/base/PageList.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/Printer.h"
#include "report/model/printing/PrinterList.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/production/FileDevice.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/forms/PrintDialogIcons.h"
#include "report/output/forms/UpDown.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/StringList.h"
#include "platform/controls/Direction.h"
#include "platform/gfx/Colors.h"
#include "platform/shell/Modal.h"

#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>
#include <memory>
#include <utility>

namespace report {

namespace {

constexpr int PrintDialogWidth = 482;
constexpr int PrintDialogFileHeight = 80;
constexpr int PrintDialogBottomHeight = 42;
// Where the page range's frame ends below its description, in thousandths
// of a millimetre.
constexpr int PrintDialogRangeMargin = 2381;
// The right edge of the odd/even caption.
constexpr int PrintDialogPrintWhatRight = 285;
constexpr int PrintDialogMaxCopies = 999;

// The printers' list draws its own items: the glyph of a printer on this
// machine or on the network, then the name.
class PrintDialogPrinterDelegate : public QStyledItemDelegate
{
public:
    PrintDialogPrinterDelegate(const QPixmap (&aIcons)[2], QObject *aParent)
        : QStyledItemDelegate(aParent)
        , m_icons(aIcons)
    {}

    void paint(QPainter *aPainter, const QStyleOptionViewItem &aOption, const QModelIndex &aIndex) const override
    {
        QStyleOptionViewItem option = aOption;
        initStyleOption(&option, aIndex);
        const bool selected = option.state & QStyle::State_Selected;
        aPainter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        const QPixmap &icon = m_icons[aIndex.data(Qt::UserRole).toInt() != 0 ? 1 : 0];
        aPainter->drawPixmap(option.rect.left() + 1, option.rect.top() + (option.rect.height() - icon.height()) / 2,
                             icon);
        aPainter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        aPainter->drawText(option.rect.adjusted(21, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, option.text);
    }

private:
    const QPixmap (&m_icons)[2];
};

QPixmap printDialogGlyph(const QImage &aImage)
{
    QPixmap pixmap = QPixmap::fromImage(aImage);
    pixmap.setMask(pixmap.createMaskFromColor(gfx::ToQColor(rtl::clGreen), Qt::MaskInColor));
    return pixmap;
}

// A control of the dialog, named as the form names it.
template <class Widget>
Widget *printDialogPlace(QWidget *aParent, const char *aName, QRect aGeometry = {})
{
    auto *widget = new Widget(aParent);
    widget->setObjectName(QLatin1String(aName));
    if (aGeometry.isValid())
        widget->setGeometry(aGeometry);
    return widget;
}

// "Text files|*.TXT|All files|*.*" as a file dialog's filters.
QStringList printDialogNameFilters(const QString &aFilter)
{
    const QStringList parts = aFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
    return filters;
}

// The copies typed, within 1..999; a text that is no number counts as 1.
// A whole number too long for an int still asks for the most copies.
int printDialogCopies(const QString &aText)
{
    bool number = false;
    const QString text = aText.trimmed();
    const int copies = text.toInt(&number);
    if (number)
        return std::clamp(copies, 1, PrintDialogMaxCopies);
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    if (digits.match(text).hasMatch())
        return text.startsWith(QLatin1Char('-')) ? 1 : PrintDialogMaxCopies;
    return 1;
}

} // namespace

const classes::TMetaClass &TppPrintDialog::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppPrintDialog, TppCustomPrintDialog>("TppPrintDialog");
    return meta;
}

TppPrintDialog::TppPrintDialog(classes::TComponent *aOwner)
    : TppFormOf<TppCustomPrintDialog>(aOwner)
{
    setObjectName(QStringLiteral("ppPrintDialog"));
    m_printerTypeIcons[0] = printDialogGlyph(TppMetaBitmap::CreateBitmap<TppPrinterIcon>());
    m_printerTypeIcons[1] = printDialogGlyph(TppMetaBitmap::CreateBitmap<TppNetworkPrinterIcon>());
    m_collationPictures[0] = TppMetaBitmap::CreateBitmap<TppCollationBitmap>();
    m_collationPictures[1] = TppMetaBitmap::CreateBitmap<TppNonCollationBitmap>();
    createControls();
    LanguageChanged();
    // Its controls stand at fixed places laid out left to right; mirrored
    // one by one inside them, the page range's buttons stood at the far side
    // of their frame, away from the page field.
    controls::KeepLeftToRight(this);
    // The file dialog is a window of its own and follows the application.
    m_saveDialog->setLayoutDirection(QGuiApplication::layoutDirection());
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
}

TppPrintDialog::~TppPrintDialog() = default;

void TppPrintDialog::createControls()
{
    const auto bevel = [](QWidget *aParent, const char *aName, QFrame::Shape aShape, QRect aGeometry) {
        auto *frame = printDialogPlace<QFrame>(aParent, aName, aGeometry);
        frame->setFrameShape(aShape);
        frame->setFrameShadow(QFrame::Sunken);
        return frame;
    };

    m_saveDialog = new QFileDialog(this);
    m_saveDialog->setObjectName(QStringLiteral("SaveDialog1"));
    m_saveDialog->setOption(QFileDialog::DontUseNativeDialog);
    m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_saveDialog->setFileMode(QFileDialog::AnyFile);

    m_pnlBottom = printDialogPlace<QWidget>(this, "pnlBottom");
    m_btnOK = printDialogPlace<QPushButton>(m_pnlBottom, "btnOK", {312, 8, 75, 25});
    m_btnOK->setDefault(true);
    m_btnCancel = printDialogPlace<QPushButton>(m_pnlBottom, "btnCancel", {396, 8, 75, 25});

    m_pnlPrintToFile = printDialogPlace<QWidget>(this, "pnlPrintToFile");
    m_pnlPrintToFile->hide();
    m_lblPrintToFile = printDialogPlace<QLabel>(m_pnlPrintToFile, "lblPrintToFile", {8, 4, 120, 16});
    m_bvlPrintToFile = bevel(m_pnlPrintToFile, "bvlPrintToFile", QFrame::HLine, {96, 10, 378, 2});
    m_cbxPrintToFile = printDialogPlace<QCheckBox>(m_pnlPrintToFile, "cbxPrintToFile", {20, 26, 18, 18});
    m_lblPrintToFileType = printDialogPlace<QLabel>(m_pnlPrintToFile, "lblPrintToFileType", {44, 27, 56, 16});
    m_cbxPrintToFileTypes = printDialogPlace<QComboBox>(m_pnlPrintToFile, "cbxPrintToFileTypes", {104, 24, 250, 22});
    m_lblPrintToFileWhere = printDialogPlace<QLabel>(m_pnlPrintToFile, "lblPrintToFileWhere", {44, 53, 56, 16});
    m_edtPrintToFileName = printDialogPlace<QLineEdit>(m_pnlPrintToFile, "edtPrintToFileName", {104, 50, 336, 22});
    m_spbPrintToFile = printDialogPlace<QToolButton>(m_pnlPrintToFile, "spbPrintToFile", {446, 49, 26, 24});
    m_spbPrintToFile->setText(QStringLiteral("..."));

    m_pnlPrint = printDialogPlace<QWidget>(this, "pnlPrint");
    m_lblPrinter = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinter", {8, 6, 80, 16});
    m_bvlPrinter = bevel(m_pnlPrint, "bvlPrinter", QFrame::HLine, {70, 12, 404, 2});
    m_lblPrinterName = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinterName", {20, 32, 56, 16});
    m_cbxPrinters = printDialogPlace<QComboBox>(m_pnlPrint, "cbxPrinters", {80, 28, 270, 24});
    m_cbxPrinters->setItemDelegate(new PrintDialogPrinterDelegate(m_printerTypeIcons, m_cbxPrinters));
    m_lblPrinterName->setBuddy(m_cbxPrinters);
    m_btnPrinterProperties = printDialogPlace<QPushButton>(m_pnlPrint, "btnPrinterProperties", {362, 27, 110, 25});
    m_lblNoPrintersInstalled = printDialogPlace<QLabel>(m_pnlPrint, "lblNoPrintersInstalled", {80, 32, 392, 16});
    m_lblNoPrintersInstalled->hide();
    m_lblPrinterType = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinterType", {20, 58, 56, 16});
    m_lblPrinterTypeDesc = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinterTypeDesc", {80, 58, 392, 16});
    m_lblPrinterWhere = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinterWhere", {20, 78, 56, 16});
    m_lblPrinterWhereDesc = printDialogPlace<QLabel>(m_pnlPrint, "lblPrinterWhereDesc", {80, 78, 392, 16});

    m_lblPageRange = printDialogPlace<QLabel>(m_pnlPrint, "lblPageRange", {14, 104, 120, 16});
    // Its height follows the description's (adjustLayout).
    m_bvlPageRange = bevel(m_pnlPrint, "bvlPageRange", QFrame::Box, {});
    m_rdbAll = printDialogPlace<QRadioButton>(m_pnlPrint, "rdbAll", {20, 126, 200, 20});
    m_rdbCurrentPage = printDialogPlace<QRadioButton>(m_pnlPrint, "rdbCurrentPage", {20, 148, 200, 20});
    m_rdbPages = printDialogPlace<QRadioButton>(m_pnlPrint, "rdbPages", {20, 170, 66, 20});
    m_edtPageRange = printDialogPlace<QLineEdit>(m_pnlPrint, "edtPageRange", {88, 169, 136, 22});
    m_lblPageRangeDescription = printDialogPlace<QLabel>(m_pnlPrint, "lblPageRangeDescription", {20, 198, 204, 30});
    m_lblPageRangeDescription->setWordWrap(true);
    m_lblPageRangeDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_lblCopies = printDialogPlace<QLabel>(m_pnlPrint, "lblCopies", {252, 104, 120, 16});
    m_bvlCopies = bevel(m_pnlPrint, "bvlCopies", QFrame::Box, {246, 112, 228, 108});
    m_lblNumberOfCopies = printDialogPlace<QLabel>(m_pnlPrint, "lblNumberOfCopies", {258, 128, 120, 16});
    m_edtCopies = printDialogPlace<QLineEdit>(m_pnlPrint, "edtCopies", {392, 124, 64, 22});
    m_lblNumberOfCopies->setBuddy(m_edtCopies);
    m_imgCollate = printDialogPlace<QLabel>(m_pnlPrint, "imgCollate", {258, 156, 102, 53});
    m_cbxCollate = printDialogPlace<QCheckBox>(m_pnlPrint, "cbxCollate", {372, 174, 18, 18});
    m_lblCollate = printDialogPlace<QLabel>(m_pnlPrint, "lblCollate", {392, 175, 78, 16});
    m_lblCollate->setBuddy(m_cbxCollate);

    // Placed below the page range (adjustLayout).
    m_lblPrintWhat = printDialogPlace<QLabel>(m_pnlPrint, "lblPrintWhat");
    m_cbxPrintWhat = printDialogPlace<QComboBox>(m_pnlPrint, "cbxPrintWhat");
    m_lblPrintWhat->setBuddy(m_cbxPrintWhat);

    m_udCopies = TppUpDown::CreateFor(this, m_edtCopies);
    m_udCopies->setObjectName(QStringLiteral("udCopies"));
    m_udCopies->SetMin(1);
    m_udCopies->SetMax(PrintDialogMaxCopies);
    m_udCopies->OnClick = [this](int aDirection) { StepCopies(aDirection); };

    for (QObject *watched : {static_cast<QObject *>(m_lblPrintToFile), static_cast<QObject *>(m_lblCollate),
                             static_cast<QObject *>(m_edtPageRange)})
        watched->installEventFilter(this);

    connect(m_btnOK, &QPushButton::clicked, this, [this] { pressButton(ppModalResultOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { pressButton(ppModalResultCancel); });
    connect(m_cbxPrinters, &QComboBox::currentIndexChanged, this, [this](int aIndex) { printerChosen(aIndex); });
    connect(m_btnPrinterProperties, &QPushButton::clicked, this, [this] {
        if (Printer && Printer->ShowProperties()) {
            showPrinterInfo();
            PrinterPropertiesChanged = true;
        }
    });
    const auto emptyRange = [this](bool aChecked) {
        if (aChecked && !m_initializing)
            m_edtPageRange->clear();
    };
    connect(m_rdbAll, &QRadioButton::toggled, this, emptyRange);
    connect(m_rdbCurrentPage, &QRadioButton::toggled, this, emptyRange);
    connect(m_edtPageRange, &QLineEdit::textEdited, this, [this] {
        if (!m_initializing)
            m_rdbPages->setChecked(true);
    });
    connect(m_cbxPrintWhat, &QComboBox::currentIndexChanged, this, [this](int aIndex) {
        if (!m_initializing && aIndex >= 0)
            PageRequest()->SetPageRange(TppPageRangeType(aIndex));
    });
    connect(m_edtCopies, &QLineEdit::editingFinished, this, [this] { leaveCopies(); });
    connect(m_cbxCollate, &QCheckBox::toggled, this, [this] { collateChanged(); });
    connect(m_cbxPrintToFile, &QCheckBox::toggled, this, [this] { printToFileChanged(); });
    connect(m_cbxPrintToFileTypes, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initializing)
            return;
        if (const FileType *type = chosenFileType())
            m_edtPrintToFileName->setText(type->archive ? ArchiveFileName : TextFileName);
        printToFileChanged();
    });
    connect(m_edtPrintToFileName, &QLineEdit::textChanged, this, [this](const QString &aText) {
        if (m_initializing)
            return;
        if (const FileType *type = chosenFileType())
            (type->archive ? ArchiveFileName : TextFileName) = aText;
        printToFileChanged();
    });
    connect(m_spbPrintToFile, &QToolButton::clicked, this, [this] { BrowseForFile(); });
}

void TppPrintDialog::LanguageChanged()
{
    setWindowTitle(ppLoadStr(22));
    m_lblPrinter->setText(ppLoadStr(25));
    m_lblPrinterName->setText(ppLoadStr(1010));
    m_lblPrinterType->setText(ppLoadStr(1011));
    m_lblPrinterWhere->setText(ppLoadStr(1012));
    m_btnPrinterProperties->setText(ppLoadStr(1013));
    m_lblPageRange->setText(ppLoadStr(19));
    m_rdbAll->setText(ppLoadStr(3));
    m_rdbCurrentPage->setText(ppLoadStr(9));
    m_rdbPages->setText(ppLoadStr(20));
    m_lblPageRangeDescription->setText(ppLoadStr(11));
    m_lblCopies->setText(ppLoadStr(7));
    m_lblNumberOfCopies->setText(ppLoadStr(1014));
    m_lblCollate->setText(ppLoadStr(1015));
    m_lblPrintWhat->setText(ppLoadStr(1016));
    const bool wasInitializing = std::exchange(m_initializing, true);
    const int printWhat = std::max(m_cbxPrintWhat->currentIndex(), 0);
    m_cbxPrintWhat->clear();
    m_cbxPrintWhat->addItems({ppLoadStr(1017), ppLoadStr(1018), ppLoadStr(1019)});
    m_cbxPrintWhat->setCurrentIndex(printWhat);
    m_initializing = wasInitializing;
    m_lblPrintToFile->setText(ppLoadStr(26));
    m_lblPrintToFileType->setText(ppLoadStr(1011));
    m_lblPrintToFileWhere->setText(ppLoadStr(1012));
    m_btnOK->setText(ppLoadStr(17));
    m_btnCancel->setText(ppLoadStr(5));
    m_lblNoPrintersInstalled->setText(ppLoadStr(8));
    adjustLayout();
}

void TppPrintDialog::adjustLayout()
{
    // The description takes the lines its text needs at its width; the page
    // range's frame ends a fixed distance below it, and what lies below
    // moves down with it.
    const QFontMetrics metrics(m_lblPageRangeDescription->font());
    const QRect description = m_lblPageRangeDescription->geometry();
    const int textHeight =
        metrics
            .boundingRect(QRect(0, 0, description.width(), 10000), Qt::TextWordWrap, m_lblPageRangeDescription->text())
            .height();
    m_lblPageRangeDescription->setGeometry(description.left(), description.top(), description.width(), textHeight);
    const int rangeBottom = description.top() + textHeight + ScreenScale((PrintDialogRangeMargin * 96 + 12700) / 25400);
    m_bvlPageRange->setGeometry(8, 112, 228, rangeBottom - 112);

    // The two captions sit on their frames' top lines, as a group's does.
    for (QLabel *caption : {m_lblPageRange, m_lblCopies}) {
        caption->setAutoFillBackground(true);
        caption->adjustSize();
        caption->raise();
    }

    const int printWhatTop = std::max(rangeBottom, m_bvlCopies->geometry().bottom()) + 12;
    m_lblPrintWhat->adjustSize();
    m_lblPrintWhat->move(PrintDialogPrintWhatRight - m_lblPrintWhat->width(), printWhatTop + 3);
    m_cbxPrintWhat->setGeometry(PrintDialogPrintWhatRight + 6, printWhatTop, 180, 22);
    const int printHeight = printWhatTop + 22 + 10;

    m_pnlPrint->setGeometry(0, 0, PrintDialogWidth, printHeight);
    const bool toFile = m_pnlPrintToFile->isVisibleTo(this);
    m_pnlPrintToFile->setGeometry(0, printHeight, PrintDialogWidth, PrintDialogFileHeight);
    const int bottomTop = printHeight + (toFile ? PrintDialogFileHeight : 0);
    m_pnlBottom->setGeometry(0, bottomTop, PrintDialogWidth, PrintDialogBottomHeight);
    setFixedSize(PrintDialogWidth, bottomTop + PrintDialogBottomHeight);
}

int TppPrintDialog::ShowModal()
{
    Prepare();
    m_pressed = 0;
    return TppFormOf<TppCustomPrintDialog>::ShowModal();
}

void TppPrintDialog::Activate()
{
    TppFormOf<TppCustomPrintDialog>::Activate();
    // Once per showing: the form is activated again whenever the save dialog
    // or a message box closes, and the user's choices must stay.
    if (!m_prepared)
        Prepare();
}

void TppPrintDialog::Prepare()
{
    m_initializing = true;
    fillPrinters();
    fillPageRange();
    fillPrintToFile();
    m_initializing = false;
    printToFileChanged();
    adjustLayout();
    m_prepared = true;
}

TppPrinterSetup *TppPrintDialog::printerSetup() const
{
    return Printer ? Printer->PrinterSetup() : nullptr;
}

// ---- Printers ------------------------------------------------------------------

void TppPrintDialog::fillPrinters()
{
    m_cbxPrinters->clear();
    TppPrinterList *list = ppGetPrinterList();
    struct Entry
    {
        QString name;
        int remote;
    };
    std::vector<Entry> entries;
    // "Default" stands for the system's default printer and is offered only
    // while there is one; the screen is no printer to print on.
    const QString defaultName = list->DefaultPrinterName();
    const bool realDefault = !defaultName.isEmpty() && defaultName != QLatin1String("Screen");
    for (int i = 0; i < list->Count(); ++i) {
        const QString name = list->Printers().Strings(i);
        if (name == QLatin1String("Screen") || (name == QLatin1String("Default") && !realDefault))
            continue;
        const auto *info = static_cast<const TppPrinterInfo *>(list->Printers().Objects(i));
        entries.push_back({name, info && !info->IsLocal() ? 1 : 0});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    for (const Entry &entry : entries)
        m_cbxPrinters->addItem(QIcon(m_printerTypeIcons[entry.remote]), entry.name, entry.remote);

    TppPrinterSetup *setup = printerSetup();
    const bool none = !setup || entries.empty();
    m_cbxPrinters->setVisible(!none);
    m_btnPrinterProperties->setVisible(!none);
    m_lblNoPrintersInstalled->setVisible(none);
    if (!none) {
        int index = m_cbxPrinters->findText(setup->PrinterName());
        if (index < 0) {
            index = 0;
            setup->SetPrinterName(m_cbxPrinters->itemText(0));
        }
        m_cbxPrinters->setCurrentIndex(index);
    }
    showPrinterInfo();
}

void TppPrintDialog::showPrinterInfo()
{
    const TppPrinterInfo *info = nullptr;
    if (Printer && m_cbxPrinters->currentIndex() >= 0)
        info = ppGetPrinterList()->PrinterByName(m_cbxPrinters->currentText());
    m_lblPrinterTypeDesc->setText(info ? info->Device() : QString());
    m_lblPrinterWhereDesc->setText(info ? info->Port() : QString());
}

void TppPrintDialog::printerChosen(int aIndex)
{
    if (m_initializing || aIndex < 0)
        return;
    if (TppPrinterSetup *setup = printerSetup())
        setup->SetPrinterName(m_cbxPrinters->itemText(aIndex));
    showPrinterInfo();
}

// ---- Pages and copies ------------------------------------------------------------

void TppPrintDialog::fillPageRange()
{
    const TppPageRequest *request = PageRequest();
    const auto joined = [request](QLatin1Char aSeparator) {
        QStringList pages;
        const classes::TStrings *list = request->PageList();
        for (int i = 0; i < list->Count(); ++i)
            pages << list->Strings(i);
        return pages.join(aSeparator);
    };
    m_edtPageRange->clear();
    switch (request->PageSetting()) {
    case TppPageSettingType::psPageList:
        m_rdbPages->setChecked(true);
        m_edtPageRange->setText(joined(QLatin1Char(',')));
        break;
    case TppPageSettingType::psSinglePage: m_rdbCurrentPage->setChecked(true); break;
    case TppPageSettingType::psPageRange:
        m_rdbPages->setChecked(true);
        m_edtPageRange->setText(joined(QLatin1Char('-')));
        break;
    default: m_rdbAll->setChecked(true); break;
    }
    m_cbxPrintWhat->setCurrentIndex(int(request->PageRange()));

    const TppPrinterSetup *setup = printerSetup();
    m_edtCopies->setText(QString::number(setup ? setup->Copies() : 1));
    m_cbxCollate->setChecked(setup && setup->Collation());
    collateChanged();
}

void TppPrintDialog::StepCopies(int aDirection)
{
    const int copies = printDialogCopies(m_edtCopies->text());
    m_edtCopies->setText(QString::number(std::clamp(copies + aDirection, 1, PrintDialogMaxCopies)));
}

void TppPrintDialog::leaveCopies()
{
    m_edtCopies->setText(QString::number(printDialogCopies(m_edtCopies->text())));
}

void TppPrintDialog::collateChanged()
{
    const bool collate = m_cbxCollate->isChecked();
    if (!m_initializing)
        if (TppPrinterSetup *setup = printerSetup())
            setup->SetCollation(collate);
    m_imgCollate->setPixmap(QPixmap::fromImage(m_collationPictures[collate ? 0 : 1]));
}

// ---- Print to file ---------------------------------------------------------------

void TppPrintDialog::fillPrintToFile()
{
    m_fileTypes.clear();
    m_cbxPrintToFileTypes->clear();
    const bool offered = AllowPrintToFile || AllowPrintToArchive;
    m_pnlPrintToFile->setVisible(offered);
    if (!offered)
        return;
    const std::vector<const TppDeviceClass *> classes = ppGetDeviceClassList();
    for (const bool archivePass : {true, false}) {
        if (archivePass ? !AllowPrintToArchive : !AllowPrintToFile)
            continue;
        for (const TppDeviceClass *deviceClass : classes) {
            if (!deviceClass->MetaClass().InheritsFrom(TppFileDevice::StaticClass()))
                continue;
            const bool archive = deviceClass->MetaClass().InheritsFrom(TppArchiveDevice::StaticClass());
            if (archive != archivePass)
                continue;
            // The class's texts come from a device of it.
            const std::unique_ptr<TppDevice> device(deviceClass->Create(nullptr));
            const auto *fileDevice = dynamic_cast<const TppFileDevice *>(device.get());
            if (!fileDevice)
                continue;
            m_fileTypes.push_back({deviceClass, fileDevice->DeviceDescription(LanguageIndex()),
                                   fileDevice->DefaultExt(), fileDevice->DefaultExtFilter(), archive});
            m_cbxPrintToFileTypes->addItem(m_fileTypes.back().description);
        }
    }
    m_cbxPrintToFileTypes->setCurrentIndex(m_fileTypes.empty() ? -1 : 0);
    m_cbxPrintToFile->setChecked(false);
    if (const TppDeviceClass *named = ppGetDeviceClass(DeviceType))
        for (size_t i = 0; i < m_fileTypes.size(); ++i)
            if (m_fileTypes[i].deviceClass == named) {
                m_cbxPrintToFileTypes->setCurrentIndex(int(i));
                m_cbxPrintToFile->setChecked(true);
            }
    const FileType *type = chosenFileType();
    m_edtPrintToFileName->setText(type ? (type->archive ? ArchiveFileName : TextFileName) : QString());
}

const TppPrintDialog::FileType *TppPrintDialog::chosenFileType() const
{
    const int index = m_cbxPrintToFileTypes->currentIndex();
    return index >= 0 && index < int(m_fileTypes.size()) ? &m_fileTypes[size_t(index)] : nullptr;
}

bool TppPrintDialog::printingToFile() const
{
    return (AllowPrintToFile || AllowPrintToArchive) && m_cbxPrintToFile->isChecked();
}

void TppPrintDialog::printToFileChanged()
{
    if (m_initializing)
        return;
    const bool checked = m_cbxPrintToFile->isChecked();
    m_spbPrintToFile->setEnabled(checked);
    m_cbxPrintToFileTypes->setEnabled(checked);
    m_edtPrintToFileName->setEnabled(checked);
    const FileType *type = chosenFileType();
    if (!type)
        return;
    const QString fileName = type->archive ? ArchiveFileName : TextFileName;
    const QString folder = QFileInfo(fileName).path();
    if (!fileName.isEmpty() && folder != QLatin1String("."))
        m_saveDialog->setDirectory(folder);
    m_saveDialog->setDefaultSuffix(type->defaultExt);
    m_saveDialog->setNameFilters(printDialogNameFilters(type->defaultExtFilter));
    m_saveDialog->selectFile(QFileInfo(fileName).fileName());
}

void TppPrintDialog::BrowseForFile()
{
    printToFileChanged();
    if (shell::execDialog(*m_saveDialog) != QDialog::Accepted)
        return;
    const QStringList chosen = m_saveDialog->selectedFiles();
    if (!chosen.isEmpty())
        m_edtPrintToFileName->setText(chosen.first());
}

QString TppPrintDialog::FileNameWithExtension(const QString &aFileName) const
{
    const FileType *type = chosenFileType();
    if (!type || type->defaultExt.isEmpty() || aFileName.isEmpty())
        return aFileName;
    const QString name = QFileInfo(aFileName).fileName();
    if (name.endsWith(QLatin1Char('.')))
        return aFileName + type->defaultExt;
    if (!name.contains(QLatin1Char('.')))
        return aFileName + QLatin1Char('.') + type->defaultExt;
    return aFileName;
}

// ---- OK ------------------------------------------------------------------------------

void TppPrintDialog::pressButton(int aResult)
{
    m_pressed = aResult;
    if (!closeWithResult(aResult))
        m_pressed = 0;
}

bool TppPrintDialog::CloseQuery()
{
    if (m_pressed != ppModalResultOK)
        return TppCustomPrintDialog::CloseQuery();
    return AcceptChoices() && TppCustomPrintDialog::CloseQuery();
}

bool TppPrintDialog::AcceptChoices()
{
    std::vector<int> pages;
    if (m_rdbPages->isChecked()) {
        if (!ppParsePageList(m_edtPageRange->text(), pages)) {
            ppShowMessage(ppLoadStr(11), TppMessageKind::Warning);
            return false;
        }
        if (pages.empty()) {
            ppShowMessage(ppLoadStr(32), TppMessageKind::Warning);
            return false;
        }
    }
    const bool toFile = printingToFile();
    const FileType *type = toFile ? chosenFileType() : nullptr;
    const QString fileName = m_edtPrintToFileName->text().trimmed();
    // A ticked box with a name but no registered file device cannot print
    // either: it asks for a name as an empty one does.
    if (toFile && (fileName.isEmpty() || !type)) {
        ppShowMessage(ppLoadStr(33), TppMessageKind::Warning);
        return false;
    }
    if (!toFile) {
        // A printer whose context cannot be made turns into the screen,
        // which prints nothing.
        const bool context = Printer && Printer->DC();
        const TppPrinterInfo *info = Printer ? Printer->PrinterInfo() : nullptr;
        const bool usable = m_cbxPrinters->count() > 0 && context && info && !info->IsScreen();
        if (!usable) {
            ppShowMessage(ppLoadStr(m_cbxPrinters->count() > 0 ? 459 : 8), TppMessageKind::Warning);
            return false;
        }
    }

    TppPageRequest *request = PageRequest();
    if (m_rdbPages->isChecked()) {
        classes::TStringList list;
        for (const int page : pages)
            list.Add(QString::number(page));
        request->SetPageList(&list);
        request->SetPageSetting(TppPageSettingType::psPageList);
    } else {
        request->SetPageSetting(m_rdbCurrentPage->isChecked() ? TppPageSettingType::psSinglePage
                                                              : TppPageSettingType::psAll);
    }
    leaveCopies();
    if (TppPrinterSetup *setup = printerSetup())
        setup->SetCopies(m_edtCopies->text().toInt());
    PrintToFile = false;
    PrintToArchive = false;
    if (toFile) {
        const QString stored = FileNameWithExtension(fileName);
        (type->archive ? ArchiveFileName : TextFileName) = stored;
        DeviceType = type->deviceClass->deviceName();
        PrintToArchive = type->archive;
        PrintToFile = !type->archive;
    }
    return true;
}

bool TppPrintDialog::eventFilter(QObject *aWatched, QEvent *aEvent)
{
    const QEvent::Type kind = aEvent->type();
    if (kind == QEvent::MouseButtonRelease) {
        if (aWatched == m_lblPrintToFile && m_cbxPrintToFile->isEnabled())
            m_cbxPrintToFile->toggle();
        else if (aWatched == m_lblCollate)
            m_cbxCollate->toggle();
    } else if ((kind == QEvent::FocusIn || kind == QEvent::MouseButtonPress) && aWatched == m_edtPageRange &&
               !m_initializing) {
        m_rdbPages->setChecked(true);
    }
    return TppFormOf<TppCustomPrintDialog>::eventFilter(aWatched, aEvent);
}

} // namespace report

#include "moc_PrintDialog.cpp"
