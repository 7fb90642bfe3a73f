#include "report/model/base/LanguageModule.h"

#include "platform/rtl/QtFileText.h"

#include <QStringDecoder>

namespace report {

namespace {

// Resource ids are 16-bit numbers.
constexpr int MaxId = 65535;

bool parseId(QStringView digits, int &id)
{
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return false;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > MaxId)
        return false;
    id = value;
    return true;
}

QString unescape(const QString &text)
{
    if (!text.contains(u'\\'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[i + 1];
        if (next == u'n')
            out += u'\n';
        else if (next == u't')
            out += u'\t';
        else if (next == u'\\')
            out += u'\\';
        else {
            // Not one of ours: both characters stay as written.
            out += c;
            out += next;
        }
        ++i;
    }
    return out;
}

} // namespace

std::unique_ptr<LanguageModule> LanguageModule::parse(const QByteArray &data)
{
    if (data.size() > MaxFileSize || data.contains('\0'))
        return nullptr;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return nullptr;
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    auto module = std::unique_ptr<LanguageModule>(new LanguageModule);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = QStringView(text).sliced(start, end - start);
        start = end + 1;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        int id = 0;
        if (!parseId(line.first(eq), id))
            continue;
        module->m_texts.insert(id, unescape(line.sliced(eq + 1).toString()));
    }
    return module;
}

std::unique_ptr<LanguageModule> LanguageModule::load(const QString &fileName)
{
    // A pipe beside the program in the module's place would otherwise hold
    // up every report that asks for a message.
    const rtl::FileText read = rtl::readWholeFile(fileName, {.limit = MaxFileSize});
    if (!read)
        return nullptr;
    return parse(QByteArray::fromStdString(read.text));
}

} // namespace report
