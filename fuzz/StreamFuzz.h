#pragma once

// What the two component-stream fuzz targets share: conversions between byte
// arrays, and a full read of whatever a stream holds into the sample classes
// of the tests, which must then write out again and survive both forms.

#include "tests/platform/classes/SampleClasses.h"

#include "platform/classes/ObjectText.h"
#include "platform/classes/Reader.h"
#include "platform/classes/Streams.h"
#include "platform/classes/Writer.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace streamfuzz {

using namespace classes;

[[noreturn]] inline void failure(const char *what)
{
    std::fprintf(stderr, "stream fuzz: %s\n", what);
    std::abort();
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

// Our own text must read back, to the same bytes as the binary it came from
// when canonical is true (the binary was written by us).
inline void checkTextRoundTrip(const QByteArray &binary, bool canonical)
{
    QByteArray text, again;
    try {
        text = toText(binary);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n%s\n", e.what(), binary.toHex().constData());
        failure("a binary stream we wrote does not convert to text");
    }
    try {
        again = toBinary(text);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n%s\n", e.what(), text.constData());
        failure("our text does not convert back");
    }
    if (canonical && again != binary)
        failure("binary -> text -> binary changed the bytes");
    if (!canonical && toText(again) != text)
        failure("text -> binary -> text changed the text");
}

// Reads the stream into a sample root; the hook ignores errors, ignores a
// few, or cancels, as mode says. What was read must write and convert.
inline void fullRead(const QByteArray &binary, int mode)
{
    sample::RegisterSampleClasses();
    sample::SampleLog().clear();
    TMemoryStream in;
    load(in, binary);
    TReader reader(in);
    int errors = 0;
    reader.OnError = [mode, &errors](TReader &, const std::exception &, bool &handled) {
        handled = mode == 0 || (mode == 1 && errors++ < 3);
    };
    if (mode == 2) {
        TComponent *made = nullptr;
        try {
            made = reader.ReadRootComponent(nullptr);
        } catch (const std::exception &) {
        }
        delete made;
        return;
    }
    sample::TSampleRoot root;
    try {
        reader.ReadRootComponent(&root);
    } catch (const std::exception &) {
    }
    TMemoryStream out;
    try {
        out.WriteComponent(&root);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        failure("a tree that was read does not write");
    }
    checkTextRoundTrip(bytesOf(out), true);
}

} // namespace streamfuzz
