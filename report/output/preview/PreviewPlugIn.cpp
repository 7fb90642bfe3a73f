#include "report/output/preview/PreviewPlugIn.h"

#include "report/output/preview/CustomSearchPreview.h"
#include "report/output/preview/Preview.h"

namespace report {

namespace {

TppPreviewPlugIn::PreviewFactory &plugInPreviewFactory()
{
    static TppPreviewPlugIn::PreviewFactory factory;
    return factory;
}

TppPreviewPlugIn::SearchPreviewFactory &plugInSearchFactory()
{
    static TppPreviewPlugIn::SearchPreviewFactory factory;
    return factory;
}

} // namespace

void TppPreviewPlugIn::Register(PreviewFactory aFactory)
{
    plugInPreviewFactory() = std::move(aFactory);
}

void TppPreviewPlugIn::UnRegister()
{
    plugInPreviewFactory() = nullptr;
}

std::unique_ptr<TppCustomPreview> TppPreviewPlugIn::CreatePreview(QWidget *aParent)
{
    if (const PreviewFactory &factory = plugInPreviewFactory())
        return factory(aParent);
    return std::make_unique<TppPreview>(aParent);
}

void TppPreviewPlugIn::RegisterSearchPreview(SearchPreviewFactory aFactory)
{
    plugInSearchFactory() = std::move(aFactory);
}

void TppPreviewPlugIn::UnRegisterSearchPreview()
{
    plugInSearchFactory() = nullptr;
}

std::unique_ptr<TppCustomSearchPreview> TppPreviewPlugIn::CreateSearchPreview(TppCustomPreview *aPreview)
{
    if (const SearchPreviewFactory &factory = plugInSearchFactory())
        return factory(aPreview);
    return nullptr;
}

} // namespace report
