#pragma once

// A column of the text-node tree list: a component of its own, owned by a
// form like any other, attached to one control. It holds the column's look,
// its editing rules, its place in the banded header, its width limits and
// its sort state. Inheritable values (alignment, caption, read-only, width,
// colour, font, maximum length) read a default until they are set, and only
// set ones are stored.

#include "grid/core/ControlTypes.h"
#include "grid/core/InplaceEditor.h"
#include "grid/core/TreeListLife.h"

#include "platform/classes/Component.h"
#include "platform/classes/Graphics.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/Types.h"

#include <QChar>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <memory>

namespace gfx {
class Canvas;
class TextMeasurer;
} // namespace gfx

namespace grid {

class TCustomdxTreeListControl;
class TdxTreeListNode;
class TdxTreeListColumn;

enum TdxTreeListColumnSort : uint8_t { csNone, csDown, csUp };
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };

// The editors are made by the widget layer's host factory from these names.
inline constexpr const char *InplaceTreeListTextEditName = "TdxInplaceTreeListTextEdit";
inline constexpr const char *InplaceTreeListMaskEditName = "TdxInplaceTreeListMaskEdit";

using TdxTLCustomDrawCell = void(classes::TObject *sender, gfx::Canvas *canvas, const rtl::TRect &rect,
                                 TdxTreeListNode *node, TdxTreeListColumn *column, bool selected, bool focused,
                                 bool newItemRow, QString &text, rtl::TColor &color, classes::TFont *font,
                                 TAlignment &alignment, bool &done);
using TdxTLCustomDrawHeader = void(classes::TObject *sender, TdxTreeListColumn *column, gfx::Canvas *canvas,
                                   const rtl::TRect &rect, QString &text, rtl::TColor &color, classes::TFont *font,
                                   TAlignment &alignment, TdxTreeListColumnSort &sorted, bool &done);
using TdxColumnValidate = void(classes::TObject *sender, QString &errorText, bool &accept);

class TdxTreeListColumn : public classes::TComponent
{
    ZVO_CLASS(TdxTreeListColumn)
public:
    // Which inheritable values were set on this column.
    enum AssignedValue : uint8_t {
        avAlignment = 0x01,
        avCaption = 0x02,
        avReadOnly = 0x04,
        avWidth = 0x08,
        avColor = 0x10,
        avFont = 0x20,
        avMaxLength = 0x40,
    };

    explicit TdxTreeListColumn(classes::TComponent *owner);
    ~TdxTreeListColumn() override;

    TCustomdxTreeListControl *TreeList() const { return m_treeList; }
    // Expires when the column goes; see TreeListLife.h.
    TreeListAlive AliveToken() const { return m_life.token(); }
    uint8_t AssignedValues() const { return m_assigned; }
    bool IsAssigned(AssignedValue value) const { return (m_assigned & value) != 0; }

    // ---- Inheritable values ----
    TAlignment Alignment() const;
    void SetAlignment(TAlignment value);
    QString Caption() const;
    void SetCaption(const QString &value);
    // Unassigned: the tree list's colour, clWindow without one.
    rtl::TColor Color() const;
    void SetColor(rtl::TColor value);
    // Unassigned, it is kept equal to the tree list's font.
    classes::TFont *Font() const;
    void SetFont(const classes::TFont *value);
    int MaxLength() const;
    void SetMaxLength(int value);
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    int Width() const { return m_width; }
    void SetWidth(int value);

