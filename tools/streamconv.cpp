// Converts a component stream between its binary form ("TPF0") and its text
// form ("object ... end"):
//
//   streamconv --to-text IN OUT     binary in, text out
//   streamconv --to-binary IN OUT   text in, binary out
//
// The binary input holds one component, optionally followed by the list end
// of a report template; the binary output is always in that template form.
// On success the exit code is 0; otherwise one line "streamconv: <reason>"
// goes to standard error, the exit code is 1 (2 for a wrong command line) and
// OUT is not written.

#include "platform/classes/ObjectText.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/AtomicSave.h"
#include "platform/rtl/LocalNames.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace {

int fail(const std::string &reason, int code = 1)
{
    std::string line = reason;
    for (char &c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    std::fprintf(stderr, "streamconv: %s\n", line.c_str());
    return code;
}

void convert(bool toText, const QString &inPath, classes::TMemoryStream &output)
{
    // The input may come through a pipe; a device without end is stopped at the limit.
    const rtl::FileText read = rtl::readWholeFile(QFile::encodeName(inPath).toStdString(), {.regularOnly = false});
    if (!read)
        throw std::runtime_error(read.reasonAfter("cannot read", QFile::encodeName(inPath).toStdString()));
    classes::TMemoryStream input;
    input.WriteBuffer(read.text.data(), int64_t(read.text.size()));
    input.SetPosition(0);
    if (toText) {
        classes::ObjectBinaryToText(input, output);
        // One list-end byte may follow (a template); nothing else.
        const int64_t rest = input.Size() - input.Position();
        if (rest > 1 || (rest == 1 && input.Memory()[input.Position()] != 0))
            throw std::runtime_error("unexpected data after the component");
    } else {
        classes::ObjectTextToBinary(input, output);
        const char listEnd = 0;
        output.WriteBuffer(&listEnd, 1);
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Qt would turn such bytes into other ones, and read or write a file of
    // another name.
    if (const std::optional<std::string> bad = rtl::undecodableArgument(argc, argv))
        return fail(rtl::undecodableArgumentMessage(*bad), 2);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != QLatin1String("--to-text") && args[1] != QLatin1String("--to-binary")))
        return fail("usage: streamconv --to-text|--to-binary IN OUT", 2);
    const bool toText = args[1] == QLatin1String("--to-text");
    try {
        classes::TMemoryStream output;
        convert(toText, args[2], output);
        // Replaced whole or not at all: a full disk must not leave a cut
        // file behind a run that says it converted. A device or a pipe is
        // written in place.
        rtl::AtomicSaveOptions options;
        options.existing = rtl::ExistingFile::Update;
        // A conversion killed while it wrote left its temporary file beside the target.
        options.removeLeftovers = true;
        const rtl::SaveResult saved =
            rtl::atomicSave(QFile::encodeName(args[3]).toStdString(),
                            std::string_view(output.Memory(), size_t(output.Size())), options);
        if (!saved)
            return fail("cannot write " + args[3].toStdString() + ": " + saved.reason());
    } catch (const std::exception &e) {
        return fail(e.what());
    }
    return 0;
}
