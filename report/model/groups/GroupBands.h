#pragma once

// The bands of a group: its header, printed when the group starts (and again
// at the top of later pages and columns), and its footer, printed when it
// ends. Their order in the report follows the group's: headers outer first,
// footers inner first.

#include "report/model/bands/CustomBand.h"

namespace report {

class TppGroup;

class TppGroupBand : public TppCustomBand
{
    ZVO_CLASS(TppGroupBand)
public:
    explicit TppGroupBand(classes::TComponent *aOwner);
    // Leaves its group.
    ~TppGroupBand() override;

    TppGroup *Group() const { return m_group; }
    // Links both sides: the group takes the band as its header or footer.
    virtual void SetGroup(TppGroup *aGroup);
    classes::TComponent *BandGroup() const override;
    // The group's index in the report, -1 without one.
    int GroupIndex() const;
    QString GetDefaultCaption() const override;
    void UpdateCaption() override;
    QString Description() const;
    // Groups: the designer's group editor.
    void BuildPopupMenu(IppPopupMenu &aMenu) override;
    void UpdatePopupMenu(IppPopupMenu &aMenu) override;

    bool Breaking() const { return m_breaking; }
    void SetBreaking(bool aValue) { m_breaking = aValue; }
    void InitObjects() override;
    void Notify(TppCommunicator *aCommunicator, int aOperation) override;
    // A stream names the group as the parent of its bands.
    void SetParentComponent(classes::TComponent *aParent) override;

protected:
    // The group side of the link, without calling back.
    virtual void attachToGroup(TppGroup *aGroup) = 0;
    virtual void detachFromGroup(TppGroup *aGroup) = 0;
    void SaveExtra(uint8_t *aBytes) const override { aBytes[0] = m_breaking; }
    void RestoreExtra(const uint8_t *aBytes) override { m_breaking = aBytes[0] != 0; }

    TppGroup *m_group = nullptr;
    bool m_breaking = false;

private:
    friend class TppGroup;
};

class TppGroupHeaderBand : public TppGroupBand
{
    ZVO_CLASS(TppGroupHeaderBand)
public:
    explicit TppGroupHeaderBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override;
    int GetBandKind() const override;
    int BandTypeCode() const override { return 3; }
    void InitObjects() override;
    void StartGeneration() override;
    void AfterSpaceStep() override;
    void EndGeneration() override;

    bool AlreadyPageBreak() const { return m_pageBreakDone; }
    void SetAlreadyPageBreak(bool aValue) { m_pageBreakDone = aValue; }
    bool AlreadyColumnBreak() const { return m_columnBreakDone; }

protected:
    void attachToGroup(TppGroup *aGroup) override;
    void detachFromGroup(TppGroup *aGroup) override;
    void SaveExtra(uint8_t *aBytes) const override;
    void RestoreExtra(const uint8_t *aBytes) override;

private:
    bool m_columnBreakDone = false;
    bool m_pageBreakDone = false;
};

class TppGroupFooterBand : public TppGroupBand
{
    ZVO_CLASS(TppGroupFooterBand)
public:
    explicit TppGroupFooterBand(classes::TComponent *aOwner = nullptr);
    QString GetSortKey() const override;
    int GetBandKind() const override { return 128; }
    int BandTypeCode() const override { return 5; }
    void StartGeneration() override;
    void EndGeneration() override;

protected:
    void attachToGroup(TppGroup *aGroup) override;
    void detachFromGroup(TppGroup *aGroup) override;
};

} // namespace report
