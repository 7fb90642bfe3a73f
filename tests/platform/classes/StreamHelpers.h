#pragma once

// Byte-level helpers of the class-layer tests: the data files, conversions
// between byte arrays and streams, and writing a tree to compare it.

#include "SampleClasses.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <QByteArray>
#include <QFile>

#include <memory>

namespace sample {

inline QString dataFile(const char *name)
{
    return qEnvironmentVariable("ZVO_SOURCE_DIR") + QStringLiteral("/tests/platform/classes/data/") +
           QString::fromLatin1(name);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

inline QByteArray readDataFile(const char *name)
{
    return readFile(dataFile(name));
}

// Pairs of hexadecimal digits; '#' comments to the end of the line.
inline QByteArray parseHex(const QByteArray &text)
{
    QByteArray out;
    for (QByteArray line : text.split('\n')) {
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0)
            line.truncate(hash);
        for (const QByteArray &token : line.simplified().split(' '))
            if (!token.isEmpty())
                out.append(char(token.toInt(nullptr, 16)));
    }
    return out;
}

inline void load(TMemoryStream &stream, const QByteArray &bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.constData(), bytes.size());
    stream.SetPosition(0);
}

inline QByteArray bytesOf(TMemoryStream &stream)
{
    return QByteArray(stream.Memory(), qsizetype(stream.Size()));
}

inline QByteArray toText(const QByteArray &binary)
{
    TMemoryStream in, out;
    load(in, binary);
    ObjectBinaryToText(in, out);
    return bytesOf(out);
}

inline QByteArray toBinary(const QByteArray &text)
{
    TMemoryStream in, out;
    load(in, text);
    ObjectTextToBinary(in, out);
    return bytesOf(out);
}

inline QByteArray writeRoot(TComponent *root)
{
    TMemoryStream out;
    out.WriteComponent(root);
    return bytesOf(out);
}

inline QByteArray writeText(TComponent *root)
{
    return toText(writeRoot(root));
}

// Reads binary into root with the hooks the caller set on a reader.
template <class Setup>
void readInto(TComponent *root, const QByteArray &binary, Setup setup)
{
    TMemoryStream in;
    load(in, binary);
    TReader reader(in);
    setup(reader);
    reader.ReadRootComponent(root);
}

inline void readInto(TComponent *root, const QByteArray &binary)
{
    readInto(root, binary, [](TReader &) {});
}

// A text's CR LF line ends, so expected texts can be written with "\n".
inline QByteArray crlf(const char *text)
{
    return QByteArray(text).replace("\n", "\r\n");
}

} // namespace sample
