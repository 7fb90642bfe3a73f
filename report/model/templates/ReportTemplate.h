#pragma once

// TppReportTemplate: the template of a report. A load reads the stored
// report beside the live one and, when the read succeeds, the live report
// takes over its contents; until then the live report's own contents wait
// in a backup report, which they come back from when the read fails.
// Components whose names are taken in the report's owner are renamed, and
// references to them inside the stream follow.

#include "report/model/templates/Template.h"

namespace report {

class TppCustomReport;

class TppReportTemplate : public TppTemplate
{
    ZVO_CLASS(TppReportTemplate)
public:
    explicit TppReportTemplate(classes::TComponent *aOwner = nullptr);
    ~TppReportTemplate() override;

    TppCustomReport *Report() const { return m_report; }

    // The report's bands and groups give way to the default bands; the
    // detail band keeps its pipeline.
    void New() override;
    // The report's host object: its designer while one is attached.
    classes::TObject *GetDesigner() const override;

protected:
    bool BeforeLoad() override;
    void AfterLoad(bool aSuccess) override;
    bool BeforeSave() override;
    void AfterSave(bool aSuccess) override;
    void ComponentRead(classes::TComponent *aComponent) override;
    void ReaderSetName(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName) override;
    void ReaderReferenceName(classes::TReader &aReader, QString &aName) override;
    void NameChanged() override;
    void DataPipelineChanged(TppDataPipeline *aPipeline) override;
    bool AcceptsTopComponent(classes::TComponent *aComponent) const override;

private:
    void notice(int aMessage);

    TppCustomReport *m_report = nullptr;
    // During a load: the report read from the stream (owned by the root)
    // and the report holding the live report's previous contents.
    TppCustomReport *m_loadedReport = nullptr;
    std::unique_ptr<TppCustomReport> m_backupReport;
    // Whether the layout put aside had unsaved edits.
    bool m_modifiedBeforeLoad = false;
};

// Designer notices of template work.
namespace ppTemplateMsg {
constexpr int LoadStart = 1146;
constexpr int LoadEnd = 1147;
constexpr int NewStart = 1154;
constexpr int NewEnd = 1155;
constexpr int SaveStart = 1156;
} // namespace ppTemplateMsg

} // namespace report
