#pragma once

#include <QImage>

// The 400 x 300 status pictures the live preview shows when there is no camera picture.
struct StatusImages
{
    QImage emptyFrame;
    QImage cameraOccupied;
    QImage loading;
    QImage missingFile;

    // Redraws all four in the current language; fontFactor is 72 / DPI of the primary screen.
    void draw(double fontFactor);
};

// 72 / physical DPI of the primary screen (1.0 when there is no screen).
double screenFontFactor();

// A 400 x 300 black picture with the text centred in the status colour.
QImage drawStatusImage(const QString& text, double fontFactor);
