#include "grid/core/TreeListColumn.h"

#include "grid/core/CharCase.h"
#include "grid/core/EditViewData.h"
#include "grid/core/TreeListControl.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/EnumTypes.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Writer.h"
#include "platform/gfx/TextMeasurer.h"

#include <algorithm>

namespace grid {

namespace {

const classes::TEnumInfo &columnCharCaseInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TEditCharCase"), {"ecNormal", "ecUpperCase", "ecLowerCase"});
    return info;
}

const classes::TEnumInfo &columnSortInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TdxTreeListColumnSort"), {"csNone", "csDown", "csUp"});
    return info;
}

const classes::TEnumInfo &columnTextLayoutInfo()
{
    static const classes::TEnumInfo info(QStringLiteral("TTextLayout"), {"tlTop", "tlCenter", "tlBottom"});
    return info;
}

} // namespace

const classes::TMetaClass &TdxTreeListColumn::StaticClass()
{
    using C = TdxTreeListColumn;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, classes::TComponent>("TdxTreeListColumn", [](classes::TClassBuilder<C> &c) {
            c.Enum("Alignment", classes::AlignmentInfo(), &C::Alignment, &C::SetAlignment)
                .Stored(
                    [](const classes::TPersistent &o) { return static_cast<const C &>(o).IsAssigned(avAlignment); });
            c.String("Caption", &C::Caption, &C::SetCaption).Stored([](const classes::TPersistent &o) {
                const auto &col = static_cast<const C &>(o);
                return col.IsAssigned(avCaption) && col.m_caption != col.DefaultCaption();
            });
            c.Enum("CharCase", columnCharCaseInfo(), &C::CharCase, &C::SetCharCase).Default(ecNormal);
            c.Integer("Color", &C::Color, &C::SetColor)
                .WithIdents(classes::ColorIdents())
                .Stored([](const classes::TPersistent &o) {
                    const auto &col = static_cast<const C &>(o);
                    const rtl::TColor inherited = col.m_treeList ? col.m_treeList->Color() : rtl::clWindow;
                    return col.IsAssigned(avColor) && col.m_color != inherited;
                });
            c.Boolean("DisableCaption", &C::DisableCaption, &C::SetDisableCaption).Default(false);
            c.Boolean("DisableCustomizing", &C::DisableCustomizing, &C::SetDisableCustomizing).Default(false);
            c.Boolean("DisableDragging", &C::DisableDragging, &C::SetDisableDragging).Default(false);
            c.Boolean("DisableEditor", &C::DisableEditor, &C::SetDisableEditor).Default(false);
            c.Object("Font", &C::Font, &C::SetFont).Stored([](const classes::TPersistent &o) {
                return static_cast<const C &>(o).IsAssigned(avFont);
            });
            c.Enum("HeaderAlignment", classes::AlignmentInfo(), &C::HeaderAlignment, &C::SetHeaderAlignment)
                .Default(taLeftJustify);
            c.Object("HeaderGlyph", &C::HeaderGlyph, &C::SetHeaderGlyph);
            c.Integer("MaxLength", &C::MaxLength, &C::SetMaxLength).Stored([](const classes::TPersistent &o) {
                const auto &col = static_cast<const C &>(o);
                return col.IsAssigned(avMaxLength) && col.m_maxLength != col.DefaultMaxLength();
            });
            c.Integer("MinWidth", &C::MinWidth, &C::SetMinWidth).Default(20);
            c.Boolean("OEMConvert", &C::OEMConvert, &C::SetOEMConvert).Default(false);
            c.Char("PasswordChar", &C::PasswordChar, &C::SetPasswordChar).Default(0);
            c.Boolean("ReadOnly", &C::ReadOnly, &C::SetReadOnly).Stored([](const classes::TPersistent &o) {
                const auto &col = static_cast<const C &>(o);
                return col.IsAssigned(avReadOnly) && col.m_readOnly != col.DefaultReadOnly();
            });
            c.Boolean("Sizing", &C::Sizing, &C::SetSizing).Default(true);
            c.Enum("Sorted", columnSortInfo(), &C::Sorted, &C::SetSorted).Default(csNone);
            c.Boolean("TabStop", &C::TabStop, &C::SetTabStop).Default(true);
            c.Enum("VertAlignment", columnTextLayoutInfo(), &C::VertAlignment, &C::SetVertAlignment).Default(tlTop);
            c.Boolean("Visible", &C::Visible, &C::SetVisible).Default(true);
            c.Integer("Width", &C::Width, &C::SetWidth).Stored([](const classes::TPersistent &o) {
                return static_cast<const C &>(o).IsAssigned(avWidth);
            });
            c.Integer("BandIndex", &C::BandIndex, &C::SetBandIndex);
            c.Integer("RowIndex", &C::RowIndex, &C::SetRowIndex);
            c.Integer("ColIndex", &C::ColIndex, &C::SetColIndex).Stored(false);
            c.Integer("HeaderMaxLineCount", &C::HeaderMaxLineCount, &C::SetHeaderMaxLineCount).Default(1);
            c.Event("OnChange", &C::OnChange);
            c.Event("OnCustomDrawCell", &C::OnCustomDrawCell, QStringLiteral("TdxTLCustomDrawCell"));
            c.Event("OnCustomDrawColumnHeader", &C::OnCustomDrawColumnHeader, QStringLiteral("TdxTLCustomDrawHeader"));
            c.Event("OnValidate", &C::OnValidate, QStringLiteral("TdxEditValidateEvent"));
        });
    return meta;
}