    // ---- Plain values ----
    TEditCharCase CharCase() const { return m_charCase; }
    void SetCharCase(TEditCharCase value);
    bool DisableCaption() const { return m_disableCaption; }
    void SetDisableCaption(bool value);
    bool DisableCustomizing() const { return m_disableCustomizing; }
    void SetDisableCustomizing(bool value);
    bool DisableDragging() const { return m_disableDragging; }
    void SetDisableDragging(bool value) { m_disableDragging = value; }
    bool DisableEditor() const { return m_disableEditor; }
    void SetDisableEditor(bool value) { m_disableEditor = value; }
    TAlignment HeaderAlignment() const { return m_headerAlignment; }
    void SetHeaderAlignment(TAlignment value);
    classes::TBitmap *HeaderGlyph() const { return m_headerGlyph.get(); }
    // Nothing (or an empty picture) clears the glyph.
    void SetHeaderGlyph(const classes::TBitmap *value);
    bool HasHeaderGlyph() const { return !m_headerGlyph->Empty(); }
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int value);
    bool OEMConvert() const { return m_oemConvert; }
    void SetOEMConvert(bool value);
    QChar PasswordChar() const { return m_passwordChar; }
    void SetPasswordChar(QChar value);
    bool Sizing() const { return m_sizing; }
    void SetSizing(bool value);
    TdxTreeListColumnSort Sorted() const { return m_sorted; }
    void SetSorted(TdxTreeListColumnSort value);
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool value) { m_tabStop = value; }
    TTextLayout VertAlignment() const { return m_vertAlignment; }
    void SetVertAlignment(TTextLayout value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    int HeaderMaxLineCount() const { return m_headerMaxLineCount; }
    void SetHeaderMaxLineCount(int value);
    bool HeaderButtonOff() const { return m_headerButtonOff; }
    void SetHeaderButtonOff(bool value);

    // ---- Place in the banded header ----
    int BandIndex() const { return m_bandIndex; }
    // Clamped to -1 .. band count - 1.
    void SetBandIndex(int value);
    // Attached: limited to the tree list's header rows.
    int RowIndex() const;
    void SetRowIndex(int value);
    int StoredRowIndex() const { return m_storedRowIndex; }
    int StoredSortOrder() const { return m_storedSortOrder; }
    // Place among the visible columns of its band row; -1 when not placed.
    int ColIndex() const;
    void SetColIndex(int value);
    // Position in the tree list's column list, -1 unattached.
    int Index() const;
    void SetIndex(int value);

    // ---- Editing ----
    virtual QString GetEditorClassName() const { return QString::fromLatin1(InplaceTreeListTextEditName); }
    bool CanEdit() const { return !m_disableEditor; }
    // The cursor over this column's hot cell of the node; asked before the
    // tree list's event.
    virtual void GetHotTrackCursor(TdxTreeListNode * /*node*/, TCursor & /*cursor*/) {}
    virtual void InitEditProperties(InplaceEditor &editor);
    // Puts the node's text into the editor; answers the editor's text read
    // back after its own conversions.
    QVariant LoadEditorValue(TdxTreeListNode *node, InplaceEditor &editor);
    // A text editor's text becomes the node's text; answers the node's value.
    QVariant AssignEditValue(TdxTreeListNode *node, InplaceEditor &editor);
    // The drawing data of one cell for the editor's drawing code.
    virtual void FillViewData(TdxEditViewData &viewData, const rtl::TRect &rect, const QString &text, rtl::TColor color,
                              rtl::TColor fontColor);
    // The column's own drawing data, of the kind its editors draw with
    // (both editor classes are text editors): kept for the column's life,
    // filled afresh for each cell drawn.
    TdxEditViewData &EditViewData() { return *m_viewData; }
    TdxEditViewData &FillCellViewData(const rtl::TRect &rect, const QString &text, rtl::TColor color,
                                      rtl::TColor fontColor);
    QString DisplayText(TdxTreeListNode *node) const;
    // The node's text in this column's case, as wide as the measurer says.
    int TextWidth(const gfx::TextMeasurer &measurer, TdxTreeListNode *node) const;
    bool HeaderHotTrack() const { return !m_headerButtonOff && !HasState(classes::csDesigning); }

    // ---- Defaults of the inheritable values ----
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    virtual QString DefaultCaption() const { return {}; }
    virtual int DefaultMaxLength() const { return 0; }
    virtual bool DefaultReadOnly() const { return false; }
    virtual int DefaultWidth() const { return 100; }
    virtual void RestoreDefaults();

    void Assign(const classes::TPersistent *source) override;
    void SetName(const QString &newName) override;
    void ReadState(classes::TReader &reader) override;
    bool HasParent() const override { return true; }
    classes::TComponent *GetParentComponent() const override;
    void SetParentComponent(classes::TComponent *parent) override;
    void DefineProperties(classes::TFiler &filer) override;

    // Called after each change of Name.
    std::function<void(TdxTreeListColumn *)> OnNameChanged;

    classes::TNotifyEvent OnChange;
    classes::TEvent<TdxTLCustomDrawCell> OnCustomDrawCell;
    classes::TEvent<TdxTLCustomDrawHeader> OnCustomDrawColumnHeader;
    classes::TEvent<TdxColumnValidate> OnValidate;

protected:
    // A change for the tree list; wholeGrid reports it without naming the column.
    void Changed(bool wholeGrid = false);

private:
    friend class TCustomdxTreeListControl;
    friend class TdxTreeListBand;

    void fontChanged();
    void editorChanged();
    void editorValidate(QString &errorText, bool &accept);
    // Only the control calls these, keeping its list in step.
    void attachTo(TCustomdxTreeListControl *treeList);
    void detach();
    void resetUnassignedWidth();

    TCustomdxTreeListControl *m_treeList = nullptr;
    TAlignment m_alignment = taLeftJustify;
    QString m_caption;
    TEditCharCase m_charCase = ecNormal;
    rtl::TColor m_color = rtl::clWindow;
    bool m_disableCaption = false;
    bool m_disableCustomizing = false;
    bool m_disableEditor = false;
    bool m_disableDragging = false;
    std::unique_ptr<classes::TFont> m_font;
    bool m_syncingFont = false;
    TAlignment m_headerAlignment = taLeftJustify;
    std::unique_ptr<classes::TBitmap> m_headerGlyph;
    std::unique_ptr<TdxTextEditViewData> m_viewData;
    int m_maxLength = 0;
    int m_minWidth = 20;
    bool m_oemConvert = false;
    QChar m_passwordChar;
    bool m_readOnly = false;
    int m_storedSortOrder = -1;
    bool m_sizing = true;
    bool m_tabStop = true;
    TTextLayout m_vertAlignment = tlTop;
    bool m_visible = true;
    int m_width = 100;
    uint8_t m_assigned = 0;
    int m_bandIndex = 0;
    int m_rowIndex = 0;
    int m_headerMaxLineCount = 1;
    int m_storedRowIndex = 0;
    bool m_headerButtonOff = false;
    TdxTreeListColumnSort m_sorted = csNone;
    int m_cachedIndex = -1;
    TreeListLife m_life;
};

class TdxTreeListMaskColumn : public TdxTreeListColumn
{
    ZVO_CLASS(TdxTreeListMaskColumn)
public:
    explicit TdxTreeListMaskColumn(classes::TComponent *owner);

    const QString &EditMask() const { return m_editMask; }
    void SetEditMask(const QString &value) { m_editMask = value; }
    bool IgnoreMaskBlank() const { return m_ignoreMaskBlank; }
    void SetIgnoreMaskBlank(bool value) { m_ignoreMaskBlank = value; }

    QString GetEditorClassName() const override { return QString::fromLatin1(InplaceTreeListMaskEditName); }
    void InitEditProperties(InplaceEditor &editor) override;
    void RestoreDefaults() override;
    void Assign(const classes::TPersistent *source) override;

private:
    QString m_editMask;
    bool m_ignoreMaskBlank = false;
};

} // namespace grid
