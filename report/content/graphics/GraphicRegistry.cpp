#include "report/content/graphics/GraphicRegistry.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/Picture.h"

#include <map>
#include <memory>

namespace report {

namespace {

struct GraphicRegistryKey
{
    bool operator()(const QString &a, const QString &b) const { return a.compare(b, Qt::CaseInsensitive) < 0; }
};

struct GraphicRegistryEntry
{
    QString name;
    const classes::TMetaClass *meta;
};

using GraphicRegistryMap = std::map<QString, GraphicRegistryEntry, GraphicRegistryKey>;

std::unique_ptr<GraphicRegistryMap> &graphicRegistryInstance()
{
    static std::unique_ptr<GraphicRegistryMap> registry;
    return registry;
}

GraphicRegistryMap &graphicRegistry()
{
    std::unique_ptr<GraphicRegistryMap> &registry = graphicRegistryInstance();
    if (!registry) {
        registry = std::make_unique<GraphicRegistryMap>();
        const auto add = [&](const QString &aName, const classes::TMetaClass &aClass) {
            (*registry)[aName] = GraphicRegistryEntry{aName, &aClass};
        };
        add(QStringLiteral("Bitmap"), classes::TBitmap::StaticClass());
        add(QStringLiteral("MetaFile"), classes::TMetafile::StaticClass());
        add(QStringLiteral("Icon"), classes::TIcon::StaticClass());
        // Only what the class library knows as a graphic.
        for (const auto &[name, className] : {std::pair{"GIF", "TGIFImage"}, std::pair{"JPEG", "TJPEGImage"}}) {
            const classes::TMetaClass *meta = classes::GetClass(std::string_view(className));
            if (meta && meta->InheritsFrom(classes::TGraphic::StaticClass()))
                add(QString::fromLatin1(name), *meta);
        }
    }
    return *registry;
}

} // namespace

void ppRegisterGraphicClass(const QString &aName, const classes::TMetaClass &aClass)
{
    GraphicRegistryMap &registry = graphicRegistry();
    registry.erase(aName);
    registry[aName] = GraphicRegistryEntry{aName, &aClass};
}

const classes::TMetaClass *ppGetGraphicClass(const QString &aName)
{
    const GraphicRegistryMap &registry = graphicRegistry();
    const auto it = registry.find(aName);
    return it == registry.end() ? nullptr : it->second.meta;
}

QString ppGraphicTypeName(const QString &aName)
{
    const GraphicRegistryMap &registry = graphicRegistry();
    const auto it = registry.find(aName);
    return it == registry.end() ? QString() : it->second.name;
}

QStringList ppGraphicTypeNames()
{
    QStringList names;
    for (const auto &[key, entry] : graphicRegistry())
        names << entry.name;
    return names;
}

void ppFreeGraphicClasses()
{
    graphicRegistryInstance().reset();
}

} // namespace report
