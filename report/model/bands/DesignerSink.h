#pragma once

// What a report object tells an attached designer: numbered designer
// messages, sent (handled before the call returns) or posted (handled when
// the designer's event loop comes round). A report holds the sink of its
// designer; without one nothing is told.

#include <QString>

#include <any>
#include <cstdint>

namespace classes {
class TComponent;
class TMetaClass;
class TObject;
} // namespace classes

namespace report {

// The messages of report objects; the designer's word is always 5050.
namespace ppDesignerMsg {
constexpr int NameChanged = 1124;
constexpr int BandHeightChanged = 1125;
constexpr int Destroyed = 1128;
constexpr int PropertyChanged = 1131;
constexpr int DataPipelineChanged = 1132;
constexpr int EditGroups = 1130;
constexpr int CreateDesignControl = 1136;
constexpr int CreateBandDesignControl = 1137;
constexpr int BandDestroyed = 1140;
constexpr int ParentSizeChanged = 1144;
constexpr int ObjectAdded = 1151;
constexpr int ObjectRemoved = 1152;
constexpr int ZOrderChanged = 1153;
constexpr uint16_t WParam = 5050;
} // namespace ppDesignerMsg

// Communicator state flags that report objects share.
namespace ppState {
constexpr uint16_t Design = 1;        // shown in a designer
constexpr uint16_t DesignData = 8;    // the designer shows data
constexpr uint16_t Quiet = 64;        // changes are not told to the designer
constexpr uint16_t FirstLoad = 128;   // this flag and all above: template work
constexpr uint16_t DesignOnly = 2048; // a report module kept only in a designer
} // namespace ppState

class IppDesignerSink
{
public:
    virtual void SendDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) = 0;
    virtual void PostDesignerMessage(int aMsg, uint16_t aWParam, classes::TObject *aLParam) = 0;

protected:
    ~IppDesignerSink() = default;
};

// What a designer hands report objects as their host object when they make
// components of their own (a subreport's child report, a report's bands):
// the designer makes the component of the class, placing and sizing it
// itself where a number is -1, and answers it (nullptr when it made none).
class IppComponentCreator
{
public:
    virtual classes::TComponent *CreateComponent(const classes::TMetaClass &aClass, classes::TComponent *aParent,
                                                 int aLeft, int aTop, int aWidth, int aHeight) = 0;

protected:
    ~IppComponentCreator() = default;
};

// What a designer that is a report's host object does besides hearing its
// messages: it keeps the state of change that its window shows, and it
// supplies the event handlers that a template read into its form names but
// the form lacks (it makes them, or offers the ones it keeps).
class IppDesignerHost
{
public:
    // The report was changed (true), or saved or loaded (false).
    virtual void ReportModified(classes::TComponent *aReport, bool aModified) = 0;
    // The handler aMethodName that a component read into aRoot refers to:
    // true when the designer supplies it. aAddress may stay nullptr; the
    // name is then kept and the designer makes the handler itself.
    virtual bool SupplyMethod(classes::TComponent *aRoot, const QString &aMethodName, const std::any *&aAddress) = 0;

protected:
    ~IppDesignerHost() = default;
};

} // namespace report
