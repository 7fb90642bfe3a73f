#pragma once

// The outline settings of a participant (TppOutlineSettings: whether it
// makes a node) and of a report (TppOutlineReportSettings: whether the
// report keeps an outline at all, shows it, and adds a node per page).
// Every change tells the owning participant, except while it is loaded.

#include "platform/classes/Persistent.h"

namespace classes {
class TComponent;
} // namespace classes

namespace report {

class TppOutlineSettings : public classes::TPersistent
{
    ZVO_CLASS(TppOutlineSettings)
public:
    explicit TppOutlineSettings(classes::TComponent *aOwner = nullptr);

    bool CreateNode() const { return m_createNode; }
    void SetCreateNode(bool aValue);

    // CreateNode, and the report settings' CreatePageNodes and Enabled;
    // Visible is not copied.
    void Assign(const classes::TPersistent *source) override;
    classes::TPersistent *GetOwner() const override;

protected:
    // Tells the owner through its participant interface.
    void changed();

private:
    classes::TComponent *m_owner;
    bool m_createNode = true;
};

class TppOutlineReportSettings : public TppOutlineSettings
{
    ZVO_CLASS(TppOutlineReportSettings)
public:
    explicit TppOutlineReportSettings(classes::TComponent *aOwner = nullptr);

    bool CreatePageNodes() const { return m_createPageNodes; }
    void SetCreatePageNodes(bool aValue);
    // Off also hides the outline.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool aValue);
    // Cannot be turned on while the outline is not enabled.
    bool Visible() const { return m_visible; }
    void SetVisible(bool aValue);

    void Assign(const classes::TPersistent *source) override;

private:
    bool m_createPageNodes = true;
    bool m_enabled = true;
    bool m_visible = true;
};

} // namespace report
