#pragma once

// TppCustomText: the base of the single-line and wrapped text controls. It
// measures its own size, produces its text through OnGetText and event 53,
// carries the text-export settings (Save, SaveOrder, SaveLength) and fills
// a TppDrawText.

#include "report/content/text/CustomComponent.h"
#include "report/model/groups/Group.h"

#include "platform/classes/PropInfo.h"

#include <QString>

#include <vector>

namespace gfx {
class Canvas;
}

namespace report {

class TppGroup;

using TppGetTextEvent = classes::TEvent<void(classes::TObject *Sender, QString &Text)>;

class TppCustomText
    : public TppCustomComponent
    , public IppGroupBreakText
{
    ZVO_CLASS(TppCustomText)
public:
    explicit TppCustomText(classes::TComponent *aOwner = nullptr);
    // Groups that break on the control forget its name, last to first.
    ~TppCustomText() override;

    // ---- What the model asks of a text ----
    bool IsCustomText() const override { return true; }
    bool JoinsSaveList() const override { return m_save; }
    int StoredSaveOrder() const override { return m_streamedSaveOrder; }
    // The band's index of the control in its save list, -1 without band.
    int SaveOrder() const;
    void SetSaveOrder(int aIndex) override;
    // The value a stream gave, -1 when none was read.
    int GetStreamedSaveOrder() const { return m_streamedSaveOrder; }
    // Moves the control to aIndex of its band's save list (kept inside it).
    void UpdateSaveOrder(int aIndex);

    // ---- Size and text ----
    void AdjustSize() override { AdjustBounds(); }
    // Measures the caption with the font and fits the bounds to it.
    virtual void AdjustBounds();
    // The raw text, then OnGetText and event 53 while the report prints.
    QString GetText() const override;
    virtual QString GetTheText() const;
    QString GetDescription() const override;
    void PropertiesToDrawCommand(TppDrawCommand *aDrawCommand) override;
    // Paints the control as the designer shows it.
    void PaintDesignControl(gfx::Canvas &aCanvas) override;
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;
    // The registered format dialog for a value of that data type; its OK
    // sets DisplayFormat.
    void ShowFormatDialog(int aDataType);

    // ---- Properties ----
    bool CharWrap() const { return m_charWrap; }
    void SetCharWrap(bool aValue);
    const QString &DisplayFormat() const { return m_displayFormat; }
    virtual void SetDisplayFormat(const QString &aValue);
    bool Save() const { return m_save; }
    void SetSave(bool aValue);
    int32_t SaveLength() const { return m_saveLength; }
    void SetSaveLength(int32_t aValue);
    // The save handler an old stream named ("OnSave"), for the report to
    // look up among its owner's methods.
    const QString &LegacySaveHandlerName() const { return m_legacySaveName; }
    TppGetTextEvent OnGetText;

    // ---- Groups breaking on the control ----
    void AddGroup(TppGroup *aGroup) override;
    void RemoveGroup(TppGroup *aGroup) override;
    int GroupCount() const { return int(m_groups.size()); }

    // Groups breaking on the control follow a new name.
    void SetName(const QString &aNewName) override;
    void SetUserName(const QString &aUserName) override;
    void DefineProperties(classes::TFiler &aFiler) override;
    // An old report named its save handler on the text; the report's owner
    // supplies the method of that name.
    void Convert(int aVersionNo) override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;

protected:
    // The canvas flags of the alignment; EDesignError for another value.
    unsigned alignmentFlags() const;

private:
    void renameInGroups(const QString &aOldName, const QString &aNewName);

    bool m_charWrap = false;
    std::vector<TppGroup *> m_groups;
    QString m_displayFormat;
    int16_t m_streamedSaveOrder = -1;
    bool m_save = false;
    int32_t m_saveLength = 0;
    QString m_legacySaveName;
};

} // namespace report
