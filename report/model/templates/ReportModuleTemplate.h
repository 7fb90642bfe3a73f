#pragma once

// TppReportModuleTemplate: the template of a module object that belongs to
// a report (a relative in the report's tree). The module's class is set by
// whoever provides modules; without one the template neither loads nor
// renews. A load reads the stored module beside the live one; the live
// module takes over its contents, or gets its own back from a backup when
// the read fails, and stays where it was in the report's tree either way.

#include "report/model/templates/Template.h"

#include <memory>

namespace report {

class TppRelative;
class TppCustomReport;

// The class of the modules templates are made for; nullptr until set.
const classes::TMetaClass *ppReportModuleClass();
void ppSetReportModuleClass(const classes::TMetaClass *aClass);

class TppReportModuleTemplate : public TppTemplate
{
    ZVO_CLASS(TppReportModuleTemplate)
public:
    explicit TppReportModuleTemplate(classes::TComponent *aOwner = nullptr);
    ~TppReportModuleTemplate() override;

    TppRelative *Module() const { return m_module; }

    // The module's contents give way to those of a fresh module.
    void New() override;

protected:
    bool BeforeLoad() override;
    void AfterLoad(bool aSuccess) override;
    void ComponentRead(classes::TComponent *aComponent) override;
    void ReaderSetName(classes::TReader &aReader, classes::TComponent *aComponent, QString &aName) override;
    bool AcceptsTopComponent(classes::TComponent *aComponent) const override;

private:
    std::unique_ptr<TppRelative> freshModule() const;

    TppRelative *m_module = nullptr;
    // During a load: the module read from the stream, the live module's
    // previous contents, and the parent the live module goes back to.
    TppRelative *m_loadedModule = nullptr;
    std::unique_ptr<TppRelative> m_backupModule;
    TppRelative *m_moduleParent = nullptr;
    // The report whose module list holds the live module.
    TppCustomReport *m_moduleReport = nullptr;
};

} // namespace report
