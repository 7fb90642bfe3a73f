#include "report/content/graphics/Images.h"

#include "report/content/drawcommands/DrawImage.h"
#include "report/content/graphics/GraphicRegistry.h"
#include "report/model/bands/PublishedGeometry.h"
#include "report/model/bands/ReportContext.h"
#include "report/model/data/DataPipeline.h"
#include "report/model/objects/EventIds.h"
#include "report/model/objects/ParamList.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassErrors.h"
#include "platform/classes/Graphics.h"
#include "platform/classes/Streams.h"
#include "platform/gfx/Canvas.h"

#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace report {

namespace {

// Where a picture of aPicture's size goes in a box of aBox, as the designer
// and the devices fit it.
QRectF imagesTargetRect(QSizeF aPicture, QSizeF aBox, bool aStretch, bool aKeepAspect, bool aCenter)
{
    if (aStretch && !aKeepAspect)
        return QRectF(QPointF(0, 0), aBox);
    QSizeF size = aPicture;
    if (aStretch) {
        const double scale = std::min(aBox.width() / aPicture.width(), aBox.height() / aPicture.height());
        size = QSizeF(std::trunc(aPicture.width() * scale), std::trunc(aPicture.height() * scale));
    }
    if (!aCenter)
        return QRectF(QPointF(0, 0), size);
    return QRectF(
        QPointF(std::trunc((aBox.width() - size.width()) / 2), std::trunc((aBox.height() - size.height()) / 2)), size);
}

} // namespace

// ---- TppCustomImage --------------------------------------------------------------------

const classes::TMetaClass &TppCustomImage::StaticClass()
{
    using C = TppCustomImage;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomComponent>("TppCustomImage", [](classes::TClassBuilder<C> &c) {
            c.Boolean("Center", &C::Center, &C::SetCenter).Default(true);
            // Only the designer's caption of an empty picture is written in
            // it: a setting that prints nothing stays out of the stream.
            c.Object("Font", &C::Font, &C::SetFont).Stored(false);
            c.Boolean("MaintainAspectRatio", &C::MaintainAspectRatio, &C::SetMaintainAspectRatio).NoDefault();
            c.Event("OnDrawCommandClick", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandClick),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Event("OnDrawCommandCreate", static_cast<TppDrawCommandEvent C::*>(&C::OnDrawCommandCreate),
                    QStringLiteral("TppDrawCommandEvent"));
            c.Boolean("ReprintOnOverFlow", &C::ReprintOnOverFlow, &C::SetReprintOnOverFlow).Default(false);
            c.Boolean("ShiftWithParent", &C::ShiftWithParent, &C::SetShiftWithParent).Default(false);
            c.Boolean("Stretch", &C::Stretch, &C::SetStretch).Default(false);
            c.Boolean("Transparent", &C::Transparent, &C::SetTransparent).Default(false);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            ppPublishBounds(c);
        });
    return meta;
}

TppCustomImage::TppCustomImage(classes::TComponent *aOwner)
    : TppCustomComponent(aOwner)
    , m_picture(std::make_unique<classes::TPicture>())
{
    SetDrawCommandClass(&TppDrawImage::StaticClass());
    SetSpBounds(0, 0, 50, 50);
    m_picture->OnChange = [this](classes::TObject *) { pictureChanged(); };
}

TppCustomImage::~TppCustomImage()
{
    m_picture->OnChange = nullptr;
}

bool TppCustomImage::pageCheck() const
{
    return MainEnginePageCheck();
}

void TppCustomImage::pictureChanged()
{
    if (loadingOrReading())
        return;
    if (AutoSize() && m_picture->Width() > 0 && m_picture->Height() > 0)
        SetSpBounds(spLeft(), spTop(), m_picture->Width(), m_picture->Height());
    InvalidateDesignControl();
    PropertyChange();
    if (pageCheck())
        ++m_pictureChanges;
}

void TppCustomImage::SetCenter(bool aValue)
{
    if (aValue == m_center)
        return;
    m_center = aValue;
    pictureChanged();
}

