#include "InfoWidgets.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

VrWebLabel::VrWebLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(false);
    setTextFormat(Qt::PlainText);
}

void VrWebLabel::setLook(const QFont& font, const QColor& colour, const QFont& hoverFont, const QColor& hoverColour)
{
    font_ = font;
    colour_ = colour;
    hoverFont_ = hoverFont;
    hoverColour_ = hoverColour;
    applyLook();
}

void VrWebLabel::applyLook()
{
    setFont(hovered_ ? hoverFont_ : font_);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, hovered_ ? hoverColour_ : colour_);
    setPalette(pal);
}

void VrWebLabel::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    applyLook();
    QLabel::enterEvent(event);
}

void VrWebLabel::leaveEvent(QEvent* event)
{
    hovered_ = false;
    applyLook();
    QLabel::leaveEvent(event);
}

void VrWebLabel::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void VrWebLabel::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click && url_.isValid())
        QDesktopServices::openUrl(url_); // a refusal is not shown to the user
    QLabel::mouseReleaseEvent(event);
}

VrScrollText::VrScrollText(QWidget* parent) : QWidget(parent)
{
    timer_.setInterval(stepMs());
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &VrScrollText::step);
}

void VrScrollText::setText(const QString& text)
{
    text_ = text;
    position_ = width();
    update();
}

void VrScrollText::setTextColour(const QColor& colour)
{
    textColour_ = colour;
    update();
}

void VrScrollText::setBackgroundColour(const QColor& colour)
{
    background_ = colour;
    update();
}

void VrScrollText::step()
{
    --position_;
    if (position_ + QFontMetrics(font()).horizontalAdvance(text_) <= 0)
        position_ = width();
    update();
}

void VrScrollText::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_);
    const int w = width();
    if (w <= 0)
        return;
    // Colour stops across the width: background at both outer edges, text colour between the fades.
    QLinearGradient fade(0, 0, w, 0);
    const qreal edge = qMin<qreal>(0.5, qreal(fadeWidth()) / w);
    fade.setColorAt(0, background_);
    fade.setColorAt(edge, textColour_);
    fade.setColorAt(1 - edge, textColour_);
    fade.setColorAt(1, background_);
    p.setPen(QPen(QBrush(fade), 0));
    p.setFont(font());
    const QFontMetrics fm(font());
    const int baseline = (height() + fm.ascent() - fm.descent()) / 2;
    p.drawText(position_, baseline, text_);
}

void VrScrollText::showEvent(QShowEvent* event)
{
    timer_.start();
    QWidget::showEvent(event);
}

void VrScrollText::hideEvent(QHideEvent* event)
{
    timer_.stop();
    QWidget::hideEvent(event);
}

void VrScrollText::resizeEvent(QResizeEvent* event)
{
    if (position_ > width())
        position_ = width();
    QWidget::resizeEvent(event);
}

janRoundButton::janRoundButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    setCursor(Qt::PointingHandCursor);
}

void janRoundButton::resizeEvent(QResizeEvent* event)
{
    setMask(QRegion(rect(), QRegion::Ellipse));
    QPushButton::resizeEvent(event);
}

bool janRoundButton::hitButton(const QPoint& pos) const
{
    const QRectF r = rect();
    const qreal rx = r.width() / 2, ry = r.height() / 2;
    if (rx <= 0 || ry <= 0)
        return false;
    const qreal dx = (pos.x() + 0.5 - r.center().x()) / rx;
    const qreal dy = (pos.y() + 0.5 - r.center().y()) / ry;
    return dx * dx + dy * dy <= 1.0;
}

void janRoundButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QPalette& pal = palette();
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    const QColor face = pal.color(QPalette::Button);
    const bool down = isDown();
    shade.setColorAt(0, down ? face.darker(120) : face.lighter(115));
    shade.setColorAt(1, down ? face.lighter(105) : face.darker(125));
    p.setBrush(shade);
    p.setPen(QPen(hasFocus() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Shadow), 1.5));
    p.drawEllipse(r);
    p.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.setFont(font());
    p.drawText(rect().translated(down ? 1 : 0, down ? 1 : 0), Qt::AlignCenter, text());
}
