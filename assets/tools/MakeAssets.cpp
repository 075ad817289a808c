// Draws the background of the word window (a light rice paper with faint ink-wash
// mountains) and the program icon (a red seal with a white 背), deterministically.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

std::mt19937 rng(936);

double Uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// A ridge line: a few sine waves of falling size, plus small noise for the brush.
std::vector<double> Ridge(int width, double base, double height, int seedShift) {
    std::vector<double> y(static_cast<size_t>(width) + 1);
    const double p1 = Uniform(0, 6.28) + seedShift, p2 = Uniform(0, 6.28), p3 = Uniform(0, 6.28);
    for (int x = 0; x <= width; ++x) {
        const double t = x / static_cast<double>(width);
        const double v = 0.55 * std::sin(t * 6.28 * 1.1 + p1) +
                         0.3 * std::sin(t * 6.28 * 2.7 + p2) + 0.15 * std::sin(t * 6.28 * 6.3 + p3);
        y[static_cast<size_t>(x)] = base - height * (0.5 + 0.5 * v);
    }
    return y;
}

void PaintMountains(QImage& canvas) {
    // Drawn small and enlarged, so the edges run soft like ink on wet paper.
    const int w = canvas.width() / 4;
    const int h = canvas.height() / 4;
    QImage layer(w, h, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    struct Range {
        double base, height, alpha;
        QColor ink;
    };
    const Range ranges[] = {
        {130, 28, 0.10, QColor(96, 112, 126)},
        {140, 20, 0.14, QColor(82, 96, 108)},
        {148, 14, 0.19, QColor(62, 72, 80)},
    };
    int shift = 0;
    for (const Range& r : ranges) {
        const std::vector<double> ridge = Ridge(w, r.base, r.height, shift++);
        QPainterPath path(QPointF(0, h));
        for (int x = 0; x <= w; ++x) {
            path.lineTo(x, ridge[static_cast<size_t>(x)]);
        }
        path.lineTo(w, h);
        path.closeSubpath();
        // Dark at the peaks, fading into the mist at the foot.
        QLinearGradient fill(0, r.base - r.height, 0, h);
        QColor top = r.ink;
        top.setAlphaF(static_cast<float>(r.alpha));
        QColor foot = r.ink;
        foot.setAlphaF(static_cast<float>(r.alpha * 0.15));
        fill.setColorAt(0, top);
        fill.setColorAt(1, foot);
        p.fillPath(path, fill);
    }
    p.end();
    QPainter c(&canvas);
    c.setRenderHint(QPainter::SmoothPixmapTransform);
    c.drawImage(canvas.rect(),
                layer.scaled(canvas.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QImage Background() {
    QImage img(800, 600, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient paper(0, 0, 0, 600);
    paper.setColorAt(0, QColor(0xf9, 0xf5, 0xea));
    paper.setColorAt(0.6, QColor(0xf5, 0xee, 0xde));
    paper.setColorAt(1, QColor(0xee, 0xe5, 0xd0));
    p.fillRect(img.rect(), paper);
    QRadialGradient glow(400, 260, 420);
    glow.setColorAt(0, QColor(255, 255, 250, 70));
    glow.setColorAt(1, QColor(255, 255, 250, 0));
    p.fillRect(img.rect(), glow);

    // Fibres of the rice paper.
    for (int i = 0; i < 2600; ++i) {
        const QPointF a(Uniform(-20, 820), Uniform(-20, 620));
        const double angle = Uniform(0, 6.28);
        const double len = Uniform(6, 34);
        const QPointF b = a + QPointF(std::cos(angle) * len, std::sin(angle) * len);
        const QPointF mid = (a + b) / 2 + QPointF(Uniform(-4, 4), Uniform(-4, 4));
        QPainterPath fibre(a);
        fibre.quadTo(mid, b);
        const bool light = i % 3 == 0;
        p.setPen(QPen(light ? QColor(255, 255, 255, static_cast<int>(Uniform(30, 70)))
                            : QColor(120, 98, 64, static_cast<int>(Uniform(4, 12))),
                      Uniform(0.5, 1.3)));
        p.drawPath(fibre);
    }

    // A pale vermilion sun behind the mist.
    QRadialGradient sun(640, 130, 44);
    sun.setColorAt(0, QColor(200, 84, 60, 38));
    sun.setColorAt(0.8, QColor(200, 84, 60, 30));
    sun.setColorAt(1, QColor(200, 84, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(640, 130), 44, 44);
    p.end();

    PaintMountains(img);

    // Grain: a faint, even noise over everything.
    std::uniform_int_distribution<int> grain(-3, 3);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int d = grain(rng);
            const QRgb c = line[x];
            line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                           std::clamp(qBlue(c) + d, 0, 255));
        }
    }
    return img;
}

// The seal: a vermilion square with a white 背; small sizes without the inner frame and the
// worn spots, which would only blur there.
QImage Seal(int size) {
    const bool detailed = size >= 64;
    const double s = size / 256.0;
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF outer = detailed ? QRectF(10 * s, 10 * s, 236 * s, 236 * s)
                                  : QRectF(0.5, 0.5, size - 1.0, size - 1.0);
    QLinearGradient red(outer.topLeft(), outer.bottomRight());
    red.setColorAt(0, QColor(0xd6, 0x3a, 0x2f));
    red.setColorAt(1, QColor(0xa9, 0x22, 0x1b));
    QPainterPath square;
    square.addRoundedRect(outer, 30 * s + 1, 30 * s + 1);
    p.fillPath(square, red);

    if (detailed) {
        // Worn spots, as a stone seal leaves them.
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 90; ++i) {
            const QPointF at(Uniform(outer.left(), outer.right()),
                             Uniform(outer.top(), outer.bottom()));
            p.setBrush(QColor(255, 235, 225, static_cast<int>(Uniform(10, 40))));
            p.drawEllipse(at, Uniform(0.8, 2.6) * s * 2, Uniform(0.8, 2.6) * s * 2);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 250, 245), 6 * s));
        p.drawRoundedRect(outer.adjusted(16 * s, 16 * s, -16 * s, -16 * s), 16 * s, 16 * s);
    }

    if (!detailed) {
        // Hinted sans strokes stay legible in a few pixels, where the serif's thin strokes
        // would fade into the red.
        QFont font;
        font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")});
        font.setWeight(QFont::Bold);
        font.setPixelSize(static_cast<int>(std::lround(size * 0.84)));
        font.setHintingPreference(QFont::PreferFullHinting);
        p.setFont(font);
        p.setPen(QColor(255, 250, 245));
        p.drawText(QRectF(0, -size * 0.03, size, size), Qt::AlignCenter, QStringLiteral("背"));
        p.end();
        return img;
    }
    QFont font;
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
    font.setWeight(QFont::Black);
    font.setPixelSize(100);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QStringLiteral("背"));
    const QRectF box = glyph.boundingRect();
    const double k = 150 * s / std::max(box.width(), box.height());
    QTransform t;
    t.translate(size / 2.0, size / 2.0);
    t.scale(k, k);
    t.translate(-box.center().x(), -box.center().y());
    p.fillPath(t.map(glyph), QColor(255, 250, 245));
    p.end();
    return img;
}

