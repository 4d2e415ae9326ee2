#pragma once
#include <QString>

// Without a display, standard error is what a script reads: Qt's own remarks about the offscreen
// platform (size hints, the runtime folder, font set-up) are dropped there, everything else -
// Dorvex's own lines and real failures - passes unchanged. Install before QApplication.
void dropQtPlatformChatter();

// Whether a Qt message is such a remark (category and text as Qt reports them).
bool isQtPlatformChatter(const char* category, const QString& message);