TdxTreeListColumn::TdxTreeListColumn(classes::TComponent *owner)
    : classes::TComponent(owner)
    , m_font(std::make_unique<classes::TFont>())
    , m_headerGlyph(std::make_unique<classes::TBitmap>())
    , m_viewData(std::make_unique<TdxTextEditViewData>())
{
    m_font->OnChange = [this](classes::TObject *) { fontChanged(); };
    m_headerGlyph->OnChange = [this](classes::TObject *) { Changed(true); };
}

TdxTreeListColumn::~TdxTreeListColumn()
{
    if (m_treeList) {
        if (!m_treeList->IsDestroying())
            m_treeList->deleteColumnTexts(Index());
        m_treeList->removeColumn(this);
    }
    m_life.end();
    m_font->OnChange = nullptr;
    m_headerGlyph->OnChange = nullptr;
}

void TdxTreeListColumn::Changed(bool wholeGrid)
{
    if (m_treeList)
        m_treeList->ColumnsChanged(wholeGrid ? nullptr : this);
}

// ---- Inheritable values ----

TAlignment TdxTreeListColumn::Alignment() const
{
    return IsAssigned(avAlignment) ? m_alignment : DefaultAlignment();
}

void TdxTreeListColumn::SetAlignment(TAlignment value)
{
    if (IsAssigned(avAlignment) && value == m_alignment)
        return;
    m_alignment = value;
    m_assigned |= avAlignment;
    Changed();
}

QString TdxTreeListColumn::Caption() const
{
    return IsAssigned(avCaption) ? m_caption : DefaultCaption();
}

void TdxTreeListColumn::SetCaption(const QString &value)
{
    if (IsAssigned(avCaption) && value == m_caption)
        return;
    m_caption = value;
    m_assigned |= avCaption;
    resetUnassignedWidth();
    Changed();
}

rtl::TColor TdxTreeListColumn::Color() const
{
    if (IsAssigned(avColor))
        return m_color;
    return m_treeList ? m_treeList->Color() : rtl::clWindow;
}

void TdxTreeListColumn::SetColor(rtl::TColor value)
{
    if (IsAssigned(avColor) && value == m_color)
        return;
    m_color = value;
    m_assigned |= avColor;
    Changed();
}

classes::TFont *TdxTreeListColumn::Font() const
{
    if (!IsAssigned(avFont) && m_treeList && !(*m_font == m_treeList->Font())) {
        auto *self = const_cast<TdxTreeListColumn *>(this);
        self->m_syncingFont = true;
        self->m_font->Assign(&m_treeList->Font());
        self->m_syncingFont = false;
    }
    return m_font.get();
}

void TdxTreeListColumn::SetFont(const classes::TFont *value)
{
    if (value && value != m_font.get())
        m_font->Assign(value);
    m_assigned |= avFont;
    Changed(true);
}

void TdxTreeListColumn::fontChanged()
{
    if (m_syncingFont)
        return;
    m_assigned |= avFont;
    Changed(true);
}

int TdxTreeListColumn::MaxLength() const
{
    return IsAssigned(avMaxLength) ? m_maxLength : DefaultMaxLength();
}

void TdxTreeListColumn::SetMaxLength(int value)
{
    if (value == MaxLength())
        return;
    m_maxLength = value;
    m_assigned |= avMaxLength;
    Changed();
}

bool TdxTreeListColumn::ReadOnly() const
{
    return IsAssigned(avReadOnly) ? m_readOnly : DefaultReadOnly();
}

