#pragma once

// Stand-ins for the page traffic: draw commands of a text and a line, an
// outline command under the name the outline registers, a page factory, a
// producer that answers the publisher's request for pages from a script,
// and devices that record what they are told.

#include "report/model/outline/OutlineDrawCommand.h"
#include "report/model/pages/Device.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/pages/Publisher.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace reporttest {

// A text draw command: its text and font size take part in IsEqual.
class StandInTextCommand : public report::TppDrawCommand
{
    ZVO_CLASS(StandInTextCommand)
public:
    explicit StandInTextCommand(classes::TComponent *aOwner = nullptr)
        : TppDrawCommand(aOwner)
    {}
    bool IsEqual(const report::TppDrawCommand *aDrawCommand) const override;
    void Assign(const classes::TPersistent *source) override;

    QString Text;
    int32_t FontSize = 10;
};

// A line draw command with a pen width.
class StandInLineCommand : public report::TppDrawCommand
{
    ZVO_CLASS(StandInLineCommand)
public:
    explicit StandInLineCommand(classes::TComponent *aOwner = nullptr)
        : TppDrawCommand(aOwner)
    {}
    bool IsEqual(const report::TppDrawCommand *aDrawCommand) const override;
    void Assign(const classes::TPersistent *source) override;

    int32_t PenWidth = 1;
};

// A command whose value is known only later: each Recalculate counts, and
// answers Changes (whether a device must draw it again).
class StandInRecalcCommand : public report::TppDrawCommand
{
    ZVO_CLASS(StandInRecalcCommand)
public:
    explicit StandInRecalcCommand(classes::TComponent *aOwner = nullptr)
        : TppDrawCommand(aOwner)
    {}
    bool NeedsRecalculation() const override { return true; }
    bool Recalculate() override
    {
        ++Recalculations;
        return Changes;
    }
    void Assign(const classes::TPersistent *source) override;

    int Recalculations = 0;
    bool Changes = true;
};

// An outline command without a tree.
class StandInOutlineCommand : public report::TppOutlineDrawCommand
{
    ZVO_CLASS(StandInOutlineCommand)
public:
    explicit StandInOutlineCommand(classes::TComponent *aOwner = nullptr)
        : TppOutlineDrawCommand(aOwner)
    {}
};

// Registers the stand-in commands with the class registry while it lives,
// and the outline command's class unless the library registered it.
class StandInCommandClasses
{
public:
    StandInCommandClasses();
    ~StandInCommandClasses();
    StandInCommandClasses(const StandInCommandClasses &) = delete;
    StandInCommandClasses &operator=(const StandInCommandClasses &) = delete;

private:
    bool m_outlineClass = false;
};

// A page numbered aPageNo holding aCommands commands, text and line in
// turn, each at its own place.
std::unique_ptr<report::TppPage> makePage(int aPageNo, int aCommands);

// What the stand-in producer's report looks like.
struct ProducerScript
{
    int pageCount = 0;
    // The count on each page: the report's (known) or the page's own number.
    bool countKnown = true;
    // Every request generates all pages as calculation pages first, once.
    bool twoPass = false;
    // Pages delivered not final (a preview of a page that may change).
    bool finalPages = true;
    // The control group break of each page (numbering restarts with it).
    std::function<int(int)> groupOf;
    int commandsPerPage = 2;
};

// Answers event 100 of its publisher: generates the pages of its script in
// order and hands each to the publisher until the merged request is met.
class StandInProducer : public report::TppCommunicator
{
public:
    StandInProducer(report::TppPublisher *aPublisher, ProducerScript aScript);
    ~StandInProducer() override;

    void EventNotify(report::TppCommunicator *aCommunicator, int aEventID, report::TraParamList *aParams) override;
    // Forgets a publisher that goes (a page hook may free the report that
    // owns it while pages are generated).
    void Notify(report::TppCommunicator *aCommunicator, int aOperation) override;

    ProducerScript Script;
    int Generations = 0; // events 100 answered
    int PagesMade = 0;
    // Runs before a page goes to the publisher.
    std::function<void(report::TppPage &)> BeforeDeliver;

private:
    std::unique_ptr<report::TppPage> makeScriptPage(int aPageNo, bool aCalculation) const;
    report::TppPublisher *m_publisher;
    bool m_firstPassDone = false;
};

// What a recording device saw of one page.
struct ReceivedPage
{
    int pageNo = 0;
    bool skipped = false;
    bool inRequest = false;
};

// Records job calls ("StartJob", "EndJob", "CancelJob", "Reset"), the pages
// received and the requests handed over.
class RecordingDevice : public report::TppDevice
{
    ZVO_CLASS(RecordingDevice)
public:
    explicit RecordingDevice(classes::TComponent *aOwner = nullptr);

    bool FinalPagesOnly() const override { return FinalOnly; }
    void StartJob() override;
    void EndJob() override;
    void CancelJob() override;
    void Reset() override;
    void ReceivePage(report::TppPage *aPage) override;
    bool Draw(report::TppDrawCommand *aDrawCommand) override;
    bool RedrawDrawCommand(report::TppDrawCommand *aDrawCommand) override;

    // Asks for one page, a list or all pages before the next Publish.
    void wantPage(int aPageNo);
    void wantPages(const QStringList &aPages);
    void wantAll(report::TppPageRangeType aRange = report::TppPageRangeType::prAll);

    // The page numbers received and not skipped.
    QList<int> shownPages() const;

    bool FinalOnly = true;
    QStringList Calls;
    std::vector<ReceivedPage> Pages;
    std::vector<std::unique_ptr<report::TppPageRequest>> Requests;
    QList<int> Drawn;   // Left of each command drawn
    QList<int> Redrawn; // Left of each command drawn again
    // Runs inside ReceivePage, after the base (it may free the device).
    std::function<void(RecordingDevice &, report::TppPage &)> OnReceived;
};

// A device registered as the screen ("Screen", class "TppScreenDevice").
class ScreenStandInDevice : public RecordingDevice
{
    ZVO_CLASS(ScreenStandInDevice)
public:
    explicit ScreenStandInDevice(classes::TComponent *aOwner = nullptr);
    static QString ClassDeviceName() { return QStringLiteral("Screen"); }
    QString DeviceName() const override { return ClassDeviceName(); }
};

// A device registered as the printer ("Printer").
class PrinterStandInDevice : public RecordingDevice
{
    ZVO_CLASS(PrinterStandInDevice)
public:
    explicit PrinterStandInDevice(classes::TComponent *aOwner = nullptr)
        : RecordingDevice(aOwner)
    {}
    static QString ClassDeviceName() { return QStringLiteral("Printer"); }
    QString DeviceName() const override { return ClassDeviceName(); }
};

} // namespace reporttest
