#include "report/output/forms/RTFEditor.h"

#include "report/model/base/Messages.h"

#include "platform/classes/ClassBuilder.h"
#include "platform/richedit/RichEdit.h"
#include "platform/richedit/RtfReader.h"
#include "platform/richedit/RtfWriter.h"

#include <QColorDialog>
#include <QFontComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace report {

const classes::TMetaClass &TppRTFEditor::StaticClass()
{
    static const classes::TMetaClass meta = classes::MakeClass<TppRTFEditor, TppCustomRTFEditor>("TppRTFEditor");
    return meta;
}

TppRTFEditor::TppRTFEditor(classes::TComponent *aOwner)
    : TppFormOf<TppCustomRTFEditor>(aOwner)
    , m_editor(new QTextEdit(this))
    , m_bold(new QToolButton(this))
    , m_italic(new QToolButton(this))
    , m_underline(new QToolButton(this))
    , m_font(new QFontComboBox(this))
    , m_size(new QSpinBox(this))
    , m_color(new QToolButton(this))
    , m_mailMerge(new QLabel(this))
    , m_btnOK(new QPushButton(this))
    , m_btnCancel(new QPushButton(this))
{
    setObjectName(QStringLiteral("ppRTFEditor"));
    resize(560, 400);
    m_editor->setObjectName(QStringLiteral("reEditor"));
    m_editor->setAcceptRichText(false);
    m_editor->document()->setDocumentMargin(2);
    for (QToolButton *button : {m_bold, m_italic, m_underline})
        button->setCheckable(true);
    m_bold->setText(QStringLiteral("B"));
    m_italic->setText(QStringLiteral("I"));
    m_underline->setText(QStringLiteral("U"));
    m_size->setRange(1, 1638);
    m_mailMerge->setVisible(false);

    auto *tools = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{m_font, m_size, m_bold, m_italic, m_underline, m_color})
        tools->addWidget(w);
    tools->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_mailMerge);
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_editor);
    layout->addLayout(buttons);
    m_btnOK->setDefault(true);

    connect(m_bold, &QToolButton::clicked, this, [this](bool aOn) {
        QTextCharFormat format;
        format.setFontWeight(aOn ? QFont::Bold : QFont::Normal);
        applyFormat(format);
    });
    connect(m_italic, &QToolButton::clicked, this, [this](bool aOn) {
        QTextCharFormat format;
        format.setFontItalic(aOn);
        applyFormat(format);
    });
    connect(m_underline, &QToolButton::clicked, this, [this](bool aOn) {
        QTextCharFormat format;
        format.setFontUnderline(aOn);
        applyFormat(format);
    });
    connect(m_font, &QFontComboBox::currentFontChanged, this, [this](const QFont &aFont) {
        QTextCharFormat format;
        format.setFontFamilies(QStringList{aFont.family()});
        applyFormat(format);
    });
    connect(m_size, &QSpinBox::valueChanged, this, [this](int aSize) {
        QTextCharFormat format;
        format.setFontPointSize(aSize);
        applyFormat(format);
    });
    connect(m_color, &QToolButton::clicked, this, [this] {
        const QColor color = QColorDialog::getColor(m_editor->textColor(), this);
        if (!color.isValid())
            return;
        QTextCharFormat format;
        format.setForeground(color);
        applyFormat(format);
    });
    connect(m_editor, &QTextEdit::cursorPositionChanged, this, [this] { showSelectionFormat(); });
    connect(m_btnOK, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultOK); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { closeWithResult(ppModalResultCancel); });
    int left = 0;
    int top = 0;
    CenterPosition(left, top);
    move(left, top);
    LanguageChanged();
}

void TppRTFEditor::LanguageChanged()
{
    setWindowTitle(ppLoadStr(120));
    m_btnOK->setText(ppLoadStr(17));
    m_btnCancel->setText(ppLoadStr(5));
    m_color->setText(QStringLiteral("A"));
    m_mailMerge->setText(ppLoadStr(502));
}

void TppRTFEditor::SetRichText(const QByteArray &aRichText)
{
    QTextDocument *document = m_editor->document();
    if (richedit::IsRtf(aRichText)) {
        richedit::ReadRtf(aRichText, *document);
    } else {
        richedit::RichEdit plain;
        plain.LoadFromBytes(aRichText);
        richedit::ReadRtf(plain.SaveToBytes(), *document);
    }
    m_editor->moveCursor(QTextCursor::Start);
    showSelectionFormat();
}

QByteArray TppRTFEditor::RichText() const
{
    return richedit::WriteRtf(*m_editor->document());
}

void TppRTFEditor::SetMailMerge(bool aValue)
{
    m_mailMerge->setVisible(aValue);
}

void TppRTFEditor::applyFormat(const QTextCharFormat &aFormat)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.mergeCharFormat(aFormat);
    m_editor->mergeCurrentCharFormat(aFormat);
}

void TppRTFEditor::showSelectionFormat()
{
    // The controls follow the text under the cursor without changing it.
    const QTextCharFormat format = m_editor->currentCharFormat();
    const QSignalBlocker blockFont(m_font);
    const QSignalBlocker blockSize(m_size);
    m_bold->setChecked(format.fontWeight() >= QFont::Bold);
    m_italic->setChecked(format.fontItalic());
    m_underline->setChecked(format.fontUnderline());
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty())
        m_font->setCurrentFont(QFont(families.first()));
    if (format.fontPointSize() > 0)
        m_size->setValue(int(format.fontPointSize()));
}

} // namespace report

#include "moc_RTFEditor.cpp"
