#pragma once

// The bar-code controls: TppCustomBarCode holds a symbology, its data and
// its look, refuses settings the symbology cannot take (telling the user
// why), validates its data, shows sample data when the symbology changes and
// sizes itself to the symbol at the printer's resolution. TppBarCode prints
// a fixed text, TppDBBarCode a field of a data pipeline.

#include "report/content/text/CustomComponent.h"

#include <QImage>
#include <QString>

#include <memory>

namespace gfx {
class Canvas;
}

namespace report {

class TppDrawBarCode;

class TppCustomBarCode : public TppCustomComponent
{
    ZVO_CLASS(TppCustomBarCode)
public:
    explicit TppCustomBarCode(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // Symbology and look through the registered dialog, applied as one
    // grouped change.
    void ShowConfigureDialog();
    ~TppCustomBarCode() override;

    // ---- Virtual operations ----
    // Tells the user of a refused setting or invalid data, unless the
    // control is being loaded or its report prints.
    virtual void ShowBarCodeError(const QString &aMessage);
    // The text to encode.
    virtual void GetData(QString &aText) const;
    virtual void SetBarCodeType(TppBarCodeType aValue);

    // ---- Grouped changes: one size recomputation at the end ----
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    // ---- Properties ----
    const QString &AddOnCode() const { return m_addOnCode; }
    void SetAddOnCode(const QString &aValue);
    bool AutoEncode() const { return m_autoEncode; }
    void SetAutoEncode(bool aValue);
    bool AutoSizeFont() const { return m_autoSizeFont; }
    void SetAutoSizeFont(bool aValue);
    TppBarCodeType BarCodeType() const { return m_barCodeType; }
    rtl::TColor BarColor() const { return m_barColor; }
    void SetBarColor(rtl::TColor aValue);
    // In the control's Units.
    float BarWidth() const;
    void SetBarWidth(float aValue);
    int32_t mmBarWidth() const { return m_mmBarWidth; }
    bool BearerBars() const { return m_bearerBars; }
    void SetBearerBars(bool aValue);
    bool CalcCheckDigit() const { return m_calcCheckDigit; }
    void SetCalcCheckDigit(bool aValue);
    const QString &Data() const { return m_data; }
    void SetData(const QString &aValue);
    TppBarCodeOrientation Orientation() const { return m_orientation; }
    void SetOrientation(TppBarCodeOrientation aValue);
    bool PrintHumanReadable() const { return m_printHumanReadable; }
    void SetPrintHumanReadable(bool aValue);
    float WideBarRatio() const;
    void SetWideBarRatio(float aValue);
    int32_t mmWideBarRatio() const { return m_mmWideBarRatio; }
    // Whether Data was valid when last checked.
    bool CodeOK() const { return m_codeOK; }
    // Refused while the symbology needs it (Postnet, FIM).
    void SetAutoSize(bool aValue);

    // ---- Overrides ----
    void AdjustSize() override;
    bool IsOpaque() const;
    void FontChange() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // Paints the symbol as the designer shows it; invalid data gets a dashed
    // frame instead.
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    // The designer's "Configure" entry: the dialog registered for the bar
    // code, if any; without one nothing happens.
    void Configure();
    // Validates aData for the current symbology and settings; the message
    // goes to ShowBarCodeError.
    bool ValidateData(const QString &aData);

protected:
    bool loading() const { return loadingOrReading(); }
    // The measuring command, made on first use.
    TppDrawBarCode &measuringCommand();

private:
    void refresh();

    QString m_addOnCode;
    bool m_autoEncode = false;
    bool m_autoSizeFont = true;
    int32_t m_autoSizeHeight = 0;
    int32_t m_autoSizeWidth = 0;
    TppBarCodeType m_barCodeType = TppBarCodeType::bcCode39;
    rtl::TColor m_barColor = 0;
    int32_t m_mmBarWidth = 254;
    bool m_bearerBars = false;
    bool m_calcCheckDigit = true;
    QString m_data = QStringLiteral("Barcode");
    std::unique_ptr<TppDrawBarCode> m_drawCommand;
    TppBarCodeOrientation m_orientation = TppBarCodeOrientation::orLeftToRight;
    QImage m_designBitmap;
    bool m_printHumanReadable = true;
    int32_t m_mmWideBarRatio = 76200;
    int m_updateCount = 0;
    bool m_codeOK = true;
    bool m_painting = false;
};

class TppBarCode : public TppCustomBarCode
{
    ZVO_CLASS(TppBarCode)
public:
    explicit TppBarCode(classes::TComponent *aOwner = nullptr);
    QString GetClassDescription() const override;
    // The caption is the data.
    void SetText(const QString &aText) override;
};

class TppDBBarCode : public TppCustomBarCode
{
    ZVO_CLASS(TppDBBarCode)
public:
    explicit TppDBBarCode(classes::TComponent *aOwner = nullptr);

    bool IsDataAware() const override { return true; }
    QString GetClassDescription() const override;
    // The field's value as text; '' while printing without data, the sample
    // data in the designer.
    void GetData(QString &aText) const override;
    void SetText(const QString &aText) override;
    // Hides the printable's: the designer shows the new field's value.
    void SetDataField(const QString &aField);
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

private:
    void refreshFromField();
};

} // namespace report
