#pragma once
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class VrWebLabel;

// The help window "Jednoduchá nápověda": a fixed 476 x 395 window, not modal; closing only hides
// it, so text typed into the help box stays for the rest of the run.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    QPlainTextEdit* Memo1 = nullptr;
    VrWebLabel* VrWebLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

public slots:
    // Shows the window, or brings it to the front when it is already shown.
    void showAndRaise();
    void Button1Click();
};
