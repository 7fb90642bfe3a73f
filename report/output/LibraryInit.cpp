#include "report/output/LibraryInit.h"

#include "report/content/ContentRegistration.h"
#include "report/content/barcodes/DrawBarCode.h"
#include "report/content/drawcommands/DrawRichText.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/DesignControls.h"
#include "report/model/base/Units.h"
#include "report/model/forms/DialogServices.h"
#include "report/model/forms/FormClassRegistry.h"
#include "report/model/pages/DeviceRegistry.h"
#include "report/output/ArchiveDevice.h"
#include "report/output/PrinterDevice.h"
#include "report/output/PrinterPropertiesDialog.h"
#include "report/output/PrintingSystem.h"
#include "report/output/ReportTextFileDevice.h"
#include "report/output/TextFileDevice.h"
#include "report/output/autosearch/AutoSearchDialog.h"
#include "report/output/design/DesignControl.h"
#include "report/output/design/PopupMenu.h"
#include "report/output/forms/CancelDialog.h"
#include "report/output/forms/NoDataDialog.h"
#include "report/output/forms/OpenFileDialog.h"
#include "report/output/forms/PrintDialog.h"
#include "report/output/forms/PrintPreview.h"
#include "report/output/forms/RTFEditor.h"
#include "report/output/forms/TemplateDialog.h"
#include "report/output/forms/TemplateErrorDialog.h"
#include "report/output/forms/TextSearchSettingsDialog.h"
#include "report/output/preview/Preview.h"
#include "report/output/preview/PreviewPlugIn.h"
#include "report/output/preview/SearchPreview.h"
#include "report/output/screen/ScreenDevice.h"
#include "report/output/search/SearchRegistration.h"

#include "platform/controls/EventPump.h"
#include "platform/shell/MessageBox.h"

#include <QApplication>

