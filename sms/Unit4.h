#pragma once
#include <QWidget>

class TForm1;

// Úprava SMS (placeholder until its page is built).
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(TForm1& form1, QWidget* parent = nullptr);

private:
    TForm1& form1_;
};
