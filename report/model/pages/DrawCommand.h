#pragma once

// TppDrawCommand: one positioned element of a generated page (a text, a
// line, a picture, a bar code, an outline entry), in thousandths of a
// millimetre. Printable objects make them; devices draw them. A command
// belongs to at most one page, which owns it and frees it.

#include "report/model/base/Types.h"
#include "report/model/objects/Relative.h"

#include "platform/rtl/Types.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace report {

class TppBand;
class TppDevice;
class TppPage;

class TppDrawCommand : public TppRelative
{
    ZVO_CLASS(TppDrawCommand)
public:
    explicit TppDrawCommand(classes::TComponent *aOwner = nullptr);
    // Leaves its page first.
    ~TppDrawCommand() override;

    // ---- Virtual operations ----
    // Hands itself to the device; true when the device drew it.
    virtual bool Draw(TppDevice *aDevice);
    // Geometry equal; descendants compare their own values too.
    virtual bool IsEqual(const TppDrawCommand *aDrawCommand) const;
    // Whether the value is known only later (page counts, look-ahead totals).
    virtual bool NeedsRecalculation() const { return false; }
    // Recomputes the value; true when a device must draw it again.
    virtual bool Recalculate() { return false; }

    // Band, Clickable, DataType, the Draw* values, the string, the
    // geometry, OnClick and Tag; not the page, RedrawPage nor the printable
    // area.
    void Assign(const classes::TPersistent *source) override;

    // ---- Page ----
    TppPage *Page() const { return m_page; }
    // Leaves the old page and joins the new one (nullptr detaches); a page
    // that refuses it leaves it where it was.
    void SetPage(TppPage *aPage);
    // A command's parent is always its page.
    void SetParent(TppRelative *aParent) override;

    // ---- Properties ----
    // Not linked: commands in a page cache outlive the report's bands. Held
    // with the band's life token: a band a handler freed while its commands
    // were on the page (or since) answers nullptr.
    TppBand *Band() const { return m_bandAlive.expired() ? nullptr : m_band; }
    void SetBand(TppBand *aBand);
    bool Clickable() const { return m_clickable; }
    // Keeps the page's list of clickable commands in step.
    void SetClickable(bool aClickable);
    TppDataType DataType() const { return m_dataType; }
    void SetDataType(TppDataType aDataType) { m_dataType = aDataType; }
    int32_t Left() const { return m_left; }
    void SetLeft(int32_t aValue) { m_left = aValue; }
    int32_t Top() const { return m_top; }
    void SetTop(int32_t aValue) { m_top = aValue; }
    int32_t Width() const { return m_width; }
    void SetWidth(int32_t aValue) { m_width = aValue; }
    int32_t Height() const { return m_height; }
    void SetHeight(int32_t aValue) { m_height = aValue; }
    // The page area inside the margins when the command was made.
    const rtl::TRect &PrintableArea() const { return m_printableArea; }
    void SetPrintableArea(const rtl::TRect &aArea) { m_printableArea = aArea; }
    // A text whose meaning the descendants give.
    const QString &CommandText() const { return m_text; }
    void SetCommandText(const QString &aText) { m_text = aText; }
    // The object that made the command; not linked, held like Band: a
    // report object that has gone answers nullptr.
    classes::TObject *Component() const
    {
        return m_componentTracked && m_componentAlive.expired() ? nullptr : m_component;
    }
    void SetComponent(TppCommunicator *aComponent);
    void SetComponent(classes::TObject *aComponent);
    bool RedrawPage() const { return m_redrawPage; }
    void SetRedrawPage(bool aValue) { m_redrawPage = aValue; }

    // Where the screen device last drew it, in device pixels.
    int32_t DrawLeft() const { return m_drawRect.Left; }
    int32_t DrawTop() const { return m_drawRect.Top; }
    int32_t DrawRight() const { return m_drawRect.Right; }
    int32_t DrawBottom() const { return m_drawRect.Bottom; }
    void SetDrawLeft(int32_t aValue) { m_drawRect.Left = aValue; }
    void SetDrawTop(int32_t aValue) { m_drawRect.Top = aValue; }
    void SetDrawRight(int32_t aValue) { m_drawRect.Right = aValue; }
    void SetDrawBottom(int32_t aValue) { m_drawRect.Bottom = aValue; }
    const rtl::TRect &DrawRect() const { return m_drawRect; }

    // Fires OnClick; the viewer calls it for a clicked command.
    void DoOnClick();
    classes::TNotifyEvent OnClick;

private:
    friend class TppPage;

    TppBand *m_band = nullptr;
    std::weak_ptr<char> m_bandAlive;
    bool m_clickable = false;
    classes::TObject *m_component = nullptr;
    std::weak_ptr<char> m_componentAlive;
    bool m_componentTracked = false;
    TppDataType m_dataType = TppDataType::dtString;
    rtl::TRect m_drawRect;
    QString m_text;
    int32_t m_left = 0;
    int32_t m_top = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    TppPage *m_page = nullptr;
    rtl::TRect m_printableArea;
    bool m_redrawPage = false;
    TppLiveCount<TppDrawCommand> m_live;
};

// "Page" (a TppPage), "Clickable" and "RedrawPage" (Booleans), all writable.
class TraTppDrawCommandRTTI : public TraRTTI
{
public:
    static const TraTppDrawCommandRTTI &Instance();

    void GetPropList(const classes::TMetaClass &aClass, classes::TStrings &aList) const override;
    const classes::TMetaClass &RefClass() const override;
    bool GetPropRec(const classes::TMetaClass &aClass, const QString &aName, TraPropRec &aRec) const override;
    bool GetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;
    bool SetPropValue(classes::TObject *aObject, const QString &aName, const TraValuePointer &aValue) const override;

protected:
    TraTppDrawCommandRTTI();
};

} // namespace report