namespace report {

namespace {

bool g_libraryInitialised = false;

shell::MessageIcon libraryMessageIcon(TppMessageKind aKind)
{
    switch (aKind) {
    case TppMessageKind::Warning: return shell::MessageIcon::Exclamation;
    case TppMessageKind::Error: return shell::MessageIcon::Stop;
    case TppMessageKind::Confirmation: return shell::MessageIcon::Question;
    case TppMessageKind::Information: break;
    }
    return shell::MessageIcon::Information;
}

int libraryShowMessage(const TppMessageRequest &aRequest)
{
    const shell::MessageButtons buttons =
        aRequest.buttons == TppMessageButtons::OkCancel ? shell::MessageButtons::OkCancel : shell::MessageButtons::Ok;
    return shell::MessageBox(QApplication::activeWindow(), aRequest.text, QApplication::applicationDisplayName(),
                             buttons, libraryMessageIcon(aRequest.kind));
}

// The screen device has placed the command at its zoom already; the symbol
// drawn at the screen's resolution is stretched into that rectangle.
bool libraryDrawBarCodeOnScreen(TppScreenDevice &aDevice, TppDrawCommand &aDrawCommand)
{
    auto *barCode = dynamic_cast<TppDrawBarCode *>(&aDrawCommand);
    if (!barCode || !aDevice.Canvas())
        return false;
    const rtl::TRect target = barCode->DrawRect();
    return barCode->DrawToScreen(*aDevice.Canvas(), ppScreenPixelsPerInch(), [target] { return target; });
}

// Laid out as on paper and stretched into the rectangle at the zoom.
bool libraryDrawRichTextOnScreen(TppScreenDevice &aDevice, TppDrawCommand &aDrawCommand)
{
    auto *richText = dynamic_cast<TppDrawRichText *>(&aDrawCommand);
    if (!richText || !aDevice.Canvas())
        return false;
    return richText->DrawToScreen(*aDevice.Canvas(), richText->DrawRect(),
                                  {ppRichTextReferenceResolution, ppRichTextReferenceResolution});
}

} // namespace

void ppLibraryInit()
{
    if (g_libraryInitialised)
        return;
    g_libraryInitialised = true;
    ppModelLayerInit();
    ppContentLayerInit();
    ppInstallPrintingSystem();
    ppSetDialogServices({[](int64_t aMilliseconds) { controls::processEventsFor(aMilliseconds); }, &libraryShowMessage,
                         &ppExecOpenFileDialog});
    ppInstallPrinterPropertiesDialog();
    ppSetDesignServices({[](bool aForBand) -> std::unique_ptr<IppPopupMenu> {
                             if (aForBand)
                                 return std::make_unique<TppBandPopupMenu>();
                             return std::make_unique<TppPopupMenu>();
                         },
                         [](QObject *aSurface) -> std::unique_ptr<IppDesignControl> {
                             return std::make_unique<TppDesignControl>(qobject_cast<QWidget *>(aSurface));
                         }});
    ppRegisterPrinterDevice();
    ppRegisterFormClass(TppCustomCancelDialog::StaticClass(), TppCancelDialog::StaticClass());
    ppRegisterFormClass(TppCustomNoDataDialog::StaticClass(), TppNoDataDialog::StaticClass());
    ppRegisterFormClass(TppCustomTemplateDialog::StaticClass(), TppTemplateDialog::StaticClass());
    ppRegisterFormClass(TppCustomTemplateErrorDialog::StaticClass(), TppTemplateErrorDialog::StaticClass());
    ppRegisterFormClass(TppCustomRTFEditor::StaticClass(), TppRTFEditor::StaticClass());
    ppRegisterFormClass(TppCustomPrintDialog::StaticClass(), TppPrintDialog::StaticClass());
    ppRegisterFormClass(TppCustomAutoSearchDialog::StaticClass(), TppAutoSearchDialog::StaticClass());
    ppRegisterDevice(&ppDeviceClass<TppScreenDevice>());
    ppRegisterDevice(&ppDeviceClass<TppTextFileDevice>());
    ppRegisterDevice(&ppDeviceClass<TppReportTextFileDevice>());
    ppRegisterDevice(&ppDeviceClass<TppArchiveDevice>());
    TppScreenDevice::RegisterDrawRoutine(TppDrawBarCode::StaticClass(), libraryDrawBarCodeOnScreen);
    TppScreenDevice::RegisterDrawRoutine(TppDrawRichText::StaticClass(), libraryDrawRichTextOnScreen);
    TppPreviewPlugIn::Register<TppPreview>();
    ppRegisterFormClass(TppCustomPreviewer::StaticClass(), TppPrintPreview::StaticClass());
    TppPreviewPlugIn::RegisterSearchPreview<TppSearchPreview>();
    ppRegisterFormClass(TppCustomTextSearchSettingsDialog::StaticClass(), TppTextSearchSettingsDialog::StaticClass());
    ppRegisterTextSearch();
}

void ppLibraryFinalize()
{
    if (!g_libraryInitialised)
        return;
    g_libraryInitialised = false;
    ppUnRegisterTextSearch();
    ppUnRegisterFormClass(TppCustomTextSearchSettingsDialog::StaticClass());
    TppPreviewPlugIn::UnRegisterSearchPreview();
    TppScreenDevice::UnRegisterDrawRoutine(TppDrawRichText::StaticClass());
    TppScreenDevice::UnRegisterDrawRoutine(TppDrawBarCode::StaticClass());
    ppUnRegisterFormClass(TppCustomPreviewer::StaticClass());
    TppPreviewPlugIn::UnRegister();
    ppUnRegisterDevice(&ppDeviceClass<TppArchiveDevice>());
    ppUnRegisterDevice(&ppDeviceClass<TppReportTextFileDevice>());
    ppUnRegisterDevice(&ppDeviceClass<TppTextFileDevice>());
    ppUnRegisterDevice(&ppDeviceClass<TppScreenDevice>());
    ppUnRegisterFormClass(TppCustomPrintDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomAutoSearchDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomRTFEditor::StaticClass());
    ppUnRegisterFormClass(TppCustomTemplateErrorDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomTemplateDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomNoDataDialog::StaticClass());
    ppUnRegisterFormClass(TppCustomCancelDialog::StaticClass());
    ppUnRegisterPrinterDevice();
    ppSetDesignServices({});
    ppContentLayerFinalize();
    ppModelLayerFinalize();
}

} // namespace report
