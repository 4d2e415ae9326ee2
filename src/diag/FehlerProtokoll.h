#pragma once
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QLabel;

// The error log window: the conversion appends a line per table and per failure.
class FehlerProtokoll : public QWidget {
    Q_OBJECT
public:
    FehlerProtokoll();

    void Clear();
    void Add(const QString& s);
    QString text() const;

    QPlainTextEdit* Text1;
    QPushButton* Command1;
    QLabel* lblVersion;

    void Command1_Click();
};
