#pragma once

// Edit styles and their controllers. An editor's style answers each value it
// has not been given itself from a controller: the editor's own one, else
// the process-wide default controller. A controller tells every editor that
// listens to it when one of its values changes.

#include "platform/classes/Component.h"
#include "platform/rtl/Colors.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace grid {

class InplaceEditor;
class TdxEditStyleController;

enum TdxEditBorderStyle : uint8_t { xbsNone, xbsSingle, xbsThick, xbsFlat, xbs3D };
enum TdxEditButtonViewStyle : uint8_t { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat };
enum TdxEditButtonTransparence : uint8_t { ebtNone, ebtInactive, ebtAlways, ebtHideInactive };

enum TdxEditEdge : uint8_t { edgLeft, edgTop, edgRight, edgBottom };
// A set of edges, bit n for TdxEditEdge n.
using TdxEditEdges = uint8_t;
constexpr TdxEditEdges edgAll = 0x0F;
constexpr TdxEditEdges EdgeBit(TdxEditEdge edge)
{
    return TdxEditEdges(1u << edge);
}

enum TdxEditStyleValue : uint8_t {
    svBorderColor,
    svBorderStyle,
    svButtonStyle,
    svButtonTransparence,
    svEdges,
    svHotTrack,
    svShadow
};
using TdxEditStyleValues = uint8_t;
constexpr TdxEditStyleValues ValueBit(TdxEditStyleValue value)
{
    return TdxEditStyleValues(1u << value);
}

using TdxStyleChangedEvent = classes::TEvent<void(classes::TObject *sender, classes::TObject *link)>;

class TdxEditStyle : public classes::TPersistent
{
    ZVO_CLASS(TdxEditStyle)
public:
    // Listens to the default controller for the editor while it lives.
    explicit TdxEditStyle(InplaceEditor *edit);
    ~TdxEditStyle() override;

    InplaceEditor *Edit() const { return m_edit; }

    TdxEditStyleValues AssignedValues() const { return m_assignedValues; }
    void SetAssignedValues(TdxEditStyleValues values);

    rtl::TColor BorderColor() const;
    void SetBorderColor(rtl::TColor value);
    TdxEditBorderStyle BorderStyle() const;
    void SetBorderStyle(TdxEditBorderStyle value);
    TdxEditButtonViewStyle ButtonStyle() const;
    void SetButtonStyle(TdxEditButtonViewStyle value);
    TdxEditButtonTransparence ButtonTransparence() const;
    void SetButtonTransparence(TdxEditButtonTransparence value);
    TdxEditEdges Edges() const;
    void SetEdges(TdxEditEdges value);
    bool HotTrack() const;
    void SetHotTrack(bool value);
    bool Shadow() const;
    void SetShadow(bool value);

    // From another style every value is read and set, so all become
    // assigned.
    void Assign(const classes::TPersistent *source) override;

    virtual void Changed();
    virtual rtl::TColor DefaultBorderColor() const;
    virtual TdxEditBorderStyle DefaultBorderStyle() const;
    virtual TdxEditButtonViewStyle DefaultButtonStyle() const;
    virtual TdxEditButtonTransparence DefaultButtonTransparence() const;
    virtual TdxEditEdges DefaultEdges() const;
    virtual bool DefaultHotTrack() const;
    virtual bool DefaultShadow() const;
    virtual TdxEditStyleController *GetDefaultStyleController() const;
    virtual void RestoreDefaults();

private:
    // The controller a default comes from: the editor's own, else the
    // default one; nullptr when neither exists.
    const TdxEditStyleController *source() const;
    bool isAssigned(TdxEditStyleValue value) const { return m_assignedValues & ValueBit(value); }
    template <class T>
    void set(TdxEditStyleValue value, T &field, T newValue);

    InplaceEditor *m_edit;
    TdxEditStyleValues m_assignedValues = 0;
    rtl::TColor m_borderColor = rtl::clWindowFrame;
    TdxEditBorderStyle m_borderStyle = xbs3D;
    TdxEditButtonViewStyle m_buttonStyle = btsDefault;
    TdxEditButtonTransparence m_buttonTransparence = ebtNone;
    TdxEditEdges m_edges = edgAll;
    bool m_hotTrack = false;
    bool m_shadow = false;
};

class TdxStyleController : public classes::TComponent
{
    ZVO_CLASS(TdxStyleController)
public:
    explicit TdxStyleController(classes::TComponent *owner);
    ~TdxStyleController() override;

    virtual void AddListener(InplaceEditor *edit);
    virtual void RemoveListener(InplaceEditor *edit);
    virtual void NotifyListener(InplaceEditor *edit);

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    // Tells every listener, in the order they came, unless an update
    // bracket is open or the controller is being loaded.
    void Changed();
    void Loaded() override;

    int ListenerCount() const { return int(m_listeners.size()); }
    bool HasListener(const InplaceEditor *edit) const;

    TdxStyleChangedEvent OnStyleChanged;

private:
    std::vector<InplaceEditor *> m_listeners; // not owned
    int32_t m_updateCount = 0;
};

class TdxEditStyleController : public TdxStyleController
{
    ZVO_CLASS(TdxEditStyleController)
public:
    explicit TdxEditStyleController(classes::TComponent *owner);

    rtl::TColor BorderColor() const { return m_borderColor; }
    void SetBorderColor(rtl::TColor value);
    TdxEditBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TdxEditBorderStyle value);
    TdxEditButtonViewStyle ButtonStyle() const { return m_buttonStyle; }
    void SetButtonStyle(TdxEditButtonViewStyle value);
    TdxEditButtonTransparence ButtonTransparence() const { return m_buttonTransparence; }
    void SetButtonTransparence(TdxEditButtonTransparence value);
    TdxEditEdges Edges() const { return m_edges; }
    void SetEdges(TdxEditEdges value);
    bool HotTrack() const { return m_hotTrack; }
    void SetHotTrack(bool value);
    bool Shadow() const { return m_shadow; }
    void SetShadow(bool value);

    // An editor with a controller of its own hears only that one.
    void NotifyListener(InplaceEditor *edit) override;
    virtual void RestoreDefaults();
    // Copies the seven values inside one update bracket.
    void Assign(const classes::TPersistent *source) override;

private:
    template <class T>
    void set(T &field, T value);

    rtl::TColor m_borderColor = rtl::clWindowFrame;
    TdxEditBorderStyle m_borderStyle = xbs3D;
    TdxEditButtonViewStyle m_buttonStyle = btsDefault;
    TdxEditButtonTransparence m_buttonTransparence = ebtNone;
    TdxEditEdges m_edges = edgAll;
    bool m_hotTrack = false;
    bool m_shadow = false;
};

class TdxCheckEditStyleController : public TdxEditStyleController
{
    ZVO_CLASS(TdxCheckEditStyleController)
public:
    explicit TdxCheckEditStyleController(classes::TComponent *owner);
    void RestoreDefaults() override;
};

// The process-wide default controllers. They are made on first use (or by
// InitEditStyleControllers) and freed by DoneEditStyleControllers, after
// which the answers are nullptr until the next InitEditStyleControllers.
TdxEditStyleController *DefaultEditStyleController();
TdxCheckEditStyleController *DefaultCheckEditStyleController();
void InitEditStyleControllers();
void DoneEditStyleControllers();

} // namespace grid
