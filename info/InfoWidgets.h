#pragma once
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

// The link label: shows a text, opens its address in the user's browser when clicked with the
// left button (pressed and released over it). A refusal by the platform is not reported.
class VrWebLabel : public QLabel {
    Q_OBJECT
public:
    explicit VrWebLabel(QWidget* parent = nullptr);

    void setUrl(const QUrl& url) { url_ = url; }
    QUrl url() const { return url_; }
    // Look with the mouse away from and over the label.
    void setLook(const QFont& font, const QColor& colour, const QFont& hoverFont, const QColor& hoverColour);
    bool isHovered() const { return hovered_; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyLook();

    QUrl url_;
    QFont font_, hoverFont_;
    QColor colour_, hoverColour_;
    bool hovered_ = false;
    bool pressed_ = false;
};

// One line of text scrolling from right to left, one pixel per step, restarting from the right
// once it has left on the left. Over fadeWidth() pixels at each edge the text fades linearly
// from the background colour (outer edge) to the text colour. Runs only while shown.
class VrScrollText : public QWidget {
    Q_OBJECT
public:
    explicit VrScrollText(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    void setTextColour(const QColor& colour);
    void setBackgroundColour(const QColor& colour);
    static constexpr int fadeWidth() { return 50; }
    static constexpr int stepMs() { return 5; }

    // Left edge of the text relative to the widget.
    int textPosition() const { return position_; }
    void step();
    QTimer* timer() { return &timer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString text_;
    QColor textColour_ = Qt::black;
    QColor background_ = Qt::lightGray;
    int position_ = 0;
    QTimer timer_;
};

// A push button drawn as an ellipse filling its bounds; only a press inside the ellipse counts.
class janRoundButton : public QPushButton {
    Q_OBJECT
public:
    explicit janRoundButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
