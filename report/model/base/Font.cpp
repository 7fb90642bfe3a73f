#include "report/model/base/Font.h"

#include "platform/classes/ClassBuilder.h"

namespace report {

const classes::TMetaClass &TppFont::StaticClass()
{
    using classes::TFont;
    // Redeclared in place: the order of the properties stays the font's.
    static const classes::TMetaClass meta =
        classes::MakeClass<TppFont, TFont>("TppFont", [](classes::TClassBuilder<TppFont> &c) {
            c.Integer("Height", &TFont::Height, &TFont::SetHeight).Stored(false);
            c.Integer("Size", &TFont::Size, &TFont::SetSize);
        });
    return meta;
}

} // namespace report
