#pragma once

// TppDataPipelineList: the data pipelines a report can reach, each under its
// user name. Built when asked for (a designer's list, a template's check)
// and used at once: it does not follow pipelines that go later.

#include "platform/classes/StringList.h"

#include <functional>
#include <vector>

namespace classes {
class TComponent;
class TMetaClass;
} // namespace classes

namespace report {

class TppDataPipeline;

// A designer that hosts report objects and knows every component it shows.
class IppComponentHost
{
public:
    virtual ~IppComponentHost() = default;
    // Calls aProc for every component of aClass or a descendant.
    virtual void EnumerateComponents(const classes::TMetaClass &aClass,
                                     const std::function<void(classes::TComponent *)> &aProc) = 0;
};

// A report: it answers for the pipelines of the data module attached to its
// main report.
class IppDataModuleSource
{
public:
    virtual ~IppDataModuleSource() = default;
    virtual void GetDataModulePipelines(std::vector<TppDataPipeline *> &aList) = 0;
};

class TppDataPipelineList : public classes::TStringList
{
public:
    // Lists the visible pipelines, each once: those the host of aComponent
    // enumerates when it has a host; otherwise those among the components
    // of aComponent's owner and, on the library's main thread, among the
    // components of every registered root but the owner.
    explicit TppDataPipelineList(classes::TComponent *aComponent);

    classes::TComponent *Component() const { return m_component; }
    TppDataPipeline *Pipelines(int aIndex) const;
    // The first pipeline whose component name is aName (without regard to
    // case); nullptr when none.
    TppDataPipeline *GetPipelineByName(const QString &aName) const;
    // Adds a visible pipeline under its user name, once.
    void AddPipeline(TppDataPipeline *aPipeline);

private:
    void addComponents(const classes::TComponent *aOwner);

    classes::TComponent *m_component;
};

} // namespace report
