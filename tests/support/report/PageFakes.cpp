#include "tests/support/report/PageFakes.h"

#include "report/model/objects/EventIds.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/StringList.h"

namespace reporttest {

using report::TppDrawCommand;
using report::TppPage;

// ---- Draw commands ----------------------------------------------------------------

const classes::TMetaClass &StandInTextCommand::StaticClass()
{
    using C = StandInTextCommand;
    static const classes::TMetaClass meta =
        classes::MakeClass<C, TppDrawCommand>("StandInTextCommand", [](classes::TClassBuilder<C> &c) {
            c.Integer("FontSize", &C::FontSize, &C::FontSize);
            c.String("Text", &C::Text, &C::Text);
        });
    return meta;
}

bool StandInTextCommand::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const StandInTextCommand *>(aDrawCommand);
    return other && TppDrawCommand::IsEqual(aDrawCommand) && other->Text == Text && other->FontSize == FontSize;
}

void StandInTextCommand::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    if (const auto *other = dynamic_cast<const StandInTextCommand *>(source)) {
        Text = other->Text;
        FontSize = other->FontSize;
    }
}

const classes::TMetaClass &StandInLineCommand::StaticClass()
{
    using C = StandInLineCommand;
    static const classes::TMetaClass meta = classes::MakeClass<C, TppDrawCommand>(
        "StandInLineCommand", [](classes::TClassBuilder<C> &c) { c.Integer("PenWidth", &C::PenWidth, &C::PenWidth); });
    return meta;
}

bool StandInLineCommand::IsEqual(const TppDrawCommand *aDrawCommand) const
{
    const auto *other = dynamic_cast<const StandInLineCommand *>(aDrawCommand);
    return other && TppDrawCommand::IsEqual(aDrawCommand) && other->PenWidth == PenWidth;
}

void StandInLineCommand::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    if (const auto *other = dynamic_cast<const StandInLineCommand *>(source))
        PenWidth = other->PenWidth;
}

const classes::TMetaClass &StandInRecalcCommand::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<StandInRecalcCommand, TppDrawCommand>("StandInRecalcCommand");
    return meta;
}

void StandInRecalcCommand::Assign(const classes::TPersistent *source)
{
    TppDrawCommand::Assign(source);
    if (const auto *other = dynamic_cast<const StandInRecalcCommand *>(source))
        Changes = other->Changes;
}

const classes::TMetaClass &StandInOutlineCommand::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<StandInOutlineCommand, report::TppOutlineDrawCommand>("StandInOutlineCommand");
    return meta;
}

StandInCommandClasses::StandInCommandClasses()
{
    classes::RegisterClasses({&StandInTextCommand::StaticClass(), &StandInLineCommand::StaticClass(),
                              &StandInRecalcCommand::StaticClass(), &StandInOutlineCommand::StaticClass()});
    m_outlineClass = !classes::GetClass(report::TppOutlineDrawCommand::StaticClass().ClassName());
    if (m_outlineClass)
        classes::RegisterClass(report::TppOutlineDrawCommand::StaticClass());
}

StandInCommandClasses::~StandInCommandClasses()
{
    classes::UnRegisterClasses({&StandInTextCommand::StaticClass(), &StandInLineCommand::StaticClass(),
                                &StandInRecalcCommand::StaticClass(), &StandInOutlineCommand::StaticClass()});
    if (m_outlineClass)
        classes::UnRegisterClass(report::TppOutlineDrawCommand::StaticClass());
}

std::unique_ptr<TppPage> makePage(int aPageNo, int aCommands)
{
    auto page = std::make_unique<TppPage>();
    page->SetAbsolutePageNo(aPageNo);
    page->SetPageNo(aPageNo);
    page->SetFinal(true);
    for (int i = 0; i < aCommands; ++i) {
        TppDrawCommand *command = nullptr;
        if (i % 2 == 0) {
            auto *text = new StandInTextCommand();
            text->Text = QStringLiteral("Line %1 of page %2").arg(i).arg(aPageNo);
            command = text;
        } else {
            auto *line = new StandInLineCommand();
            line->PenWidth = 1 + i % 4;
            command = line;
        }
        command->SetLeft(6350 + (i % 10) * 19000);
        command->SetTop(6350 + (i / 10) * 4500);
        command->SetWidth(18000);
        command->SetHeight(4233);
        command->SetPage(page.get());
    }
    return page;
}

// ---- Producer ------------------------------------------------------------------------

StandInProducer::StandInProducer(report::TppPublisher *aPublisher, ProducerScript aScript)
    : TppCommunicator(nullptr)
    , Script(std::move(aScript))
    , m_publisher(aPublisher)
{
    SubscribeEvent(report::ppEvent::PageRequest);
    aPublisher->AddEventNotify(this);
}

StandInProducer::~StandInProducer()
{
    BeforeDestruction();
}

