#include "app/about/AboutUnit.h"

#include "foundation/MyOptions.h"
#include "foundation/MyUtilitiesFiles.h"
#include "foundation/MyUtilitiesUi.h"
#include "platform/controls/EventPump.h"
#include "platform/controls/Guard.h"
#include "platform/gfx/Colors.h"
#include "platform/rtl/QtText.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPalette>

namespace app {

using namespace foundation;

namespace {

// Stored layout of the window.
constexpr int StoredClientWidth = 496;
constexpr int StoredClientHeight = 400;
constexpr int VersionLabelMargin = 8;

const char *const ProductWebAddress = "www.zarvello.example";

QPixmap LoadAboutPicture()
{
    return LoadPictureFile(GetApplicationPath() + "about.gif", "gif");
}

} // namespace

TAboutForm::TAboutForm(QWidget *Owner)
    : QDialog(Owner)
{
    setObjectName(QStringLiteral("AboutForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Zarvello - ") + QLatin1String(ProductWebAddress));
    resize(StoredClientWidth, StoredClientHeight);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(0, 0);

    VersionLabel = new QLabel(this);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
    VersionLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    VersionLabel->setAutoFillBackground(false);

    FormCreate();
    CenterForm(this);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::FormCreate()
{
    const QPixmap picture = LoadAboutPicture();
    if (!picture.isNull()) {
        Image1->setPixmap(picture);
        Image1->resize(picture.size());
    }
    VersionLabel->setText(rtl::ToQString("Version " + GetFileVersionString()));
    VersionLabel->adjustSize();
    placeVersionLabel();
}

void TAboutForm::FormShow()
{
    // The window shows the picture and nothing else; without a picture it
    // keeps its stored size rather than shrinking to nothing.
    const QSize picture = Image1->pixmap().size();
    if (!picture.isEmpty())
        setFixedSize(picture.width() - 2, picture.height());
}

void TAboutForm::showEvent(QShowEvent *event)
{
    controls::guarded(controls::Report::none(), [this] { FormShow(); });
    QDialog::showEvent(event);
}

void TAboutForm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    controls::guarded(controls::Report::none(), [this] { placeVersionLabel(); });
}

void TAboutForm::placeVersionLabel()
{
    VersionLabel->move(width() - VersionLabelMargin - VersionLabel->width(), VersionLabelMargin);
    VersionLabel->raise();
    // The label is transparent over a light picture; the desktop's text
    // colour, light on a dark desktop, would not read on it.
    const QImage picture = Image1->pixmap().toImage();
    const QRect under = VersionLabel->geometry().intersected(picture.rect());
    if (under.isEmpty())
        return;
    double red = 0, green = 0, blue = 0;
    for (int y = under.top(); y <= under.bottom(); ++y) {
        for (int x = under.left(); x <= under.right(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
        }
    }
    const double count = double(under.width()) * under.height();
    QPalette palette = VersionLabel->palette();
    palette.setColor(QPalette::WindowText,
                     gfx::ReadableTextOn(QColor(int(red / count), int(green / count), int(blue / count))));
    VersionLabel->setPalette(palette);
}

void TAboutForm::OKButtonClick()
{
    close();
}

void TAboutForm::ShowAsSplash()
{
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    // Centred at the size it will show with, so the splash sits in the
    // middle of the work area.
    FormShow();
    CenterForm(this);
}

TAboutForm *TAboutForm::ShowAbout(QWidget *Owner)
{
    TAboutForm *form = Owner ? Owner->findChild<TAboutForm *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!form)
        form = new TAboutForm(Owner);
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

TSplashScreen::TSplashScreen()
{
    m_form = new TAboutForm(nullptr);
    m_form->ShowAsSplash();
    m_form->show();
    m_form->repaint();
    m_deadline = controls::tickCount() + SplashMinimumMs;
}

std::unique_ptr<TSplashScreen> TSplashScreen::Show()
{
    if (!ShowSplashScreen)
        return nullptr;
    return std::unique_ptr<TSplashScreen>(new TSplashScreen());
}

TSplashScreen::~TSplashScreen()
{
    delete m_form.data();
}

void TSplashScreen::Finish()
{
    // Each slice serves the events instead of sleeping after them, so the
    // splash repaints when uncovered; the slices and the minimum time stay.
    while (controls::tickCount() < m_deadline)
        controls::processEventsFor(PumpSliceMs);
    if (m_form)
        m_form->close();
    delete m_form.data();
}

} // namespace app

#include "moc_AboutUnit.cpp"
