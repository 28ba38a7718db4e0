#include "Unit2.h"

#include "InfoTexts.h"
#include "InfoWidgets.h"
#include "InfoWindow.h"
#include "JpegImage.h"
#include "KvaResources.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>

namespace {

QFont pixelFont(const QString& family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

const QColor kSilver(0xc0, 0xc0, 0xc0);

} // namespace

TForm2::TForm2(QWidget* parent) : QWidget(parent)
{
    kva::setUpInfoWindow(*this, QStringLiteral("O programu"), QSize(410, 375));

    Panel1 = new QFrame(this);
    Panel1->setGeometry(8, 8, 394, 359);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    QPalette silver = Panel1->palette();
    silver.setColor(QPalette::Window, kSilver);
    silver.setColor(QPalette::WindowText, Qt::black);
    Panel1->setPalette(silver);
    const int inner = Panel1->width();

    Label3 = new QLabel(QStringLiteral("Pomůcka pro nastavení konfigurace"), Panel1);
    Label3->setFont(pixelFont(font().family(), 16));
    Label3->setGeometry(14, 8, inner - 28, 22);

    Label4 = new QLabel(QStringLiteral("GSM alarmu - KVA271"), Panel1);
    Label4->setFont(pixelFont(font().family(), 16));
    Label4->setGeometry(14, 30, inner - 28, 22);

    Label1 = new QLabel(QStringLiteral("Tento program vytvořil"), Panel1);
    Label1->setFont(pixelFont(font().family(), 13, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, 60, inner, 20);

    Image1 = new QLabel(Panel1);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setGeometry((inner - 97) / 2, 84, 97, 121);
    // A damaged or missing logo leaves the picture empty; the window works without it.
    const QImage logo = kva::loadJpeg(kva::logoResource());
    if (!logo.isNull())
        Image1->setPixmap(QPixmap::fromImage(logo));

    VrWebLabel1 = new VrWebLabel(Panel1);
    VrWebLabel1->setText(kva::makerUrlText());
    VrWebLabel1->setUrl(kva::makerUrl());
    VrWebLabel1->setToolTip(QStringLiteral("Odkaz na internetovou stránku autora"));
    QFont hover = pixelFont(QStringLiteral("Arial"), 21, true);
    hover.setUnderline(true);
    VrWebLabel1->setLook(pixelFont(QStringLiteral("Arial"), 19), Qt::blue, hover, Qt::blue);
    VrWebLabel1->setAlignment(Qt::AlignCenter);
    VrWebLabel1->setGeometry(1, 210, inner - 2, 30);

    Label2 = new QLabel(QString(57, u'_'), Panel1);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(0, 236, inner, 18);

    VrScrollText1 = new VrScrollText(Panel1);
    VrScrollText1->setFont(pixelFont(font().family(), 13));
    VrScrollText1->setBackgroundColour(kSilver);
    VrScrollText1->setTextColour(Qt::black);
    VrScrollText1->setGeometry(12, 264, inner - 24, 24);
    VrScrollText1->setText(kva::creditLine());

    janRoundButton1 = new janRoundButton(QStringLiteral("OK"), Panel1);
    QFont abbess(QStringLiteral("Abbess"));
    abbess.setFamilies({QStringLiteral("Abbess"), QStringLiteral("DejaVu Serif")}); // Abbess is rarely installed
    abbess.setStyleHint(QFont::Serif);
    abbess.setPixelSize(16);
    abbess.setBold(true);
    janRoundButton1->setFont(abbess);
    janRoundButton1->setGeometry((inner - 92) / 2, 302, 92, 40);
    connect(janRoundButton1, &QPushButton::clicked, this, &TForm2::janRoundButton1Click);
}

void TForm2::showAndRaise()
{
    kva::showInFront(*this);
}

void TForm2::janRoundButton1Click()
{
    close();
}
