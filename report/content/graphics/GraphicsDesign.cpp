// The menu items shapes, lines, images and regions offer in a designer.

#include "report/content/graphics/Graphics.h"
#include "report/content/graphics/Images.h"
#include "report/content/graphics/Region.h"

#include "report/content/graphics/GraphicRegistry.h"
#include "report/model/forms/DialogServices.h"

#include "platform/classes/ClassErrors.h"
#include "platform/classes/Picture.h"

namespace report {

namespace {

void graphicsParentItems(IppPopupMenu &aMenu)
{
    aMenu.AddItem(30, QStringLiteral("ParentHeight"), 370, QString());
    aMenu.AddItem(30, QStringLiteral("ParentWidth"), 371, QString());
}

void graphicsBindParentItems(IppPopupMenu &aMenu, TppComponent &aObject)
{
    ppBindFlagItem(aMenu, QStringLiteral("ParentHeight"), aObject.ParentHeight(),
                   [&aObject](bool aValue) { aObject.SetParentHeight(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ParentWidth"), aObject.ParentWidth(),
                   [&aObject](bool aValue) { aObject.SetParentWidth(aValue); });
}

void graphicsBindShiftItems(IppPopupMenu &aMenu, TppComponent &aObject)
{
    ppBindFlagItem(aMenu, QStringLiteral("ReprintOnOverFlow"), aObject.ReprintOnOverFlow(),
                   [&aObject](bool aValue) { aObject.SetReprintOnOverFlow(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("ShiftWithParent"), aObject.ShiftWithParent(),
                   [&aObject](bool aValue) { aObject.SetShiftWithParent(aValue); });
}

} // namespace

// ---- Shapes and lines ------------------------------------------------------------

void TppCustomGraphic::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::BuildPopupMenu(aMenu);
    graphicsParentItems(aMenu);
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("StretchWithParent"), 244, QString());
}

void TppCustomGraphic::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::UpdatePopupMenu(aMenu);
    graphicsBindParentItems(aMenu, *this);
    graphicsBindShiftItems(aMenu, *this);
    ppBindFlagItem(aMenu, QStringLiteral("StretchWithParent"), StretchWithParent(),
                   [this](bool aValue) { SetStretchWithParent(aValue); });
}

void TppLine::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomGraphic::BuildPopupMenu(aMenu);
    aMenu.AddItem(25, QStringLiteral("StyleSingle"), 241, QString());
    aMenu.AddItem(25, QStringLiteral("StyleDouble"), 231, QString());
    aMenu.AddItem(26, QStringLiteral("StyleLine1"), 0, QStringLiteral("-"));
}

void TppLine::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomGraphic::UpdatePopupMenu(aMenu);
    for (const auto &[name, style] :
         {std::pair{"StyleSingle", TppLineStyleType::lsSingle}, std::pair{"StyleDouble", TppLineStyleType::lsDouble}})
        if (IppMenuItem *item = aMenu.ItemByName(QLatin1String(name))) {
            item->SetChecked(m_style == style);
            item->SetOnClick([this, aStyle = style] { SetStyle(aStyle); });
        }
}

// ---- Images ----------------------------------------------------------------------

void TppCustomImage::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("Center"), 229, QString());
    aMenu.AddItem(30, QStringLiteral("DirectDraw"), 681, QString());
    aMenu.AddItem(30, QStringLiteral("MaintainAspectRatio"), 412, QString());
    aMenu.AddItem(30, QStringLiteral("ReprintOnOverFlow"), 238, QString());
    aMenu.AddItem(30, QStringLiteral("ShiftWithParent"), 240, QString());
    aMenu.AddItem(30, QStringLiteral("Stretch"), 243, QString());
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

