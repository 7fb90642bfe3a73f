#include "report/content/drawcommands/DrawImage.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppDrawImage::StaticClass()
{
    using C = TppDrawImage;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("TppDrawImage", [](classes::TClassBuilder<C> &c) {
            // Redeclared with the type a picture starts with, so that a
            // command set to the base's default is still written.
            c.Enum("DataType", EnumInfo<TppDataType>(), &C::DataType, &C::SetDataType).Default(TppDataType::dtGraphic);
            c.Boolean("Center", &C::Center, &C::SetCenter).Default(false);
            c.Boolean("DirectDraw", &C::DirectDraw, &C::SetDirectDraw).Default(false);
            c.String("ImageName", &C::ImageName, &C::SetImageName);
            c.Boolean("MaintainAspectRatio", &C::MaintainAspectRatio, &C::SetMaintainAspectRatio).Default(false);
            c.Object("Picture", &C::Picture, &C::SetPicture).Stored([](const classes::TPersistent &o) {
                return static_cast<const C &>(o).StorePicture();
            });
            c.Boolean("Scale", &C::Scale, &C::SetScale).Default(false);
            c.Boolean("Stretch", &C::Stretch, &C::SetStretch).Default(false);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
        });
    return meta;
}

TppDrawImage::TppDrawImage(classes::TComponent *aOwner)
    : TppDrawCommand(aOwner)
    , m_picture(std::make_unique<classes::TPicture>())
{
    SetDataType(TppDataType::dtGraphic);
    m_picture->OnChange = [this](classes::TObject *) { m_rasterBitmap.reset(); };
}

TppDrawImage::~TppDrawImage() = default;

void TppDrawImage::SetPicture(const classes::TPicture *aPicture)
{
    if (aPicture != m_picture.get())
        m_picture->Assign(aPicture);
}

void TppDrawImage::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    const auto *other = dynamic_cast<const TppDrawImage *>(source);
    if (!other)
        return;
    m_center = other->m_center;
    m_directDraw = other->m_directDraw;
    m_maintainAspectRatio = other->m_maintainAspectRatio;
    m_scale = other->m_scale;
    m_stretch = other->m_stretch;
    m_transparent = other->m_transparent;
    m_imageName = other->m_imageName;
    m_picture->Assign(other->m_picture.get());
}

classes::TBitmap *TppDrawImage::GetBitmap()
{
    classes::TPersistent *graphic = m_picture->Graphic();
    if (!graphic || dynamic_cast<classes::TIcon *>(graphic) || dynamic_cast<classes::TMetafile *>(graphic))
        return nullptr;
    if (classes::TBitmap *bitmap = m_picture->Bitmap())
        return bitmap;
    if (!m_rasterBitmap) {
        m_rasterBitmap = std::make_unique<classes::TBitmap>();
        m_rasterBitmap->SetImage(m_picture->Image().convertToFormat(QImage::Format_ARGB32));
    }
    return m_rasterBitmap.get();
}

} // namespace report