void TppCustomImage::SetDirectDraw(bool aValue)
{
    if (aValue == m_directDraw)
        return;
    m_directDraw = aValue;
    pictureChanged();
}

void TppCustomImage::SetMaintainAspectRatio(bool aValue)
{
    if (aValue == m_maintainAspectRatio)
        return;
    m_maintainAspectRatio = aValue;
    pictureChanged();
}

void TppCustomImage::SetStretch(bool aValue)
{
    if (aValue == m_stretch)
        return;
    m_stretch = aValue;
    pictureChanged();
}

void TppCustomImage::SetTransparent(bool aValue)
{
    TppCustomComponent::SetTransparent(aValue);
    pictureChanged();
}

void TppCustomImage::SetPicture(const classes::TPicture *aPicture)
{
    if (aPicture != m_picture.get())
        m_picture->Assign(aPicture);
}

void TppCustomImage::Init()
{
    TppCustomComponent::Init();
    m_pictureChanges = 0;
}

void TppCustomImage::Convert(int aVersionNo)
{
    TppCustomComponent::Convert(aVersionNo);
    if (aVersionNo >= 4201 || m_picture->Empty())
        return;
    m_directDraw = dynamic_cast<const classes::TMetafile *>(m_picture->Graphic()) != nullptr;
}

QString TppCustomImage::GetCaption()
{
    if (IsDataAware() && !DataField().isEmpty()) {
        TppDataPipeline *pipeline = DataPipeline();
        return pipeline ? pipeline->GetFieldAlias(DataField()) : DataField();
    }
    return UserName();
}

void TppCustomImage::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    TppCustomComponent::PropertiesToDrawCommand(aDrawCommand);
    auto *image = dynamic_cast<TppDrawImage *>(aDrawCommand);
    if (!image)
        return;
    const rtl::TRect &rect = PrintPosRect();
    image->SetLeft(rect.Left);
    image->SetTop(rect.Top);
    image->SetWidth(rect.Right - rect.Left);
    image->SetHeight(rect.Bottom - rect.Top);
    image->SetStretch(m_stretch);
    image->SetCenter(m_center);
    image->SetMaintainAspectRatio(m_maintainAspectRatio);
    image->SetDirectDraw(m_directDraw);
    if (Name().isEmpty())
        SetName(GetUniqueName(this));
    // Loading the picture runs its handlers, which may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    classes::TPicture *picture = Picture();
    if (alive.expired())
        return;
    image->SetImageName(Name() + QString::number(m_pictureChanges));
    image->SetPicture(picture);
    image->SetTransparent(Transparent());
}

void TppCustomImage::PaintDesignControl(gfx::Canvas &aCanvas)
{
    const rtl::TRect client = GetSpClientRect();
    const int width = client.Right - client.Left;
    const int height = client.Bottom - client.Top;
    // None when a handler of the picture freed the control.
    classes::TPicture *picture = Picture();
    if (!picture)
        return;
    const auto *graphic = dynamic_cast<const classes::TGraphic *>(picture->Graphic());
    if (picture->Empty() || width <= 0 || height <= 0) {
        if (!Transparent())
            aCanvas.FillRect(client, gfx::Brush::solid(Color()));
        aCanvas.setFont(Font()->Font());
        aCanvas.setBkMode(gfx::BkMode::Transparent);
        const QString caption = QStringLiteral("(") + GetCaption() + QStringLiteral(")");
        aCanvas.DrawText(QStringView(caption), client,
                         gfx::DT_CENTER | gfx::DT_VCENTER | gfx::DT_SINGLELINE | gfx::DT_NOPREFIX);
        const gfx::Pen pen = aCanvas.pen();
        const gfx::Brush brush = aCanvas.brush();
        const bool dashed = DesignControl() && DesignControl()->DashedFrame;
        aCanvas.setPen(gfx::Pen{rtl::clBlack, 1, dashed ? gfx::PenStyle::Dash : gfx::PenStyle::Solid});
        aCanvas.setBrush(gfx::Brush::clear());
        aCanvas.Rectangle(client);
        aCanvas.setPen(pen);
        aCanvas.setBrush(brush);
        return;
    }
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Transparent() ? QColor(Qt::white) : gfx::ToQColor(Color()));
    const QRectF target = imagesTargetRect(QSizeF(picture->Width(), picture->Height()), QSizeF(width, height),
                                           m_stretch, m_maintainAspectRatio, m_center);
    {
        QPainter painter(&bitmap);
        if (graphic)
            graphic->Draw(painter, target);
        else
            painter.drawImage(target, picture->Image());
    }
    aCanvas.StretchDraw(client, bitmap, Transparent() ? gfx::RasterOp::SrcAnd : gfx::RasterOp::SrcCopy);
}

