#pragma once
#include <QWidget>

// Nápověda window (placeholder until it is built).
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

public slots:
    void showAndRaise();
};
