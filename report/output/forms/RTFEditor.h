#pragma once

// The RTF editor a rich text's "Edit" opens: the text in a QTextEdit with
// bold, italic, underline, font, size and colour for the selection, and OK
// and Cancel. The caller hands it the RTF and reads it back after OK.

#include "report/model/forms/DialogBases.h"
#include "report/output/forms/Form.h"

#include <QByteArray>

class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

namespace report {

class TppRTFEditor : public TppFormOf<TppCustomRTFEditor>
{
    Q_OBJECT
    ZVO_CLASS(TppRTFEditor)
public:
    explicit TppRTFEditor(classes::TComponent *aOwner = nullptr);

    void LanguageChanged() override;

    // RTF, or plain text, to edit.
    void SetRichText(const QByteArray &aRichText) override;
    // The edited text as RTF.
    QByteArray RichText() const override;
    // With mail merge the editor says that "<field>" tags are merged.
    void SetMailMerge(bool aValue) override;

    QTextEdit *Editor() const { return m_editor; }
    QToolButton *btnBold() const { return m_bold; }
    QToolButton *btnItalic() const { return m_italic; }
    QToolButton *btnUnderline() const { return m_underline; }
    QFontComboBox *cbxFont() const { return m_font; }
    QSpinBox *spnSize() const { return m_size; }
    QToolButton *btnColor() const { return m_color; }
    QPushButton *btnOK() const { return m_btnOK; }
    QPushButton *btnCancel() const { return m_btnCancel; }

private:
    void showSelectionFormat();
    void applyFormat(const QTextCharFormat &aFormat);

    QTextEdit *m_editor;
    QToolButton *m_bold;
    QToolButton *m_italic;
    QToolButton *m_underline;
    QFontComboBox *m_font;
    QSpinBox *m_size;
    QToolButton *m_color;
    QLabel *m_mailMerge;
    QPushButton *m_btnOK;
    QPushButton *m_btnCancel;
};

} // namespace report