// ---- TppImage --------------------------------------------------------------------------

const classes::TMetaClass &TppImage::StaticClass()
{
    using C = TppImage;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomImage>("TppImage", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoSize", &C::AutoSize, &C::SetAutoSize).Default(false);
            c.Boolean("DirectDraw", &C::DirectDraw, &C::SetDirectDraw).Default(false);
            c.Object(
                "Picture", [](const C &o) { return o.Picture(); }, &C::SetPicture);
        });
    return meta;
}

TppImage::TppImage(classes::TComponent *aOwner)
    : TppCustomImage(aOwner)
{}

// ---- TppDBImage ------------------------------------------------------------------------

const classes::TMetaClass &TppDBImage::StaticClass()
{
    using C = TppDBImage;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppCustomImage>("TppDBImage", [](classes::TClassBuilder<C> &c) {
            c.Boolean("AutoDisplay", &C::AutoDisplay, &C::SetAutoDisplay).Default(true);
            c.String("DataField", &C::DataField, &C::SetDataField);
            c.Boolean("DirectDraw", &C::DirectDraw, &C::SetDirectDraw).Default(false);
            c.String("GraphicType", &C::GraphicType, &C::SetGraphicType);
            c.Event("OnGetPicture", &C::OnGetPicture, QStringLiteral("TppPictureEvent"));
            c.Boolean("ParentDataPipeline", &C::ParentDataPipeline, &C::SetParentDataPipeline).Default(true);
            ppPublishDataPipeline(c);
        });
    return meta;
}

TppDBImage::TppDBImage(classes::TComponent *aOwner)
    : TppCustomImage(aOwner)
{
    MakeDataAware();
}

void TppDBImage::SetAutoDisplay(bool aValue)
{
    if (aValue == m_autoDisplay)
        return;
    m_autoDisplay = aValue;
    if (aValue)
        LoadPicture();
}

void TppDBImage::SetGraphicType(const QString &aValue)
{
    const QString name = ppGraphicTypeName(aValue);
    if (name.isEmpty())
        return;
    m_graphicType = name;
    if (loadingOrReading())
        return;
    SetDirectDraw(name.compare(QStringLiteral("MetaFile"), Qt::CaseInsensitive) == 0);
    PropertyChange();
}

void TppDBImage::SetDataField(const QString &aField)
{
    TppCustomImage::SetDataField(aField);
    if (!loadingOrReading())
        LoadPicture();
}

classes::TPicture *TppDBImage::Picture() const
{
    // None when a handler of the picture freed the control.
    const std::weak_ptr<char> alive = AliveToken();
    const_cast<TppDBImage *>(this)->LoadPicture();
    return alive.expired() ? nullptr : ownPicture();
}

