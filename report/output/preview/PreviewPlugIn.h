#pragma once

// Which preview a host makes, and which search preview joins it: one class
// of each is registered; without a registered preview class the standard
// TppPreview is made, without a search-preview class none.

#include <functional>
#include <memory>

class QWidget;

namespace report {

class TppCustomPreview;
class TppCustomSearchPreview;

class TppPreviewPlugIn
{
public:
    using PreviewFactory = std::function<std::unique_ptr<TppCustomPreview>(QWidget *aParent)>;
    using SearchPreviewFactory = std::function<std::unique_ptr<TppCustomSearchPreview>(TppCustomPreview *aPreview)>;

    static void Register(PreviewFactory aFactory);
    static void UnRegister();
    static std::unique_ptr<TppCustomPreview> CreatePreview(QWidget *aParent);

    static void RegisterSearchPreview(SearchPreviewFactory aFactory);
    static void UnRegisterSearchPreview();
    // nullptr while no search preview is registered.
    static std::unique_ptr<TppCustomSearchPreview> CreateSearchPreview(TppCustomPreview *aPreview);

    template <class T>
    static void Register()
    {
        Register([](QWidget *aParent) -> std::unique_ptr<TppCustomPreview> { return std::make_unique<T>(aParent); });
    }
    template <class T>
    static void RegisterSearchPreview()
    {
        RegisterSearchPreview([](TppCustomPreview *aPreview) -> std::unique_ptr<TppCustomSearchPreview> {
            return std::make_unique<T>(aPreview);
        });
    }
};

} // namespace report
