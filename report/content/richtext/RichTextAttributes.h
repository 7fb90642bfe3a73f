#pragma once

// The rich edit's selection format and paragraph format as persistent
// objects of the control, so that scripts reach them as object properties
// and change them one property at a time. Each reads the rich edit anew and
// writes through to it; a change becomes the control's kept RTF, so it
// prints and is stored with the report.

#include "platform/classes/EnumTypes.h"
#include "platform/classes/Persistent.h"
#include "platform/gfx/GdiObjects.h"
#include "platform/rtl/Colors.h"

#include <QString>

namespace report {

class TppCustomRichText;

// The character format of the selection (of its first character when read).
class TTextAttributes : public classes::TPersistent
{
    ZVO_CLASS(TTextAttributes)
public:
    explicit TTextAttributes(TppCustomRichText &aOwner)
        : m_owner(aOwner)
    {}

    // From other text attributes: the whole format at once.
    void Assign(const classes::TPersistent *source) override;

    QString Name() const;
    void SetName(const QString &aValue);
    // Points, rounded.
    int Size() const;
    void SetSize(int aValue);
    rtl::TColor Color() const;
    void SetColor(rtl::TColor aValue);
    gfx::FontStyles Style() const;
    void SetStyle(gfx::FontStyles aValue);

private:
    TppCustomRichText &m_owner;
};

// The paragraph format of the paragraphs the selection touches (of the one
// it starts in when read). Indents in pixels at 96 per inch.
class TParaAttributes : public classes::TPersistent
{
    ZVO_CLASS(TParaAttributes)
public:
    explicit TParaAttributes(TppCustomRichText &aOwner)
        : m_owner(aOwner)
    {}

    void Assign(const classes::TPersistent *source) override;

    classes::TAlignment Alignment() const;
    void SetAlignment(classes::TAlignment aValue);
    int FirstIndent() const;
    void SetFirstIndent(int aValue);
    int LeftIndent() const;
    void SetLeftIndent(int aValue);
    int RightIndent() const;
    void SetRightIndent(int aValue);

private:
    TppCustomRichText &m_owner;
};

} // namespace report