void TppDBImage::LoadPicture()
{
    classes::TPicture *picture = ownPicture();
    picture->SetGraphic(nullptr);
    const bool handled = bool(OnGetPicture) || HasEventNotify(ppEvent::OnGetPicture);
    if (!m_autoDisplay && !handled)
        return;
    if (handled) {
        const std::weak_ptr<char> alive = AliveToken();
        if (OnGetPicture)
            OnGetPicture(this, picture);
        if (alive.expired())
            return;
        if (HasEventNotify(ppEvent::OnGetPicture)) {
            TraParamList params;
            params.AddParam(QStringLiteral("aPicture"), TraDataType::daClass, false, false, QStringLiteral("TPicture"),
                            &classes::TPicture::StaticClass());
            classes::TObject *object = picture;
            params.BindParamValue(0, &object);
            SendEventNotify(this, ppEvent::OnGetPicture, &params);
        }
    } else if (CheckForPipelineData()) {
        try {
            loadFromField();
        } catch (const classes::EInvalidGraphic &error) {
            RaisePictureError(QString::fromUtf8(error.what()));
        }
    }
    InvalidateDesignControl();
}

void TppDBImage::RaisePictureError(const QString &aReason)
{
    // A picture that does not decode stops the report as its other print
    // errors do; in the designer it is the designer's to show. Either way the
    // message says which picture it was.
    const QString message = pictureErrorText(aReason);
    IppReportContext *report = Report();
    if (!report || !ReportPrinting())
        throw classes::EInvalidGraphic(message.toStdString());
    report->HandlePrintError(message);
}

QString TppDBImage::pictureErrorText(const QString &aReason) const
{
    TppDataPipeline *pipeline = DataPipeline();
    if (!pipeline)
        return aReason;
    // A file named by the field is what a person goes looking for; picture
    // data in the field itself has only the field's name.
    QString where = DataField();
    if (pipeline->GetFieldDataType(DataField()) == TppDataType::dtString)
        where = pipeline->GetFieldAsString(DataField());
    return QStringLiteral("%1, record %2: %3").arg(where).arg(pipeline->RecordIndex() + 1).arg(aReason);
}

void TppDBImage::loadFromField()
{
    TppDataPipeline *pipeline = DataPipeline();
    classes::TPicture *picture = ownPicture();
    const TppDataType type = pipeline->GetFieldDataType(DataField());
    if (type == TppDataType::dtBLOB || type == TppDataType::dtGraphic) {
        const classes::TMetaClass *meta = ppGetGraphicClass(m_graphicType);
        if (meta == &classes::TBitmap::StaticClass()) {
            if (classes::TPersistent *bitmap = pipeline->GetFieldAsPicture(DataField())) {
                picture->Assign(bitmap);
                return;
            }
        }
        classes::TMemoryStream stream;
        pipeline->FieldToStream(DataField(), stream);
        if (stream.Size() == 0 || !meta)
            return;
        if (meta == &classes::TBitmap::StaticClass()) {
            // Bytes the pipeline could not make a bitmap of: a DIB without
            // its file header reads, bytes that are no picture raise.
            const QByteArray bytes(static_cast<const char *>(stream.Memory()), qsizetype(stream.Size()));
            picture->LoadFromBytes(classes::BitmapFileFromDIB(bytes));
            return;
        }
        std::unique_ptr<classes::TPersistent> instance(meta->NewInstance());
        auto *graphic = dynamic_cast<classes::TGraphic *>(instance.get());
        if (!graphic)
            return;
        stream.SetPosition(0);
        graphic->LoadFromStream(stream);
        picture->SetGraphic(graphic);
        return;
    }
    if (type == TppDataType::dtString) {
        const QString fileName = pipeline->GetFieldAsString(DataField());
        if (!fileName.isEmpty() && QFileInfo(fileName).isFile())
            picture->LoadFromFile(fileName);
    }
}

void TppDBImage::PropertiesToDrawCommand(TppDrawCommand *aDrawCommand)
{
    // The picture's handlers may free the control.
    const std::weak_ptr<char> alive = AliveToken();
    TppCustomImage::PropertiesToDrawCommand(aDrawCommand);
    if (alive.expired())
        return;
    auto *image = dynamic_cast<TppDrawImage *>(aDrawCommand);
    if (!image)
        return;
    TppDataPipeline *pipeline = DataPipeline();
    image->SetImageName(Name() + (pipeline ? pipeline->Name() : QString()) + DataField() +
                        (pipeline ? QString::number(pipeline->TraversalCount()) : QString()));
}

} // namespace report
