#pragma once

// The class library's image list as a component: a list of glyphs that
// controls refer to by name in a stored layout. The glyphs are stored with it
// as one PNG strip, the list's own binary form.

#include "platform/classes/Component.h"

#include "platform/gfx/ImageList.h"

namespace classes {

class TStream;

class TCustomImageList : public TComponent
{
    ZVO_CLASS(TCustomImageList)
public:
    explicit TCustomImageList(TComponent *owner = nullptr);

    gfx::ImageList &List() { return m_list; }
    const gfx::ImageList &List() const { return m_list; }

    int Width() const { return m_list.width(); }
    void SetWidth(int value);
    int Height() const { return m_list.height(); }
    void SetHeight(int value);
    int Count() const { return m_list.count(); }

    void DefineProperties(TFiler &filer) override;

private:
    void resize(int width, int height);
    void readBitmap(TStream &stream);
    void writeBitmap(TStream &stream) const;

    gfx::ImageList m_list;
};

class TImageList : public TCustomImageList
{
    ZVO_CLASS(TImageList)
public:
    using TCustomImageList::TCustomImageList;
};

} // namespace classes
