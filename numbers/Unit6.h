#pragma once
#include <QWidget>

class TForm1;

// Ukládání telefonních čísel (placeholder until its page is built).
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(TForm1& form1, QWidget* parent = nullptr);

private:
    TForm1& form1_;
};