void TppCustomImage::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomComponent::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("Center"), Center(), [this](bool aValue) { SetCenter(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("DirectDraw"), DirectDraw(), [this](bool aValue) { SetDirectDraw(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("MaintainAspectRatio"), MaintainAspectRatio(),
                   [this](bool aValue) { SetMaintainAspectRatio(aValue); });
    graphicsBindShiftItems(aMenu, *this);
    ppBindFlagItem(aMenu, QStringLiteral("Stretch"), Stretch(), [this](bool aValue) { SetStretch(aValue); });
    ppBindFlagItem(aMenu, QStringLiteral("Transparent"), Transparent(),
                   [this](bool aValue) { SetTransparent(aValue); });
}

void TppImage::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomImage::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoSize"), 226, QString());
    aMenu.AddItem(30, QStringLiteral("Picture"), 235, QString());
}

void TppImage::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomImage::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("AutoSize"), AutoSize(), [this](bool aValue) { SetAutoSize(aValue); });
    ppBindItem(aMenu, QStringLiteral("Picture"), [this] { ShowPictureDialog(); });
}

void TppImage::ShowPictureDialog()
{
    const QString fileName =
        ppOpenFileName(QStringLiteral("Pictures (*.bmp *.png *.jpg *.jpeg *.gif *.ico *.wmf *.emf);;All files (*)"));
    if (fileName.isEmpty())
        return;
    classes::TPicture picture;
    try {
        picture.LoadFromFile(fileName);
    } catch (const classes::EInvalidGraphic &error) {
        // Thrown out of a menu click it would end the program.
        ppShowMessage(QString::fromUtf8(error.what()), TppMessageKind::Error);
        return;
    }
    SetPicture(&picture);
}

void TppDBImage::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppCustomImage::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("AutoDisplay"), 1138, QString());
    aMenu.AddItem(30, QStringLiteral("GraphicType"), 162, QString());
}

void TppDBImage::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppCustomImage::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("AutoDisplay"), AutoDisplay(),
                   [this](bool aValue) { SetAutoDisplay(aValue); });
    // One menu serves every data image: the sub-items follow the registry as
    // it stands when this one pops up.
    IppMenuItem *types = aMenu.ItemByName(QStringLiteral("GraphicType"));
    if (!types)
        return;
    const QStringList registered = ppGraphicTypeNames();
    for (const QString &name : registered)
        if (!types->SubItemByName(name))
            types->AddSubItem(name, name);
    for (IppMenuItem *item : types->SubItems()) {
        const QString name = item->Name();
        item->SetVisible(registered.contains(name, Qt::CaseInsensitive));
        item->SetChecked(name.compare(GraphicType(), Qt::CaseInsensitive) == 0);
        item->SetOnClick([this, name] { SetGraphicType(name); });
    }
}

// ---- Regions ---------------------------------------------------------------------

void TppCustomRegion::BuildPopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::BuildPopupMenu(aMenu);
    aMenu.AddItem(30, QStringLiteral("KeepTogether"), 0, QStringLiteral("Keep Together"));
    graphicsParentItems(aMenu);
    aMenu.AddItem(30, QStringLiteral("StretchWithParent"), 244, QString());
    aMenu.AddItem(30, QStringLiteral("Transparent"), 246, QString());
}

// A region that takes its parent's height has that height already.
void TppCustomRegion::UpdatePopupMenu(IppPopupMenu &aMenu)
{
    TppStretchable::UpdatePopupMenu(aMenu);
    ppBindFlagItem(aMenu, QStringLiteral("KeepTogether"), KeepTogether(),
                   [this](bool aValue) { SetKeepTogether(aValue); });
    graphicsBindParentItems(aMenu, *this);
    ppBindFlagItem(aMenu, QStringLiteral("StretchWithParent"), StretchWithParent(),
                   [this](bool aValue) { SetStretchWithParent(aValue); });
    ppEnableItem(aMenu, QStringLiteral("StretchWithParent"), !ParentHeight());
    ppBindFlagItem(aMenu, QStringLiteral("Transparent"), Transparent(),
                   [this](bool aValue) { SetTransparent(aValue); });
}

} // namespace report
