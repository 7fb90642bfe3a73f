#pragma once

// What the component reader and writer share: the value types of the binary
// form, the component prefix flags and TFiler, through which a class defines
// stream entries of its own.

#include "platform/classes/Persistent.h"

#include <cstdint>
#include <functional>

namespace classes {

class TComponent;
class TReader;
class TWriter;
class TStream;

// The type byte before every value of the binary form.
enum class TValueType : uint8_t {
    vaNull = 0x00, // also the end of a list
    vaList = 0x01,
    vaInt8 = 0x02,
    vaInt16 = 0x03,
    vaInt32 = 0x04,
    vaExtended = 0x05,
    vaString = 0x06,
    vaIdent = 0x07,
    vaFalse = 0x08,
    vaTrue = 0x09,
    vaBinary = 0x0A,
    vaSet = 0x0B,
    vaLString = 0x0C,
    vaNil = 0x0D,
    vaCollection = 0x0E,
    vaSingle = 0x0F,
    vaCurrency = 0x10,
    vaDate = 0x11,
    vaWString = 0x12,
    vaInt64 = 0x13,
    vaUTF8String = 0x14,
    vaDouble = 0x15,
};

// Whole numbers come in three widths; a reader takes any where one is asked for.
inline bool isIntegerType(TValueType t)
{
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32;
}
constexpr uint8_t LastValueType = 0x15;

// The flags of a component's prefix byte (0xF0 | flags).
enum TFilerFlag : uint8_t {
    ffInherited = 0x1, // the component exists already (made by its owner)
    ffChildPos = 0x2,  // an integer child position follows the prefix
    ffInline = 0x4,
};

// Components, lists and collections nest at most this deep in either form;
// deeper input is refused rather than recursed into.
constexpr int MaxNesting = 256;

class TFiler : public TObject
{
public:
    using ReaderProc = std::function<void(TReader &)>;
    using WriterProc = std::function<void(TWriter &)>;
    using StreamProc = std::function<void(TStream &)>;

    // A value of the class's own, read and written by the two procedures;
    // written only when hasData is true.
    virtual void DefineProperty(const QString &name, const ReaderProc &read, const WriterProc &write, bool hasData) = 0;
    // Raw bytes, stored as a Binary value.
    virtual void DefineBinaryProperty(const QString &name, const StreamProc &read, const StreamProc &write,
                                      bool hasData) = 0;

    TComponent *Root() const { return m_root; }
    virtual void SetRoot(TComponent *root) { m_root = root; }

protected:
    TComponent *m_root = nullptr;
};

} // namespace classes
