#include "Monogram.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QStringList>
#include <vector>

namespace kva::art {
namespace {

const QColor kBadge(0x1d, 0x4f, 0x91);
const QColor kAccent(0xf5, 0xa6, 0x23);
const QColor kSilver(0xc0, 0xc0, 0xc0);
constexpr double kLetterStroke = 6.0;
constexpr double kAccentStroke = 6.0;

using Polyline = std::vector<QPointF>;

// Letters K, V and A, top at y = 24, baseline at y = 58.
const std::vector<Polyline>& letters()
{
    static const std::vector<Polyline> strokes = {
        {{13, 24}, {13, 58}},
        {{31, 24}, {15, 41}, {31, 58}},
        {{41, 24}, {50, 58}, {59, 24}},
        {{69, 58}, {78, 24}, {87, 58}},
        {{72.5, 46}, {83.5, 46}},
    };
    return strokes;
}

const Polyline kAccentBar = {{24, 74}, {76, 74}};

void strokePolylines(QPainter& p, const std::vector<Polyline>& lines, const QColor& colour, double width)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    for (const auto& line : lines)
        p.drawPolyline(line.data(), int(line.size()));
}

QString svgPoints(const Polyline& line)
{
    QStringList parts;
    for (const auto& pt : line)
        parts << QStringLiteral("%1,%2").arg(pt.x()).arg(pt.y());
    return parts.join(u' ');
}

} // namespace

void paintIcon(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kBadge);
    p.drawRoundedRect(QRectF(4, 4, 92, 92), 18, 18);
    strokePolylines(p, letters(), Qt::white, kLetterStroke);
    strokePolylines(p, {kAccentBar}, kAccent, kAccentStroke);
}

QString iconSvg()
{
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 100 100\">\n"
        "  <rect x=\"4\" y=\"4\" width=\"92\" height=\"92\" rx=\"18\" ry=\"18\" fill=\"%1\"/>\n"
        "  <g fill=\"none\" stroke=\"#ffffff\" stroke-width=\"%2\" stroke-linecap=\"round\" "
        "stroke-linejoin=\"round\">\n")
                      .arg(kBadge.name())
                      .arg(kLetterStroke);
    for (const auto& line : letters())
        svg += QStringLiteral("    <polyline points=\"%1\"/>\n").arg(svgPoints(line));
    svg += QStringLiteral("  </g>\n"
                          "  <polyline points=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"%3\" "
                          "stroke-linecap=\"round\"/>\n"
                          "</svg>\n")
               .arg(svgPoints(kAccentBar), kAccent.name())
               .arg(kAccentStroke);
    return svg;
}

void paintLogo(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRectF(0, 0, 100, 120), kSilver);
    p.setPen(Qt::NoPen);
    p.setBrush(kBadge);
    p.drawRoundedRect(QRectF(4, 4, 92, 112), 14, 14);
    p.save();
    p.translate(0, -2);
    strokePolylines(p, letters(), Qt::white, kLetterStroke);
    strokePolylines(p, {kAccentBar}, kAccent, kAccentStroke);
    p.restore();
    // Three radio waves rising from one point: the phone link the program works through.
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF origin(50, 106);
    for (double r : {7.0, 14.0, 21.0})
        p.drawArc(QRectF(origin.x() - r, origin.y() - r, 2 * r, 2 * r), 50 * 16, 80 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(origin, 2.5, 2.5);
}

} // namespace kva::art
