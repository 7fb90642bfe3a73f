#pragma once

// The errors of text search. Each message begins with "Class.Method: ",
// naming where it arose.

#include "report/model/base/Exceptions.h"

namespace report {

class ESearchError : public EBrevantorError
{
public:
    using EBrevantorError::EBrevantorError;
};

class ESearchPreviewError : public ESearchError
{
public:
    using ESearchError::ESearchError;
};

class ESearchEngineError : public ESearchError
{
public:
    using ESearchError::ESearchError;
};

class ESearchHighlightError : public ESearchError
{
public:
    using ESearchError::ESearchError;
};

class ERichTextHighlightError : public ESearchError
{
public:
    using ESearchError::ESearchError;
};

} // namespace report
