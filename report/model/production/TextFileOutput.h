#pragma once

// What the producer gives a device that writes the report's texts as records:
// the record format and its save-text handler. The text-file device of the
// output layer offers it; the producer does not know that class.

#include "report/model/base/Types.h"

#include <QString>

#include <functional>

namespace classes {
class TObject;
}

namespace report {

class TppTextFileOutput
{
public:
    using SaveTextHandler = std::function<void(classes::TObject *Sender, QString &aText)>;

    virtual ~TppTextFileOutput() = default;
    virtual void SetOutputFileType(TppFileType aValue) = 0;
    // Replaces the device's save-text event; an empty handler clears it.
    virtual void HookSaveText(SaveTextHandler aHandler) = 0;
};

} // namespace report
