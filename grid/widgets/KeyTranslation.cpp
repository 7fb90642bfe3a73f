#include "grid/widgets/KeyTranslation.h"

#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace grid {

TKey VirtualKey(const QKeyEvent &event)
{
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return TKey(key); // the same codes
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return TKey(VK_F1 + (key - Qt::Key_F1));
    if (event.modifiers() & Qt::KeypadModifier) {
        if (key == Qt::Key_Plus)
            return VK_ADD;
        if (key == Qt::Key_Minus)
            return VK_SUBTRACT;
    }
    switch (key) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Menu: return VK_APPS;
    // Punctuation keys of a US keyboard, as the platform numbers them.
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 0xBA;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 0xBB;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 0xBC;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 0xBD;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 0xBE;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 0xBF;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 0xC0;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 0xDB;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 0xDC;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 0xDD;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 0xDE;
    default: break;
    }
    // Any other key that types something.
    return event.text().isEmpty() ? 0 : 0xDF;
}

TShiftState ShiftState(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    return shift;
}

QString TypedCharacters(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (!(modifiers & Qt::ControlModifier) || (modifiers & Qt::AltModifier))
        return event.text();
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(char16_t(key - Qt::Key_A + 1)));
    // Ctrl+Backspace types DEL, not the Backspace character that deletes
    // one character: the key deletes a word.
    if (key == Qt::Key_Backspace)
        return QString(QChar(char16_t(0x7F)));
    QString controls;
    for (QChar c : event.text())
        if (c.unicode() < 32)
            controls += c;
    return controls;
}

std::vector<TChar> CharactersOf(QStringView text)
{
    std::vector<TChar> characters;
    characters.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            characters.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            characters.push_back(c.unicode());
        }
    }
    return characters;
}

bool TypesCharacters(QStringView text)
{
    const std::vector<TChar> characters = CharactersOf(text);
    return std::any_of(characters.begin(), characters.end(),
                       [](TChar c) { return IsTypedChar(c) || QChar::isSurrogate(c); });
}

std::vector<TChar> CharacterJoiner::take(QStringView text)
{
    std::vector<TChar> characters;
    for (TChar c : CharactersOf(text)) {
        const char16_t high = std::exchange(m_high, 0);
        if (high && QChar::isLowSurrogate(c))
            characters.push_back(QChar::surrogateToUcs4(high, char16_t(c)));
        else if (QChar::isHighSurrogate(c))
            m_high = char16_t(c);
        else if (!QChar::isSurrogate(c))
            characters.push_back(c);
    }
    return characters;
}

QString CharacterText(TChar c)
{
    return QString::fromUcs4(&c, 1);
}

qsizetype WholeCharacterUnits(QStringView text, qsizetype units)
{
    qsizetype n = std::clamp<qsizetype>(units, 0, text.size());
    if (n > 0 && n < text.size() && text[n].isLowSurrogate() && text[n - 1].isHighSurrogate())
        --n;
    return n;
}

} // namespace grid
