// Draws the program's own pictures (splash, about banner, main-window background) and writes them as JPEG files.
// Not part of the build: the pictures are committed. To redraw them:
//   g++ -std=c++20 -fPIC draw-pictures.cpp -o draw $(pkg-config --cflags --libs Qt6Widgets)
//   QT_QPA_PLATFORM=offscreen ./draw data/images
#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

static void drawWave(QPainter& p, QRectF r, QColor c, double width, double phase, double amp)
{
    QPainterPath path;
    for (int i = 0; i <= 200; ++i) {
        double x = r.left() + r.width() * i / 200.0;
        double t = double(i) / 200.0;
        double env = std::sin(t * M_PI);
        double y = r.center().y() + amp * env * std::sin(t * 18.0 + phase) * (0.6 + 0.4 * std::sin(t * 5.0 + phase));
        if (i == 0) path.moveTo(x, y); else path.lineTo(x, y);
    }
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

static void drawMark(QPainter& p, QPointF c, double r)
{
    // A ring with a speech-bubble tail and three bars: voice mail at a glance.
    p.setPen(Qt::NoPen);
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.4);
    g.setColorAt(0, QColor(255, 214, 120));
    g.setColorAt(1, QColor(232, 140, 30));
    p.setBrush(g);
    QPolygonF tail;
    tail << c + QPointF(-r * 0.75, r * 0.35) << c + QPointF(-r * 1.0, r * 1.2) << c + QPointF(-r * 0.2, r * 0.85);
    p.setBrush(QColor(236, 150, 40));
    p.drawPolygon(tail);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(20, 44, 92));
    double bw = r * 0.22, gap = r * 0.12;
    double hs[3] = {0.55, 1.0, 0.7};
    for (int i = 0; i < 3; ++i) {
        double x = c.x() - 1.5 * bw - gap + i * (bw + gap);
        double h = r * hs[i];
        p.drawRoundedRect(QRectF(x, c.y() - h / 2, bw, h), bw / 2, bw / 2);
    }
}

static QImage splash()
{
    QImage img(401, 155, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 401, 155);
    bg.setColorAt(0, QColor(16, 38, 84));
    bg.setColorAt(1, QColor(34, 88, 150));
    p.fillRect(img.rect(), bg);
    for (int k = 0; k < 4; ++k)
        drawWave(p, QRectF(150, 70, 251, 80), QColor(120, 180, 235, 40 + k * 12), 1.6, k * 0.9, 14 + k * 5);
    drawMark(p, QPointF(68, 66), 38);
    QFont f("DejaVu Sans", 30, QFont::Bold);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(125, 22, 270, 50), Qt::AlignLeft | Qt::AlignVCenter, "Orlantis");
    QFont s("DejaVu Sans", 10);
    p.setFont(s);
    p.setPen(QColor(200, 222, 245));
    p.drawText(QRectF(127, 70, 270, 22), Qt::AlignLeft | Qt::AlignVCenter, "VMU system administration");
    p.setPen(QPen(QColor(255, 190, 80), 2));
    p.drawLine(QPointF(127, 96), QPointF(230, 96));
    return img;
}

static QImage about()
{
    QImage img(290, 96, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 290, 96);
    bg.setColorAt(0, QColor(16, 38, 84));
    bg.setColorAt(1, QColor(34, 88, 150));
    p.fillRect(img.rect(), bg);
    for (int k = 0; k < 3; ++k)
        drawWave(p, QRectF(90, 40, 200, 56), QColor(120, 180, 235, 50 + k * 15), 1.4, k * 1.1, 10 + k * 4);
    drawMark(p, QPointF(46, 46), 26);
    return img;
}

// The main window repeats this picture sideways when the window is wider than the screen it was made for, so
// its waves are periodic across the width and the edges meet without a seam.
static QImage background()
{
    const int W = 640, H = 480;
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, H);
    bg.setColorAt(0, QColor(214, 224, 236));
    bg.setColorAt(1, QColor(178, 196, 218));
    p.fillRect(img.rect(), bg);
    for (int k = 0; k < 6; ++k) {
        QPainterPath path;
        for (int x = 0; x <= W; x += 2) {
            double t = 2 * M_PI * x / W;
            double y = 330 + k * 8 + (34 + k * 7) * std::sin(2 * t + k * 0.7) + (18 + k * 3) * std::sin(5 * t + k * 1.3);
            if (x == 0) path.moveTo(x, y); else path.lineTo(x, y);
        }
        p.setPen(QPen(QColor(255, 255, 255, 40 + k * 8), 2.0));
        p.drawPath(path);
    }
    return img;
}

int main(int argc, char** argv)
{
    QApplication a(argc, argv);
    QString dir = argc > 1 ? argv[1] : ".";
    splash().save(dir + "/splash.jpg", "JPG", 92);
    about().save(dir + "/about.jpg", "JPG", 92);
    background().save(dir + "/background.jpg", "JPG", 88);
    return 0;
}
