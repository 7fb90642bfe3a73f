#pragma once

// TppCalc: the older control for what the report knows (the kinds of the
// system variable) with a custom kind whose value an OnCalc handler sets
// each time the control prints. Old reports load it and turn it into a
// system variable or a variable.

#include "report/content/text/DBText.h"

#include "platform/rtl/Types.h"

#include <QVariant>

namespace report {

class TppBand;

// The data type that follows a kind (dtString for the custom kind).
TppDataType ppCalcTypeDataType(TppCalcType aType);
QString ppCalcTypeCaption(TppCalcType aType);

class TppCalc : public TppCustomText
{
    ZVO_CLASS(TppCalc)
public:
    explicit TppCalc(classes::TComponent *aOwner = nullptr);

    bool IsDataAware() const override { return true; }
    TppCalcType CalcType() const { return m_calcType; }
    void SetCalcType(TppCalcType aValue);
    // Taken while loading or for the custom kind only.
    TppDataType CustomType() const { return m_customType; }
    void SetCustomType(TppDataType aValue);
    void SetDisplayFormat(const QString &aValue) override;

    // The custom value fields.
    bool AsBoolean() const { return m_boolean; }
    void SetAsBoolean(bool aValue) { m_boolean = aValue; }
    rtl::TDateTime AsDateTime() const { return m_dateTime; }
    void SetAsDateTime(rtl::TDateTime aValue) { m_dateTime = aValue; }
    int32_t AsInteger() const { return m_integer; }
    void SetAsInteger(int32_t aValue) { m_integer = aValue; }
    double AsDouble() const { return m_double; }
    void SetAsDouble(double aValue) { m_double = aValue; }
    const QString &AsString() const { return m_string; }
    // The custom kind only: the text is its string value.
    void SetText(const QString &aText) override;
    QVariant Value() const;

    // The custom kind, while the main report prints: a reset when one is
    // due, then OnCalc.
    void Compute() override;
    void Generate() override;
    void Reset() override;
    void SaveToCache(int32_t aPageIndex) override;
    void RestoreFromCache(int32_t aPageIndex) override;

    QString GetTheText() const override;
    QString GetDescription() const override;
    QString GetClassDescription() const override { return QStringLiteral("Calc Types"); }
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    static QStringList CalcTypeCaptions();

    classes::TNotifyEvent OnCalc;
    TppFormatEvent OnFormat;

    // Reports stored before 3000 kept no custom type.
    void Convert(int aVersionNo) override;
    // Reads the field type old reports stored as "DataType".
    void DefineProperties(classes::TFiler &aFiler) override;

private:
    TppCalcType m_calcType = TppCalcType::ctDate;
    TppDataType m_customType = TppDataType::dtDateTime;
    bool m_boolean = false;
    rtl::TDateTime m_dateTime = 0;
    int32_t m_integer = 0;
    double m_double = 0;
    QString m_string;
};

// Replaces every calculation of the band by a system variable (the fixed
// kinds) or a variable (the custom kind) that takes its place, looks and
// name; reports before 3999 hold them.
void ppConvertBandCalcs(TppBand &aBand);

} // namespace report
