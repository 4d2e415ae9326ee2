#pragma once
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QLabel;

// The error log window: the conversion appends a line per table and per failure. A child window
// of the main window, loaded at start-up; "O.K." sends it behind the other windows.
class FehlerProtokoll : public QWidget {
    Q_OBJECT
public:
    FehlerProtokoll();

    // Empties the log text.
    void Clear();
    // Appends s and CR LF at the end of the log text.
    void Add(const QString& s);
    // The log text, lines ended by CR LF.
    QString text() const { return m_text; }

    void Command1_Click();

private:
    void Form_Load();

    QPlainTextEdit* Text1;
    QPushButton* Command1;  // "O.K."
    QLabel* lblVersion;

    QString m_text;
};
