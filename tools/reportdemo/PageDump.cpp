#include "PageDump.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/model/bands/Band.h"
#include "report/model/bands/Component.h"
#include "report/model/pages/DrawCommand.h"
#include "report/model/pages/Page.h"

#include <QStringList>

namespace reportdemo {

namespace {

QString dumpEscapedText(const QString &aText)
{
    QString result;
    result.reserve(aText.size());
    for (const QChar c : aText) {
        switch (c.unicode()) {
        case u'\\': result += QLatin1String("\\\\"); break;
        case u'\t': result += QLatin1String("\\t"); break;
        case u'\n': result += QLatin1String("\\n"); break;
        case u'\r': result += QLatin1String("\\r"); break;
        default: result += c;
        }
    }
    return result;
}

} // namespace

DumpDevice::DumpDevice(classes::TComponent *aOwner)
    : TraceDevice(aOwner)
{}

void DumpDevice::ReceivePage(report::TppPage *aPage)
{
    TraceDevice::ReceivePage(aPage);
    if (!m_keepDump || SkipPage() || !PageInRequest())
        return;
    const QString page = QString::number(aPage->AbsolutePageNo());
    for (int i = 0; i < aPage->DrawCommandCount(); ++i) {
        report::TppDrawCommand *command = aPage->DrawCommands(i);
        auto *component = dynamic_cast<report::TppComponent *>(command->Component());
        const QString band = component && component->Band() ? component->Band()->UserName() : QString();
        auto *text = dynamic_cast<report::TppDrawText *>(command);
        // Joined, not formatted with arg(): a text may hold "%1".
        const QStringList fields{page,
                                 command->ClassName(),
                                 band,
                                 QString::number(command->Left()),
                                 QString::number(command->Top()),
                                 QString::number(command->Width()),
                                 QString::number(command->Height()),
                                 text ? dumpEscapedText(text->Text()) : QString()};
        m_dump += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
}

} // namespace reportdemo