void TdxTreeListColumn::SetReadOnly(bool value)
{
    if (IsAssigned(avReadOnly) && value == m_readOnly)
        return;
    m_readOnly = value;
    m_assigned |= avReadOnly;
    Changed();
}

void TdxTreeListColumn::SetWidth(int value)
{
    value = std::max(value, m_minWidth);
    if (!IsAssigned(avWidth) && value == DefaultWidth())
        return;
    m_width = value;
    m_assigned |= avWidth;
    Changed();
}

void TdxTreeListColumn::resetUnassignedWidth()
{
    if (!IsAssigned(avWidth))
        m_width = std::max(DefaultWidth(), m_minWidth);
}

// ---- Plain values ----

void TdxTreeListColumn::SetCharCase(TEditCharCase value)
{
    if (value == m_charCase)
        return;
    m_charCase = value;
    Changed(true);
}

void TdxTreeListColumn::SetDisableCaption(bool value)
{
    if (value == m_disableCaption)
        return;
    m_disableCaption = value;
    Changed(true);
}

void TdxTreeListColumn::SetDisableCustomizing(bool value)
{
    if (value == m_disableCustomizing)
        return;
    m_disableCustomizing = value;
    Changed(true);
}

void TdxTreeListColumn::SetHeaderAlignment(TAlignment value)
{
    if (value == m_headerAlignment)
        return;
    m_headerAlignment = value;
    Changed(true);
}

void TdxTreeListColumn::SetHeaderGlyph(const classes::TBitmap *value)
{
    if (value == m_headerGlyph.get())
        return;
    if (value)
        m_headerGlyph->Assign(value);
    else if (!m_headerGlyph->Empty())
        m_headerGlyph->SetImage(QImage());
}

void TdxTreeListColumn::SetHeaderMaxLineCount(int value)
{
    value = std::max(value, 0);
    if (value == m_headerMaxLineCount)
        return;
    m_headerMaxLineCount = value;
    Changed(true);
}

void TdxTreeListColumn::SetHeaderButtonOff(bool value)
{
    if (value == m_headerButtonOff)
        return;
    m_headerButtonOff = value;
    Changed(true);
}

void TdxTreeListColumn::SetMinWidth(int value)
{
    m_minWidth = std::max(value, 0);
    SetWidth(m_width);
}

void TdxTreeListColumn::SetOEMConvert(bool value)
{
    if (value == m_oemConvert)
        return;
    m_oemConvert = value;
    Changed();
}

void TdxTreeListColumn::SetPasswordChar(QChar value)
{
    if (value == m_passwordChar)
        return;
    m_passwordChar = value;
    Changed();
}

void TdxTreeListColumn::SetSizing(bool value)
{
    if (value == m_sizing)
        return;
    m_sizing = value;
    Changed();
}

void TdxTreeListColumn::SetVertAlignment(TTextLayout value)
{
    if (value == m_vertAlignment)
        return;
    m_vertAlignment = value;
    Changed();
}

void TdxTreeListColumn::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value;
    Changed();
}

void TdxTreeListColumn::SetSorted(TdxTreeListColumnSort value)
{
    if (value == m_sorted)
        return;
    TCustomdxTreeListControl *tree = m_treeList;
    if (!tree || HasState(classes::csLoading) || tree->HasState(classes::csLoading)) {
        m_sorted = value;
        Changed();
        return;
    }
    if (value == csNone) {
        tree->BeginSortLock();
        m_sorted = value;
        tree->removeSortedColumn(this);
        Changed();
        tree->EndSortLock();
        return;
    }
    // The before-sort hook and the other columns' changes may free this
    // column, the others or the grid.
    const TreeListAlive treeAlive = tree->AliveToken();
    const TreeListAlive alive = AliveToken();
    tree->BeginUpdate();
    if (treeAlive.expired())
        return;
    tree->DoBeforeSort(this);
    if (treeAlive.expired())
        return;
    if (alive.expired()) {
        tree->EndUpdate();
        return;
    }
    m_sorted = value;
    const bool multiSort = tree->IsMultiSort();
    if (treeAlive.expired())
        return;
    // Without sorting by several columns only one header may claim an order.
    if (!multiSort) {
        std::vector<std::pair<TdxTreeListColumn *, TreeListAlive>> others;
        for (TdxTreeListColumn *other : tree->SortedColumns())
            others.emplace_back(other, other->AliveToken());
        for (const auto &[other, otherAlive] : others)
            if (other != this && !otherAlive.expired())
                other->SetSorted(csNone);
        if (treeAlive.expired())
            return;
        if (alive.expired()) {
            tree->EndUpdate();
            return;
        }
    }
    tree->addSortedColumn(this);
    tree->RequestSort();
    tree->EndUpdate();
}

