#include "report/model/data/PipelineList.h"

#include "report/model/base/Utils.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/Communicator.h"

#include "platform/classes/Component.h"

namespace report {

TppDataPipelineList::TppDataPipelineList(classes::TComponent *aComponent)
    : m_component(aComponent)
{
    Clear();
    if (!aComponent)
        return;
    // Reports also list the pipelines of the data module attached to their
    // main report, when a program registered such a class.
    if (auto *source = dynamic_cast<IppDataModuleSource *>(aComponent)) {
        std::vector<TppDataPipeline *> pipelines;
        source->GetDataModulePipelines(pipelines);
        for (TppDataPipeline *pipeline : pipelines)
            AddPipeline(pipeline);
    }
    auto *communicator = dynamic_cast<TppCommunicator *>(aComponent);
    if (auto *host = dynamic_cast<IppComponentHost *>(communicator ? communicator->GetHostObject() : nullptr)) {
        host->EnumerateComponents(TppDataPipeline::StaticClass(),
                                  [this](classes::TComponent *c) { AddPipeline(dynamic_cast<TppDataPipeline *>(c)); });
        return;
    }
    const classes::TComponent *owner = aComponent->Owner();
    if (owner)
        addComponents(owner);
    if (!ppInMainThread())
        return;
    for (classes::TComponent *root : classes::RegisteredRootComponents())
        if (root != owner)
            addComponents(root);
}

void TppDataPipelineList::addComponents(const classes::TComponent *aOwner)
{
    for (int i = 0; i < aOwner->ComponentCount(); ++i)
        AddPipeline(dynamic_cast<TppDataPipeline *>(aOwner->Components(i)));
}

void TppDataPipelineList::AddPipeline(TppDataPipeline *aPipeline)
{
    if (!aPipeline || !aPipeline->Visible() || IndexOfObject(aPipeline) >= 0)
        return;
    AddObject(aPipeline->GetUserName(), aPipeline);
}

TppDataPipeline *TppDataPipelineList::Pipelines(int aIndex) const
{
    return static_cast<TppDataPipeline *>(Objects(aIndex));
}

TppDataPipeline *TppDataPipelineList::GetPipelineByName(const QString &aName) const
{
    for (int i = 0; i < Count(); ++i) {
        TppDataPipeline *pipeline = Pipelines(i);
        if (pipeline && classes::SameName(pipeline->Name(), aName))
            return pipeline;
    }
    return nullptr;
}

} // namespace report
