#pragma once

// TppLabel: a fixed caption.

#include "report/content/text/CustomText.h"

namespace report {

class TppLabel : public TppCustomText
{
    ZVO_CLASS(TppLabel)
public:
    explicit TppLabel(classes::TComponent *aOwner = nullptr);

    // Message 119.
    QString GetClassDescription() const override;
};

} // namespace report
