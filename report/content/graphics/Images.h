#pragma once

// The picture controls: TppCustomImage (how a picture fits its box, and a
// count of the picture's changes that names it on the page), TppImage (a
// picture kept in the report) and TppDBImage (a picture read from a field,
// a file a field names, or supplied by OnGetPicture and event 69).

#include "report/content/text/CustomComponent.h"

#include "platform/classes/Picture.h"

#include <memory>

namespace gfx {
class Canvas;
}

namespace report {

using TppPictureEvent = classes::TEvent<void(classes::TObject *Sender, classes::TPicture *aPicture)>;

class TppCustomImage : public TppCustomComponent
{
    ZVO_CLASS(TppCustomImage)
public:
    explicit TppCustomImage(classes::TComponent *aOwner = nullptr);
    ~TppCustomImage() override;

    bool Center() const { return m_center; }
    void SetCenter(bool aValue);
    bool DirectDraw() const { return m_directDraw; }
    void SetDirectDraw(bool aValue);
    bool MaintainAspectRatio() const { return m_maintainAspectRatio; }
    void SetMaintainAspectRatio(bool aValue);
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool aValue);
    void SetTransparent(bool aValue);
    virtual classes::TPicture *Picture() const { return m_picture.get(); }
    void SetPicture(const classes::TPicture *aPicture);
    // The changes of the picture made while its page was generated.
    int PictureChangeCount() const { return m_pictureChanges; }

    void Init() override;
    void Convert(int aVersionNo) override;
    QString GetCaption() override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

protected:
    void pictureChanged();
    // The picture as it is, without a data image's loading.
    classes::TPicture *ownPicture() const { return m_picture.get(); }

private:
    // Whether the main report's engine is on the page it has yet to finish.
    bool pageCheck() const;

    bool m_center = true;
    bool m_directDraw = false;
    bool m_maintainAspectRatio = false;
    bool m_stretch = false;
    int m_pictureChanges = 0;
    std::unique_ptr<classes::TPicture> m_picture;
};

class TppImage : public TppCustomImage
{
    ZVO_CLASS(TppImage)
public:
    explicit TppImage(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // Asks for a picture file and loads it; a file that does not decode
    // leaves the picture as it was and is reported.
    void ShowPictureDialog();
};

class TppDBImage : public TppCustomImage
{
    ZVO_CLASS(TppDBImage)
public:
    explicit TppDBImage(classes::TComponent *aOwner = nullptr);
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

    bool IsDataAware() const override { return true; }

    bool AutoDisplay() const { return m_autoDisplay; }
    void SetAutoDisplay(bool aValue);
    const QString &GraphicType() const { return m_graphicType; }
    // Names not registered are refused.
    void SetGraphicType(const QString &aValue);
    void SetDataField(const QString &aField);
    // Loads the picture first.
    classes::TPicture *Picture() const override;
    // Clears the picture and reads it anew from the handler or the field.
    void LoadPicture();
    // A picture that cannot be had stops the report as its other print
    // errors do, and outside printing raises EInvalidGraphic; either way the
    // message names the file (or field) and the record with aReason.
    void RaisePictureError(const QString &aReason);
    TppPictureEvent OnGetPicture;

    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;

private:
    void loadFromField();
    // The reason a picture did not decode, with the file (or field) and record.
    QString pictureErrorText(const QString &aReason) const;

    bool m_autoDisplay = true;
    QString m_graphicType = QStringLiteral("Bitmap");
};

} // namespace report
