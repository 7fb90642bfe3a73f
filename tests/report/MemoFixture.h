#pragma once

// A report over a memory pipeline ("Key", "Text") whose detail band holds a
// stretching data memo of the text, measured on a fake 600 dpi printer where
// every character is 2,540 thousandths of a mm wide and every line 5,080
// high. A4 with 10 mm margins, header and footer of 20 mm: the body runs
// from 30 mm to 267 mm, 46 memo lines a page.

#include "tests/support/report/BandSequence.h"
#include "tests/support/report/FakePrinters.h"
#include "tests/support/report/MemoryPipeline.h"
#include "tests/support/report/SamplePage.h"

#include "report/content/drawcommands/DrawText.h"
#include "report/content/text/Memo.h"
#include "report/model/ModelRegistration.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/bands/DetailBand.h"
#include "report/model/base/Units.h"
#include "report/model/engine/Engine.h"
#include "report/model/pages/Page.h"
#include "report/model/pages/PageRequest.h"
#include "report/model/printing/Printer.h"

#include "platform/gfx/TextMeasurer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace memotest {

using namespace report;
using namespace reporttest;

constexpr int32_t CharMM = 2540;
constexpr int32_t LineMM = 5080;
constexpr int32_t BodyTop = 30000;
constexpr int LinesPerPage = 46;

class MeasuredReport : public RecordingReport
{
public:
    const PrinterResolution *Printer() const override { return printer; }
    TppPrinter *printer = nullptr;
};

// One memo draw command as a page holds it.
struct MemoText
{
    QString name;
    int32_t top = 0;
    int32_t height = 0;
    QStringList lines;
    const TppDrawText *command = nullptr;
};

class MemoFixture : public ::testing::Test
{
protected:
    MemoFixture()
    {
        ppModelLayerInit();
        printer.SetPrinterName(QStringLiteral("Office"));
        report.printer = &printer;
        SetA4Portrait(*report.PrinterSetup());
        data.AddField(QStringLiteral("Key"));
        data.AddField(QStringLiteral("Text"));
        report.SetPageLimit(30);
        report.AddBand<TppHeaderBand>(20000, QStringLiteral("Header"));
        report.AddBand<TppFooterBand>(20000, QStringLiteral("Footer"));
        detail = report.AddBand<TppDetailBand>(5000, QStringLiteral("Detail"));
        memo = addMemo<TppDBMemo>(0, 20);
        memo->SetDataPipeline(&data);
        memo->SetDataField(QStringLiteral("Text"));
        report.OnEndPage.Set([this](classes::TObject *) { readPage(); });
    }

    // A stretching memo of `chars` characters' width at aTop in the detail.
    template <class Memo>
    Memo *addMemo(int32_t aTop, int aChars)
    {
        auto *m = new Memo();
        m->SetBand(detail);
        m->SetBounds(10000, aTop, aChars * CharMM + 1, LineMM);
        m->SetStretch(true);
        return m;
    }

    void readPage()
    {
        QList<MemoText> texts;
        const TppPage *page = engine()->Page();
        for (int i = 0; i < page->DrawCommandCount(); ++i) {
            const auto *text = dynamic_cast<const TppDrawText *>(page->DrawCommands(i));
            if (!text || !text->IsMemo())
                continue;
            MemoText entry;
            if (auto *owner = dynamic_cast<TppCommunicator *>(text->Component()))
                entry.name = owner->UserName();
            entry.top = text->Top();
            entry.height = text->Height();
            for (int l = 0; l < text->WrappedText()->Count(); ++l)
                entry.lines << text->WrappedText()->Strings(l);
            entry.command = text;
            texts << entry;
        }
        memoPages << texts;
    }

    void rows(const QStringList &aTexts)
    {
        for (int i = 0; i < aTexts.size(); ++i)
            data.AddRow({QString::number(i + 1), aTexts[i]});
        report.SetDataPipeline(&data);
    }

    void generate(TppPageSettingType aSetting = TppPageSettingType::psAll, int aPage = 1)
    {
        TppPageRequest request;
        request.SetPageSetting(aSetting);
        request.SetPageRequested(aPage);
        engine()->GeneratePage(request);
    }

    TppEngine *engine() { return static_cast<TppEngine *>(report.Engine()); }

    // Every word of the named memo's lines, page after page.
    QStringList printedWords(const QString &aName = QString()) const
    {
        QStringList words;
        for (const QList<MemoText> &page : memoPages)
            for (const MemoText &text : page)
                if (aName.isEmpty() || text.name == aName)
                    for (QString line : text.lines)
                        words << line.remove(QStringLiteral("$\u00B6"))
                                     .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        return words;
    }

    static QString wordsText(int aCount, QStringList *aWords = nullptr)
    {
        QStringList words;
        for (int i = 1; i <= aCount; ++i)
            words << QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0'));
        if (aWords)
            *aWords = words;
        return words.join(u' ');
    }

    ScopedScreenPixelsPerInch screen{96};
    gfx::FixedTextMeasurer measurer{60, 120, 96};
    FakePrinters fake;
    // The printer list is made with the first printer: the fake's printer
    // has to be there before.
    bool officeAdded = (fake->add("Office"), fake->setMeasurer(&measurer), true);
    TppPrinter printer;
    MemoryPipeline data;
    MeasuredReport report;
    TppDetailBand *detail = nullptr;
    TppDBMemo *memo = nullptr;
    QList<QList<MemoText>> memoPages;
};

} // namespace memotest
