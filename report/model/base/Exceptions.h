#pragma once

// The report library's exceptions. Each carries only its message, which comes
// from the library's message texts; callers tell failures apart by class.

#include "platform/rtl/Exceptions.h"

#include <QString>

namespace report {

class EBrevantorError : public rtl::Exception
{
public:
    explicit EBrevantorError(const QString &message);
    // The message as the library shows it.
    QString Message() const;
};

// Printing and printer problems.
class EPrintError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// Data access problems.
class EDataError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// Invalid design operations.
class EDesignError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// A property value that is not allowed.
class EInvalidPropertyError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// A report template that cannot be read.
class ETemplateLoadError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// A report template that cannot be written.
class ETemplateSaveError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// Data that is not a report template.
class EInvalidTemplateError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

// A second outline draw command on one page.
class EOutlineError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

} // namespace report
