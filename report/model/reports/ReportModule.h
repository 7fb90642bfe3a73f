#pragma once

// TppReportModule: an object attached to a report (a data module, for
// instance) that the report owns and frees. The report streams it after its
// bands and groups, hands it a new owner, converts it after an old stream
// was read and passes state changes on to it; nothing in the library makes
// one. A stream read nests it under its report again.

#include "report/model/objects/Relative.h"

#include <vector>

namespace report {

class TppCustomReport;
class TppDataPipeline;

class TppReportModule : public TppRelative
{
    ZVO_CLASS(TppReportModule)
public:
    explicit TppReportModule(classes::TComponent *aOwner = nullptr);
    // Leaves its report's list.
    ~TppReportModule() override;

    TppCustomReport *Report() const { return m_report; }
    // Joins aReport's module list and leaves the previous report's.
    void SetReport(TppCustomReport *aReport);

    // Brings a module read from an older version up to date; nothing here.
    virtual void Convert(int32_t aVersionNo);
    // A data module's pipelines, which the pipeline lists of its report
    // offer; none here.
    virtual void GetDataPipelines(std::vector<TppDataPipeline *> &aList) const;

    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *aParent) override;

private:
    friend class TppCustomReport;
    TppCustomReport *m_report = nullptr;
};

} // namespace report
