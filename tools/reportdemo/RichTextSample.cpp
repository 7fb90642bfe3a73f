#include "RichTextSample.h"

#include "tests/support/report/SamplePage.h"

#include "report/content/richtext/RichText.h"
#include "report/model/bands/BandClasses.h"
#include "report/model/printing/PrinterSetup.h"
#include "report/model/reports/Report.h"

namespace reportdemo {

namespace {

constexpr int32_t richTextSampleMargin = 10000;
constexpr int32_t richTextSampleWidth = 210000 - 2 * richTextSampleMargin;
constexpr int richTextSampleParagraphs = 66;

} // namespace

QByteArray RichTextSampleRtf()
{
    static const char *const words[] = {"report",  "engine", "paper",  "column", "margin", "record", "stretch",
                                        "ribbon",  "header", "footer", "symbol", "ledger", "volume", "quartz",
                                        "harbour", "window", "marble", "jungle", "cobalt", "pebble"};
    static const char *const alignments[] = {"\\ql", "\\qj", "\\qc", "\\qr"};
    // One character of another script per paragraph: e, sharp s, euro,
    // lambda, zhe, omega.
    static const int extra[] = {233, 223, 8364, 955, 1046, 937};
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}"
                     "{\\f2\\fmodern Courier New;}}{\\colortbl;\\red0\\green0\\blue0;\\red180\\green0\\blue0;"
                     "\\red0\\green110\\blue0;\\red0\\green0\\blue170;}\r\n";
    int w = 0;
    for (int p = 0; p < richTextSampleParagraphs; ++p) {
        rtf += "\\pard" + QByteArray(alignments[p % 4]) + "\\sa120";
        if (p % 5 == 0) {
            rtf += "\\tx2000\\tx5000\\f2\\fs20\\cf4 Item " + QByteArray::number(p) + "\\tab tab\\tab stop\\tab " +
                   "\\u" + QByteArray::number(extra[p % 6]) + "?\\par\r\n";
            continue;
        }
        rtf += "\\f" + QByteArray::number(p % 2) + "\\fs" + QByteArray::number(20 + 2 * (p % 4)) + "\\cf1 ";
        for (int k = 0; k < 24; ++k) {
            const QByteArray word = words[w++ % 20];
            if (k % 7 == 1)
                rtf += "{\\b " + word + "}";
            else if (k % 7 == 3)
                rtf += "{\\i " + word + "}";
            else if (k % 7 == 5)
                rtf += "{\\cf" + QByteArray::number(2 + (p + k) % 3) + ' ' + word + "}";
            else
                rtf += word;
            rtf += ' ';
        }
        rtf += "\\u" + QByteArray::number(extra[p % 6]) + "? " + QByteArray::number(p) + "\\par\r\n";
    }
    return rtf + "}";
}

std::unique_ptr<report::TppReport> CreateRichTextSample()
{
    auto result = std::make_unique<report::TppReport>();
    report::TppReport &r = *result;
    reporttest::SetA4Portrait(*r.PrinterSetup(), richTextSampleMargin);
    auto *title = new report::TppTitleBand(nullptr);
    title->SetReport(&r);
    title->SetmmHeight(20000);
    title->SetUserName(QStringLiteral("Title"));
    title->SetPrintHeight(report::TppPrintHeightType::phDynamic);
    auto *text = new report::TppRichText;
    text->SetBand(title);
    text->SetBounds(0, 0, richTextSampleWidth, 20000);
    text->SetStretch(true);
    text->SetTransparent(true);
    text->SetRichText(QString::fromLatin1(RichTextSampleRtf()));
    return result;
}

} // namespace reportdemo
