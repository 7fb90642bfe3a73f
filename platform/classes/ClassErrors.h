#pragma once

// The exception classes of the class library. Their messages are plain
// English and not part of any contract; callers tell failures apart by class.

#include "platform/rtl/Exceptions.h"

#include <string>

class QString;

namespace classes {

// A stream could not be read, written, opened or created.
class EStreamError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

class EFCreateError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};

// Base of the component-streaming errors.
class EFilerError : public EStreamError
{
public:
    using EStreamError::EStreamError;
};

class EReadError : public EFilerError
{
public:
    using EFilerError::EFilerError;
};

class EWriteError : public EFilerError
{
public:
    using EFilerError::EFilerError;
};

// A class name that is not registered, or not a component class.
class EClassNotFound : public EFilerError
{
public:
    using EFilerError::EFilerError;
};

// An event handler named in a stream that the root does not provide.
class EMethodNotFound : public EFilerError
{
public:
    using EFilerError::EFilerError;
};

// A syntax error in the text form; the message names the line.
class EParserError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// Invalid or duplicate component names.
class EComponentError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// Assign between classes that do not know each other, and text conversions.
class EConvertError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// A component given a parent (or similar partner) of the wrong class.
class EInvalidCast : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// Index out of range in the list classes.
class EListError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

class EStringListError : public EListError
{
public:
    using EListError::EListError;
};

// Access by name to a property that is missing, read-only or of another kind.
class EPropertyError : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// Picture data that does not decode.
class EInvalidGraphic : public rtl::Exception
{
public:
    using rtl::Exception::Exception;
};

// The UTF-8 form of a text, for exception messages.
std::string messageText(const QString &text);

} // namespace classes
