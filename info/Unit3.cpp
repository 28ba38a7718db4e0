#include "Unit3.h"

#include "InfoTexts.h"
#include "InfoWidgets.h"
#include "InfoWindow.h"
#include "KvaResources.h"

#include <QPlainTextEdit>
#include <QPushButton>

TForm3::TForm3(QWidget* parent) : QWidget(parent)
{
    kva::setUpInfoWindow(*this, QStringLiteral("Jednoduchá nápověda"), QSize(476, 395));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(10, 8, 457, 289);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette silver = Memo1->palette();
    silver.setColor(QPalette::Base, QColor(0xc0, 0xc0, 0xc0));
    silver.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(silver);
    // The lines were laid out for a small, narrow font; a condensed face keeps most of them whole.
    QFont small = Memo1->font();
    small.setPixelSize(11);
    small.setStretch(QFont::Condensed);
    Memo1->setFont(small);
    Memo1->setPlainText(kva::helpTextLines().join(u'\n'));

    VrWebLabel1 = new VrWebLabel(this);
    VrWebLabel1->setText(QStringLiteral("Internetová stránka konstrukce KVA 271"));
    VrWebLabel1->setUrl(kva::deviceUrl());
    QFont link(QStringLiteral("Arial"));
    link.setPixelSize(16);
    link.setBold(true);
    link.setUnderline(true);
    VrWebLabel1->setLook(link, Qt::blue, link, QColor(0, 0, 0x80));
    VrWebLabel1->setAlignment(Qt::AlignCenter);
    VrWebLabel1->setGeometry(10, 308, 457, 26);

    Button1 = new QPushButton(QStringLiteral("Zavřít"), this);
    Button1->setCursor(Qt::PointingHandCursor);
    Button1->setGeometry((476 - 90) / 2, 348, 90, 30);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::showAndRaise()
{
    kva::showInFront(*this);
}

void TForm3::Button1Click()
{
    close();
}