// ---- Place in the banded header ----

void TdxTreeListColumn::SetBandIndex(int value)
{
    value = std::max(value, -1);
    if (m_treeList)
        value = std::min(value, m_treeList->Bands()->Count() - 1);
    if (value == m_bandIndex)
        return;
    m_bandIndex = value;
    Changed();
}

int TdxTreeListColumn::RowIndex() const
{
    if (m_treeList)
        return std::max(0, std::min(m_rowIndex, m_treeList->HeaderPanelRowCount() - 1));
    return m_rowIndex;
}

void TdxTreeListColumn::SetRowIndex(int value)
{
    value = std::max(value, 0);
    if (m_treeList)
        value = std::min(value, m_treeList->HeaderPanelRowCount() - 1);
    if (value == m_rowIndex)
        return;
    m_rowIndex = value;
    m_storedRowIndex = value;
    Changed();
}

int TdxTreeListColumn::ColIndex() const
{
    return m_treeList ? m_treeList->ScanColIndex(this) : -1;
}

void TdxTreeListColumn::SetColIndex(int value)
{
    if (!m_treeList || m_bandIndex < 0 || value == ColIndex())
        return;
    const int position = m_treeList->Bands()->BandIndexToVisibleIndex(m_bandIndex);
    if (position < 0)
        return;
    const int row = RowIndex();
    const int places = m_treeList->ScanBandRowColumnCount(position, row);
    if (places <= 0)
        return;
    value = std::clamp(value, 0, places - 1);
    const int holder = m_treeList->ScanColumnAtPlace(position, row, value);
    if (holder < 0)
        return;
    const int target = m_treeList->Columns(holder)->Index();
    SetIndex(value == places - 1 ? target + 1 : target);
}

int TdxTreeListColumn::Index() const
{
    if (m_cachedIndex != -1)
        return m_cachedIndex;
    return -1;
}

void TdxTreeListColumn::SetIndex(int value)
{
    if (!m_treeList)
        return;
    const int count = m_treeList->ColumnCount();
    value = std::clamp(value, 0, count - 1);
    const int current = Index();
    if (value == current)
        return;
    m_treeList->moveColumnTexts(current, value);
    auto &list = m_treeList->m_columns;
    list.erase(list.begin() + current);
    list.insert(list.begin() + value, this);
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->m_cachedIndex = int(i);
    Changed(true);
}

// ---- Editing ----

void TdxTreeListColumn::InitEditProperties(InplaceEditor &editor)
{
    editor.SetReadOnly(ReadOnly());
    // The editor outlives the column; it calls a column that went no more.
    editor.OnChange = [this, alive = AliveToken()](classes::TObject *) {
        if (!alive.expired())
            editorChanged();
    };
    editor.OnValidate = [this, alive = AliveToken()](classes::TObject *, QString &errorText, bool &accept) {
        if (!alive.expired())
            editorValidate(errorText, accept);
    };
    if (TextEditorProps *text = editor.TextProps()) {
        text->SetCharCase(m_charCase);
        text->SetMaxLength(MaxLength());
        text->SetOEMConvert(m_oemConvert);
        text->SetPasswordChar(m_passwordChar);
        text->EmptyUndoBuffer();
    }
}

void TdxTreeListColumn::editorChanged()
{
    if (m_treeList && m_treeList->EditFlag())
        return;
    if (m_treeList) {
        // The grid's OnEditChange may free this column.
        const TreeListAlive alive = AliveToken();
        m_treeList->EditorChanged(this);
        if (alive.expired())
            return;
    }
    if (OnChange)
        OnChange(this);
}

void TdxTreeListColumn::editorValidate(QString &errorText, bool &accept)
{
    if (m_treeList && m_treeList->EditFlag())
        return;
    if (m_treeList) {
        const TreeListAlive alive = AliveToken();
        m_treeList->EditorValidate(this, errorText, accept);
        if (alive.expired())
            return;
    }
    if (OnValidate)
        OnValidate(this, errorText, accept);
}

QVariant TdxTreeListColumn::LoadEditorValue(TdxTreeListNode *node, InplaceEditor &editor)
{
    // As a value, not as typing: a read-only cell or an editor its container
    // does not let change yet shows the cell's text all the same, and the
    // editor does not count it as modified.
    editor.SetEditValue(QVariant(DisplayText(node)));
    return QVariant(editor.GetText());
}

