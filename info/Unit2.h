#pragma once
#include <QWidget>

class QFrame;
class QLabel;
class VrScrollText;
class VrWebLabel;
class janRoundButton;

// The About window "O programu": a fixed 410 x 375 dialog, not modal; closing only hides it.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    VrWebLabel* VrWebLabel1 = nullptr;
    QLabel* Label2 = nullptr;
    VrScrollText* VrScrollText1 = nullptr;
    janRoundButton* janRoundButton1 = nullptr;

public slots:
    // Shows the window, or brings it to the front when it is already shown.
    void showAndRaise();
    void janRoundButton1Click();
};