// The seal as scalable vector graphics: the square, the inner frame and the glyph as an
// outline, so no font is needed where it is shown.
QByteArray SealSvg() {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
    font.setWeight(QFont::Black);
    font.setPixelSize(100);
    QPainterPath glyph;
    glyph.addText(0, 0, font, QStringLiteral("背"));
    const QRectF box = glyph.boundingRect();
    const double k = 150 / std::max(box.width(), box.height());
    QTransform t;
    t.translate(128, 128);
    t.scale(k, k);
    t.translate(-box.center().x(), -box.center().y());
    glyph = t.map(glyph);
    QByteArray d;
    const auto num = [](double v) { return QByteArray::number(v, 'f', 2); };
    for (int i = 0; i < glyph.elementCount(); ++i) {
        const QPainterPath::Element e = glyph.elementAt(i);
        if (e.type == QPainterPath::MoveToElement) {
            d += "M" + num(e.x) + " " + num(e.y);
        } else if (e.type == QPainterPath::LineToElement) {
            d += "L" + num(e.x) + " " + num(e.y);
        } else if (e.type == QPainterPath::CurveToElement) {
            d += "C" + num(e.x) + " " + num(e.y);
        } else {
            d += " " + num(e.x) + " " + num(e.y);
        }
    }
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
           "<defs><linearGradient id=\"red\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">"
           "<stop offset=\"0\" stop-color=\"#d63a2f\"/><stop offset=\"1\" "
           "stop-color=\"#a9221b\"/></linearGradient></defs>\n"
           "<rect x=\"10\" y=\"10\" width=\"236\" height=\"236\" rx=\"31\" "
           "fill=\"url(#red)\"/>\n"
           "<rect x=\"26\" y=\"26\" width=\"204\" height=\"204\" rx=\"16\" fill=\"none\" "
           "stroke=\"#fffaf5\" stroke-width=\"6\"/>\n"
           "<path fill=\"#fffaf5\" fill-rule=\"nonzero\" d=\"" +
           d + "\"/>\n</svg>\n";
}

bool Save(const QImage& img, const QString& path, const char* format, int quality = -1) {
    if (!img.save(path, format, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    bool ok = Save(Background(), out.filePath(QStringLiteral("background.jpg")), "JPEG", 92);
    ok = Save(Seal(256), out.filePath(QStringLiteral("tavelo.png")), "PNG") && ok;
    ok = Save(Seal(32), out.filePath(QStringLiteral("tavelo-32.png")), "PNG") && ok;
    ok = Save(Seal(16), out.filePath(QStringLiteral("tavelo-16.png")), "PNG") && ok;
    for (const int size : {48, 64, 128}) {
        ok = Save(Seal(size), out.filePath(QStringLiteral("tavelo-%1.png").arg(size)), "PNG") && ok;
    }
    QFile svg(out.filePath(QStringLiteral("tavelo.svg")));
    ok = svg.open(QIODevice::WriteOnly) && svg.write(SealSvg()) > 0 && ok;
    return ok ? 0 : 1;
}
