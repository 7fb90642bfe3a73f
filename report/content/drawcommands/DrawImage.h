#pragma once

// TppDrawImage: a picture on a page with how it fits its rectangle.

#include "report/model/pages/DrawCommand.h"

#include "platform/classes/Picture.h"

#include <memory>

namespace report {

class TppDrawImage : public TppDrawCommand
{
    ZVO_CLASS(TppDrawImage)
public:
    explicit TppDrawImage(classes::TComponent *aOwner = nullptr);
    ~TppDrawImage() override;

    void Assign(const classes::TPersistent *source) override;

    // The picture for raster devices: none for an icon or a metafile
    // (devices draw those directly), the picture's own bitmap, or one made
    // once from another graphic and kept.
    classes::TBitmap *GetBitmap();

    bool Center() const { return m_center; }
    void SetCenter(bool aValue) { m_center = aValue; }
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool aValue) { m_directDraw = aValue; }
    const QString &ImageName() const { return m_imageName; }
    void SetImageName(const QString &aValue) { m_imageName = aValue; }
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool aValue) { m_maintainAspectRatio = aValue; }
    classes::TPicture *Picture() const { return m_picture.get(); }
    void SetPicture(const classes::TPicture *aPicture);
    bool Scale() const { return m_scale; }
    void SetScale(bool aValue) { m_scale = aValue; }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool aValue) { m_stretch = aValue; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool aValue) { m_transparent = aValue; }
    // Whether the picture goes into the stream (true unless told).
    bool StorePicture() const { return m_storePicture; }
    void SetStorePicture(bool aValue) { m_storePicture = aValue; }

private:
    bool m_center = false;
    bool m_maintainAspectRatio = false;
    std::unique_ptr<classes::TPicture> m_picture;
    bool m_scale = false;
    bool m_stretch = false;
    bool m_transparent = false;
    bool m_directDraw = false;
    std::unique_ptr<classes::TBitmap> m_rasterBitmap;
    QString m_imageName;
    bool m_storePicture = true;
};

} // namespace report
