#pragma once
#include <QWidget>

class TForm1;

// Konfigurace (placeholder until its page is built).
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(TForm1& form1, QWidget* parent = nullptr);

private:
    TForm1& form1_;
};
