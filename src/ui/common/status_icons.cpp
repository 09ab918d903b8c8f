#include "ui/common/status_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace orvane {

namespace {

enum class Glyph { Level, Ac, Charge, Unknown };

const QColor kOutline(40, 40, 40);

QColor levelColour(int level) {
    if (level >= 50) return QColor(0, 170, 0);
    if (level >= 20) return QColor(230, 170, 0);
    return QColor(210, 0, 0);
}

// A horizontal battery in a 32 x 32 design grid; fill is 0..100.
void drawBattery(QPainter& p, int fill, const QColor& colour) {
    const QRectF body(2, 9, 25, 14);
    p.setPen(QPen(kOutline, 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(body, 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRect(QRectF(27, 13, 3, 6));
    if (fill > 0) {
        p.setBrush(colour);
        p.drawRect(QRectF(4.5, 11.5, 20.0 * fill / 100.0, 9));
    }
}

void drawBolt(QPainter& p) {
    QPainterPath bolt;
    bolt.moveTo(17, 3);
    bolt.lineTo(8, 18);
    bolt.lineTo(15, 18);
    bolt.lineTo(12, 29);
    bolt.lineTo(23, 13);
    bolt.lineTo(16, 13);
    bolt.closeSubpath();
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(255, 215, 0));
    p.drawPath(bolt);
}

void drawPlug(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRect(QRectF(10, 3, 3, 8));  // prongs
    p.drawRect(QRectF(19, 3, 3, 8));
    p.setBrush(QColor(60, 110, 200));
    p.drawRoundedRect(QRectF(6, 10, 20, 11), 3, 3);
    p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cord;
    cord.moveTo(16, 21);
    cord.cubicTo(16, 27, 24, 25, 27, 30);
    p.drawPath(cord);
}

void drawQuestion(QPainter& p) {
    drawBattery(p, 0, Qt::gray);
    QFont f;
    f.setBold(true);
    f.setPixelSize(14);
    p.setFont(f);
    p.setPen(QColor(0, 0, 160));
    p.drawText(QRectF(2, 9, 25, 14), Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap draw(Glyph glyph, int level, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (glyph) {
        case Glyph::Level:
            drawBattery(p, level, levelColour(level));
            break;
        case Glyph::Ac:
            drawPlug(p);
            break;
        case Glyph::Charge:
            drawBattery(p, 50, QColor(0, 170, 0));
            drawBolt(p);
            break;
        case Glyph::Unknown:
            drawQuestion(p);
            break;
    }
    return pm;
}

}  // namespace

const QPixmap& StatusIcons::pixmap(const std::string& key) {
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    const bool large = !key.empty() && key.back() == 'L';
    const std::string base = key.empty() ? std::string() : key.substr(0, key.size() - 1);
    const int size = large ? 32 : 16;
    QPixmap pm;
    if (base == "AC") {
        pm = draw(Glyph::Ac, 0, size);
    } else if (base == "Charge") {
        pm = draw(Glyph::Charge, 0, size);
    } else if (base.size() >= 2 && base.size() <= 3 &&
               base.find_first_not_of("0123456789") == std::string::npos && std::stoi(base) >= 10 &&
               std::stoi(base) <= 100 && std::stoi(base) % 10 == 0) {
        pm = draw(Glyph::Level, std::stoi(base), size);
    } else {
        pm = draw(Glyph::Unknown, 0, size);
    }
    return cache_.emplace(key, pm).first->second;
}

QIcon StatusIcons::icon(const std::string& smallKey) {
    QIcon icon;
    icon.addPixmap(pixmap(smallKey));
    if (!smallKey.empty()) icon.addPixmap(pixmap(smallKey.substr(0, smallKey.size() - 1) + "L"));
    return icon;
}

QIcon StatusIcons::appIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        drawBattery(p, 80, QColor(0, 170, 0));
        p.translate(4, 0);
        p.scale(0.8, 0.8);
        drawBolt(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace orvane