std::unique_ptr<TppPage> StandInProducer::makeScriptPage(int aPageNo, bool aCalculation) const
{
    auto page = makePage(aPageNo, Script.commandsPerPage);
    const int count = Script.pageCount;
    page->SetAbsolutePageCount(Script.countKnown || aCalculation ? count : aPageNo);
    page->SetFirstPage(aPageNo == 1);
    page->SetLastPage(aPageNo == count);
    page->SetCalculation(aCalculation);
    page->SetFinal(aCalculation || Script.finalPages);
    if (Script.groupOf) {
        const int group = Script.groupOf(aPageNo);
        int first = aPageNo;
        while (first > 1 && Script.groupOf(first - 1) == group)
            --first;
        int last = aPageNo;
        while (last < count && Script.groupOf(last + 1) == group)
            ++last;
        page->SetControlGroupBreakNo(group);
        page->SetPageNo(aPageNo - first + 1);
        page->SetPageCount(Script.countKnown ? last - first + 1 : aPageNo - first + 1);
    } else {
        page->SetPageCount(page->AbsolutePageCount());
    }
    return page;
}

void StandInProducer::EventNotify(report::TppCommunicator *aCommunicator, int aEventID, report::TraParamList *aParams)
{
    TppCommunicator::EventNotify(aCommunicator, aEventID, aParams);
    if (aEventID != report::ppEvent::PageRequest || aCommunicator != m_publisher)
        return;
    ++Generations;
    if (Script.twoPass && !m_firstPassDone) {
        m_firstPassDone = true;
        for (int no = 1; no <= Script.pageCount && m_publisher; ++no) {
            auto page = makeScriptPage(no, true);
            ++PagesMade;
            m_publisher->ReceivePage(page.get());
        }
    }
    for (int no = 1; no <= Script.pageCount && m_publisher && !m_publisher->RequestComplete(); ++no) {
        auto page = makeScriptPage(no, false);
        ++PagesMade;
        if (BeforeDeliver)
            BeforeDeliver(*page);
        if (m_publisher)
            m_publisher->ReceivePage(page.get());
    }
}

void StandInProducer::Notify(report::TppCommunicator *aCommunicator, int aOperation)
{
    if (aOperation == report::ppNotify::Remove && aCommunicator == m_publisher)
        m_publisher = nullptr;
    TppCommunicator::Notify(aCommunicator, aOperation);
}

// ---- Devices ---------------------------------------------------------------------------

const classes::TMetaClass &RecordingDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<RecordingDevice, report::TppDevice>("RecordingDevice");
    return meta;
}

RecordingDevice::RecordingDevice(classes::TComponent *aOwner)
    : TppDevice(aOwner)
{
    OnPageRequest.Set([this](classes::TObject *) {
        auto copy = std::make_unique<report::TppPageRequest>();
        copy->Assign(PageRequest());
        Requests.push_back(std::move(copy));
    });
}

void RecordingDevice::StartJob()
{
    Calls.append(QStringLiteral("StartJob"));
    TppDevice::StartJob();
}

void RecordingDevice::EndJob()
{
    Calls.append(QStringLiteral("EndJob"));
    TppDevice::EndJob();
}

void RecordingDevice::CancelJob()
{
    Calls.append(QStringLiteral("CancelJob"));
    TppDevice::CancelJob();
}

void RecordingDevice::Reset()
{
    Calls.append(QStringLiteral("Reset"));
    TppDevice::Reset();
}

void RecordingDevice::ReceivePage(TppPage *aPage)
{
    const std::weak_ptr<char> alive = LifeToken();
    TppDevice::ReceivePage(aPage);
    if (alive.expired())
        return;
    Pages.push_back({aPage->AbsolutePageNo(), SkipPage(), PageInRequest()});
    if (OnReceived)
        OnReceived(*this, *aPage);
}

bool RecordingDevice::Draw(TppDrawCommand *aDrawCommand)
{
    Drawn.append(aDrawCommand->Left());
    return true;
}

bool RecordingDevice::RedrawDrawCommand(TppDrawCommand *aDrawCommand)
{
    Redrawn.append(aDrawCommand->Left());
    return true;
}

void RecordingDevice::wantPage(int aPageNo)
{
    PageRequest()->Reset();
    PageRequest()->SetPageSetting(report::TppPageSettingType::psSinglePage);
    PageRequest()->SetPageRequested(aPageNo);
}

void RecordingDevice::wantPages(const QStringList &aPages)
{
    PageRequest()->Reset();
    PageRequest()->SetPageSetting(report::TppPageSettingType::psPageList);
    for (const QString &page : aPages)
        PageRequest()->PageList()->Add(page);
}

void RecordingDevice::wantAll(report::TppPageRangeType aRange)
{
    PageRequest()->Reset();
    PageRequest()->SetPageRange(aRange);
}

QList<int> RecordingDevice::shownPages() const
{
    QList<int> shown;
    for (const ReceivedPage &page : Pages)
        if (!page.skipped)
            shown.append(page.pageNo);
    return shown;
}

const classes::TMetaClass &ScreenStandInDevice::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<ScreenStandInDevice, RecordingDevice>("TppScreenDevice");
    return meta;
}

ScreenStandInDevice::ScreenStandInDevice(classes::TComponent *aOwner)
    : RecordingDevice(aOwner)
{
    FinalOnly = false;
}

const classes::TMetaClass &PrinterStandInDevice::StaticClass()
{
    static const classes::TMetaClass meta =
        classes::MakeClass<PrinterStandInDevice, RecordingDevice>("PrinterStandInDevice");
    return meta;
}

} // namespace reporttest