QVariant TdxTreeListColumn::AssignEditValue(TdxTreeListNode *node, InplaceEditor &editor)
{
    if (!m_treeList)
        return {};
    if (editor.IsTextEditor())
        m_treeList->SetNodeString(node, Index(), editor.GetText());
    return m_treeList->GetNodeVariant(node, Index());
}

void TdxTreeListColumn::FillViewData(TdxEditViewData &viewData, const rtl::TRect &rect, const QString &text,
                                     rtl::TColor color, rtl::TColor fontColor)
{
    const uint8_t look = m_treeList ? m_treeList->Look() : 0;
    viewData.ButtonStyle = look == 0 ? bts3D : (look == 1 ? btsFlat : btsHotFlat);
    viewData.Edges = edgAll;
    viewData.Active = false;
    viewData.Bounds = rect;
    viewData.Color = rtl::ColorToRGB(color);
    viewData.FontColor = rtl::ColorToRGB(fontColor);
    viewData.Font = Font()->Font();
    viewData.Alignment = Alignment();
    viewData.EditValue = text;
    viewData.VerticalLayout = int(m_vertAlignment);
    if (auto *textData = dynamic_cast<TdxTextEditViewData *>(&viewData)) {
        textData->CharCase = m_charCase;
        textData->PasswordChar = m_passwordChar;
    }
}

TdxEditViewData &TdxTreeListColumn::FillCellViewData(const rtl::TRect &rect, const QString &text, rtl::TColor color,
                                                     rtl::TColor fontColor)
{
    // What drawing measured for the last cell must not carry over.
    m_viewData->TextLength = 0;
    m_viewData->MeasureOnly = false;
    m_viewData->LineCount = m_viewData->Height = m_viewData->LineHeight = 0;
    FillViewData(*m_viewData, rect, text, color, fontColor);
    return *m_viewData;
}

QString TdxTreeListColumn::DisplayText(TdxTreeListNode *node) const
{
    return m_treeList ? m_treeList->GetNodeString(node, Index()) : QString();
}

int TdxTreeListColumn::TextWidth(const gfx::TextMeasurer &measurer, TdxTreeListNode *node) const
{
    return measurer.textWidth(Font()->Font(), CaseConverted(DisplayText(node), m_charCase));
}

void TdxTreeListColumn::RestoreDefaults()
{
    m_assigned = 0;
    m_width = DefaultWidth();
    m_disableCaption = false;
    m_disableCustomizing = false;
    m_disableEditor = false;
    m_headerAlignment = taLeftJustify;
    m_minWidth = 20;
    m_sizing = true;
    m_tabStop = true;
    m_vertAlignment = tlTop;
    if (m_sorted != csNone)
        SetSorted(csNone);
    Changed(true);
}

// ---- Component ----

void TdxTreeListColumn::Assign(const classes::TPersistent *source)
{
    // Restoring the defaults first would leave nothing to copy from itself.
    if (source == this)
        return;
    const auto *other = dynamic_cast<const TdxTreeListColumn *>(source);
    if (!other) {
        classes::TComponent::Assign(source);
        return;
    }
    if (m_treeList) {
        // Opening the bracket runs a descendant's hooks, which may free the
        // grid and this column with it.
        const TreeListAlive alive = AliveToken();
        m_treeList->BeginUpdate();
        if (alive.expired())
            return;
    }
    RestoreDefaults();
    if (other->IsAssigned(avAlignment))
        SetAlignment(other->m_alignment);
    if (other->IsAssigned(avCaption))
        SetCaption(other->m_caption);
    if (other->IsAssigned(avReadOnly))
        SetReadOnly(other->m_readOnly);
    if (other->IsAssigned(avWidth))
        SetWidth(other->m_width);
    if (other->IsAssigned(avColor))
        SetColor(other->m_color);
    if (other->IsAssigned(avFont))
        SetFont(other->m_font.get());
    SetDisableCaption(other->m_disableCaption);
    SetDisableCustomizing(other->m_disableCustomizing);
    SetDisableEditor(other->m_disableEditor);
    SetHeaderButtonOff(other->m_headerButtonOff);
    SetHeaderAlignment(other->m_headerAlignment);
    if (!other->m_headerGlyph->Empty())
        SetHeaderGlyph(other->m_headerGlyph.get());
    SetMinWidth(other->m_minWidth);
    SetSizing(other->m_sizing);
    SetSorted(other->m_sorted);
    SetVertAlignment(other->m_vertAlignment);
    SetVisible(other->m_visible);
    SetTabStop(other->m_tabStop);
    SetBandIndex(other->m_bandIndex);
    SetRowIndex(other->RowIndex());
    SetColIndex(other->ColIndex());
    SetHeaderMaxLineCount(other->m_headerMaxLineCount);
    if (m_treeList)
        m_treeList->EndUpdate();
}

