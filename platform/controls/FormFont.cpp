#include "platform/controls/FormFont.h"

namespace controls {

QFont FormFont(int points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points);
    // The face the forms were measured with is a little narrower than its
    // metric-compatible stand-ins.
    font.setStretch(96);
    font.setBold(bold);
    return font;
}

} // namespace controls
