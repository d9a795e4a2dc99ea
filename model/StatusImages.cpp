#include "StatusImages.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

double screenFontFactor()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->physicalDotsPerInch() : 0.0;
    return dpi > 0.0 ? 72.0 / dpi : 1.0;
}

QImage drawStatusImage(const QString& text, double fontFactor)
{
    QImage image(400, 300, QImage::Format_RGB888);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setPen(QColor(0, 202, 255));
    QFont font(QStringLiteral("Roboto"));
    font.setPointSize(qMax(1, static_cast<int>(18 * fontFactor)));
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    return image;
}

void StatusImages::draw(double fontFactor)
{
    // On Linux there are no privacy settings that block the camera: the older texts apply.
    emptyFrame = drawStatusImage(QCoreApplication::translate("Model", "empty frame received\n"
                                                                      "camera disconnected\n"
                                                                      "or broken or bad cable\n"
                                                                      "or bad driver"),
                                 fontFactor);
    cameraOccupied = drawStatusImage(
        QCoreApplication::translate("Model", "camera is occupied or not connected"), fontFactor);
    loading =
        drawStatusImage(QCoreApplication::translate("Model", "loading classifiers"), fontFactor);
    missingFile = drawStatusImage(
        QCoreApplication::translate("Model", "missing file: data.dat or low memory"), fontFactor);
}
