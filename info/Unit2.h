#pragma once
#include <QWidget>

// O aplikaci window (placeholder until it is built).
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

public slots:
    void showAndRaise();
};