void TdxTreeListColumn::SetName(const QString &newName)
{
    classes::TComponent::SetName(newName);
    if (OnNameChanged)
        OnNameChanged(this);
}

void TdxTreeListColumn::ReadState(classes::TReader &reader)
{
    classes::TComponent::ReadState(reader);
    if (auto *tree = dynamic_cast<TCustomdxTreeListControl *>(reader.Parent())) {
        if (m_treeList)
            m_treeList->removeColumn(this);
        tree->addColumn(this);
    }
}

classes::TComponent *TdxTreeListColumn::GetParentComponent() const
{
    return m_treeList;
}

void TdxTreeListColumn::SetParentComponent(classes::TComponent *parent)
{
    if (HasState(classes::csLoading))
        return;
    auto *tree = dynamic_cast<TCustomdxTreeListControl *>(parent);
    if (parent && !tree)
        throw classes::EInvalidCast("A " + classes::messageText(parent->ClassName()) +
                                    " is not a TCustomdxTreeListControl");
    if (tree == m_treeList)
        return;
    if (m_treeList)
        m_treeList->removeColumn(this);
    if (tree)
        tree->addColumn(this);
}

void TdxTreeListColumn::DefineProperties(classes::TFiler &filer)
{
    classes::TComponent::DefineProperties(filer);
    const bool writesOrder =
        m_treeList && m_treeList->IsMultiSort() && m_treeList->SortedColumnCount() > 1 && m_sorted != csNone;
    filer.DefineProperty(
        QStringLiteral("SortedOrder"), [this](classes::TReader &reader) { m_storedSortOrder = reader.ReadInteger(); },
        [this](classes::TWriter &writer) {
            const auto &sorted = m_treeList->SortedColumns();
            writer.WriteInteger(int(std::find(sorted.begin(), sorted.end(), this) - sorted.begin()));
        },
        writesOrder);
    filer.DefineProperty(
        QStringLiteral("StoredRowIndex"),
        [this](classes::TReader &reader) { m_storedRowIndex = std::max(0, int(reader.ReadInteger())); },
        [this](classes::TWriter &writer) { writer.WriteInteger(m_storedRowIndex); }, m_storedRowIndex != 0);
}

void TdxTreeListColumn::attachTo(TCustomdxTreeListControl *treeList)
{
    m_treeList = treeList;
}

void TdxTreeListColumn::detach()
{
    m_treeList = nullptr;
    m_cachedIndex = -1;
}

// ---- Mask column ----

const classes::TMetaClass &TdxTreeListMaskColumn::StaticClass()
{
    using C = TdxTreeListMaskColumn;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TdxTreeListColumn>("TdxTreeListMaskColumn", [](classes::TClassBuilder<C> &c) {
            c.String("EditMask", &C::EditMask, &C::SetEditMask).Stored([](const classes::TPersistent &o) {
                return !static_cast<const C &>(o).EditMask().isEmpty();
            });
            c.Boolean("IgnoreMaskBlank", &C::IgnoreMaskBlank, &C::SetIgnoreMaskBlank).Default(false);
        });
    return meta;
}

TdxTreeListMaskColumn::TdxTreeListMaskColumn(classes::TComponent *owner)
    : TdxTreeListColumn(owner)
{}

void TdxTreeListMaskColumn::InitEditProperties(InplaceEditor &editor)
{
    TdxTreeListColumn::InitEditProperties(editor);
    if (MaskEditorProps *mask = editor.MaskProps()) {
        mask->SetEditMask(m_editMask);
        mask->SetIgnoreMaskBlank(m_ignoreMaskBlank);
    }
}

void TdxTreeListMaskColumn::RestoreDefaults()
{
    m_editMask.clear();
    TdxTreeListColumn::RestoreDefaults();
}

void TdxTreeListMaskColumn::Assign(const classes::TPersistent *source)
{
    TdxTreeListColumn::Assign(source);
    if (const auto *other = dynamic_cast<const TdxTreeListMaskColumn *>(source))
        m_editMask = other->m_editMask;
}

} // namespace grid
